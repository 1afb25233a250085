// The designer's work on a 3840 x 2160 desktop beside ImageMagick doing the
// same, in one run. Prints best-of-N times and the ratios.
//   tile     TilePicture of a 100 x 100 tile, against "tile:" (ImageMagick
//            writes to null:, and the same command for a 1 x 1 canvas is
//            taken away, so its figure is the tiling alone, as ours is).
//   compose  ComposeWallpaper of a vertical gradient with a 6000 x 4000
//            photograph fitted and centred, with a border, saved as JPEG at
//            quality 85, against "gradient:", "-resize", "-composite" and
//            "-quality 85". The photograph is decoded already on both sides
//            (the main window holds it; ImageMagick reads a pixel cache).
//
//     designer_bench [--runs N] [--work DIR] [--photo FILE]
//
// The pictures are made from the photograph (tests/data/photos/LadyBird.jpg
// by default). Every timed run is checked: the tile's pixels at the far
// corner, the JPEG's size and its centre against the photograph's. A run
// that did other work fails the benchmark.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>

#include "bench/BenchSupport.h"
#include "platform/colors/ClassicSystemColors.h"
#include "platform/raster/PictureSurface.h"
#include "tools/wptool/ChangerHarness.h"
#include "wallpaper/designer/Compositing.h"
#include "wallpaper/designer/frmPics.h"
#include "wallpaper/designer/modGradients.h"

using namespace pellimore;
using bench::BestSeconds;

namespace {

QString ImageMagickConvert()
{
    // The packaged program itself, not a wrapper that may stand before it.
    if (QFileInfo::exists("/usr/bin/convert"))
        return "/usr/bin/convert";
    return QStandardPaths::findExecutable("convert");
}

bool RunProgram(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), process.readAllStandardError().constData());
        return false;
    }
    return true;
}

// True when the canvas holds the tile repeated from its top left corner.
bool Tiled(const Bitmap &canvas, const Bitmap &tile)
{
    for (const auto &[x, y] : {std::pair{0, 0}, {3839, 2159}, {1234, 987}, {3702, 2102}}) {
        if ((canvas.Row(y)[x] & 0xFFFFFF) != (tile.Row(y % tile.Height())[x % tile.Width()] & 0xFFFFFF))
            return false;
    }
    return true;
}

// The shortest of `runs` runs of `run` (false ends the timing with -1); after
// each run, untimed, `check` must confirm the run did the work.
template <class Run, class Check>
double BestCheckedSeconds(int runs, Run &&run, Check &&check)
{
    double best = -1;
    for (int i = 0; i < runs; ++i) {
        const double seconds = BestSeconds(1, run);
        if (seconds < 0 || !check())
            return -1;
        best = best < 0 ? seconds : std::min(best, seconds);
    }
    return best;
}

// True when the JPEG at path is 3840 x 2160 with the photograph's colour in
// its centre (within what JPEG and resampling change).
bool ComposedJpeg(const QString &path, QRgb centre)
{
    const QImage written(path);
    if (written.size() != QSize(3840, 2160))
        return false;
    const QRgb got = written.pixel(1920, 1080);
    return std::abs(qRed(got) - qRed(centre)) < 40 && std::abs(qGreen(got) - qGreen(centre)) < 40 &&
           std::abs(qBlue(got) - qBlue(centre)) < 40;
}

