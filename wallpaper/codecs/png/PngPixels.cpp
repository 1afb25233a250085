#include "wallpaper/codecs/png/PngPixels.h"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#define PELLIMORE_PNG_SSSE3 1
#endif

namespace pellimore::png {

namespace {

constexpr Pixel Grey(uint8_t v) { return MakePixel(v, v, v); }

// Grey and palette samples of 1, 2, 4 or 8 bits go through the lookup table,
// which already holds the key's transparency and the palette's alpha.
template <int Depth, bool StoreIndices>
void ConvertIndexed(const uint8_t *row, Pixel *out, uint8_t *indices, int width, const ConversionPlan &plan)
{
    const Pixel *lookup = plan.lookup.data();
    if constexpr (Depth == 8) {
        for (int x = 0; x < width; ++x)
            out[x] = lookup[row[x]];
        if constexpr (StoreIndices)
            std::memcpy(indices, row, std::size_t(width));
    } else {
        constexpr int kPerByte = 8 / Depth;
        constexpr unsigned kMask = (1u << Depth) - 1;
        for (int x = 0; x < width; ++x) {
            const int shift = 8 - Depth * (x % kPerByte + 1);
            const uint8_t sample = uint8_t((row[x / kPerByte] >> shift) & kMask);
            out[x] = lookup[sample];
            if constexpr (StoreIndices)
                indices[x] = sample;
        }
    }
}

template <bool Keyed>
void ConvertGrey16(const uint8_t *row, Pixel *out, uint8_t *, int width, const ConversionPlan &plan)
{
    for (int x = 0; x < width; ++x) {
        const uint8_t *s = row + 2 * x;
        if constexpr (Keyed) {
            if (ReadBig16(s) == plan.key[0]) {
                out[x] = 0;
                continue;
            }
        }
        out[x] = Grey(s[0]);
    }
}

template <bool Keyed>
void ConvertRgb8(const uint8_t *row, Pixel *out, uint8_t *, int width, const ConversionPlan &plan)
{
    const uint8_t kr = uint8_t(plan.key[0]), kg = uint8_t(plan.key[1]), kb = uint8_t(plan.key[2]);
    for (int x = 0; x < width; ++x) {
        const uint8_t *s = row + 3 * x;
        if constexpr (Keyed) {
            if (s[0] == kr && s[1] == kg && s[2] == kb) {
                out[x] = 0;
                continue;
            }
        }
        out[x] = MakePixel(s[0], s[1], s[2]);
    }
}

template <bool Keyed>
void ConvertRgb16(const uint8_t *row, Pixel *out, uint8_t *, int width, const ConversionPlan &plan)
{
    for (int x = 0; x < width; ++x) {
        const uint8_t *s = row + 6 * x;
        if constexpr (Keyed) {
            if (ReadBig16(s) == plan.key[0] && ReadBig16(s + 2) == plan.key[1] && ReadBig16(s + 4) == plan.key[2]) {
                out[x] = 0;
                continue;
            }
        }
        out[x] = MakePixel(s[0], s[2], s[4]);
    }
}

// Grey with alpha and RGBA: `Step` is the byte distance between samples (1
// for 8 bits, 2 for 16 bits, whose high byte comes first).
template <int Step, bool KeepAlpha>
void ConvertGreyAlpha(const uint8_t *row, Pixel *out, uint8_t *, int width, const ConversionPlan &)
{
    for (int x = 0; x < width; ++x) {
        const uint8_t *s = row + 2 * Step * x;
        const uint8_t v = s[0];
        out[x] = KeepAlpha ? PremultipliedPixel(v, v, v, s[Step]) : Grey(v);
    }
}

template <int Step, bool KeepAlpha>
void ConvertRgba(const uint8_t *row, Pixel *out, uint8_t *, int width, const ConversionPlan &)
{
    for (int x = 0; x < width; ++x) {
        const uint8_t *s = row + 4 * Step * x;
        if constexpr (KeepAlpha) {
            const uint8_t a = s[3 * Step];
            if (a == 255)
                out[x] = MakePixel(s[0], s[Step], s[2 * Step]);
            else
                out[x] = PremultipliedPixel(s[0], s[Step], s[2 * Step], a);
        } else {
            out[x] = MakePixel(s[0], s[Step], s[2 * Step]);
        }
    }
}

#if defined(PELLIMORE_PNG_SSSE3)
// 8-bit RGB and RGBA rows four pixels at a time, for processors with SSSE3
// (byte shuffles); the scalar loops above finish each row.
bool HasSsse3()
{
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}

__attribute__((target("ssse3"))) void ConvertRgb8Ssse3(const uint8_t *row, Pixel *out, uint8_t *indices, int width,
                                                       const ConversionPlan &plan)
{
    const __m128i order = _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
    const __m128i opaque = _mm_set1_epi32(int32_t(0xFF000000));
    int x = 0;
    // A load takes 16 bytes for the 12 used: it stays inside the row.
    for (; x + 6 <= width; x += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(row + 3 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + x), _mm_or_si128(_mm_shuffle_epi8(v, order), opaque));
    }
    ConvertRgb8<false>(row + 3 * x, out + x, indices, width - x, plan);
}

// c * a / 255 rounded down, in 16-bit lanes (see Premultiply).
__attribute__((target("ssse3"))) inline __m128i PremultiplyLanes(__m128i c, __m128i a)
{
    return _mm_srli_epi16(_mm_mulhi_epu16(_mm_mullo_epi16(c, a), _mm_set1_epi16(int16_t(0x8081))), 7);
}

template <bool KeepAlpha>
__attribute__((target("ssse3"))) void ConvertRgba8Ssse3(const uint8_t *row, Pixel *out, uint8_t *indices, int width,
                                                        const ConversionPlan &plan)
{
    const __m128i order = _mm_setr_epi8(2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15);
    const __m128i alphas = _mm_setr_epi8(3, 3, 3, -1, 7, 7, 7, -1, 11, 11, 11, -1, 15, 15, 15, -1);
    const __m128i zero = _mm_setzero_si128();
    int x = 0;
    for (; x + 4 <= width; x += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(row + 4 * x));
        const __m128i bgra = _mm_shuffle_epi8(v, order);
        __m128i result;
        if constexpr (KeepAlpha) {
            // Colours times alpha, alpha times 255 (over 255: alpha again);
            // alpha 0 leaves the pixel 0.
            const __m128i a = _mm_or_si128(_mm_shuffle_epi8(v, alphas), _mm_set1_epi32(int32_t(0xFF000000)));
            const __m128i low = PremultiplyLanes(_mm_unpacklo_epi8(bgra, zero), _mm_unpacklo_epi8(a, zero));
            const __m128i high = PremultiplyLanes(_mm_unpackhi_epi8(bgra, zero), _mm_unpackhi_epi8(a, zero));
            result = _mm_packus_epi16(low, high);
        } else {
            result = _mm_or_si128(bgra, _mm_set1_epi32(int32_t(0xFF000000)));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + x), result);
    }
    ConvertRgba<1, KeepAlpha>(row + 4 * x, out + x, indices, width - x, plan);
}
#endif

