#include "platform/raster/ColorText.h"

#include <QStringList>

namespace pellimore {

QString RgbText(ColorRef color)
{
    return QStringLiteral("%1 %2 %3").arg(RedOf(color)).arg(GreenOf(color)).arg(BlueOf(color));
}

std::optional<ColorRef> ParseRgbText(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 3)
        return std::nullopt;
    auto byte = [](const QString &part) { return uint8_t(qBound(0, part.toInt(), 255)); };
    return Rgb(byte(parts[0]), byte(parts[1]), byte(parts[2]));
}

}  // namespace pellimore
