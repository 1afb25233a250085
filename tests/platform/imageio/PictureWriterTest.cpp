// JPEG, BMP and PAM writers.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <cstdlib>

#include "platform/imageio/Pam.h"
#include "platform/imageio/PictureLoader.h"
#include "platform/imageio/PictureWriter.h"

using namespace pellimore;

namespace {

Bitmap Smooth(int w, int h)
{
    Bitmap b(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.Set(x, y, MakePixel(uint8_t(x * 255 / w), uint8_t(y * 255 / h), 128, uint8_t(x % 2 ? 0 : 255)));
    return b;
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST(PictureWriter, JpegQualityAndColours)
{
    QTemporaryDir dir;
    const Bitmap b = Smooth(64, 48);
    const QString low = dir.filePath(QStringLiteral("low.jpg")), high = dir.filePath(QStringLiteral("high.jpg"));
    ASSERT_TRUE(SaveJpeg(b, low, 5));
    ASSERT_TRUE(SaveJpeg(b, high, 100));
    EXPECT_LT(QFileInfo(low).size(), QFileInfo(high).size());
    const PictureResult back = LoadPicture(high);
    ASSERT_TRUE(back.Ok());
    // Alpha is not part of a JPEG: the colour bytes are written as they are.
    for (int x : {1, 2, 40})
        EXPECT_NEAR(PixelRed(back.bitmap.At(x, 20)), PixelRed(b.At(x, 20)), 3) << x;
    EXPECT_NEAR(PixelBlue(back.bitmap.At(33, 33)), 128, 3);
    // Out-of-range qualities are clamped, not refused.
    EXPECT_TRUE(SaveJpeg(b, dir.filePath(QStringLiteral("a.jpg")), -20));
    EXPECT_TRUE(SaveJpeg(b, dir.filePath(QStringLiteral("b.jpg")), 500));
    EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("b.jpg"))), ReadAll(high));
}

TEST(PictureWriter, FailuresLeaveThePreviousFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keep.jpg"));
    ASSERT_TRUE(SaveJpeg(Smooth(8, 8), path, 85));
    const QByteArray before = ReadAll(path);
    QString error;
    EXPECT_FALSE(SaveJpeg(Bitmap(), path, 85, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_FALSE(SaveJpeg(Smooth(8, 8), dir.filePath(QStringLiteral("no/such/x.jpg")), 85, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("x.jpg")));
    EXPECT_FALSE(SaveBmp(Bitmap(), path, &error));
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.jpg")});

    const QString bmp = dir.filePath(QStringLiteral("out.bmp"));
    ASSERT_TRUE(SaveBmp(Smooth(8, 8), bmp));
    const PictureResult back = LoadPicture(bmp);
    ASSERT_TRUE(back.Ok());
    EXPECT_EQ(back.bitmap.At(3, 3), Smooth(8, 8).At(3, 3) | 0xFF000000u);
}

TEST(Pam, WritesRgbOrRgbAlpha)
{
    Bitmap b(2, 1, 32);
    b.Set(0, 0, MakePixel(1, 2, 3, 4));
    b.Set(1, 0, MakePixel(250, 251, 252, 253));
    EXPECT_EQ(EncodePam(b, true),
              QByteArray("P7\nWIDTH 2\nHEIGHT 1\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n"
                         "\x01\x02\x03\x04\xfa\xfb\xfc\xfd"));
    EXPECT_EQ(EncodePam(b, false),
              QByteArray("P7\nWIDTH 2\nHEIGHT 1\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n"
                         "\x01\x02\x03\xfa\xfb\xfc"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.pam"));
    ASSERT_TRUE(WritePam(b, path, false));
    EXPECT_EQ(ReadAll(path), EncodePam(b, false));
    QString error;
    EXPECT_FALSE(WritePam(Bitmap(), path, false, &error));
    EXPECT_FALSE(error.isEmpty());
}
