#include "platform/desktop/GSettingsBackend.h"

#include <QUrl>

#include "platform/desktop/ProcessRunner.h"

namespace pellimore {

QString HexColor(ColorRef color)
{
    return QStringLiteral("#%1%2%3")
        .arg(RedOf(color), 2, 16, QLatin1Char('0'))
        .arg(GreenOf(color), 2, 16, QLatin1Char('0'))
        .arg(BlueOf(color), 2, 16, QLatin1Char('0'));
}

QString GVariantString(const QString &text)
{
    QString quoted = QStringLiteral("'");
    for (const QChar c : text) {
        if (c == QLatin1Char('\'') || c == QLatin1Char('\\')) {
            quoted += QLatin1Char('\\');
            quoted += c;
        } else if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
            quoted += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            quoted += c;
        }
    }
    quoted += QLatin1Char('\'');
    return quoted;
}

namespace {

// The picture-options value of a style; the same names in all three schemas.
QString PictureOption(WallpaperStyle style)
{
    switch (style) {
    case WallpaperStyle::Centered:
        return QStringLiteral("centered");
    case WallpaperStyle::Tiled:
        return QStringLiteral("wallpaper");
    case WallpaperStyle::Stretched:
        return QStringLiteral("stretched");
    }
    return QStringLiteral("centered");
}

}  // namespace

GSettingsBackend::GSettingsBackend(Flavour flavour, ProcessRunner &runner) : flavour_(flavour), runner_(runner) {}

QString GSettingsBackend::Name() const
{
    switch (flavour_) {
    case Flavour::Gnome:
        return QStringLiteral("GNOME");
    case Flavour::Cinnamon:
        return QStringLiteral("Cinnamon");
    case Flavour::Mate:
        return QStringLiteral("MATE");
    }
    return {};
}

QString GSettingsBackend::Schema() const
{
    switch (flavour_) {
    case Flavour::Gnome:
        return QStringLiteral("org.gnome.desktop.background");
    case Flavour::Cinnamon:
        return QStringLiteral("org.cinnamon.desktop.background");
    case Flavour::Mate:
        return QStringLiteral("org.mate.background");
    }
    return {};
}

std::vector<std::pair<QString, QString>> GSettingsBackend::Writes(const WallpaperSettings &settings) const
{
    std::vector<std::pair<QString, QString>> writes;
    // Colour and options first, so the desktop never shows the new picture in
    // the old layout.
    writes.emplace_back(QStringLiteral("color-shading-type"), GVariantString(QStringLiteral("solid")));
    writes.emplace_back(QStringLiteral("primary-color"), GVariantString(HexColor(settings.color)));
    writes.emplace_back(QStringLiteral("picture-options"), GVariantString(PictureOption(settings.style)));
    if (flavour_ == Flavour::Mate) {
        writes.emplace_back(QStringLiteral("picture-filename"), GVariantString(settings.path));
    } else {
        const QString uri = QUrl::fromLocalFile(settings.path).toString(QUrl::FullyEncoded);
        writes.emplace_back(QStringLiteral("picture-uri"), GVariantString(uri));
        if (flavour_ == Flavour::Gnome)
            writes.emplace_back(QStringLiteral("picture-uri-dark"), GVariantString(uri));
    }
    return writes;
}

DesktopResult GSettingsBackend::Apply(const WallpaperSettings &settings)
{
    const QString program = QStringLiteral("gsettings");
    if (!runner_.Exists(program))
        return DesktopResult::Failure(QStringLiteral("%1 desktop: gsettings is not installed").arg(Name()));
    for (const auto &[key, value] : Writes(settings)) {
        const ProcessOutcome outcome = runner_.Run(program, {QStringLiteral("set"), Schema(), key, value});
        // GNOME before version 42 has no dark picture; the light one is enough.
        if (!outcome.Succeeded() && key == QLatin1String("picture-uri-dark") &&
            outcome.standardError.contains("No such key"))
            continue;
        if (!outcome.Succeeded())
            return DesktopResult::Failure(QStringLiteral("%1 desktop: %2").arg(Name(), outcome.Describe(program)));
    }
    return DesktopResult::Success();
}

}  // namespace pellimore
