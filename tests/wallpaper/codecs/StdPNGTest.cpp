// StdPNG: failures with their messages, chunk handling and pixel formats.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <vector>

#include "tests/wallpaper/codecs/StdPngFixture.h"

using namespace pellimore;
using namespace pellimore::test;

// ---------------------------------------------------------------------------
// Failures: every message of the failure table, with its title.

TEST_F(StdPngTest, MissingZlibIsReportedByNameOnEveryLoad)
{
    StdPNG::Options options;
    options.zlibLibrary = "libz-not-here.so.7";
    StdPNG missing(ui, options);
    const QString path = WriteTestFile("ok.png", SmallRgb());
    const QString text =
        "Cannot display PNG image. The following DLL(s) not found in your system path:\nlibz-not-here.so.7";
    ExpectFailure(text, "Missing Library");
    EXPECT_FALSE(missing.LoadFile(path));
    ExpectFailure(text, "Missing Library");  // checked again until it succeeds
    EXPECT_FALSE(missing.LoadFile(path));

    // A library without the two functions counts as missing too.
    options.zlibLibrary = "libm.so.6";
    StdPNG wrong(ui, options);
    ExpectFailure("Cannot display PNG image. The following DLL(s) not found in your system path:\nlibm.so.6",
                  "Missing Library");
    EXPECT_FALSE(wrong.LoadFile(path));
}

TEST_F(StdPngTest, FileThatCannotBeOpenedShowsTheSystemError)
{
    ExpectFailure("No such file or directory", "Error Accessing File");
    EXPECT_FALSE(png.LoadFile(QDir::homePath() + "/no such picture.png"));
    ExpectFailure("Is a directory", "Error Accessing File");
    EXPECT_FALSE(png.LoadFile(QDir::homePath()));
}

TEST_F(StdPngTest, ShortFilesAndWrongSignaturesAreNotPng)
{
    QByteArray exactly56 = PngFile({Ihdr(1, 1, 8, 0)});
    exactly56.append(QByteArray(56 - exactly56.size(), '\0'));
    ASSERT_EQ(exactly56.size(), 56);
    ExpectFailure("This is not a valid PNG file", kInvalidFormat);
    EXPECT_FALSE(Load(exactly56));

    QByteArray wrong = SmallRgb();
    wrong[1] = 'Q';
    ExpectFailure("This is not a valid PNG file", kInvalidFormat);
    EXPECT_FALSE(Load(wrong));

    ExpectFailure("This is not a valid PNG file", kInvalidFormat);
    EXPECT_FALSE(Load(QByteArray()));
}

TEST_F(StdPngTest, ChunksRunningPastTheEndAreCorrupted)
{
    const QByteArray whole = SmallRgb({PngChunk("tEXt", QByteArray("Comment\0") + QByteArray(40, 'c'))});
    // Cut inside the IDAT, inside the IEND, and a chunk length beyond the file.
    for (int cut : {int(whole.size()) - 20, int(whole.size()) - 5}) {
        ExpectFailure("This PNG file is corrupted", "Corrupted File");
        EXPECT_FALSE(Load(whole.left(cut))) << cut;
    }
    QByteArray huge = SmallRgb();
    huge.replace(33, 4, Be32(0xFFFFFFF0u));  // length of the chunk after IHDR
    ExpectFailure("This PNG file is corrupted", "Corrupted File");
    EXPECT_FALSE(Load(huge));
}

TEST_F(StdPngTest, ImageDataCrcIsAlwaysChecked)
{
    QByteArray file = SmallRgb();
    const int idat = int(file.indexOf("IDAT"));
    file[idat + 6] = char(file[idat + 6] ^ 0x01);  // a data byte: the CRC no longer matches
    for (bool validate : {false, true}) {
        ExpectFailure("Corrupted Image Data (bad CRC). Cannot continue.", kInvalidPng);
        EXPECT_FALSE(Load(file, validate));
    }
}

