#include "wallpaper/changer/Schedule.h"

#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>

#include "platform/Platform.h"
#include "platform/ProgramNames.h"
#include "platform/clock/Clock.h"
#include "platform/imageio/PictureLoader.h"
#include "platform/ui/Ui.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/changer/PictureViewModel.h"
#include "wallpaper/changer/PictureLibrary.h"
#include "wallpaper/changer/Settings.h"
#include "wallpaper/changer/ShellIntegration.h"
#include "wallpaper/changer/WallpaperInstaller.h"
#include "wallpaper/codecs/StdPNG.h"

namespace pellimore {

namespace {

// A PNG is decoded whole (its inflated data and its 32-bit bitmap side by
// side) before it is reduced to what the desktop shows; this bounds that
// peak near 300 MiB. Larger PNGs are "too large to process".
StdPNG::Options WallpaperPngOptions()
{
    StdPNG::Options options;
    options.limits.maxPixels = kWallpaperPngMaxPixels;
    return options;
}

}  // namespace

Schedule::Schedule(ChangerState &state, PictureLibrary &library, PictureViewModel &view,
                   WallpaperInstaller &installer, const Platform &platform, QObject *parent)
    : QObject(parent), state_(state), library_(library), view_(view), installer_(installer), platform_(platform),
      png_(std::make_unique<StdPNG>(platform.ui, WallpaperPngOptions()))
{
    tmrWhenToChange_.setInterval(60000);
    tmrRefresh_.setInterval(30000);
    tmrRefresh_.setSingleShot(true);
    connect(&tmrWhenToChange_, &QTimer::timeout, this, &Schedule::tmrWhenToChange_Timer);
    connect(&tmrRefresh_, &QTimer::timeout, this, &Schedule::tmrRefresh_Timer);
}

Schedule::~Schedule() = default;

void Schedule::StopTimers()
{
    tmrWhenToChange_.stop();
    tmrRefresh_.stop();
}

void Schedule::SetControlsFromSettings()
{
    const QString &kind = state_.ScheduleKind;
    if (kind == QLatin1String("Hour"))
        controls_.selected = ScheduleOption::Hourly;
    else if (kind == QLatin1String("Week"))
        controls_.selected = ScheduleOption::Weekly;
    else if (kind == QLatin1String("Month"))
        controls_.selected = ScheduleOption::Monthly;
    else
        controls_.selected = ScheduleOption::Daily;
    controls_.hoursEnabled = kind == QLatin1String("Hour");
    controls_.hoursShown = state_.HourInterval == 24 ? 24 : std::clamp(state_.HourInterval, 1, 8);
}

bool Schedule::IsDue() const
{
    const QDate today = platform_.clock.Today();
    const std::optional<QDate> next = ParseShortDate(state_.NextChangeDate);
    const bool dateReached = !next || *next <= today;
    const QString &kind = state_.ScheduleKind;
    if (kind == QLatin1String("Hour"))
        return state_.HourInterval == 24 ? dateReached : true;
    if (kind == QLatin1String("Daily") || kind == QLatin1String("Month"))
        return dateReached || state_.FirstRun;
    if (kind == QLatin1String("Week"))
        return today.dayOfWeek() == state_.ChangeWeekday || state_.FirstRun;
    return false;
}

void Schedule::CheckSchedule()
{
    const bool due = IsDue();
    if (due && !state_.AutoRunStart) {
        if (ChangeToNextPicture())
            installer_.PlayChangeSound();
        ScheduleNextChange();
    }
    if (state_.AutoRunStart) {
        if (due)
            tmrRefresh_.start();
        state_.AutoRunStart = false;
        if (listener_)
            listener_->ShowTrayIcon();
    }
    view_.ClearPictures();
}

void Schedule::ScheduleNextChange()
{
    const QDate today = platform_.clock.Today();
    const QString &kind = state_.ScheduleKind;
    if (kind == QLatin1String("Daily")) {
        state_.NextChangeDate = ShortDateText(today.addDays(1));
    } else if (kind == QLatin1String("Week")) {
        state_.NextChangeDate = ShortDateText(today.addDays(7));
    } else if (kind == QLatin1String("Month")) {
        state_.NextChangeDate = NextMonthDate();
    } else if (kind == QLatin1String("Hour")) {
        state_.NextChangeDate = ShortDateText(state_.HourInterval == 24 ? today.addDays(1) : today);
        state_.MinutesSinceCheck = 0;
        tmrWhenToChange_.start();
    }
}

QString Schedule::NextMonthDate() const
{
    const QString digits = platform_.clock.Today().toString(QStringLiteral("yyyyMMdd"));
    const QString year = digits.left(4);
    const QString month = digits.mid(4, 2);
    QString lastDay = QStringLiteral("31");
    if (month == QLatin1String("04") || month == QLatin1String("06") || month == QLatin1String("09") ||
        month == QLatin1String("11")) {
        lastDay = QStringLiteral("30");
    } else if (month == QLatin1String("02")) {
        const int y = year.toInt();
        lastDay = (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0)) ? QStringLiteral("29") : QStringLiteral("28");
    }
    const QDate last = QDate::fromString(year + QLatin1Char('-') + month + QLatin1Char('-') + lastDay, Qt::ISODate);
    return ShortDateText(last.addDays(1));
}

