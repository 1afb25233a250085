#include "platform/colors/SystemColors.h"

namespace pellimore {

namespace {

// The index a reference names; kSysColorCount or more when it names none.
uint32_t ReferencedIndex(ColorRef reference) { return reference & 0x7FFFFFFFu; }

}  // namespace

ColorRef SystemColors::Resolve(ColorRef color) const
{
    if (!IsSystemColor(color) || ReferencedIndex(color) >= uint32_t(kSysColorCount))
        return color;
    return SysColor(int(ReferencedIndex(color)));
}

ColorRef SystemColors::ToRgb(ColorRef color) const
{
    if (!IsSystemColor(color))
        return color & 0xFFFFFFu;
    const uint32_t index = ReferencedIndex(color);
    return index < uint32_t(kSysColorCount) ? SysColor(int(index)) & 0xFFFFFFu : 0;
}

}  // namespace pellimore
