#pragma once

#include "platform/colors/SystemColors.h"

namespace pellimore {

// The classic default scheme (grey faces, white windows, navy highlight): the
// colours of a desktop that gives none, and the fixed colours tests rely on.
class ClassicSystemColors final : public SystemColors {
public:
    ColorRef SysColor(int index) const override;
};

}  // namespace pellimore
