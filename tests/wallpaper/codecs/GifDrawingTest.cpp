// How the animated GIF control draws: disposal methods, GIF transparency,
// forced transparency through masks, scaling, custom backgrounds; checked
// against hand-composed pictures, the suites' own expected frames and
// ImageMagick's coalesced frames.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include "tests/support/FixedSystemColors.h"
#include "tests/wallpaper/codecs/GifTestFiles.h"
#include "wallpaper/codecs/GifPlayer.h"

namespace pellimore {
namespace {

using test::GifBuilder;

constexpr Pixel R = MakePixel(255, 0, 0);
constexpr Pixel G = MakePixel(0, 255, 0);
constexpr Pixel W = MakePixel(255, 255, 255);
constexpr Pixel K = MakePixel(0, 0, 0);
const std::vector<ColorRef> kFour = {Rgb(0, 0, 0), Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(255, 255, 255)};

std::vector<Pixel> Pixels(const Bitmap &bitmap)
{
    std::vector<Pixel> pixels;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            pixels.push_back(bitmap.At(x, y));
    return pixels;
}

// Counts the pixels that differ from `expected` composed over `background`.
int Differences(const Bitmap &actual, const QImage &expected, ColorRef background)
{
    if (actual.Width() != expected.width() || actual.Height() != expected.height())
        return -1;
    const QImage image = expected.convertToFormat(QImage::Format_ARGB32);
    int differences = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb e = image.pixel(x, y);
            // The suites' frames are fully opaque or fully transparent.
            const Pixel want = qAlpha(e) == 0 ? PixelFromColorRef(background) : MakePixel(qRed(e), qGreen(e), qBlue(e));
            differences += actual.At(x, y) == want ? 0 : 1;
        }
    }
    return differences;
}

TEST(GifDrawing, DisposalsAndTransparencyComposeAsByHand)
{
    // 4 x 4, background index 3 (white). Frame 1: all red, kept. Frame 2:
    // green 2 x 2 at the corner, cleared afterwards. Frame 3: 2 x 2 at (1,1),
    // transparent index 0 on its diagonal, white elsewhere, restored
    // afterwards. Frame 4: a green column at x = 3.
    GifPlayer player;
    const QString path = GifBuilder(4, 4).GlobalTable(kFour, 3).Netscape(0)
                             .Control(1, 10).SolidImage(0, 0, 4, 4, 1)
                             .Control(2, 10).SolidImage(0, 0, 2, 2, 2)
                             .Control(3, 10, 0).Image(1, 1, 2, 2, {0, 3, 3, 0})
                             .Control(0, 10).SolidImage(3, 0, 1, 4, 2)
                             .Trailer().Write("disposals.gif");
    ASSERT_TRUE(player.LoadGIF(path));
    player.SetBackColor(Rgb(9, 9, 9));  // not used: frame 1 is opaque, so clearing takes the GIF's background
    player.ShowFrame(1);
    ASSERT_EQ(player.WindowColor(), Rgb(255, 255, 255));
    player.SetAnimate(true);

    const std::vector<std::vector<Pixel>> steps = {
        {R, R, R, R,  R, R, R, R,  R, R, R, R,  R, R, R, R},
        {G, G, R, R,  G, G, R, R,  R, R, R, R,  R, R, R, R},
        {W, W, R, R,  W, W, W, R,  R, W, R, R,  R, R, R, R},
        {W, W, R, G,  W, W, R, G,  R, R, R, G,  R, R, R, G},
        {R, R, R, R,  R, R, R, R,  R, R, R, R,  R, R, R, R},  // the next loop starts on a cleared area
    };
    for (std::size_t step = 0; step < steps.size(); ++step) {
        player.tmrGIF_Timer();
        EXPECT_EQ(Pixels(player.Canvas()), steps[step]) << "step " << step + 1;
    }
}

TEST(GifDrawing, ATransparentFirstFrameShowsTheBackColour)
{
    GifPlayer player;
    ASSERT_TRUE(player.LoadGIF(GifBuilder(2, 1).GlobalTable(kFour, 3).Control(0, 0, 0).Image(0, 0, 2, 1, {0, 1})
                                   .Trailer().Write("transparent-first.gif")));
    player.SetBackColor(Rgb(0, 0, 255));
    player.ShowFrame(1);
    EXPECT_EQ(player.gifTransparencyState(), GifPlayer::kAllTransparent);
    EXPECT_EQ(Pixels(player.Canvas()), (std::vector<Pixel>{MakePixel(0, 0, 255), R}));
}

