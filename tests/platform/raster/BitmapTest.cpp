#include <gtest/gtest.h>

#include <QImage>

#include <stdexcept>
#include <utility>

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

TEST(Bitmap, CopiesShareThePixelsUntilOneIsWritten)
{
    Bitmap original(64, 32);
    original.Fill(MakePixel(10, 20, 30));
    const Bitmap copy = original;
    // Reading either costs no copy: both see the same memory.
    EXPECT_EQ(std::as_const(original).Bits(), copy.Bits());

    // Each way of writing leaves the other bitmap as it was.
    original.Set(3, 4, MakePixel(1, 1, 1));
    EXPECT_NE(std::as_const(original).Bits(), copy.Bits());
    EXPECT_EQ(copy.At(3, 4), MakePixel(10, 20, 30));
    EXPECT_EQ(original.At(3, 4), MakePixel(1, 1, 1));
    EXPECT_EQ(original.At(5, 5), MakePixel(10, 20, 30));

    Bitmap second = copy;
    second.Fill(MakePixel(9, 9, 9));
    EXPECT_EQ(copy.At(0, 0), MakePixel(10, 20, 30));
    EXPECT_EQ(second.At(63, 31), MakePixel(9, 9, 9));

    Bitmap third = copy;
    third.Row(31)[63] = MakePixel(2, 2, 2);
    third.Bits()[0] = 0;
    EXPECT_EQ(copy.At(63, 31), MakePixel(10, 20, 30));
    EXPECT_EQ(copy.Bits()[0], 30);

    Bitmap fourth = copy;
    QImage view = fourth.Wrap();
    view.setPixel(0, 0, qRgb(7, 7, 7));
    EXPECT_EQ(fourth.At(0, 0), MakePixel(7, 7, 7));
    EXPECT_EQ(copy.At(0, 0), MakePixel(10, 20, 30));

    // Equal pixels compare equal whether shared or not.
    Bitmap fifth = copy;
    EXPECT_EQ(fifth, copy);
    fifth.Detach();
    EXPECT_EQ(fifth, copy);
    EXPECT_NE(std::as_const(fifth).Bits(), copy.Bits());
}
