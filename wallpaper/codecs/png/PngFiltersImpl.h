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
// Four rows at once, one byte lane per sample. Each row keeps a 32-bit lane
// of the registers (RGB pixels padded to four bytes); the rows are a block of
// four pixels apart, row r working on block t - r in step t, so a block's
// pixels above and upper-left were made in the step before and come from
// registers. Within a step the four pixels of a block go one after another,
// the four rows side by side; only the left neighbour is a serial dependency.

// The Paeth predictor on bytes. p = a + b - c is never formed: |p - a| is
// |b - c|, |p - b| is |a - c|, and |p - c| is their sum when a and b lie on
// the same side of c, else their difference. The sum saturates at 255, which
// changes no comparison with the other two (both at most 255).
inline __m128i PaethBytes(__m128i a, __m128i b, __m128i c)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i cb = _mm_subs_epu8(c, b);
    const __m128i pa = _mm_or_si128(cb, _mm_subs_epu8(b, c));
    const __m128i ca = _mm_subs_epu8(c, a);
    const __m128i pb = _mm_or_si128(ca, _mm_subs_epu8(a, c));
    const __m128i sameSide = _mm_cmpeq_epi8(_mm_cmpeq_epi8(ca, zero), _mm_cmpeq_epi8(cb, zero));
    const __m128i paOverPb = _mm_subs_epu8(pa, pb);
    const __m128i difference = _mm_or_si128(paOverPb, _mm_subs_epu8(pb, pa));
    const __m128i pc = _mm_blendv_epi8(difference, _mm_adds_epu8(pa, pb), sameSide);
    const __m128i useA =
        _mm_and_si128(_mm_cmpeq_epi8(paOverPb, zero), _mm_cmpeq_epi8(_mm_subs_epu8(pa, pc), zero));
    const __m128i useB = _mm_cmpeq_epi8(_mm_subs_epu8(pb, pc), zero);
    return _mm_blendv_epi8(_mm_blendv_epi8(c, b, useB), a, useA);
}

// Which filter each row of a group uses, as lane masks (all bits of a row's
// lane set when it uses the filter).
struct GroupFilters {
    __m128i average, sub, up, none;
};

template <bool Mixed>
inline __m128i GroupPredictor(__m128i a, __m128i b, __m128i c, const GroupFilters &f)
{
    const __m128i paeth = PaethBytes(a, b, c);
    if constexpr (!Mixed)
        return paeth;
    const __m128i average = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1)));
    __m128i predictor = _mm_blendv_epi8(paeth, average, f.average);
    predictor = _mm_blendv_epi8(predictor, a, f.sub);
    predictor = _mm_blendv_epi8(predictor, b, f.up);
    return _mm_andnot_si128(f.none, predictor);
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

inline void Transpose4(__m128i &r0, __m128i &r1, __m128i &r2, __m128i &r3)
{
    const __m128i t0 = _mm_unpacklo_epi32(r0, r1), t1 = _mm_unpacklo_epi32(r2, r3);
    const __m128i t2 = _mm_unpackhi_epi32(r0, r1), t3 = _mm_unpackhi_epi32(r2, r3);
    r0 = _mm_unpacklo_epi64(t0, t1);
    r1 = _mm_unpackhi_epi64(t0, t1);
    r2 = _mm_unpacklo_epi64(t2, t3);
    r3 = _mm_unpackhi_epi64(t2, t3);
}

