// screenshots OUT_DIR: starts WallPaper's windows on the real services (run
// it under a private X server and a temporary HOME, as scripts/screenshots.sh
// does), drives them into their main states and saves each window as a PNG.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMenu>
#include <QScreen>
#include <QTextStream>
#include <QThread>

#include <functional>

#include "platform/Platform.h"
#include "platform/tray/QtNotificationArea.h"
#include "wallpaper/app/RealServices.h"
#include "wallpaper/changer/PictureData.h"
#include "wallpaper/changer/PictureLibrary.h"
#include "wallpaper/forms/SmallForms.h"
#include "wallpaper/forms/frmWallpaper.h"
#include "tools/screenshots/Shooter.h"

using namespace pellimore;

void ShootHelpViewer(Shooter &shoot);  // HelpShots.cpp
void ShootSaverSettings(Shooter &shoot, Platform platform, const QString &pictures);  // SaverShots.cpp
void ShootDesigner(Shooter &shoot, frmWallpaper &window);  // DesignerShots.cpp

void ShootResize(Shooter &shoot, frmWallpaper &window);  // ResizeShots.cpp

namespace {

int IndexOf(MainWindowModel &model, const std::function<bool(const QString &)> &wanted)
{
    const QStringList &names = model.PictureNames();
    for (int i = 0; i < names.size(); ++i) {
        if (wanted(names[i]))
            return i;
    }
    return -1;
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (app.arguments().size() != 2) {
        QTextStream(stderr) << "usage: screenshots OUT_DIR\n";
        return 2;
    }
    Shooter shoot(app.arguments().at(1));

    frmAbout splash(true);
    splash.show();
    shoot.Save(splash, QStringLiteral("splash"));
    splash.hide();

    RealServices services(false);
    WallpaperApp wallpaper(services.ForApp());
    QtNotificationArea notificationArea(2000);
    frmWallpaper window(wallpaper, notificationArea);
    if (wallpaper.Start({}) != StartOutcome::Running) {
        QTextStream(stderr) << "screenshots: another WallPaper runs for this user\n";
        return 1;
    }
    MainWindowModel &model = window.Model();
    window.resize(window.sizeHint());
    window.show();

    const auto select = [&model](const std::function<bool(const QString &)> &wanted) {
        const int index = IndexOf(model, wanted);
        if (index >= 0)
            model.FileList_Click(index);
        return index >= 0;
    };
    const auto endsWith = [](const char *suffix) {
        return [suffix](const QString &name) { return name.endsWith(QLatin1String(suffix), Qt::CaseInsensitive); };
    };

    if (select(endsWith(".jpg")))
        shoot.Save(window, QStringLiteral("settings-jpeg"));
    if (select(endsWith(".bmp")) || select(endsWith(".png"))) {
        model.optPropTile_Click(kStyleTiled);
        shoot.Save(window, QStringLiteral("settings-tiled"));
    }
    if (select(endsWith("Star.gif")) || select(endsWith(".gif"))) {
        Settle(600);
        shoot.Save(window, QStringLiteral("settings-animated-gif"));
    }
    if (select(endsWith(".jpg"))) {
        model.cmdPreview_Click();
        Settle(300);
        shoot.Save(window, QStringLiteral("preview"));
        model.cmdPreview_Click();
    }

    if (select(endsWith(".jpg")))
        ShootDesigner(shoot, window);

    if (select(endsWith(".jpg")))
        ShootResize(shoot, window);

    if (auto *tray = window.findChild<QMenu *>(QStringLiteral("mnuTray"))) {
        tray->popup(window.geometry().center());
        shoot.Save(*tray, QStringLiteral("tray-menu"));
        tray->hide();
    }
    frmExit exit(&window);
    exit.show();
    shoot.Save(exit, QStringLiteral("frmExit"));
    exit.hide();
    frmAutoRun reminder(false, &window);
    reminder.show();
    shoot.Save(reminder, QStringLiteral("frmAutoRun"));
    reminder.hide();
    frmAutoRun reminderNoTray(true, &window);
    reminderNoTray.show();
    shoot.Save(reminderNoTray, QStringLiteral("frmAutoRun-no-tray"));
    reminderNoTray.hide();
    frmAbout about(false, &window);
    about.show();
    shoot.Save(about, QStringLiteral("frmAbout"));
    about.hide();

    // The icon in the notification area: the top of the screen, where the
    // test tray sits.
    model.ShowTrayIcon(true);
    Settle(2500);
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QPixmap top = screen->grabWindow(0, 0, 0, screen->geometry().width(), 64);
        const QString path = app.arguments().at(1) + QStringLiteral("/tray-icon.png");
        if (top.save(path))
            QTextStream(stdout) << path << "\n";
    }
    ShootHelpViewer(shoot);
    ShootSaverSettings(shoot, services.ForApp().platform, wallpaper.State().PictureFolder);
    wallpaper.GetSchedule().StopTimers();
    return shoot.Ok() ? 0 : 1;
}
