// WallPaper: the tray-resident wallpaper changer.
#include <QApplication>
#include <QSocketNotifier>
#include <QStringList>

#include <csignal>
#include <unistd.h>

#include "platform/Platform.h"
#include "platform/clock/ProgramRandom.h"
#include "platform/clock/SystemClock.h"
#include "platform/help/BrowserHelpService.h"
#include "platform/instance/LocalInstanceChannel.h"
#include "platform/shell/QtShellFolders.h"
#include "platform/store/IniSettingsStore.h"
#include "platform/ui/QtUi.h"
#include "wallpaper/changer/ChangerState.h"
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

    ChangerState state;
    StartUp startUp(state, platform, instance, QApplication::applicationFilePath());
    if (!startUp.ClaimFirstInstance())
        return 0;
    instance.SetRequestHandler([](InstanceChannel::Request request) {
        if (request == InstanceChannel::Request::Raise)
            qInfo("WallPaper Pellimore: raise request received");
    });
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

    startUp.FinishLoading();
    qInfo("WallPaper Pellimore: picture folder %s, %d pictures", qPrintable(state.PictureFolder),
          library.PictureCount());

    const int result = app.exec();
    SaveSettings(state, store);
    library.WritePictureData();
    return result;
}
