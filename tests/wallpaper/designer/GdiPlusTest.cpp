// The picture bridge: the encoder table and its extension rules, real JPEG
// and BMP files written into the temporary home, their quality as ImageMagick
// estimates it, and the status of each failure.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <utility>
#include <vector>

#include "platform/raster/PictureSurface.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempHome.h"
#include "wallpaper/designer/cGdiPlus.h"

using namespace pellimore;

namespace {

struct RaisedError {
    int32_t status;
    QString text;
};

// A surface whose persistent picture is a small colour pattern.
void FillPattern(PictureSurface &surface)
{
    Bitmap &image = surface.Image();
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            image.Set(x, y, MakePixel(uint8_t(x * 7), uint8_t(y * 5), uint8_t((x + y) * 3)));
    surface.TakeImageAsPicture();
}

QByteArray FileStart(const QString &path, int bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(bytes);
}

// Output of an ImageMagick command, or nothing when it is not installed.
std::optional<QString> ImageMagick(const QString &program, const QStringList &arguments)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return std::nullopt;
    QProcess process;
    process.start(path, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString("failed: ") + QString::fromLocal8Bit(process.readAllStandardError());
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

class GdiPlusTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        folder = home.path();
        FillPattern(picture);
    }

    QString Path(const QString &name) const { return folder + "/" + name; }

    std::vector<RaisedError> errors;
    cGdiPlus gdip{[this](int32_t status, const QString &text) { errors.push_back({status, text}); }};
    PictureSurface picture{48, 32};
    QTemporaryDir home{QDir::homePath() + "/Pictures-XXXXXX"};
    QString folder;
};

}  // namespace

TEST(GdiErrorStringTest, GivesTheTextOfEveryStatus)
{
    const char *texts[] = {"Generic Error", "Invalid Parameter", "Out Of Memory", "Object Busy",
                           "Insufficient Buffer", "Not Implemented", "Win32 Error", "Wrong State", "Aborted",
                           "File Not Found", "Value Overflow", "Access Denied", "Unknown Image Format",
                           "FontFamily Not Found", "FontStyle Not Found", "Not TrueType Font",
                           "Unsupported Gdiplus Version", "Gdiplus Not Initialized", "Property Not Found",
                           "Property Not Supported"};
    for (int status = 1; status <= 20; ++status)
        EXPECT_EQ(cGdiPlus::GdiErrorString(status), texts[status - 1]) << status;
    for (int status : {0, 21, -1, 1000})
        EXPECT_EQ(cGdiPlus::GdiErrorString(status), "Unknown GDI+ Error") << status;
}

TEST(FileExtensionTest, TakesTheTextAfterTheLastDotOfTheFileName)
{
    EXPECT_EQ(cGdiPlus::FileExtension("/home/me/Pictures/sea.jpg"), "jpg");
    EXPECT_EQ(cGdiPlus::FileExtension("/home/me/Pictures/sea.tar.JPEG"), "JPEG");
    EXPECT_EQ(cGdiPlus::FileExtension("/home/me/my.pictures/sea"), "");
    EXPECT_EQ(cGdiPlus::FileExtension("/home/me/Pictures/sea"), "");
    EXPECT_EQ(cGdiPlus::FileExtension("/home/me/Pictures/sea."), "");
}

TEST_F(GdiPlusTest, EncoderTableAnswersToEveryPatternOfAnEncoderInAnyCase)
{
    const int jpeg = gdip.EncoderIndex("*.JPG");
    ASSERT_GE(jpeg, 0);
    EXPECT_EQ(gdip.Encoder(jpeg).format, "jpeg");
    for (const char *pattern : {"*.jpg", "*.JPEG", "*.Jpe", "*.jfif"})
        EXPECT_EQ(gdip.EncoderIndex(pattern), jpeg) << pattern;

    const int bmp = gdip.EncoderIndex("*.BMP");
    ASSERT_GE(bmp, 0);
    EXPECT_NE(bmp, jpeg);
    for (const char *pattern : {"*.dib", "*.RLE", "*.bmp"})
        EXPECT_EQ(gdip.EncoderIndex(pattern), bmp) << pattern;

    EXPECT_EQ(gdip.EncoderIndex("*.PNG"), gdip.EncoderIndex("*.png"));
    EXPECT_GE(gdip.EncoderIndex("*.PNG"), 0);
    EXPECT_EQ(gdip.EncoderIndex("*.XYZ"), -1);
    EXPECT_EQ(gdip.EncoderIndex("*."), -1);
    EXPECT_EQ(gdip.EncoderIndex(""), -1);
}

