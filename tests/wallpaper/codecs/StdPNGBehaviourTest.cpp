// StdPNG: transparency styles, properties, Paint and the events of a load.
#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <stdexcept>
#include <vector>

#include "platform/raster/DeviceContext.h"
#include "tests/support/FixedSystemColors.h"
#include "tests/wallpaper/codecs/StdPngFixture.h"

using namespace pellimore;
using namespace pellimore::test;

// ---------------------------------------------------------------------------
// Transparency policy.

TEST_F(StdPngTest, DefaultStyleFlattensOntoBlack)
{
    EXPECT_EQ(png.TransparentStyle(), 0);
    ASSERT_TRUE(Load(RgbaPng(1, 1, {200, 100, 50, 128})));
    EXPECT_EQ(png.BitCount_BMP(), 24);
    EXPECT_EQ(At(0, 0), MakePixel(100, 50, 25));
}

TEST_F(StdPngTest, StyleFourFlattensOntoTheFileBackgroundOrWhite)
{
    png.SetTransparentStyle(-4);
    ASSERT_TRUE(Load(RgbaPng(2, 1, {200, 100, 50, 128, 9, 9, 9, 0})));
    EXPECT_EQ(png.BitCount_BMP(), 24);
    EXPECT_EQ(At(0, 0), MakePixel(227, 177, 152));
    EXPECT_EQ(At(1, 0), MakePixel(255, 255, 255));
    // With bKGD (16-bit samples count by their high byte).
    ASSERT_TRUE(Load(PngFile({Ihdr(1, 1, 16, 6), PngChunk("bKGD", Bytes({0x20, 0x01, 0x40, 0x02, 0x60, 0x03})),
                              Idat(RawRows({QByteArray(8, '\0')})), Iend()})));
    EXPECT_EQ(At(0, 0), MakePixel(0x20, 0x40, 0x60));
    // A grey bKGD of a 2-bit image is widened like its samples.
    ASSERT_TRUE(Load(PngFile({Ihdr(1, 1, 2, 0), PngChunk("tRNS", Bytes({0, 1})), PngChunk("bKGD", Bytes({0, 2})),
                              Idat(RawRows({Bytes({0x40})})), Iend()})));
    EXPECT_EQ(At(0, 0), MakePixel(0xAA, 0xAA, 0xAA));
    // A palette bKGD names an entry; one beyond the palette is dropped (white).
    const QByteArray plte = PngChunk("PLTE", Bytes({1, 2, 3, 4, 5, 6}));
    const QByteArray trns = PngChunk("tRNS", Bytes({0}));
    ASSERT_TRUE(Load(PngFile({Ihdr(1, 1, 8, 3), plte, trns, PngChunk("bKGD", Bytes({1})), Idat(RawRows({Bytes({0})})),
                              Iend()})));
    EXPECT_EQ(At(0, 0), MakePixel(4, 5, 6));
    ASSERT_TRUE(Load(PngFile({Ihdr(1, 1, 8, 3), plte, trns, PngChunk("bKGD", Bytes({9})), Idat(RawRows({Bytes({0})})),
                              Iend()})));
    EXPECT_EQ(At(0, 0), MakePixel(255, 255, 255));
    // A constant alpha below 255 blends the picture half over the background.
    ASSERT_TRUE(Load(RgbaPng(1, 1, {0, 0, 0, 255}), true, false, 128));
    EXPECT_EQ(png.BitCount_BMP(), 24);
    EXPECT_NEAR(PixelRed(At(0, 0)), 127, 1);
}

TEST_F(StdPngTest, StyleTwoIgnoresTransparency)
{
    png.SetTransparentStyle(-2);
    ASSERT_TRUE(Load(RgbaPng(2, 1, {200, 100, 50, 128, 9, 8, 7, 0})));
    EXPECT_EQ(png.BitCount_BMP(), 24);
    EXPECT_EQ(At(0, 0), MakePixel(200, 100, 50));
    EXPECT_EQ(At(1, 0), MakePixel(9, 8, 7));
    // A palette image with tRNS stays a palette bitmap.
    ASSERT_TRUE(Load(PngFile({Ihdr(1, 1, 8, 3), PngChunk("PLTE", Bytes({1, 2, 3})), PngChunk("tRNS", Bytes({0})),
                              Idat(RawRows({Bytes({0})})), Iend()})));
    EXPECT_EQ(png.BitCount_BMP(), 8);
    EXPECT_EQ(At(0, 0), MakePixel(1, 2, 3));
    // Make32Bit keeps 32 bits, still opaque.
    ASSERT_TRUE(Load(RgbaPng(1, 1, {200, 100, 50, 0}), true, true));
    EXPECT_EQ(png.BitCount_BMP(), 32);
    EXPECT_EQ(At(0, 0), MakePixel(200, 100, 50, 255));
}

