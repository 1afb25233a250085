// The platform picture loader on real JPEG, BMP and GIF files and on broken
// ones.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include "platform/imageio/PictureLoader.h"
#include "platform/raster/BmpFile.h"
#include "tests/support/HostilePictures.h"
#include "tests/support/TempHome.h"

using namespace pellimore;
using pellimore::test::JpegClaiming;
using pellimore::test::TestDataPath;

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString WriteFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

}  // namespace

TEST(PictureLoader, LoadsJpegAsStored)
{
    const QString path = TestDataPath(QStringLiteral("photos/Wine_by_Jakkub_Mede.jpg"));
    const PictureResult result = LoadPicture(path);
    ASSERT_TRUE(result.Ok()) << result.error.toStdString();
    EXPECT_EQ(result.bitmap.BitCount(), 24);
    QImageReader reader(path);
    reader.setAutoTransform(false);
    EXPECT_EQ(QSize(result.bitmap.Width(), result.bitmap.Height()), reader.size());
    EXPECT_EQ(PixelAlpha(result.bitmap.At(10, 10)), 255);

    // The same bytes from memory give the same picture.
    const PictureResult fromMemory = LoadPictureFromData(ReadAll(path));
    ASSERT_TRUE(fromMemory.Ok());
    EXPECT_EQ(fromMemory.bitmap, result.bitmap);
}

TEST(PictureLoader, TruncatedJpegIsRefused)
{
    QTemporaryDir dir;
    const QByteArray whole = ReadAll(TestDataPath(QStringLiteral("photos/LadyBird.jpg")));
    ASSERT_GT(whole.size(), 10000);
    for (qsizetype cut : {qsizetype(2), qsizetype(300), qsizetype(5000), whole.size() / 2, whole.size() - 2}) {
        const PictureResult r = LoadPicture(WriteFile(dir, QStringLiteral("cut.jpg"), whole.left(cut)));
        EXPECT_FALSE(r.Ok()) << cut;
        EXPECT_FALSE(r.error.isEmpty()) << cut;
    }
}

// A JPEG file is decoded as it is read, a block at a time: the same picture
// as from its bytes in memory, reductions and long skipped segments
// included, and the same refusals.
TEST(PictureLoader, AJpegFileReadAsItIsDecodedGivesWhatItsBytesGive)
{
    QTemporaryDir dir;
    PictureLoadOptions reduced;
    reduced.shownSize = [](QSize stored) { return stored / 3; };
    reduced.jpegToShownSize = true;
    const QByteArray photo = ReadAll(TestDataPath(QStringLiteral("photos/Wine_by_Jakkub_Mede.jpg")));
    // Three comment segments of the largest size after the start marker,
    // full of end-of-image markers that only a skip of the whole segment misses.
    QByteArray padded = photo.left(2);
    for (int i = 0; i < 3; ++i)
        padded += QByteArray("\xFF\xFE\xFF\xFF", 4) + QByteArray("\xFF\xD9", 2).repeated((0xFFFF - 2) / 2) + 'c';
    padded += photo.mid(2);
    const QByteArray files[] = {ReadAll(TestDataPath(QStringLiteral("photos/LadyBird.jpg"))), photo, padded};
    for (const QByteArray &bytes : files) {
        const QString path = WriteFile(dir, QStringLiteral("p.jpg"), bytes);
        for (const PictureLoadOptions &options : {PictureLoadOptions(), reduced}) {
            const PictureResult fromFile = LoadPicture(path, options);
            const PictureResult fromMemory = LoadPictureFromData(bytes, options);
            ASSERT_TRUE(fromFile.Ok()) << fromFile.error.toStdString();
            ASSERT_TRUE(fromMemory.Ok()) << fromMemory.error.toStdString();
            EXPECT_EQ(fromFile.storedSize, fromMemory.storedSize);
            EXPECT_EQ(fromFile.bitmap, fromMemory.bitmap) << bytes.size();
        }
    }
    EXPECT_EQ(LoadPicture(WriteFile(dir, QStringLiteral("p.jpg"), padded)).bitmap, LoadPictureFromData(photo).bitmap);

    const PictureResult cut = LoadPicture(WriteFile(dir, QStringLiteral("cut.jpg"), photo.left(photo.size() / 2)));
    EXPECT_TRUE(cut.error.contains(QStringLiteral("truncated"))) << cut.error.toStdString();
    const PictureResult claims = LoadPicture(WriteFile(dir, QStringLiteral("claims.jpg"), JpegClaiming(16000, 16000)));
    EXPECT_TRUE(claims.error.contains(QStringLiteral("cannot fill"))) << claims.error.toStdString();
    EXPECT_TRUE(claims.bitmap.IsNull());
}

