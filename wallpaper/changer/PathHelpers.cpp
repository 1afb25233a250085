#include "wallpaper/changer/PathHelpers.h"

#include <QDir>
#include <QFileInfo>

#include "platform/shell/ShellFolders.h"

namespace pellimore {

QString SpecialFolderPath(int csidl, const ShellFolders &shell)
{
    QString path;
    switch (csidl) {
    case kDocumentsFolder:
        path = shell.DocumentsFolder();
        break;
    case kStartupFolder:
        path = shell.AutostartFolder();
        break;
    default:
        break;
    }
    if (path.isEmpty())
        path = shell.ProgramFolder();
    return path;
}

QString AddTrailingBackslash(const QString &path)
{
    if (path.endsWith('/'))
        return path;
    return path + '/';
}

QString TrimTrailingBackslash(const QString &path)
{
    QString trimmed = path;
    while (trimmed.startsWith(' '))
        trimmed.remove(0, 1);
    while (trimmed.endsWith(' '))
        trimmed.chop(1);
    if (trimmed.endsWith('/'))
        trimmed.chop(1);
    return trimmed;
}

namespace {

QString WithoutOneTrailingSlash(const QString &path)
{
    return path.endsWith('/') && path.size() > 1 ? path.left(path.size() - 1) : path;
}

}  // namespace

bool FolderExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    return QFileInfo(WithoutOneTrailingSlash(path)).isDir();
}

bool FileExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    return QFileInfo::exists(WithoutOneTrailingSlash(path));
}

}  // namespace pellimore
