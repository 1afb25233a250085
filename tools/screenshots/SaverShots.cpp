// The screen saver's settings dialog and its about box for the screenshots
// tool, with the saver's default title in a large font over the samples.
#include "platform/Platform.h"
#include "screensaver/QtEventPump.h"
#include "screensaver/SaverApp.h"
#include "screensaver/ScreenSaver.h"
#include "screensaver/SetupSaver.h"
#include "tools/screenshots/Shooter.h"

void ShootSaverSettings(Shooter &shoot, pellimore::Platform platform, const QString &pictures)
{
    using namespace pellimore;
    QtEventPump pump;
    ScreenSaver saver(platform, pump);
    saver.settings.folder = pictures;
    saver.settings.title = QStringLiteral("Wallpaper Pellimore Presents...");
    saver.settings.fontSize = 24;
    const SaverPictures builtIn = LoadBuiltInPictures();
    SetupSaver dialog(saver, builtIn.about);
    dialog.show();
    shoot.Save(dialog, QStringLiteral("saver-settings"));
    frmAboutSS about(builtIn.about, &dialog);
    about.show();
    shoot.Save(about, QStringLiteral("saver-about"));
    about.hide();
    dialog.hide();
}