bool Schedule::LoadCurrentPicture(bool platformLoaderOnly, QString *error)
{
    const PictureRecord *entry = view_.CurrentEntry();
    if (!entry) {
        *error = QStringLiteral("the picture list has no entry for this place in the play order");
        return false;
    }
    return view_.LoadPicture(PicturePath(state_.PictureFolder, entry->FileName), *png_, platformLoaderOnly, error,
                             true);
}

bool Schedule::Recover(QString *error)
{
    library_.ScanPictureFolder();
    library_.MergePictureRecords();
    // A picture that has gone takes its place in the order with it; the
    // order's place still names a picture while the list is not empty.
    if (state_.CurrentIndex < 1 && library_.PictureCount() > 0) {
        state_.CurrentOrder = std::clamp(state_.CurrentOrder, 1, library_.PictureCount());
        state_.CurrentIndex = library_.IndexOfOrder(state_.CurrentOrder);
    }
    if (state_.CurrentIndex < 1 || state_.CurrentIndex > library_.PictureCount()) {
        *error = QStringLiteral("the picture is no longer in the folder");
        return false;
    }
    state_.SelectedIndex = state_.CurrentIndex - 1;
    // Loaded by its type again: a PNG is not a picture the platform loader reads.
    return LoadCurrentPicture(false, error);
}

void Schedule::Fail(const QString &fileName, const QString &reason)
{
    lastError_ = QStringLiteral("cannot load %1: %2").arg(fileName, reason);
    platform_.ui.Message(QStringLiteral("The picture \"%1\" could not be loaded, so the wallpaper was not changed.\n\n%2")
                             .arg(fileName, reason),
                         MessageIcon::Exclamation, kApplicationTitle);
    view_.ClearPictures();
}

void Schedule::AdvancePlayOrder()
{
    const int count = library_.PictureCount();
    const int shownOrder = state_.CurrentOrder;
    state_.CurrentOrder += 1;
    if (state_.CurrentOrder <= count)
        return;
    const int shownIndex = library_.IndexOfOrder(shownOrder);
    library_.ShuffleOrder();
    state_.CurrentOrder = 1;
    // "Next" must show another picture: when the new pass would begin with
    // the picture just shown, it swaps places with the second one.
    if (shownIndex > 0 && count > 1 && library_.IndexOfOrder(1) == shownIndex)
        library_.SwapOrders(1, 2);
}

