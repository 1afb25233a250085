#pragma once

#include <QSize>
#include <QString>

#include <optional>

#include "platform/raster/Bitmap.h"

namespace pellimore {

// How a wallpaper covers the desktop; the numbers are a picture's Style.
enum class WallpaperStyle : int { Centered = 0, Tiled = 1, Stretched = 2 };

// The style of a picture's Style number; nothing for an unknown number.
std::optional<WallpaperStyle> WallpaperStyleFromIndex(int index);
// "centered", "tiled" or "stretched".
QString WallpaperStyleName(WallpaperStyle style);
// The style of such a name (any case); nothing for an unknown name.
std::optional<WallpaperStyle> WallpaperStyleFromName(const QString &name);

// Success, or the reason of a failure in one line.
struct DesktopResult {
    QString error;
    bool Ok() const { return error.isEmpty(); }
    static DesktopResult Success() { return {}; }
    static DesktopResult Failure(const QString &why) { return {why.isEmpty() ? QStringLiteral("failed") : why}; }
};

// The desktop: its size and resolution, its background colour and its
// wallpaper (the direct method).
class DesktopService {
public:
    virtual ~DesktopService() = default;

    // The primary screen's size in device pixels.
    virtual QSize ScreenSize() const = 0;
    // The primary screen's logical horizontal resolution, dots per inch.
    virtual int LogicalDpiX() const = 0;
    // The desktop background colour last set (or found at start).
    virtual ColorRef BackgroundColor() const = 0;
    // Sets the background colour shown around and behind the wallpaper; it
    // reaches the desktop with the next SetWallpaper.
    virtual void SetBackgroundColor(ColorRef color) = 0;
    // Makes the picture file the wallpaper in the given style over the
    // background colour.
    virtual DesktopResult SetWallpaper(const QString &path, WallpaperStyle style) = 0;
    // The same, with the file's pixels already in memory, so that a desktop
    // the program draws itself need not read the file it was just given.
    virtual DesktopResult SetWallpaperPixels(const QString &path, WallpaperStyle style, const Bitmap &pixels)
    {
        (void)pixels;
        return SetWallpaper(path, style);
    }
    // True when SetWallpaperPixels shows the pixels without reading the
    // file, so the file may still be being written meanwhile.
    virtual bool ShowsPixelsWithoutFile() const { return false; }
    // The name of the desktop this service drives ("GNOME", "plain X11", ...).
    virtual QString BackendName() const = 0;
    // True when the desktop forgets its wallpaper when the session ends (a
    // plain X server), so the program shows it again at log-in.
    virtual bool ForgetsWallpaperAtLogout() const { return false; }
    // A wallpaper is about to be set (coming), while the picture is still
    // being made, or no longer; the desktop may prepare for it meanwhile.
    virtual void ExpectWallpaper(bool coming) { (void)coming; }
};

// The animated desktop: a second way to show a wallpaper, which can show an
// animated GIF. Where a session has none, every attempt fails with a reason.
class ActiveDesktop {
public:
    virtual ~ActiveDesktop() = default;
    // Shows the file as the desktop's wallpaper in the style over the
    // background colour; an animated GIF plays. switchOn asks to turn the
    // animated desktop on first when it is off.
    virtual DesktopResult SetWallpaper(const QString &path, WallpaperStyle style, ColorRef color, bool switchOn) = 0;
    // Turns the animated desktop off: an animation it shows ends (nothing
    // when there is none).
    virtual void Disable() = 0;
};

// The animated desktop of a session that has none: every attempt fails.
class UnavailableActiveDesktop final : public ActiveDesktop {
public:
    DesktopResult SetWallpaper(const QString &path, WallpaperStyle style, ColorRef color, bool switchOn) override;
    void Disable() override {}
};

}  // namespace pellimore
