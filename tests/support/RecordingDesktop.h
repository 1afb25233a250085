#pragma once

#include <QSize>
#include <QString>

#include <vector>

#include "platform/desktop/DesktopService.h"
#include "platform/raster/BmpFile.h"
#include "platform/sound/SoundService.h"

namespace pellimore::test {

// A desktop for logic tests: a screen of the size the test chooses, and a
// record of every wallpaper it was given (with the picture as it was then).
// The real backends have their own tests against gsettings and an X server.
class RecordingDesktop final : public DesktopService {
public:
    struct Applied {
        QString path;
        WallpaperStyle style = WallpaperStyle::Centered;
        ColorRef color = 0;
        Bitmap picture;  // the pixels handed over, else the file read back at the time
        bool pixelsHandedOver = false;
    };

    explicit RecordingDesktop(QSize screen = QSize(1024, 768), int dpi = 96) : screen_(screen), dpi_(dpi) {}

    QSize ScreenSize() const override { return screen_; }
    int LogicalDpiX() const override { return dpi_; }
    ColorRef BackgroundColor() const override { return color_; }
    void SetBackgroundColor(ColorRef color) override { color_ = color; }
    DesktopResult SetWallpaper(const QString &path, WallpaperStyle style) override
    {
        applied_.push_back({path, style, color_, ReadBmp(path).bitmap});
        return failWith_.isEmpty() ? DesktopResult::Success() : DesktopResult::Failure(failWith_);
    }
    DesktopResult SetWallpaperPixels(const QString &path, WallpaperStyle style, const Bitmap &pixels) override
    {
        applied_.push_back({path, style, color_, pixels, true});
        return failWith_.isEmpty() ? DesktopResult::Success() : DesktopResult::Failure(failWith_);
    }
    QString BackendName() const override { return QStringLiteral("Test"); }
    bool ShowsPixelsWithoutFile() const override { return fromPixels_; }

    void SetScreen(QSize screen) { screen_ = screen; }
    // Shows pixels handed over without the file, as a desktop the program draws.
    void ShowPixelsWithoutFile(bool on) { fromPixels_ = on; }
    void FailWith(const QString &reason) { failWith_ = reason; }
    const std::vector<Applied> &AppliedWallpapers() const { return applied_; }

private:
    QSize screen_;
    int dpi_;
    ColorRef color_ = 0;
    QString failWith_;
    bool fromPixels_ = false;
    std::vector<Applied> applied_;
};

// A sound service that only remembers what it was asked to play.
class RecordingSound final : public SoundService {
public:
    void PlayFile(const QString &path) override { played_.push_back(path); }
    const std::vector<QString> &Played() const { return played_; }

private:
    std::vector<QString> played_;
};

}  // namespace pellimore::test
