#pragma once

#include <QString>

namespace pellimore {

// Where the installed parts lie relative to an installed program's folder
// (<prefix>/bin or <prefix>/libexec/xscreensaver), so that a tree installed
// under any prefix, or moved as a whole, finds its own files.

// The data folder (<prefix>/share/wallpaper-pellimore) as seen from
// `programFolder`, when that folder is an installed program folder whose
// data folder holds "Samples"; else empty.
QString InstalledDataFolderFrom(const QString &programFolder);

// The installed screen saver (<prefix>/libexec/xscreensaver/wallpaper-pellimore)
// as seen from the folder of an installed WallPaper; the path whether or not
// it exists.
QString InstalledSaverFrom(const QString &programFolder);

}  // namespace pellimore
