// The row filters, included once per instruction set (PngFiltersBaseline.cpp,
// PngFiltersSse41.cpp) into a namespace named by PELLIMORE_PNG_FILTER_VARIANT;
// PngFilters.cpp picks one at run time. Everything but the two entry points
// has internal linkage, so the copies never mix.
#include "wallpaper/codecs/png/PngFilters.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE4_1__)
#include <smmintrin.h>
#include <tmmintrin.h>
#endif
#if defined(__AVX2__)
#include <immintrin.h>
#endif

namespace pellimore::png::PELLIMORE_PNG_FILTER_VARIANT {

bool UnfilterRow(uint8_t filter, uint8_t *row, const uint8_t *prior, std::size_t rowBytes, int bytesPerPixel);
bool UnfilterRows(uint8_t *rows, std::size_t stride, std::size_t count, const uint8_t *prior, std::size_t rowBytes,
                  int bytesPerPixel);

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

// The Paeth predictor of 16-bit lanes: the nearest of a, b, c to a + b - c.
inline __m128i PaethNearest(__m128i a, __m128i b, __m128i c)
{
#if defined(__SSE4_1__)
    const __m128i pa = _mm_abs_epi16(_mm_sub_epi16(b, c));  // |p - a| = |b - c|
    const __m128i pb = _mm_abs_epi16(_mm_sub_epi16(a, c));  // |p - b| = |a - c|
    const __m128i pc = _mm_abs_epi16(_mm_add_epi16(_mm_sub_epi16(b, c), _mm_sub_epi16(a, c)));
    const __m128i smallest = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
    const __m128i bOrC = _mm_blendv_epi8(c, b, _mm_cmpeq_epi16(smallest, pb));
    return _mm_blendv_epi8(bOrC, a, _mm_cmpeq_epi16(smallest, pa));
#else
    const __m128i zero = _mm_setzero_si128();
    __m128i pa = _mm_sub_epi16(b, c);
    __m128i pb = _mm_sub_epi16(a, c);
    __m128i pc = _mm_add_epi16(pa, pb);
    pa = _mm_max_epi16(pa, _mm_sub_epi16(zero, pa));
    pb = _mm_max_epi16(pb, _mm_sub_epi16(zero, pb));
    pc = _mm_max_epi16(pc, _mm_sub_epi16(zero, pc));
    const __m128i smallest = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
    const __m128i useA = _mm_cmpeq_epi16(smallest, pa);
    const __m128i useB = _mm_cmpeq_epi16(smallest, pb);
    const __m128i bOrC = _mm_or_si128(_mm_and_si128(useB, b), _mm_andnot_si128(useB, c));
    return _mm_or_si128(_mm_and_si128(useA, a), _mm_andnot_si128(useA, bOrC));
#endif
}

// Paeth on one pixel; `c16` carries the upper-left pixel from step to step.
struct PaethStep {
    static __m128i Run(__m128i x8, __m128i b8, __m128i a8, __m128i &c16)
    {
        const __m128i zero = _mm_setzero_si128();
        const __m128i b = _mm_unpacklo_epi8(b8, zero);
        const __m128i nearest = PaethNearest(_mm_unpacklo_epi8(a8, zero), b, c16);
        c16 = b;
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

// Several Paeth rows at once, as a wavefront: in step s, row r works on its
// pixel s - r, whose neighbours (left, above, upper-left) were all made in
// earlier steps. Rows go in pairs, one pair to a register (the upper row in the
// low 16-bit lanes, the lower row in the high ones), so a step runs as many
// independent dependency chains as there are pairs. Lanes of a row that has
// not started yet hold zeros, which is what its left and upper-left
// neighbours are at its first pixel.
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

inline __m128i PaethLanes(__m128i x, __m128i a, __m128i b, __m128i c)
{
    return _mm_and_si128(_mm_add_epi16(x, PaethNearest(a, b, c)), _mm_set1_epi16(0xFF));
}

template <int Bpp, int Pairs>
void UnfilterPaethWave(uint8_t *const *rows, const uint8_t *prior, std::size_t n)
{
    constexpr int kRows = 2 * Pairs;
    const std::ptrdiff_t pixels = std::ptrdiff_t(n / Bpp);
    const __m128i zero = _mm_setzero_si128();
    __m128i a[Pairs];  // each pair's last results: [upper | lower]
    __m128i c[Pairs];  // each pair's last upper neighbours
    for (int p = 0; p < Pairs; ++p)
        a[p] = c[p] = zero;
    auto load = [n](const uint8_t *row, std::ptrdiff_t pixel) {
        const std::size_t at = std::size_t(pixel) * Bpp;
        return LoadPixel<Bpp>(row + at, at + 4 <= n);
    };
    for (std::ptrdiff_t s = 0; s < pixels + kRows - 1; ++s) {
        __m128i made[Pairs];
        for (int p = 0; p < Pairs; ++p) {
            const std::ptrdiff_t j0 = s - 2 * p, j1 = j0 - 1;
            const bool upper = j0 >= 0 && j0 < pixels;
            const bool lower = j1 >= 0 && j1 < pixels;
            const int32_t x0 = upper ? load(rows[2 * p], j0) : 0;
            const int32_t x1 = lower ? load(rows[2 * p + 1], j1) : 0;
            // Above the upper row: the previous row, from memory for the first
            // pair, else the lower half of the pair before (made last step).
            __m128i above;
            if (p == 0)
                above = _mm_unpacklo_epi8(_mm_cvtsi32_si128(upper ? load(prior, j0) : 0), zero);
            else
                above = _mm_unpackhi_epi64(a[p - 1], zero);
            const __m128i b = _mm_unpacklo_epi64(above, a[p]);
            const __m128i x = _mm_unpacklo_epi8(_mm_unpacklo_epi32(_mm_cvtsi32_si128(x0), _mm_cvtsi32_si128(x1)), zero);
            made[p] = PaethLanes(x, a[p], b, c[p]);
            c[p] = b;
            const __m128i packed = _mm_packus_epi16(made[p], made[p]);
            if (upper) {
                const int32_t v = _mm_cvtsi128_si32(packed);
                std::memcpy(rows[2 * p] + std::size_t(j0) * Bpp, &v, Bpp);
            }
            if (lower) {
                const int32_t v = _mm_cvtsi128_si32(_mm_srli_si128(packed, 4));
                std::memcpy(rows[2 * p + 1] + std::size_t(j1) * Bpp, &v, Bpp);
            }
        }
        for (int p = 0; p < Pairs; ++p)
            a[p] = made[p];
    }
}

// Six- and eight-byte pixels (16-bit RGB and RGBA): one pixel fills a
// register of 16-bit lanes, so the steps work on one pixel at a time and the
// pairs of Paeth rows use one register per row.
template <int Bpp>
inline __m128i LoadWide(const uint8_t *p, bool whole)
{
    if (Bpp == 8 || whole)
        return _mm_loadl_epi64(reinterpret_cast<const __m128i *>(p));
    int64_t v = 0;
    std::memcpy(&v, p, Bpp);
    return _mm_cvtsi64_si128(v);
}

template <int Bpp>
inline void StoreWide(uint8_t *p, __m128i v)
{
    if (Bpp == 8) {
        _mm_storel_epi64(reinterpret_cast<__m128i *>(p), v);
    } else {
        const int64_t bytes = _mm_cvtsi128_si64(v);
        std::memcpy(p, &bytes, Bpp);
    }
}

template <int Bpp, class Step>
void UnfilterWide(uint8_t *row, const uint8_t *prior, std::size_t n)
{
    __m128i a = _mm_setzero_si128();
    __m128i c = _mm_setzero_si128();
    for (std::size_t i = 0; i < n; i += Bpp) {
        const bool whole = i + 8 <= n;
        a = Step::Run(LoadWide<Bpp>(row + i, whole), LoadWide<Bpp>(prior + i, whole), a, c);
        StoreWide<Bpp>(row + i, a);
    }
}

template <int Bpp>
void UnfilterPaethPairWide(uint8_t *upper, uint8_t *lower, const uint8_t *prior, std::size_t n)
{
    const std::size_t pixels = n / Bpp;
    const __m128i zero = _mm_setzero_si128();
    __m128i a0 = zero, c0 = zero;  // upper row, pixel s
    __m128i a1 = zero, c1 = zero;  // lower row, pixel s - 1
    for (std::size_t s = 0; s <= pixels; ++s) {
        const std::size_t at = s * Bpp;
        __m128i made0 = zero;
        if (s < pixels) {
            const bool whole = at + 8 <= n;
            const __m128i b0 = _mm_unpacklo_epi8(LoadWide<Bpp>(prior + at, whole), zero);
            const __m128i x0 = _mm_unpacklo_epi8(LoadWide<Bpp>(upper + at, whole), zero);
            made0 = PaethLanes(x0, a0, b0, c0);
            c0 = b0;
            StoreWide<Bpp>(upper + at, _mm_packus_epi16(made0, zero));
        }
        if (s > 0) {
            const __m128i b1 = a0;  // the upper row's pixel s - 1
            const __m128i x1 = _mm_unpacklo_epi8(LoadWide<Bpp>(lower + at - Bpp, at + 8 - Bpp <= n), zero);
            a1 = PaethLanes(x1, a1, b1, c1);
            c1 = b1;
            StoreWide<Bpp>(lower + at - Bpp, _mm_packus_epi16(a1, zero));
        }
        a0 = made0;
    }
}
#endif

#if defined(__SSE4_1__)
// Rows in groups, one byte lane per sample. Each row keeps a 32-bit lane of
// the registers (RGB pixels padded to four bytes): four rows to a 128-bit
// register, eight to a 256-bit one with AVX2 (rows 0 to 3 in its low half,
// 4 to 7 in the high half). The rows are a block of four pixels apart, row r
// working on block t - r in step t, so a block's pixels above and upper-left
// were made in the step before and come from registers. Within a step the
// four pixels of a block go one after another, the rows side by side; only
// the left neighbour is a serial dependency, and its chain is as long for
// eight rows as for four.

// The byte operations the group filters need, for both register widths.
inline __m128i Zero(__m128i) { return _mm_setzero_si128(); }
inline __m128i Or(__m128i a, __m128i b) { return _mm_or_si128(a, b); }
inline __m128i And(__m128i a, __m128i b) { return _mm_and_si128(a, b); }
inline __m128i AndNot(__m128i a, __m128i b) { return _mm_andnot_si128(a, b); }
inline __m128i Xor(__m128i a, __m128i b) { return _mm_xor_si128(a, b); }
inline __m128i Add(__m128i a, __m128i b) { return _mm_add_epi8(a, b); }
inline __m128i Sub(__m128i a, __m128i b) { return _mm_sub_epi8(a, b); }
inline __m128i AddSat(__m128i a, __m128i b) { return _mm_adds_epu8(a, b); }
inline __m128i SubSat(__m128i a, __m128i b) { return _mm_subs_epu8(a, b); }
inline __m128i Average(__m128i a, __m128i b) { return _mm_avg_epu8(a, b); }
inline __m128i Equal(__m128i a, __m128i b) { return _mm_cmpeq_epi8(a, b); }
inline __m128i Blend(__m128i a, __m128i b, __m128i mask) { return _mm_blendv_epi8(a, b, mask); }
inline __m128i Ones(__m128i) { return _mm_set1_epi8(1); }
inline __m128i Interleave32(__m128i a, __m128i b, bool high)
{
    return high ? _mm_unpackhi_epi32(a, b) : _mm_unpacklo_epi32(a, b);
}
inline __m128i Interleave64(__m128i a, __m128i b, bool high)
{
    return high ? _mm_unpackhi_epi64(a, b) : _mm_unpacklo_epi64(a, b);
}
#if defined(__AVX2__)
inline __m256i Zero(__m256i) { return _mm256_setzero_si256(); }
inline __m256i Or(__m256i a, __m256i b) { return _mm256_or_si256(a, b); }
inline __m256i And(__m256i a, __m256i b) { return _mm256_and_si256(a, b); }
inline __m256i AndNot(__m256i a, __m256i b) { return _mm256_andnot_si256(a, b); }
inline __m256i Xor(__m256i a, __m256i b) { return _mm256_xor_si256(a, b); }
inline __m256i Add(__m256i a, __m256i b) { return _mm256_add_epi8(a, b); }
inline __m256i Sub(__m256i a, __m256i b) { return _mm256_sub_epi8(a, b); }
inline __m256i AddSat(__m256i a, __m256i b) { return _mm256_adds_epu8(a, b); }
inline __m256i SubSat(__m256i a, __m256i b) { return _mm256_subs_epu8(a, b); }
inline __m256i Average(__m256i a, __m256i b) { return _mm256_avg_epu8(a, b); }
inline __m256i Equal(__m256i a, __m256i b) { return _mm256_cmpeq_epi8(a, b); }
inline __m256i Blend(__m256i a, __m256i b, __m256i mask) { return _mm256_blendv_epi8(a, b, mask); }
inline __m256i Ones(__m256i) { return _mm256_set1_epi8(1); }
inline __m256i Interleave32(__m256i a, __m256i b, bool high)
{
    return high ? _mm256_unpackhi_epi32(a, b) : _mm256_unpacklo_epi32(a, b);
}
inline __m256i Interleave64(__m256i a, __m256i b, bool high)
{
    return high ? _mm256_unpackhi_epi64(a, b) : _mm256_unpacklo_epi64(a, b);
}
#endif

// The Paeth predictor on bytes. p = a + b - c is never formed: |p - a| is
// |b - c|, |p - b| is |a - c|, and |p - c| is their sum when a and b lie on
// the same side of c, else their difference. The sum saturates at 255, which
// changes no comparison with the other two (both at most 255).
template <class G>
inline typename G::V PaethBytes(typename G::V a, typename G::V b, typename G::V c)
{
    using V = typename G::V;
    const V zero = Zero(a);
    const V cb = SubSat(c, b);
    const V pa = Or(cb, SubSat(b, c));
    const V ca = SubSat(c, a);
    const V pb = Or(ca, SubSat(a, c));
    const V sameSide = Equal(Equal(ca, zero), Equal(cb, zero));
    const V paOverPb = SubSat(pa, pb);
    const V pc = Blend(Or(paOverPb, SubSat(pb, pa)), AddSat(pa, pb), sameSide);
    const V useA = And(Equal(paOverPb, zero), Equal(SubSat(pa, pc), zero));
    const V useB = Equal(SubSat(pb, pc), zero);
    return Blend(Blend(c, b, useB), a, useA);
}

// Which filter each row of a group uses, as lane masks (all bits of a row's
// lane set when it uses the filter).
template <class G>
struct GroupFilters {
    typename G::V average, sub, up, none;
};

template <class G, bool Mixed>
inline typename G::V GroupPredictor(typename G::V a, typename G::V b, typename G::V c, const GroupFilters<G> &f)
{
    using V = typename G::V;
    const V paeth = PaethBytes<G>(a, b, c);
    if constexpr (!Mixed)
        return paeth;
    const V average = Sub(Average(a, b), And(Xor(a, b), Ones(a)));  // (a + b) / 2 rounded down
    V predictor = Blend(paeth, average, f.average);
    predictor = Blend(predictor, a, f.sub);
    predictor = Blend(predictor, b, f.up);
    return AndNot(f.none, predictor);
}

// Turns four registers of four 32-bit lanes (in each 128-bit half) around:
// lane i of register j becomes lane j of register i.
template <class G>
inline void Transpose4(typename G::V &r0, typename G::V &r1, typename G::V &r2, typename G::V &r3)
{
    using V = typename G::V;
    const V t0 = Interleave32(r0, r1, false), t1 = Interleave32(r2, r3, false);
    const V t2 = Interleave32(r0, r1, true), t3 = Interleave32(r2, r3, true);
    r0 = Interleave64(t0, t1, false);
    r1 = Interleave64(t0, t1, true);
    r2 = Interleave64(t2, t3, false);
    r3 = Interleave64(t2, t3, true);
}

// Block j (pixels 4j to 4j + 3) of a row of n bytes as four 32-bit lanes;
// pixels past the row's end read as zero.
template <int Bpp>
inline __m128i LoadBlock(const uint8_t *row, std::size_t n, std::size_t j)
{
    constexpr std::size_t kBytes = 4 * Bpp;
    const std::size_t at = j * kBytes;
    __m128i v;
    if (at + 16 <= n) {
        v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(row + at));
    } else {
        alignas(16) uint8_t part[16] = {};
        std::memcpy(part, row + at, n - at < kBytes ? n - at : kBytes);
        v = _mm_load_si128(reinterpret_cast<const __m128i *>(part));
    }
    if constexpr (Bpp == 3)
        v = _mm_shuffle_epi8(v, _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1));
    return v;
}

template <int Bpp>
inline void StoreBlock(uint8_t *row, std::size_t n, std::size_t j, __m128i v)
{
    constexpr std::size_t kBytes = 4 * Bpp;
    const std::size_t at = j * kBytes;
    if constexpr (Bpp == 3)
        v = _mm_shuffle_epi8(v, _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1));
    if (at + kBytes <= n) {
        if constexpr (Bpp == 4) {
            _mm_storeu_si128(reinterpret_cast<__m128i *>(row + at), v);
        } else {
            // Twelve bytes: the next block's filtered bytes stay as they are.
            _mm_storel_epi64(reinterpret_cast<__m128i *>(row + at), v);
            const int32_t tail = _mm_cvtsi128_si32(_mm_srli_si128(v, 8));
            std::memcpy(row + at + 8, &tail, 4);
        }
    } else {
        alignas(16) uint8_t part[16];
        _mm_store_si128(reinterpret_cast<__m128i *>(part), v);
        std::memcpy(row + at, part, n - at);
    }
}

