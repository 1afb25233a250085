#include <gtest/gtest.h>

#include <QImage>

#include <stdexcept>

#include "platform/raster/Bitmap.h"

using namespace pellimore;

TEST(Bitmap, SizesAndPixels)
{
    Bitmap bitmap(3, 2);
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.Stride(), 12);
    EXPECT_EQ(bitmap.At(2, 1), 0u);
    bitmap.Set(2, 1, MakePixel(1, 2, 3));
    const uint8_t *bytes = bitmap.Bits() + 1 * 12 + 2 * 4;
    EXPECT_EQ(bytes[0], 3);  // blue first
    EXPECT_EQ(bytes[1], 2);
    EXPECT_EQ(bytes[2], 1);
    EXPECT_EQ(bytes[3], 255);
    EXPECT_TRUE(Bitmap().IsNull());
    EXPECT_THROW(Bitmap(-1, 4), std::length_error);
    EXPECT_THROW(Bitmap(1 << 20, 1 << 20), std::length_error);
}

TEST(Bitmap, SharesPixelsWithWrappedImage)
{
    Bitmap bitmap(4, 4);
    bitmap.Fill(MakePixel(10, 20, 30));
    QImage image = bitmap.Wrap();
    image.setPixel(1, 1, qRgb(200, 100, 50));
    EXPECT_EQ(bitmap.At(1, 1), MakePixel(200, 100, 50));
    const Bitmap back = Bitmap::FromImage(bitmap.ToImage());
    EXPECT_EQ(back, bitmap);
}
