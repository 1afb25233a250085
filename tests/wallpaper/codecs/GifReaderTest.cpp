#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>

#include "platform/raster/Bitmap.h"
#include "tests/wallpaper/codecs/GifTestFiles.h"
#include "wallpaper/codecs/GifReader.h"

namespace pellimore {
namespace {

using test::GifBuilder;

const std::vector<ColorRef> kFour = {Rgb(0, 0, 0), Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 255)};

std::optional<GifStructure> Walk(const QByteArray &bytes, QString *error = nullptr)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return ReadGifStructure(buffer, error);
}

TEST(GifByteReader, ReadsLittleEndianNumbersAndFailsAtTheEnd)
{
    QByteArray bytes("\x34\x12\x78\x56\x34\x12\x01", 7);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    GifByteReader reader(buffer);
    EXPECT_EQ(reader.ReadGifNumber(2), 0x1234u);
    EXPECT_EQ(reader.ReadGifNumber(4), 0x12345678u);
    EXPECT_THROW(reader.ReadGifFile(2), GifEndOfFile);
    EXPECT_EQ(reader.Position(), 6);  // a failed read moves nothing
    EXPECT_EQ(reader.ReadGifFile(1), QByteArray("\x01", 1));
    EXPECT_THROW(reader.Skip(1), GifEndOfFile);
    EXPECT_THROW(reader.Seek(8), GifEndOfFile);
}

TEST(GifByteReader, SubBlocksEndingInsideTheDataFail)
{
    QByteArray bytes("\x02" "ab" "\x05" "xy", 6);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    GifByteReader reader(buffer);
    EXPECT_THROW(reader.SkipSubBlocks(), GifEndOfFile);
}

TEST(GifBitFields, ShiftToTheMasksLowestBit)
{
    EXPECT_EQ(BitField(0xF7, 128), 1);
    EXPECT_EQ(BitField(0xF5, 7), 5);
    EXPECT_EQ(BitField(0x0D, 28), 3);
    EXPECT_EQ(BitField(0x0D, 1), 1);
    EXPECT_EQ(BitField(0x0C, 1), 0);
}

TEST(GifColorFromTable, LooksUpTheIndexAndKeepsThePosition)
{
    QByteArray bytes("\x10\x20\x30\x40\x50\x60\x70\x80\x90\xA0\xB0\xC0", 12);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    GifByteReader reader(buffer);
    reader.Seek(5);
    EXPECT_EQ(ColorFromTable(reader, 0, 1, 0), int32_t(Rgb(0x40, 0x50, 0x60)));
    EXPECT_EQ(reader.Position(), 5);
    EXPECT_EQ(ColorFromTable(reader, 0, -1, 0), -1);     // negative: unchanged
    EXPECT_EQ(ColorFromTable(reader, 0, 2, 0), 0);       // beyond a two-entry table
    EXPECT_EQ(ColorFromTable(reader, 0, 3, 1), int32_t(Rgb(0xA0, 0xB0, 0xC0)));
    EXPECT_THROW(ColorFromTable(reader, 6, 3, 1), GifEndOfFile);  // the table runs past the data
}

TEST(GifReader, SignatureIsComparedInLowerCase)
{
    for (const QByteArray &signature : {QByteArray("GIF89a"), QByteArray("gif89a"), QByteArray("GIF87a")}) {
        const auto gif = Walk(GifBuilder(2, 2, signature).GlobalTable(kFour).SolidImage(0, 0, 2, 2, 1).Trailer().Bytes());
        ASSERT_TRUE(gif) << signature.constData();
        EXPECT_EQ(gif->header.version, signature);
    }
    QString error;
    EXPECT_FALSE(Walk(GifBuilder(2, 2, "GIF88a").GlobalTable(kFour).SolidImage(0, 0, 2, 2, 1).Trailer().Bytes(), &error));
    EXPECT_EQ(error, "Not a GIF file");
}

