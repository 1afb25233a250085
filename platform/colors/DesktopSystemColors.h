#pragma once

#include "platform/colors/ClassicSystemColors.h"

namespace pellimore {

class DesktopService;

// The system colours of the running desktop: the application palette's
// colour for each index a palette role stands for (windows, text, button
// faces and edges, highlight, tool tips), the desktop service's background
// colour for index 1 when a service is given, and the classic scheme for the
// other indexes and whenever no GUI application runs. Colours are read at
// each call, so a palette or background change shows at once.
class DesktopSystemColors final : public SystemColors {
public:
    // The desktop, when given, must outlive this object.
    explicit DesktopSystemColors(const DesktopService *desktop = nullptr) : desktop_(desktop) {}

    ColorRef SysColor(int index) const override;

private:
    const DesktopService *desktop_;
    ClassicSystemColors classic_;
};

}  // namespace pellimore
