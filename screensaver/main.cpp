// Wallpaper Pellimore, the screen saver: started by the session's screen
// saver with "/S" (show), "/P <window>" (preview), "/C" or nothing
// (settings), "/A" (password), or by xscreensaver with "-root" or
// "-window-id <window>".
#include <QApplication>

#include "platform/Platform.h"
#include "platform/clock/ProgramRandom.h"
#include "platform/clock/SystemClock.h"
#include "platform/help/BrowserHelpService.h"
#include "platform/instance/LocalInstanceChannel.h"
#include "platform/shell/QtShellFolders.h"
#include "platform/store/IniSettingsStore.h"
#include "platform/ui/QtUi.h"
#include "screensaver/QtEventPump.h"
#include "screensaver/SaverApp.h"
#include "screensaver/ScreenSaver.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Wallpaper Pellimore"));
    QApplication::setQuitOnLastWindowClosed(false);

    pellimore::IniSettingsStore store;
    pellimore::QtUi ui;
    pellimore::QtShellFolders shell;
    pellimore::SystemClock clock;
    pellimore::ProgramRandom random;
    pellimore::BrowserHelpService help(shell);
    pellimore::Platform platform{store, ui, shell, clock, random, help};
    pellimore::QtEventPump pump;
    pellimore::ScreenSaver saver(platform, pump);
    pellimore::LocalInstanceChannel instance(QStringLiteral("wallpaper-pellimore-saver"));
    pellimore::LocalInstanceChannel preview(QStringLiteral("wallpaper-pellimore-saver-preview"));

    pellimore::SaverApp saverApp(saver, instance, preview, pellimore::LoadBuiltInPictures());
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    return saverApp.Run(arguments, qEnvironmentVariable("XSCREENSAVER_WINDOW"));
}
