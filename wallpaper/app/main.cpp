// WallPaper: the tray-resident wallpaper changer.
#include <QApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSystemTrayIcon>
#include <QTextStream>

#include <algorithm>
#include <cstring>

#include "platform/ProgramNames.h"
#include "platform/tray/QtNotificationArea.h"
#include "wallpaper/app/RealServices.h"
#include "wallpaper/forms/frmWallpaper.h"
#include "wallpaper/window/DesignerModel.h"

using namespace pellimore;

namespace {

// `WallPaper --next`: exit status 0 when the wallpaper was applied.
int RunNextOnce()
{
    RealServices services(true);
    WallpaperApp wallpaper(services.ForApp());
    const NextOnceResult result = wallpaper.RunNextOnce();
    if (result.exitCode != 0)
        QTextStream(stderr) << "WallPaper: " << result.reason << "\n";
    return result.exitCode;
}

}  // namespace

int main(int argc, char **argv)
{
    if (std::any_of(argv + 1, argv + argc, [](const char *argument) { return std::strcmp(argument, "--next") == 0; })) {
        // One change shows no window: the lighter QGuiApplication serves it
        // (no widget machinery set up). Everything of ours is closed when
        // RunNextOnce returns; the application object is left to the end of
        // the process, as destroying it would load the whole font
        // configuration (which the change never used) only to free it, some 10 ms.
        new QGuiApplication(argc, argv);
        QGuiApplication::setApplicationName(kApplicationTitle);
        return RunNextOnce();
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(kApplicationTitle);
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList arguments = app.arguments().mid(1);

    RealServices services(false);
    WallpaperApp wallpaper(services.ForApp());
    QtNotificationArea notificationArea;
    frmWallpaper window(wallpaper, notificationArea);
    QObject::connect(&notificationArea, &QtNotificationArea::HostChosen, &window, [&window](auto host) {
        window.SetNotificationAreaAvailable(host == QtNotificationArea::Host::StatusNotifierItem ||
                                            QSystemTrayIcon::isSystemTrayAvailable());
    });
    if (wallpaper.Start(arguments) == StartOutcome::SecondInstance)
        return 0;
    // A designer preview the last run never ended leaves the desktop now.
    DesignerModel::RevertInterruptedPreview(window.Model());
    // The session ends or a signal asks the program to stop: it closes
    // without questions and keeps its settings.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager &) { window.CloseForSessionEnd(); });
    QuitOnTerminateSignals(app);
    const int result = app.exec();
    window.CloseForSessionEnd();
    return result;
}
