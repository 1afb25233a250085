// wptool png IN.png OUT.pam [--style N] [--validate] [--make32]: decodes with
// the program's own PNG decoder and writes its bitmap as it is: 32-bit
// results as RGB_ALPHA with the premultiplied values, 24-bit and palette
// results as RGB. --style sets TransparentStyle (default -1, as the wallpaper
// code uses; a number, "0x..." for hex). A failed load prints the decoder's
// title and prompt on stderr and exits with 1.
#include <QTextStream>

#include "platform/ui/ConsoleUi.h"
#include "platform/imageio/Pam.h"
#include "platform/ui/Ui.h"
#include "tools/wptool/Commands.h"
#include "wallpaper/codecs/StdPNG.h"

using namespace pellimore;

namespace {

}  // namespace

int PngCommand(const QStringList &args)
{
    QTextStream err(stderr);
    QStringList files;
    int32_t style = kPngKeepAlpha;
    bool validate = false;
    bool make32 = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--style") && i + 1 < args.size()) {
            bool ok = false;
            style = int32_t(args[++i].toLongLong(&ok, 0));
            if (!ok) {
                err << "wptool png: --style needs a number\n";
                return 2;
            }
        } else if (args[i] == QLatin1String("--validate")) {
            validate = true;
        } else if (args[i] == QLatin1String("--make32")) {
            make32 = true;
        } else {
            files << args[i];
        }
    }
    if (files.size() != 2) {
        err << "usage: wptool png IN.png OUT.pam [--style N] [--validate] [--make32]\n";
        return 2;
    }
    ConsoleUi ui;
    StdPNG png(ui);
    png.SetTransparentStyle(style);
    if (!png.LoadFile(files[0], validate, make32, 255))
        return 1;
    QString error;
    if (!WritePam(*png.Handle(), files[1], png.BitCount_BMP() == 32, &error)) {
        err << error << "\n";
        return 1;
    }
    return 0;
}
