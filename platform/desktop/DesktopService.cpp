#include "platform/desktop/DesktopService.h"

namespace pellimore {

std::optional<WallpaperStyle> WallpaperStyleFromIndex(int index)
{
    switch (index) {
    case 0:
        return WallpaperStyle::Centered;
    case 1:
        return WallpaperStyle::Tiled;
    case 2:
        return WallpaperStyle::Stretched;
    }
    return std::nullopt;
}

QString WallpaperStyleName(WallpaperStyle style)
{
    switch (style) {
    case WallpaperStyle::Centered:
        return QStringLiteral("centered");
    case WallpaperStyle::Tiled:
        return QStringLiteral("tiled");
    case WallpaperStyle::Stretched:
        return QStringLiteral("stretched");
    }
    return {};
}

std::optional<WallpaperStyle> WallpaperStyleFromName(const QString &name)
{
    for (int i = 0; i < 3; ++i) {
        const WallpaperStyle style = *WallpaperStyleFromIndex(i);
        if (name.compare(WallpaperStyleName(style), Qt::CaseInsensitive) == 0)
            return style;
    }
    return std::nullopt;
}

DesktopResult UnavailableActiveDesktop::SetWallpaper(const QString &, WallpaperStyle, ColorRef, bool)
{
    return DesktopResult::Failure(QStringLiteral("This session has no animated desktop."));
}

}  // namespace pellimore
