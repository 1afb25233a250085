#pragma once

#include <QString>
#include <QStringList>

#include "platform/desktop/DesktopBackend.h"

namespace pellimore {

class ProcessRunner;

// KDE Plasma: a script for the shell's scripting interface, sent over D-Bus
// with dbus-send, that sets the image plugin on every desktop.
class PlasmaBackend final : public DesktopBackend {
public:
    explicit PlasmaBackend(ProcessRunner &runner) : runner_(runner) {}

    QString Name() const override { return QStringLiteral("KDE Plasma"); }
    DesktopResult Apply(const WallpaperSettings &settings) override;
    bool CachesByFileName() const override { return true; }

    // The script Apply sends.
    static QString Script(const WallpaperSettings &settings);
    // Plasma's FillMode of a style.
    static int FillMode(WallpaperStyle style);

private:
    ProcessRunner &runner_;
};

// A text as a JavaScript string literal in double quotes; every character
// that could end or change the literal is escaped.
QString JavaScriptString(const QString &text);

// XFCE: the xfce4-desktop channel of xfconf. xfdesktop reads the properties
// under /backdrop/screen0/monitor<RandR output name>/workspace<n>/; a fresh
// profile has none, so besides every folder the channel already lists, the
// folders of every monitor and workspace of the X display are written.
class XfceBackend final : public DesktopBackend {
public:
    // display: the X display XFCE runs on; "" means $DISPLAY.
    explicit XfceBackend(ProcessRunner &runner, QString display = QString())
        : runner_(runner), display_(std::move(display)) {}

    QString Name() const override { return QStringLiteral("XFCE"); }
    DesktopResult Apply(const WallpaperSettings &settings) override;
    bool CachesByFileName() const override { return true; }

    // The property folders (".../workspace0", or an old ".../monitor0") found
    // in a listing of the channel's properties.
    static QStringList BackdropFolders(const QString &listing);
    // XFCE's image-style of a style.
    static int ImageStyle(WallpaperStyle style);

private:
    // The folders xfdesktop reads on the display as it is now; none when the
    // display's monitors are unknown.
    QStringList CurrentFolders();
    // The number of workspaces: the window manager's, else xfwm4's setting,
    // else 1.
    int Workspaces(int published);
    DesktopResult Set(const QStringList &arguments);
    ProcessRunner &runner_;
    QString display_;
};

// wlroots compositors (sway and others): a swaybg process draws the
// wallpaper. The new one is started before the one we started before ends, so
// the screen never shows the compositor's grey.
class SwaybgBackend final : public DesktopBackend {
public:
    // pidFile: where the process id of our swaybg is kept between runs.
    SwaybgBackend(ProcessRunner &runner, QString pidFile) : runner_(runner), pidFile_(std::move(pidFile)) {}

    QString Name() const override { return QStringLiteral("wlroots (swaybg)"); }
    DesktopResult Apply(const WallpaperSettings &settings) override;

    static QStringList Arguments(const WallpaperSettings &settings);

private:
    ProcessRunner &runner_;
    QString pidFile_;
};

}  // namespace pellimore
