// Resampling: the area average when a picture gets smaller, bilinear
// interpolation when it grows, on real picture surfaces.
#include <gtest/gtest.h>

#include <functional>

#include "platform/raster/PictureSurface.h"
#include "wallpaper/resize/Resize.h"

using namespace pellimore;

namespace {

constexpr Pixel kWhite = MakePixel(255, 255, 255);

// A surface painted pixel by pixel.
void Paint(PictureSurface &surface, const std::function<Pixel(int x, int y)> &color)
{
    Bitmap &image = surface.Image();
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            image.Set(x, y, color(x, y));
}

int CountPixels(const Bitmap &bitmap, Pixel pixel)
{
    int count = 0;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            count += bitmap.At(x, y) == pixel;
    return count;
}

}  // namespace

TEST(ShrinkTest, HalvingAveragesColumnPairsAndNeverReadsTheLastColumn)
{
    // Red tells the column and green the row: 2u and 2v.
    PictureSurface source(101, 101);
    Paint(source, [](int x, int y) { return MakePixel(uint8_t(2 * x), uint8_t(2 * y), 7); });
    // The last column and row would show in any average that took them.
    for (int i = 0; i < 101; ++i) {
        source.Image().Set(100, i, MakePixel(255, 255, 255));
        source.Image().Set(i, 100, MakePixel(255, 255, 255));
    }
    PictureSurface destination(50, 50);
    ASSERT_TRUE(ResizePicture(source, destination, 0, 0, 101, 101, 0, 0, 50, 50));
    // kx = 50 / 100: column x averages columns 2x and 2x + 1, so red is
    // (4x + 4x + 2) / 2 = 4x + 1; column 49 takes columns 98 and 99.
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x)
            ASSERT_EQ(destination.Image().At(x, y), MakePixel(uint8_t(4 * x + 1), uint8_t(4 * y + 1), 7))
                << x << "," << y;
}

TEST(ShrinkTest, AveragesRoundHalvesToEven)
{
    // Pairs of columns 0/1 and 2/3 average to 0.5 and 2.5: both go down.
    PictureSurface source(5, 3);
    const uint8_t reds[5] = {0, 1, 2, 3, 0};
    Paint(source, [&](int x, int) { return MakePixel(reds[x], 0, 0); });
    PictureSurface destination(2, 1);
    ASSERT_TRUE(ShrinkPicture(source, destination, 0, 0, 5, 3, 0, 0, 2, 1));
    EXPECT_EQ(PixelRed(destination.Image().At(0, 0)), 0);
    EXPECT_EQ(PixelRed(destination.Image().At(1, 0)), 2);
}

TEST(ShrinkTest, LargeBlocksOfWhiteStayWhite)
{
    // Shrinks by 10 and by 100: blocks of about 100 and 10 000 pixels.
    for (int factor : {10, 100}) {
        PictureSurface source(20 * factor, 10 * factor);
        source.Image().Fill(kWhite);
        PictureSurface destination(20, 10);
        ASSERT_TRUE(ResizePicture(source, destination, 0, 0, float(20 * factor), float(10 * factor), 0, 0, 20, 10));
        EXPECT_EQ(CountPixels(destination.Image(), kWhite), 200) << "factor " << factor;
    }
}

TEST(ShrinkTest, ADirectionThatGrowsTakesOnePixelPerBlock)
{
    // Twice as wide, half as high: the column blocks are under a pixel.
    PictureSurface source(10, 10);
    Paint(source, [](int x, int) { return MakePixel(uint8_t(10 * x), 0, 0); });
    PictureSurface destination(20, 5);
    ASSERT_TRUE(ResizePicture(source, destination, 0, 0, 10, 10, 0, 0, 20, 5));
    EXPECT_EQ(CountPixels(destination.Image(), kWhite), 0);
    // kx = 20 / 9: column x reads source column floor(0.45 x).
    for (int x = 0; x < 20; ++x)
        EXPECT_EQ(PixelRed(destination.Image().At(x, 2)), 10 * (x * 9 / 20)) << x;
}

TEST(EnlargeTest, DoublingATwoByTwoPictureBlendsTheLastColumnOneToThree)
{
    PictureSurface source(2, 2);
    Paint(source, [](int x, int y) { return MakePixel(uint8_t(200 * x), uint8_t(100 * y), uint8_t(2 * x)); });
    PictureSurface destination(4, 4);
    ASSERT_TRUE(ResizePicture(source, destination, 0, 0, 2, 2, 0, 0, 4, 4));
    // kx = 4: fx = x / 4, so x = 3 is 0.75 of the way to the second column.
    const int reds[4] = {0, 50, 100, 150};
    const int greens[4] = {0, 25, 50, 75};
    const int blues[4] = {0, 0, 1, 2};  // 0.5 and 1.5 go to the even neighbour
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(destination.Image().At(x, y),
                      MakePixel(uint8_t(reds[x]), uint8_t(greens[y]), uint8_t(blues[x])))
                << x << "," << y;
}

