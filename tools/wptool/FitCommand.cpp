// wptool fit IN DW DH OUT.bmp [--style N] [--color C]: the bitmap the
// wallpaper would get for a desktop of DW x DH (as the changer renders it).
#include <QFile>
#include <QTextStream>

#include "tools/wptool/ChangerHarness.h"
#include "tools/wptool/Commands.h"
#include "wallpaper/codecs/StdPNG.h"

using namespace pellimore;

int FitCommand(const QStringList &args)
{
    QTextStream err(stderr);
    QStringList positional;
    int style = 0;
    ColorRef color = 0;
    for (int i = 0; i < args.size(); ++i) {
        bool ok = true;
        if (args[i] == QLatin1String("--style") && i + 1 < args.size()) {
            style = args[++i].toInt(&ok);
            ok = ok && style >= 0 && style <= 2;
        } else if (args[i] == QLatin1String("--color") && i + 1 < args.size()) {
            const std::optional<ColorRef> parsed = ParseColor(args[++i]);
            ok = parsed.has_value();
            color = parsed.value_or(0);
        } else {
            positional << args[i];
        }
        if (!ok) {
            err << "fit: bad value for " << args[i - 1] << ": " << args[i] << "\n";
            return 2;
        }
    }
    bool okW = false, okH = false;
    const int width = positional.size() == 4 ? positional[1].toInt(&okW) : 0;
    const int height = positional.size() == 4 ? positional[2].toInt(&okH) : 0;
    if (positional.size() != 4 || !okW || !okH || width < 1 || height < 1 || width > 32767 || height > 32767) {
        err << "usage: wptool fit IN DW DH OUT.bmp [--style 0|1|2] [--color C]\n";
        return 2;
    }

    ChangerHarness changer(QSize(width, height), style, color);
    NullUi &ui = changer.ui;
    PictureViewModel &view = changer.view;
    FixedDesktop &desktop = changer.desktop;

    StdPNG png(ui);
    const QString in = positional[0];
    const LoadByTypeResult loaded = LoadPictureByType(in, view.Source(), png);
    if (!loaded.ok) {
        err << "fit: cannot load " << in << ": " << (loaded.error.isEmpty() ? ui.Messages().join(' ') : loaded.error)
            << "\n";
        return 1;
    }
    view.AnalysePicture();
    if (loaded.kind == LoadedPictureKind::Gif) {
        GifInspectionHost host{ui, view.GifFlags(), true, {}, {}};
        InspectGif(in, host);
    }
    QString error;
    if (!view.RenderWallpaperBitmap(&error)) {
        err << "fit: " << error << "\n";
        return 1;
    }
    const QString out = positional[3];
    QFile::remove(out);
    if (!QFile::copy(desktop.applied, out)) {
        err << "fit: cannot write " << out << "\n";
        return 1;
    }
    return 0;
}
