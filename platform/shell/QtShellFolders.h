#pragma once

#include <QString>

#include "platform/shell/ShellFolders.h"

namespace pellimore {

// The shell folders of a Linux desktop:
// - the program folder: the running executable's folder when it holds
//   "Samples" (a build or an unpacked copy), else the data folder of the
//   installed tree the executable lies in (<prefix>/share/wallpaper-pellimore,
//   for any prefix), else the configured prefix's data folder;
// - the documents folder: the XDG documents folder ("XDG_DOCUMENTS_DIR" of
//   user-dirs.dirs, else ~/Documents), created when missing;
// - the autostart folder: $XDG_CONFIG_HOME/autostart (~/.config/autostart),
//   which may not exist yet.
class QtShellFolders final : public ShellFolders {
public:
    // The running program's folder and the data folder this build installs to.
    QtShellFolders();
    // Chosen folders, for tests and tools.
    QtShellFolders(QString installedDataFolder, QString executableFolder);

    QString ProgramFolder() const override;
    QString DocumentsFolder() const override;
    QString AutostartFolder() const override;

    // Where this build installs its data.
    static QString InstalledDataFolder();

private:
    QString installedDataFolder_;
    QString executableFolder_;
};

}  // namespace pellimore
