#include "wallpaper/changer/Settings.h"

#include <QLocale>

#include <cmath>
#include <limits>

#include "platform/clock/Clock.h"
#include "platform/store/SettingsStore.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/changer/PathHelpers.h"

namespace pellimore {

namespace {

// Keys of section "Wallpaper".
const QString kFolder = QStringLiteral("Folder");
const QString kStartup = QStringLiteral("Startup");
const QString kCurrent = QStringLiteral("Current");
const QString kTime = QStringLiteral("Time");
const QString kInterval2 = QStringLiteral("Interval2");
const QString kInterval3 = QStringLiteral("Interval3");
const QString kDate = QStringLiteral("Date");
const QString kSound = QStringLiteral("Sound");
const QString kColor = QStringLiteral("Color");
const QString kActiveDesktop = QStringLiteral("AD");
const QString kJpg = QStringLiteral("JPG");
const QString kAutoStartMessage = QStringLiteral("AutoStartMessage");

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

std::optional<int> ReadLeadingNumber(const QString &text)
{
    int i = 0;
    const int n = int(text.size());
    while (i < n && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    const int signAt = i;
    if (i < n && (text[i] == '-' || text[i] == '+'))
        ++i;
    const int digitsAt = i;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128)
        ++i;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && text[i].isDigit() && text[i].unicode() < 128)
            ++i;
    }
    if (i == digitsAt || (i == digitsAt + 1 && text[digitsAt] == '.'))
        return 0;
    bool ok = false;
    const double value = text.mid(signAt, i - signAt).toDouble(&ok);
    if (!ok)
        return 0;
    const double rounded = std::nearbyint(value);  // the default rounding mode: half to even
    if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(rounded);
}

QString NumberText(long long value)
{
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

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
    auto text = [&](const QString &key, const QString &defaultValue) {
        return store.GetSetting(kApplicationName, kWallpaperSection, key, defaultValue);
    };
    // A number that is missing or out of range takes its default; text that
    // is not a number reads as 0.
    auto number = [&](const QString &key, long long defaultValue) -> long long {
        const QString stored = store.GetSetting(kApplicationName, kWallpaperSection, key);
        if (stored.isNull())
            return defaultValue;
        const std::optional<int> value = ReadLeadingNumber(stored);
        return value ? *value : defaultValue;
    };

    const QDate today = clock.Today();
    const QString folder = text(kFolder, QStringLiteral("0"));

    state.StartupState = int(number(kStartup, 3));
    if (state.StartupState < 0)
        state.StartupState = 3;
    state.CurrentOrder = int(number(kCurrent, 0));
    state.ScheduleKind = text(kTime, QStringLiteral(" 1"));
    if (state.ScheduleKind.isEmpty())
        state.ScheduleKind = QStringLiteral("Daily");
    state.HourInterval = int(number(kInterval2, 1));
    if (state.HourInterval <= 0)
        state.HourInterval = 1;
    state.ChangeWeekday = int(number(kInterval3, 0));

    const std::optional<QDate> next = ParseShortDate(text(kDate, ShortDateText(today)));
    // A date that is not a date, or one before today, becomes today.
    state.NextChangeDate = ShortDateText(next && *next >= today ? *next : today);

    state.PlaySoundOnChange = int(number(kSound, 1));
    state.DefaultBackColor = ColorRef(number(kColor, state.DesktopColor));
    state.NoActiveDesktop = int(number(kActiveDesktop, 1));
    state.JpegQuality = JpegQualityFromSetting(int(number(kJpg, 0)));
    state.ReminderOff = int(number(kAutoStartMessage, 0));

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
    bool ok = true;
    auto save = [&](const QString &key, const QString &value) {
        ok = store.SaveSetting(kApplicationName, kWallpaperSection, key, value) && ok;
    };
    save(kStartup, NumberText(state.StartupState));
    save(kTime, state.ScheduleKind);
    save(kCurrent, NumberText(state.CurrentOrder));
    save(kFolder, state.PictureFolder);
    save(kInterval2, NumberText(state.HourInterval));
    save(kInterval3, NumberText(state.ChangeWeekday));
    save(kDate, state.NextChangeDate);
    save(kSound, NumberText(state.PlaySoundOnChange));
    save(kColor, NumberText(state.DefaultBackColor));
    save(kActiveDesktop, NumberText(state.NoActiveDesktop));
    save(kJpg, NumberText(JpegSettingFromQuality(state.JpegQuality)));
    return ok;
}

}  // namespace pellimore
