// wptool decode IN OUT.pam: loads a picture through the platform picture
// loader and writes it as PAM (RGB_ALPHA for 32-bit results, else RGB).
#include <QTextStream>

#include "platform/imageio/Pam.h"
#include "platform/imageio/PictureLoader.h"
#include "tools/wptool/Commands.h"

int DecodeCommand(const QStringList &args)
{
    QTextStream err(stderr);
    if (args.size() != 2) {
        err << "usage: wptool decode IN OUT.pam\n";
        return 2;
    }
    if (args.at(0).endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        return PngCommand(args);  // PNG files go through the program's own decoder
    const pellimore::PictureResult picture = pellimore::LoadPicture(args.at(0));
    if (!picture.Ok()) {
        err << picture.error << "\n";
        return 1;
    }
    QString error;
    if (!pellimore::WritePam(picture.bitmap, args.at(1), picture.bitmap.BitCount() == 32, &error)) {
        err << error << "\n";
        return 1;
    }
    return 0;
}
