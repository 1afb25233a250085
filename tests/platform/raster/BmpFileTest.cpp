// BMP reading and writing: round trips at every depth, other readers of our
// files, the BMP Suite, and hostile input.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <random>

#include "platform/raster/BmpFile.h"
#include "tests/support/TempHome.h"

using namespace pellimore;
using pellimore::test::TestDataPath;

namespace {

QString SuitePath(const QString &name)
{
    return TestDataPath(QStringLiteral("bmp/bmpsuite/") + name);
}

Bitmap Colourful(int w, int h, int bitCount)
{
    Bitmap b(w, h, bitCount);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.Set(x, y, MakePixel(uint8_t(x * 37 + y), uint8_t(y * 11), uint8_t(x ^ (y * 3)), uint8_t(x * 20 + y)));
    return b;
}

// A paletted bitmap whose pixels all come from its table.
Bitmap Paletted(int w, int h, int bitCount)
{
    Bitmap b(w, h, bitCount);
    const int entries = 1 << bitCount;
    for (int i = 0; i < entries; ++i)
        b.ColorTable().push_back(MakePixel(uint8_t(i * 3), uint8_t(255 - i), uint8_t(i * 7)));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.Set(x, y, b.ColorTable()[std::size_t((x * 5 + y * 3) % entries)]);
    return b;
}

// The bitmap's pixels as RGBA, for comparison with a reference image.
QImage AsImage(const Bitmap &b)
{
    return b.ToImage().convertToFormat(QImage::Format_RGBA8888);
}

// Empty when equal, else the size or the first differing pixel.
std::string Difference(const QImage &actual, const QImage &expected)
{
    if (actual.size() != expected.size())
        return "size differs";
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (actual.pixel(x, y) != expected.pixel(x, y))
                return QStringLiteral("pixel %1,%2: %3 instead of %4")
                    .arg(x)
                    .arg(y)
                    .arg(actual.pixel(x, y), 8, 16)
                    .arg(expected.pixel(x, y), 8, 16)
                    .toStdString();
    return {};
}

}  // namespace

TEST(BmpFile, RoundTripsAtEveryDepth)
{
    for (int bits : {1, 4, 8}) {
        const Bitmap b = Paletted(13, 7, bits);  // odd width: row padding
        const QByteArray bytes = EncodeBmp(b);
        ASSERT_FALSE(bytes.isEmpty());
        EXPECT_EQ(uint8_t(bytes[28]), bits);
        const BmpResult back = DecodeBmp(bytes);
        ASSERT_TRUE(back.Ok()) << back.error.toStdString();
        EXPECT_EQ(back.bitmap.BitCount(), bits);
        EXPECT_EQ(back.bitmap, b) << bits;
        EXPECT_EQ(back.bitmap.ColorTable(), b.ColorTable());
    }
    Bitmap rgb = Colourful(13, 7, 24);
    BmpResult back = DecodeBmp(EncodeBmp(rgb));
    ASSERT_TRUE(back.Ok());
    EXPECT_EQ(back.bitmap.BitCount(), 24);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            ASSERT_EQ(back.bitmap.At(x, y), rgb.At(x, y) | 0xFF000000u) << "24 bits drop alpha";

    const Bitmap rgba = Colourful(13, 7, 32);
    back = DecodeBmp(EncodeBmp(rgba));
    ASSERT_TRUE(back.Ok());
    EXPECT_EQ(back.bitmap.BitCount(), 32);
    EXPECT_EQ(back.bitmap, rgba) << "32 bits keep alpha";
}

TEST(BmpFile, PalettedWriterPicksTheNearestEntry)
{
    Bitmap b(4, 1, 1);
    b.ColorTable() = {MakePixel(0, 0, 0), MakePixel(255, 255, 255)};
    b.Set(0, 0, MakePixel(10, 10, 10));
    b.Set(1, 0, MakePixel(250, 240, 200));
    b.Set(2, 0, MakePixel(255, 255, 255));
    b.Set(3, 0, MakePixel(100, 100, 100));
    const BmpResult back = DecodeBmp(EncodeBmp(b));
    ASSERT_TRUE(back.Ok());
    EXPECT_EQ(back.bitmap.At(0, 0), MakePixel(0, 0, 0));
    EXPECT_EQ(back.bitmap.At(1, 0), MakePixel(255, 255, 255));
    EXPECT_EQ(back.bitmap.At(3, 0), MakePixel(0, 0, 0));
    // Without a usable table, a grey scale is written.
    Bitmap grey(2, 1, 4);
    grey.Set(0, 0, MakePixel(255, 255, 255));
    grey.Set(1, 0, MakePixel(17, 17, 17));
    const BmpResult g = DecodeBmp(EncodeBmp(grey));
    ASSERT_TRUE(g.Ok());
    EXPECT_EQ(g.bitmap.ColorTable().size(), 16u);
    EXPECT_EQ(g.bitmap.At(1, 0), MakePixel(17, 17, 17));
}

