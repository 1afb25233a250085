#include "platform/desktop/X11RootBackend.h"

#include <QImage>
#include <QImageReader>

#include "platform/desktop/RootLayout.h"
#include "platform/desktop/X11Root.h"

namespace pellimore {

DesktopResult X11RootBackend::Apply(const WallpaperSettings &settings)
{
    QString error;
    const std::optional<X11ScreenInfo> screen = ReadX11Screen(display_, &error);
    if (!screen)
        return DesktopResult::Failure(QStringLiteral("plain X11 desktop: ") + error);

    QImageReader reader(settings.path);
    reader.setAutoTransform(false);
    const QImage image = reader.read();
    if (image.isNull())
        return DesktopResult::Failure(
            QStringLiteral("plain X11 desktop: cannot read %1: %2").arg(settings.path, reader.errorString()));
    const Bitmap picture = Bitmap::FromImage(image);
    const Bitmap root = ComposeRootImage(screen->size, screen->monitors, picture, settings.style, settings.color);
    const DesktopResult result = SetRootImage(display_, root);
    if (!result.Ok())
        return DesktopResult::Failure(QStringLiteral("plain X11 desktop: ") + result.error);
    return result;
}

std::optional<QSize> X11RootBackend::PrimaryScreenSize() const
{
    const std::optional<X11ScreenInfo> screen = ReadX11Screen(display_);
    if (!screen)
        return std::nullopt;
    return screen->primary.size();
}

}  // namespace pellimore
