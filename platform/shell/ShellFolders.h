#pragma once

#include <QString>

namespace pellimore {

// The folders the program finds through the shell. Paths carry no trailing "/".
class ShellFolders {
public:
    virtual ~ShellFolders() = default;

    // The program folder: the folder of the running executable when it holds
    // "Samples", otherwise the installed data folder (found from the
    // executable's folder first, then at the configured prefix).
    virtual QString ProgramFolder() const = 0;
    // The user's documents folder.
    virtual QString DocumentsFolder() const = 0;
    // The folder of programs started at log-in (XDG autostart).
    virtual QString AutostartFolder() const = 0;
};

}  // namespace pellimore
