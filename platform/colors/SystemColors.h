#pragma once

#include "platform/raster/Bitmap.h"

namespace pellimore {

// The system colour indexes a colour reference may name: 0 scroll bar,
// 1 desktop background, 5 window background, 8 window text, 13 highlight,
// 15 button face, ... 24 tool tip background.
constexpr int kSysColorCount = 25;

// The desktop's system colours. A ColorRef with the top bit set refers to one
// of them by the index in its low 31 bits.
class SystemColors {
public:
    virtual ~SystemColors() = default;

    // The colour of a system colour index; black for an index that names none.
    virtual ColorRef SysColor(int index) const = 0;

    // A reference to a system colour becomes that colour. Every other value,
    // a reference to an index that names none included, is returned as it is.
    ColorRef Resolve(ColorRef color) const;
    // The plain colour a value stands for: a reference gives its system colour
    // (black when it names none), any other value its low 24 bits.
    ColorRef ToRgb(ColorRef color) const;
};

}  // namespace pellimore
