// Shrinks a 6000 x 4000 picture to 10 %, 50 % and 90 % and enlarges a
// 600 x 400 one to 200 % with ResizePicture, and the same sizes with
// ImageMagick's "-filter box -resize" (shrinking) and "-filter triangle
// -resize" (enlarging). Prints best-of-N times and the ratios.
//
//     resize_bench [--runs N] [--work DIR] [--photo FILE]
//
// Both pictures are scaled from one photograph: by default
// tests/data/photos/LadyBird.jpg (2560 x 1600); earlier measurements used
// --photo .../Kleiber_by_Lukas_Baubkus.jpg (6028 x 3391, lomiri-wallpapers).
//
// ImageMagick reads its input from a memory-mapped pixel cache (.mpc) and
// writes to null:, and the time of the same command without the resize is
// taken away, so its figure is the resize alone. It runs with its default
// threads and, for comparison, limited to one thread as ours runs.
#include <QDir>
#include <QFileInfo>
#include <QCoreApplication>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>

#include "bench/BenchSupport.h"
#include "platform/raster/PictureSurface.h"
#include "wallpaper/resize/Resize.h"

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

bool RunProgram(const QString &program, const QStringList &arguments, int threads = 0)
{
    QProcess process;
    if (threads > 0) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("MAGICK_THREAD_LIMIT", QString::number(threads));
        process.setProcessEnvironment(environment);
    }
    process.start(program, arguments);
    if (!process.waitForFinished(600000) || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), process.readAllStandardError().constData());
        return false;
    }
    return true;
}

struct Case {
    const char *name;
    bool large;  // from the 6000 x 4000 picture, else from the 600 x 400 one
    int width;
    int height;
    const char *filter;
};

const Case kCases[] = {
    {"shrink 6000x4000 to 10%", true, 600, 400, "box"},
    {"shrink 6000x4000 to 50%", true, 3000, 2000, "box"},
    {"shrink 6000x4000 to 90%", true, 5400, 3600, "box"},
    {"enlarge 600x400 to 200%", false, 1200, 800, "triangle"},
};

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bench::Options options =
        bench::ParseOptions(app.arguments(), "pellimore-resize-bench", "LadyBird.jpg");
    QDir().mkpath(options.work);

    const QImage photo(options.photo);
    if (photo.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(options.photo));
        return 1;
    }
    const QImage large = photo.scaled(6000, 4000, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_RGB32);
    const QImage small = photo.scaled(600, 400, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_RGB32);

    const QString convert = ImageMagickConvert();
    QString largeCache, smallCache;
    if (!convert.isEmpty()) {
        const QString largePpm = options.work + "/large.ppm", smallPpm = options.work + "/small.ppm";
        largeCache = options.work + "/large.mpc";
        smallCache = options.work + "/small.mpc";
        large.save(largePpm);
        small.save(smallPpm);
        if (!RunProgram(convert, {largePpm, largeCache}) || !RunProgram(convert, {smallPpm, smallCache}))
            return 1;
    } else {
        std::printf("ImageMagick's convert is not installed: its columns stay empty\n");
    }

    PictureSurface largeSource(6000, 4000);
    largeSource.SetPicture(Bitmap::FromImage(large));
    PictureSurface smallSource(600, 400);
    smallSource.SetPicture(Bitmap::FromImage(small));

    std::printf("best of %d runs, seconds\n", options.runs);
    std::printf("%-26s %10s %12s %8s %12s %8s\n", "case", "ours", "IM", "IM/ours", "IM 1 thread", "ratio");
    for (const Case &c : kCases) {
        PictureSurface &source = c.large ? largeSource : smallSource;
        PictureSurface destination(c.width, c.height);
        const double ours = BestSeconds(options.runs, [&] {
            ResizePicture(source, destination, 0, 0, float(source.Width()), float(source.Height()), 0, 0,
                          float(c.width), float(c.height));
        });

        double im = 0, imOne = 0;
        if (!convert.isEmpty()) {
            const QString input = c.large ? largeCache : smallCache;
            const QString geometry = QString("%1x%2!").arg(c.width).arg(c.height);
            auto timeIm = [&](int threads) {
                const double base = BestSeconds(options.runs, [&] { RunProgram(convert, {input, "null:"}, threads); });
                const double full = BestSeconds(options.runs, [&] {
                    RunProgram(convert, {input, "-filter", c.filter, "-resize", geometry, "null:"}, threads);
                });
                return std::max(full - base, 0.0);
            };
            im = timeIm(0);
            imOne = timeIm(1);
        }
        std::printf("%-26s %10.4f %12.4f %8.2f %12.4f %8.2f\n", c.name, ours, im, ours > 0 ? im / ours : 0, imOne,
                    ours > 0 ? imOne / ours : 0);
    }
    return 0;
}