// What differs between the two widths: moving blocks between the rows and
// the lanes, and the row above each lane.
struct Group4 {
    using V = __m128i;
    static constexpr std::size_t kRows = 4;

    static V LaneIndex() { return _mm_setr_epi32(0, 1, 2, 3); }
    static V Starting(std::size_t t) { return _mm_cmpeq_epi32(_mm_set1_epi32(int(t)), LaneIndex()); }
    static V Mask(const int32_t *lanes) { return _mm_setr_epi32(lanes[0], lanes[1], lanes[2], lanes[3]); }
    // Row r's block (or zeros) into register r.
    static void Gather(const __m128i *blocks, V *x)
    {
        for (std::size_t r = 0; r < 4; ++r)
            x[r] = blocks[r];
    }
    static void Scatter(const V *out, __m128i *blocks)
    {
        for (std::size_t r = 0; r < 4; ++r)
            blocks[r] = out[r];
    }
    // The pixels above pixel K of each lane: row r - 1 of the last step, and
    // for row 0 the prior row's pixel.
    template <int K>
    static V Above(V made, __m128i priorBlock)
    {
        return _mm_alignr_epi8(made, _mm_shuffle_epi32(priorBlock, K * 0x55), 12);
    }
};

#if defined(__AVX2__)
struct Group8 {
    using V = __m256i;
    static constexpr std::size_t kRows = 8;