TEST_F(StdPngTest, StyleThreeShowsKeyedPixelsInTheirStoredColour)
{
    png.SetTransparentStyle(-3);
    const QByteArray row = Bytes({0x10, 0x20, 0x30, 0x50, 0x60, 0x70});
    ASSERT_TRUE(Load(PngFile({Ihdr(2, 1, 8, 2), PngChunk("tRNS", Bytes({0, 0x10, 0, 0x20, 0, 0x30})),
                              Idat(RawRows({row})), Iend()})));
    EXPECT_EQ(png.BitCount_BMP(), 24);
    EXPECT_EQ(At(0, 0), MakePixel(0x10, 0x20, 0x30));
    EXPECT_EQ(At(1, 0), MakePixel(0x50, 0x60, 0x70));
    // A 1-bit grey key of 1 is white, as its pixels are.
    ASSERT_TRUE(Load(PngFile({Ihdr(2, 1, 1, 0), PngChunk("tRNS", Bytes({0, 1})), Idat(RawRows({Bytes({0x80})})),
                              Iend()})));
    EXPECT_EQ(At(0, 0), MakePixel(255, 255, 255));
    EXPECT_EQ(At(1, 0), MakePixel(0, 0, 0));
    // Alpha channels are taken as opaque.
    ASSERT_TRUE(Load(RgbaPng(1, 1, {200, 100, 50, 0})));
    EXPECT_EQ(png.BitCount_BMP(), 24);
    EXPECT_EQ(At(0, 0), MakePixel(200, 100, 50));
}

TEST_F(StdPngTest, ColourStylesFlattenOntoThatColour)
{
    png.SetTransparentStyle(int32_t(Rgb(0, 0, 200)));
    ASSERT_TRUE(Load(RgbaPng(1, 1, {0, 0, 0, 0})));
    EXPECT_EQ(At(0, 0), MakePixel(0, 0, 200));
    // System colours go through the resolver.
    const FixedSystemColors sysColors([](int) { return Rgb(1, 2, 3); });
    StdPNG::Options options;
    options.systemColors = &sysColors;
    StdPNG system(ui, options);
    system.SetTransparentStyle(int32_t(0x80000005u));
    ASSERT_TRUE(system.LoadFile(WriteTestFile("sys.png", RgbaPng(1, 1, {0, 0, 0, 0}))));
    EXPECT_EQ(system.Handle()->At(0, 0), MakePixel(1, 2, 3));
    EXPECT_EQ(sysColors.Asked(), std::vector<int>{5});
    // Opaque images get no background at all.
    ASSERT_TRUE(Load(SmallRgb()));
    EXPECT_EQ(png.BitCount_BMP(), 24);
    EXPECT_EQ(At(0, 0), MakePixel(255, 0, 0));
}

// ---------------------------------------------------------------------------
// Properties.

