#include "tools/wptool/ChangerHarness.h"

using namespace pellimore;

ChangerHarness::ChangerHarness(QSize desktopSize, int style, ColorRef color) : desktop(desktopSize)
{
    state.PictureFolder = work.path();
    library.Records().push_back({QStringLiteral("picture"), style, color, 1});
    state.SelectedIndex = 0;
    view.MeasureDesktop();
}

std::optional<ColorRef> ParseColor(const QString &text)
{
    bool ok = false;
    if (text.startsWith(QLatin1Char('#')) && text.size() == 7) {
        const uint rgb = text.mid(1).toUInt(&ok, 16);
        return ok ? std::optional<ColorRef>(Rgb(uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb))) : std::nullopt;
    }
    const uint value = text.toUInt(&ok, 10);
    return ok && value <= 0xFFFFFF ? std::optional<ColorRef>(value) : std::nullopt;
}
