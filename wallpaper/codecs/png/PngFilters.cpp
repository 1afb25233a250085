#include "wallpaper/codecs/png/PngFilters.h"

// The filters come in three builds: SSE4.1 shortens Paeth's dependency chain
// (absolute values and blends in one instruction each), AVX2 adds the
// three-operand forms; the best one the processor has is taken.
namespace pellimore::png {

bool Sse41FiltersAvailable()
{
#if defined(PELLIMORE_PNG_X86_FILTERS)
    static const bool has = __builtin_cpu_supports("sse4.1");
    return has;
#else
    return false;
#endif
}

bool Avx2FiltersAvailable()
{
#if defined(PELLIMORE_PNG_X86_FILTERS)
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
#else
    return false;
#endif
}

bool UnfilterRow(uint8_t filter, uint8_t *row, const uint8_t *prior, std::size_t rowBytes, int bytesPerPixel)
{
#if defined(PELLIMORE_PNG_X86_FILTERS)
    if (Avx2FiltersAvailable())
        return avx2::UnfilterRow(filter, row, prior, rowBytes, bytesPerPixel);
    if (Sse41FiltersAvailable())
        return sse41::UnfilterRow(filter, row, prior, rowBytes, bytesPerPixel);
#endif
    return baseline::UnfilterRow(filter, row, prior, rowBytes, bytesPerPixel);
}

bool UnfilterRows(uint8_t *rows, std::size_t stride, std::size_t count, const uint8_t *prior, std::size_t rowBytes,
                  int bytesPerPixel)
{
#if defined(PELLIMORE_PNG_X86_FILTERS)
    if (Avx2FiltersAvailable())
        return avx2::UnfilterRows(rows, stride, count, prior, rowBytes, bytesPerPixel);
    if (Sse41FiltersAvailable())
        return sse41::UnfilterRows(rows, stride, count, prior, rowBytes, bytesPerPixel);
#endif
    return baseline::UnfilterRows(rows, stride, count, prior, rowBytes, bytesPerPixel);
}

}  // namespace pellimore::png
