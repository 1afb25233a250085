// wptool gradient KIND W H START END [--reverse] [--to-center] [--back COLOR]
// OUT.pam: paints a designer gradient background of W x H pixels as the
// Combine Pictures window does (KIND 0 Horizontal, 1 Vertical, 2 Sphere,
// 3 Diagonal; colours as decimal COLORREF values, system colour references
// resolved with the classic scheme) and writes it as PAM.
#include <QTextStream>

#include <optional>

#include "platform/colors/ClassicSystemColors.h"
#include "platform/ui/ConsoleUi.h"
#include "platform/imageio/Pam.h"
#include "platform/raster/PictureSurface.h"
#include "platform/ui/Ui.h"
#include "tools/wptool/Commands.h"
#include "wallpaper/designer/GraphicsGradients.h"
#include "wallpaper/designer/modGradients.h"

namespace {

using namespace pellimore;

std::optional<ColorRef> ParseColor(const QString &text)
{
    bool ok = false;
    const uint value = text.toUInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return ColorRef(value);
}

}  // namespace

int GradientCommand(const QStringList &args)
{
    QTextStream err(stderr);
    auto usage = [&] {
        err << "usage: wptool gradient KIND W H START END [--reverse] [--to-center] [--back COLOR] OUT.pam\n";
        return 2;
    };
    const ClassicSystemColors sysColors;
    bool reverse = false;
    bool toCenter = false;
    ColorRef back = 0xFFFFFF;
    QStringList values;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == "--reverse") {
            reverse = true;
        } else if (args[i] == "--to-center") {
            toCenter = true;
        } else if (args[i] == "--back" && i + 1 < args.size()) {
            const std::optional<ColorRef> color = ParseColor(args[++i]);
            if (!color)
                return usage();
            back = sysColors.Resolve(*color);
        } else {
            values << args[i];
        }
    }
    if (values.size() != 6)
        return usage();
    bool kindOk = false, widthOk = false, heightOk = false;
    const int kind = values[0].toInt(&kindOk);
    const int width = values[1].toInt(&widthOk);
    const int height = values[2].toInt(&heightOk);
    const std::optional<ColorRef> start = ParseColor(values[3]);
    const std::optional<ColorRef> end = ParseColor(values[4]);
    if (!kindOk || kind < 0 || kind > 3 || !widthOk || !heightOk || !start || !end)
        return usage();
    if (!Bitmap::SizeIsAllowed(width, height)) {
        err << "The size " << width << " x " << height << " is not a picture size.\n";
        return 1;
    }

    ConsoleUi ui;
    modGradients gradients(ui, sysColors);
    gradients.SetStartColor(*start);
    gradients.SetEndColor(*end);
    gradients.SetAngle(GradientAngle(kind, reverse));
    const GradientChannels channels = GradientChannels::FromColors(gradients.StartColor(), gradients.EndColor());

    PictureSurface target(width, height);
    target.SetBackColor(back);
    PaintBackgroundGradient(target, gradients, channels, kind, reverse, toCenter);
    QString error;
    if (!WritePam(target.Image(), values[5], false, &error)) {
        err << error << "\n";
        return 1;
    }
    return 0;
}