TEST_F(StdPngTest, HeaderErrorsInTheirOrder)
{
    struct Case {
        QByteArray ihdr;
        QString message;
    };
    const std::vector<Case> cases = {
        {PngChunk("IHDR", IhdrData(2, 2, 8, 2), true), "Corrupted Image Header (bad CRC). Cannot continue."},
        {PngChunk("IHDR", IhdrData(0x80000000u, 2, 8, 2)), "Corrupted Image Header. Cannot continue."},
        {PngChunk("IHDR", IhdrData(2, 0, 8, 2)), "Corrupted Image Header. Cannot continue."},
        {PngChunk("IHDR", IhdrData(2, 2, 8, 2).left(12)), "Corrupted Image Header. Cannot continue."},
        // Compression is checked before filter, filter before depth, and so on.
        {PngChunk("IHDR", IhdrData(2, 2, 7, 9, 3, 1, 1)), "Invalid Compression Flag in Header. Cannot continue."},
        {PngChunk("IHDR", IhdrData(2, 2, 7, 9, 3, 0, 1)), "Invalid Filter Flag in Header. Cannot continue."},
        {PngChunk("IHDR", IhdrData(2, 2, 7, 9, 3)), "Invalid Bit Depth Flag in Header. Cannot continue."},
        {PngChunk("IHDR", IhdrData(2, 2, 8, 5, 3)), "Invalid Color Type Flag in Header. Cannot continue."},
        {PngChunk("IHDR", IhdrData(2, 2, 8, 2, 2)), "Invalid Interlacing Flag in Header. Cannot continue."},
        {PngChunk("IHDR", IhdrData(30000, 30000, 8, 2)), "Image is too large to process. Cannot continue."},
        {PngChunk("IHDR", IhdrData(60000, 60000, 8, 6)), "Image is too large to process. Cannot continue."},
        // Within 2 GiB as 32-bit pixels, but more pixels than a bitmap may hold.
        {PngChunk("IHDR", IhdrData(20000, 20000, 1, 0)), "Image is too large to process. Cannot continue."},
    };
    for (const Case &c : cases) {
        ExpectFailure(c.message, kInvalidPng);
        EXPECT_FALSE(Load(PngFile({c.ihdr, Idat(QByteArray(16, '\0')), Iend()})))
            << c.message.toStdString();
        EXPECT_EQ(png.Handle(), nullptr);
        EXPECT_EQ(png.Width(), 0);
    }
}

TEST(StdPngResources, ABitmapThatCannotBeMadeIsReported)
{
    // With the decoder's own pixel limit raised past the bitmap's, a picture
    // of 400 megapixels passes the header but no bitmap can hold it.
    ScriptedUi ui;
    StdPNG::Options options;
    options.limits.maxPixels = int64_t(1) << 29;
    StdPNG png(ui, options);
    ui.ExpectMessage("Resources may be too low, cannot create necessary drawing objects.", "WallPaper Pellimore",
                     MessageResult::Ok)
        .WithIcon(MessageIcon::Exclamation);
    // Real image data of the full size: less could not fill the picture and
    // is refused before any allocation.
    const QByteArray file = PngFile({Ihdr(20000, 20000, 1, 0), Idat(QByteArray(20000 * 2501, '\0')), Iend()});
    EXPECT_FALSE(png.LoadFile(WriteTestFile("huge.png", file)));
    EXPECT_EQ(png.Handle(), nullptr);
}

TEST_F(StdPngTest, PaletteChunkRules)
{
    const QByteArray rows = RawRows({Bytes({0, 1})});
    // 10 bytes are not whole entries.
    ExpectFailure("Invalid Palette. Cannot continue.", kInvalidPng);
    EXPECT_FALSE(Load(PngFile({Ihdr(2, 1, 8, 3), PngChunk("PLTE", QByteArray(10, 'x')), Idat(rows), Iend()})));
    ExpectFailure("Invalid Palette (bad CRC). Cannot continue.", kInvalidPng);
    EXPECT_FALSE(Load(PngFile({Ihdr(2, 1, 8, 3), PngChunk("PLTE", QByteArray(6, 'x'), true), Idat(rows), Iend()})));
    // A grey image ignores its PLTE, broken or not.
    EXPECT_TRUE(Load(PngFile({Ihdr(2, 1, 8, 0), PngChunk("PLTE", QByteArray(10, 'x'), true), Idat(rows), Iend()})));
    EXPECT_TRUE(png.Palette().isEmpty());
    EXPECT_EQ(At(1, 0), MakePixel(1, 1, 1));
    // An RGB image keeps a suggested palette, but its CRC must hold.
    ExpectFailure("Invalid Palette (bad CRC). Cannot continue.", kInvalidPng);
    EXPECT_FALSE(Load(SmallRgb({PngChunk("PLTE", QByteArray(6, 'x'), true)})));
}

