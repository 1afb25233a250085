// Loading by type and the GIF inspection (multi-frame marker, transparency
// scan).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "platform/raster/PictureSurface.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempHome.h"
#include "tests/wallpaper/codecs/GifTestFiles.h"
#include "wallpaper/codecs/PictureLoading.h"
#include "wallpaper/codecs/StdPNG.h"

namespace pellimore {
namespace {

using test::GifBuilder;
using test::ScriptedUi;

const std::vector<ColorRef> kFour = {Rgb(0, 0, 0), Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(255, 255, 255)};
const QString kNotGif = "Sorry, not an Animated Gif file";
const QString kNotGifTitle = "Not a Valid Animated Gif File!";

QByteArray StillGif(int transparentIndex)
{
    return GifBuilder(2, 2).GlobalTable(kFour).Control(0, 0, transparentIndex).SolidImage(0, 0, 2, 2, 1).Trailer().Bytes();
}

TEST(PictureLoading, TheTypeIsTheLastThreeCharactersUpperCased)
{
    EXPECT_EQ(PictureType("sunset.png"), "PNG");
    EXPECT_EQ(PictureType("Anim.Gif"), "GIF");
    EXPECT_EQ(PictureType("photo.jpeg"), "PEG");
    EXPECT_EQ(PictureType("ab"), "AB");
    EXPECT_EQ(PicturePath("/pictures", "a.gif"), "/pictures/a.gif");
    EXPECT_EQ(PicturePath("/pictures/", "a.gif"), "/pictures/a.gif");
}

TEST(PictureLoading, PngFilesGoThroughTheProgramsDecoderWithAlphaKept)
{
    ScriptedUi ui;
    StdPNG png(ui);
    PictureSurface surface(5, 5);
    const LoadByTypeResult result = LoadPictureByType(test::TestDataPath("pngsuite/basn6a08.png"), surface, png);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.kind, LoadedPictureKind::Png);
    EXPECT_EQ(png.TransparentStyle(), -1);
    EXPECT_EQ(surface.Width(), 32);
    EXPECT_EQ(surface.Height(), 32);
    EXPECT_EQ(result.storedSize, QSize(32, 32));
    EXPECT_TRUE(surface.HasPicture());
    // The decoder lets go of its copy once the picture is painted.
    EXPECT_EQ(png.Handle(), nullptr);

    // Shown smaller, the picture is painted straight at the shown size; the
    // stored size is still told.
    const LoadByTypeResult reduced = LoadPictureByType(test::TestDataPath("pngsuite/basn2c08.png"), surface, png,
                                                       [](QSize stored) { return stored / 2; });
    ASSERT_TRUE(reduced.ok);
    EXPECT_EQ(reduced.storedSize, QSize(32, 32));
    EXPECT_EQ(QSize(surface.Width(), surface.Height()), QSize(16, 16));
    EXPECT_EQ(QSize(surface.Picture().Width(), surface.Picture().Height()), QSize(16, 16));
}

TEST(PictureLoading, ABrokenPngIsReportedByTheDecoder)
{
    ScriptedUi ui;
    ui.ExpectMessage("This is not a valid PNG file", "Invalid Format", MessageResult::Ok);
    StdPNG png(ui);
    PictureSurface surface(5, 5);
    const LoadByTypeResult result =
        LoadPictureByType(test::WriteGifFile("broken.png", QByteArray(80, 'x')), surface, png);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.kind, LoadedPictureKind::Png);
}

