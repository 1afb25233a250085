#pragma once

#include <QString>

#include <optional>

#include "platform/raster/Bitmap.h"

namespace pellimore {

// The colour the X server shows under the pointer: one pixel of the root
// window read at the pointer's position, whatever window or wallpaper drew
// it. display: an X display name, empty for $DISPLAY. Nothing when there is
// no X server or its screen is not 24 or 32 bits deep.
std::optional<ColorRef> ReadX11ScreenColorAtPointer(const QString &display = QString());

}  // namespace pellimore
