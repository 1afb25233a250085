// wptool icon OUT.png SIDE: writes the program's icon, as WallPaper draws it
// for its windows and the tray, as a SIDE x SIDE PNG (the icon theme's sizes
// are made from it at build time).
#include <QImage>
#include <QTextStream>

#include "tools/wptool/Commands.h"
#include "wallpaper/designer/frmPics.h"

using namespace pellimore;

int IconCommand(const QStringList &args)
{
    QTextStream err(stderr);
    bool ok = args.size() == 2;
    const int side = ok ? args[1].toInt(&ok) : 0;
    if (!ok || side < 8 || side > 1024) {
        err << "usage: wptool icon OUT.png SIDE (8 to 1024)\n";
        return 2;
    }
    if (!DrawProgramIcon(side).ToImage().save(args[0], "PNG")) {
        err << "icon: cannot write " << args[0] << "\n";
        return 1;
    }
    return 0;
}
