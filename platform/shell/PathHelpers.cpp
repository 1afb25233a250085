#include "platform/shell/PathHelpers.h"

#include <QFileInfo>

#include "platform/shell/ShellFolders.h"

namespace pellimore {

namespace {

QString WithoutOneTrailingSlash(const QString &path)
{
    return path.endsWith('/') && path.size() > 1 ? path.left(path.size() - 1) : path;
}

}  // namespace

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
    qsizetype begin = 0;
    qsizetype end = path.size();
    while (begin < end && path[begin] == u' ')
        ++begin;
    while (end > begin && path[end - 1] == u' ')
        --end;
    if (end > begin && path[end - 1] == u'/')
        --end;
    return path.mid(begin, end - begin);
}

bool FolderExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    return QFileInfo(WithoutOneTrailingSlash(path)).isDir();
}

bool TrimmedFolderExists(const QString &path)
{
    const QString trimmed = TrimTrailingBackslash(path);
    return !trimmed.isEmpty() && QFileInfo(trimmed).isDir();
}

bool FileExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    return QFileInfo::exists(WithoutOneTrailingSlash(path));
}

}  // namespace pellimore
