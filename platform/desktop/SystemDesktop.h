#pragma once

#include <QString>

#include <memory>

#include "platform/desktop/DesktopBackend.h"
#include "platform/desktop/DesktopService.h"
#include "platform/desktop/SessionDetect.h"

namespace pellimore {

class ProcessRunner;

// Makes the backend of a desktop kind; runtimeFolder keeps swaybg's process id.
std::unique_ptr<DesktopBackend> MakeDesktopBackend(DesktopKind kind, ProcessRunner &runner,
                                                   const QString &runtimeFolder);

// The real desktop service: one backend chosen at start, the screen from the
// backend or the toolkit, and fresh file names for desktops that cache by
// name.
class SystemDesktop final : public DesktopService {
public:
    // cacheFolder: where the fresh copies go (older ones are deleted there).
    SystemDesktop(std::unique_ptr<DesktopBackend> backend, ColorRef initialColor, QString cacheFolder);

    QSize ScreenSize() const override;
    int LogicalDpiX() const override;
    ColorRef BackgroundColor() const override { return color_; }
    void SetBackgroundColor(ColorRef color) override { color_ = color & 0xFFFFFF; }
    DesktopResult SetWallpaper(const QString &path, WallpaperStyle style) override;
    DesktopResult SetWallpaperPixels(const QString &path, WallpaperStyle style, const Bitmap &pixels) override;
    bool ShowsPixelsWithoutFile() const override
    {
        return backend_->DrawsFromPixels() && !backend_->CachesByFileName();
    }
    QString BackendName() const override { return backend_->Name(); }
    bool ForgetsWallpaperAtLogout() const override { return backend_->ForgetsWallpaperAtLogout(); }
    void ExpectWallpaper(bool coming) override { backend_->ExpectWallpaper(coming); }

    // The program's cache folder for fresh copies
    // ($XDG_CACHE_HOME/wallpaper-pellimore).
    static QString DefaultCacheFolder();
    // The folder for the swaybg process id ($XDG_RUNTIME_DIR, else the cache).
    static QString DefaultRuntimeFolder();

private:
    DesktopResult Apply(const QString &path, WallpaperStyle style, const Bitmap *pixels);
    // A copy of the file under a name the desktop has not seen; "" on failure.
    QString FreshCopy(const QString &path, QString *error) const;
    void DeleteOlderCopies(const QString &keep) const;

    std::unique_ptr<DesktopBackend> backend_;
    ColorRef color_;
    QString cacheFolder_;
};

}  // namespace pellimore
