#include "wallpaper/codecs/png/PngFilters.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pellimore::png {

namespace {

// The predictor: the neighbour nearest to left + up - upper-left, ties going
// to left, then up.
inline uint8_t Paeth(int a, int b, int c)
{
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    if (pa <= pb && pa <= pc)
        return uint8_t(a);
    return pb <= pc ? uint8_t(b) : uint8_t(c);
}

void UnfilterUp(uint8_t *row, const uint8_t *prior, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        row[i] = uint8_t(row[i] + prior[i]);
}

template <int Bpp>
void UnfilterSub(uint8_t *row, std::size_t n)
{
    for (std::size_t i = Bpp; i < n; ++i)
        row[i] = uint8_t(row[i] + row[i - Bpp]);
}

template <int Bpp>
void UnfilterAverage(uint8_t *row, const uint8_t *prior, std::size_t n)
{
    const std::size_t head = n < std::size_t(Bpp) ? n : Bpp;
    for (std::size_t i = 0; i < head; ++i)
        row[i] = uint8_t(row[i] + (prior[i] >> 1));
    for (std::size_t i = Bpp; i < n; ++i)
        row[i] = uint8_t(row[i] + ((row[i - Bpp] + prior[i]) >> 1));
}

template <int Bpp>
void UnfilterPaeth(uint8_t *row, const uint8_t *prior, std::size_t n)
{
    const std::size_t head = n < std::size_t(Bpp) ? n : Bpp;
    for (std::size_t i = 0; i < head; ++i)
        row[i] = uint8_t(row[i] + prior[i]);  // left and upper-left are 0: the predictor is up
    for (std::size_t i = Bpp; i < n; ++i)
        row[i] = uint8_t(row[i] + Paeth(row[i - Bpp], prior[i], prior[i - Bpp]));
}

#if defined(__SSE2__)
// Three- and four-byte pixels (8-bit RGB and RGBA) go through SSE2
// registers. The left neighbour is a serial dependency, so pixels are done
// one after another, all channels at once; but memory is touched 16 bytes at
// a time (five RGB or four RGBA pixels), and the next block is loaded before
// the current one is stored, so no load waits for a store.

// One filter step on a pixel held in the low lanes: x the filtered bytes, b
// the pixel above, a the reconstructed left pixel; returns the reconstructed
// pixel (the other lanes carry junk that is masked off later).
struct SubStep {
    static __m128i Run(__m128i x, __m128i, __m128i a, __m128i &) { return _mm_add_epi8(x, a); }
};

struct AverageStep {
    static __m128i Run(__m128i x, __m128i b, __m128i a, __m128i &)
    {
        // (a + b) / 2 rounded down: the rounded-up average less the lost low bit.
        const __m128i avg = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1)));
        return _mm_add_epi8(x, avg);
    }
};

// Paeth in 16-bit lanes; `c16` carries the upper-left pixel from step to step.
struct PaethStep {
    static __m128i Run(__m128i x8, __m128i b8, __m128i a8, __m128i &c16)
    {
        const __m128i zero = _mm_setzero_si128();
        const __m128i a = _mm_unpacklo_epi8(a8, zero);
        const __m128i b = _mm_unpacklo_epi8(b8, zero);
        const __m128i c = c16;
        c16 = b;
        __m128i pa = _mm_sub_epi16(b, c);  // |p - a| = |b - c|
        __m128i pb = _mm_sub_epi16(a, c);  // |p - b| = |a - c|
        __m128i pc = _mm_add_epi16(pa, pb);
        pa = _mm_max_epi16(pa, _mm_sub_epi16(zero, pa));
        pb = _mm_max_epi16(pb, _mm_sub_epi16(zero, pb));
        pc = _mm_max_epi16(pc, _mm_sub_epi16(zero, pc));
        const __m128i smallest = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
        const __m128i useA = _mm_cmpeq_epi16(smallest, pa);
        const __m128i useB = _mm_andnot_si128(useA, _mm_cmpeq_epi16(smallest, pb));
        const __m128i useC = _mm_andnot_si128(_mm_or_si128(useA, useB), _mm_set1_epi16(-1));
        const __m128i nearest = _mm_or_si128(_mm_or_si128(_mm_and_si128(useA, a), _mm_and_si128(useB, b)),
                                             _mm_and_si128(useC, c));
        return _mm_add_epi8(x8, _mm_packus_epi16(nearest, zero));
    }
};

template <int Bpp>
__m128i LowBytesMask()
{
    return Bpp == 4 ? _mm_set_epi32(0, 0, 0, -1) : _mm_set_epi32(0, 0, 0, 0x00FFFFFF);
}

