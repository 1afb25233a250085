// The row filters for any processor of the target (SSE2 on x86-64).
#define PELLIMORE_PNG_FILTER_VARIANT baseline
#include "wallpaper/codecs/png/PngFiltersImpl.h"