TEST(BmpFile, WrittenFilesOpenInQtAndImageMagick)
{
    QTemporaryDir dir;
    const Bitmap b = Colourful(31, 9, 24);
    const QString path = dir.filePath(QStringLiteral("out.bmp"));
    QString error;
    ASSERT_TRUE(WriteBmp(b, path, &error)) << error.toStdString();
    const QImage qt(path);
    ASSERT_FALSE(qt.isNull());
    EXPECT_EQ(qt.size(), QSize(31, 9));
    EXPECT_EQ(qt.pixel(30, 8) & 0xFFFFFF, b.At(30, 8) & 0xFFFFFF);
    EXPECT_EQ(qt.pixel(3, 0) & 0xFFFFFF, b.At(3, 0) & 0xFFFFFF);

    const QString rgbaPath = dir.filePath(QStringLiteral("alpha.bmp"));
    ASSERT_TRUE(WriteBmp(Colourful(5, 5, 32), rgbaPath));
    const QImage alpha(rgbaPath);
    ASSERT_FALSE(alpha.isNull());
    EXPECT_EQ(qAlpha(alpha.pixel(4, 4)), PixelAlpha(Colourful(5, 5, 32).At(4, 4)));

    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty())
        GTEST_SKIP() << "ImageMagick convert is not installed";
    QProcess magick;
    const QString pam = dir.filePath(QStringLiteral("out.pam"));
    magick.start(convert, {path, QStringLiteral("-depth"), QStringLiteral("8"), pam});
    ASSERT_TRUE(magick.waitForFinished(60000));
    ASSERT_EQ(magick.exitCode(), 0) << magick.readAllStandardError().toStdString();
    QFile file(pam);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const qsizetype body = bytes.indexOf("ENDHDR\n") + 7;
    ASSERT_GT(body, 7);
    const int depth = bytes.contains("DEPTH 4") ? 4 : 3;
    ASSERT_EQ(bytes.size() - body, qsizetype(31) * 9 * depth);
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 31; ++x) {
            const auto *p = reinterpret_cast<const uint8_t *>(bytes.constData() + body + (y * 31 + x) * depth);
            ASSERT_EQ(MakePixel(p[0], p[1], p[2]), b.At(x, y) | 0xFF000000u) << x << "," << y;
        }
    }
}

TEST(BmpFile, PicturesOfManyChunksAreWrittenWhole)
{
    // Rows go out a few hundred kilobytes at a time, bottom-up; a picture
    // whose rows do not divide evenly into those chunks comes back whole.
    QTemporaryDir dir;
    for (const int bits : {8, 24, 32}) {
        const Bitmap b = bits == 8 ? Paletted(301, 2003, 8) : Colourful(301, 2003, bits);
        const QString path = dir.filePath(QStringLiteral("tall-%1.bmp").arg(bits));
        QString error;
        ASSERT_TRUE(WriteBmp(b, path, &error)) << error.toStdString();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        EXPECT_EQ(written, EncodeBmp(b)) << bits;
        const BmpResult back = DecodeBmp(written);
        ASSERT_TRUE(back.Ok()) << back.error.toStdString();
        for (int y = 0; y < b.Height(); y += 97)
            for (int x = 0; x < b.Width(); ++x)
                ASSERT_EQ(back.bitmap.At(x, y) & 0xFFFFFF, b.At(x, y) & 0xFFFFFF) << bits << " at " << x << "," << y;
    }
}

