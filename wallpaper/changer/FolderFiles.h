#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace pellimore {

// The names of the ordinary files of a folder (symbolic links to ordinary
// files count; folders, devices and hidden files do not), sorted by the bytes
// of their names, so the list has the same order on every file system. Names
// that do not convert to text and back unchanged (invalid in the file-name
// encoding) are left out: no path could be built from them. Empty when the
// folder cannot be read.
QStringList ListFolderFiles(const QString &folder);

// True when the name's last three characters, upper-cased, are one of the
// given extensions ("JPG", ...); only those three characters decide.
bool HasPictureExtension(const QString &name, const QStringList &upperExtensions);

// Replaces the file at `path` with `bytes`: they are written to a temporary
// file in the same folder, flushed to the disk and renamed over the old file,
// so a crash or a full disk leaves the old file whole. A symbolic link at
// `path` is replaced by the file; what it pointed to is not touched. False
// with the reason ("Permission denied", "No space left on device", ...).
bool WriteFileReplacing(const QString &path, const QByteArray &bytes, QString *error = nullptr);

// Removes a symbolic link at `path` (and nothing else), so that a write there
// makes a file of its own instead of writing through the link.
void RemoveSymbolicLink(const QString &path);

// Where the program writes its file `name` for a picture folder: in the
// folder when this user may write there, else in the program's cache folder
// ("<cache>/Corvane/folders/<hash of the folder's path>/"), so that a
// read-only picture folder can still be used.
QString FolderFilePath(const QString &folder, const QString &name);

// Copies `source` to `destination` the same way, overwriting a file that is
// there; afterwards the destination exists and has the source's size, or
// the call returns false and the destination is as it was.
bool CopyFileReplacing(const QString &source, const QString &destination);

// True when both paths name the same existing file (the same inode), however
// they are written.
bool IsSameFile(const QString &a, const QString &b);

// The size of an existing file; -1 when there is none.
qint64 FileSize(const QString &path);

}  // namespace pellimore
