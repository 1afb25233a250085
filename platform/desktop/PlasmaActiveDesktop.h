#pragma once

#include "platform/desktop/DesktopService.h"

namespace pellimore {

class ProcessRunner;

// The animated desktop of KDE Plasma: its image wallpaper plays a GIF itself,
// so the file goes to it unchanged, with the style's fill mode and the
// colour, through the same scripting call the Plasma backend makes.
class PlasmaActiveDesktop final : public ActiveDesktop {
public:
    explicit PlasmaActiveDesktop(ProcessRunner &runner) : runner_(runner) {}

    DesktopResult SetWallpaper(const QString &path, WallpaperStyle style, ColorRef color, bool switchOn) override;
    // Plasma keeps showing the last picture until the direct method replaces
    // it; there is nothing of ours to end.
    void Disable() override {}

private:
    ProcessRunner &runner_;
};

}  // namespace pellimore
