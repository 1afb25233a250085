#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

namespace pellimore {

struct ChangerState;
struct Platform;
class PictureLibrary;
class PictureViewModel;
class StdPNG;
class WallpaperInstaller;

inline const QString kNeedMoreWallpaperTitle = QStringLiteral("Need more wallpaper");
inline const QString kNeedMoreWallpaperText = QStringLiteral(
    "Unable to change the current wallpaper because there is only one wallpaper picture in the wallpaper folder.");

// The four schedule options of the main window.
enum class ScheduleOption { Hourly, Daily, Weekly, Monthly };

// What the schedule controls show (the main window lays them out).
struct ScheduleControls {
    ScheduleOption selected = ScheduleOption::Daily;
    bool hoursEnabled = false;   // cboHours
    bool daysEnabled = false;    // cboDays
    int hoursShown = 1;          // the number cboHours shows: 1..8 or 24
    bool monthLabelVisible = false;
    QString monthLabel;          // lblMonth: NextChangeDate as mm/dd/yy
};

// What the main window does for the schedule; every method has an empty
// default.
class ScheduleListener {
public:
    virtual ~ScheduleListener() = default;
    // The icon goes into the notification area and the window is hidden.
    virtual void ShowTrayIcon() {}
    // "Show Start WP Reminder" is checked.
    virtual bool ReminderWanted() const { return false; }
    // The reminder window after Start.
    virtual void ShowReminder() {}
    // The shell learns that everything changed.
    virtual void NotifyShell() {}
    // Shows the current GIF animated; true when it is shown.
    virtual bool ShowAnimatedPreview() { return false; }
};

// The change schedule: the due test, the next due date, the change to the
// next picture of the play order with its error path, the option handlers and
// the two timers (the minute timer of the hourly kind and the one-shot
// delayed change of an autorun start).
class Schedule : public QObject {
    Q_OBJECT

public:
    Schedule(ChangerState &state, PictureLibrary &library, PictureViewModel &view, WallpaperInstaller &installer,
             const Platform &platform, QObject *parent = nullptr);
    ~Schedule() override;

    // The listener is not owned; nullptr (the default) tells no one.
    void SetListener(ScheduleListener *listener) { listener_ = listener; }

    // The minute timer of the hourly kind and the one-shot delayed change of
    // an autorun start.
    const QTimer &MinuteTimer() const { return tmrWhenToChange_; }
    const QTimer &DelayedChangeTimer() const { return tmrRefresh_; }
    // Stops both timers (the program is ending, or ran one change only).
    void StopTimers();
    // Stops the minute timer (the settings window is open).
    void StopMinuteTimer() { tmrWhenToChange_.stop(); }

    ScheduleControls &Controls() { return controls_; }
    const ScheduleControls &Controls() const { return controls_; }
    // Sets the controls from the settings, as the start-up does.
    void SetControlsFromSettings();

    bool IsDue() const;
    void CheckSchedule();
    void ScheduleNextChange();
    // Makes the next picture of the play order the wallpaper; true when the
    // wallpaper changed. A failure has been told to the user; the reason is
    // also kept in LastError().
    bool ChangeToNextPicture();
    void ReadScheduleOptions();
    QString NextMonthDate() const;
    void StartSchedule();
    // The tray's "Next Wallpaper"; true when the wallpaper changed.
    bool NextWallpaper();

    // Option and list clicks.
    void optHourly_Click();
    void optDaily_Click();
    void optWeekly_Click();
    void optMonthly_Click();
    void cboHours_Click(int hours);
    void cboDays_Click(int position);

    void tmrWhenToChange_Timer();
    void tmrRefresh_Timer();

    const QString &LastError() const { return lastError_; }

private:
    // Loads the current entry into picSource by its type; false with a reason.
    bool LoadCurrentPicture(bool platformLoaderOnly, QString *error);
    // The error path: rescan, merge, load the entry at CurrentIndex again.
    bool Recover(QString *error);
    void Fail(const QString &fileName, const QString &reason);
    // The play order's next place; a new pass does not begin with the
    // picture that ended the last one.
    void AdvancePlayOrder();

    ChangerState &state_;
    PictureLibrary &library_;
    PictureViewModel &view_;
    WallpaperInstaller &installer_;
    const Platform &platform_;
    ScheduleListener *listener_ = nullptr;
    QTimer tmrWhenToChange_;  // 60 s, the hourly kind
    QTimer tmrRefresh_;       // 30 s, once, after an autorun start
    std::unique_ptr<StdPNG> png_;
    ScheduleControls controls_;
    QString lastError_;
};

}  // namespace pellimore
