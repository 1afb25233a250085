// Block transfers, stretching, gradients and alpha blending against
// hand-computed pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "platform/raster/Raster.h"

using namespace pellimore;

namespace {

// A bitmap whose pixel (x, y) is grey-ish and unique: r = x, g = y, b = 7.
Bitmap Ramp(int w, int h)
{
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.Set(x, y, MakePixel(uint8_t(x), uint8_t(y), 7));
    return b;
}

Bitmap Solid(int w, int h, Pixel p)
{
    Bitmap b(w, h);
    b.Fill(p);
    return b;
}

}  // namespace

TEST(BitBlt, RopsCombineEveryByte)
{
    const Pixel d = 0xF0F0F0F0, s = 0xFF00FF00;
    const std::array<std::pair<uint32_t, Pixel>, 5> cases = {{
        {kSrcCopy, s},
        {kSrcAnd, d & s},
        {kSrcPaint, d | s},
        {kDstAndNotSrc, d & ~s},
        {kSrcInvert, d ^ s},
    }};
    for (const auto &[rop, expected] : cases) {
        Bitmap dst = Solid(3, 3, d);
        const Bitmap src = Solid(3, 3, s);
        ASSERT_TRUE(BitBlt(dst, 1, 1, 1, 1, src, 0, 0, rop));
        EXPECT_EQ(dst.At(1, 1), expected) << std::hex << rop;
        EXPECT_EQ(dst.At(0, 0), d) << "outside the block";
    }
    Bitmap dst = Solid(2, 2, d);
    EXPECT_FALSE(BitBlt(dst, 0, 0, 2, 2, dst, 0, 0, 0x12345678));
    EXPECT_EQ(dst.At(0, 0), d);
}

TEST(BitBlt, ClipsToBothBitmaps)
{
    const Bitmap src = Ramp(4, 4);
    Bitmap dst = Solid(4, 4, 0);
    // Negative destination: the block's top-left part is cut off.
    ASSERT_TRUE(BitBlt(dst, -1, -2, 4, 4, src, 0, 0, kSrcCopy));
    EXPECT_EQ(dst.At(0, 0), src.At(1, 2));
    EXPECT_EQ(dst.At(2, 1), src.At(3, 3));
    EXPECT_EQ(dst.At(3, 0), 0u) << "no source column 4";
    EXPECT_EQ(dst.At(0, 2), 0u) << "no source row 4";
    // Source beyond its bitmap and far-off positions do nothing harmful.
    Bitmap again = Solid(4, 4, 0);
    EXPECT_TRUE(BitBlt(again, 0, 0, 4, 4, src, 3, -1, kSrcCopy));
    EXPECT_EQ(again.At(0, 1), src.At(3, 0));
    EXPECT_EQ(again.At(1, 1), 0u);
    EXPECT_TRUE(BitBlt(again, INT32_MAX - 1, INT32_MIN + 1, INT32_MAX, INT32_MAX, src, 0, 0, kSrcCopy));
}

TEST(BitBlt, OverlappingCopyBehavesLikeMemmove)
{
    Bitmap b = Ramp(6, 6);
    const Bitmap before = b;
    ASSERT_TRUE(BitBlt(b, 1, 1, 5, 5, b, 0, 0, kSrcCopy));  // down and right
    for (int y = 1; y < 6; ++y)
        for (int x = 1; x < 6; ++x)
            ASSERT_EQ(b.At(x, y), before.At(x - 1, y - 1)) << x << "," << y;
    b = before;
    ASSERT_TRUE(BitBlt(b, 0, 2, 5, 1, b, 1, 2, kSrcInvert));  // same row, leftwards, non-copy rop
    EXPECT_EQ(b.At(0, 2), before.At(0, 2) ^ before.At(1, 2));
    b = before;
    ASSERT_TRUE(BitBlt(b, 2, 0, 4, 1, b, 0, 0, kSrcPaint));  // same row, rightwards
    EXPECT_EQ(b.At(3, 0), before.At(3, 0) | before.At(1, 0));
}

