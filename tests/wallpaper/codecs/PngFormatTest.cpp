// The decoder's stages on their own: size arithmetic, Adam7 geometry and the
// row filters (whose vector paths are checked against a plain reading of the
// PNG rules).
#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <random>
#include <vector>

#include "wallpaper/codecs/png/PngFilters.h"
#include "wallpaper/codecs/png/PngFormat.h"
#include "wallpaper/codecs/png/PngPixels.h"

using namespace pellimore;
using namespace pellimore::png;

namespace {

PngHeader Header(int32_t w, int32_t h, uint8_t depth, uint8_t colorType, uint8_t interlace)
{
    PngHeader header;
    header.width = w;
    header.height = h;
    header.bitDepth = depth;
    header.colorType = colorType;
    header.interlace = interlace;
    return header;
}

// Adam7 by definition: count the pixels of each pass by visiting them.
int64_t CountAdam7Bytes(int w, int h, int bits)
{
    int64_t total = 0;
    for (const Adam7Pass &p : kAdam7) {
        int64_t columns = 0, rows = 0;
        for (int x = p.xStart; x < w; x += p.xStep)
            ++columns;
        for (int y = p.yStart; y < h; y += p.yStep)
            ++rows;
        if (columns && rows)
            total += rows * ((columns * bits + 7) / 8 + 1);
    }
    return total;
}

// The filters as the format defines them, byte by byte.
void ReferenceUnfilter(uint8_t filter, uint8_t *row, const uint8_t *prior, std::size_t n, int bpp)
{
    for (std::size_t i = 0; i < n; ++i) {
        const int a = i >= std::size_t(bpp) ? row[i - bpp] : 0;
        const int b = prior[i];
        const int c = i >= std::size_t(bpp) ? prior[i - bpp] : 0;
        int predictor = 0;
        switch (filter) {
        case 1: predictor = a; break;
        case 2: predictor = b; break;
        case 3: predictor = (a + b) / 2; break;
        case 4: {
            const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            predictor = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
            break;
        }
        default: break;
        }
        row[i] = uint8_t(row[i] + predictor);
    }
}

using RowsFunction = bool (*)(uint8_t *, std::size_t, std::size_t, const uint8_t *, std::size_t, int);
using RowFunction = bool (*)(uint8_t, uint8_t *, const uint8_t *, std::size_t, int);
struct FilterBuild {
    const char *name;
    RowFunction row;
    RowsFunction rows;
};

// Every build of the filters this processor can run, and the chosen one.
std::vector<FilterBuild> FilterBuilds()
{
    std::vector<FilterBuild> builds{{"chosen", &UnfilterRow, &UnfilterRows},
                                    {"baseline", &baseline::UnfilterRow, &baseline::UnfilterRows}};
    if (Sse41FiltersAvailable())
        builds.push_back({"sse41", &sse41::UnfilterRow, &sse41::UnfilterRows});
    if (Avx2FiltersAvailable())
        builds.push_back({"avx2", &avx2::UnfilterRow, &avx2::UnfilterRows});
    return builds;
}

}  // namespace

TEST(PngFormat, ExpectedInflatedSizeCountsEveryRowAndPass)
{
    const int64_t limit = std::numeric_limits<int32_t>::max();
    for (int w = 1; w <= 19; ++w) {
        for (int h = 1; h <= 19; h += 3) {
            for (uint8_t depth : {1, 2, 4, 8, 16}) {
                for (uint8_t type : {0, 2, 3, 4, 6}) {
                    const int bits = depth * ChannelsOf(type);
                    EXPECT_EQ(ExpectedInflatedSize(Header(w, h, depth, type, 0), limit), h * ((w * bits + 7) / 8 + 1));
                    EXPECT_EQ(ExpectedInflatedSize(Header(w, h, depth, type, 1), limit), CountAdam7Bytes(w, h, bits))
                        << w << "x" << h;
                }
            }
        }
    }
    // Sizes that would wrap or pass the limit give nothing.
    EXPECT_FALSE(ExpectedInflatedSize(Header(0x7FFFFFFF, 0x7FFFFFFF, 16, 6, 0), limit));
    EXPECT_FALSE(ExpectedInflatedSize(Header(0x7FFFFFFF, 0x7FFFFFFF, 16, 6, 1), limit));
    EXPECT_FALSE(ExpectedInflatedSize(Header(100, 100, 8, 2, 0), 30000));
    EXPECT_FALSE(ExpectedInflatedSize(Header(0, 5, 8, 2, 0), limit));
    EXPECT_FALSE(CheckedMul(int64_t(1) << 40, int64_t(1) << 40, std::numeric_limits<int64_t>::max()));
    EXPECT_FALSE(CheckedAdd(std::numeric_limits<int64_t>::max(), 1, std::numeric_limits<int64_t>::max()));
    EXPECT_EQ(CheckedMul(0, std::numeric_limits<int64_t>::max(), 5), 0);
}

