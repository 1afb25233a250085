#pragma once

#include <cstdio>

#include "platform/ui/Ui.h"

namespace pellimore {

// The ui of command-line tools: every message box is printed to stderr as
// "title: text" and answered OK; every dialog is cancelled.
class ConsoleUi final : public Ui {
public:
    MessageResult MessageBox(const MessageBoxRequest &request) override
    {
        std::fprintf(stderr, "%s: %s\n", request.title.toLocal8Bit().constData(),
                     request.text.toLocal8Bit().constData());
        return MessageResult::Ok;
    }
    std::optional<OpenFilesResult> OpenFiles(const OpenFilesRequest &) override { return std::nullopt; }
    std::optional<QString> SaveFile(const SaveFileRequest &) override { return std::nullopt; }
    std::optional<ColorRef> ChooseColor(ColorRef) override { return std::nullopt; }
    std::optional<QFont> ChooseFont(const QFont &) override { return std::nullopt; }
    std::optional<QString> ChooseFolder(const FolderRequest &) override { return std::nullopt; }
};

}  // namespace pellimore
