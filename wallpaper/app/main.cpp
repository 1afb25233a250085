// WallPaper: the tray-resident wallpaper changer.
#include <QApplication>
#include <QSessionManager>
#include <QSystemTrayIcon>
#include <QTextStream>

#include "platform/ProgramNames.h"
#include "platform/tray/QtNotificationArea.h"
#include "wallpaper/app/RealServices.h"
#include "wallpaper/forms/frmWallpaper.h"
#include "wallpaper/window/DesignerModel.h"

using namespace pellimore;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(kApplicationTitle);
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList arguments = app.arguments().mid(1);
    const bool nextOnly = arguments.contains(QStringLiteral("--next"));

    RealServices services(nextOnly);
    WallpaperApp wallpaper(services.ForApp());
    if (nextOnly) {
        // `WallPaper --next`: exit status 0 when the wallpaper was applied.
        const NextOnceResult result = wallpaper.RunNextOnce();
        if (result.exitCode != 0)
            QTextStream(stderr) << "WallPaper: " << result.reason << "\n";
        return result.exitCode;
    }
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