TEST(BmpFile, WriteIsAtomic)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keep.bmp"));
    ASSERT_TRUE(WriteBmp(Colourful(4, 4, 24), path));
    const QByteArray before = [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    QString error;
    EXPECT_FALSE(WriteBmp(Bitmap(), path, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(WriteBmp(Colourful(4, 4, 24), dir.filePath(QStringLiteral("missing/x.bmp")), &error));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.bmp")});
}

TEST(BmpSuite, GoodFilesMatchTheReferencePictures)
{
    // File -> reference picture, as the suite's own page pairs them.
    const std::pair<const char *, const char *> cases[] = {
        {"pal1.bmp", "pal1.png"},     {"pal1wb.bmp", "pal1.png"},        {"pal1bg.bmp", "pal1bg.png"},
        {"pal4.bmp", "pal4.png"},     {"pal4gs.bmp", "pal4gs.png"},      {"pal4rle.bmp", "pal4.png"},
        {"pal8.bmp", "pal8.png"},     {"pal8-0.bmp", "pal8.png"},        {"pal8gs.bmp", "pal8gs.png"},
        {"pal8rle.bmp", "pal8.png"},  {"pal8w126.bmp", "pal8w126.png"},  {"pal8w125.bmp", "pal8w125.png"},
        {"pal8w124.bmp", "pal8w124.png"}, {"pal8topdown.bmp", "pal8.png"}, {"pal8nonsquare.bmp", "pal8nonsquare-e.png"},
        {"pal8os2.bmp", "pal8.png"},  {"pal8v4.bmp", "pal8.png"},        {"pal8v5.bmp", "pal8.png"},
        {"rgb16.bmp", "rgb16.png"},   {"rgb16bfdef.bmp", "rgb16.png"},   {"rgb16-565.bmp", "rgb16-565.png"},
        {"rgb16-565pal.bmp", "rgb16-565.png"}, {"rgb24.bmp", "rgb24.png"}, {"rgb24pal.bmp", "rgb24.png"},
        {"rgb32.bmp", "rgb24.png"},   {"rgb32bfdef.bmp", "rgb24.png"},   {"rgb32bf.bmp", "rgb24.png"},
    };
    const QStringList all = QDir(SuitePath(QStringLiteral("g"))).entryList({QStringLiteral("*.bmp")});
    EXPECT_EQ(all.size(), int(std::size(cases))) << "every good file is checked";
    for (const auto &[file, reference] : cases) {
        SCOPED_TRACE(file);
        const BmpResult result = ReadBmp(SuitePath(QStringLiteral("g/") + file));
        ASSERT_TRUE(result.Ok()) << result.error.toStdString();
        const QImage expected =
            QImage(SuitePath(QStringLiteral("html/") + reference)).convertToFormat(QImage::Format_RGBA8888);
        ASSERT_FALSE(expected.isNull());
        EXPECT_EQ(Difference(AsImage(result.bitmap), expected), "");
    }
}

TEST(BmpSuite, BadFilesAreRefusedWithAReason)
{
    const QStringList bad = QDir(SuitePath(QStringLiteral("b"))).entryList({QStringLiteral("*.bmp")});
    ASSERT_EQ(bad.size(), 20);
    for (const QString &name : bad) {
        const BmpResult result = ReadBmp(SuitePath(QStringLiteral("b/") + name));
        EXPECT_FALSE(result.Ok()) << name.toStdString();
        EXPECT_FALSE(result.error.isEmpty()) << name.toStdString();
        EXPECT_TRUE(result.bitmap.IsNull()) << name.toStdString();
    }
}

TEST(BmpSuite, QuestionableFilesDecodeOrFailCleanly)
{
    const QStringList files = QDir(SuitePath(QStringLiteral("q"))).entryList({QStringLiteral("*.bmp")});
    ASSERT_GE(files.size(), 40);
    int decoded = 0;
    for (const QString &name : files) {
        const BmpResult result = ReadBmp(SuitePath(QStringLiteral("q/") + name));
        EXPECT_TRUE(result.Ok() || !result.error.isEmpty()) << name.toStdString();
        decoded += result.Ok();
    }
    EXPECT_GE(decoded, 30);
    // A few whose look is known: alpha channels and odd colour masks.
    const BmpResult rgba = ReadBmp(SuitePath(QStringLiteral("q/rgba32-1.bmp")));
    ASSERT_TRUE(rgba.Ok());
    EXPECT_EQ(rgba.bitmap.BitCount(), 32);
    const QImage expected =
        QImage(SuitePath(QStringLiteral("html/rgba32.png"))).convertToFormat(QImage::Format_RGBA8888);
    // Colours under alpha 0 are not defined: compare premultiplied.
    EXPECT_EQ(Difference(AsImage(rgba.bitmap).convertToFormat(QImage::Format_RGBA8888_Premultiplied),
                         expected.convertToFormat(QImage::Format_RGBA8888_Premultiplied)),
              "");
    const BmpResult swapped = ReadBmp(SuitePath(QStringLiteral("q/rgba32-2.bmp")));
    ASSERT_TRUE(swapped.Ok());
    EXPECT_EQ(swapped.bitmap, rgba.bitmap);
    const BmpResult fake = ReadBmp(SuitePath(QStringLiteral("q/rgb32fakealpha.bmp")));
    ASSERT_TRUE(fake.Ok());
    EXPECT_EQ(PixelAlpha(fake.bitmap.At(60, 60)), 255) << "unused bits are not alpha";
    const BmpResult os2 = ReadBmp(SuitePath(QStringLiteral("q/pal8os2v2.bmp")));
    ASSERT_TRUE(os2.Ok());
    EXPECT_EQ(os2.bitmap, ReadBmp(SuitePath(QStringLiteral("g/pal8.bmp"))).bitmap);
}

TEST(BmpFile, HostileInputNeverCrashes)
{
    const QByteArray good = EncodeBmp(Paletted(9, 5, 8));
    // Every prefix of a valid file.
    for (qsizetype n = 0; n < good.size(); ++n)
        EXPECT_FALSE(DecodeBmp(good.left(n)).Ok()) << n;
    EXPECT_FALSE(DecodeBmp(nullptr, 100).Ok());
    // Random damage to the headers and the data (run under the sanitizers).
    std::mt19937 random(1234);
    const QByteArray rle = [] {
        QFile f(SuitePath(QStringLiteral("g/pal4rle.bmp")));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    for (const QByteArray &seed : {good, rle}) {
        for (int i = 0; i < 3000; ++i) {
            QByteArray damaged = seed;
            const int changes = 1 + int(random() % 4);
            for (int c = 0; c < changes; ++c) {
                const qsizetype at = qsizetype(random() % (i % 2 ? 80 : std::size_t(damaged.size())));
                damaged[at] = char(random());
            }
            const BmpResult r = DecodeBmp(damaged);
            EXPECT_TRUE(r.Ok() || !r.error.isEmpty());
        }
    }
    // A huge size claimed by a tiny file is refused before any allocation.
    QByteArray huge = good;
    huge[18] = huge[19] = huge[20] = char(0xFF);
    huge[21] = 0x3F;
    const BmpResult r = DecodeBmp(huge);
    EXPECT_FALSE(r.Ok());
    EXPECT_TRUE(r.error.contains(QStringLiteral("large")) || r.error.contains(QStringLiteral("truncated")))
        << r.error.toStdString();
    // So is an RLE picture far larger than its compressed data could fill.
    QByteArray rle8 = EncodeBmp(Paletted(2, 2, 8));
    const auto put32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            rle8[at + i] = char(v >> (8 * i));
    };
    const int dataOffset = int(uint8_t(rle8[10])) | int(uint8_t(rle8[11])) << 8;
    rle8.truncate(dataOffset);
    rle8.append(QByteArray("\x00\x01", 2));  // end of bitmap at once
    put32(2, uint32_t(rle8.size()));
    put32(18, 16000);  // width
    put32(22, 16000);  // height
    put32(30, 1);      // RLE8
    put32(34, 0);      // image size
    const BmpResult tiny = DecodeBmp(rle8);
    EXPECT_FALSE(tiny.Ok());
    EXPECT_TRUE(tiny.error.contains(QStringLiteral("too short"))) << tiny.error.toStdString();
    put32(18, 20);
    put32(22, 20);
    EXPECT_TRUE(DecodeBmp(rle8).Ok()) << "small pictures may skip all their pixels";
    EXPECT_FALSE(ReadBmp(QStringLiteral("/nonexistent/x.bmp")).Ok());
}