TEST_F(StdPngTest, MissingImageDataAndHeader)
{
    ExpectFailure("No image data found. Cannot continue.", kInvalidPng);
    EXPECT_FALSE(Load(PngFile({Ihdr(2, 2, 8, 2), PngChunk("tEXt", QByteArray("Title\0x", 7)),
                               PngChunk("IDAT", QByteArray()), Iend()})));
    // Image data without any header has no size to decode to.
    ExpectFailure("Corrupted Image Header. Cannot continue.", kInvalidPng);
    EXPECT_FALSE(Load(PngFile({PngChunk("gAMA", Be32(45455)), Idat(QByteArray(8, '\0')), Iend()})));
}

TEST_F(StdPngTest, InflateFailures)
{
    // Not a zlib stream at all.
    ExpectFailure("This PNG file is not compressed correctly.", kInvalidFormat);
    EXPECT_FALSE(Load(PngFile({Ihdr(2, 2, 8, 2), PngChunk("IDAT", QByteArray(20, 'z')), Iend()})));
    // More data than the image holds.
    ExpectFailure("This PNG file is not compressed correctly.", kInvalidFormat);
    EXPECT_FALSE(Load(PngFile({Ihdr(2, 2, 8, 2), Idat(QByteArray(100, '\0')), Iend()})));
    // A stream cut short.
    QByteArray idat = Idat(RawRows({QByteArray(6, '\x10'), QByteArray(6, '\x20')}));
    const QByteArray data = idat.mid(8, idat.size() - 12);
    ExpectFailure("This PNG file is not compressed correctly.", kInvalidFormat);
    EXPECT_FALSE(Load(PngFile({Ihdr(2, 2, 8, 2), PngChunk("IDAT", data.left(data.size() - 6)), Iend()})));
}

TEST_F(StdPngTest, FilterTypeAboveFourFails)
{
    ExpectFailure("Failed to properly read PNG image data.", kInvalidFormat);
    EXPECT_FALSE(Load(SmallRgb({}, 5)));
    // Interlaced rows are checked as well.
    ExpectFailure("Failed to properly read PNG image data.", kInvalidFormat);
    EXPECT_FALSE(Load(PngFile({Ihdr(1, 1, 8, 0, 1), Idat(Bytes({9, 0})), Iend()})));
}

TEST_F(StdPngTest, UndefinedDepthAndColourPairsPassTheHeaderButNotConversion)
{
    // Palette at 16 bits passes header validation; no bitmap format exists for it.
    ExpectFailure("Failed to properly read PNG image data.", kInvalidFormat);
    EXPECT_FALSE(Load(PngFile({Ihdr(1, 1, 16, 3), PngChunk("PLTE", QByteArray(3, 'x')), Idat(Bytes({0, 0, 0})),
                               Iend()})));
    ExpectFailure("Failed to properly read PNG image data.", kInvalidFormat);
    EXPECT_FALSE(Load(PngFile({Ihdr(4, 1, 4, 2), Idat(Bytes({0, 1, 2, 3, 4, 5, 6})), Iend()})));
}

TEST_F(StdPngTest, AFailedLoadDiscardsThePreviousImage)
{
    ASSERT_TRUE(Load(SmallRgb()));
    ASSERT_NE(png.Handle(), nullptr);
    ExpectFailure("This is not a valid PNG file", kInvalidFormat);
    EXPECT_FALSE(Load(QByteArray(100, 'x')));
    EXPECT_EQ(png.Handle(), nullptr);
    EXPECT_EQ(png.hDC(), nullptr);
    EXPECT_EQ(png.Width(), 0);
    EXPECT_EQ(png.BitCount_BMP(), 0);
    EXPECT_TRUE(Load(SmallRgb()));  // and the object is usable again
}

