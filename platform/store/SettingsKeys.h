#pragma once

#include <QString>

#include "platform/ProgramNames.h"

namespace pellimore {

// The sections of the settings store (application kApplicationName) and
// their keys, one table per section.

// WallPaper's own settings.
struct WallpaperKeys {
    static inline const QString kSection = QStringLiteral("Wallpaper");
    static inline const QString kFolder = QStringLiteral("Folder");
    static inline const QString kStartup = QStringLiteral("Startup");
    static inline const QString kCurrent = QStringLiteral("Current");
    static inline const QString kTime = QStringLiteral("Time");
    static inline const QString kInterval2 = QStringLiteral("Interval2");
    static inline const QString kInterval3 = QStringLiteral("Interval3");
    static inline const QString kDate = QStringLiteral("Date");
    static inline const QString kSound = QStringLiteral("Sound");
    static inline const QString kColor = QStringLiteral("Color");
    static inline const QString kActiveDesktop = QStringLiteral("AD");
    static inline const QString kJpg = QStringLiteral("JPG");
    static inline const QString kAutoStartMessage = QStringLiteral("AutoStartMessage");
};

// The screen saver's settings; WallPaper writes "MyDocs".
struct ScreenSaverKeys {
    static inline const QString kSection = QStringLiteral("ScreenSaver");
    static inline const QString kFolder = QStringLiteral("Folder");
    static inline const QString kDisplay = QStringLiteral("Display");
    static inline const QString kTitle = QStringLiteral("Title");
    static inline const QString kFont = QStringLiteral("Font");
    static inline const QString kFontSize = QStringLiteral("FontSize");
    static inline const QString kFontColor = QStringLiteral("FontColor");
    static inline const QString kBold = QStringLiteral("Bold");
    static inline const QString kItalic = QStringLiteral("Italic");
    static inline const QString kUnderline = QStringLiteral("Underline");
    static inline const QString kIndex = QStringLiteral("Index");
    static inline const QString kRandom = QStringLiteral("Random");
    static inline const QString kSlide = QStringLiteral("Slide");
    static inline const QString kColor = QStringLiteral("Color");
    static inline const QString kStyle = QStringLiteral("Style");
    static inline const QString kMyDocs = QStringLiteral("MyDocs");
};

// The desktop's wallpaper values, kept for the next log-in and for the
// desktop backend.
struct DesktopKeys {
    static inline const QString kSection = QStringLiteral("Desktop");
    static inline const QString kTileWallpaper = QStringLiteral("TileWallpaper");    // " 1" tiled
    static inline const QString kWallpaperStyle = QStringLiteral("WallpaperStyle");  // " 2" stretched
    static inline const QString kBackground = QStringLiteral("Background");          // "R G B" (RgbText)
    static inline const QString kWallpaper = QStringLiteral("Wallpaper");            // the wallpaper file
    static inline const QString kBackend = QStringLiteral("Backend");                // the desktop backend's name
};

}  // namespace pellimore
