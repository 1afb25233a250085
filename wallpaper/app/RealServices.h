#pragma once

#include <QCoreApplication>

#include <memory>

#include "platform/Platform.h"
#include "platform/clock/ProgramRandom.h"
#include "platform/clock/SystemClock.h"
#include "platform/desktop/DesktopService.h"
#include "platform/desktop/ProcessRunner.h"
#include "platform/desktop/SystemDesktop.h"
#ifdef PELLIMORE_HELP_VIEWER
#include "platform/help/viewer/ViewerHelpService.h"
#else
#include "platform/help/BrowserHelpService.h"
#endif
#include "platform/instance/LocalInstanceChannel.h"
#include "platform/shell/QtShellFolders.h"
#include "platform/sound/SystemSound.h"
#include "platform/store/IniSettingsStore.h"
#include "platform/ui/NullUi.h"
#include "platform/ui/QtUi.h"
#include "wallpaper/changer/WallpaperApp.h"

namespace pellimore {

// The program's real services. With `quiet` (a run of `WallPaper --next`) no
// box is shown: every question takes its safe answer.
class RealServices {
public:
    explicit RealServices(bool quiet);
    WallpaperApp::Services ForApp() { return {platform_, instance_, *desktop_, *activeDesktop_, sound_, programPath_, &runner_}; }

private:
    IniSettingsStore store_;
    QtUi windows_;
    NullUi quiet_;
    QtShellFolders shell_;
    SystemClock clock_;
    ProgramRandom random_;
#ifdef PELLIMORE_HELP_VIEWER
    ViewerHelpService help_{windows_, shell_};
#else
    BrowserHelpService help_{shell_};
#endif
    Platform platform_;
    LocalInstanceChannel instance_{QStringLiteral("WallPaper")};
    SystemProcessRunner runner_;
    std::unique_ptr<SystemDesktop> desktop_;
    // Plasma's own GIF wallpaper, our desktop windows on plain X11, else none.
    std::unique_ptr<ActiveDesktop> activeDesktop_;
    SystemSound sound_{runner_};
    QString programPath_ = QCoreApplication::applicationFilePath();
};

// A terminating signal (TERM, INT, HUP) ends the event loop, so that the
// program shuts down normally and keeps its settings.
void QuitOnTerminateSignals(QCoreApplication &app);

}  // namespace pellimore
