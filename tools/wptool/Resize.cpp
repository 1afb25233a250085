// wptool resize IN OUT.pam W H: loads a picture through the platform picture
// loader, resamples it to W x H with the Resize module (area average when it
// gets smaller, bilinear when it grows) and writes the result as PAM.
#include <QTextStream>

#include "platform/imageio/Pam.h"
#include "platform/imageio/PictureLoader.h"
#include "platform/raster/PictureSurface.h"
#include "tools/wptool/Commands.h"
#include "wallpaper/resize/Resize.h"

int ResizeCommand(const QStringList &args)
{
    using namespace pellimore;
    QTextStream err(stderr);
    bool widthOk = false, heightOk = false;
    const int width = args.size() == 4 ? args[2].toInt(&widthOk) : 0;
    const int height = args.size() == 4 ? args[3].toInt(&heightOk) : 0;
    if (!widthOk || !heightOk) {
        err << "usage: wptool resize IN OUT.pam W H\n";
        return 2;
    }
    if (!Bitmap::SizeIsAllowed(width, height)) {
        err << "The size " << width << " x " << height << " is not a picture size.\n";
        return 1;
    }
    const PictureResult picture = LoadPicture(args[0]);
    if (!picture.Ok()) {
        err << picture.error << "\n";
        return 1;
    }
    PictureSurface source(picture.bitmap.Width(), picture.bitmap.Height());
    source.SetPicture(picture.bitmap);
    PictureSurface destination(width, height);
    if (!ResizePicture(source, destination, 0, 0, float(source.Width()), float(source.Height()), 0, 0, float(width),
                       float(height))) {
        err << "The picture could not be resized.\n";
        return 1;
    }
    QString error;
    if (!WritePam(destination.Picture(), args[1], false, &error)) {
        err << error << "\n";
        return 1;
    }
    return 0;
}