TEST(EnlargeTest, EqualSizesStretchSlightlyAndLeaveNoWhite)
{
    PictureSurface source(10, 10);
    Paint(source, [](int x, int y) { return MakePixel(uint8_t(20 * x), uint8_t(20 * y), 100); });
    PictureSurface destination(10, 10);
    ASSERT_TRUE(ResizePicture(source, destination, 0, 0, 10, 10, 0, 0, 10, 10));
    EXPECT_EQ(CountPixels(destination.Image(), kWhite), 0);
    EXPECT_EQ(destination.Image().At(0, 0), source.Image().At(0, 0));
    // kx = 10 / 9: column 9 sits at 8.1, a little short of the last column.
    EXPECT_EQ(PixelRed(destination.Image().At(9, 0)), 162);
}

TEST(EnlargeTest, PositionsWithoutFourSourcePixelsAroundThemAreWhite)
{
    PictureSurface source(4, 4);
    source.Image().Fill(MakePixel(10, 20, 30));
    PictureSurface destination(8, 8);
    // Shifted two pixels right and down: the first two columns and rows fall
    // before the source.
    ASSERT_TRUE(EnlargePicture(source, destination, 0, 0, 4, 4, 2, 2, 8, 8));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && y >= 2;
            EXPECT_EQ(destination.Image().At(x, y), inside ? MakePixel(10, 20, 30) : kWhite) << x << "," << y;
        }
}

TEST(EnlargeTest, ASourceOnePixelWideStillGivesItsColumn)
{
    PictureSurface source(1, 3);
    Paint(source, [](int, int y) { return MakePixel(0, uint8_t(100 * y), 50); });
    PictureSurface destination(3, 6);
    ASSERT_TRUE(ResizePicture(source, destination, 0, 0, 1, 3, 0, 0, 3, 6));
    // ky = 6 / 2 = 3: rows at 0, 1/3, 2/3, 1, 4/3, 5/3.
    const int greens[6] = {0, 33, 67, 100, 133, 167};
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(destination.Image().At(x, y), MakePixel(0, uint8_t(greens[y]), 50)) << x << "," << y;
}

TEST(ResizeSurfaceTest, TheResultBecomesTheDestinationsPicture)
{
    PictureSurface source(30, 20);
    Paint(source, [](int x, int y) { return MakePixel(uint8_t(x), uint8_t(y), 0); });
    PictureSurface destination(15, 10);
    const uint64_t before = destination.Generation();
    ASSERT_TRUE(ResizePicture(source, destination, 0, 0, 30, 20, 0, 0, 15, 10));
    ASSERT_TRUE(destination.HasPicture());
    EXPECT_TRUE(destination.Picture() == destination.Image());
    EXPECT_GT(destination.Generation(), before);
    // Opaque: the fourth byte of every pixel is set.
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 15; ++x)
            ASSERT_EQ(PixelAlpha(destination.Image().At(x, y)), 255);
}

TEST(ResizeSurfaceTest, ASurfaceCanBeResizedOntoItself)
{
    PictureSurface single(40, 40);
    Paint(single, [](int x, int y) { return MakePixel(uint8_t(3 * x), uint8_t(3 * y), 9); });
    PictureSurface copy(40, 40);
    copy.Image() = single.Image();
    PictureSurface expected(40, 40);
    ASSERT_TRUE(ResizePicture(copy, expected, 0, 0, 40, 40, 0, 0, 20, 20));
    ASSERT_TRUE(ResizePicture(single, single, 0, 0, 40, 40, 0, 0, 20, 20));
    EXPECT_TRUE(single.Image() == expected.Image());
}

TEST(ResizeSurfaceTest, UnusableSizesLeaveTheDestinationAlone)
{
    PictureSurface source(10, 10);
    source.Image().Fill(MakePixel(1, 2, 3));
    PictureSurface destination(5, 5);
    destination.Image().Fill(MakePixel(9, 9, 9));
    const Bitmap before = destination.Image();
    EXPECT_FALSE(ResizePicture(source, destination, 0, 0, 0, 10, 0, 0, 5, 5));
    EXPECT_FALSE(ResizePicture(source, destination, 0, 0, 10, 10, 0, 0, 5, -5));
    EXPECT_FALSE(ResizePicture(source, destination, 0, 0, 10, 10, 0, 0, 5, NAN));
    PictureSurface empty(0, 0);
    EXPECT_FALSE(ResizePicture(empty, destination, 0, 0, 10, 10, 0, 0, 5, 5));
    EXPECT_TRUE(destination.Image() == before);
    EXPECT_FALSE(destination.HasPicture());
}