#if defined(PELLIMORE_PNG_SSSE3)
bool HasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

// 8-bit samples through the lookup table eight at a time (a gather).
template <bool StoreIndices>
__attribute__((target("avx2"))) void ConvertIndexed8Avx2(const uint8_t *row, Pixel *out, uint8_t *indices, int width,
                                                          const ConversionPlan &plan)
{
    const auto *lookup = reinterpret_cast<const int *>(plan.lookup.data());
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m256i index = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(row + x)));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + x), _mm256_i32gather_epi32(lookup, index, 4));
    }
    for (; x < width; ++x)
        out[x] = plan.lookup[row[x]];
    if constexpr (StoreIndices)
        std::memcpy(indices, row, std::size_t(width));
}
#endif

template <bool StoreIndices>
RowConverter SelectIndexed(int depth)
{
#if defined(PELLIMORE_PNG_SSSE3)
    if (depth == 8 && HasAvx2())
        return &ConvertIndexed8Avx2<StoreIndices>;
#endif
    switch (depth) {
    case 1: return &ConvertIndexed<1, StoreIndices>;
    case 2: return &ConvertIndexed<2, StoreIndices>;
    case 4: return &ConvertIndexed<4, StoreIndices>;
    case 8: return &ConvertIndexed<8, StoreIndices>;
    default: return nullptr;
    }
}

}  // namespace

