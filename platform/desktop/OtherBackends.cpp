#include "platform/desktop/OtherBackends.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QUrl>

#include <algorithm>

#include "platform/desktop/ProcessRunner.h"
#include "platform/desktop/X11Root.h"

namespace pellimore {

// --- KDE Plasma ------------------------------------------------------------

QString JavaScriptString(const QString &text)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (c == QLatin1Char('"') || c == QLatin1Char('\\')) {
            quoted += QLatin1Char('\\');
            quoted += c;
        } else if (u < 0x20 || u == 0x7f || u == 0x2028 || u == 0x2029) {
            quoted += QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0'));
        } else {
            quoted += c;
        }
    }
    quoted += QLatin1Char('"');
    return quoted;
}

int PlasmaBackend::FillMode(WallpaperStyle style)
{
    switch (style) {
    case WallpaperStyle::Centered:
        return 6;
    case WallpaperStyle::Tiled:
        return 3;
    case WallpaperStyle::Stretched:
        return 0;
    }
    return 6;
}

QString PlasmaBackend::Script(const WallpaperSettings &settings)
{
    const QString uri = QUrl::fromLocalFile(settings.path).toString(QUrl::FullyEncoded);
    return QStringLiteral(
               "var all = desktops();\n"
               "for (var i = 0; i < all.length; i++) {\n"
               "    var d = all[i];\n"
               "    d.wallpaperPlugin = \"org.kde.image\";\n"
               "    d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];\n"
               "    d.writeConfig(\"FillMode\", %1);\n"
               "    d.writeConfig(\"Color\", %2);\n"
               "    d.writeConfig(\"Image\", %3);\n"
               "}\n")
        .arg(FillMode(settings.style))
        .arg(JavaScriptString(HexColor(settings.color)), JavaScriptString(uri));
}

DesktopResult PlasmaBackend::Apply(const WallpaperSettings &settings)
{
    const QString program = QStringLiteral("dbus-send");
    if (!runner_.Exists(program))
        return DesktopResult::Failure(QStringLiteral("KDE Plasma desktop: dbus-send is not installed"));
    const ProcessOutcome outcome = runner_.Run(
        program, {QStringLiteral("--session"), QStringLiteral("--type=method_call"), QStringLiteral("--print-reply"),
                  QStringLiteral("--dest=org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
                  QStringLiteral("org.kde.PlasmaShell.evaluateScript"), QStringLiteral("string:") + Script(settings)});
    if (!outcome.Succeeded())
        return DesktopResult::Failure(QStringLiteral("KDE Plasma desktop: %1").arg(outcome.Describe(program)));
    return DesktopResult::Success();
}

// --- XFCE --------------------------------------------------------------------

int XfceBackend::ImageStyle(WallpaperStyle style)
{
    switch (style) {
    case WallpaperStyle::Centered:
        return 1;
    case WallpaperStyle::Tiled:
        return 2;
    case WallpaperStyle::Stretched:
        return 3;
    }
    return 1;
}

QStringList XfceBackend::BackdropFolders(const QString &listing)
{
    // /backdrop/screen0/monitorHDMI-1/workspace0/last-image (connector names,
    // since XFCE 4.12) or /backdrop/screen0/monitor0/image-path (older).
    static const QRegularExpression workspace(
        QStringLiteral("^(/backdrop/screen0/monitor[^/]+/workspace\\d+)/"));
    static const QRegularExpression monitor(QStringLiteral("^(/backdrop/screen0/monitor[^/]+)/[^/]+$"));
    QStringList folders;
    QSet<QString> seen;
    const QStringList lines = listing.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &rawLine : lines) {
        const QString line = rawLine.trimmed();
        QRegularExpressionMatch match = workspace.match(line);
        if (!match.hasMatch())
            match = monitor.match(line);
        if (match.hasMatch() && !seen.contains(match.captured(1))) {
            seen.insert(match.captured(1));
            folders << match.captured(1);
        }
    }
    return folders;
}

DesktopResult XfceBackend::Set(const QStringList &arguments)
{
    const QString program = QStringLiteral("xfconf-query");
    const ProcessOutcome outcome =
        runner_.Run(program, QStringList{QStringLiteral("-c"), QStringLiteral("xfce4-desktop")} + arguments);
    if (!outcome.Succeeded())
        return DesktopResult::Failure(QStringLiteral("XFCE desktop: %1").arg(outcome.Describe(program)));
    return DesktopResult::Success();
}

int XfceBackend::Workspaces(int published)
{
    if (published > 0)
        return published;
    const ProcessOutcome outcome = runner_.Run(
        QStringLiteral("xfconf-query"),
        {QStringLiteral("-c"), QStringLiteral("xfwm4"), QStringLiteral("-p"), QStringLiteral("/general/workspace_count")});
    bool ok = false;
    const int count = QString::fromLocal8Bit(outcome.standardOutput).trimmed().toInt(&ok);
    return outcome.Succeeded() && ok && count > 0 ? std::min(count, 1024) : 1;
}