TEST(GifDrawing, SystemColourReferencesTakeTheColoursThePlayerIsGiven)
{
    const test::FixedSystemColors sysColors([](int index) { return index == 15 ? Rgb(7, 8, 9) : Rgb(1, 1, 1); });
    GifPlayer player;
    player.SetSystemColors(sysColors);
    ASSERT_TRUE(player.LoadGIF(GifBuilder(2, 1).GlobalTable(kFour, 3).Control(0, 0, 0).Image(0, 0, 2, 1, {0, 1})
                                   .Trailer().Write("button-face.gif")));
    // The default BackColor is the button face.
    player.ShowFrame(1);
    EXPECT_EQ(player.WindowColor(), Rgb(7, 8, 9));
    EXPECT_EQ(Pixels(player.Canvas()), (std::vector<Pixel>{MakePixel(7, 8, 9), R}));
    // A reference to an index that names no system colour is black.
    player.SetBackColor(0x80000040);
    player.ShowFrame(1);
    EXPECT_EQ(Pixels(player.Canvas()), (std::vector<Pixel>{K, R}));
}

TEST(GifDrawing, ScaledFramesAreStretchedByEitherMethod)
{
    for (int method : {0, 1}) {
        GifPlayer player;
        ASSERT_TRUE(player.LoadGIF(GifBuilder(2, 2).GlobalTable(kFour).Image(0, 0, 2, 2, {1, 2, 3, 0})
                                       .Trailer().Write("scaled.gif")));
        player.SetAutoSize(false);
        player.SetStretch(2);
        player.SetStretchMethod(method);
        player.SetControlSize(QSize(4, 4));
        EXPECT_EQ(Pixels(player.Canvas()), (std::vector<Pixel>{R, R, G, G,  R, R, G, G,  W, W, K, K,  W, W, K, K}))
            << "method " << method;
    }
}

TEST(GifDrawing, ScaledTransparentFramesLeaveTheBackgroundExactlyAsItWas)
{
    for (int method : {0, 1}) {
        GifPlayer player;
        ASSERT_TRUE(player.LoadGIF(GifBuilder(2, 2).GlobalTable(kFour).Netscape(0)
                                       .Control(1, 0).Image(0, 0, 2, 2, {1, 2, 2, 1})
                                       .Control(1, 0, 0).Image(0, 0, 2, 1, {0, 3})
                                       .Trailer().Write("scaled-transparent.gif")));
        player.SetAutoSize(false);
        player.SetStretch(1);
        player.SetStretchMethod(method);
        player.SetControlSize(QSize(4, 4));
        player.SetAnimate(true);
        player.tmrGIF_Timer();
        player.tmrGIF_Timer();
        EXPECT_EQ(Pixels(player.Canvas()), (std::vector<Pixel>{R, R, W, W,  R, R, W, W,  G, G, R, R,  G, G, R, R}))
            << "method " << method;
    }
}

TEST(GifDrawing, ForcedTransparencyDrawsThroughAMaskAndClearsOnDisposal)
{
    GifPlayer player;
    ASSERT_TRUE(player.LoadGIF(GifBuilder(3, 1).GlobalTable(kFour, 3).Netscape(0)
                                   .Control(1, 0).Image(0, 0, 3, 1, {2, 2, 2})
                                   .Control(1, 0).Image(0, 0, 3, 1, {1, 0, 1})
                                   .Trailer().Write("forced.gif")));
    player.Frame(2)->SetFrameTransparentColor(int32_t(Rgb(255, 0, 0)));
    ASSERT_TRUE(player.Frame(2)->ForceTransparency());
    player.SetAnimate(true);
    player.tmrGIF_Timer();
    player.tmrGIF_Timer();
    EXPECT_EQ(Pixels(player.Canvas()), (std::vector<Pixel>{G, K, G}));
    // A forced frame is cleared when it is disposed of, whatever its disposal.
    player.Frame(1)->SetFrameTransparentColor(-1);  // forced, with the top-left pixel's colour
    player.tmrGIF_Timer();                           // wraps: clears and draws frame 1 through its mask
    EXPECT_EQ(Pixels(player.Canvas()), (std::vector<Pixel>{W, W, W}));

    player.SetAnimate(false);
    player.Frame(2)->SetForceTransparency(false);
    player.ShowFrame(2);
    EXPECT_EQ(Pixels(player.Canvas()), (std::vector<Pixel>{R, K, R}));
}

