#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace pellimore {

// The kinds of desktop we can set a wallpaper on; each has its backend.
enum class DesktopKind { Gnome, Cinnamon, Mate, Kde, Xfce, Wlroots, X11 };

// "gnome", "cinnamon", "mate", "kde", "xfce", "wlroots", "x11": the names
// PELLIMORE_DESKTOP and the setting take.
QString DesktopKindName(DesktopKind kind);
std::optional<DesktopKind> DesktopKindFromName(const QString &name);

// What the session says about itself.
struct SessionEnvironment {
    QString currentDesktop;   // XDG_CURRENT_DESKTOP, a colon-separated list
    QString waylandDisplay;   // WAYLAND_DISPLAY
    QString sessionType;      // XDG_SESSION_TYPE
    QString desktopOverride;  // PELLIMORE_DESKTOP

    static SessionEnvironment FromProcess();
};

// The desktop named in an XDG_CURRENT_DESKTOP list: any element, in any case
// ("ubuntu:GNOME", "Budgie:GNOME", "X-Cinnamon", ...); nothing when no
// element is known.
std::optional<DesktopKind> DesktopKindFromCurrentDesktop(const QString &currentDesktop);

// The desktop whose program draws a desktop window of this WM_CLASS.
std::optional<DesktopKind> DesktopKindFromDesktopWindow(const QString &windowClass);

// Chooses the backend: PELLIMORE_DESKTOP first, then the setting, then the
// session's own name, then Wayland (wlroots), then X11. In an X11 session
// whose name we do not know, a program drawing a desktop window (asked
// through desktopWindowClass) names the desktop; without one the root window
// is ours. Unknown override or setting names are ignored.
DesktopKind ChooseDesktopKind(const SessionEnvironment &session, const QString &setting,
                              const std::function<std::optional<QString>()> &desktopWindowClass);

}  // namespace pellimore
