// wptool gif-play IN.gif OUT-PREFIX: renders every step of one loop of the
// animation as the animated GIF control draws it (at its own size, default
// properties, disposal applied) into OUT-PREFIX0001.pam, OUT-PREFIX0002.pam,
// ... A still GIF gives one file.
#include <QTextStream>

#include "platform/imageio/Pam.h"
#include "tools/wptool/Commands.h"
#include "wallpaper/codecs/GifPlayer.h"

namespace {

QString StepPath(const QString &prefix, int step)
{
    return QStringLiteral("%1%2.pam").arg(prefix).arg(step, 4, 10, QLatin1Char('0'));
}

}  // namespace

int GifPlayCommand(const QStringList &args)
{
    QTextStream err(stderr);
    if (args.size() != 2) {
        err << "usage: wptool gif-play IN.gif OUT-PREFIX\n";
        return 2;
    }
    pellimore::GifPlayer player;
    if (!player.LoadGIF(args.at(0))) {
        err << "cannot load " << args.at(0) << ": " << player.LastLoadError() << "\n";
        return 1;
    }
    QString error;
    player.SetAnimate(true);
    // The timer never fires here (no event loop): each tick is called directly.
    const int steps = player.Animate() ? player.gifFrameCount() : 1;
    for (int step = 1; step <= steps; ++step) {
        if (player.Animate())
            player.tmrGIF_Timer();
        if (!pellimore::WritePam(player.Canvas(), StepPath(args.at(1), step), false, &error)) {
            err << error << "\n";
            return 1;
        }
    }
    player.SetAnimate(false);
    return 0;
}
