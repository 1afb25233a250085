#include "platform/desktop/SessionDetect.h"

#include <QStringList>

namespace pellimore {

namespace {

struct KindName {
    DesktopKind kind;
    const char *name;
};

constexpr KindName kKindNames[] = {
    {DesktopKind::Gnome, "gnome"}, {DesktopKind::Cinnamon, "cinnamon"}, {DesktopKind::Mate, "mate"},
    {DesktopKind::Kde, "kde"},     {DesktopKind::Xfce, "xfce"},         {DesktopKind::Wlroots, "wlroots"},
    {DesktopKind::X11, "x11"},
};

// XDG_CURRENT_DESKTOP elements (lower case) and the desktop each stands for.
constexpr KindName kSessionNames[] = {
    {DesktopKind::Cinnamon, "x-cinnamon"}, {DesktopKind::Cinnamon, "cinnamon"}, {DesktopKind::Mate, "mate"},
    {DesktopKind::Kde, "kde"},             {DesktopKind::Xfce, "xfce"},         {DesktopKind::Gnome, "gnome"},
    {DesktopKind::Gnome, "budgie"},        {DesktopKind::Gnome, "gnome-flashback"},
    {DesktopKind::Gnome, "unity"},         {DesktopKind::Wlroots, "sway"},      {DesktopKind::Wlroots, "wlroots"},
    {DesktopKind::Wlroots, "hyprland"},    {DesktopKind::Wlroots, "river"},     {DesktopKind::Wlroots, "labwc"},
    {DesktopKind::Wlroots, "wayfire"},
};

// WM_CLASS names of programs that draw the desktop window.
constexpr KindName kDesktopWindowClasses[] = {
    {DesktopKind::Xfce, "xfdesktop"},        {DesktopKind::Gnome, "nautilus"}, {DesktopKind::Gnome, "desktop-icons"},
    {DesktopKind::Mate, "caja"},             {DesktopKind::Cinnamon, "nemo-desktop"},
    {DesktopKind::Kde, "plasmashell"},
};

}  // namespace

QString DesktopKindName(DesktopKind kind)
{
    for (const KindName &entry : kKindNames) {
        if (entry.kind == kind)
            return QString::fromLatin1(entry.name);
    }
    return {};
}

std::optional<DesktopKind> DesktopKindFromName(const QString &name)
{
    const QString wanted = name.trimmed().toLower();
    for (const KindName &entry : kKindNames) {
        if (wanted == QLatin1String(entry.name))
            return entry.kind;
    }
    return std::nullopt;
}

SessionEnvironment SessionEnvironment::FromProcess()
{
    SessionEnvironment session;
    session.currentDesktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    session.waylandDisplay = qEnvironmentVariable("WAYLAND_DISPLAY");
    session.sessionType = qEnvironmentVariable("XDG_SESSION_TYPE");
    session.desktopOverride = qEnvironmentVariable("PELLIMORE_DESKTOP");
    return session;
}

std::optional<DesktopKind> DesktopKindFromCurrentDesktop(const QString &currentDesktop)
{
    const QStringList elements = currentDesktop.toLower().split(QLatin1Char(':'), Qt::SkipEmptyParts);
    // The first element that names a known desktop wins: "Budgie:GNOME" is
    // Budgie, which uses GNOME's keys anyway.
    for (const QString &raw : elements) {
        const QString element = raw.trimmed();
        for (const KindName &entry : kSessionNames) {
            if (element == QLatin1String(entry.name))
                return entry.kind;
        }
    }
    return std::nullopt;
}

std::optional<DesktopKind> DesktopKindFromDesktopWindow(const QString &windowClass)
{
    const QString name = windowClass.toLower();
    for (const KindName &entry : kDesktopWindowClasses) {
        if (name == QLatin1String(entry.name))
            return entry.kind;
    }
    return std::nullopt;
}

DesktopKind ChooseDesktopKind(const SessionEnvironment &session, const QString &setting,
                              const std::function<std::optional<QString>()> &desktopWindowClass)
{
    if (const auto kind = DesktopKindFromName(session.desktopOverride))
        return *kind;
    if (const auto kind = DesktopKindFromName(setting))
        return *kind;
    if (const auto kind = DesktopKindFromCurrentDesktop(session.currentDesktop))
        return *kind;
    if (!session.waylandDisplay.isEmpty() || session.sessionType.compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0)
        return DesktopKind::Wlroots;
    if (desktopWindowClass) {
        if (const std::optional<QString> windowClass = desktopWindowClass()) {
            if (const auto kind = DesktopKindFromDesktopWindow(*windowClass))
                return *kind;
        }
    }
    return DesktopKind::X11;
}

}  // namespace pellimore