// ---------------------------------------------------------------------------
// Chunks that load normally.

TEST_F(StdPngTest, UnknownAndEmptyChunksAreSkipped)
{
    EXPECT_TRUE(Load(SmallRgb({PngChunk("zzZz", QByteArray("anything")), PngChunk("abCd", QByteArray()),
                               PngChunk("iCCP", QByteArray("x\0\0", 3), true), PngChunk("IDAT", QByteArray())})));
    EXPECT_EQ(At(0, 0), MakePixel(255, 0, 0));
    // Bytes after IEND are ignored.
    EXPECT_TRUE(Load(SmallRgb() + QByteArray("trailing rubbish")));
}

TEST_F(StdPngTest, ImageDataMaySpanManyChunks)
{
    const QByteArray idat = Idat(RawRows({QByteArray("\xff\0\0\0\xff\0", 6), QByteArray("\0\0\xff\xff\xff\xff", 6)}));
    const QByteArray data = idat.mid(8, idat.size() - 12);
    std::vector<QByteArray> chunks{Ihdr(2, 2, 8, 2)};
    for (int i = 0; i < data.size(); ++i)
        chunks.push_back(PngChunk("IDAT", data.mid(i, 1)));
    chunks.push_back(Iend());
    ASSERT_TRUE(Load(PngFile(chunks)));
    EXPECT_EQ(At(1, 1), MakePixel(255, 255, 255));
}

TEST_F(StdPngTest, ShortImageDataIsRefused)
{
    // A complete zlib stream holding only the first of three rows: the
    // picture is damaged, not black at the bottom.
    ExpectFailure("This PNG file is not compressed correctly.", kInvalidFormat);
    EXPECT_FALSE(Load(PngFile({Ihdr(2, 3, 8, 2), Idat(RawRows({QByteArray(6, '\x40')})), Iend()})));
    EXPECT_EQ(png.Handle(), nullptr);
    EXPECT_EQ(png.LastError(), QStringLiteral("This PNG file is not compressed correctly."));
}

TEST_F(StdPngTest, ChunksBeforeTheHeaderDoNotUseThePreviousImage)
{
    // After a palette image, a grey file with a PLTE ahead of its IHDR keeps
    // ignoring that PLTE (a new load starts from an empty header).
    ASSERT_TRUE(Load(PngFile({Ihdr(1, 1, 8, 3), PngChunk("PLTE", Bytes({1, 2, 3})), Idat(Bytes({0, 0})), Iend()})));
    EXPECT_TRUE(Load(PngFile({PngChunk("PLTE", QByteArray(10, 'x')), Ihdr(1, 1, 8, 0), Idat(Bytes({0, 7})), Iend()})));
    EXPECT_EQ(At(0, 0), MakePixel(7, 7, 7));
}

// ---------------------------------------------------------------------------
// Pixels and formats.

TEST_F(StdPngTest, RgbaIsPremultipliedInBgraOrder)
{
    png.SetTransparentStyle(-1);
    ASSERT_TRUE(Load(RgbaPng(3, 1, {200, 100, 50, 128, 10, 20, 30, 0, 1, 2, 3, 255})));
    EXPECT_EQ(png.BitCount_BMP(), 32);
    const uint8_t *bytes = png.Handle()->Bits();
    EXPECT_EQ(bytes[0], 25);   // blue
    EXPECT_EQ(bytes[1], 50);   // green
    EXPECT_EQ(bytes[2], 100);  // red
    EXPECT_EQ(bytes[3], 128);
    EXPECT_EQ(At(1, 0), 0u);  // alpha 0: all zero
    EXPECT_EQ(At(2, 0), MakePixel(1, 2, 3, 255));
}