TEST(GifReader, Gif87aFramesStartAtTheirImageDescriptors)
{
    const QByteArray bytes =
        GifBuilder(4, 4, "GIF87a").GlobalTable(kFour).SolidImage(0, 0, 4, 4, 1).SolidImage(1, 1, 2, 2, 2).Trailer().Bytes();
    const auto gif = Walk(bytes);
    ASSERT_TRUE(gif);
    const int64_t first = bytes.indexOf('\x2C', 13 + 12);
    EXPECT_EQ(gif->header.headerLength, first);
    EXPECT_FALSE(gif->header.headerEndsWithIntroducer);
    ASSERT_EQ(gif->frames.size(), 2u);
    EXPECT_EQ(gif->frames[0].FrameStart(), first);
    EXPECT_EQ(gif->frames[1].FrameStart(), gif->frames[0].FrameEnd());
    EXPECT_EQ(gif->frames[1].FrameEnd(), bytes.size() - 1);  // through the data terminator, before the trailer
    EXPECT_EQ(uint8_t(bytes[qsizetype(gif->frames[1].FrameEnd() - 1)]), 0);
    EXPECT_EQ(gif->frames[0].frameDelay(), 0);
    EXPECT_EQ(gif->frames[0].FrameTransparentColor(), -1);
    EXPECT_EQ(gif->header.loopCount, 0);  // several frames, no loop information: endless
}

TEST(GifReader, FramesWithAControlExtensionStartAtItsLabel)
{
    const QByteArray bytes = GifBuilder(4, 4).GlobalTable(kFour).Comment("hello").Control(1, 7)
                                 .SolidImage(0, 0, 4, 4, 1).Control(2, 7000).SolidImage(0, 0, 4, 4, 2).Trailer().Bytes();
    const auto gif = Walk(bytes);
    ASSERT_TRUE(gif);
    const int64_t introducer = bytes.indexOf("\x21\xF9");
    EXPECT_EQ(gif->header.headerLength, introducer + 1);
    EXPECT_TRUE(gif->header.headerEndsWithIntroducer);
    ASSERT_EQ(gif->frames.size(), 2u);
    EXPECT_EQ(gif->frames[0].FrameStart(), introducer + 1);
    EXPECT_EQ(uint8_t(bytes[qsizetype(gif->frames[1].FrameStart())]), 0xF9);
    EXPECT_EQ(uint8_t(bytes[qsizetype(gif->frames[1].FrameStart() - 1)]), 0x21);
    EXPECT_EQ(gif->frames[0].frameDelay(), 70);
    EXPECT_EQ(gif->frames[1].frameDelay(), 60000);
    EXPECT_EQ(gif->frames[0].FrameDisposal(), 1);
    EXPECT_EQ(gif->frames[1].FrameDisposal(), 2);
}

TEST(GifReader, LoopCountComesOnlyFromANetscapeBlockBeforeTheFirstFrame)
{
    const auto early = Walk(GifBuilder(2, 2).GlobalTable(kFour).Netscape(0).SolidImage(0, 0, 2, 2, 1).Trailer().Bytes());
    ASSERT_TRUE(early);
    EXPECT_EQ(early->header.loopCount, 0);

    const auto three = Walk(GifBuilder(2, 2).GlobalTable(kFour).Netscape(3).SolidImage(0, 0, 2, 2, 1).Trailer().Bytes());
    EXPECT_EQ(three->header.loopCount, 3);

    const auto none = Walk(GifBuilder(2, 2).GlobalTable(kFour).SolidImage(0, 0, 2, 2, 1).Trailer().Bytes());
    EXPECT_EQ(none->header.loopCount, -1);  // one frame, no loop information

    const auto late = Walk(GifBuilder(2, 2).GlobalTable(kFour).SolidImage(0, 0, 2, 2, 1).Netscape(5)
                               .SolidImage(0, 0, 2, 2, 2).Trailer().Bytes());
    ASSERT_TRUE(late);
    EXPECT_EQ(late->header.loopCount, 0);  // ignored; two frames without loop information

    const auto lateSingle = Walk(GifBuilder(2, 2).GlobalTable(kFour).SolidImage(0, 0, 2, 2, 1).Netscape(5).Trailer().Bytes());
    EXPECT_EQ(lateSingle->header.loopCount, -1);

    const auto large = Walk(GifBuilder(2, 2).GlobalTable(kFour).Netscape(65535).SolidImage(0, 0, 2, 2, 1).Trailer().Bytes());
    EXPECT_EQ(large->header.loopCount, 65535);
}