    static V LaneIndex() { return _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7); }
    static V Starting(std::size_t t) { return _mm256_cmpeq_epi32(_mm256_set1_epi32(int(t)), LaneIndex()); }
    static V Mask(const int32_t *l) { return _mm256_setr_epi32(l[0], l[1], l[2], l[3], l[4], l[5], l[6], l[7]); }
    static void Gather(const __m128i *blocks, V *x)
    {
        for (std::size_t r = 0; r < 4; ++r)
            x[r] = _mm256_set_m128i(blocks[r + 4], blocks[r]);
    }
    static void Scatter(const V *out, __m128i *blocks)
    {
        for (std::size_t r = 0; r < 4; ++r) {
            blocks[r] = _mm256_castsi256_si128(out[r]);
            blocks[r + 4] = _mm256_extracti128_si256(out[r], 1);
        }
    }
    // Above row 4 (the high half's first lane) is row 3, carried over from
    // the low half.
    template <int K>
    static V Above(V made, __m128i priorBlock)
    {
        const V prior = _mm256_castsi128_si256(_mm_shuffle_epi32(priorBlock, K * 0x55));
        return _mm256_alignr_epi8(made, _mm256_permute2x128_si256(prior, made, 0x20), 12);
    }
};
#endif

// The rows whose filtered bytes start at rows[0..kRows) (n bytes each, a
// whole number of pixels), below `prior`.
template <class G, int Bpp, bool Mixed>
void UnfilterGroup(uint8_t *const *rows, const uint8_t *prior, std::size_t n, const GroupFilters<G> &filters)
{
    using V = typename G::V;
    constexpr std::size_t kRows = G::kRows;
    const std::size_t blocks = (n / Bpp + 3) / 4;
    const V zero = Zero(V{});
    auto live = [blocks](std::size_t t, std::size_t r) { return t >= r && t - r < blocks; };
    // The last step's results (pixel k of the block in register k, one row to
    // a lane) and the last step's pixels above pixel 3 (next upper-left).
    V made[4] = {zero, zero, zero, zero};
    V aboveLast = zero;
    for (std::size_t t = 0; t < blocks + kRows - 1; ++t) {
        __m128i in[kRows];
        for (std::size_t r = 0; r < kRows; ++r)
            in[r] = live(t, r) ? LoadBlock<Bpp>(rows[r], n, t - r) : _mm_setzero_si128();
        V x[4];
        G::Gather(in, x);
        Transpose4<G>(x[0], x[1], x[2], x[3]);
        const __m128i priorBlock = t < blocks ? LoadBlock<Bpp>(prior, n, t) : _mm_setzero_si128();
        // A row starting its first block has no left or upper-left pixel.
        const V starting = G::Starting(t);
        V a = AndNot(starting, made[3]);
        const V c = AndNot(starting, aboveLast);
        const V b0 = G::template Above<0>(made[0], priorBlock);
        const V b1 = G::template Above<1>(made[1], priorBlock);
        const V b2 = G::template Above<2>(made[2], priorBlock);
        const V b3 = G::template Above<3>(made[3], priorBlock);
        made[0] = a = Add(x[0], GroupPredictor<G, Mixed>(a, b0, c, filters));
        made[1] = a = Add(x[1], GroupPredictor<G, Mixed>(a, b1, b0, filters));
        made[2] = a = Add(x[2], GroupPredictor<G, Mixed>(a, b2, b1, filters));
        made[3] = Add(x[3], GroupPredictor<G, Mixed>(a, b3, b2, filters));
        aboveLast = b3;
        V out[4] = {made[0], made[1], made[2], made[3]};
        Transpose4<G>(out[0], out[1], out[2], out[3]);
        G::Scatter(out, in);
        for (std::size_t r = 0; r < kRows; ++r)
            if (live(t, r))
                StoreBlock<Bpp>(rows[r], n, t - r, in[r]);
    }
}