TEST_F(StdPngTest, OutputFormatsAndColourTables)
{
    png.SetTransparentStyle(-1);
    struct Case {
        int depth, colorType, bitCount, pngBits;
    };
    for (const Case c : {Case{1, 0, 1, 1}, Case{2, 0, 4, 2}, Case{4, 0, 4, 4}, Case{8, 0, 8, 8}, Case{16, 0, 8, 16},
                         Case{8, 2, 24, 24}, Case{16, 2, 24, 48}, Case{1, 3, 1, 1}, Case{2, 3, 4, 2}, Case{4, 3, 4, 4},
                         Case{8, 3, 8, 8}, Case{8, 4, 32, 16}, Case{16, 4, 32, 32}, Case{8, 6, 32, 32},
                         Case{16, 6, 64 / 2, 64}}) {
        const int rowBytes = (3 * c.pngBits + 7) / 8;
        std::vector<QByteArray> chunks{Ihdr(3, 1, c.depth, c.colorType)};
        if (c.colorType == 3)
            chunks.push_back(PngChunk("PLTE", QByteArray(3 * 16, '\x33')));
        chunks.push_back(Idat(RawRows({QByteArray(rowBytes, '\0')})));
        chunks.push_back(Iend());
        ASSERT_TRUE(Load(PngFile(chunks))) << c.depth << "/" << c.colorType;
        EXPECT_EQ(png.BitCount_BMP(), c.bitCount) << c.depth << "/" << c.colorType;
        EXPECT_EQ(png.BitCount_PNG(), c.pngBits);
        EXPECT_EQ(png.ScanLineWidth(), ((3 * c.bitCount + 31) & ~31) / 8);
        const auto &table = png.Handle()->ColorTable();
        if (c.colorType == 3)
            EXPECT_EQ(table.size(), std::min<std::size_t>(16, std::size_t(1) << c.bitCount));
        else if (c.bitCount <= 8)
            EXPECT_EQ(table.size(), c.depth == 2 ? 4u : std::size_t(1) << c.bitCount);
        else
            EXPECT_TRUE(table.empty());
    }
    // The 2-bit grey table: black, 0x555555, 0xAAAAAA, white.
    ASSERT_TRUE(Load(PngFile({Ihdr(4, 1, 2, 0), Idat(RawRows({Bytes({0x1B})})), Iend()})));
    const std::vector<Pixel> grey2{MakePixel(0, 0, 0), MakePixel(0x55, 0x55, 0x55), MakePixel(0xAA, 0xAA, 0xAA),
                                   MakePixel(255, 255, 255)};
    EXPECT_EQ(png.Handle()->ColorTable(), grey2);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(At(x, 0), grey2[std::size_t(x)]);
}

TEST_F(StdPngTest, HostilePaletteIndicesAndTables)
{
    png.SetTransparentStyle(-1);
    // Two palette entries; index 1 has alpha 0x80, index 5 lies beyond the
    // palette; the tRNS table is longer than the palette and is cut.
    const QByteArray file = PngFile({Ihdr(3, 1, 8, 3), PngChunk("PLTE", Bytes({10, 20, 30, 200, 100, 50})),
                                     PngChunk("tRNS", Bytes({255, 0x80, 0x00, 0x00})), Idat(RawRows({Bytes({1, 5, 0})})),
                                     Iend()});
    ASSERT_TRUE(Load(file));
    EXPECT_EQ(png.BitCount_BMP(), 32);
    EXPECT_EQ(At(0, 0), MakePixel(100, 50, 25, 0x80));
    EXPECT_EQ(At(1, 0), MakePixel(0, 0, 0, 255));
    EXPECT_EQ(At(2, 0), MakePixel(10, 20, 30, 255));
    // A palette image without any PLTE decodes to black.
    ASSERT_TRUE(Load(PngFile({Ihdr(2, 1, 4, 3), Idat(RawRows({Bytes({0x3F})})), Iend()})));
    EXPECT_EQ(At(1, 0), MakePixel(0, 0, 0));
}

