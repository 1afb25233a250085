// WallPaper: the tray-resident wallpaper changer.
#include <QApplication>
#include <QTextStream>

#include "platform/ProgramNames.h"
#include "wallpaper/app/RealServices.h"
#include "wallpaper/changer/PictureLibrary.h"
#include "wallpaper/changer/ShellIntegration.h"

using namespace pellimore;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(kApplicationTitle);
    QApplication::setApplicationDisplayName(kApplicationTitle);
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
    if (wallpaper.Start(arguments) == StartOutcome::SecondInstance)
        return 0;
    qInfo("WallPaper Pellimore: picture folder %s, %d pictures", qPrintable(wallpaper.State().PictureFolder),
          wallpaper.Library().PictureCount());
    QuitOnTerminateSignals(app);
    const int result = app.exec();
    wallpaper.ShutDown();
    return result;
}