TEST(StretchBlt, HalftoneShrinkAveragesTheArea)
{
    Bitmap src(4, 4);
    int sum = 0;
    for (int i = 0; i < 16; ++i) {
        src.Set(i % 4, i / 4, MakePixel(uint8_t(i * 10), uint8_t(255 - i), 100));
        sum += i * 10;
    }
    Bitmap dst = Solid(3, 3, 0);
    ASSERT_TRUE(StretchBlt(dst, 1, 1, 1, 1, src, 0, 0, 4, 4, StretchMode::Halftone));
    EXPECT_EQ(PixelRed(dst.At(1, 1)), (sum + 8) / 16);  // 75
    EXPECT_EQ(PixelGreen(dst.At(1, 1)), 248);  // 255 - 7.5, halves round up
    EXPECT_EQ(PixelBlue(dst.At(1, 1)), 100);
    EXPECT_EQ(PixelAlpha(dst.At(1, 1)), 255);
    EXPECT_EQ(dst.At(0, 0), 0u);

    // 3 -> 2: each output covers one and a half pixels.
    Bitmap row(3, 1);
    row.Set(0, 0, MakePixel(0, 0, 0));
    row.Set(1, 0, MakePixel(90, 0, 0));
    row.Set(2, 0, MakePixel(180, 0, 0));
    Bitmap two(2, 1);
    ASSERT_TRUE(StretchBlt(two, 0, 0, 2, 1, row, 0, 0, 3, 1, StretchMode::Halftone));
    EXPECT_EQ(PixelRed(two.At(0, 0)), 30);   // (0 * 1 + 90 * 0.5) / 1.5
    EXPECT_EQ(PixelRed(two.At(1, 0)), 150);  // (90 * 0.5 + 180 * 1) / 1.5
}

TEST(StretchBlt, HalftoneEnlargeIsBilinear)
{
    Bitmap src(2, 2);
    src.Set(0, 0, MakePixel(0, 0, 0));
    src.Set(1, 0, MakePixel(200, 0, 0));
    src.Set(0, 1, MakePixel(0, 100, 0));
    src.Set(1, 1, MakePixel(200, 100, 0));
    Bitmap dst(4, 4);
    ASSERT_TRUE(StretchBlt(dst, 0, 0, 4, 4, src, 0, 0, 2, 2, StretchMode::Halftone));
    // Output centres map to -0.25, 0.25, 0.75, 1.25 (clamped to the edges).
    const int expectedRed[4] = {0, 50, 150, 200};
    const int expectedGreen[4] = {0, 25, 75, 100};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(PixelRed(dst.At(i, 2)), expectedRed[i]) << i;
        EXPECT_EQ(PixelGreen(dst.At(2, i)), expectedGreen[i]) << i;
    }
    // Equal sizes copy exactly.
    const Bitmap ramp = Ramp(5, 3);
    Bitmap copy(5, 3);
    ASSERT_TRUE(StretchBlt(copy, 0, 0, 5, 3, ramp, 0, 0, 5, 3, StretchMode::Halftone));
    EXPECT_EQ(copy, ramp);
}

TEST(StretchBlt, NearestSampleMirrorAndClip)
{
    const Bitmap src = Ramp(4, 2);
    Bitmap dst = Solid(8, 2, 0);
    ASSERT_TRUE(StretchBlt(dst, 0, 0, 8, 2, src, 0, 0, 4, 2, StretchMode::ColorOnColor));
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(dst.At(x, 1), src.At(x / 2, 1)) << x;
    // Negative width at x covers x + w + 1 .. x, mirrored.
    Bitmap mirrored = Solid(4, 2, 0);
    ASSERT_TRUE(StretchBlt(mirrored, 3, 0, -4, 2, src, 0, 0, 4, 2, StretchMode::ColorOnColor));
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(mirrored.At(x, 0), src.At(3 - x, 0)) << x;
    // Partly outside the destination: the visible part keeps its mapping.
    Bitmap clipped = Solid(3, 2, 0);
    ASSERT_TRUE(StretchBlt(clipped, -2, 0, 8, 2, src, 0, 0, 4, 2, StretchMode::ColorOnColor));
    EXPECT_EQ(clipped.At(0, 0), src.At(1, 0));
    EXPECT_EQ(clipped.At(2, 0), src.At(2, 0));
    EXPECT_FALSE(StretchBlt(clipped, 0, 0, 0, 2, src, 0, 0, 4, 2, StretchMode::ColorOnColor));
}

