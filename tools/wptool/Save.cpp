// wptool save IN OUT [QUALITY]: loads a picture through the platform picture
// loader and writes it through the picture bridge cGdiPlus in the format
// OUT's extension selects (JPEG at QUALITY, 85 when none is given).
#include <QTextStream>

#include "platform/imageio/PictureLoader.h"
#include "platform/raster/PictureSurface.h"
#include "tools/wptool/Commands.h"
#include "wallpaper/designer/cGdiPlus.h"

int SaveCommand(const QStringList &args)
{
    using namespace pellimore;
    QTextStream err(stderr);
    bool qualityOk = true;
    const int quality = args.size() == 3 ? args[2].toInt(&qualityOk) : 85;
    if (args.size() < 2 || args.size() > 3 || !qualityOk) {
        err << "usage: wptool save IN OUT.(jpg|bmp|...) [QUALITY]\n";
        return 2;
    }
    const PictureResult picture = LoadPicture(args[0]);
    if (!picture.Ok()) {
        err << picture.error << "\n";
        return 1;
    }
    PictureSurface pic(picture.bitmap.Width(), picture.bitmap.Height());
    pic.SetPicture(picture.bitmap);
    cGdiPlus gdip([&](int32_t status, const QString &text) { err << "error " << status << ": " << text << "\n"; });
    if (!gdip.PictureBoxToFile(pic, args[1], quality)) {
        err << "Could not save " << args[1] << "\n";
        return 1;
    }
    return 0;
}