Pixel PaletteEntry(std::span<const uint8_t> palette, const PngTransparency &transparency, int index, bool keepAlpha)
{
    const std::size_t at = std::size_t(index) * 3;
    if (at + 3 > palette.size())
        return MakePixel(0, 0, 0);
    const uint8_t r = palette[at], g = palette[at + 1], b = palette[at + 2];
    // The alpha table counts only for entries the palette has.
    uint8_t a = 255;
    if (keepAlpha && transparency.kind == PngTransparency::Kind::Table && std::size_t(index) < transparency.table.size())
        a = transparency.table[std::size_t(index)];
    return PremultipliedPixel(r, g, b, a);
}

ConversionPlan MakeConversionPlan(const PngHeader &header, std::span<const uint8_t> palette,
                                  const PngTransparency &transparency, bool keepAlpha, bool storeIndices)
{
    ConversionPlan plan;
    plan.header = header;
    plan.keepAlpha = keepAlpha;
    plan.storeIndices = storeIndices;
    const bool greyKey = transparency.kind == PngTransparency::Kind::GreyKey && header.colorType == kGrey;
    const bool rgbKey = transparency.kind == PngTransparency::Kind::RgbKey && header.colorType == kRgb;
    plan.keyed = keepAlpha && (greyKey || rgbKey);
    plan.key = transparency.key;
    if (header.colorType == kPalette) {
        for (int i = 0; i < 256; ++i)
            plan.lookup[i] = PaletteEntry(palette, transparency, i, keepAlpha);
    } else if (header.colorType == kGrey && header.bitDepth <= 8) {
        const int levels = 1 << header.bitDepth;
        for (int i = 0; i < levels; ++i)
            plan.lookup[i] = Grey(uint8_t(i * (255 / (levels - 1))));
        // Samples of 8 bits or fewer meet the key's low-order byte.
        if (plan.keyed && (plan.key[0] & 0xFF) < levels)
            plan.lookup[plan.key[0] & 0xFF] = 0;
    }
    return plan;
}

RowConverter SelectConverter(const ConversionPlan &plan)
{
    const int depth = plan.header.bitDepth;
    switch (plan.header.colorType) {
    case kGrey:
        if (depth == 16)
            return plan.keyed ? &ConvertGrey16<true> : &ConvertGrey16<false>;
        return SelectIndexed<false>(depth);
    case kPalette:
        return plan.storeIndices ? SelectIndexed<true>(depth) : SelectIndexed<false>(depth);
    case kRgb:
        if (depth == 8 && plan.keyed)
            return &ConvertRgb8<true>;
#if defined(PELLIMORE_PNG_SSSE3)
        if (depth == 8 && HasSsse3())
            return &ConvertRgb8Ssse3;
#endif
        if (depth == 8)
            return &ConvertRgb8<false>;
        if (depth == 16)
            return plan.keyed ? &ConvertRgb16<true> : &ConvertRgb16<false>;
        return nullptr;
    case kGreyAlpha:
        if (depth == 8)
            return plan.keepAlpha ? &ConvertGreyAlpha<1, true> : &ConvertGreyAlpha<1, false>;
        if (depth == 16)
            return plan.keepAlpha ? &ConvertGreyAlpha<2, true> : &ConvertGreyAlpha<2, false>;
        return nullptr;
    case kRgbAlpha:
#if defined(PELLIMORE_PNG_SSSE3)
        if (depth == 8 && HasSsse3())
            return plan.keepAlpha ? &ConvertRgba8Ssse3<true> : &ConvertRgba8Ssse3<false>;
#endif
        if (depth == 8)
            return plan.keepAlpha ? &ConvertRgba<1, true> : &ConvertRgba<1, false>;
        if (depth == 16)
            return plan.keepAlpha ? &ConvertRgba<2, true> : &ConvertRgba<2, false>;
        return nullptr;
    default:
        return nullptr;
    }
}

}  // namespace pellimore::png