TEST(StretchBlt, SameBitmapReadsTheOriginal)
{
    Bitmap b = Ramp(4, 4);
    const Bitmap before = b;
    ASSERT_TRUE(StretchBlt(b, 0, 0, 4, 4, b, 0, 0, 2, 2, StretchMode::ColorOnColor));
    EXPECT_EQ(b.At(3, 3), before.At(1, 1));
    EXPECT_EQ(b.At(1, 1), before.At(0, 0));
}

TEST(GradientFill, RectangleCornersCarryTheVertexColours)
{
    const ColorRef top = Rgb(200, 10, 0), bottom = Rgb(0, 250, 100);
    const TriVertex v[2] = {MakeTriVertex(1, 1, top, 255), MakeTriVertex(7, 5, bottom, 255)};
    const GradientRect mesh[1] = {{0, 1}};

    Bitmap vertical = Solid(8, 6, 0);
    ASSERT_TRUE(GradientFill(vertical, v, mesh, GradientFillMode::RectV));
    EXPECT_EQ(vertical.At(1, 1), PixelFromColorRef(top));
    EXPECT_EQ(vertical.At(6, 1), PixelFromColorRef(top));
    EXPECT_EQ(vertical.At(1, 4), PixelFromColorRef(bottom));
    EXPECT_EQ(vertical.At(6, 4), PixelFromColorRef(bottom));
    EXPECT_EQ(vertical.At(3, 2), MakePixel(133, 90, 33));  // a third of the way
    EXPECT_EQ(vertical.At(7, 1), 0u) << "right edge excluded";
    EXPECT_EQ(vertical.At(1, 5), 0u) << "bottom edge excluded";

    Bitmap horizontal = Solid(8, 6, 0);
    ASSERT_TRUE(GradientFill(horizontal, v, mesh, GradientFillMode::RectH));
    EXPECT_EQ(horizontal.At(1, 1), PixelFromColorRef(top));
    EXPECT_EQ(horizontal.At(1, 4), PixelFromColorRef(top));
    EXPECT_EQ(horizontal.At(6, 1), PixelFromColorRef(bottom));
    EXPECT_EQ(horizontal.At(6, 4), PixelFromColorRef(bottom));
    EXPECT_EQ(horizontal.At(0, 1), 0u);

    // The colour channels become alpha too; vertex alpha 0 gives alpha 0.
    const TriVertex clear[2] = {MakeTriVertex(0, 0, top), MakeTriVertex(2, 2, top)};
    Bitmap b = Solid(2, 2, 0xFFFFFFFF);
    ASSERT_TRUE(GradientFill(b, clear, mesh, GradientFillMode::RectV));
    EXPECT_EQ(b.At(1, 1), PixelFromColorRef(top, 0));

    EXPECT_FALSE(GradientFill(b, v, mesh, GradientFillMode::Triangle));
    const GradientRect bad[1] = {{0, 2}};
    EXPECT_FALSE(GradientFill(b, v, bad, GradientFillMode::RectV));
}

