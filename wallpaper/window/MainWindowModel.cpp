#include "wallpaper/window/MainWindowModel.h"

#include <QFileInfo>

#include "platform/Platform.h"
#include "platform/help/HelpService.h"
#include "platform/shell/PathHelpers.h"
#include "platform/shell/ShellFolders.h"
#include "platform/ProgramNames.h"
#include "platform/imageio/PictureLoader.h"
#include "platform/store/SettingsKeys.h"
#include "platform/store/SettingsStore.h"
#include "platform/ui/Ui.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/changer/PictureData.h"
#include "wallpaper/changer/ScreenSaverSetup.h"
#include "wallpaper/changer/StartUp.h"
#include "wallpaper/changer/ShellIntegration.h"
#include "wallpaper/changer/WallpaperInstaller.h"
#include "wallpaper/codecs/PictureLoading.h"
#include "wallpaper/codecs/StdPNG.h"

namespace pellimore {

namespace {

constexpr int kJpegQualities[3] = {85, 93, 100};

}  // namespace

MainWindowModel::MainWindowModel(WallpaperApp &app, MainWindowView &view)
    : app_(app),
      state_(app.State()),
      view_(view),
      png_(std::make_unique<StdPNG>(app.GetPlatform().ui)),
      colors_(&app.Desktop()),
      gradients_(app.GetPlatform().ui, colors_),
      compositor_({state_, pics_, app.View(), {true, designerSource_, designerEffect_, designerImage1_}, gradients_,
                   app.Installer(), app.GetPlatform().ui, colors_},
                  designerSettings_)
{
    app_.SetView(this);
    app_.Library().SetListener(this);
    app_.View().SetListener(this);
    app_.GetSchedule().SetListener(this);
}

MainWindowModel::~MainWindowModel()
{
    app_.SetView(nullptr);
    app_.Library().SetListener(nullptr);
    app_.View().SetListener(nullptr);
    app_.GetSchedule().SetListener(nullptr);
}

int MainWindowModel::JpegQualityItem() const
{
    for (int item = 0; item < 3; ++item) {
        if (state_.JpegQuality == kJpegQualities[item])
            return item;
    }
    return 0;
}

const Bitmap &MainWindowModel::MonitorPicture() const
{
    return pics_.MonitorFor(QSize(state_.DesktopWidth, state_.DesktopHeight));
}

QRect MainWindowModel::ThumbnailInMonitor() const
{
    return FitMonitorPreview(QSize(state_.DesktopWidth, state_.DesktopHeight), QPoint(0, 0));
}

QString MainWindowModel::SelectedBaseName() const
{
    const auto &records = app_.Library().Records();
    if (state_.SelectedIndex < 0 || state_.SelectedIndex >= int(records.size()))
        return {};
    const QString &name = records[size_t(state_.SelectedIndex)].FileName;
    return name.left(std::max<qsizetype>(0, name.size() - 4));
}

MainWindowModel::DesignerParts MainWindowModel::Designer()
{
    return {compositor_, designerSettings_, gradients_, {true, designerSource_, designerEffect_, designerImage1_}, *png_};
}

void MainWindowModel::BackgroundListReset()
{
    if (designerListener_)
        designerListener_->BackgroundListReset();
}

void MainWindowModel::ShowBackground(int index)
{
    if (designerListener_)
        designerListener_->ShowBackground(index);
}

PictureWindow MainWindowModel::MainPictureWindow()
{
    return {false, app_.View().Source(), app_.View().Effect(), image1_};
}

// ---------------------------------------------------------------------------
// The picture list and the picture shown

void MainWindowModel::FileList_Click(int index)
{
    state_.SelectedIndex = index;
    selectionChanging_ = true;
    EndAnimatedPreview();
    stylesEnabled_ = true;
    listScroll_ = 0;
    ShowSelectedPicture();
}

void MainWindowModel::ShowSelectedPicture()
{
    PictureViewModel &picture = app_.View();
    PictureLibrary &library = app_.Library();
    const PictureRecord *entry = picture.CurrentEntry();
    if (!entry) {
        selectionChanging_ = false;
        view_.UpdateControls();
        return;
    }
    const QString path = PicturePath(state_.PictureFolder, entry->FileName);
    if (!QFileInfo::exists(path)) {
        // Deleted behind the program's back: the list is read again and the
        // selection moves to the entry before.
        const int before = std::max(0, state_.SelectedIndex - 1);
        library.RefreshPictureList();
        selectionChanging_ = false;
        if (library.PictureCount() > 0)
            FileList_Click(std::min(before, library.PictureCount() - 1));
        else
            view_.UpdateControls();
        return;
    }

    view_.SetBusy(true);
    picture.GifFlags().gifNeedsBackground = false;
    state_.PendingApply = true;
    const int style = entry->Style;
    picture.SelectStyle(style, selectionChanging_);
    picture.SetColorLabel(entry->BackColor & 0xFFFFFF);

    // The thumbnail shows the desktop: the entry's colour around the picture.
    picture.Thumbnail().ClearPicture();
    picture.Thumbnail().SetBackColor(entry->BackColor & 0xFFFFFF);
    picture.Source().ClearPicture();
    selectedGif_ = Bitmap();
    QString error;
    if (picture.LoadPicture(path, *png_, false, &error)) {
        PictureWindow window = MainPictureWindow();
        compositor_.PreviewInStyle(window, picture.Thumbnail(), style == kStyleTiled);
        if (PictureType(entry->FileName) == QLatin1String("GIF")) {
            PictureResult gif = LoadPicture(path);
            if (gif.Ok())
                selectedGif_ = std::move(gif.bitmap);
            GifInspectionHost host{app_.GetPlatform().ui, picture.GifFlags(), NoActiveDesktopChecked(), {},
                                   [this] { return ShowAnimatedPreview(); }};
            try {
                InspectGif(path, host);
            } catch (const PictureReadError &) {
                // Read a moment ago; gone now. The still picture stays shown.
            }
        }
    }
    // The picture is the entry's: a picture that did not load leaves an
    // empty thumbnail, and the wallpaper cannot be previewed.
    if (!picture.Source().HasPicture())
        state_.PendingApply = false;
    view_.SetBusy(false);
    selectionChanging_ = false;
    view_.UpdateControls();
}

void MainWindowModel::ShowEntry()
{
    // The colour of the entry changed: its thumbnail is drawn again.
    if (state_.SelectedIndex >= 0)
        ShowSelectedPicture();
}

bool MainWindowModel::ShowAnimatedPreview()
{
    const PictureRecord *entry = app_.View().CurrentEntry();
    if (!entry)
        return false;
    return view_.ShowAnimatedPreview(PicturePath(state_.PictureFolder, entry->FileName),
                                     entry->BackColor & 0xFFFFFF);
}

void MainWindowModel::EndAnimatedPreview()
{
    GifPictureFlags &flags = app_.View().GifFlags();
    if (!flags.animatedPreviewShown)
        return;
    flags.animatedPreviewShown = false;
    view_.StopAnimatedPreview();
}

void MainWindowModel::optPropTile_Click(int index)
{
    PictureViewModel &picture = app_.View();
    picture.SelectStyle(index, selectionChanging_);
    if (index == kStyleTiled && picture.Source().HasPicture() && !selectionChanging_) {
        PictureWindow window = MainPictureWindow();
        compositor_.PreviewInStyle(window, picture.Thumbnail(), true);
    }
    state_.PendingApply = picture.Source().HasPicture();
    view_.UpdateControls();
}

void MainWindowModel::lblColor_Click()
{
    app_.View().ChooseColor();
    view_.UpdateControls();
}

void MainWindowModel::ckColorChgAll_Click()
{
    app_.View().ChangeColorForAll();
    view_.UpdateControls();
}

void MainWindowModel::cmdAddPic_Click()
{
    app_.Library().AddPictures(AddTarget::Wallpaper);
    view_.UpdateControls();
}

void MainWindowModel::cmdRemove_Click()
{
    app_.Library().RemovePicture();
    view_.UpdateControls();
}

void MainWindowModel::cmdRefresh_Click()
{
    listScroll_ = 0;
    app_.Library().RefreshPictureList();
    view_.UpdateControls();
}

void MainWindowModel::HScroll1_Change(int value)
{
    listScroll_ = std::max(0, value);
    view_.UpdateControls();
}

// ---------------------------------------------------------------------------
// Preview and schedule

void MainWindowModel::cmdPreview_Click()
{
    if (previewing_) {
        // The layout comes back; the wallpaper stays as previewed.
        EndPreview();
        return;
    }
    if (!state_.PendingApply) {
        MessageBoxRequest box;
        box.text = kNoPictureClickedText;
        box.title = kApplicationTitle;
        box.icon = MessageIcon::Information;
        app_.GetPlatform().ui.MessageBox(box);
        return;
    }
    view_.SetBusy(true);
    const bool installed = app_.View().RenderWallpaperBitmap();
    view_.SetBusy(false);
    if (installed) {
        state_.PendingApply = false;
        previewing_ = true;
    }
    view_.UpdateControls();
}

void MainWindowModel::EndPreview()
{
    previewing_ = false;
    view_.UpdateControls();
}

void MainWindowModel::cmdSetWallpaper_Click()
{
    if (previewing_)
        EndPreview();
    app_.GetSchedule().StartSchedule();
    view_.UpdateControls();
}

void MainWindowModel::ShowReminder()
{
    if (view_.ShowReminder(!notificationArea_)) {
        state_.ReminderOff = 1;
        app_.GetPlatform().store.SaveSetting(kApplicationName, WallpaperKeys::kSection,
                                             WallpaperKeys::kAutoStartMessage, QStringLiteral("1"));
    }
}

void MainWindowModel::cmdBackground_Click()
{
    if (Picture().Source().HasPicture())
        view_.OpenDesigner();
}

void MainWindowModel::cmdReSize_Click()
{
    if (Picture().Source().HasPicture())
        view_.OpenResize();
}

// ---------------------------------------------------------------------------
// Menus

void MainWindowModel::mnuExit_Click()
{
    view_.CloseWindow();
}

void MainWindowModel::mnuSound_Click()
{
    state_.PlaySoundOnChange = SoundChecked() ? 0 : 1;
    view_.UpdateControls();
}

void MainWindowModel::mnuStartup_Click()
{
    if (state_.Loading)
        return;
    const Platform &platform = app_.GetPlatform();
    if (StartupChecked())
        RemoveStartupShortcut(state_, platform.ui, platform.shell);
    else
        AddStartupShortcut(state_, platform.ui, platform.shell, app_.ProgramPath());
    view_.UpdateControls();
}

bool MainWindowModel::NoActiveDesktopEnabled() const
{
    return app_.Installer().ActiveDesktopMenuEnabled();
}

void MainWindowModel::mnuNoAD_Click()
{
    state_.NoActiveDesktop = NoActiveDesktopChecked() ? 0 : 1;
    view_.UpdateControls();
}

void MainWindowModel::mnuDelete_Click()
{
    app_.Library().EmptyRemovedFolder();
    view_.UpdateControls();
}

void MainWindowModel::mnuJPGhigh_Click(int item)
{
    if (item < 0 || item > 2)
        return;
    state_.JpegQuality = kJpegQualities[item];
    view_.UpdateControls();
}

void MainWindowModel::mnuMessage_Click()
{
    const bool nowChecked = !ReminderChecked();
    state_.ReminderOff = nowChecked ? 0 : 1;
    app_.GetPlatform().store.SaveSetting(kApplicationName, WallpaperKeys::kSection, WallpaperKeys::kAutoStartMessage,
                                         nowChecked ? QStringLiteral("0") : QStringLiteral("1"));
    view_.UpdateControls();
}

void MainWindowModel::mnuAbout_Click()
{
    view_.ShowAbout();
}

void MainWindowModel::mnuManual_Click()
{
    const Platform &platform = app_.GetPlatform();
    // The help reports its own failures; nothing more is said here.
    platform.help.ShowContents(AddTrailingBackslash(platform.shell.ProgramFolder()) + kHelpFileName);
}

void MainWindowModel::mnuWeb_Click()
{
    OpenWebPage(app_.GetPlatform().ui, kWebsiteAddress);
}

void MainWindowModel::mnuFileSS_Click()
{
    ProcessRunner *runner = app_.Runner();
    if (!runner)
        return;
    SetupScreenSaver(app_.GetPlatform(), *runner, SaverSession::Detect(*runner), FindSaverProgram(app_.ProgramPath()));
}

void MainWindowModel::mnuTrayNext_Click()
{
    app_.GetSchedule().NextWallpaper();
    view_.UpdateControls();
}

void MainWindowModel::mnuTrayClose_Click()
{
    ShowSettingsWindow();
    closingFromTray_ = true;
    view_.CloseWindow();
}

// ---------------------------------------------------------------------------
// Tray and window

void MainWindowModel::cNoticon1_MouseDown(int button)
{
    if (button == 2)
        view_.PopUpTrayMenu();
}

void MainWindowModel::cNoticon1_MouseDblClick(int)
{
    ShowSettingsWindow();
}

void MainWindowModel::SetNotificationAreaAvailable(bool available)
{
    const bool appeared = available && !notificationArea_;
    notificationArea_ = available;
    // A tray that came up after the window was minimised in its place.
    if (appeared && inTray_)
        view_.HideWindow(false);
}

void MainWindowModel::ShowTrayIcon(bool show)
{
    inTray_ = show;
    view_.SetTrayIconShown(show);
    if (show)
        view_.HideWindow(!notificationArea_);
}

void MainWindowModel::ShowSettingsWindow()
{
    if (showingSettings_)
        return;
    showingSettings_ = true;
    app_.GetSchedule().StopMinuteTimer();
    view_.ShowWindow();
    app_.Library().RefreshPictureList();
    if (state_.SelectedIndex >= 0 && state_.SelectedIndex < app_.Library().PictureCount())
        FileList_Click(state_.SelectedIndex);
    else
        view_.UpdateControls();
    showingSettings_ = false;
}

void MainWindowModel::Form_Activate()
{
    // Coming back from the tray: the window's focus opens the settings.
    if (inTray_)
        ShowSettingsWindow();
}

void MainWindowModel::ShowMainWindow()
{
    if (state_.Loading || !app_.Library().PictureCount())
        view_.ShowWindow();
    else
        ShowSettingsWindow();
}

void MainWindowModel::HideMainWindow()
{
    view_.HideWindow(!notificationArea_);
}

bool MainWindowModel::ShutDown(CloseReason reason)
{
    if (previewing_) {
        EndPreview();
        return false;
    }
    if (reason == CloseReason::User || reason == CloseReason::Program) {
        Ui &ui = app_.GetPlatform().ui;
        if (state_.StartupState == 1 && closingFromTray_) {
            closingFromTray_ = false;
            MessageBoxRequest question;
            question.title = kShutDownTitle;
            question.text = kTrayCloseText;
            question.buttons = MessageButtons::YesNoCancel;
            question.defaultButton = 3;
            if (ui.MessageBox(question) != MessageResult::Yes)
                return false;
            MessageBoxRequest autorun;
            autorun.title = kShutDownTitle;
            autorun.text = kStopAutorunText;
            autorun.buttons = MessageButtons::YesNoCancel;
            autorun.defaultButton = 2;
            if (ui.MessageBox(autorun) == MessageResult::Yes)
                RemoveStartupShortcut(state_, ui, app_.GetPlatform().shell);
        } else if (!view_.AskExit()) {
            closingFromTray_ = false;
            return false;
        }
    }
    ShowTrayIcon(false);
    EndAnimatedPreview();
    app_.ShutDown();
    app_.GetPlatform().help.Close();
    view_.EndProgram();
    return true;
}

}  // namespace pellimore
