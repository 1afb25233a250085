#include "wallpaper/changer/NextCommand.h"

#include "platform/Platform.h"
#include "platform/clock/Clock.h"
#include "platform/desktop/DesktopService.h"
#include "platform/shell/ShellFolders.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/changer/DesktopApply.h"
#include "wallpaper/changer/PathHelpers.h"
#include "wallpaper/changer/PictureLibrary.h"
#include "wallpaper/changer/Schedule.h"
#include "wallpaper/changer/Settings.h"

namespace pellimore {

MessageResult QuietUi::MessageBox(const MessageBoxRequest &request)
{
    messages_ << request.text;
    switch (request.buttons) {
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

NextCommandResult RunNextWallpaperOnce(ChangerState &state, const Platform &platform, DesktopService &desktop,
                                       ActiveDesktop &activeDesktop, SoundService &sound)
{
    platform.random.Seed(uint32_t(platform.clock.TimeOfDay().msecsSinceStartOfDay() / 1000));
    state.Loading = true;
    state.DesktopColor = desktop.BackgroundColor();
    state.MyDocsPath = AddTrailingBackslash(SpecialFolderPath(kDocumentsFolder, platform.shell));
    const LoadSettingsOutcome outcome =
        LoadSettings(state, platform.store, platform.clock, platform.shell.ProgramFolder());

    PictureLibrary library(state, platform);
    if (outcome.runFirstRunFolderSetup)
        library.FirstRunSetup();
    else
        library.ScanPictureFolder();
    state.Loading = false;
    if (library.PictureCount() == 0)
        return {1, QStringLiteral("there are no pictures in the folder %1").arg(state.PictureFolder)};
    library.ReadPictureData();

    DesktopApply apply(state, library, platform, desktop, activeDesktop, sound);
    apply.MeasureDesktop();
    Schedule schedule(state, library, apply, platform);
    schedule.SetControlsFromSettings();
    const bool changed = schedule.NextWallpaper();
    schedule.tmrWhenToChange.stop();

    SaveSettings(state, platform.store);
    library.WritePictureData();
    if (changed)
        apply.SaveDesktopColor();
    if (changed)
        return {};
    QString reason = schedule.LastError();
    if (reason.isEmpty())
        reason = QStringLiteral("the wallpaper was not changed");
    return {1, reason.simplified()};
}

}  // namespace pellimore