TEST(PictureLoading, OtherTypesGoThroughThePlatformLoaderByName)
{
    ScriptedUi ui;
    StdPNG png(ui);
    PictureSurface surface(5, 5);
    const LoadByTypeResult gif = LoadPictureByType(test::GifCorpusPath("wuffs/muybridge.gif"), surface, png);
    ASSERT_TRUE(gif.ok);
    EXPECT_EQ(gif.kind, LoadedPictureKind::Gif);
    EXPECT_EQ(surface.Width(), 30);
    EXPECT_EQ(surface.Height(), 20);

    // Only the name decides: a PNG named .jpg goes to the platform loader, which refuses PNG.
    QFile::copy(test::TestDataPath("pngsuite/basn2c08.png"), QDir::homePath() + "/png-named.jpg");
    const LoadByTypeResult renamed = LoadPictureByType(QDir::homePath() + "/png-named.jpg", surface, png);
    EXPECT_FALSE(renamed.ok);
    EXPECT_EQ(renamed.kind, LoadedPictureKind::Other);
    EXPECT_FALSE(renamed.error.isEmpty());
    EXPECT_EQ(surface.Width(), 30);  // left as it was

    EXPECT_FALSE(LoadPictureByType(QDir::homePath() + "/missing.bmp", surface, png).ok);
}

TEST(PictureLoading, MultiFrameMarker)
{
    EXPECT_TRUE(HasMultiFrameMarker(QByteArray("ab\x00\x21\xF9zz", 7)));
    EXPECT_FALSE(HasMultiFrameMarker(QByteArray("ab\x00\x21\xFEzz", 7)));
    EXPECT_FALSE(HasMultiFrameMarker(QByteArray("\x21\xF9", 2)));
    EXPECT_FALSE(HasMultiFrameMarker(QByteArray()));
}

TEST(IsTransparentGif, TheFirstControlExtensionDecides)
{
    ScriptedUi ui;
    EXPECT_TRUE(IsTransparentGifData(StillGif(2), ui));
    EXPECT_FALSE(IsTransparentGifData(StillGif(-1), ui));
    EXPECT_FALSE(IsTransparentGifData(GifBuilder(2, 2, "GIF87a").GlobalTable(kFour).SolidImage(0, 0, 2, 2, 1)
                                          .Trailer().Bytes(), ui));
    // Blocks before the control extension are stepped over.
    QByteArray plainText("\x21\x01\x0C" "abcdefghijkl" "\x03" "xyz" "\x00", 20);
    const QByteArray busy = GifBuilder(2, 2).GlobalTable(kFour).Netscape(0).Comment("a comment")
                                .Raw(plainText).SolidImage(0, 0, 2, 2, 1).Control(0, 0, 1).SolidImage(0, 0, 2, 2, 2)
                                .Trailer().Bytes();
    EXPECT_TRUE(IsTransparentGifData(busy, ui));
    // Only the first one counts.
    const QByteArray second = GifBuilder(2, 2).GlobalTable(kFour).Control(0, 0).SolidImage(0, 0, 2, 2, 1)
                                  .Control(0, 0, 1).SolidImage(0, 0, 2, 2, 2).Trailer().Bytes();
    EXPECT_FALSE(IsTransparentGifData(second, ui));
    EXPECT_TRUE(ui.Messages().empty());
}

TEST(IsTransparentGif, AFileThatIsNotAGifIsReportedOnce)
{
    ScriptedUi ui;
    ui.ExpectMessage(kNotGif, kNotGifTitle, MessageResult::Ok).WithButtons(MessageButtons::Ok);
    const QString path = test::WriteGifFile("bitmap.gif", QByteArray("BM") + QByteArray(100, '\0'));
    EXPECT_FALSE(IsTransparentGif(path, ui));
    EXPECT_TRUE(ui.VerifyAllUsed());
    EXPECT_FALSE(IsTransparentGif(QString(), ui));
    EXPECT_THROW(IsTransparentGif(QDir::homePath() + "/no-such.gif", ui), PictureReadError);
}

