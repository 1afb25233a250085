#pragma once

#include <QByteArray>
#include <QString>

namespace pellimore {

// Replaces the file at `path` with `bytes` so that a crash, a full disk or a
// failing disk at any moment leaves either the old file or the new one, never
// a mix: the bytes go to a hidden temporary file in the same folder
// (".<name>.new-XXXXXX"), are flushed to the disk, and the temporary file is
// renamed over the old one. A symbolic link is followed and its target
// replaced. The file keeps the old file's permissions (0600 for a new file).
// On failure nothing is left behind, the old file is untouched, and `error`
// (when given) says why.
bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr);

// Removes the temporary files that writers of `path` left behind when they
// were killed mid-write. Call it only while no other writer of the same file
// can be running (the settings store holds its lock file then).
void RemoveStaleTemporaryFiles(const QString &path);

}  // namespace pellimore
