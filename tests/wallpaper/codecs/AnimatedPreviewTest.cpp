// The animated preview's layout, with the real animated GIF control.
#include <gtest/gtest.h>

#include <QWidget>

#include "tests/wallpaper/codecs/GifTestFiles.h"
#include "wallpaper/codecs/PictureLoading.h"
#include "wallpaper/codecs/widgets/ucGIF.h"

namespace pellimore {
namespace {

using test::GifBuilder;

const std::vector<ColorRef> kFour = {Rgb(0, 0, 0), Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(255, 255, 255)};

class AnimatedPreviewTest : public testing::Test {
protected:
    AnimatedPreviewTest()
    {
        window.resize(400, 300);
        geometry.thumbnail = QRect(10, 20, 100, 80);
        geometry.previewButton = QRect(5, 150, 60, 25);
        control.move(0, 40);
    }
    QString Gif(int width, int height)
    {
        return GifBuilder(width, height).GlobalTable(kFour).Control(0, 10).SolidImage(0, 0, width, height, 1)
            .Control(0, 10).SolidImage(0, 0, width, height, 2).Trailer()
            .Write(QString("preview-%1x%2.gif").arg(width).arg(height));
    }

    QWidget window;
    ucGIF control{&window};
    AnimatedPreviewGeometry geometry;
};

TEST_F(AnimatedPreviewTest, ASmallGifShowsAtItsOwnSizeCentredOverTheThumbnail)
{
    ASSERT_TRUE(ShowAnimatedPreview(control, geometry, Gif(40, 30), Rgb(1, 2, 3)));
    EXPECT_TRUE(control.isVisibleTo(&window));
    EXPECT_TRUE(control.Animate());
    EXPECT_TRUE(control.AutoSize());
    EXPECT_EQ(control.gifMinFrameDelay(), 50);
    EXPECT_EQ(control.BackColor(), Rgb(1, 2, 3));
    EXPECT_EQ(control.BorderStyle(), 1);
    EXPECT_EQ(control.size(), QSize(42, 32));
    EXPECT_EQ(control.x(), 10 + 50 - 20);  // centred before the border was added
    EXPECT_EQ(control.y(), 40);
}

TEST_F(AnimatedPreviewTest, ALargerGifIsShrunkByPPercentToItsAspectRatio)
{
    // Wider than high: p = whole part of (300 / 100 + 20) = 23.
    ASSERT_TRUE(ShowAnimatedPreview(control, geometry, Gif(300, 150), 0));
    EXPECT_FALSE(control.AutoSize());
    EXPECT_EQ(control.Stretch(), 1);
    EXPECT_TRUE(control.Animate());
    EXPECT_EQ(control.size(), QSize(231, 116));
    EXPECT_EQ(control.x(), 10 + 50 - 115);

    // Taller than wide, on a large-font display: p = whole part of (300 / 80 + 20) + 5 = 28.
    geometry.largeFonts = true;
    ASSERT_TRUE(ShowAnimatedPreview(control, geometry, Gif(100, 300), 0));
    EXPECT_EQ(control.size(), QSize(72 + 2, 216 + 2));  // the border of the earlier preview counts now
}

TEST_F(AnimatedPreviewTest, ShrinkingIsCappedBeforeTheLargeFontAddition)
{
    geometry.thumbnail = QRect(0, 0, 2, 2);
    ASSERT_TRUE(ShowAnimatedPreview(control, geometry, Gif(200, 100), 0));
    EXPECT_EQ(control.size(), QSize(36, 18));  // p = 82
    geometry.largeFonts = true;
    ASSERT_TRUE(ShowAnimatedPreview(control, geometry, Gif(200, 100), 0));
    EXPECT_EQ(control.size(), QSize(12 + 2, 6 + 2));  // p = 94
}

TEST_F(AnimatedPreviewTest, AGifTheControlCannotLoadStaysHidden)
{
    control.show();
    EXPECT_FALSE(ShowAnimatedPreview(control, geometry, test::WriteGifFile("bad.gif", QByteArray(40, 'G')), 0));
    EXPECT_FALSE(control.isVisibleTo(&window));
}

}  // namespace
}  // namespace pellimore