// The four rows whose filtered bytes start at rows[0..3] (n bytes each, a
// whole number of pixels), below `prior`.
template <int Bpp, bool Mixed>
void UnfilterGroup(uint8_t *const *rows, const uint8_t *prior, std::size_t n, const GroupFilters &filters)
{
    const std::size_t blocks = (n / Bpp + 3) / 4;
    const __m128i zero = _mm_setzero_si128();
    const __m128i laneIndex = _mm_setr_epi32(0, 1, 2, 3);
    // The last step's results (pixel k of the block in register k, row r in
    // lane r) and the last step's pixels above pixel 3 (next upper-left).
    __m128i made[4] = {zero, zero, zero, zero};
    __m128i aboveLast = zero;
    for (std::size_t t = 0; t < blocks + 3; ++t) {
        __m128i x[4];
        for (std::size_t r = 0; r < 4; ++r)
            x[r] = t >= r && t - r < blocks ? LoadBlock<Bpp>(rows[r], n, t - r) : zero;
        Transpose4(x[0], x[1], x[2], x[3]);
        const __m128i priorBlock = t < blocks ? LoadBlock<Bpp>(prior, n, t) : zero;
        // A row starting its first block has no left or upper-left pixel.
        const __m128i starting = _mm_cmpeq_epi32(_mm_set1_epi32(int(t)), laneIndex);
        __m128i a = _mm_andnot_si128(starting, made[3]);
        __m128i c = _mm_andnot_si128(starting, aboveLast);
        // Above row r is row r - 1 of the last step; above row 0 is the prior row.
        const __m128i b0 = _mm_alignr_epi8(made[0], _mm_shuffle_epi32(priorBlock, 0x00), 12);
        const __m128i b1 = _mm_alignr_epi8(made[1], _mm_shuffle_epi32(priorBlock, 0x55), 12);
        const __m128i b2 = _mm_alignr_epi8(made[2], _mm_shuffle_epi32(priorBlock, 0xAA), 12);
        const __m128i b3 = _mm_alignr_epi8(made[3], _mm_shuffle_epi32(priorBlock, 0xFF), 12);
        made[0] = a = _mm_add_epi8(x[0], GroupPredictor<Mixed>(a, b0, c, filters));
        made[1] = a = _mm_add_epi8(x[1], GroupPredictor<Mixed>(a, b1, b0, filters));
        made[2] = a = _mm_add_epi8(x[2], GroupPredictor<Mixed>(a, b2, b1, filters));
        made[3] = _mm_add_epi8(x[3], GroupPredictor<Mixed>(a, b3, b2, filters));
        aboveLast = b3;
        __m128i out[4] = {made[0], made[1], made[2], made[3]};
        Transpose4(out[0], out[1], out[2], out[3]);
        for (std::size_t r = 0; r < 4; ++r)
            if (t >= r && t - r < blocks)
                StoreBlock<Bpp>(rows[r], n, t - r, out[r]);
    }
}

// Lane masks for the filter types of a group; false when one is not a filter.
inline bool MakeGroupFilters(const uint8_t *types, GroupFilters &f)
{
    int32_t lanes[4][4] = {};  // average, sub, up, none
    for (int r = 0; r < 4; ++r) {
        switch (types[r]) {
        case kFilterAverage: lanes[0][r] = -1; break;
        case kFilterSub: lanes[1][r] = -1; break;
        case kFilterUp: lanes[2][r] = -1; break;
        case kFilterNone: lanes[3][r] = -1; break;
        case kFilterPaeth: break;
        default: return false;
        }
    }
    auto mask = [](const int32_t *l) { return _mm_setr_epi32(l[0], l[1], l[2], l[3]); };
    f = {mask(lanes[0]), mask(lanes[1]), mask(lanes[2]), mask(lanes[3])};
    return true;
}

// Reverses four rows of three- or four-byte pixels through UnfilterGroup
// when that is worth while (two or more of them have a serial filter);
// false when the rows are better done one by one.
template <int Bpp>
bool TryUnfilterGroup(uint8_t *rows, std::size_t stride, const uint8_t *prior, std::size_t n)
{
    uint8_t types[4];
    int serial = 0;
    for (std::size_t r = 0; r < 4; ++r) {
        types[r] = rows[r * stride];
        serial += types[r] == kFilterSub || types[r] == kFilterAverage || types[r] == kFilterPaeth;
    }
    GroupFilters filters;
    if (serial < 2 || !MakeGroupFilters(types, filters))
        return false;
    uint8_t *const starts[4] = {rows + 1, rows + stride + 1, rows + 2 * stride + 1, rows + 3 * stride + 1};
    const bool allPaeth = types[0] == kFilterPaeth && types[1] == kFilterPaeth && types[2] == kFilterPaeth &&
                          types[3] == kFilterPaeth;
    if (allPaeth)
        UnfilterGroup<Bpp, false>(starts, prior, n, filters);
    else
        UnfilterGroup<Bpp, true>(starts, prior, n, filters);
    return true;
}
#endif

