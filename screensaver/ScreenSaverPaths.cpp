#include "screensaver/ScreenSaverPaths.h"

#include <QFileInfo>

namespace pellimore {

QString TrimTrailingBackslash(const QString &path)
{
    QString trimmed = path.trimmed();
    if (trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    return trimmed;
}

bool FolderExists(const QString &path)
{
    const QString trimmed = TrimTrailingBackslash(path);
    if (trimmed.isEmpty())
        return false;
    return QFileInfo(trimmed).isDir();
}

bool IsShowPictureName(const QString &fileName)
{
    const QString type = fileName.right(3).toUpper();
    return type == QLatin1String("JPG") || type == QLatin1String("GIF") || type == QLatin1String("BMP");
}

}  // namespace pellimore