TEST(GifDrawing, ACustomBackgroundShowsUnderTransparentPixelsAndInClearedAreas)
{
    GifPlayer player;
    ASSERT_TRUE(player.LoadGIF(GifBuilder(2, 2).GlobalTable(kFour).Netscape(0)
                                   .Control(2, 0, 0).Image(0, 0, 2, 2, {0, 1, 1, 0})
                                   .Control(2, 0).SolidImage(0, 0, 1, 1, 2)
                                   .Trailer().Write("custom.gif")));
    Bitmap &background = player.GetCustomBkgDC();
    ASSERT_EQ(background.Width(), 2);
    const Pixel B = MakePixel(0, 0, 200);
    background.Fill(B);
    player.SetCustomBkgDC();
    EXPECT_TRUE(player.HasCustomBackground());
    EXPECT_EQ(Pixels(player.Canvas()), (std::vector<Pixel>{B, R, R, B}));
    player.SetAnimate(true);
    player.tmrGIF_Timer();
    player.tmrGIF_Timer();  // frame 1 cleared to the background, frame 2 drawn
    EXPECT_EQ(Pixels(player.Canvas()), (std::vector<Pixel>{G, B, B, B}));

    player.SetAnimate(false);
    player.RemoveCustomBkgDC();
    EXPECT_FALSE(player.HasCustomBackground());
    player.SetBackColor(Rgb(255, 255, 255));
    player.ShowFrame(1);
    EXPECT_EQ(Pixels(player.Canvas()), (std::vector<Pixel>{W, R, R, W}));
}

// The suite's expected frames (transparent where the browser shows the page).
TEST(GifDrawing, PeterdnAnimationsMatchTheirExpectedFrames)
{
    const QStringList names = QDir(test::GifCorpusPath("peterdn")).entryList({"animated_*.gif"}, QDir::Files);
    ASSERT_EQ(names.size(), 11);
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        GifPlayer player;
        player.SetBackColor(Rgb(12, 34, 56));
        ASSERT_TRUE(player.LoadGIF(test::GifCorpusPath("peterdn/" + name)));
        player.SetAnimate(true);
        const QString stem = name.chopped(4);
        for (int frame = 0; frame < player.gifFrameCount(); ++frame) {
            player.tmrGIF_Timer();
            const QImage expected(test::GifCorpusPath(QString("peterdn/frames/%1-%2.png").arg(stem).arg(frame)));
            ASSERT_FALSE(expected.isNull());
            EXPECT_EQ(Differences(player.Canvas(), expected, player.WindowColor()), 0) << "frame " << frame;
        }
    }
}

// ImageMagick's coalesced frames, flattened onto the control's window colour.
TEST(GifDrawing, AnimationsMatchImageMagickCoalesce)
{
    const char *files[] = {
        "pygif/dispose-none.gif", "pygif/dispose-keep.gif", "pygif/dispose-restore-background.gif",
        "pygif/dispose-restore-previous.gif", "pygif/images-combine.gif", "wuffs/muybridge.gif",
        "giflib/welcome2.gif", "peterdn/animated_transparent_restoreprev_loop.gif",
    };
    QTemporaryDir dir;
    for (const char *name : files) {
        SCOPED_TRACE(name);
        GifPlayer player;
        player.SetBackColor(Rgb(12, 34, 56));
        ASSERT_TRUE(player.LoadGIF(test::GifCorpusPath(name)));
        const QString colour = QString("rgb(%1,%2,%3)")
                                   .arg(RedOf(player.WindowColor()))
                                   .arg(GreenOf(player.WindowColor()))
                                   .arg(BlueOf(player.WindowColor()));
        const QString pattern = dir.path() + "/" + QFileInfo(name).baseName() + "-%d.ppm";
        if (!test::RunConvert({test::GifCorpusPath(name), "-coalesce", "-background", colour, "-alpha", "remove",
                               "-alpha", "off", "-depth", "8", pattern}))
            GTEST_SKIP() << "ImageMagick's convert is not available";
        player.SetAnimate(true);
        for (int frame = 0; frame < player.gifFrameCount(); ++frame) {
            player.tmrGIF_Timer();
            QFile file(QString(pattern).replace("%d", QString::number(frame)));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "frame " << frame;
            const Bitmap expected = test::ReadNetpbm(file.readAll());
            ASSERT_EQ(Pixels(player.Canvas()).size(), Pixels(expected).size());
            EXPECT_EQ(Pixels(player.Canvas()), Pixels(expected)) << "frame " << frame;
        }
    }
}

}  // namespace
}  // namespace pellimore
