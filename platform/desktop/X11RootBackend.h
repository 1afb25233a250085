#pragma once

#include "platform/desktop/DesktopBackend.h"
#include "platform/desktop/X11Root.h"

namespace pellimore {

// Plain X11 sessions (no program draws the desktop): we lay the wallpaper out
// on every monitor ourselves and make it the root window's background.
class X11RootBackend final : public DesktopBackend {
public:
    // display: the X display; "" means $DISPLAY.
    explicit X11RootBackend(QString display = QString()) : display_(std::move(display)) {}

    QString Name() const override { return QStringLiteral("plain X11"); }
    DesktopResult Apply(const WallpaperSettings &settings) override;
    std::optional<QSize> PrimaryScreenSize() const override;
    bool DrawsFromPixels() const override { return true; }
    bool ForgetsWallpaperAtLogout() const override { return true; }
    // The screen's pixmap is asked for ahead, so that the X server allocates
    // it while the picture is made.
    void ExpectWallpaper(bool coming) override;

private:
    QString display_;
    ReservedRootPixmap reserved_;
};

}  // namespace pellimore