// Reverses kRows rows of three- or four-byte pixels as a group when that is
// worth while (half of them or more have a serial filter); false when the
// rows are better done one by one (or one is not a filter type).
template <class G, int Bpp>
bool TryUnfilterGroup(uint8_t *rows, std::size_t stride, const uint8_t *prior, std::size_t n)
{
    constexpr std::size_t kRows = G::kRows;
    int32_t lanes[4][kRows] = {};  // average, sub, up, none
    std::size_t serial = 0;
    bool allPaeth = true;
    for (std::size_t r = 0; r < kRows; ++r) {
        const uint8_t type = rows[r * stride];
        switch (type) {
        case kFilterAverage: lanes[0][r] = -1; break;
        case kFilterSub: lanes[1][r] = -1; break;
        case kFilterUp: lanes[2][r] = -1; break;
        case kFilterNone: lanes[3][r] = -1; break;
        case kFilterPaeth: break;
        default: return false;
        }
        serial += type == kFilterSub || type == kFilterAverage || type == kFilterPaeth;
        allPaeth = allPaeth && type == kFilterPaeth;
    }
    if (2 * serial < kRows)
        return false;
    const GroupFilters<G> filters{G::Mask(lanes[0]), G::Mask(lanes[1]), G::Mask(lanes[2]), G::Mask(lanes[3])};
    uint8_t *starts[kRows];
    for (std::size_t r = 0; r < kRows; ++r)
        starts[r] = rows + r * stride + 1;
    if (allPaeth)
        UnfilterGroup<G, Bpp, false>(starts, prior, n, filters);
    else
        UnfilterGroup<G, Bpp, true>(starts, prior, n, filters);
    return true;
}

