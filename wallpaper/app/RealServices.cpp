#include "wallpaper/app/RealServices.h"

#include <QSocketNotifier>

#include <csignal>
#include <unistd.h>

#include "platform/ProgramNames.h"
#include "platform/desktop/SessionDetect.h"
#include "platform/desktop/X11Root.h"
#include "platform/store/SettingsKeys.h"
#include "wallpaper/changer/Settings.h"
#include "wallpaper/changer/WallpaperInstaller.h"

namespace pellimore {

namespace {

int signalPipe[2] = {-1, -1};

void OnTerminate(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

// The desktop backend: PELLIMORE_DESKTOP, else the setting "Backend" of
// section "Desktop", else what the session says it is.
std::unique_ptr<SystemDesktop> MakeSystemDesktop(const SettingsStore &store, ProcessRunner &runner)
{
    const DesktopKind kind =
        ChooseDesktopKind(SessionEnvironment::FromProcess(),
                          store.GetSetting(kApplicationName, DesktopKeys::kSection, DesktopKeys::kBackend),
                          [] { return FindDesktopWindow(QString()); });
    return std::make_unique<SystemDesktop>(MakeDesktopBackend(kind, runner, SystemDesktop::DefaultRuntimeFolder()),
                                           StoredDesktopColor(store), SystemDesktop::DefaultCacheFolder());
}

}  // namespace

RealServices::RealServices(bool quiet)
    : platform_{store_, quiet ? static_cast<Ui &>(quiet_) : windows_, shell_, clock_, random_, help_},
      desktop_(MakeSystemDesktop(store_, runner_))
{
}

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

}  // namespace pellimore