TEST_F(StdPngTest, AncillaryValues)
{
    QByteArray chrm;
    for (uint32_t v : {31270u, 32900u, 64000u, 33000u, 30000u, 60000u, 15000u, 6000u})
        chrm += Be32(v);
    const QByteArray file = SmallRgb({PngChunk("gAMA", Be32(45455)), PngChunk("cHRM", chrm),
                                      PngChunk("sRGB", Bytes({2})), PngChunk("pHYs", Be32(2835) + Be32(5670) + Bytes({1})),
                                      PngChunk("oFFs", Be32(uint32_t(-20)) + Be32(30) + Bytes({0})),
                                      PngChunk("tIME", Be16(2004) + Bytes({2, 29, 23, 59, 58}))});
    ASSERT_TRUE(Load(file));
    EXPECT_DOUBLE_EQ(png.GammaCorrection(), 0.45455);
    ASSERT_EQ(png.Chromaticity().size(), 8u);
    EXPECT_DOUBLE_EQ(png.Chromaticity()[0], 0.3127);
    EXPECT_DOUBLE_EQ(png.Chromaticity()[7], 0.06);
    EXPECT_EQ(png.StdRGB(), 3);
    ASSERT_TRUE(png.AspectRatio());
    EXPECT_EQ(png.AspectRatio()->pixelsPerUnitX, 2835u);
    EXPECT_EQ(png.AspectRatio()->pixelsPerUnitY, 5670u);
    EXPECT_EQ(png.AspectRatio()->unit, 1);
    ASSERT_TRUE(png.Offsets());
    EXPECT_EQ(png.Offsets()->x, -20);
    EXPECT_EQ(png.Offsets()->y, 30);
    EXPECT_EQ(png.LastModified(), QDateTime(QDate(2004, 2, 29), QTime(23, 59, 58), Qt::UTC));
    EXPECT_EQ(png.Width(), 2);
    EXPECT_EQ(png.Height(), 2);
    EXPECT_EQ(png.ColorType(), 2);
    EXPECT_FALSE(png.IsInterlaced());

    // Unusable chunks leave their values empty.
    ASSERT_TRUE(Load(SmallRgb({PngChunk("gAMA", Be32(1) + Bytes({0})), PngChunk("sRGB", Bytes({4})),
                               PngChunk("tIME", Be16(2004) + Bytes({13, 1, 0, 0, 0})), PngChunk("pHYs", Be32(1))})));
    EXPECT_EQ(png.GammaCorrection(), 0.0);
    EXPECT_EQ(png.StdRGB(), 0);
    EXPECT_FALSE(png.LastModified().isValid());
    EXPECT_FALSE(png.AspectRatio());
    EXPECT_TRUE(png.Chromaticity().empty());
}

TEST_F(StdPngTest, InformativeChunkCrcsCountOnlyWhenValidating)
{
    const QByteArray file = SmallRgb({PngChunk("gAMA", Be32(45455), true), PngChunk("tEXt", QByteArray("A\0b", 3), true)});
    ASSERT_TRUE(Load(file, true));
    EXPECT_EQ(png.GammaCorrection(), 0.0);
    EXPECT_EQ(png.Comments("none"), "none");
    ASSERT_TRUE(Load(file, false));
    EXPECT_DOUBLE_EQ(png.GammaCorrection(), 0.45455);
    EXPECT_EQ(png.Comments(), "A: b");
    // tRNS is always checked: a broken one is dropped, even without validation.
    png.SetTransparentStyle(-1);
    ASSERT_TRUE(Load(SmallRgb({PngChunk("tRNS", Bytes({0, 255, 0, 0, 0, 0}), true)}), false));
    EXPECT_EQ(png.BitCount_BMP(), 24);
}

TEST_F(StdPngTest, CommentsListTheTextChunks)
{
    const QByteArray compressed = Idat(QByteArray("line one\nline two\r\nthree\rfour")).mid(8);
    const QByteArray ztxtData = QByteArray("Comment\0\0", 9) + compressed.left(compressed.size() - 4);
    const QByteArray file = SmallRgb({
        PngChunk("tEXt", QByteArray("Title\0A picture", 15)),
        PngChunk("tEXt", QByteArray("\0no keyword", 11)),
        PngChunk("tEXt", QByteArray(90, 'k') + QByteArray("\0late nul", 9)),
        PngChunk("zTXt", ztxtData),
        PngChunk("zTXt", QByteArray("Other\0\1xxxx", 11)),  // unknown compression method
        PngChunk("tEXt", QByteArray("Nul\0a\0b", 7)),
        PngChunk("tEXt", QByteArray("Author\0\xe9t\xe9", 10)),  // Latin-1
    });
    ASSERT_TRUE(Load(file));
    EXPECT_EQ(png.Comments("ignored"), QString("Title: A picture\r\nComment: line one\r\nline two\r\nthree\r\nfour\r\n"
                                               "Nul: a b\r\nAuthor: \u00e9t\u00e9"));
    ASSERT_TRUE(Load(SmallRgb()));
    EXPECT_EQ(png.Comments("No comments"), "No comments");
    EXPECT_EQ(png.Comments(), QString());
}

