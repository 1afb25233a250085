#pragma once

#include <QString>

namespace pellimore {

// Removes leading and trailing blanks, then one trailing "/".
QString TrimTrailingBackslash(const QString &path);
// True when the path (after TrimTrailingBackslash) names an existing folder.
bool FolderExists(const QString &path);
// True when a file name counts as a picture of the show: its last three
// characters, upper-cased, are "JPG", "GIF" or "BMP".
bool IsShowPictureName(const QString &fileName);

}  // namespace pellimore