TEST(PictureLoader, LoadsBmpThroughOurReader)
{
    const QString path = TestDataPath(QStringLiteral("bmp/bmpsuite/g/pal8.bmp"));
    const PictureResult result = LoadPicture(path);
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(result.bitmap.BitCount(), 8);
    EXPECT_EQ(result.bitmap, ReadBmp(path).bitmap);
    const PictureResult bad = LoadPicture(TestDataPath(QStringLiteral("bmp/bmpsuite/b/shortfile.bmp")));
    EXPECT_FALSE(bad.Ok());
    EXPECT_TRUE(bad.error.contains(QStringLiteral("truncated"))) << bad.error.toStdString();
}

TEST(PictureLoader, LoadsTheFirstImageOfAGif)
{
    const PictureResult still = LoadPicture(TestDataPath(QStringLiteral("gif/giflib/porsche.gif")));
    ASSERT_TRUE(still.Ok()) << still.error.toStdString();
    EXPECT_EQ(still.bitmap.Width(), 320);
    EXPECT_EQ(still.bitmap.Height(), 200);
    EXPECT_EQ(still.bitmap.BitCount(), 24);

    const PictureResult animated = LoadPicture(TestDataPath(QStringLiteral("gif/giflib/fire.gif")));
    ASSERT_TRUE(animated.Ok());
    EXPECT_EQ(animated.bitmap.Width(), 30);
    EXPECT_EQ(animated.bitmap.Height(), 60);

    // A transparent GIF keeps its transparency.
    const PictureResult transparent = LoadPicture(TestDataPath(QStringLiteral("gif/giflib/x-trans.gif")));
    ASSERT_TRUE(transparent.Ok());
    EXPECT_EQ(transparent.bitmap.BitCount(), 32);
    bool anyClear = false;
    for (int y = 0; y < transparent.bitmap.Height(); ++y)
        for (int x = 0; x < transparent.bitmap.Width(); ++x)
            anyClear |= PixelAlpha(transparent.bitmap.At(x, y)) == 0;
    EXPECT_TRUE(anyClear);

    // A one-frame GIF handed over in memory.
    const PictureResult memory = LoadPictureFromData(ReadAll(TestDataPath(QStringLiteral("gif/giflib/porsche.gif"))));
    ASSERT_TRUE(memory.Ok());
    EXPECT_EQ(memory.bitmap, still.bitmap);
}

TEST(PictureLoader, TruncatedGifsFailUnlessTheFirstImageIsWhole)
{
    const QString dir = TestDataPath(QStringLiteral("gif/truncated/"));
    for (const char *name : {"muybridge.first10.gif", "muybridge.first400.gif", "welcome2.first800.gif"}) {
        const PictureResult r = LoadPicture(dir + name);
        EXPECT_FALSE(r.Ok()) << name;
        EXPECT_FALSE(r.error.isEmpty()) << name;
    }
    // Cut after the first image: its picture is whole.
    for (const char *name : {"muybridge.first5000.gif", "muybridge.first9827.gif", "fire.first10640.gif"})
        EXPECT_TRUE(LoadPicture(dir + name).Ok()) << name;
    // Cut inside the first image.
    const QByteArray porsche = ReadAll(TestDataPath(QStringLiteral("gif/giflib/porsche.gif")));
    for (qsizetype cut = 6; cut < 5512; cut += 97)  // its first image ends at byte 5512
        EXPECT_FALSE(LoadPictureFromData(porsche.left(cut)).Ok()) << cut;
}