TEST_F(StdPngTest, WritingThePaletteRecoloursAPaletteBitmap)
{
    ASSERT_TRUE(Load(PngFile({Ihdr(2, 2, 2, 3), PngChunk("PLTE", Bytes({1, 1, 1, 2, 2, 2, 3, 3, 3})),
                              Idat(RawRows({Bytes({0x40}), Bytes({0x80})})), Iend()})));
    EXPECT_EQ(png.Palette(), Bytes({1, 1, 1, 2, 2, 2, 3, 3, 3}));
    EXPECT_EQ(png.BitCount_BMP(), 4);
    png.SetPalette(Bytes({10, 0, 0, 20, 0, 0, 30, 0, 0}));
    EXPECT_EQ(png.Palette(), Bytes({10, 0, 0, 20, 0, 0, 30, 0, 0}));
    EXPECT_EQ(At(0, 0), MakePixel(20, 0, 0));
    EXPECT_EQ(At(1, 0), MakePixel(10, 0, 0));
    EXPECT_EQ(At(0, 1), MakePixel(30, 0, 0));
    EXPECT_EQ(png.Handle()->ColorTable().size(), 3u);
    // Partial entries are refused.
    png.SetPalette(Bytes({1, 2}));
    EXPECT_EQ(png.Palette().size(), 9);
}

TEST_F(StdPngTest, ProgressiveDisplayValuesAboveSixAreIgnored)
{
    png.SetProgressiveDisplay(6);
    png.SetProgressiveDisplay(7);
    EXPECT_EQ(png.ProgressiveDisplay(), 6);
}

// ---------------------------------------------------------------------------
// Paint and the own device context.

TEST_F(StdPngTest, PaintCopiesOpaqueAndBlendsThirtyTwoBitImages)
{
    Bitmap canvas(6, 6, 24);
    canvas.Fill(MakePixel(0, 0, 100));
    DeviceContext dc(canvas);
    ASSERT_TRUE(Load(SmallRgb()));
    png.Paint(dc, 1, 1);
    EXPECT_EQ(canvas.At(1, 1), MakePixel(255, 0, 0));
    EXPECT_EQ(canvas.At(2, 2), MakePixel(255, 255, 255));
    EXPECT_EQ(canvas.At(3, 3), MakePixel(0, 0, 100));
    // Stretched to 4 x 4 from the block (1, 0, 1, 2): the right column only.
    png.Paint(dc, 2, 2, 4, 4, nullptr, 1, 0, 1, 2);
    EXPECT_EQ(canvas.At(5, 2), MakePixel(0, 255, 0));
    EXPECT_EQ(canvas.At(2, 5), MakePixel(255, 255, 255));
    // Negative sizes draw nothing.
    canvas.Fill(0);
    png.Paint(dc, 0, 0, -2, 0);
    EXPECT_EQ(canvas.At(0, 0), 0u);

    png.SetTransparentStyle(-1);
    ASSERT_TRUE(Load(RgbaPng(1, 1, {200, 100, 50, 128})));
    canvas.Fill(MakePixel(0, 0, 0));
    png.Paint(dc, 0, 0);
    EXPECT_EQ(canvas.At(0, 0) & 0xFFFFFF, MakePixel(100, 50, 25) & 0xFFFFFF);
    canvas.Fill(MakePixel(0, 0, 0));
    png.Paint(dc, 0, 0, 0, 0, nullptr, 0, 0, 0, 0, 0);  // constant alpha 0: nothing shows
    EXPECT_EQ(canvas.At(0, 0) & 0xFFFFFF, 0u);
}

