#pragma once

#include <QSize>
#include <QString>

#include <optional>

#include "platform/desktop/DesktopService.h"

namespace pellimore {

// What a backend is asked to show.
struct WallpaperSettings {
    QString path;                                   // the picture file (absolute)
    WallpaperStyle style = WallpaperStyle::Centered;
    ColorRef color = 0;                             // the background colour (RGB)
    // The file's pixels when the caller has them in memory: a backend that
    // draws the desktop itself takes them instead of reading the file back.
    const Bitmap *pixels = nullptr;
};

// One way of setting the wallpaper of one kind of desktop.
class DesktopBackend {
public:
    virtual ~DesktopBackend() = default;
    // The desktop's name for messages ("GNOME", "KDE Plasma", ...).
    virtual QString Name() const = 0;
    virtual DesktopResult Apply(const WallpaperSettings &settings) = 0;
    // True for desktops that do not reload a file set again under the same
    // name: they must be handed a fresh name every time.
    virtual bool CachesByFileName() const { return false; }
    // The primary screen's size where the backend knows it better than the
    // toolkit (the X server it draws on).
    virtual std::optional<QSize> PrimaryScreenSize() const { return std::nullopt; }
    // True when the backend, given the pixels, draws them and never reads
    // the file.
    virtual bool DrawsFromPixels() const { return false; }
    // True when the desktop forgets the wallpaper when the session ends.
    virtual bool ForgetsWallpaperAtLogout() const { return false; }
    // A wallpaper is about to be applied (coming) or no longer (what was
    // prepared for it is let go): a backend may start slow work of its own
    // meanwhile, such as the X server's allocation of the screen's pixmap.
    virtual void ExpectWallpaper(bool coming) { (void)coming; }
};

// "#rrggbb" of a colour.
QString HexColor(ColorRef color);

}  // namespace pellimore