TEST(GradientFill, TriangleVerticesCarryTheirColours)
{
    const TriVertex v[4] = {MakeTriVertex(0, 0, Rgb(255, 0, 0)), MakeTriVertex(8, 0, Rgb(0, 255, 0)),
                            MakeTriVertex(0, 8, Rgb(0, 0, 255)), MakeTriVertex(8, 8, Rgb(255, 255, 255))};
    const GradientTriangle mesh[2] = {{0, 1, 2}, {1, 3, 2}};
    Bitmap b = Solid(10, 10, MakePixel(1, 2, 3));
    ASSERT_TRUE(GradientFill(b, v, mesh));
    EXPECT_EQ(ColorRefFromPixel(b.At(0, 0)), Rgb(255, 0, 0));
    EXPECT_EQ(ColorRefFromPixel(b.At(8, 0)), Rgb(0, 255, 0));
    EXPECT_EQ(ColorRefFromPixel(b.At(0, 8)), Rgb(0, 0, 255));
    EXPECT_EQ(ColorRefFromPixel(b.At(8, 8)), Rgb(255, 255, 255));
    // Midpoint of an edge: the average of its two vertices.
    EXPECT_EQ(ColorRefFromPixel(b.At(4, 0)), Rgb(127, 127, 0));
    // The shared diagonal takes the same colours from both triangles.
    EXPECT_EQ(ColorRefFromPixel(b.At(4, 4)), Rgb(0, 127, 127));
    EXPECT_EQ(b.At(9, 9), MakePixel(1, 2, 3)) << "outside the mesh";

    const GradientTriangle bad[1] = {{0, 1, 4}};
    EXPECT_FALSE(GradientFill(b, v, bad));
}

TEST(AlphaBlend, PremultipliedSourceOver)
{
    Bitmap dst = Solid(2, 1, MakePixel(200, 100, 0, 255));
    Bitmap src(2, 1);
    src.Set(0, 0, MakePixel(64, 0, 32, 128));  // premultiplied, half covering
    src.Set(1, 0, MakePixel(0, 0, 0, 0));      // fully transparent
    ASSERT_TRUE(AlphaBlend(dst, 0, 0, 2, 1, src, 0, 0, 2, 1, 255, true));
    // D = S + D * (255 - 128) / 255
    EXPECT_EQ(dst.At(0, 0), MakePixel(64 + 100, 0 + 50, 32 + 0, 128 + 127));
    EXPECT_EQ(dst.At(1, 0), MakePixel(200, 100, 0, 255));

    // Constant alpha scales the source first: S' = S * 51 / 255.
    Bitmap half = Solid(1, 1, MakePixel(200, 100, 0, 255));
    ASSERT_TRUE(AlphaBlend(half, 0, 0, 1, 1, src, 0, 0, 1, 1, 51, true));
    EXPECT_EQ(PixelRed(half.At(0, 0)), 13 + 180);  // 64*0.2 + 200*(1 - 26/255)
}

TEST(AlphaBlend, ConstantAlphaOnlyAndStretch)
{
    Bitmap dst = Solid(4, 2, MakePixel(0, 0, 0, 255));
    const Bitmap src = Solid(1, 1, MakePixel(255, 100, 50, 0));  // alpha ignored
    ASSERT_TRUE(AlphaBlend(dst, 1, 0, 2, 2, src, 0, 0, 1, 1, 128, false));
    EXPECT_EQ(dst.At(1, 1), MakePixel(128, 50, 25, 127));
    EXPECT_EQ(dst.At(2, 0), MakePixel(128, 50, 25, 127));
    EXPECT_EQ(dst.At(0, 0), MakePixel(0, 0, 0, 255));
    EXPECT_EQ(dst.At(3, 0), MakePixel(0, 0, 0, 255));
    // The source block must lie inside the source.
    EXPECT_FALSE(AlphaBlend(dst, 0, 0, 1, 1, src, 0, 0, 2, 1, 255, false));
    EXPECT_FALSE(AlphaBlend(dst, 0, 0, -1, 1, src, 0, 0, 1, 1, 255, false));
}