TEST(PngFormat, UnfilterMatchesTheDefinitionForEveryFilterAndPixelSize)
{
    std::mt19937 random(12345);
    for (const FilterBuild &build : FilterBuilds())
    for (int bpp : {1, 2, 3, 4, 6, 8}) {
        // Row lengths that end on and off whole pixels, and rows shorter than a pixel.
        for (std::size_t n : {std::size_t(1), std::size_t(bpp), std::size_t(bpp * 5), std::size_t(bpp * 37 + 1),
                              std::size_t(4096 * 3)}) {
            for (uint8_t filter = 0; filter <= 4; ++filter) {
                std::vector<uint8_t> prior(n), row(n);
                for (auto &b : prior)
                    b = uint8_t(random());
                for (auto &b : row)
                    b = uint8_t(random());
                std::vector<uint8_t> expected = row;
                ReferenceUnfilter(filter, expected.data(), prior.data(), n, bpp);
                ASSERT_TRUE(build.row(filter, row.data(), prior.data(), n, bpp));
                ASSERT_EQ(row, expected) << build.name << " bpp " << bpp << " n " << n << " filter " << int(filter);
            }
        }
    }
    std::vector<uint8_t> row(8), prior(8);
    EXPECT_FALSE(UnfilterRow(5, row.data(), prior.data(), row.size(), 3));
    EXPECT_FALSE(UnfilterRow(255, row.data(), prior.data(), row.size(), 1));
}

TEST(PngFormat, BlocksOfRowsMatchRowByRowUnfiltering)
{
    // Runs of Paeth rows (taken two and four at a time) mixed with the other
    // filters in every position of a group of four, widths from one pixel up
    // (ending inside and on a block of four pixels), for every pixel size.
    // Half the rows use bytes from a few values near 0, 128 and 255, where
    // the predictor's distances tie and its sums pass 255.
    const std::vector<uint8_t> filters = {4, 4, 4, 4, 4, 4, 4, 1, 4, 4, 3, 4, 2, 3, 3, 4,
                                          0, 4, 4, 4, 1, 1, 1, 1, 3, 3, 3, 3, 2, 0, 2, 4};
    const uint8_t edges[] = {0, 1, 2, 127, 128, 129, 253, 254, 255};
    std::mt19937 random(777);
    for (const FilterBuild &build : FilterBuilds())
    for (int bpp : {1, 2, 3, 4, 6, 8}) {
        for (std::size_t pixels : {1, 2, 3, 4, 5, 6, 7, 8, 9, 333, 1024}) {
            for (bool ties : {false, true}) {
                const std::size_t n = pixels * std::size_t(bpp), stride = n + 1, count = filters.size();
                auto next = [&] { return ties ? edges[random() % std::size(edges)] : uint8_t(random()); };
                std::vector<uint8_t> rows(stride * count);
                for (auto &b : rows)
                    b = next();
                for (std::size_t r = 0; r < count; ++r)
                    rows[r * stride] = filters[r];
                std::vector<uint8_t> prior(n);
                for (auto &b : prior)
                    b = next();
                std::vector<uint8_t> expected = rows;
                const uint8_t *above = prior.data();
                for (std::size_t r = 0; r < count; ++r) {
                    ReferenceUnfilter(filters[r], expected.data() + r * stride + 1, above, n, bpp);
                    above = expected.data() + r * stride + 1;
                }
                // In blocks of 16 rows and of 7, as the decoder and a pass may give them.
                for (std::size_t block : {std::size_t(16), std::size_t(7)}) {
                    std::vector<uint8_t> actual = rows;
                    const uint8_t *prev = prior.data();
                    for (std::size_t r = 0; r < count; r += block) {
                        const std::size_t k = std::min(block, count - r);
                        ASSERT_TRUE(build.rows(actual.data() + r * stride, stride, k, prev, n, bpp));
                        prev = actual.data() + (r + k - 1) * stride + 1;
                    }
                    ASSERT_EQ(actual, expected)
                        << build.name << " bpp " << bpp << " pixels " << pixels << " ties " << ties << " block " << block;
                }
            }
        }
    }
    // A bad filter type stops the rows at that row, also inside a group of four.
    for (const FilterBuild &build : FilterBuilds()) {
        std::vector<uint8_t> rows = {4, 0, 0, 0, 6, 0, 0, 0}, prior(3);
        EXPECT_FALSE(build.rows(rows.data(), 4, 2, prior.data(), 3, 3)) << build.name;
        std::vector<uint8_t> group(4 * 13, 0), zeros(12);
        group[0] = 4, group[13] = 4, group[26] = 9, group[39] = 4;
        EXPECT_FALSE(build.rows(group.data(), 13, 4, zeros.data(), 12, 3)) << build.name;
    }
}