TEST(GifReader, NetscapeIdentifierIsUpperCasedAndOtherApplicationBlocksAreSkipped)
{
    QByteArray lower("\x21\xFF\x0B" "netscape2.0" "\x03\x01\x04\x00\x00", 19);
    const auto gif = Walk(GifBuilder(2, 2).GlobalTable(kFour).Raw(lower).SolidImage(0, 0, 2, 2, 1).Trailer().Bytes());
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->header.loopCount, 4);

    QByteArray other("\x21\xFF\x0B" "XMP DataXMP" "\x04" "abcd" "\x02" "ef" "\x00", 23);
    const auto xmp = Walk(GifBuilder(2, 2).GlobalTable(kFour).Raw(other).SolidImage(0, 0, 2, 2, 1).Trailer().Bytes());
    ASSERT_TRUE(xmp);
    EXPECT_EQ(xmp->frames.size(), 1u);
    EXPECT_EQ(xmp->header.loopCount, -1);

    // A NETSCAPE block whose first sub-block is not the 3-byte loop block.
    QByteArray buffer("\x21\xFF\x0B" "NETSCAPE2.0" "\x05\x02\x00\x04\x00\x00" "\x00", 21);
    const auto buffered = Walk(GifBuilder(2, 2).GlobalTable(kFour).Raw(buffer).SolidImage(0, 0, 2, 2, 1).Trailer().Bytes());
    ASSERT_TRUE(buffered);
    EXPECT_EQ(buffered->header.loopCount, -1);
}

TEST(GifReader, TransparentColourComesFromTheLocalTableElseTheGlobalElseTheIndex)
{
    const std::vector<ColorRef> local = {Rgb(9, 9, 9), Rgb(10, 20, 30)};
    const auto gif = Walk(GifBuilder(2, 2).GlobalTable(kFour)
                              .Control(0, 0, 1).Image(0, 0, 2, 2, {0, 1, 1, 0}, local)
                              .Control(0, 0, 3).SolidImage(0, 0, 2, 2, 3)
                              .Control(0, 0, 200).SolidImage(0, 0, 2, 2, 3)  // beyond the 4-entry table
                              .SolidImage(0, 0, 2, 2, 1)
                              .Trailer().Bytes());
    ASSERT_TRUE(gif);
    ASSERT_EQ(gif->frames.size(), 4u);
    EXPECT_EQ(gif->frames[0].FrameTransparentColor(), int32_t(Rgb(10, 20, 30)));
    EXPECT_EQ(gif->frames[1].FrameTransparentColor(), int32_t(Rgb(0, 0, 255)));
    EXPECT_EQ(gif->frames[2].FrameTransparentColor(), 0);
    EXPECT_TRUE(gif->frames[2].isTransparent());
    EXPECT_EQ(gif->frames[3].FrameTransparentColor(), -1);  // no control extension: pending index was reset
    EXPECT_FALSE(gif->frames[3].isTransparent());

    const auto bare = Walk(GifBuilder(2, 2).Control(0, 0, 5).Image(0, 0, 2, 2, {0, 1, 2, 3}).Trailer().Bytes());
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->frames[0].FrameTransparentColor(), 5);  // no table at all: the index itself
    EXPECT_EQ(bare->header.windowBkgColor, 0u);
}

TEST(GifReader, WindowBackgroundColourComesFromTheGlobalTable)
{
    const auto gif = Walk(GifBuilder(2, 2).GlobalTable(kFour, 2).SolidImage(0, 0, 2, 2, 1).Trailer().Bytes());
    EXPECT_EQ(gif->header.windowBkgColor, Rgb(0, 255, 0));
    const auto outside = Walk(GifBuilder(2, 2).GlobalTable(kFour, 9).SolidImage(0, 0, 2, 2, 1).Trailer().Bytes());
    EXPECT_EQ(outside->header.windowBkgColor, 0u);
}

TEST(GifReader, LargerFramesGrowTheLogicalWindow)
{
    const auto gif = Walk(GifBuilder(4, 3).GlobalTable(kFour).SolidImage(0, 0, 6, 2, 1).SolidImage(2, 2, 1, 5, 1)
                              .Trailer().Bytes());
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->header.screenWidth, 4);
    EXPECT_EQ(gif->header.logicalWidth, 6);
    EXPECT_EQ(gif->header.logicalHeight, 5);
}