TEST_F(GdiPlusTest, ExtensionListsGiveOneKeyPerPattern)
{
    gdip.AddExtensionKeys("*.AA;*.BB;*.CC;*.DD", ";", 7);
    for (const char *pattern : {"*.AA", "*.BB", "*.CC", "*.DD"})
        EXPECT_EQ(gdip.EncoderIndex(pattern), 7) << pattern;

    // A trailing separator adds no empty key; the last pattern is trimmed.
    gdip.AddExtensionKeys("*.EE;", ";", 8);
    EXPECT_EQ(gdip.EncoderIndex("*.EE"), 8);
    EXPECT_EQ(gdip.EncoderIndex(""), -1);
    gdip.AddExtensionKeys("*.FF; *.GG  ", ";", 9);
    EXPECT_EQ(gdip.EncoderIndex("*.GG"), 9);

    // A pattern that is already a key keeps its encoder.
    gdip.AddExtensionKeys("*.AA", ";", 10);
    EXPECT_EQ(gdip.EncoderIndex("*.aa"), 7);
}

TEST_F(GdiPlusTest, JpegNamesSaveThroughTheJpegEncoderWithTheQuality)
{
    for (const char *name : {"a.jpg", "b.JPEG", "c.jfif", "d.jpe"}) {
        ASSERT_TRUE(gdip.PictureBoxToFile(picture, Path(name), 93)) << name;
        EXPECT_EQ(FileStart(Path(name), 3), QByteArray("\xFF\xD8\xFF")) << name;
        const QImage read(Path(name), "jpeg");
        ASSERT_FALSE(read.isNull()) << name;
        EXPECT_EQ(read.size(), QSize(48, 32));
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(GdiPlusTest, ImageMagickEstimatesTheQualityTheJpegWasWrittenAt)
{
    for (int quality : {85, 93, 100}) {
        const QString path = Path(QString("q%1.jpg").arg(quality));
        ASSERT_TRUE(gdip.PictureBoxToFile(picture, path, quality));
        const std::optional<QString> estimate = ImageMagick("identify", {"-format", "%Q", path});
        if (!estimate)
            GTEST_SKIP() << "ImageMagick's identify is not installed";
        EXPECT_EQ(*estimate, QString::number(quality));
    }
}

TEST_F(GdiPlusTest, BmpNamesSaveWithoutTheQualityAndOpenInQtAndImageMagick)
{
    // The quality is not looked at for a BMP: even one outside 0..100.
    const QString path = Path("pattern.bmp");
    ASSERT_TRUE(gdip.PictureBoxToFile(picture, path, 500));
    EXPECT_EQ(FileStart(path, 2), QByteArray("BM"));
    const QImage read(path);
    ASSERT_FALSE(read.isNull());
    ASSERT_EQ(read.size(), QSize(48, 32));
    for (QPoint p : {QPoint(0, 0), QPoint(47, 31), QPoint(13, 21)})
        EXPECT_EQ(read.pixel(p) & 0xFFFFFF, picture.Picture().At(p.x(), p.y()) & 0xFFFFFF);

    const std::optional<QString> described = ImageMagick("identify", {"-format", "%m %w %h", path});
    if (!described)
        GTEST_SKIP() << "ImageMagick's identify is not installed";
    EXPECT_TRUE(described->startsWith("BMP")) << described->toStdString();
    EXPECT_TRUE(described->endsWith(" 48 32")) << described->toStdString();
    const std::optional<QString> pixel = ImageMagick("convert", {path, "-format", "%[pixel:p{13,21}]", "info:"});
    const Pixel expected = picture.Picture().At(13, 21);
    EXPECT_EQ(*pixel, QString("srgb(%1,%2,%3)").arg(PixelRed(expected)).arg(PixelGreen(expected)).arg(PixelBlue(expected)));
    EXPECT_TRUE(errors.empty());
}

TEST_F(GdiPlusTest, OnlyThePersistentPictureIsWritten)
{
    picture.Image().Fill(MakePixel(0, 255, 0));  // drawn after the picture was taken
    const QString path = Path("picture.bmp");
    ASSERT_TRUE(gdip.PictureBoxToFile(picture, path, 85));
    EXPECT_EQ(QImage(path).pixel(5, 5) & 0xFFFFFF, picture.Picture().At(5, 5) & 0xFFFFFF);

    PictureSurface empty(10, 10);
    EXPECT_FALSE(gdip.PictureBoxToFile(empty, Path("empty.bmp"), 85));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].status, 2);
    EXPECT_EQ(errors[0].text, "Invalid Parameter");
    EXPECT_FALSE(QFile::exists(Path("empty.bmp")));
}

