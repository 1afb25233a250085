// Plays a GIF on the animated desktop of the X display in $DISPLAY for a
// while, as WallPaper does: animated_desktop_bench GIF SECONDS [centered|tiled|stretched].
// Prints "playing" once the first frame shows and the number of frames shown
// at the end.
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

#include "platform/desktop/SystemDesktop.h"
#include "platform/desktop/X11RootBackend.h"
#include "wallpaper/activedesktop/X11ActiveDesktop.h"

using namespace pellimore;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: animated_desktop_bench GIF SECONDS [centered|tiled|stretched]\n");
        return 2;
    }
    const WallpaperStyle style =
        args.size() > 3 ? WallpaperStyleFromName(args[3]).value_or(WallpaperStyle::Centered) : WallpaperStyle::Centered;
    QTemporaryDir cache;
    SystemDesktop still(std::make_unique<X11RootBackend>(), 0, cache.path());
    X11ActiveDesktop active(QString(), still);
    QTextStream out(stdout);
    long frames = 0;
    QObject::connect(&active, &X11ActiveDesktop::FrameShown, [&](int, int) {
        if (frames++ == 0)
            out << "playing\n" << Qt::flush;
    });
    const DesktopResult result = active.SetWallpaper(args[1], style, Rgb(0, 64, 96), false);
    if (!result.Ok()) {
        std::fprintf(stderr, "animated_desktop_bench: %s\n", qPrintable(result.error));
        return 1;
    }
    QTimer::singleShot(int(args[2].toDouble() * 1000), &app, &QCoreApplication::quit);
    app.exec();
    out << "frames " << frames << (active.Replaying() ? " (replayed from the server)" : " (drawn by the player)")
        << "\n";
    return 0;
}
