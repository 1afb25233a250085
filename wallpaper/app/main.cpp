// WallPaper: the tray-resident wallpaper changer.
#include <QApplication>
#include <QSocketNotifier>
#include <QStringList>
#include <QTextStream>

#include <csignal>
#include <memory>
#include <unistd.h>

#include "platform/Platform.h"
#include "platform/desktop/ProcessRunner.h"
#include "platform/desktop/SessionDetect.h"
#include "platform/desktop/SystemDesktop.h"
#include "platform/desktop/X11Root.h"
#include "platform/sound/SystemSound.h"
#include "platform/clock/ProgramRandom.h"
#include "platform/clock/SystemClock.h"
#include "platform/help/BrowserHelpService.h"
#include "platform/instance/LocalInstanceChannel.h"
#include "platform/shell/QtShellFolders.h"
#include "platform/store/IniSettingsStore.h"
#include "platform/ui/QtUi.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/changer/DesktopApply.h"
#include "wallpaper/changer/NextCommand.h"
#include "wallpaper/changer/Schedule.h"
#include "wallpaper/changer/PictureLibrary.h"
#include "wallpaper/changer/Settings.h"
#include "wallpaper/changer/ShellIntegration.h"
#include "wallpaper/changer/StartUp.h"

using namespace pellimore;

namespace {

int signalPipe[2] = {-1, -1};

void OnTerminate(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

// A terminating signal ends the event loop, so that the program shuts down
// normally and keeps its settings.
void QuitOnTerminateSignals(QCoreApplication &app)
{
    if (::pipe(signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] { QCoreApplication::quit(); });
    struct sigaction action = {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

// The desktop colour the program set last ("Background" of section "Desktop":
// red, green and blue in decimal); black when none was set.
ColorRef StoredDesktopColor(const SettingsStore &store)
{
    const QStringList parts =
        store.GetSetting(kApplicationName, QStringLiteral("Desktop"), QStringLiteral("Background"))
            .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 3)
        return 0;
    auto byte = [](const QString &text) { return uint8_t(qBound(0, text.toInt(), 255)); };
    return Rgb(byte(parts[0]), byte(parts[1]), byte(parts[2]));
}

// The desktop backend: PELLIMORE_DESKTOP, else the setting "Backend" of
// section "Desktop", else what the session says it is.
std::unique_ptr<SystemDesktop> MakeSystemDesktop(const SettingsStore &store, ProcessRunner &runner)
{
    const DesktopKind kind =
        ChooseDesktopKind(SessionEnvironment::FromProcess(),
                          store.GetSetting(kApplicationName, kDesktopSection, QStringLiteral("Backend")),
                          [] { return FindDesktopWindow(QString()); });
    return std::make_unique<SystemDesktop>(MakeDesktopBackend(kind, runner, SystemDesktop::DefaultRuntimeFolder()),
                                           StoredDesktopColor(store), SystemDesktop::DefaultCacheFolder());
}

// `WallPaper --next`: the running instance changes the picture, or this
// process does it once. Exit status 0 when the wallpaper was applied.
int RunNextCommand(const Platform &platform, InstanceChannel &instance, ProcessRunner &runner)
{
    QTextStream err(stderr);
    if (!instance.ClaimFirstInstance()) {
        if (instance.SendToFirstInstance(InstanceChannel::Request::NextWallpaper))
            return 0;
        err << "WallPaper: the running WallPaper did not answer\n";
        return 1;
    }
    QuietUi quiet;
    const Platform quietPlatform{platform.store, quiet, platform.shell, platform.clock, platform.random,
                                 platform.help};
    std::unique_ptr<SystemDesktop> desktop = MakeSystemDesktop(platform.store, runner);
    UnavailableActiveDesktop activeDesktop;
    SystemSound sound(runner);
    ChangerState state;
    const NextCommandResult result = RunNextWallpaperOnce(state, quietPlatform, *desktop, activeDesktop, sound);
    if (result.exitCode != 0)
        err << "WallPaper: " << result.reason << "\n";
    return result.exitCode;
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(kApplicationTitle);
    QApplication::setApplicationDisplayName(kApplicationTitle);
    QApplication::setQuitOnLastWindowClosed(false);

    IniSettingsStore store;
    QtUi ui;
    QtShellFolders shell;
    SystemClock clock;
    ProgramRandom random;
    BrowserHelpService help(shell);
    Platform platform{store, ui, shell, clock, random, help};
    LocalInstanceChannel instance(QStringLiteral("WallPaper"));

    SystemProcessRunner runner;
    if (app.arguments().mid(1).contains(QStringLiteral("--next")))
        return RunNextCommand(platform, instance, runner);

    ChangerState state;
    StartUp startUp(state, platform, instance, QApplication::applicationFilePath());
    if (!startUp.ClaimFirstInstance())
        return 0;
    std::unique_ptr<SystemDesktop> desktop = MakeSystemDesktop(store, runner);
    UnavailableActiveDesktop activeDesktop;
    SystemSound sound(runner);
    QuitOnTerminateSignals(app);

    startUp.Begin(app.arguments().mid(1), StoredDesktopColor(store));
    const bool folderMissing = startUp.ReadSettings();

    // The picture folder: the samples' copy in the documents folder at the
    // first run (or when the folder is gone), else the folder as it is.
    PictureLibrary library(state, platform);
    bool folderSetUp = false;
    if (folderMissing || state.FirstRun) {
        library.FirstRunSetup();
        folderSetUp = true;
    } else {
        library.ScanPictureFolder();
    }
    if (library.PictureCount() == 0 && !folderSetUp) {
        state.CurrentOrder = 0;
        library.FirstRunSetup();
    }
    library.ReadPictureData();

    DesktopApply apply(state, library, platform, *desktop, activeDesktop, sound);
    apply.MeasureDesktop();
    // The current picture is the selected entry; an order that no entry has
    // any more falls back to the first entry.
    if ((state.CurrentOrder != 0 || state.FirstRun) && library.PictureCount() > 0) {
        int index = library.IndexOfOrder(state.CurrentOrder);
        if (index == 0) {
            index = 1;
            state.CurrentOrder = 1;
        }
        library.SelectListItem(library.PictureNames().at(index - 1));
    }
    Schedule schedule(state, library, apply, platform);
    schedule.SetControlsFromSettings();
    instance.SetRequestHandler([&schedule](InstanceChannel::Request request) {
        if (request == InstanceChannel::Request::Raise)
            qInfo("WallPaper Pellimore: raise request received");
        else if (request == InstanceChannel::Request::NextWallpaper)
            schedule.NextWallpaper();
    });

    startUp.FinishLoading();
    if (state.FirstRun)
        schedule.optDaily_Click();
    schedule.ReadScheduleOptions();
    qInfo("WallPaper Pellimore: picture folder %s, %d pictures, desktop %s", qPrintable(state.PictureFolder),
          library.PictureCount(), qPrintable(desktop->BackendName()));
    if (state.AutoRunStart) {
        // A plain X server forgot the root picture when the last session
        // ended: show the stored one again, whether or not a change is due.
        if (desktop->ForgetsWallpaperAtLogout())
            ReapplyStoredWallpaper(store, *desktop);
        if (library.PictureCount() > 0)
            schedule.CheckSchedule();
    }

    const int result = app.exec();
    SaveSettings(state, store);
    library.WritePictureData();
    return result;
}
