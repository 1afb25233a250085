// The row filters compiled for AVX2 processors (built with -mavx2; used only
// when the processor has it). The code is that of the SSE4.1 build; the
// three-operand instruction forms save the register copies that two-operand
// blends and subtractions need.
#define PELLIMORE_PNG_FILTER_VARIANT avx2
#include "wallpaper/codecs/png/PngFiltersImpl.h"
