#pragma once

#include <QString>

namespace pellimore {

class ShellFolders;

// The shell folders the programs ask for, by their shell numbers.
enum SpecialFolder { kDocumentsFolder = 5, kStartupFolder = 7 };

// Path of a special folder; the program's own folder when it cannot be found
// (or the number names no folder we know).
QString SpecialFolderPath(int csidl, const ShellFolders &shell);
// "" gives "/"; a text ending in "/" is returned unchanged; otherwise "/" is appended.
QString AddTrailingBackslash(const QString &path);
// Blanks trimmed at both ends, then one trailing "/" removed.
QString TrimTrailingBackslash(const QString &path);
// True when the path, without a trailing "/", names a folder. The path is
// taken as it stands: a blank around it is part of the name.
bool FolderExists(const QString &path);
// True when the path after TrimTrailingBackslash names a folder (the screen
// saver's test: a folder text with blanks around it still counts, "/" does not).
bool TrimmedFolderExists(const QString &path);
// True when the path is not empty and, one trailing "/" removed, names an
// existing entry.
bool FileExists(const QString &path);

}  // namespace pellimore