TEST_F(StdPngTest, ColourKeysCompareAllSixteenBits)
{
    png.SetTransparentStyle(-1);
    // RGB 16: first pixel equals the key exactly, the second only in its high bytes.
    const QByteArray row = Bytes({0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0x12, 0x00, 0x56, 0x78, 0x9A, 0xBC});
    ASSERT_TRUE(Load(PngFile({Ihdr(2, 1, 16, 2), PngChunk("tRNS", Bytes({0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC})),
                              Idat(RawRows({row})), Iend()})));
    EXPECT_EQ(png.BitCount_BMP(), 32);
    EXPECT_EQ(At(0, 0), 0u);
    EXPECT_EQ(At(1, 0), MakePixel(0x12, 0x56, 0x9A, 255));
    // Grey 16 likewise.
    ASSERT_TRUE(Load(PngFile({Ihdr(2, 1, 16, 0), PngChunk("tRNS", Bytes({0xAB, 0xCD})),
                              Idat(RawRows({Bytes({0xAB, 0xCD, 0xAB, 0xCE})})), Iend()})));
    EXPECT_EQ(At(0, 0), 0u);
    EXPECT_EQ(At(1, 0), MakePixel(0xAB, 0xAB, 0xAB, 255));
    // Grey 4 bits: the key names a sample value.
    ASSERT_TRUE(Load(PngFile({Ihdr(2, 1, 4, 0), PngChunk("tRNS", Bytes({0, 0x0F})),
                              Idat(RawRows({Bytes({0xF7})})), Iend()})));
    EXPECT_EQ(At(0, 0), 0u);
    EXPECT_EQ(At(1, 0), MakePixel(0x77, 0x77, 0x77, 255));
    // A tRNS too short for its colour type is dropped.
    ASSERT_TRUE(Load(PngFile({Ihdr(1, 1, 8, 2), PngChunk("tRNS", Bytes({0, 1, 0, 2})),
                              Idat(RawRows({Bytes({1, 2, 3})})), Iend()})));
    EXPECT_EQ(png.BitCount_BMP(), 24);
}

TEST_F(StdPngTest, InterlacedImagesOfEverySmallSize)
{
    png.SetTransparentStyle(-1);
    // Sizes 1 x 1 (six empty passes) to 9 x 9: every pixel gets its own value.
    for (int size = 1; size <= 9; ++size) {
        std::vector<uint8_t> rgba;
        for (int i = 0; i < size * size; ++i)
            rgba.insert(rgba.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7), 255});
        // Build the Adam7 stream by hand: pass by pass, filter 0.
        QByteArray raw;
        const int xs[7] = {0, 4, 0, 2, 0, 1, 0}, ys[7] = {0, 0, 4, 0, 2, 0, 1};
        const int dx[7] = {8, 8, 4, 4, 2, 2, 1}, dy[7] = {8, 8, 8, 4, 4, 2, 2};
        for (int p = 0; p < 7; ++p) {
            for (int y = ys[p]; y < size; y += dy[p]) {
                QByteArray row;
                for (int x = xs[p]; x < size; x += dx[p])
                    row.append(reinterpret_cast<const char *>(&rgba[std::size_t(y * size + x) * 4]), 4);
                if (!row.isEmpty())
                    raw += char(0) + row;
            }
        }
        ASSERT_TRUE(Load(PngFile({Ihdr(size, size, 8, 6, 1), Idat(raw), Iend()}))) << size;
        EXPECT_TRUE(png.IsInterlaced());
        for (int i = 0; i < size * size; ++i)
            ASSERT_EQ(At(i % size, i / size), MakePixel(uint8_t(i), uint8_t(255 - i), uint8_t(i * 7))) << size;
    }
}

// ---------------------------------------------------------------------------
// Decoding straight to the shown size.

