// wptool bmp IN OUT.bmp: loads a picture through the platform picture loader
// and writes it as a BMP at the depth the loaded bitmap stands for.
#include <QTextStream>

#include "platform/imageio/PictureLoader.h"
#include "platform/imageio/PictureWriter.h"
#include "tools/wptool/Commands.h"

int BmpCommand(const QStringList &args)
{
    QTextStream err(stderr);
    if (args.size() != 2) {
        err << "usage: wptool bmp IN OUT.bmp\n";
        return 2;
    }
    const pellimore::PictureResult picture = pellimore::LoadPicture(args.at(0));
    if (!picture.Ok()) {
        err << picture.error << "\n";
        return 1;
    }
    QString error;
    if (!pellimore::SaveBmp(picture.bitmap, args.at(1), &error)) {
        err << error << "\n";
        return 1;
    }
    return 0;
}