TEST(PngFormat, PremultiplyRoundsDownForEveryByte)
{
    for (uint32_t c = 0; c < 256; ++c)
        for (uint32_t a = 0; a < 256; ++a)
            ASSERT_EQ(Premultiply(c, a), c * a / 255) << c << " " << a;
}

TEST(PngFormat, RgbAndRgbaRowsConvertEveryPixelOfEveryWidth)
{
    // Every colour and alpha pair once, in rows of every width up to 21 and
    // one long row, through the converter the decoder would pick.
    std::vector<uint8_t> rgba;
    for (uint32_t c = 0; c < 256; ++c)
        for (uint32_t a = 0; a < 256; ++a)
            rgba.insert(rgba.end(), {uint8_t(c), uint8_t(255 - c), uint8_t(c ^ 0x5A), uint8_t(a)});
    const int all = int(rgba.size() / 4);
    for (bool keepAlpha : {true, false}) {
        const ConversionPlan rgbaPlan = MakeConversionPlan(Header(all, 1, 8, 6, 0), {}, {}, keepAlpha, false);
        const ConversionPlan rgbPlan = MakeConversionPlan(Header(all, 1, 8, 2, 0), {}, {}, keepAlpha, false);
        const RowConverter rgbaConvert = SelectConverter(rgbaPlan), rgbConvert = SelectConverter(rgbPlan);
        ASSERT_TRUE(rgbaConvert && rgbConvert);
        for (int width = 1; width <= all; width = width < 21 ? width + 1 : all) {
            for (int offset : {0, 4099}) {
                if (offset + width > all)
                    continue;
                const uint8_t *source = rgba.data() + 4 * offset;
                std::vector<Pixel> out(std::size_t(width) + 1, 0xDEADBEEF);
                rgbaConvert(source, out.data(), nullptr, width, rgbaPlan);
                for (int x = 0; x < width; ++x) {
                    const uint8_t *s = source + 4 * x;
                    const Pixel expected = keepAlpha ? PremultipliedPixel(s[0], s[1], s[2], s[3]) : MakePixel(s[0], s[1], s[2]);
                    ASSERT_EQ(out[x], expected) << "rgba x " << x << " width " << width << " alpha " << keepAlpha;
                }
                ASSERT_EQ(out[width], 0xDEADBEEF);
                // The same bytes read as RGB: three to a pixel.
                if (3 * width > 4 * (all - offset))
                    continue;
                rgbConvert(source, out.data(), nullptr, width, rgbPlan);
                for (int x = 0; x < width; ++x)
                    ASSERT_EQ(out[x], MakePixel(source[3 * x], source[3 * x + 1], source[3 * x + 2])) << "rgb x " << x;
                ASSERT_EQ(out[width], 0xDEADBEEF);
            }
            if (width == all)
                break;
        }
    }
}

TEST(PngFormat, PaletteRowsLookUpEveryIndexAndKeepIt)
{
    // A palette of 200 entries with alpha for the first 100: indices past the
    // palette are black, every entry premultiplied as the decoder keeps it.
    std::vector<uint8_t> palette;
    for (int i = 0; i < 200; ++i)
        palette.insert(palette.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)});
    PngTransparency transparency;
    transparency.kind = PngTransparency::Kind::Table;
    for (int i = 0; i < 100; ++i)
        transparency.table.push_back(uint8_t(i * 2));
    std::vector<uint8_t> row;
    for (int i = 0; i < 600; ++i)
        row.push_back(uint8_t(i * 37 + i / 256));
    for (bool storeIndices : {false, true}) {
        const ConversionPlan plan = MakeConversionPlan(Header(600, 1, 8, 3, 0), palette, transparency, true, storeIndices);
        const RowConverter convert = SelectConverter(plan);
        ASSERT_TRUE(convert);
        for (int width : {1, 7, 8, 9, 15, 16, 17, 600}) {
            std::vector<Pixel> out(std::size_t(width) + 1, 0xDEADBEEF);
            std::vector<uint8_t> indices(std::size_t(width) + 1, 0xEE);
            convert(row.data(), out.data(), storeIndices ? indices.data() : nullptr, width, plan);
            for (int x = 0; x < width; ++x) {
                ASSERT_EQ(out[x], PaletteEntry(palette, transparency, row[x], true)) << "x " << x << " width " << width;
                if (storeIndices)
                    ASSERT_EQ(indices[x], row[x]);
            }
            EXPECT_EQ(out[width], 0xDEADBEEF);
            EXPECT_EQ(indices[width], 0xEE);
        }
    }
}