TEST(GifReader, TheLastOfSeveralControlExtensionsCounts)
{
    const QByteArray bytes = GifBuilder(2, 2).GlobalTable(kFour).Control(3, 20).Control(1, 30, 2)
                                 .SolidImage(0, 0, 2, 2, 1).Trailer().Bytes();
    const auto gif = Walk(bytes);
    ASSERT_TRUE(gif);
    ASSERT_EQ(gif->frames.size(), 1u);
    EXPECT_EQ(gif->frames[0].frameDelay(), 300);
    EXPECT_EQ(gif->frames[0].FrameDisposal(), 1);
    EXPECT_TRUE(gif->frames[0].isTransparent());
    EXPECT_EQ(gif->header.headerLength, bytes.indexOf("\x21\xF9") + 1);  // the header ends at the first
    EXPECT_TRUE(gif->header.hasRestorePrevious);
}

TEST(GifReader, StrayBytesBetweenBlocksAreSkipped)
{
    const auto gif = Walk(GifBuilder(2, 2).GlobalTable(kFour).Raw(QByteArray("\x00\x00", 2)).SolidImage(0, 0, 2, 2, 1)
                              .Raw(QByteArray("\x07\x02xy\x00", 5)).SolidImage(0, 0, 2, 2, 2).Trailer().Bytes());
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->frames.size(), 2u);
}

TEST(GifReader, EveryTruncationFailsCleanly)
{
    const QByteArray bytes = GifBuilder(3, 3).GlobalTable(kFour).Netscape(2).Comment("note").Control(2, 10, 0)
                                 .Image(0, 0, 3, 3, {0, 1, 2, 3, 0, 1, 2, 3, 0}, {Rgb(1, 2, 3), Rgb(4, 5, 6)})
                                 .SolidImage(1, 1, 2, 2, 3).Trailer().Bytes();
    ASSERT_TRUE(Walk(bytes));
    for (qsizetype length = 0; length < bytes.size(); ++length) {
        QString error;
        EXPECT_FALSE(Walk(bytes.left(length), &error)) << "cut at " << length;
    }
}

TEST(GifReader, FilesWithoutImagesOrWithTooManyFramesAreRefused)
{
    QString error;
    EXPECT_FALSE(Walk(GifBuilder(2, 2).GlobalTable(kFour).Comment("only a comment").Trailer().Bytes(), &error));
    EXPECT_EQ(error, "No image in the file");

    GifBuilder many(1, 1);
    many.GlobalTable(kFour);
    for (int i = 0; i < 4; ++i)
        many.SolidImage(0, 0, 1, 1, 1);
    QByteArray bytes = many.Trailer().Bytes();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    GifLimits limits;
    limits.maxFrames = 3;
    EXPECT_FALSE(ReadGifStructure(buffer, &error, limits));
    EXPECT_EQ(error, "More than 3 frames");
}

// --- GifFile: the open file and the frames' pictures ---------------------------

TEST(GifFile, RefusesMissingShortAndForeignFilesAndKeepsThePreviousGif)
{
    GifFile gif;
    const QString good = GifBuilder(2, 2).GlobalTable(kFour).SolidImage(0, 0, 2, 2, 1).Trailer().Write("good.gif");
    ASSERT_TRUE(gif.Load(good));
    QString error;
    EXPECT_FALSE(gif.Load(QDir::homePath() + "/nothing-here.gif", &error));
    EXPECT_FALSE(gif.Load(test::WriteGifFile("short.gif", "GIF89a\x01\x00\x01\x00\x00\x00\x00;"), &error));
    EXPECT_FALSE(gif.Load(test::WriteGifFile("bm.gif", QByteArray("BM") + QByteArray(60, '\0')), &error));
    const QByteArray full = GifBuilder(2, 2).GlobalTable(kFour).SolidImage(0, 0, 2, 2, 1).SolidImage(0, 0, 2, 2, 2)
                                .Trailer().Bytes();
    EXPECT_FALSE(gif.Load(test::WriteGifFile("cut.gif", full.left(full.size() - 1)), &error));
    EXPECT_EQ(error, "End of File");
    EXPECT_TRUE(gif.IsLoaded());
    EXPECT_EQ(gif.FileName(), good);
    EXPECT_EQ(gif.FrameCount(), 1);
    EXPECT_FALSE(gif.FrameImage(1).IsNull());
}

