#include "wallpaper/app/RealServices.h"

#include <QSocketNotifier>

#include <csignal>
#include <unistd.h>

#include "platform/ProgramNames.h"
#include "platform/desktop/PlasmaActiveDesktop.h"
#include "platform/desktop/SessionDetect.h"
#include "platform/desktop/X11Root.h"
#include "platform/store/SettingsKeys.h"
#include "wallpaper/activedesktop/X11ActiveDesktop.h"
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

// The kind of desktop: PELLIMORE_DESKTOP, else the setting "Backend" of
// section "Desktop", else what the session says it is.
DesktopKind SessionDesktopKind(const SettingsStore &store)
{
    return ChooseDesktopKind(SessionEnvironment::FromProcess(),
                             store.GetSetting(kApplicationName, DesktopKeys::kSection, DesktopKeys::kBackend),
                             [] { return FindDesktopWindow(QString()); });
}

// The animated desktop the session allows: Plasma plays GIF wallpapers
// itself; on plain X11 our desktop windows play them over the root window
// (each attempt checks again that no other program draws the desktop);
// elsewhere every attempt fails.
std::unique_ptr<ActiveDesktop> MakeActiveDesktop(DesktopKind kind, ProcessRunner &runner, DesktopService &desktop)
{
    switch (kind) {
    case DesktopKind::Kde:
        return std::make_unique<PlasmaActiveDesktop>(runner);
    case DesktopKind::X11:
        return std::make_unique<X11ActiveDesktop>(QString(), desktop);
    default:
        return std::make_unique<UnavailableActiveDesktop>();
    }
}

}  // namespace

RealServices::RealServices(bool quiet)
    : platform_{store_, quiet ? static_cast<Ui &>(quiet_) : windows_, shell_, clock_, random_, help_}
{
    const DesktopKind kind = SessionDesktopKind(store_);
    desktop_ = std::make_unique<SystemDesktop>(MakeDesktopBackend(kind, runner_, SystemDesktop::DefaultRuntimeFolder()),
                                               StoredDesktopColor(store_), SystemDesktop::DefaultCacheFolder());
    activeDesktop_ = MakeActiveDesktop(kind, runner_, *desktop_);
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