TEST(IsTransparentGif, DataThatEndsEarlyGivesFalse)
{
    ScriptedUi ui;
    const QByteArray bytes = GifBuilder(2, 2).GlobalTable(kFour).Netscape(0).Comment("c").SolidImage(0, 0, 2, 2, 1)
                                 .Control(0, 0, 1).SolidImage(0, 0, 2, 2, 2).Trailer().Bytes();
    const qsizetype packed = bytes.indexOf("\x21\xF9") + 3;
    for (qsizetype length = 4; length <= packed; ++length)
        EXPECT_FALSE(IsTransparentGifData(bytes.left(length), ui)) << "cut at " << length;
    EXPECT_TRUE(IsTransparentGifData(bytes.left(packed + 1), ui));
    // A trailer within the last four bytes ends the scan; an earlier one is stepped over.
    EXPECT_FALSE(IsTransparentGifData(QByteArray("GIF89a\x01\x00\x01\x00\x00\x00\x00;\x21\xF9\x04", 17), ui));
    EXPECT_TRUE(IsTransparentGifData(QByteArray("GIF89a\x01\x00\x01\x00\x00\x00\x00;\x21\xF9\x04\x01", 18), ui));
}

class InspectGifTest : public testing::Test {
protected:
    bool Inspect(const QString &path)
    {
        GifInspectionHost host{ui, flags, dontUseActiveDesktop, [this] { ++repaints; }, [this] {
                                   ++previews;
                                   return previewShows;
                               }};
        return InspectGif(path, host);
    }

    ScriptedUi ui;
    GifPictureFlags flags;
    bool dontUseActiveDesktop = false;
    bool previewShows = true;
    int repaints = 0;
    int previews = 0;
};

TEST_F(InspectGifTest, AMultiFrameGifNeedsABackgroundAndShowsThePreview)
{
    const QString path = GifBuilder(2, 2).GlobalTable(kFour).Control(0, 5).SolidImage(0, 0, 2, 2, 1).Control(0, 5)
                             .SolidImage(0, 0, 2, 2, 2).Trailer().Write("two.gif");
    EXPECT_TRUE(Inspect(path));
    EXPECT_TRUE(flags.gifNeedsBackground);
    EXPECT_TRUE(flags.animatedPreviewShown);
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(previews, 1);

    flags = {};
    dontUseActiveDesktop = true;
    EXPECT_TRUE(Inspect(path));
    EXPECT_TRUE(flags.gifNeedsBackground);
    EXPECT_FALSE(flags.animatedPreviewShown);
    EXPECT_EQ(previews, 1);

    flags = {};
    dontUseActiveDesktop = false;
    previewShows = false;  // the control could not show it
    EXPECT_TRUE(Inspect(path));
    EXPECT_FALSE(flags.animatedPreviewShown);
}

TEST_F(InspectGifTest, StillGifsNeedABackgroundOnlyWhenTransparent)
{
    EXPECT_FALSE(Inspect(GifBuilder(2, 2).GlobalTable(kFour).Control(0, 0, 1).SolidImage(0, 0, 2, 2, 1).Trailer()
                             .Write("still-transparent.gif")));
    EXPECT_TRUE(flags.gifNeedsBackground);
    flags = {};
    EXPECT_FALSE(Inspect(test::WriteGifFile("still.gif", StillGif(-1))));
    EXPECT_FALSE(flags.gifNeedsBackground);
    EXPECT_EQ(repaints, 2);
    EXPECT_EQ(previews, 0);
}

TEST_F(InspectGifTest, AControlExtensionAfterAnotherTerminatedBlockCountsAsMultiFrame)
{
    const QString path = GifBuilder(2, 2).GlobalTable(kFour).Comment("x").Control(0, 0).SolidImage(0, 0, 2, 2, 1)
                             .Trailer().Write("comment-then-control.gif");
    EXPECT_TRUE(Inspect(path));
    EXPECT_TRUE(flags.gifNeedsBackground);
}

TEST_F(InspectGifTest, AnUnreadableFileReachesTheCaller)
{
    EXPECT_THROW(Inspect(QDir::homePath() + "/gone.gif"), PictureReadError);
    ui.ExpectMessage(kNotGif, kNotGifTitle, MessageResult::Ok);
    EXPECT_FALSE(Inspect(test::WriteGifFile("named.gif", QByteArray("BM") + QByteArray(60, '\0'))));
}

}  // namespace
}  // namespace pellimore
