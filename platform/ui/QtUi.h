#pragma once

#include "platform/ui/Ui.h"

class QWidget;

namespace pellimore {

// Message boxes and the common dialogs as Qt dialogs, modal to the program's
// active window. The desktop's own file dialogs are used where the platform
// offers them. A box without a title takes the application's display name.
class QtUi final : public Ui {
public:
    QtUi() = default;

    MessageResult MessageBox(const MessageBoxRequest &request) override;
    std::optional<OpenFilesResult> OpenFiles(const OpenFilesRequest &request) override;
    std::optional<QString> SaveFile(const SaveFileRequest &request) override;
    std::optional<ColorRef> ChooseColor(ColorRef initial) override;
    std::optional<QFont> ChooseFont(const QFont &initial) override;
    std::optional<QString> ChooseFolder(const FolderRequest &request) override;
};

}  // namespace pellimore
