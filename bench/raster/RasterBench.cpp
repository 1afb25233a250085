// The raster primitives that run on whole-desktop bitmaps, each beside a peer
// doing the same work in the same run:
//   halftone StretchBlt shrink and enlarge  vs  QImage::scaled (smooth)
//   BMP encode and decode                   vs  Qt's BMP writer and reader
//   GradientFill (vertical, triangles)      vs  QPainter with a QLinearGradient
// Prints best-of-N times and our time / peer time.
//
//     raster_bench [--runs N] [--photo FILE]
//
// The photograph is used at its own size: by default
// tests/data/photos/LadyBird.jpg (2560 x 1600). Earlier measurements used
// --photo .../Bridge_by_Sander_Klootwijk.jpg (4352 x 2448, lomiri-wallpapers);
// any bigger JPEG makes the shrink heavier.
#include <QBuffer>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cstdio>

#include "bench/BenchSupport.h"
#include "platform/imageio/PictureLoader.h"
#include "platform/raster/BmpFile.h"
#include "platform/raster/Raster.h"

using namespace pellimore;
using bench::BestSeconds;

namespace {

void Report(const char *what, double ours, double peer)
{
    std::printf("%-44s ours %8.1f ms   peer %8.1f ms   ratio %5.2f\n", what, ours * 1e3, peer * 1e3, ours / peer);
}

}  // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const bench::Options options = bench::ParseOptions(app.arguments(), "", "LadyBird.jpg");
    const int runs = options.runs;
    const QString &photo = options.photo;
    const PictureResult loaded = LoadPicture(photo);
    if (!loaded.Ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(loaded.error));
        return 1;
    }
    const Bitmap &source = loaded.bitmap;
    const QImage sourceImage = source.ToImage();
    std::printf("photo %dx%d, best of %d runs\n", source.Width(), source.Height(), runs);

    Bitmap desktop(1920, 1080, 24);
    Report("halftone shrink to 1920x1080", BestSeconds(runs, [&] {
               StretchBlt(desktop, 0, 0, 1920, 1080, source, 0, 0, source.Width(), source.Height(),
                          StretchMode::Halftone);
           }),
           BestSeconds(runs, [&] { (void)sourceImage.scaled(1920, 1080, Qt::IgnoreAspectRatio, Qt::SmoothTransformation); }));

    Bitmap small(640, 400, 24);
    StretchBlt(small, 0, 0, 640, 400, source, 0, 0, source.Width(), source.Height(), StretchMode::Halftone);
    const QImage smallImage = small.ToImage();
    Report("halftone enlarge 640x400 to 1920x1200", BestSeconds(runs, [&] {
               Bitmap big(1920, 1200, 24);
               StretchBlt(big, 0, 0, 1920, 1200, small, 0, 0, 640, 400, StretchMode::Halftone);
           }),
           BestSeconds(runs, [&] { (void)smallImage.scaled(1920, 1200, Qt::IgnoreAspectRatio, Qt::SmoothTransformation); }));

    const QImage desktopImage = desktop.ToImage().convertToFormat(QImage::Format_RGB32);
    QByteArray bmp;
    Report("BMP encode 1920x1080 24-bit", BestSeconds(runs, [&] { bmp = EncodeBmp(desktop); }), BestSeconds(runs, [&] {
               QBuffer buffer;
               buffer.open(QIODevice::WriteOnly);
               desktopImage.save(&buffer, "BMP");
           }));
    Report("BMP decode 1920x1080 24-bit", BestSeconds(runs, [&] { (void)DecodeBmp(bmp); }),
           BestSeconds(runs, [&] { (void)QImage::fromData(bmp, "BMP"); }));

    const TriVertex v[2] = {MakeTriVertex(0, 0, Rgb(30, 90, 200)), MakeTriVertex(1920, 1080, Rgb(0, 0, 0))};
    const GradientRect rect[1] = {{0, 1}};
    QImage painted(1920, 1080, QImage::Format_RGB32);
    Report("vertical gradient 1920x1080", BestSeconds(runs, [&] { GradientFill(desktop, v, rect, GradientFillMode::RectV); }),
           BestSeconds(runs, [&] {
               QPainter p(&painted);
               QLinearGradient g(0, 0, 0, 1080);
               g.setColorAt(0, QColor(30, 90, 200));
               g.setColorAt(1, Qt::black);
               p.fillRect(painted.rect(), g);
           }));
    return 0;
}