#if defined(__AVX2__)
// Eight rows at once where AVX2 is there: rows 0 to 3 in the low 128-bit half
// of each register and rows 4 to 7 in the high half, each half laid out as in
// UnfilterGroup (the unpacking and byte shifts of AVX2 stay within halves).
// The serial chain per step is as long as for four rows, for twice the pixels.
inline __m256i PaethBytes(__m256i a, __m256i b, __m256i c)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i cb = _mm256_subs_epu8(c, b);
    const __m256i pa = _mm256_or_si256(cb, _mm256_subs_epu8(b, c));
    const __m256i ca = _mm256_subs_epu8(c, a);
    const __m256i pb = _mm256_or_si256(ca, _mm256_subs_epu8(a, c));
    const __m256i sameSide = _mm256_cmpeq_epi8(_mm256_cmpeq_epi8(ca, zero), _mm256_cmpeq_epi8(cb, zero));
    const __m256i paOverPb = _mm256_subs_epu8(pa, pb);
    const __m256i difference = _mm256_or_si256(paOverPb, _mm256_subs_epu8(pb, pa));
    const __m256i pc = _mm256_blendv_epi8(difference, _mm256_adds_epu8(pa, pb), sameSide);
    const __m256i useA =
        _mm256_and_si256(_mm256_cmpeq_epi8(paOverPb, zero), _mm256_cmpeq_epi8(_mm256_subs_epu8(pa, pc), zero));
    const __m256i useB = _mm256_cmpeq_epi8(_mm256_subs_epu8(pb, pc), zero);
    return _mm256_blendv_epi8(_mm256_blendv_epi8(c, b, useB), a, useA);
}

struct WideGroupFilters {
    __m256i average, sub, up, none;
};

template <bool Mixed>
inline __m256i GroupPredictor(__m256i a, __m256i b, __m256i c, const WideGroupFilters &f)
{
    const __m256i paeth = PaethBytes(a, b, c);
    if constexpr (!Mixed)
        return paeth;
    const __m256i average =
        _mm256_sub_epi8(_mm256_avg_epu8(a, b), _mm256_and_si256(_mm256_xor_si256(a, b), _mm256_set1_epi8(1)));
    __m256i predictor = _mm256_blendv_epi8(paeth, average, f.average);
    predictor = _mm256_blendv_epi8(predictor, a, f.sub);
    predictor = _mm256_blendv_epi8(predictor, b, f.up);
    return _mm256_andnot_si256(f.none, predictor);
}

inline void Transpose4(__m256i &r0, __m256i &r1, __m256i &r2, __m256i &r3)
{
    const __m256i t0 = _mm256_unpacklo_epi32(r0, r1), t1 = _mm256_unpacklo_epi32(r2, r3);
    const __m256i t2 = _mm256_unpackhi_epi32(r0, r1), t3 = _mm256_unpackhi_epi32(r2, r3);
    r0 = _mm256_unpacklo_epi64(t0, t1);
    r1 = _mm256_unpackhi_epi64(t0, t1);
    r2 = _mm256_unpacklo_epi64(t2, t3);
    r3 = _mm256_unpackhi_epi64(t2, t3);
}

