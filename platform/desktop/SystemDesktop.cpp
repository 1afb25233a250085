#include "platform/desktop/SystemDesktop.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>

#include <cmath>
#include <unistd.h>

#include "platform/desktop/GSettingsBackend.h"
#include "platform/desktop/OtherBackends.h"
#include "platform/desktop/ProcessRunner.h"
#include "platform/desktop/X11RootBackend.h"

namespace pellimore {

namespace {

const QString kCopyPrefix = QStringLiteral("wallpaper-");

}  // namespace

std::unique_ptr<DesktopBackend> MakeDesktopBackend(DesktopKind kind, ProcessRunner &runner,
                                                   const QString &runtimeFolder)
{
    switch (kind) {
    case DesktopKind::Gnome:
        return std::make_unique<GSettingsBackend>(GSettingsBackend::Flavour::Gnome, runner);
    case DesktopKind::Cinnamon:
        return std::make_unique<GSettingsBackend>(GSettingsBackend::Flavour::Cinnamon, runner);
    case DesktopKind::Mate:
        return std::make_unique<GSettingsBackend>(GSettingsBackend::Flavour::Mate, runner);
    case DesktopKind::Kde:
        return std::make_unique<PlasmaBackend>(runner);
    case DesktopKind::Xfce:
        return std::make_unique<XfceBackend>(runner);
    case DesktopKind::Wlroots:
        return std::make_unique<SwaybgBackend>(runner, runtimeFolder + QStringLiteral("/pellimore-swaybg.pid"));
    case DesktopKind::X11:
        break;
    }
    return std::make_unique<X11RootBackend>();
}

SystemDesktop::SystemDesktop(std::unique_ptr<DesktopBackend> backend, ColorRef initialColor, QString cacheFolder)
    : backend_(std::move(backend)), color_(initialColor & 0xFFFFFF), cacheFolder_(std::move(cacheFolder))
{
}

QString SystemDesktop::DefaultCacheFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/wallpaper-pellimore");
}

QString SystemDesktop::DefaultRuntimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime;
    return DefaultCacheFolder();
}

QSize SystemDesktop::ScreenSize() const
{
    if (const std::optional<QSize> size = backend_->PrimaryScreenSize())
        return *size;
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const qreal ratio = screen->devicePixelRatio();
        return QSize(int(std::lround(screen->size().width() * ratio)),
                     int(std::lround(screen->size().height() * ratio)));
    }
    return QSize(1024, 768);
}

int SystemDesktop::LogicalDpiX() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? int(std::lround(screen->logicalDotsPerInchX())) : 96;
}

QString SystemDesktop::FreshCopy(const QString &path, QString *error) const
{
    if (!QDir().mkpath(cacheFolder_)) {
        *error = QStringLiteral("cannot make the folder %1").arg(cacheFolder_);
        return {};
    }
    const QString suffix = QFileInfo(path).suffix();
    QString copy;
    for (int attempt = 0; attempt < 100; ++attempt) {
        copy = QStringLiteral("%1/%2%3-%4.%5")
                   .arg(cacheFolder_, kCopyPrefix)
                   .arg(QDateTime::currentMSecsSinceEpoch())
                   .arg(attempt)
                   .arg(suffix.isEmpty() ? QStringLiteral("bmp") : suffix);
        if (!QFileInfo::exists(copy))
            break;
    }
    // A hard link costs nothing; another file system needs a real copy.
    if (::link(QFile::encodeName(path).constData(), QFile::encodeName(copy).constData()) == 0)
        return copy;
    if (!QFile::copy(path, copy)) {
        *error = QStringLiteral("cannot copy %1 to %2").arg(path, copy);
        return {};
    }
    return copy;
}

void SystemDesktop::DeleteOlderCopies(const QString &keep) const
{
    const QDir folder(cacheFolder_);
    const QStringList names = folder.entryList({kCopyPrefix + QStringLiteral("*")}, QDir::Files);
    for (const QString &name : names) {
        const QString path = folder.filePath(name);
        if (QFileInfo(path).absoluteFilePath() != QFileInfo(keep).absoluteFilePath())
            QFile::remove(path);
    }
}

DesktopResult SystemDesktop::SetWallpaper(const QString &path, WallpaperStyle style)
{
    return Apply(path, style, nullptr);
}

DesktopResult SystemDesktop::SetWallpaperPixels(const QString &path, WallpaperStyle style, const Bitmap &pixels)
{
    return Apply(path, style, &pixels);
}

DesktopResult SystemDesktop::Apply(const QString &path, WallpaperStyle style, const Bitmap *pixels)
{
    // A desktop drawn from the pixels does not need the file (yet).
    if (!(pixels && ShowsPixelsWithoutFile()) && !QFileInfo(path).isFile())
        return DesktopResult::Failure(QStringLiteral("%1 desktop: the file %2 does not exist").arg(backend_->Name(), path));
    WallpaperSettings settings{QFileInfo(path).absoluteFilePath(), style, color_, pixels};
    if (backend_->CachesByFileName()) {
        QString error;
        settings.path = FreshCopy(settings.path, &error);
        if (settings.path.isEmpty())
            return DesktopResult::Failure(QStringLiteral("%1 desktop: %2").arg(backend_->Name(), error));
    }
    const DesktopResult result = backend_->Apply(settings);
    if (backend_->CachesByFileName()) {
        // On failure the desktop still shows the copy it had.
        if (result.Ok())
            DeleteOlderCopies(settings.path);
        else
            QFile::remove(settings.path);
    }
    return result;
}

}  // namespace pellimore
