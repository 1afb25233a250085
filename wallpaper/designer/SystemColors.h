#pragma once

#include <functional>

#include "platform/raster/Bitmap.h"

namespace pellimore {

// Looks up the colour of a system colour index (0 scroll bar, 5 window
// background, 15 button face, ...), as the desktop's colour scheme has it.
using SysColorSource = std::function<ColorRef(int index)>;

// Number of system colour indexes a colour reference may name.
constexpr int kSysColorCount = 25;

// A fixed light scheme for the indexes 0 to 24, used where no desktop service
// answers. Indexes outside that range give black.
ColorRef DefaultSysColor(int index);

// A colour with the top bit set and low 31 bits below kSysColorCount is a
// reference to a system colour: it is replaced by that colour. Every other
// value is returned unchanged. An empty source counts as DefaultSysColor.
ColorRef ResolveSysColor(ColorRef color, const SysColorSource &source);

}  // namespace pellimore
