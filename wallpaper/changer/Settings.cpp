#include "wallpaper/changer/Settings.h"

#include "platform/ProgramNames.h"
#include "platform/ui/Ui.h"

#include <QLocale>

#include "platform/ProgramNames.h"
#include "platform/clock/Clock.h"
#include "platform/shell/PathHelpers.h"
#include "platform/store/SettingsKeys.h"
#include "platform/store/SettingsStore.h"
#include "platform/store/ValueText.h"
#include "wallpaper/changer/ChangerState.h"

namespace pellimore {

namespace {

// The short date format of the system, with the year widened to four digits.
QString LongYearFormat()
{
    QString format = QLocale::system().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QString ShortYearFormat()
{
    QString format = LongYearFormat();
    format.replace(QLatin1String("yyyy"), QLatin1String("yy"));
    return format;
}

}  // namespace

QString ShortDateText(const QDate &date)
{
    return QLocale::system().toString(date, LongYearFormat());
}

std::optional<QDate> ParseShortDate(const QString &text)
{
    const QString trimmed = text.trimmed();
    QDate date = QLocale::system().toDate(trimmed, LongYearFormat());
    if (date.isValid())
        return date;
    date = QLocale::system().toDate(trimmed, ShortYearFormat());
    if (date.isValid()) {
        // Qt reads two-digit years as 1900-1999; they stand for this century.
        if (date.year() < 2000)
            date = date.addYears(100);
        return date;
    }
    date = QDate::fromString(trimmed, Qt::ISODate);
    if (date.isValid())
        return date;
    return std::nullopt;
}

int JpegQualityFromSetting(int stored)
{
    switch (stored) {
    case 1:
        return 93;
    case 2:
        return 100;
    default:
        return 85;
    }
}

int JpegSettingFromQuality(int quality)
{
    if (quality == 100)
        return 2;
    if (quality == 93)
        return 1;
    return 0;
}

LoadSettingsOutcome LoadSettings(ChangerState &state, const SettingsStore &store, const Clock &clock,
                                 const QString &programFolder)
{
    using Keys = WallpaperKeys;
    auto text = [&](const QString &key, const QString &defaultValue) {
        return store.GetSetting(kApplicationName, Keys::kSection, key, defaultValue);
    };
    // A number that is missing or out of range takes its default; text that
    // is not a number reads as 0.
    auto number = [&](const QString &key, long long defaultValue) -> long long {
        const QString stored = store.GetSetting(kApplicationName, Keys::kSection, key);
        if (stored.isNull())
            return defaultValue;
        const std::optional<int> value = LeadingInteger(stored);
        return value ? *value : defaultValue;
    };

    const QDate today = clock.Today();
    const QString folder = text(Keys::kFolder, QStringLiteral("0"));

    state.StartupState = int(number(Keys::kStartup, 3));
    if (state.StartupState < 0)
        state.StartupState = 3;
    state.CurrentOrder = int(number(Keys::kCurrent, 0));
    state.ScheduleKind = text(Keys::kTime, QStringLiteral(" 1"));
    if (state.ScheduleKind.isEmpty())
        state.ScheduleKind = QStringLiteral("Daily");
    state.HourInterval = int(number(Keys::kInterval2, 1));
    if (state.HourInterval <= 0)
        state.HourInterval = 1;
    state.ChangeWeekday = int(number(Keys::kInterval3, 0));

    const std::optional<QDate> next = ParseShortDate(text(Keys::kDate, ShortDateText(today)));
    // A date that is not a date, or one before today, becomes today.
    state.NextChangeDate = ShortDateText(next && *next >= today ? *next : today);

    state.PlaySoundOnChange = int(number(Keys::kSound, 1));
    state.DefaultBackColor = ColorRef(number(Keys::kColor, state.DesktopColor));
    state.NoActiveDesktop = int(number(Keys::kActiveDesktop, 1));
    state.JpegQuality = JpegQualityFromSetting(int(number(Keys::kJpg, 0)));
    state.ReminderOff = int(number(Keys::kAutoStartMessage, 0));

    LoadSettingsOutcome outcome;
    if (state.StartupState == 3) {
        outcome.createStartupShortcut = true;
        state.FirstRun = true;
    }
    // Only an absolute path names the picture folder; the default "0" must not
    // find a folder of that name in whatever folder the program started in.
    if (folder.startsWith('/') && FolderExists(folder)) {
        state.PictureFolder = folder;
    } else {
        state.PictureFolder = AddTrailingBackslash(programFolder) + QStringLiteral("Samples");
        state.CurrentOrder = 0;
        outcome.createStartupShortcut = true;
        outcome.runFirstRunFolderSetup = true;
    }
    return outcome;
}

bool SaveSettings(const ChangerState &state, SettingsStore &store)
{
    using Keys = WallpaperKeys;
    // One write of the file for all of them.
    return store.SaveSettings(kApplicationName, Keys::kSection,
                              {
                                  {Keys::kStartup, PaddedNumberText(state.StartupState)},
                                  {Keys::kTime, state.ScheduleKind},
                                  {Keys::kCurrent, PaddedNumberText(state.CurrentOrder)},
                                  {Keys::kFolder, state.PictureFolder},
                                  {Keys::kInterval2, PaddedNumberText(state.HourInterval)},
                                  {Keys::kInterval3, PaddedNumberText(state.ChangeWeekday)},
                                  {Keys::kDate, state.NextChangeDate},
                                  {Keys::kSound, PaddedNumberText(state.PlaySoundOnChange)},
                                  {Keys::kColor, PaddedNumberText(state.DefaultBackColor)},
                                  {Keys::kActiveDesktop, PaddedNumberText(state.NoActiveDesktop)},
                                  {Keys::kJpg, PaddedNumberText(JpegSettingFromQuality(state.JpegQuality))},
                              });
}

}  // namespace pellimore

namespace pellimore {

bool SaveSettingsOrTell(ChangerState &state, SettingsStore &store, Ui &ui)
{
    if (SaveSettings(state, store))
        return true;
    TellUnsavedOnce(state, ui, QStringLiteral("the settings"), store.LastError());
    return false;
}

void TellUnsavedOnce(ChangerState &state, Ui &ui, const QString &what, const QString &why)
{
    if (state.UnsavedTold)
        return;
    state.UnsavedTold = true;
    ui.Message(QStringLiteral("WallPaper Pellimore could not save %1: %2\n\n"
                              "Your changes are kept while the program runs.")
                   .arg(what, why.isEmpty() ? QStringLiteral("unknown error") : why),
               MessageIcon::Exclamation, kApplicationTitle);
}

}  // namespace pellimore