TEST(GifFile, FramePicturesAreTheFramesAtTheirOwnSize)
{
    const std::vector<ColorRef> local = {Rgb(200, 100, 50), Rgb(1, 2, 3), Rgb(7, 8, 9), Rgb(90, 80, 70)};
    const QString path = GifBuilder(6, 5).GlobalTable(kFour)
                             .Control(0, 10).Image(0, 0, 6, 5, std::vector<uint8_t>(30, 1))
                             .Control(1, 10, 0).Image(2, 1, 3, 2, {0, 1, 2, 3, 0, 3}, local)
                             .Trailer().Write("pictures.gif");
    GifFile gif;
    ASSERT_TRUE(gif.Load(path));
    const Bitmap first = gif.FrameImage(1);
    ASSERT_EQ(first.Width(), 6);
    ASSERT_EQ(first.Height(), 5);
    EXPECT_EQ(first.At(5, 4), MakePixel(255, 0, 0));
    EXPECT_EQ(first.BitCount(), 24);

    const Bitmap second = gif.FrameImage(2);
    ASSERT_EQ(second.Width(), 3);
    ASSERT_EQ(second.Height(), 2);
    EXPECT_EQ(PixelAlpha(second.At(0, 0)), 0);  // the transparent index
    EXPECT_EQ(second.At(1, 0), MakePixel(1, 2, 3));
    EXPECT_EQ(second.At(2, 0), MakePixel(7, 8, 9));
    EXPECT_EQ(second.At(0, 1), MakePixel(90, 80, 70));
    EXPECT_EQ(PixelAlpha(second.At(1, 1)), 0);
    EXPECT_EQ(second.BitCount(), 32);

    EXPECT_TRUE(gif.FrameImage(0).IsNull());
    EXPECT_TRUE(gif.FrameImage(3).IsNull());
}

TEST(GifFile, FramesWithAndWithoutControlExtensionsMixInOneFile)
{
    // The header of the first file ends with an introducer its second frame
    // does not have; the header of the second lacks the one its second needs.
    const QString withFirst = GifBuilder(2, 2).GlobalTable(kFour).Control(0, 5).SolidImage(0, 0, 2, 2, 1)
                                  .SolidImage(0, 0, 2, 2, 2).Trailer().Write("control-first.gif");
    const QString withSecond = GifBuilder(2, 2).GlobalTable(kFour).SolidImage(0, 0, 2, 2, 1).Control(0, 5)
                                   .SolidImage(0, 0, 2, 2, 3).Trailer().Write("control-second.gif");
    for (const QString &path : {withFirst, withSecond}) {
        GifFile gif;
        ASSERT_TRUE(gif.Load(path));
        const Bitmap first = gif.FrameImage(1);
        const Bitmap second = gif.FrameImage(2);
        ASSERT_FALSE(first.IsNull()) << path.toStdString();
        ASSERT_FALSE(second.IsNull()) << path.toStdString();
        EXPECT_EQ(first.At(1, 1), MakePixel(255, 0, 0));
        EXPECT_EQ(second.At(1, 1), path == withFirst ? MakePixel(0, 255, 0) : MakePixel(0, 0, 255));
    }
}

TEST(GifFile, ZeroSizedFramesLoadWithoutAPicture)
{
    const QString path = GifBuilder(2, 2).GlobalTable(kFour).Image(1, 1, 0, 0, {1}).SolidImage(0, 0, 2, 2, 2)
                             .Trailer().Write("zero.gif");
    GifFile gif;
    ASSERT_TRUE(gif.Load(path));
    EXPECT_EQ(gif.FrameCount(), 2);
    EXPECT_TRUE(gif.FrameImage(1).IsNull());
    EXPECT_FALSE(gif.FrameImage(2).IsNull());
}

TEST(GifFile, TheFileStaysOpenWhileLoaded)
{
    const QString path = GifBuilder(2, 2).GlobalTable(kFour).SolidImage(0, 0, 2, 2, 1).SolidImage(0, 0, 2, 2, 2)
                             .Trailer().Write("open.gif");
    GifFile gif;
    ASSERT_TRUE(gif.Load(path));
    ASSERT_TRUE(QFile::remove(path));  // the open file is still read from
    EXPECT_EQ(gif.FrameImage(2).At(0, 0), MakePixel(0, 255, 0));
    const auto bytes = gif.FileBytes();
    ASSERT_TRUE(bytes);
    EXPECT_TRUE(bytes->startsWith("GIF89a"));
    gif.Unload();
    EXPECT_FALSE(gif.IsLoaded());
    EXPECT_TRUE(gif.FrameImage(1).IsNull());
}

}  // namespace
}  // namespace pellimore