// The pixels of one 16-byte block, K from 0 to 16 / Bpp - 1.
template <int Bpp, class Step, int... K>
__m128i RunBlock(__m128i raw, __m128i above, __m128i &a, __m128i &c, std::integer_sequence<int, K...>)
{
    const __m128i mask = LowBytesMask<Bpp>();
    __m128i out = _mm_setzero_si128();
    ((a = Step::Run(_mm_srli_si128(raw, K * Bpp), _mm_srli_si128(above, K * Bpp), a, c),
      out = _mm_or_si128(out, _mm_slli_si128(_mm_and_si128(a, mask), K * Bpp))),
     ...);
    return out;
}

// Rows of whole pixels only (n a multiple of Bpp).
template <int Bpp, class Step>
void UnfilterSimd(uint8_t *row, const uint8_t *prior, std::size_t n)
{
    constexpr int kPixels = 16 / Bpp;
    constexpr std::size_t kStep = std::size_t(kPixels) * Bpp;  // 15 or 16 bytes
    // Byte 15 of a block of five RGB pixels belongs to the next block: it
    // goes back unchanged.
    const __m128i keep = Bpp == 3 ? _mm_set_epi32(int32_t(0xFF000000), 0, 0, 0) : _mm_setzero_si128();
    __m128i a = _mm_setzero_si128();
    __m128i c = _mm_setzero_si128();
    std::size_t i = 0;
    if (n >= 16) {
        __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i *>(row));
        for (;;) {
            const __m128i above = _mm_loadu_si128(reinterpret_cast<const __m128i *>(prior + i));
            __m128i out = RunBlock<Bpp, Step>(raw, above, a, c, std::make_integer_sequence<int, kPixels>());
            out = _mm_or_si128(out, _mm_and_si128(raw, keep));
            const std::size_t next = i + kStep;
            const bool more = next + 16 <= n;
            if (more)
                raw = _mm_loadu_si128(reinterpret_cast<const __m128i *>(row + next));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(row + i), out);
            i = next;
            if (!more)
                break;
        }
    }
    // The last pixels, fewer than a block, one at a time.
    for (; i < n; i += Bpp) {
        int32_t x = 0, b = 0;
        std::memcpy(&x, row + i, Bpp);
        std::memcpy(&b, prior + i, Bpp);
        a = Step::Run(_mm_cvtsi32_si128(x), _mm_cvtsi32_si128(b), a, c);
        const int32_t value = _mm_cvtsi128_si32(a);
        std::memcpy(row + i, &value, Bpp);
    }
}