// The widest group that fits the remaining `count` rows and their filters:
// the number of rows done, or 0 when none was.
inline std::size_t UnfilterSomeGroup(uint8_t *rows, std::size_t stride, std::size_t count, const uint8_t *prior,
                                     std::size_t n, int bytesPerPixel)
{
    if ((bytesPerPixel != 3 && bytesPerPixel != 4) || n % std::size_t(bytesPerPixel) != 0)
        return 0;
    const bool rgb = bytesPerPixel == 3;
#if defined(__AVX2__)
    if (count >= Group8::kRows && (rgb ? TryUnfilterGroup<Group8, 3>(rows, stride, prior, n)
                                       : TryUnfilterGroup<Group8, 4>(rows, stride, prior, n)))
        return Group8::kRows;
#endif
    if (count >= Group4::kRows && (rgb ? TryUnfilterGroup<Group4, 3>(rows, stride, prior, n)
                                       : TryUnfilterGroup<Group4, 4>(rows, stride, prior, n)))
        return Group4::kRows;
    return 0;
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
        if constexpr (Bpp == 6 || Bpp == 8) {
            if (n % Bpp == 0) {
                UnfilterWide<Bpp, SubStep>(row, prior, n);
                return true;
            }
        }
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
        if constexpr (Bpp == 6 || Bpp == 8) {
            if (n % Bpp == 0) {
                UnfilterWide<Bpp, AverageStep>(row, prior, n);
                return true;
            }
        }
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
        if constexpr (Bpp == 6 || Bpp == 8) {
            if (n % Bpp == 0) {
                UnfilterWide<Bpp, PaethStep>(row, prior, n);
                return true;
            }
        }
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
#if defined(__SSE4_1__)
        // Groups of eight or four rows where their filters allow it.
        if (const std::size_t done = UnfilterSomeGroup(row, stride, count - r, prior, rowBytes, bytesPerPixel)) {
            prior = row + (done - 1) * stride + 1;
            r += done - 1;
            continue;
        }
#endif
#if defined(__SSE2__)
        // Paeth is the one filter whose chain is long: two Paeth rows in a row
        // go together. (Four at a time, in two registers, measured slower.)
        if (r + 1 < count && row[0] == kFilterPaeth && row[stride] == kFilterPaeth &&
            (bytesPerPixel == 3 || bytesPerPixel == 4) && rowBytes % std::size_t(bytesPerPixel) == 0) {
            uint8_t *const pair[2] = {row + 1, row + stride + 1};
            if (bytesPerPixel == 3)
                UnfilterPaethWave<3, 1>(pair, prior, rowBytes);
            else
                UnfilterPaethWave<4, 1>(pair, prior, rowBytes);
            prior = pair[1];
            ++r;
            continue;
        }
        if (r + 1 < count && row[0] == kFilterPaeth && row[stride] == kFilterPaeth &&
            (bytesPerPixel == 6 || bytesPerPixel == 8) && rowBytes % std::size_t(bytesPerPixel) == 0) {
            if (bytesPerPixel == 6)
                UnfilterPaethPairWide<6>(row + 1, row + stride + 1, prior, rowBytes);
            else
                UnfilterPaethPairWide<8>(row + 1, row + stride + 1, prior, rowBytes);
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

}  // namespace pellimore::png::PELLIMORE_PNG_FILTER_VARIANT
