// wptool artwork OUT-PREFIX [SCALE]: writes the product's drawn pictures (the
// tile and the two monitor frames) as PNG files, to look at them.
#include <QImage>
#include <QTextStream>

#include "tools/wptool/Commands.h"
#include "wallpaper/designer/frmPics.h"

using namespace pellimore;

int ArtworkCommand(const QStringList &args)
{
    QTextStream err(stderr);
    bool ok = true;
    const double scale = args.size() == 2 ? args[1].toDouble(&ok) : 1.0;
    if (args.isEmpty() || args.size() > 2 || !ok || scale <= 0 || scale > 8) {
        err << "usage: wptool artwork OUT-PREFIX [SCALE]\n";
        return 2;
    }
    const std::pair<const char *, Bitmap> pictures[] = {
        {"tile", DrawPellimoreTile(scale)},
        {"monitor-wide", DrawMonitorFrame(MonitorShape::Wide, scale)},
        {"monitor-square", DrawMonitorFrame(MonitorShape::Square, scale)},
    };
    for (const auto &[name, bitmap] : pictures) {
        const QString path = args[0] + QLatin1String(name) + QStringLiteral(".png");
        if (!bitmap.ToImage().save(path)) {
            err << "artwork: cannot write " << path << "\n";
            return 1;
        }
    }
    return 0;
}