TEST_F(StdPngTest, WithoutTheOwnContextPaintNeedsAForeignSource)
{
    Bitmap canvas(2, 2, 24);
    DeviceContext dc(canvas);
    png.SetHasOwnDC(false);
    ASSERT_TRUE(Load(SmallRgb()));
    EXPECT_FALSE(png.HasOwnDC());
    EXPECT_EQ(png.hDC(), nullptr);
    ASSERT_NE(png.Handle(), nullptr);
    png.Paint(dc, 0, 0);
    EXPECT_EQ(canvas.At(0, 0), 0u);
    // A source context of the host's own.
    Bitmap other(2, 2, 24);
    other.Fill(MakePixel(9, 9, 9));
    DeviceContext otherDc(other);
    png.Paint(dc, 0, 0, 0, 0, &otherDc);
    EXPECT_EQ(canvas.At(1, 1), MakePixel(9, 9, 9));
    // Switching the context on again draws the image.
    png.SetHasOwnDC(true);
    ASSERT_NE(png.hDC(), nullptr);
    EXPECT_EQ(&png.hDC()->Target(), png.Handle());
    png.Paint(dc, 0, 0);
    EXPECT_EQ(canvas.At(0, 0), MakePixel(255, 0, 0));
}

// ---------------------------------------------------------------------------
// Events and the state of a running load.

TEST_F(StdPngTest, ProgressRunsFromZeroToHundredInBlocksOfSixteenRows)
{
    std::vector<int> seen;
    events.progress = [&](int percentage) { seen.push_back(percentage); };
    ASSERT_TRUE(Load(PngFile({Ihdr(1, 40, 8, 0), Idat(RawRows(std::vector<QByteArray>(40, Bytes({1})))), Iend()})));
    EXPECT_EQ(seen, (std::vector<int>{0, 40, 80, 100}));
}

TEST_F(StdPngTest, ALoadInProgressRefusesAnotherAndHidesItsProperties)
{
    png.SetTransparentStyle(-1);
    const QString path = WriteTestFile("busy.png", RgbaPng(1, 20, std::vector<uint8_t>(80, 200)));
    std::vector<int> widths;
    std::vector<bool> nested;
    events.progress = [&](int percentage) {
        widths.push_back(png.Width());
        nested.push_back(png.LoadFile(path));
        if (percentage > 0)
            png.SetTransparentStyle(-2);  // ignored while the pixels are resolved
    };
    ASSERT_TRUE(png.LoadFile(path));
    // Progress 0 comes before the policy is resolved; the rest after.
    EXPECT_EQ(widths, (std::vector<int>{1, 0, 0}));
    EXPECT_EQ(nested, (std::vector<bool>{false, false, false}));
    EXPECT_EQ(png.TransparentStyle(), -1);
    EXPECT_EQ(png.Width(), 1);
    EXPECT_EQ(png.BitCount_BMP(), 32);
}

TEST_F(StdPngTest, AnEventHandlerThatThrowsEndsTheLoadButNotTheObject)
{
    events.progress = [](int percentage) {
        if (percentage > 0)
            throw std::runtime_error("host gave up");
    };
    EXPECT_THROW(Load(SmallRgb()), std::runtime_error);
    EXPECT_EQ(png.Handle(), nullptr);
    events.progress = nullptr;
    EXPECT_TRUE(Load(SmallRgb()));
}

TEST_F(StdPngTest, TheStateIsClearedAfterAFailureDuringDecoding)
{
    events.progress = [&](int) {};
    ExpectFailure("Failed to properly read PNG image data.", kInvalidFormat);
    EXPECT_FALSE(Load(SmallRgb({}, 7)));
    EXPECT_TRUE(Load(SmallRgb()));
}

