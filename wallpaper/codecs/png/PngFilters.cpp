#include "wallpaper/codecs/png/PngFilters.h"

#include <cstdlib>
#include <cstring>

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
// Three- and four-byte pixels (8-bit RGB and RGBA) go one pixel per step
// through SSE2 registers: the left neighbour is a serial dependency, but all
// channels of a pixel are done at once.
template <int Bpp>
inline __m128i LoadPixel(const uint8_t *p)
{
    int32_t v = 0;
    std::memcpy(&v, p, Bpp);
    return _mm_cvtsi32_si128(v);
}

template <int Bpp>
inline void StorePixel(uint8_t *p, __m128i v)
{
    const int32_t x = _mm_cvtsi128_si32(v);
    std::memcpy(p, &x, Bpp);
}

template <int Bpp>
void UnfilterAverageSimd(uint8_t *row, const uint8_t *prior, std::size_t n)
{
    const __m128i one = _mm_set1_epi8(1);
    __m128i a = _mm_setzero_si128();
    for (std::size_t i = 0; i + Bpp <= n; i += Bpp) {
        const __m128i b = LoadPixel<Bpp>(prior + i);
        // (a + b) / 2 rounded down: the rounded-up average less the lost low bit.
        const __m128i avg = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), one));
        a = _mm_add_epi8(LoadPixel<Bpp>(row + i), avg);
        StorePixel<Bpp>(row + i, a);
    }
}

template <int Bpp>
void UnfilterPaethSimd(uint8_t *row, const uint8_t *prior, std::size_t n)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i a = zero;  // left, 16-bit lanes
    __m128i c = zero;  // upper-left
    for (std::size_t i = 0; i + Bpp <= n; i += Bpp) {
        const __m128i b = _mm_unpacklo_epi8(LoadPixel<Bpp>(prior + i), zero);
        const __m128i x = _mm_unpacklo_epi8(LoadPixel<Bpp>(row + i), zero);
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
        a = _mm_and_si128(_mm_add_epi16(x, nearest), _mm_set1_epi16(0xFF));
        StorePixel<Bpp>(row + i, _mm_packus_epi16(a, a));
        c = b;
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
        UnfilterSub<Bpp>(row, n);
        return true;
    case kFilterUp:
        UnfilterUp(row, prior, n);
        return true;
    case kFilterAverage:
#if defined(__SSE2__)
        if constexpr (Bpp == 3 || Bpp == 4) {
            if (n % Bpp == 0) {
                UnfilterAverageSimd<Bpp>(row, prior, n);
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
                UnfilterPaethSimd<Bpp>(row, prior, n);
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