TEST(PictureLoader, ContentDecidesAndOtherFormatsAreRefused)
{
    QTemporaryDir dir;
    // A JPEG named like a bitmap still loads.
    const QByteArray jpeg = ReadAll(TestDataPath(QStringLiteral("photos/LadyBird.jpg")));
    EXPECT_TRUE(LoadPicture(WriteFile(dir, QStringLiteral("misnamed.bmp"), jpeg)).Ok());

    const PictureResult png = LoadPicture(TestDataPath(QStringLiteral("pngsuite/basn2c08.png")));
    EXPECT_FALSE(png.Ok());
    EXPECT_TRUE(png.error.contains(QStringLiteral("PNG")));
    EXPECT_FALSE(LoadPicture(WriteFile(dir, QStringLiteral("text.jpg"), "hello, world")).Ok());
    const PictureResult empty = LoadPicture(WriteFile(dir, QStringLiteral("empty.gif"), QByteArray()));
    EXPECT_FALSE(empty.Ok());
    EXPECT_FALSE(empty.error.isEmpty());
    const PictureResult missing = LoadPicture(dir.filePath(QStringLiteral("missing.jpg")));
    EXPECT_FALSE(missing.Ok());
    EXPECT_TRUE(missing.error.contains(QStringLiteral("missing.jpg")));
}

TEST(ReadImageFile, ReadsAnyFormatQtKnowsAsStored)
{
    const QString png = TestDataPath(QStringLiteral("pngsuite/basn2c08.png"));
    const ImageReadResult read = ReadImageFile(png);
    ASSERT_TRUE(read.Ok()) << read.error.toStdString();
    EXPECT_TRUE(read.error.isEmpty());
    EXPECT_EQ(read.image.convertToFormat(QImage::Format_ARGB32), QImage(png).convertToFormat(QImage::Format_ARGB32));

    const QString jpeg = TestDataPath(QStringLiteral("photos/Wine_by_Jakkub_Mede.jpg"));
    const ImageReadResult photo = ReadImageFile(jpeg);
    ASSERT_TRUE(photo.Ok());
    EXPECT_EQ(Bitmap::FromImage(photo.image), LoadPicture(jpeg).bitmap);   // the same limits, the same picture
}

TEST(ReadImageFile, APictureLargerThanABitmapIsRefusedBeforeDecodingByBothReaders)
{
    QTemporaryDir dir;
    const QByteArray huge = JpegClaiming(40000, 40000);
    ASSERT_FALSE(huge.isEmpty());
    ASSERT_FALSE(Bitmap::SizeIsAllowed(40000, 40000));

    const ImageReadResult read = ReadImageFile(WriteFile(dir, QStringLiteral("huge.jpg"), huge));
    EXPECT_EQ(read.failure, ImageReadFailure::TooLarge);
    EXPECT_TRUE(read.image.isNull());
    EXPECT_TRUE(read.error.contains(QStringLiteral("40000 x 40000"))) << read.error.toStdString();

    const PictureResult loaded = LoadPictureFromData(huge);
    EXPECT_FALSE(loaded.Ok());
    EXPECT_EQ(loaded.error, QStringLiteral("The JPEG picture is too large (40000 x 40000 pixels)."));
}

TEST(ReadImageFile, TellsAnUnknownFormatFromADamagedPicture)
{
    QTemporaryDir dir;
    const ImageReadResult text = ReadImageFile(WriteFile(dir, QStringLiteral("notes.png"), "hello, world"));
    EXPECT_EQ(text.failure, ImageReadFailure::UnknownFormat);
    EXPECT_FALSE(text.error.isEmpty());

    const QByteArray png = ReadAll(TestDataPath(QStringLiteral("pngsuite/basn2c08.png")));
    const ImageReadResult damaged =
        ReadImageFile(WriteFile(dir, QStringLiteral("damaged.png"), png.left(16) + QByteArray(64, '\x55')));
    EXPECT_EQ(damaged.failure, ImageReadFailure::Unreadable);
    EXPECT_TRUE(damaged.image.isNull());
    EXPECT_TRUE(damaged.error.startsWith(QStringLiteral("The PNG picture cannot be read")))
        << damaged.error.toStdString();
}