// ComposeWallpaper of the photograph over a gradient into out; the best time.
double TimeCompose(const bench::Options &options, const QImage &front, const QString &out, QRgb centre)
{
    ChangerHarness changer(QSize(3840, 2160), 0, 0);
    changer.ui.saveAs = out;
    ChangerState &state = changer.state;
    state.JpegQuality = 85;
    changer.view.Source().SetPicture(Bitmap::FromImage(front));
    state.LargerThanDesktop = true;
    ClassicSystemColors colors;
    modGradients gradients(changer.ui, colors);
    DesignerSettings settings;
    settings.channels = GradientChannels::FromColors(0x0000FF, 0xFF0000);
    settings.gradientKind = 1;
    settings.border = true;
    settings.borderColor = 0x00FF00;
    gradients.SetStartColor(0x0000FF);
    gradients.SetEndColor(0xFF0000);
    gradients.SetAngle(GradientAngle(1, false));
    PictureSurface designerSource, designerEffect;
    Bitmap designerImage1;
    frmPics pics;
    Compositor compositor({state, pics, changer.view, {true, designerSource, designerEffect, designerImage1},
                           gradients, changer.installer, changer.ui, colors},
                          settings);
    return BestCheckedSeconds(
        options.runs,
        [&] {
            QFile::remove(out);
            return compositor.ComposeWallpaper(kUseGradient, QStringLiteral("photo"), false) ==
                   QFileInfo(out).fileName();
        },
        [&] { return ComposedJpeg(out, centre); });
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bench::Options options = bench::ParseOptions(app.arguments(), "pellimore-designer-bench", "LadyBird.jpg");
    QDir().mkpath(options.work);
    const QImage photo(options.photo);
    if (photo.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(options.photo));
        return 1;
    }
    const QImage tileImage = photo.copy(1000, 600, 100, 100).convertToFormat(QImage::Format_RGB32);
    const Bitmap tile = Bitmap::FromImage(tileImage);

    PictureSurface canvas(3840, 2160);
    const double ours = BestCheckedSeconds(
        options.runs,
        [&] {
            canvas.Cls();
            TilePicture(tile, canvas);
        },
        [&] { return Tiled(canvas.Image(), tile); });
    if (ours < 0) {
        std::fprintf(stderr, "TilePicture did not tile the canvas\n");
        return 1;
    }

    double magick = -1;
    const QString convert = ImageMagickConvert();
    if (!convert.isEmpty()) {
        const QString ppm = options.work + "/tile.ppm", cache = options.work + "/tile.mpc";
        const QString check = options.work + "/tiled.png";
        if (!tileImage.save(ppm) || !RunProgram(convert, {ppm, cache}) ||
            !RunProgram(convert, {"-size", "3840x2160", "tile:" + cache, check}))
            return 1;
        if (!Tiled(Bitmap::FromImage(QImage(check).convertToFormat(QImage::Format_RGB32)), tile)) {
            std::fprintf(stderr, "ImageMagick's tiling differs from the tile\n");
            return 1;
        }
        const double full = BestSeconds(options.runs, [&] {
            return RunProgram(convert, {"-size", "3840x2160", "tile:" + cache, "null:"});
        });
        const double base = BestSeconds(options.runs, [&] {
            return RunProgram(convert, {"-size", "1x1", "tile:" + cache, "null:"});
        });
        if (full < 0 || base < 0)
            return 1;
        magick = std::max(full - base, 1e-6);
    }

    // The composition.
    const QImage front = photo.scaled(6000, 4000, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_RGB32);
    const QRgb centre = front.pixel(3000, 2000);
    const QString ourJpeg = options.work + "/ours.jpg", theirJpeg = options.work + "/magick.jpg";
    const double oursCompose = TimeCompose(options, front, ourJpeg, centre);
    if (oursCompose < 0) {
        std::fprintf(stderr, "ComposeWallpaper did not write the composition\n");
        return 1;
    }
    double magickCompose = -1;
    if (!convert.isEmpty()) {
        const QString ppm = options.work + "/photo.ppm", cache = options.work + "/photo.mpc";
        if (!front.save(ppm) || !RunProgram(convert, {ppm, cache}))
            return 1;
        magickCompose = BestCheckedSeconds(
            options.runs,
            [&] {
                QFile::remove(theirJpeg);
                return RunProgram(convert, {"-size", "3840x2160", "gradient:#FF0000-#0000FF", "(", cache, "-resize",
                                            "3840x2160", ")", "-gravity", "center", "-composite", "-quality", "85",
                                            theirJpeg});
            },
            [&] { return ComposedJpeg(theirJpeg, centre); });
        if (magickCompose < 0) {
            std::fprintf(stderr, "ImageMagick did not write the composition\n");
            return 1;
        }
    }

    std::printf("best of %d runs, seconds\n", options.runs);
    std::printf("%-40s %10s %12s %8s\n", "case", "ours", "IM", "ours/IM");
    const auto row = [](const char *name, double ourTime, double theirTime) {
        if (theirTime > 0)
            std::printf("%-40s %10.4f %12.4f %8.2f\n", name, ourTime, theirTime, ourTime / theirTime);
        else
            std::printf("%-40s %10.4f %12s %8s\n", name, ourTime, "-", "-");
    };
    row("tile 100x100 onto 3840x2160", ours, magick);
    row("compose 6000x4000 on gradient, JPEG 85", oursCompose, magickCompose);
    return 0;
}
