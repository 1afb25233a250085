#include "platform/desktop/PlasmaActiveDesktop.h"

#include <QFileInfo>

#include "platform/desktop/OtherBackends.h"

namespace pellimore {

DesktopResult PlasmaActiveDesktop::SetWallpaper(const QString &path, WallpaperStyle style, ColorRef color, bool)
{
    // Plasma reads the file when the script runs, from its own process: a
    // relative or missing name would leave the desktop empty without an error.
    const QFileInfo file(path);
    if (!file.isFile())
        return DesktopResult::Failure(QStringLiteral("KDE Plasma desktop: %1 is not a file").arg(path));
    WallpaperSettings settings;
    settings.path = file.absoluteFilePath();
    settings.style = style;
    settings.color = color & 0xFFFFFF;
    PlasmaBackend plasma(runner_);
    return plasma.Apply(settings);
}

}  // namespace pellimore
