// Encodes a 1920 x 1080 and a 6000 x 4000 picture as JPEG through cGdiPlus
// (PictureBoxToFile, the program's one JPEG writer) and with libjpeg-turbo's
// cjpeg at the same qualities. Prints best-of-N times, ratios and file sizes.
//
//     jpeg_bench [--runs N] [--work DIR] [--photo FILE]
//
// Both pictures are scaled from one photograph: by default
// tests/data/photos/LadyBird.jpg (2560 x 1600); earlier measurements used
// --photo .../Kleiber_by_Lukas_Baubkus.jpg (6028 x 3391, lomiri-wallpapers).
//
// Both sides write a file: ours from the picture in memory, cjpeg from a
// binary PPM of the same pixels (which it must read first).
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
#include "wallpaper/designer/cGdiPlus.h"

using namespace pellimore;
using bench::BestSeconds;

namespace {

bool RunProgram(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(600000) || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), process.readAllStandardError().constData());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bench::Options options =
        bench::ParseOptions(app.arguments(), "pellimore-jpeg-bench", "LadyBird.jpg");
    const int runs = options.runs;
    const QString &work = options.work;
    const QString &photoPath = options.photo;
    QDir().mkpath(work);
    const QImage photo(photoPath);
    if (photo.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(photoPath));
        return 1;
    }
    const QString cjpeg = QStandardPaths::findExecutable("cjpeg");
    if (cjpeg.isEmpty())
        std::printf("cjpeg is not installed (Debian: libjpeg-turbo-progs): its columns stay empty\n");

    std::printf("best of %d runs, seconds\n", runs);
    std::printf("%-10s %8s %10s %10s %10s %12s %12s\n", "size", "quality", "ours", "cjpeg", "ours/cjpeg", "ours bytes",
                "cjpeg bytes");
    for (QSize size : {QSize(1920, 1080), QSize(6000, 4000)}) {
        const QImage image =
            photo.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB32);
        PictureSurface pic(size.width(), size.height());
        pic.SetPicture(Bitmap::FromImage(image));
        const QString name = QString("%1x%2").arg(size.width()).arg(size.height());
        const QString ppm = work + "/" + name + ".ppm";
        image.convertToFormat(QImage::Format_RGB888).save(ppm, "PPM");

        for (int quality : {85, 93, 100}) {
            const QString ours = work + QString("/%1-q%2-ours.jpg").arg(name).arg(quality);
            const QString theirs = work + QString("/%1-q%2-cjpeg.jpg").arg(name).arg(quality);
            const double oursTime = BestSeconds(runs, [&] {
                cGdiPlus gdip;  // one instance per save, as the program uses it
                return gdip.PictureBoxToFile(pic, ours, quality);
            });
            double cjpegTime = 0;
            if (!cjpeg.isEmpty()) {
                cjpegTime = BestSeconds(runs, [&] {
                    return RunProgram(cjpeg, {"-quality", QString::number(quality), "-outfile", theirs, ppm});
                });
            }
            std::printf("%-10s %8d %10.4f %10.4f %10.2f %12lld %12lld\n", qPrintable(name), quality, oursTime, cjpegTime,
                        cjpegTime > 0 ? oursTime / cjpegTime : 0, QFileInfo(ours).size(), QFileInfo(theirs).size());
        }
    }
    return 0;
}
