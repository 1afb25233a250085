#pragma once

// Local implementations of the ui and help services for the screen saver
// program, until the platform layer provides its own Qt implementations:
// Qt's standard dialogs and the help pages in the program folder.

#include "platform/help/HelpService.h"
#include "platform/ui/Ui.h"

class QWidget;

namespace pellimore {

class ShellFolders;

class SaverUi final : public Ui {
public:
    MessageResult MessageBox(const MessageBoxRequest &request) override;
    std::optional<OpenFilesResult> OpenFiles(const OpenFilesRequest &request) override;
    std::optional<QString> SaveFile(const SaveFileRequest &request) override;
    std::optional<ColorRef> ChooseColor(ColorRef initial) override;
    std::optional<QFont> ChooseFont(const QFont &initial) override;
    std::optional<QString> ChooseFolder(const FolderRequest &request) override;
};

// Opens the help pages shipped in the program folder ("help/index.html")
// in the desktop's browser; false when there are none.
class SaverHelp final : public HelpService {
public:
    explicit SaverHelp(const ShellFolders &shell) : shell_(shell) {}
    bool ShowContext(const QString &helpFile, int context) override;
    bool ShowKeyword(const QString &helpFile, const QString &keyword) override;

private:
    const ShellFolders &shell_;
};

}  // namespace pellimore