TEST(StdPngProgressive, RowsArePaintedIntoTheHostsDestinationWhileDecoding)
{
    ScriptedUi ui;
    StdPNG::Options options;
    options.screenSize = QSize(300, 300);
    StdPNG png(ui, options);
    FunctionPngEvents events;
    png.SetEvents(&events);
    Bitmap screen(40, 40, 24);
    screen.Fill(MakePixel(0, 0, 255));
    DeviceContext screenDc(screen);
    ProgressiveDisplayArgs offered;
    std::vector<std::pair<Pixel, Pixel>> seen;  // column 2 of rows 0 and 16 at each Progress
    png.SetTransparentStyle(-1);
    events.display = [&](ProgressiveDisplayArgs &args) {
        offered = args;
        args.destinationDC = &screenDc;
        args.destX = 3;
        args.destY = 4;
        args.useProgression = true;
    };
    events.progress = [&](int) { seen.emplace_back(screen.At(5, 4), screen.At(5, 4 + 16)); };
    std::vector<uint8_t> rgba;
    for (int i = 0; i < 17 * 20; ++i)
        rgba.insert(rgba.end(), {uint8_t(i), 50, 60, uint8_t(i % 3 ? 255 : 0)});
    ASSERT_TRUE(png.LoadFile(WriteTestFile("p.png", RgbaPng(17, 20, rgba, {PngChunk("bKGD", Be16(1) + Be16(2) + Be16(3))})),
                             true));
    EXPECT_EQ(offered.Width, 17);
    EXPECT_EQ(offered.Height, 20);
    EXPECT_TRUE(offered.AlphaPng);
    EXPECT_FALSE(offered.IsInterlaced);
    EXPECT_EQ(offered.WinBkgColor, std::optional<ColorRef>(Rgb(1, 2, 3)));
    EXPECT_FALSE(offered.useProgression);  // smaller than a third of the screen
    // Each block of 16 rows is painted after its Progress: row 0 with the
    // first block, row 16 with the second.
    const Pixel blue = MakePixel(0, 0, 255);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[1], std::make_pair(blue, blue));
    EXPECT_NE(seen[2].first, blue);
    EXPECT_EQ(seen[2].second, blue);
    EXPECT_NE(screen.At(5, 4 + 16), blue);
    // What was painted equals painting the result afterwards.
    Bitmap expected(40, 40, 24);
    expected.Fill(MakePixel(0, 0, 255));
    DeviceContext expectedDc(expected);
    png.Paint(expectedDc, 3, 4);
    EXPECT_EQ(screen, expected);
}

TEST(StdPngProgressive, InterlacedFilesShowCoarseFirstAndEndExact)
{
    ScriptedUi ui;
    StdPNG png(ui);
    FunctionPngEvents events;
    png.SetEvents(&events);
    for (uint8_t variant : {uint8_t(0), uint8_t(2)}) {
        png.SetProgressiveDisplay(variant);
        Bitmap screen(16, 16, 24);
        DeviceContext screenDc(screen);
        bool offeredProgression = false;
        events.display = [&](ProgressiveDisplayArgs &args) {
            offeredProgression = args.useProgression;
            args.destinationDC = &screenDc;
        };
        // Each pass is painted after its Progress: look when the second pass reports.
        std::vector<Pixel> afterFirstPass;
        int reports = 0;
        events.progress = [&](int percentage) {
            if (percentage > 0 && ++reports == 2)
                afterFirstPass.assign({screen.At(0, 0), screen.At(7, 7)});
        };
        // 8 x 8 grey: the first pass holds only pixel (0, 0), value 200.
        QByteArray raw;
        const int xs[7] = {0, 4, 0, 2, 0, 1, 0}, ys[7] = {0, 0, 4, 0, 2, 0, 1};
        const int dx[7] = {8, 8, 4, 4, 2, 2, 1}, dy[7] = {8, 8, 8, 4, 4, 2, 2};
        for (int p = 0; p < 7; ++p)
            for (int y = ys[p]; y < 8; y += dy[p]) {
                raw += char(0);
                for (int x = xs[p]; x < 8; x += dx[p])
                    raw += char(x == 0 && y == 0 ? 200 : x * 8 + y);
            }
        ASSERT_TRUE(png.LoadFile(WriteTestFile("i.png", PngFile({Ihdr(8, 8, 8, 0, 1), Idat(raw), Iend()}))));
        EXPECT_TRUE(offeredProgression);
        ASSERT_EQ(afterFirstPass.size(), 2u);
        EXPECT_EQ(afterFirstPass[0], MakePixel(200, 200, 200));
        // Replication fills the first block; the sparse variant leaves it.
        EXPECT_EQ(afterFirstPass[1], variant == 0 ? MakePixel(200, 200, 200) : Pixel(0));
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const uint8_t v = uint8_t(x == 0 && y == 0 ? 200 : x * 8 + y);
                ASSERT_EQ(png.Handle()->At(x, y), MakePixel(v, v, v));
                ASSERT_EQ(screen.At(x, y), MakePixel(v, v, v));
            }
    }
}
