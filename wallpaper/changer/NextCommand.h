#pragma once

#include <QString>
#include <QStringList>

#include "platform/ui/Ui.h"

namespace pellimore {

struct ChangerState;
struct Platform;
class ActiveDesktop;
class DesktopService;
class SoundService;

// The ui of a run without windows (`WallPaper --next` from a script or a
// keyboard shortcut): nothing is shown; every box is remembered and answered
// with its safe choice (Cancel, else No, else OK), every dialog is cancelled.
class QuietUi final : public Ui {
public:
    MessageResult MessageBox(const MessageBoxRequest &request) override;
    std::optional<OpenFilesResult> OpenFiles(const OpenFilesRequest &) override { return std::nullopt; }
    std::optional<QString> SaveFile(const SaveFileRequest &) override { return std::nullopt; }
    std::optional<ColorRef> ChooseColor(ColorRef) override { return std::nullopt; }
    std::optional<QFont> ChooseFont(const QFont &) override { return std::nullopt; }
    std::optional<QString> ChooseFolder(const FolderRequest &) override { return std::nullopt; }

    const QStringList &Messages() const { return messages_; }

private:
    QStringList messages_;
};

struct NextCommandResult {
    int exitCode = 0;   // 0 when the wallpaper was applied
    QString reason;     // one line when it was not
};

// "Next Wallpaper" once, when no instance of the program runs: loads the
// settings and the library, changes to the next picture, saves the settings
// and "wallpaper.dat".
NextCommandResult RunNextWallpaperOnce(ChangerState &state, const Platform &platform, DesktopService &desktop,
                                       ActiveDesktop &activeDesktop, SoundService &sound);

}  // namespace pellimore