namespace {

// width x height RGB pixels of noise, every row with the given filter byte
// (the bytes are taken as they are, so any filter gives a valid file).
QByteArray NoiseRgb(int width, int height, uint8_t filter, int interlace = 0)
{
    std::vector<QByteArray> rows;
    uint32_t seed = 99;
    const int rowCount = interlace ? 0 : height;
    for (int y = 0; y < rowCount; ++y) {
        QByteArray row(width * 3, '\0');
        for (char &c : row) {
            seed = seed * 1664525u + 1013904223u;
            c = char(seed >> 24);
        }
        rows.push_back(row);
    }
    if (interlace) {
        // Adam7 rows, pass by pass (x start, x step, y start, y step), each
        // with filter 0 and one grey.
        QByteArray raw;
        static constexpr int kPass[7][4] = {{0, 8, 0, 8}, {4, 8, 0, 8}, {0, 4, 4, 8}, {2, 4, 0, 4},
                                            {0, 2, 2, 4}, {1, 2, 0, 2}, {0, 1, 1, 2}};
        for (const auto &p : kPass) {
            const int w = (width - p[0] + p[1] - 1) / p[1], h = (height - p[2] + p[3] - 1) / p[3];
            for (int y = 0; w > 0 && y < h; ++y)
                raw += '\0' + QByteArray(w * 3, '\x40');
        }
        return PngFile({Ihdr(width, height, 8, 2, 1), Idat(raw), Iend()});
    }
    return PngFile({Ihdr(width, height, 8, 2), Idat(RawRows(rows, filter)), Iend()});
}

long PeakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toLong();
    return -1;
}

}  // namespace

TEST_F(StdPngTest, APictureShownSmallerIsDecodedAtTheShownSize)
{
    for (const uint8_t filter : {uint8_t(0), uint8_t(1), uint8_t(4)}) {
        SCOPED_TRACE(int(filter));
        const QByteArray file = NoiseRgb(301, 203, filter);
        ASSERT_TRUE(Load(file));
        const Bitmap whole = *png.Handle();
        Bitmap expected(97, 61, 24);
        ASSERT_TRUE(StretchBlt(expected, 0, 0, 97, 61, whole, 0, 0, 301, 203, StretchMode::Halftone));

        QSize asked;
        png.SetShownSize([&asked](QSize stored) {
            asked = stored;
            return QSize(97, 61);
        });
        ASSERT_TRUE(Load(file));
        EXPECT_EQ(asked, QSize(301, 203));
        EXPECT_EQ(png.Width(), 301);  // the stored size is still told
        EXPECT_EQ(png.Height(), 203);
        ASSERT_EQ(png.Handle()->Width(), 97);
        EXPECT_TRUE(*png.Handle() == expected);
        png.SetShownSize({});
    }

    // Not reduced: a shown size as large as the picture one way, an
    // interlaced picture, a picture with transparency kept.
    const auto shown = [](QSize size) { return [size](QSize) { return size; }; };
    png.SetShownSize(shown(QSize(400, 100)));
    ASSERT_TRUE(Load(NoiseRgb(301, 203, 0)));
    EXPECT_EQ(png.Handle()->Width(), 301);
    png.SetShownSize(shown(QSize(50, 50)));
    ASSERT_TRUE(Load(NoiseRgb(301, 203, 0, 1)));
    EXPECT_EQ(png.Handle()->Width(), 301);
    png.SetTransparentStyle(kPngKeepAlpha);
    ASSERT_TRUE(Load(RgbaPng(3, 1, {200, 100, 50, 128, 10, 20, 30, 0, 1, 2, 3, 255})));
    EXPECT_EQ(png.Handle()->Width(), 3);
}

TEST_F(StdPngTest, ALargePictureShownSmallNeverExistsAtFullSize)
{
    // 6000 x 4000 RGB, 72 MB of image data and 96 MB as a whole bitmap,
    // decoded to 1920 x 1280 (9.4 MiB).
    const int width = 6000, height = 4000;
    std::vector<QByteArray> rows(std::size_t(height), QByteArray(width * 3, '\x55'));
    const QString path = WriteTestFile("large.png", PngFile({Ihdr(width, height, 8, 2), Idat(RawRows(rows)), Iend()}));
    rows.clear();
    rows.shrink_to_fit();
    png.SetShownSize([](QSize) { return QSize(1920, 1280); });

    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        GTEST_SKIP() << "the peak resident size cannot be reset here";
    clear.close();
    const long before = PeakResidentKiB();
    ASSERT_TRUE(png.LoadFile(path, true));
    const long grown = PeakResidentKiB() - before;
    ASSERT_EQ(png.Handle()->Width(), 1920);
    EXPECT_EQ(png.Handle()->At(1000, 1000), MakePixel(0x55, 0x55, 0x55));
    // The reduced picture and a few rows, not the whole picture or its data.
    EXPECT_LT(grown, 40 * 1024) << grown << " KiB";
}