bool Schedule::ChangeToNextPicture()
{
    lastError_.clear();
    const int count = library_.PictureCount();
    if (count == 1) {
        lastError_ = kNeedMoreWallpaperText;
        platform_.ui.Message(kNeedMoreWallpaperText, MessageIcon::None, kNeedMoreWallpaperTitle);
        return false;
    }
    if (count == 0) {
        lastError_ = QStringLiteral("there are no pictures in the folder %1").arg(state_.PictureFolder);
        return false;
    }
    AdvancePlayOrder();
    // The desktop prepares while the picture is loaded and fitted; whatever
    // it prepared is let go when the change ends, used or not.
    if (InstallMethodFromSetting(state_.NoActiveDesktop) == InstallMethod::Direct)
        installer_.ExpectWallpaper(true);
    const auto prepared = qScopeGuard([this] { installer_.ExpectWallpaper(false); });
    state_.CurrentIndex = library_.IndexOfOrder(state_.CurrentOrder);
    state_.SelectedIndex = state_.CurrentIndex - 1;
    const PictureRecord *entry = view_.CurrentEntry();
    QString fileName = entry ? entry->FileName : QString();

    // The error path runs once: a rescan, and the same entry loaded again.
    bool recovered = false;
    QString error;
    auto recover = [&]() {
        if (recovered)
            return false;
        recovered = true;
        // The first failure names the real cause; the retry's would only repeat it.
        const QString first = error;
        if (Recover(&error))
            return true;
        if (!first.isEmpty())
            error = first;
        if (const PictureRecord *now = view_.CurrentEntry())
            fileName = now->FileName;
        return false;
    };

    if (!LoadCurrentPicture(false, &error) && !recover()) {
        Fail(fileName, error);
        return false;
    }
    // With no window to show it (WallPaper --next), the thumbnail would be
    // drawn only to be cleared when the change ends.
    if (listener_)
        view_.AnalysePicture();
    else
        view_.AnalysePictureUnseen();
    view_.GifFlags().gifNeedsBackground = false;
    view_.EndAnimatedPreview();
    if (const PictureRecord *current = view_.CurrentEntry();
        current && PictureType(current->FileName) == QLatin1String("GIF")) {
        auto showAnimated = [this] { return listener_ && listener_->ShowAnimatedPreview(); };
        GifInspectionHost host{platform_.ui, view_.GifFlags(), state_.NoActiveDesktop == 1, {}, showAnimated};
        try {
            InspectGif(PicturePath(state_.PictureFolder, current->FileName), host);
        } catch (const PictureReadError &failure) {
            error = failure.reason;
            if (!recover()) {
                Fail(current->FileName, error);
                return false;
            }
        }
    }
    if (!view_.RenderWallpaperBitmap(&error)) {
        lastError_ = error;
        if (!installer_.FailureShown())
            platform_.ui.Message(QStringLiteral("The wallpaper could not be changed.\n\n") + error,
                                 MessageIcon::Exclamation, kApplicationTitle);
        view_.ClearPictures();
        return false;
    }
    view_.ClearPictures();
    return true;
}

void Schedule::ReadScheduleOptions()
{
    if (state_.Loading)
        return;
    controls_.hoursEnabled = false;
    controls_.daysEnabled = false;
    controls_.monthLabelVisible = false;
    switch (controls_.selected) {
    case ScheduleOption::Daily:
        state_.ScheduleKind = QStringLiteral("Daily");
        break;
    case ScheduleOption::Weekly:
        controls_.daysEnabled = true;
        state_.ScheduleKind = QStringLiteral("Week");
        break;
    case ScheduleOption::Monthly: {
        state_.ScheduleKind = QStringLiteral("Month");
        const std::optional<QDate> next = ParseShortDate(state_.NextChangeDate);
        controls_.monthLabelVisible = true;
        controls_.monthLabel = next ? next->toString(QStringLiteral("MM/dd/yy")) : state_.NextChangeDate;
        break;
    }
    case ScheduleOption::Hourly:
        controls_.hoursEnabled = true;
        state_.ScheduleKind = QStringLiteral("Hour");
        state_.CheckPeriodMinutes = state_.HourInterval * 60;
        break;
    }
}