// Two Paeth rows at once, as a wavefront: pixel s of the upper row and pixel
// s - 1 of the lower row share one register (upper in the low 16-bit lanes,
// lower in the high ones). The lower row's neighbours are then all known, and
// the two dependency chains cost the time of one.
template <int Bpp>
inline int32_t LoadPixel(const uint8_t *p, bool whole)
{
    if (Bpp == 4 || whole) {
        int32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    return int32_t(p[0] | (p[1] << 8) | (p[2] << 16));
}

template <int Bpp>
void UnfilterPaethPair(uint8_t *upper, uint8_t *lower, const uint8_t *prior, std::size_t n)
{
    const std::size_t pixels = n / Bpp;
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = _mm_set1_epi16(0xFF);
    __m128i a = zero;  // [upper s-1 | lower s-2]
    __m128i c = zero;  // [above s-1 | upper s-2]
    for (std::size_t s = 0; s <= pixels; ++s) {
        const bool hasUpper = s < pixels;
        const bool hasLower = s > 0;
        const std::size_t at = s * Bpp;
        const bool whole = at + 4 <= n;
        const int32_t above = hasUpper ? LoadPixel<Bpp>(prior + at, whole) : 0;
        const int32_t x0 = hasUpper ? LoadPixel<Bpp>(upper + at, whole) : 0;
        const int32_t x1 = hasLower ? LoadPixel<Bpp>(lower + at - Bpp, at + 4 - Bpp <= n) : 0;
        const __m128i b = _mm_unpacklo_epi64(_mm_unpacklo_epi8(_mm_cvtsi32_si128(above), zero), a);
        const __m128i x = _mm_unpacklo_epi8(_mm_unpacklo_epi32(_mm_cvtsi32_si128(x0), _mm_cvtsi32_si128(x1)), zero);
        __m128i pa = _mm_sub_epi16(b, c);
        __m128i pb = _mm_sub_epi16(a, c);
        __m128i pc = _mm_add_epi16(pa, pb);
        pa = _mm_max_epi16(pa, _mm_sub_epi16(zero, pa));
        pb = _mm_max_epi16(pb, _mm_sub_epi16(zero, pb));
        pc = _mm_max_epi16(pc, _mm_sub_epi16(zero, pc));
        const __m128i smallest = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
        const __m128i useA = _mm_cmpeq_epi16(smallest, pa);
        const __m128i useB = _mm_andnot_si128(useA, _mm_cmpeq_epi16(smallest, pb));
        const __m128i useC = _mm_andnot_si128(_mm_or_si128(useA, useB), _mm_set1_epi16(-1));
        const __m128i nearest = _mm_or_si128(_mm_or_si128(_mm_and_si128(useA, a), _mm_and_si128(useB, b)),
                                             _mm_and_si128(useC, c));
        c = b;
        a = _mm_and_si128(_mm_add_epi16(x, nearest), low);
        const __m128i packed = _mm_packus_epi16(a, a);
        if (hasUpper) {
            const int32_t v = _mm_cvtsi128_si32(packed);
            std::memcpy(upper + at, &v, Bpp);
        }
        if (hasLower) {
            const int32_t v = _mm_cvtsi128_si32(_mm_srli_si128(packed, 4));
            std::memcpy(lower + at - Bpp, &v, Bpp);
        }
    }
}
#endif

template <int Bpp>
bool UnfilterFixed(uint8_t filter, uint8_t *row, const uint8_t *prior, std::size_t n)
{
    switch (filter) {
    case kFilterNone:
        return true;
    case kFilterSub:
#if defined(__SSE2__)
        if constexpr (Bpp == 3 || Bpp == 4) {
            if (n % Bpp == 0) {
                UnfilterSimd<Bpp, SubStep>(row, prior, n);
                return true;
            }
        }
#endif
        UnfilterSub<Bpp>(row, n);
        return true;
    case kFilterUp:
        UnfilterUp(row, prior, n);
        return true;
    case kFilterAverage:
#if defined(__SSE2__)
        if constexpr (Bpp == 3 || Bpp == 4) {
            if (n % Bpp == 0) {
                UnfilterSimd<Bpp, AverageStep>(row, prior, n);
                return true;
            }
        }
#endif
        UnfilterAverage<Bpp>(row, prior, n);
        return true;
    case kFilterPaeth:
#if defined(__SSE2__)
        if constexpr (Bpp == 3 || Bpp == 4) {
            if (n % Bpp == 0) {
                UnfilterSimd<Bpp, PaethStep>(row, prior, n);
                return true;
            }
        }
#endif
        UnfilterPaeth<Bpp>(row, prior, n);
        return true;
    default:
        return false;
    }
}

}  // namespace

bool UnfilterRows(uint8_t *rows, std::size_t stride, std::size_t count, const uint8_t *prior, std::size_t rowBytes,
                  int bytesPerPixel)
{
    for (std::size_t r = 0; r < count; ++r) {
        uint8_t *row = rows + r * stride;
#if defined(__SSE2__)
        // Paeth is the one filter whose chain is long: two such rows in a row go together.
        if (r + 1 < count && row[0] == kFilterPaeth && row[stride] == kFilterPaeth &&
            (bytesPerPixel == 3 || bytesPerPixel == 4) && rowBytes % std::size_t(bytesPerPixel) == 0) {
            if (bytesPerPixel == 3)
                UnfilterPaethPair<3>(row + 1, row + stride + 1, prior, rowBytes);
            else
                UnfilterPaethPair<4>(row + 1, row + stride + 1, prior, rowBytes);
            prior = row + stride + 1;
            ++r;
            continue;
        }
#endif
        if (!UnfilterRow(row[0], row + 1, prior, rowBytes, bytesPerPixel))
            return false;
        prior = row + 1;
    }
    return true;
}

bool UnfilterRow(uint8_t filter, uint8_t *row, const uint8_t *prior, std::size_t rowBytes, int bytesPerPixel)
{
    switch (bytesPerPixel) {
    case 1: return UnfilterFixed<1>(filter, row, prior, rowBytes);
    case 2: return UnfilterFixed<2>(filter, row, prior, rowBytes);
    case 3: return UnfilterFixed<3>(filter, row, prior, rowBytes);
    case 4: return UnfilterFixed<4>(filter, row, prior, rowBytes);
    case 6: return UnfilterFixed<6>(filter, row, prior, rowBytes);
    case 8: return UnfilterFixed<8>(filter, row, prior, rowBytes);
    default: return false;
    }
}

}  // namespace pellimore::png
