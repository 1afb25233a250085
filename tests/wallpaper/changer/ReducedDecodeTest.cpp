// A photo that the desktop shows smaller is decoded at a reduced scale and
// then fitted; the wallpaper must look as it does from the full decode.
#include <gtest/gtest.h>

#include <QFile>

#include <cmath>
#include <cstdio>

#include "platform/imageio/JpegDecode.h"
#include "platform/imageio/PictureLoader.h"
#include "platform/raster/Raster.h"
#include "tests/support/TempHome.h"
#include "wallpaper/changer/WallpaperRender.h"

namespace pellimore::test {
namespace {

double Psnr(const Bitmap &a, const Bitmap &b)
{
    double sum = 0;
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            const Pixel p = a.At(x, y), q = b.At(x, y);
            for (int shift : {0, 8, 16}) {
                const double d = double((p >> shift) & 255) - double((q >> shift) & 255);
                sum += d * d;
            }
        }
    }
    const double mse = sum / (3.0 * a.Width() * a.Height());
    return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

TEST(ReducedDecode, TakesTheLargestReductionThatStillCovers)
{
    // 6000 x 4000 fitted into 1920 x 1080: drawn at 1618 x 1078 (by height).
    EXPECT_EQ(JpegScaleEighths(QSize(6000, 4000), QSize(1618, 1078)), 3);   // 2250 x 1500; 2/8 gives 1500 x 1000
    EXPECT_EQ(JpegScaleEighths(QSize(8000, 6000), QSize(1022, 767)), 2);    // 1000 x 750 would not cover
    EXPECT_EQ(JpegScaleEighths(QSize(16000, 16000), QSize(766, 766)), 1);
    EXPECT_EQ(JpegScaleEighths(QSize(800, 600), QSize(799, 599)), 8);       // no reduction covers
    EXPECT_EQ(JpegScaleEighths(QSize(800, 600), QSize()), 8);
}

TEST(ReducedDecode, LooksAsTheFullDecodeOnTheSharedPhotos)
{
    for (const char *name : {"photos/LadyBird.jpg", "photos/Wine_by_Jakkub_Mede.jpg"}) {
        QFile file(TestDataPath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const JpegDecodeResult full = DecodeJpeg(bytes);
        ASSERT_TRUE(full.error.isEmpty()) << full.error.toStdString();
        for (const QSize desktop : {QSize(1024, 768), QSize(1280, 800), QSize(640, 480)}) {
            const QSize stored = full.storedSize;
            const QSize shown = WallpaperShownSize(stored, desktop, WallpaperStyle::Centered);
            if (shown.isEmpty())
                continue;
            PictureLoadOptions options;
            options.shownSize = [&](QSize) { return shown; };
            const PictureResult reduced = LoadPictureFromData(bytes, options);
            ASSERT_TRUE(reduced.Ok()) << reduced.error.toStdString();
            EXPECT_EQ(reduced.storedSize, stored);
            EXPECT_LT(reduced.bitmap.Width(), stored.width());
            EXPECT_GE(reduced.bitmap.Width(), shown.width());
            EXPECT_GE(reduced.bitmap.Height(), shown.height());

            const Bitmap expected = FitToDesktop(full.bitmap, desktop, 0);
            const Bitmap fitted = FitToDesktop(reduced.bitmap, desktop, 0, stored);
            ASSERT_EQ(fitted.Width(), expected.Width());
            ASSERT_EQ(fitted.Height(), expected.Height());
            const double psnr = Psnr(fitted, expected);
            std::printf("%s %dx%d -> %dx%d via %dx%d: PSNR %.1f dB\n", name, stored.width(), stored.height(),
                        desktop.width(), desktop.height(), reduced.bitmap.Width(), reduced.bitmap.Height(), psnr);
            EXPECT_GE(psnr, 40.0) << name << " on " << desktop.width() << "x" << desktop.height();

            // Decoded straight to the shown size: the same wallpaper, pixel
            // for pixel, without the reduced picture held whole.
            options.jpegToShownSize = true;
            const PictureResult direct = LoadPictureFromData(bytes, options);
            ASSERT_TRUE(direct.Ok()) << direct.error.toStdString();
            EXPECT_EQ(direct.storedSize, stored);
            ASSERT_EQ(QSize(direct.bitmap.Width(), direct.bitmap.Height()), shown);
            EXPECT_TRUE(FitToDesktop(direct.bitmap, desktop, 0, stored) == fitted);

            // Decoded straight into the fitted canvas over a colour: the fit
            // itself, with no picture-sized bitmap besides it.
            const ColorRef colour = Rgb(12, 140, 200);
            const FitLayout layout = FitToDesktopLayout(stored, desktop);
            options.shownCanvas = [&](QSize size) {
                EXPECT_EQ(size, stored);
                return ShownCanvas{layout.canvas, layout.picture, PixelFromColorRef(colour)};
            };
            const PictureResult onCanvas = LoadPictureFromData(bytes, options);
            ASSERT_TRUE(onCanvas.Ok()) << onCanvas.error.toStdString();
            EXPECT_TRUE(onCanvas.onCanvas);
            EXPECT_EQ(onCanvas.storedSize, stored);
            EXPECT_TRUE(onCanvas.bitmap == FitToDesktop(direct.bitmap, desktop, colour, stored));

            // A canvas whose block is not the shown size is not used.
            options.shownCanvas = [&](QSize) {
                return ShownCanvas{layout.canvas, layout.picture.adjusted(0, 0, -1, 0), 0};
            };
            const PictureResult mismatched = LoadPictureFromData(bytes, options);
            ASSERT_TRUE(mismatched.Ok());
            EXPECT_FALSE(mismatched.onCanvas);
            EXPECT_TRUE(mismatched.bitmap == direct.bitmap);
            options.shownCanvas = {};
        }
    }
}

}  // namespace
}  // namespace pellimore::test