template <int Bpp, bool Mixed>
void UnfilterWideGroup(uint8_t *const *rows, const uint8_t *prior, std::size_t n, const WideGroupFilters &filters)
{
    const std::size_t blocks = (n / Bpp + 3) / 4;
    const __m256i zero = _mm256_setzero_si256();
    const __m256i laneIndex = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    __m256i made[4] = {zero, zero, zero, zero};
    __m256i aboveLast = zero;
    auto live = [blocks](std::size_t t, std::size_t r) { return t >= r && t - r < blocks; };
    for (std::size_t t = 0; t < blocks + 7; ++t) {
        __m128i in[8];
        for (std::size_t r = 0; r < 8; ++r)
            in[r] = live(t, r) ? LoadBlock<Bpp>(rows[r], n, t - r) : _mm_setzero_si128();
        __m256i x[4];
        for (std::size_t r = 0; r < 4; ++r)
            x[r] = _mm256_set_m128i(in[r + 4], in[r]);
        Transpose4(x[0], x[1], x[2], x[3]);
        const __m256i priorBlock =
            _mm256_castsi128_si256(t < blocks ? LoadBlock<Bpp>(prior, n, t) : _mm_setzero_si128());
        const __m256i starting = _mm256_cmpeq_epi32(_mm256_set1_epi32(int(t)), laneIndex);
        __m256i a = _mm256_andnot_si256(starting, made[3]);
        const __m256i c = _mm256_andnot_si256(starting, aboveLast);
        // Above row 0: the prior row's pixel; above row 4: row 3 of the last
        // step, carried from the low half into the high one.
        const __m256i b0 = _mm256_alignr_epi8(
            made[0], _mm256_permute2x128_si256(_mm256_shuffle_epi32(priorBlock, 0x00), made[0], 0x20), 12);
        const __m256i b1 = _mm256_alignr_epi8(
            made[1], _mm256_permute2x128_si256(_mm256_shuffle_epi32(priorBlock, 0x55), made[1], 0x20), 12);
        const __m256i b2 = _mm256_alignr_epi8(
            made[2], _mm256_permute2x128_si256(_mm256_shuffle_epi32(priorBlock, 0xAA), made[2], 0x20), 12);
        const __m256i b3 = _mm256_alignr_epi8(
            made[3], _mm256_permute2x128_si256(_mm256_shuffle_epi32(priorBlock, 0xFF), made[3], 0x20), 12);
        made[0] = a = _mm256_add_epi8(x[0], GroupPredictor<Mixed>(a, b0, c, filters));
        made[1] = a = _mm256_add_epi8(x[1], GroupPredictor<Mixed>(a, b1, b0, filters));
        made[2] = a = _mm256_add_epi8(x[2], GroupPredictor<Mixed>(a, b2, b1, filters));
        made[3] = _mm256_add_epi8(x[3], GroupPredictor<Mixed>(a, b3, b2, filters));
        aboveLast = b3;
        __m256i out[4] = {made[0], made[1], made[2], made[3]};
        Transpose4(out[0], out[1], out[2], out[3]);
        for (std::size_t r = 0; r < 4; ++r) {
            if (live(t, r))
                StoreBlock<Bpp>(rows[r], n, t - r, _mm256_castsi256_si128(out[r]));
            if (live(t, r + 4))
                StoreBlock<Bpp>(rows[r + 4], n, t - r - 4, _mm256_extracti128_si256(out[r], 1));
        }
    }
}

// As TryUnfilterGroup, for eight rows (four or more of them serial).
template <int Bpp>
bool TryUnfilterWideGroup(uint8_t *rows, std::size_t stride, const uint8_t *prior, std::size_t n)
{
    int32_t lanes[4][8] = {};  // average, sub, up, none
    int serial = 0;
    bool allPaeth = true;
    for (std::size_t r = 0; r < 8; ++r) {
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
    if (serial < 4)
        return false;
    auto mask = [](const int32_t *l) { return _mm256_setr_epi32(l[0], l[1], l[2], l[3], l[4], l[5], l[6], l[7]); };
    const WideGroupFilters filters{mask(lanes[0]), mask(lanes[1]), mask(lanes[2]), mask(lanes[3])};
    uint8_t *starts[8];
    for (std::size_t r = 0; r < 8; ++r)
        starts[r] = rows + r * stride + 1;
    if (allPaeth)
        UnfilterWideGroup<Bpp, false>(starts, prior, n, filters);
    else
        UnfilterWideGroup<Bpp, true>(starts, prior, n, filters);
    return true;
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
#if defined(__AVX2__)
        // Eight rows at a time where their filters allow it, else four.
        if (r + 8 <= count && (bytesPerPixel == 3 || bytesPerPixel == 4) &&
            rowBytes % std::size_t(bytesPerPixel) == 0 &&
            (bytesPerPixel == 3 ? TryUnfilterWideGroup<3>(row, stride, prior, rowBytes)
                                : TryUnfilterWideGroup<4>(row, stride, prior, rowBytes))) {
            prior = row + 7 * stride + 1;
            r += 7;
            continue;
        }
#endif
#if defined(__SSE4_1__)
        // Four rows at a time where their filters allow it.
        if (r + 4 <= count && (bytesPerPixel == 3 || bytesPerPixel == 4) &&
            rowBytes % std::size_t(bytesPerPixel) == 0 &&
            (bytesPerPixel == 3 ? TryUnfilterGroup<3>(row, stride, prior, rowBytes)
                                : TryUnfilterGroup<4>(row, stride, prior, rowBytes))) {
            prior = row + 3 * stride + 1;
            r += 3;
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
