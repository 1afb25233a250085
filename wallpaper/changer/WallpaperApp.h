#pragma once

#include <QString>
#include <QStringList>

#include <memory>

#include "platform/instance/InstanceChannel.h"
#include "wallpaper/changer/ChangerState.h"

namespace pellimore {

struct Platform;
class ActiveDesktop;
class DesktopService;
class PictureLibrary;
class PictureViewModel;
class ProcessRunner;
class Schedule;
class SoundService;
class WallpaperInstaller;

// The window steps of the start-up and shut-down. The settings window
// implements it; without one (a start with no window yet, or a test) the
// defaults do nothing.
class WallpaperAppView {
public:
    virtual ~WallpaperAppView() = default;
    // The about window as a splash, " Loading...", while the program loads.
    virtual void ShowSplash() {}
    virtual void CloseSplash() {}
    // The settings window's controls are set from the state (menu checks,
    // schedule controls, the current picture).
    virtual void ShowSettings() {}
    virtual void ShowMainWindow() {}
    virtual void HideMainWindow() {}
};

// How a start ended.
enum class StartOutcome {
    Running,         // the program runs until ShutDown
    SecondInstance,  // another instance runs; it was asked to come forward
};

// The result of `WallPaper --next` run once.
struct NextOnceResult {
    int exitCode = 0;   // 0 when the wallpaper was applied
    QString reason;     // one line when it was not
};

// The wallpaper changer: its state, picture library, picture view, wallpaper
// installer and schedule, and the start-up that brings them up in their
// order. The services are the caller's.
class WallpaperApp {
public:
    struct Services {
        const Platform &platform;
        InstanceChannel &instance;
        DesktopService &desktop;
        ActiveDesktop &activeDesktop;
        SoundService &sound;
        QString programPath;   // for the autostart entry
        ProcessRunner *runner = nullptr;  // for the screen saver set-up; none in most tests
    };

    explicit WallpaperApp(const Services &services);
    ~WallpaperApp();
    WallpaperApp(const WallpaperApp &) = delete;
    WallpaperApp &operator=(const WallpaperApp &) = delete;

    // The view is not owned; nullptr (the default) has no window.
    void SetView(WallpaperAppView *view);

    // The start-up, in its order: the single-instance test, the command line,
    // the settings, the picture folder and library, the current picture, the
    // schedule, and with "/C" the schedule check that may change the
    // wallpaper 30 seconds later.
    StartOutcome Start(const QStringList &arguments);
    // `WallPaper --next`: a running instance is asked to change; otherwise
    // this process loads as the start-up does, changes once and saves.
    NextOnceResult RunNextOnce();
    // Saves the settings and "wallpaper.dat" and stops the timers. False when
    // either could not be saved (the state stays as it is; the user has been
    // told once, and SaveError says why).
    bool ShutDown();
    const QString &SaveError() const { return saveError_; }

    ChangerState &State() { return state_; }
    const Platform &GetPlatform() const { return services_.platform; }
    DesktopService &Desktop() { return services_.desktop; }
    // The program's own file, for the autostart entry.
    const QString &ProgramPath() const { return services_.programPath; }
    ProcessRunner *Runner() const { return services_.runner; }
    PictureLibrary &Library() { return *library_; }
    PictureViewModel &View() { return *view_; }
    WallpaperInstaller &Installer() { return *installer_; }
    Schedule &GetSchedule() { return *schedule_; }

private:
    // Random seed, Loading, desktop colour, documents folder.
    void Begin();
    // Settings, picture folder, library file; true when the folder holds pictures.
    bool LoadLibrary(bool interactive);
    // The entry of CurrentOrder (or the first) becomes the selected one.
    void SelectCurrentEntry();
    void OnRequest(InstanceChannel::Request request);

    Services services_;
    ChangerState state_;
    std::unique_ptr<WallpaperInstaller> installer_;
    std::unique_ptr<PictureLibrary> library_;
    std::unique_ptr<PictureViewModel> view_;
    std::unique_ptr<Schedule> schedule_;
    WallpaperAppView noWindow_;
    WallpaperAppView *window_ = &noWindow_;
    bool started_ = false;
    QString saveError_;
};

}  // namespace pellimore
