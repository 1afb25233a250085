// wptool gif-frame IN.gif N OUT.pam: frame N (from 1) as the platform picture
// loader decodes the GIF reader's one-frame GIF, written as PAM (RGB_ALPHA
// when the frame has transparent pixels, else RGB).
#include <QTextStream>

#include "platform/imageio/Pam.h"
#include "tools/wptool/Commands.h"
#include "wallpaper/codecs/GifReader.h"

int GifFrameCommand(const QStringList &args)
{
    QTextStream err(stderr);
    if (args.size() != 3) {
        err << "usage: wptool gif-frame IN.gif N OUT.pam\n";
        return 2;
    }
    bool numeric = false;
    const int index = args.at(1).toInt(&numeric);
    pellimore::GifFile gif;
    QString error;
    if (!gif.Load(args.at(0), &error)) {
        err << "cannot load " << args.at(0) << ": " << error << "\n";
        return 1;
    }
    if (!numeric || index < 1 || index > gif.FrameCount()) {
        err << "no frame " << args.at(1) << " (the GIF has " << gif.FrameCount() << ")\n";
        return 1;
    }
    const pellimore::Bitmap picture = gif.FrameImage(index);
    if (picture.IsNull()) {
        err << "frame " << index << " has no picture\n";
        return 1;
    }
    if (!pellimore::WritePam(picture, args.at(2), picture.BitCount() == 32, &error)) {
        err << error << "\n";
        return 1;
    }
    return 0;
}