TEST_F(GdiPlusTest, NamesWithoutAnEncoderFailSilently)
{
    ASSERT_TRUE(QDir().mkpath(folder + "/my.pictures"));
    for (const QString &path : {folder + "/my.pictures/sea", Path("sea"), Path("sea."), Path("sea.xyz")}) {
        EXPECT_FALSE(gdip.PictureBoxToFile(picture, path, 85)) << path.toStdString();
        EXPECT_FALSE(QFile::exists(path)) << path.toStdString();
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(GdiPlusTest, RefusedSavesRaiseTheErrorEventAndLeaveTheTargetAlone)
{
    // No such folder.
    EXPECT_FALSE(gdip.PictureBoxToFile(picture, folder + "/missing/sea.jpg", 85));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors.back().status, 7);
    EXPECT_EQ(errors.back().text, "Win32 Error");

    // A read-only file stays as it was.
    const QString readOnly = Path("locked.jpg");
    {
        QFile file(readOnly);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old contents");
    }
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    EXPECT_FALSE(gdip.PictureBoxToFile(picture, readOnly, 85));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors.back().status, 12);
    EXPECT_EQ(errors.back().text, "Access Denied");
    EXPECT_EQ(FileStart(readOnly, 100), QByteArray("old contents"));

    // A folder in the way.
    ASSERT_TRUE(QDir().mkpath(folder + "/taken.bmp"));
    EXPECT_FALSE(gdip.PictureBoxToFile(picture, folder + "/taken.bmp", 85));
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors.back().status, 12);

    // A JPEG quality outside 0..100.
    EXPECT_FALSE(gdip.PictureBoxToFile(picture, Path("bad.jpg"), 101));
    ASSERT_EQ(errors.size(), 4u);
    EXPECT_EQ(errors.back().status, 2);
    EXPECT_FALSE(QFile::exists(Path("bad.jpg")));
}

TEST_F(GdiPlusTest, PicturesTooWideForJpegAreAValueOverflow)
{
    PictureSurface wide(65501, 1);
    wide.TakeImageAsPicture();
    EXPECT_FALSE(gdip.PictureBoxToFile(wide, Path("wide.jpg"), 85));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].status, 11);
    EXPECT_TRUE(gdip.PictureBoxToFile(wide, Path("wide.bmp"), 85));
}

TEST_F(GdiPlusTest, ASaveReplacesAnOlderFileOfTheSameName)
{
    const QString path = Path("again.bmp");
    ASSERT_TRUE(gdip.PictureBoxToFile(picture, path, 85));
    picture.Image().Fill(MakePixel(1, 2, 3));
    picture.TakeImageAsPicture();
    ASSERT_TRUE(gdip.PictureBoxToFile(picture, path, 85));
    EXPECT_EQ(QImage(path).pixel(0, 0) & 0xFFFFFF, 0x010203u);
    // Only the file itself is left in the folder: no temporary files.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"again.bmp"});
}

TEST_F(GdiPlusTest, FilenameToIPictureLoadsAnyPictureQtReads)
{
    const QString jpeg = Path("load.jpg");
    ASSERT_TRUE(gdip.PictureBoxToFile(picture, jpeg, 100));
    std::optional<Bitmap> loaded = gdip.FilenameToIPicture(jpeg);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->Width(), 48);
    EXPECT_EQ(loaded->BitCount(), 24);

    // Transparent pixels come over transparent black: colours times alpha.
    const QString png = pellimore::test::TestDataPath("pngsuite/tbrn2c08.png");
    loaded = gdip.FilenameToIPicture(png);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->BitCount(), 32);
    const QImage reference = QImage(png).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(loaded->At(0, 0), reference.pixel(0, 0));
    EXPECT_EQ(loaded->At(20, 20), reference.pixel(20, 20));
    EXPECT_TRUE(errors.empty());
}

TEST_F(GdiPlusTest, FilenameToIPictureReportsFilesItCannotRead)
{
    EXPECT_FALSE(gdip.FilenameToIPicture(Path("none.jpg")));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors.back().status, 10);
    EXPECT_EQ(errors.back().text, "File Not Found");

    const QString text = Path("notes.txt");
    {
        QFile file(text);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a picture at all");
    }
    EXPECT_FALSE(gdip.FilenameToIPicture(text));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors.back().status, 13);

    EXPECT_FALSE(gdip.FilenameToIPicture(pellimore::test::TestDataPath("pngsuite/xcrn0g04.png")));
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_NE(errors.back().status, 0);
}
