#include "platform/desktop/X11RootBackend.h"

#include "platform/desktop/RootLayout.h"
#include "platform/desktop/X11Root.h"
#include "platform/imageio/PictureLoader.h"

namespace pellimore {

DesktopResult X11RootBackend::Apply(const WallpaperSettings &settings)
{
    QString error;
    const std::optional<X11ScreenInfo> screen = ReadX11Screen(display_, &error);
    if (!screen)
        return DesktopResult::Failure(QStringLiteral("plain X11 desktop: ") + error);

    // The caller's pixels when it has them; the file is read only otherwise.
    PictureResult loaded;
    if (!settings.pixels) {
        loaded = LoadPicture(settings.path);
        if (!loaded.Ok())
            return DesktopResult::Failure(
                QStringLiteral("plain X11 desktop: cannot read %1: %2").arg(settings.path, loaded.error));
    }
    const Bitmap &picture = settings.pixels ? *settings.pixels : loaded.bitmap;
    const DesktopResult result = SetRootImage(
        display_, screen->size,
        [&](Bitmap &strip, int y) {
            ComposeRootStrip(strip, y, screen->size, screen->monitors, picture, settings.style, settings.color);
        },
        std::move(reserved_));
    if (!result.Ok())
        return DesktopResult::Failure(QStringLiteral("plain X11 desktop: ") + result.error);
    return result;
}

void X11RootBackend::ExpectWallpaper(bool coming)
{
    reserved_ = coming ? ReserveRootPixmap(display_) : ReservedRootPixmap();
}

std::optional<QSize> X11RootBackend::PrimaryScreenSize() const
{
    const std::optional<X11ScreenInfo> screen = ReadX11Screen(display_);
    if (!screen)
        return std::nullopt;
    return screen->primary.size();
}

}  // namespace pellimore