QStringList XfceBackend::CurrentFolders()
{
    const std::optional<X11ScreenInfo> screen = ReadX11Screen(display_);
    if (!screen || screen->outputNames.isEmpty())
        return {};
    const int workspaces = Workspaces(screen->workspaces);
    QStringList folders;
    for (const QString &output : screen->outputNames) {
        for (int i = 0; i < workspaces; ++i)
            folders << QStringLiteral("/backdrop/screen0/monitor%1/workspace%2").arg(output).arg(i);
    }
    return folders;
}

DesktopResult XfceBackend::Apply(const WallpaperSettings &settings)
{
    const QString program = QStringLiteral("xfconf-query");
    if (!runner_.Exists(program))
        return DesktopResult::Failure(QStringLiteral("XFCE desktop: xfconf-query is not installed"));
    const ProcessOutcome listing =
        runner_.Run(program, {QStringLiteral("-c"), QStringLiteral("xfce4-desktop"), QStringLiteral("-l")});
    if (!listing.Succeeded())
        return DesktopResult::Failure(QStringLiteral("XFCE desktop: %1").arg(listing.Describe(program)));
    QStringList folders = BackdropFolders(QString::fromLocal8Bit(listing.standardOutput));
    for (const QString &folder : CurrentFolders()) {
        if (!folders.contains(folder))
            folders << folder;
    }
    // Without an X display to ask, xfdesktop's name for a monitor it cannot
    // name is its number.
    if (folders.isEmpty()) {
        for (int i = 0, n = Workspaces(0); i < n; ++i)
            folders << QStringLiteral("/backdrop/screen0/monitor0/workspace%1").arg(i);
    }

    auto channel = [](double v) { return QString::number(v, 'f', 6); };
    const QString red = channel(RedOf(settings.color) / 255.0);
    const QString green = channel(GreenOf(settings.color) / 255.0);
    const QString blue = channel(BlueOf(settings.color) / 255.0);
    const QString dbl = QStringLiteral("double");
    for (const QString &folder : folders) {
        // -n creates a property that is missing; -t gives its type.
        const QList<QStringList> writes = {
            {QStringLiteral("-p"), folder + QStringLiteral("/color-style"), QStringLiteral("-n"), QStringLiteral("-t"),
             QStringLiteral("int"), QStringLiteral("-s"), QStringLiteral("0")},
            {QStringLiteral("-p"), folder + QStringLiteral("/rgba1"), QStringLiteral("-n"), QStringLiteral("-t"), dbl,
             QStringLiteral("-t"), dbl, QStringLiteral("-t"), dbl, QStringLiteral("-t"), dbl, QStringLiteral("-s"), red,
             QStringLiteral("-s"), green, QStringLiteral("-s"), blue, QStringLiteral("-s"), channel(1.0)},
            {QStringLiteral("-p"), folder + QStringLiteral("/image-style"), QStringLiteral("-n"), QStringLiteral("-t"),
             QStringLiteral("int"), QStringLiteral("-s"), QString::number(ImageStyle(settings.style))},
            {QStringLiteral("-p"), folder + QStringLiteral("/last-image"), QStringLiteral("-n"), QStringLiteral("-t"),
             QStringLiteral("string"), QStringLiteral("-s"), settings.path},
        };
        for (const QStringList &write : writes) {
            const DesktopResult result = Set(write);
            if (!result.Ok())
                return result;
        }
    }
    return DesktopResult::Success();
}

// --- swaybg ------------------------------------------------------------------

QStringList SwaybgBackend::Arguments(const WallpaperSettings &settings)
{
    QString mode = QStringLiteral("center");
    if (settings.style == WallpaperStyle::Tiled)
        mode = QStringLiteral("tile");
    else if (settings.style == WallpaperStyle::Stretched)
        mode = QStringLiteral("stretch");
    // swaybg takes only "#rrggbb"; anything else leaves its grey around the picture.
    return {QStringLiteral("-o"), QStringLiteral("*"),  QStringLiteral("-i"), settings.path,
            QStringLiteral("-m"), mode,                  QStringLiteral("-c"), HexColor(settings.color)};
}

DesktopResult SwaybgBackend::Apply(const WallpaperSettings &settings)
{
    const QString program = QStringLiteral("swaybg");
    if (!runner_.Exists(program))
        return DesktopResult::Failure(QStringLiteral("wlroots desktop: swaybg is not installed"));

    qint64 previous = 0;
    QFile oldPid(pidFile_);
    if (oldPid.open(QIODevice::ReadOnly))
        previous = QString::fromLatin1(oldPid.readAll()).trimmed().toLongLong();
    oldPid.close();

    QString error;
    // swaybg fails at once when it cannot reach the compositor or read the file.
    const std::optional<qint64> pid = runner_.StartBackground(program, Arguments(settings), 400, &error);
    if (!pid)
        return DesktopResult::Failure(QStringLiteral("wlroots desktop: %1").arg(error));
    if (previous > 0 && previous != *pid)
        runner_.Terminate(previous, program);

    QDir().mkpath(QFileInfo(pidFile_).absolutePath());
    QSaveFile file(pidFile_);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QByteArray::number(*pid) + "\n");
        file.commit();
    }
    return DesktopResult::Success();
}

}  // namespace pellimore