TEST(StreamingHalftone, GivesTheSamePixelsAsStretchingTheWholePicture)
{
    // Shrinking by whole and odd ratios, one axis shrinking while the other
    // grows, enlarging, and the same size.
    const struct {
        int sw, sh, dw, dh;
    } cases[] = {{317, 211, 100, 67}, {400, 300, 128, 96}, {97, 53, 40, 60},
                 {30, 20, 71, 45},    {25, 25, 25, 25},    {1000, 3, 7, 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.sw << "x" << c.sh << " -> " << c.dw << "x" << c.dh);
        Bitmap picture(c.sw, c.sh);
        uint32_t seed = 12345;
        for (int y = 0; y < c.sh; ++y)
            for (int x = 0; x < c.sw; ++x) {
                seed = seed * 1664525u + 1013904223u;
                picture.Set(x, y, seed | 0xFF000000u);
            }
        Bitmap whole(c.dw, c.dh);
        ASSERT_TRUE(StretchBlt(whole, 0, 0, c.dw, c.dh, picture, 0, 0, c.sw, c.sh, StretchMode::Halftone));

        Bitmap streamed(c.dw, c.dh);
        StreamingHalftone stream(streamed, c.sw, c.sh);
        for (int y = 0; y < c.sh; ++y) {
            EXPECT_FALSE(stream.Done());
            std::copy_n(picture.Row(y), c.sw, stream.NextRow());
            stream.RowDone();
        }
        EXPECT_TRUE(stream.Done());
        EXPECT_TRUE(streamed == whole);
    }
    // A picture of no size has nowhere to write.
    Bitmap target(4, 4);
    StreamingHalftone empty(target, 0, 10);
    EXPECT_EQ(empty.NextRow(), nullptr);
}

TEST(StreamingHalftone, LargeTargetsAndBlocksOfALargerBitmapGetTheSamePixels)
{
    // More than a million destination pixels: filtered on a second core as
    // the rows come, still the pixels of the whole stretch. Into a block of
    // a larger bitmap: the block only, the rest left as it was.
    Bitmap picture(1500, 1100);
    uint32_t seed = 99;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            picture.Set(x, y, seed | 0xFF000000u);
        }
    const QRect block(7, 5, 1100, 960);
    Bitmap whole(1120, 970);
    whole.Fill(0xFF102030u);
    ASSERT_TRUE(StretchBlt(whole, block.x(), block.y(), block.width(), block.height(), picture, 0, 0, 1500, 1100,
                           StretchMode::Halftone));
    Bitmap streamed(1120, 970);
    streamed.Fill(0xFF102030u);
    {
        StreamingHalftone stream(streamed, block, 1500, 1100);
        for (int y = 0; y < picture.Height(); ++y) {
            std::copy_n(picture.Row(y), picture.Width(), stream.NextRow());
            stream.RowDone();
        }
        EXPECT_TRUE(stream.Done());
    }
    EXPECT_TRUE(streamed == whole);

    // A decode that stops half way leaves without waiting for rows that never come.
    Bitmap partial(1100, 960);
    StreamingHalftone stopped(partial, 1500, 1100);
    for (int y = 0; y < 500; ++y) {
        std::copy_n(picture.Row(y), picture.Width(), stopped.NextRow());
        stopped.RowDone();
    }
    EXPECT_FALSE(stopped.Done());
}

TEST(StretchBlt, SameSizeInEveryModeIsABlockTransfer)
{
    Bitmap picture(37, 23);
    uint32_t seed = 7;
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x) {
            seed = seed * 1664525u + 1013904223u;
            picture.Set(x, y, seed);  // alpha too: all four bytes travel
        }
    for (const StretchMode mode : {StretchMode::Halftone, StretchMode::ColorOnColor}) {
        for (const uint32_t rop : {kSrcCopy, kSrcInvert}) {
            Bitmap expected = Solid(40, 30, MakePixel(1, 2, 3));
            Bitmap stretched = expected;
            ASSERT_TRUE(BitBlt(expected, -3, 5, 30, 20, picture, 4, 2, rop));
            ASSERT_TRUE(StretchBlt(stretched, -3, 5, 30, 20, picture, 4, 2, 30, 20, mode, rop));
            EXPECT_TRUE(stretched == expected) << int(mode) << " " << rop;
        }
    }
}