void Schedule::optDaily_Click()
{
    controls_.selected = ScheduleOption::Daily;
    if (state_.Loading)
        return;
    state_.NextChangeDate = ShortDateText(platform_.clock.Today().addDays(1));
    ReadScheduleOptions();
}

void Schedule::optWeekly_Click()
{
    controls_.selected = ScheduleOption::Weekly;
    if (state_.Loading)
        return;
    state_.NextChangeDate = ShortDateText(platform_.clock.Today().addDays(7));
    ReadScheduleOptions();
}

void Schedule::optHourly_Click()
{
    controls_.selected = ScheduleOption::Hourly;
    if (state_.Loading)
        return;
    state_.NextChangeDate = ShortDateText(platform_.clock.Today());
    ReadScheduleOptions();
    if (state_.HourInterval == 24)
        state_.NextChangeDate = ShortDateText(platform_.clock.Today().addDays(1));
}

void Schedule::optMonthly_Click()
{
    controls_.selected = ScheduleOption::Monthly;
    if (state_.Loading)
        return;
    state_.NextChangeDate = NextMonthDate();
    ReadScheduleOptions();
}

void Schedule::cboHours_Click(int hours)
{
    if (!((hours >= 1 && hours <= 8) || hours == 24))
        return;
    controls_.hoursShown = hours;
    if (state_.Loading)
        return;
    state_.HourInterval = hours;
}

void Schedule::cboDays_Click(int position)
{
    if (position < 0 || position > 6 || state_.Loading)
        return;
    state_.ChangeWeekday = position + 1;
}

void Schedule::StartSchedule()
{
    if (library_.PictureCount() == 0) {
        library_.ReportEmptyFolder(false);
        return;
    }
    if (state_.ScheduleKind == QLatin1String("Hour"))
        state_.HourInterval = controls_.hoursShown;
    ReadScheduleOptions();
    if (state_.HourInterval != 24)
        state_.MinutesSinceCheck = 0;
    if (state_.PendingApply) {
        view_.RenderWallpaperBitmap();
        if (state_.ScheduleKind == QLatin1String("Hour"))
            tmrWhenToChange_.start();
        state_.PendingApply = false;
    } else {
        CheckSchedule();
    }
    SaveSettingsOrTell(state_, platform_.store, platform_.ui);
    installer_.SaveDesktopColor();
    if (listener_ && listener_->ReminderWanted())
        listener_->ShowReminder();
    view_.EndAnimatedPreview();
    if (listener_)
        listener_->ShowTrayIcon();
}

bool Schedule::NextWallpaper()
{
    tmrWhenToChange_.stop();
    const bool changed = ChangeToNextPicture();
    if (changed)
        installer_.PlayChangeSound();
    ScheduleNextChange();
    return changed;
}

void Schedule::tmrWhenToChange_Timer()
{
    state_.MinutesSinceCheck += 1;
    if (state_.MinutesSinceCheck < state_.CheckPeriodMinutes)
        return;
    state_.MinutesSinceCheck = 0;
    if (state_.PendingApply) {
        // The picture the user last looked at becomes the wallpaper, once.
        view_.RenderWallpaperBitmap();
        state_.PendingApply = false;
    } else {
        CheckSchedule();
    }
}

void Schedule::tmrRefresh_Timer()
{
    tmrRefresh_.stop();
    const bool changed = ChangeToNextPicture();
    ScheduleNextChange();
    SaveSettingsOrTell(state_, platform_.store, platform_.ui);
    installer_.SaveDesktopColor();
    if (state_.NoActiveDesktop == 0 && listener_)
        listener_->NotifyShell();
    if (changed)
        installer_.PlayChangeSound();
}

}  // namespace pellimore
