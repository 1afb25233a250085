#pragma once

#include <QString>

namespace pellimore {

class ShellFolders;

// The shell folders the changer asks for, by their shell numbers.
enum SpecialFolder { kDocumentsFolder = 5, kStartupFolder = 7 };

// Path of a special folder; the program's own folder when it cannot be found.
QString SpecialFolderPath(int csidl, const ShellFolders &shell);
// "" gives "/"; a text ending in "/" is returned unchanged; otherwise "/" is appended.
QString AddTrailingBackslash(const QString &path);
// Blanks trimmed at both ends, then one trailing "/" removed.
QString TrimTrailingBackslash(const QString &path);
// True when the path, without a trailing "/", names a folder.
bool FolderExists(const QString &path);
// True when the path is not empty and, one trailing "/" removed, names an
// existing entry.
bool FileExists(const QString &path);

}  // namespace pellimore
