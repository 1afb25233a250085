#include <gtest/gtest.h>

#include "platform/desktop/RootLayout.h"
#include "platform/raster/Raster.h"

namespace pellimore {
namespace {

// A picture whose every pixel says where it came from.
Bitmap Numbered(int width, int height)
{
    Bitmap picture(width, height, 24);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            picture.Set(x, y, MakePixel(uint8_t(x * 7), uint8_t(y * 11), 0x80));
    }
    return picture;
}

TEST(RootLayout, CentredPictureOverTheColourOnEveryMonitor)
{
    const Bitmap picture = Numbered(10, 6);
    const ColorRef color = Rgb(0, 128, 255);
    const std::vector<QRect> monitors = {QRect(0, 0, 40, 30), QRect(40, 0, 60, 30)};
    const Bitmap root = ComposeRootImage(QSize(100, 30), monitors, picture, WallpaperStyle::Centered, color);
    ASSERT_EQ(root.Width(), 100);
    // Monitor 1: picture at (15, 12); monitor 2: at (40 + 25, 12).
    for (const QPoint origin : {QPoint(15, 12), QPoint(65, 12)}) {
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < 10; ++x)
                ASSERT_EQ(root.At(origin.x() + x, origin.y() + y), picture.At(x, y) | 0xFF000000u);
        }
        EXPECT_EQ(root.At(origin.x() - 1, origin.y()), PixelFromColorRef(color));
        EXPECT_EQ(root.At(origin.x() + 10, origin.y() + 5), PixelFromColorRef(color));
        EXPECT_EQ(root.At(origin.x(), origin.y() - 1), PixelFromColorRef(color));
    }
}

TEST(RootLayout, LargerCentredPictureIsCutAtItsMonitor)
{
    const Bitmap picture = Numbered(30, 10);
    const std::vector<QRect> monitors = {QRect(0, 0, 20, 10), QRect(20, 0, 20, 10)};
    const Bitmap root = ComposeRootImage(QSize(40, 10), monitors, picture, WallpaperStyle::Centered, 0);
    // Each monitor shows columns 5..24 of the picture; nothing spills over.
    for (int x = 0; x < 20; ++x) {
        EXPECT_EQ(root.At(x, 3), picture.At(x + 5, 3) | 0xFF000000u) << x;
        EXPECT_EQ(root.At(20 + x, 3), picture.At(x + 5, 3) | 0xFF000000u) << x;
    }
}

TEST(RootLayout, TilesStartAtEachMonitorsCorner)
{
    const Bitmap picture = Numbered(7, 5);
    const std::vector<QRect> monitors = {QRect(0, 0, 16, 12), QRect(16, 3, 10, 9)};
    const Bitmap root = ComposeRootImage(QSize(26, 12), monitors, picture, WallpaperStyle::Tiled, Rgb(1, 2, 3));
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(root.At(x, y), picture.At(x % 7, y % 5) | 0xFF000000u) << x << "," << y;
    }
    for (int y = 3; y < 12; ++y) {
        for (int x = 16; x < 26; ++x)
            ASSERT_EQ(root.At(x, y), picture.At((x - 16) % 7, (y - 3) % 5) | 0xFF000000u) << x << "," << y;
    }
    // Outside every monitor: the background colour.
    EXPECT_EQ(root.At(20, 1), PixelFromColorRef(Rgb(1, 2, 3)));
}

TEST(RootLayout, StretchFillsTheMonitorAndNoMonitorsMeansTheWholeScreen)
{
    const Bitmap picture = Numbered(8, 4);
    const Bitmap root = ComposeRootImage(QSize(32, 24), {}, picture, WallpaperStyle::Stretched, 0);
    Bitmap expected(32, 24, 24);
    ASSERT_TRUE(StretchBlt(expected, 0, 0, 32, 24, picture, 0, 0, 8, 4, StretchMode::Halftone));
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(root.At(x, y), expected.At(x, y) | 0xFF000000u);
    }
}

TEST(RootLayout, MonitorsOutsideTheScreenAreCut)
{
    const Bitmap picture = Numbered(4, 4);
    const Bitmap root =
        ComposeRootImage(QSize(10, 10), {QRect(5, 5, 100, 100)}, picture, WallpaperStyle::Tiled, Rgb(9, 9, 9));
    EXPECT_EQ(root.At(5, 5), picture.At(0, 0) | 0xFF000000u);
    EXPECT_EQ(root.At(9, 9), picture.At(0, 0) | 0xFF000000u);
    EXPECT_EQ(root.At(4, 4), PixelFromColorRef(Rgb(9, 9, 9)));
}

TEST(RootLayout, StripsOfAnyHeightMakeTheSameImage)
{
    const QSize screen(26, 19);
    const std::vector<QRect> monitors = {QRect(0, 0, 16, 12), QRect(16, 3, 10, 16)};
    // A small picture, and one larger than every monitor (strips it covers
    // whole are not filled with the colour first).
    for (const Bitmap &picture : {Numbered(7, 5), Numbered(31, 23)}) {
        for (const WallpaperStyle style :
             {WallpaperStyle::Centered, WallpaperStyle::Tiled, WallpaperStyle::Stretched}) {
            const Bitmap whole = ComposeRootImage(screen, monitors, picture, style, Rgb(1, 2, 3));
            for (const int rows : {1, 2, 4, 6, 19}) {
                for (int y = 0; y < screen.height(); y += rows) {
                    Bitmap strip(screen.width(), std::min(rows, screen.height() - y), 24);
                    ComposeRootStrip(strip, y, screen, monitors, picture, style, Rgb(1, 2, 3));
                    for (int r = 0; r < strip.Height(); ++r) {
                        for (int x = 0; x < screen.width(); ++x)
                            ASSERT_EQ(strip.At(x, r), whole.At(x, y + r))
                                << picture.Width() << " wide, style " << int(style) << ", strips of " << rows
                                << ", at " << x << "," << y + r;
                    }
                }
            }
        }
    }
    // A picture covering the whole screen: every strip is the picture alone.
    const Bitmap large = Numbered(31, 23);
    for (int y = 0; y < screen.height(); y += 4) {
        Bitmap strip(screen.width(), std::min(4, screen.height() - y), 24);
        strip.Fill(0);
        ComposeRootStrip(strip, y, screen, {}, large, WallpaperStyle::Centered, Rgb(1, 2, 3));
        for (int r = 0; r < strip.Height(); ++r)
            for (int x = 0; x < screen.width(); ++x)
                ASSERT_EQ(strip.At(x, r), large.At(x + 2, y + r + 2) | 0xFF000000u) << x << "," << y + r;
    }
}

}  // namespace
}  // namespace pellimore
