#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "platform/colors/SystemColors.h"

namespace pellimore::test {

// System colours for tests: each index answered by the function the test
// gives (black without one), every index asked for remembered in order.
class FixedSystemColors final : public SystemColors {
public:
    explicit FixedSystemColors(std::function<ColorRef(int index)> colors = {}) : colors_(std::move(colors)) {}

    ColorRef SysColor(int index) const override
    {
        asked_.push_back(index);
        return colors_ ? colors_(index) : 0;
    }

    const std::vector<int> &Asked() const { return asked_; }

private:
    std::function<ColorRef(int index)> colors_;
    mutable std::vector<int> asked_;
};

}  // namespace pellimore::test
