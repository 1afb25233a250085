#include "platform/shell/InstallLayout.h"

#include <QDir>
#include <QFileInfo>

namespace pellimore {

QString InstalledDataFolderFrom(const QString &programFolder)
{
    if (programFolder.isEmpty())
        return {};
    // The install rules place programs in bin and the saver in
    // libexec/xscreensaver; both relative paths come from the build's layout.
    for (const char *relative : {PELLIMORE_DATA_FROM_BIN, PELLIMORE_DATA_FROM_SAVER}) {
        const QString folder = QDir::cleanPath(programFolder + QLatin1Char('/') + QLatin1String(relative));
        if (QFileInfo(folder + QStringLiteral("/Samples")).isDir())
            return folder;
    }
    return {};
}

QString InstalledSaverFrom(const QString &programFolder)
{
    return QDir::cleanPath(programFolder + QLatin1Char('/') + QLatin1String(PELLIMORE_SAVER_FROM_BIN));
}

}  // namespace pellimore
