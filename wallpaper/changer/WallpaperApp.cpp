#include "wallpaper/changer/WallpaperApp.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <unistd.h>

#include "platform/Platform.h"
#include "platform/clock/Clock.h"
#include "platform/desktop/DesktopService.h"
#include "platform/help/HelpService.h"
#include "platform/instance/InstanceChannel.h"
#include "platform/shell/ShellFolders.h"
#include "platform/store/SettingsStore.h"
#include "platform/shell/PathHelpers.h"
#include "wallpaper/changer/PictureLibrary.h"
#include "wallpaper/changer/PictureViewModel.h"
#include "wallpaper/changer/Schedule.h"
#include "wallpaper/changer/Settings.h"
#include "wallpaper/changer/ShellIntegration.h"
#include "wallpaper/changer/StartUp.h"
#include "wallpaper/changer/WallpaperInstaller.h"

namespace pellimore {

WallpaperApp::WallpaperApp(const Services &services)
    : services_(services),
      installer_(std::make_unique<WallpaperInstaller>(state_, services.platform, services.desktop,
                                                      services.activeDesktop, services.sound)),
      library_(std::make_unique<PictureLibrary>(state_, services.platform)),
      view_(std::make_unique<PictureViewModel>(state_, *library_, services.platform, services.desktop, *installer_)),
      schedule_(std::make_unique<Schedule>(state_, *library_, *view_, *installer_, services.platform))
{
}

WallpaperApp::~WallpaperApp()
{
    services_.instance.SetRequestHandler({});
}

void WallpaperApp::SetView(WallpaperAppView *view)
{
    window_ = view ? view : &noWindow_;
}

StartOutcome WallpaperApp::Start(const QStringList &arguments)
{
    const Platform &platform = services_.platform;
    if (!services_.instance.ClaimFirstInstance()) {
        RunSecondInstancePath(platform, services_.instance);
        return StartOutcome::SecondInstance;
    }
    started_ = true;
    state_.AutoRunStart = IsAutoRunCommandLine(arguments);
    if (!state_.AutoRunStart)
        window_->ShowSplash();
    Begin();
    const bool hasPictures = LoadLibrary(true);
    schedule_->SetControlsFromSettings();
    view_->MeasureDesktop();
    SelectCurrentEntry();
    services_.instance.SetRequestHandler([this](InstanceChannel::Request request) { OnRequest(request); });

    state_.Loading = false;
    if (state_.FirstRun)
        schedule_->optDaily_Click();
    schedule_->ReadScheduleOptions();
    window_->ShowSettings();
    window_->ShowMainWindow();
    if (!state_.AutoRunStart)
        window_->CloseSplash();

    if (state_.AutoRunStart) {
        // A plain X server forgot the root picture when the last session
        // ended: show the stored one again, whether or not a change is due.
        if (services_.desktop.ForgetsWallpaperAtLogout())
            ReapplyStoredWallpaper(platform.store, services_.desktop);
    }
    if (hasPictures) {
        if (const PictureRecord *entry = view_->CurrentEntry())
            view_->SelectStyle(entry->Style);
        if (state_.AutoRunStart) {
            window_->HideMainWindow();
            schedule_->CheckSchedule();
        }
    }
    if (state_.FirstRun)
        platform.help.ShowKeyword(AddTrailingBackslash(platform.shell.ProgramFolder()) + kHelpFileName,
                                  QStringLiteral("quick"));
    return StartOutcome::Running;
}

NextOnceResult WallpaperApp::RunNextOnce()
{
    if (!services_.instance.ClaimFirstInstance()) {
        if (services_.instance.SendToFirstInstance(InstanceChannel::Request::NextWallpaper))
            return {};
        return {1, QStringLiteral("the running WallPaper did not answer")};
    }
    started_ = true;
    Begin();
    const bool hasPictures = LoadLibrary(false);
    state_.Loading = false;
    if (!hasPictures) {
        // A folder that cannot be read is not an empty one.
        const QByteArray folder = QFile::encodeName(state_.PictureFolder);
        if (::access(folder.constData(), R_OK | X_OK) != 0)
            return {1, QStringLiteral("cannot read the folder %1: %2")
                           .arg(state_.PictureFolder, QString::fromLocal8Bit(std::strerror(errno)))};
        return {1, QStringLiteral("there are no pictures in the folder %1").arg(state_.PictureFolder)};
    }
    view_->MeasureDesktop();
    schedule_->SetControlsFromSettings();
    // The settings the change and the shut-down write go to the file
    // together at the end, in one replacement instead of one per write.
    SettingsStore &store = services_.platform.store;
    SettingsBatch batch(store);
    const bool changed = schedule_->NextWallpaper();
    if (changed)
        installer_->SaveDesktopColor();
    bool saved = ShutDown();
    if (!batch.Commit() && saved) {
        saved = false;
        saveError_ = QStringLiteral("the settings could not be saved: %1").arg(store.LastError());
    }
    if (!changed) {
        QString reason = schedule_->LastError();
        if (reason.isEmpty())
            reason = QStringLiteral("the wallpaper was not changed");
        return {1, reason.simplified()};
    }
    if (!saved)
        return {1, QStringLiteral("the wallpaper was changed, but %1").arg(saveError_).simplified()};
    return {};
}

bool WallpaperApp::ShutDown()
{
    schedule_->StopTimers();
    if (!started_)
        return true;
    const bool settingsSaved = SaveSettingsOrTell(state_, services_.platform.store, services_.platform.ui);
    const bool librarySaved = library_->WritePictureData();
    saveError_.clear();
    if (!settingsSaved)
        saveError_ = QStringLiteral("the settings could not be saved: %1").arg(services_.platform.store.LastError());
    else if (!librarySaved)
        saveError_ = QStringLiteral("%1 could not be saved: %2").arg(library_->PictureDataPath(), library_->LastWriteError());
    return settingsSaved && librarySaved;
}

void WallpaperApp::Begin()
{
    const Platform &platform = services_.platform;
    platform.random.Seed(uint32_t(platform.clock.TimeOfDay().msecsSinceStartOfDay() / 1000));
    state_.Loading = true;
    state_.DesktopColor = services_.desktop.BackgroundColor();
    state_.MyDocsPath = AddTrailingBackslash(SpecialFolderPath(kDocumentsFolder, platform.shell));
}

bool WallpaperApp::LoadLibrary(bool interactive)
{
    const Platform &platform = services_.platform;
    const LoadSettingsOutcome outcome =
        LoadSettings(state_, platform.store, platform.clock, platform.shell.ProgramFolder());
    // A single `--next` is not the program's first start: it neither writes
    // the autostart entry nor moves a folder that still exists.
    if (interactive && outcome.createStartupShortcut)
        AddStartupShortcut(state_, platform.ui, platform.shell, services_.programPath);
    bool folderSetUp = false;
    if (outcome.runFirstRunFolderSetup || (interactive && state_.FirstRun)) {
        library_->FirstRunSetup();
        folderSetUp = true;
    } else {
        library_->ScanPictureFolder();
    }
    if (interactive && library_->PictureCount() == 0 && !folderSetUp) {
        state_.CurrentOrder = 0;
        library_->FirstRunSetup();
    }
    if (library_->PictureCount() == 0)
        return false;
    library_->ReadPictureData();
    return true;
}

void WallpaperApp::SelectCurrentEntry()
{
    if ((state_.CurrentOrder == 0 && !state_.FirstRun) || library_->PictureCount() == 0)
        return;
    int index = library_->IndexOfOrder(state_.CurrentOrder);
    if (index == 0) {
        index = 1;
        state_.CurrentOrder = 1;
    }
    library_->SelectListItem(library_->PictureNames().at(index - 1));
}

void WallpaperApp::OnRequest(InstanceChannel::Request request)
{
    switch (request) {
    case InstanceChannel::Request::Raise:
        qInfo("WallPaper Pellimore: raise request received");
        window_->ShowMainWindow();
        break;
    case InstanceChannel::Request::NextWallpaper:
        schedule_->NextWallpaper();
        break;
    }
}

}  // namespace pellimore
