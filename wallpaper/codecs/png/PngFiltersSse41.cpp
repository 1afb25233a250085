// The row filters compiled for SSE4.1 (built with -msse4.1; used only when the
// processor has it).
#define PELLIMORE_PNG_FILTER_VARIANT sse41
#include "wallpaper/codecs/png/PngFiltersImpl.h"
