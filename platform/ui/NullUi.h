#pragma once

#include <QStringList>

#include "platform/ui/Ui.h"

namespace pellimore {

// The ui of a run nobody watches (`WallPaper --next`, tools, benchmarks, fuzz
// targets): nothing is shown; every box is remembered and answered with its
// safe choice, every dialog is cancelled.
class NullUi : public Ui {
public:
    // The answer that changes nothing: Cancel where the box has it, else No,
    // else OK.
    static MessageResult SafeChoice(MessageButtons buttons)
    {
        switch (buttons) {
        case MessageButtons::Ok:
            return MessageResult::Ok;
        case MessageButtons::YesNo:
            return MessageResult::No;
        case MessageButtons::OkCancel:
        case MessageButtons::YesNoCancel:
            return MessageResult::Cancel;
        }
        return MessageResult::Cancel;
    }

    MessageResult MessageBox(const MessageBoxRequest &request) override
    {
        messages_ << request.text;
        return SafeChoice(request.buttons);
    }
    std::optional<OpenFilesResult> OpenFiles(const OpenFilesRequest &) override { return std::nullopt; }
    std::optional<QString> SaveFile(const SaveFileRequest &) override { return std::nullopt; }
    std::optional<ColorRef> ChooseColor(ColorRef) override { return std::nullopt; }
    std::optional<QFont> ChooseFont(const QFont &) override { return std::nullopt; }
    std::optional<QString> ChooseFolder(const FolderRequest &) override { return std::nullopt; }

    // The texts of the boxes answered so far, oldest first.
    const QStringList &Messages() const { return messages_; }
    // Forgets them (a long run that only counts boxes).
    void ClearMessages() { messages_.clear(); }

private:
    QStringList messages_;
};

}  // namespace pellimore
