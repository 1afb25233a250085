// wptool gif IN.gif: the GIF's structure as the animated GIF control's
// LoadGIF leaves it. First line: logical width, logical height, loop count,
// frame count; then one line per frame: left, top, width, height, delay (ms),
// disposal, transparent (0/1), transparent colour (decimal, -1 when none).
// Tab-separated.
#include <QTextStream>

#include "tools/wptool/Commands.h"
#include "wallpaper/codecs/GifPlayer.h"

int GifCommand(const QStringList &args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (args.size() != 1) {
        err << "usage: wptool gif IN.gif\n";
        return 2;
    }
    pellimore::GifPlayer player;
    if (!player.LoadGIF(args.at(0))) {
        err << "cannot load " << args.at(0) << ": " << player.LastLoadError() << "\n";
        return 1;
    }
    out << player.gifLogicalWindowCx() << '\t' << player.gifLogicalWindowCy() << '\t' << player.gifMaxLoops() << '\t'
        << player.gifFrameCount() << '\n';
    for (int i = 1; i <= player.gifFrameCount(); ++i) {
        const pellimore::clsGIFframe &frame = *player.Frame(i);
        out << frame.FrameLeft() << '\t' << frame.FrameTop() << '\t' << frame.FrameWidth() << '\t'
            << frame.FrameHeight() << '\t' << frame.frameDelay() << '\t' << frame.FrameDisposal() << '\t'
            << (frame.isTransparent() ? 1 : 0) << '\t' << frame.FrameTransparentColor() << '\n';
    }
    return 0;
}
