#pragma once

#include <QString>

#include <memory>

#include "platform/colors/DesktopSystemColors.h"
#include "platform/raster/Bitmap.h"
#include "platform/raster/PictureSurface.h"
#include "wallpaper/changer/PictureLibrary.h"
#include "wallpaper/changer/PictureViewModel.h"
#include "wallpaper/changer/Schedule.h"
#include "wallpaper/changer/WallpaperApp.h"
#include "wallpaper/designer/Compositing.h"
#include "wallpaper/designer/frmPics.h"
#include "wallpaper/designer/modGradients.h"

namespace pellimore {

class StdPNG;

inline const QString kMainWindowCaption = QStringLiteral("Wallpaper Pellimore Desktop Designer Settings");
inline const QString kTrayTip = QStringLiteral("Wallpaper Pellimore");
inline const QString kPreviewCaption = QStringLiteral("&Preview on Desktop");
inline const QString kEndPreviewCaption = QStringLiteral("End &Preview");
inline const QString kNoPictureClickedText =
    QStringLiteral("Click on a file name in the Wallpaper List box to select a picture to view on your desktop.");
inline const QString kShutDownTitle = QStringLiteral("Shut down Wallpaper Pellimore");
inline const QString kTrayCloseText = QStringLiteral(
    "If you exit Wallpaper Pellimore, your desktop wallpaper will no longer change as you've scheduled it.\n\n"
    "Choose the pop-up Settings option instead if you'd like to change your wallpaper settings.\n\n"
    "Do you really want to terminate Wallpaper Pellimore?");
inline const QString kStopAutorunText =
    QStringLiteral("Would you also like to stop it from autorunning every day when Windows starts?");

// Why the settings window is asked to close.
enum class CloseReason {
    User = 0,           // its close box or window menu
    Program = 1,        // "Exit", the tray's "Close"
    SessionEnding = 2,  // the session ends: no questions
    Terminated = 3,     // asked to end from outside (a signal)
};

// What the model asks of the settings window and the windows it opens. The
// form implements it.
class MainWindowView {
public:
    virtual ~MainWindowView() = default;
    // Sets every caption, check, enabled state, list and picture from the model.
    virtual void UpdateControls() = 0;
    // The about window as a splash (" Loading...", no OK button).
    virtual void ShowSplash(bool shown) = 0;
    // Restores, shows and raises the window and gives it the focus.
    virtual void ShowWindow() = 0;
    // Hides the window; minimised only, when nothing could bring it back.
    virtual void HideWindow(bool minimiseOnly) = 0;
    virtual void SetTrayIconShown(bool shown) = 0;
    // The "Tray" menu at the mouse.
    virtual void PopUpTrayMenu() = 0;
    // frmExit, modal: true for "Yes".
    virtual bool AskExit() = 0;
    // frmAutoRun, modal: true when "Don't show this message again." was checked.
    virtual bool ShowReminder(bool noNotificationArea) = 0;
    virtual void ShowAbout() = 0;
    virtual void SetBusy(bool busy) = 0;
    // The GIF at path, animated over the thumbnail; true when it is shown.
    virtual bool ShowAnimatedPreview(const QString &path, ColorRef backColor) = 0;
    virtual void StopAnimatedPreview() = 0;
    // Asks the window to close as the program's own request.
    virtual void CloseWindow() = 0;
    // Closes every window of the program; the program ends.
    virtual void EndProgram() = 0;
    // The designer and the resize window, opened over the hidden main window.
    virtual void OpenDesigner() = 0;
    virtual void OpenResize() = 0;
};

// The settings window frmWallpaper without its widgets: the picture list and
// its selection, the picture shown with its style and colour, the desktop
// preview, the menus, the tray icon and its menu, and the shut-down. It is
// the view of the app's start-up and the listener of the library, the
// picture view and the schedule; it tells its form through MainWindowView.
class MainWindowModel final : public WallpaperAppView,
                              public PictureLibraryListener,
                              public PictureViewListener,
                              public ScheduleListener {
public:
    MainWindowModel(WallpaperApp &app, MainWindowView &view);
    ~MainWindowModel() override;
    MainWindowModel(const MainWindowModel &) = delete;
    MainWindowModel &operator=(const MainWindowModel &) = delete;

    // --- what the window shows -------------------------------------------------
    const QStringList &PictureNames() const { return app_.Library().PictureNames(); }
    int SelectedIndex() const { return state_.SelectedIndex; }
    bool Previewing() const { return previewing_; }
    QString PreviewCaption() const { return previewing_ ? kEndPreviewCaption : kPreviewCaption; }
    int ListScroll() const { return listScroll_; }
    bool InTray() const { return inTray_; }
    bool NotificationAreaAvailable() const { return notificationArea_; }
    bool StylesEnabled() const { return stylesEnabled_; }
    // The menu checks.
    bool SoundChecked() const { return state_.PlaySoundOnChange == 1; }
    bool StartupChecked() const { return state_.StartupState == 1; }
    bool NoActiveDesktopChecked() const { return state_.NoActiveDesktop == 1; }
    // "Don't use Active Desktop" is disabled once the animated desktop failed.
    bool NoActiveDesktopEnabled() const;
    bool ReminderChecked() const { return state_.ReminderOff != 1; }
    // 0 "High", 1 "Very High", 2 "Max".
    int JpegQualityItem() const;
    // The monitor frame for the desktop's shape, and the thumbnail's place in it.
    const Bitmap &MonitorPicture() const;
    QRect ThumbnailInMonitor() const;
    // The file name of the selected entry without its last four characters.
    QString SelectedBaseName() const;
    // The transparent GIF shown, for the designer; null when the picture is none.
    const Bitmap &SelectedGifPicture() const { return selectedGif_; }

    WallpaperApp &App() { return app_; }
    PictureViewModel &Picture() { return app_.View(); }
    Schedule &GetSchedule() { return app_.GetSchedule(); }
    frmPics &Pics() { return pics_; }

    // What the designer window works with; it lives as long as the program.
    struct DesignerParts {
        Compositor &compositor;
        DesignerSettings &settings;
        modGradients &gradients;
        PictureWindow window;
        StdPNG &png;
    };
    DesignerParts Designer();
    // The open designer hears of the background list; nullptr when closed.
    void SetDesignerListener(PictureLibraryListener *listener) { designerListener_ = listener; }

    // --- the form's events -------------------------------------------------------
    void FileList_Click(int index);
    void ShowSelectedPicture();
    void cmdPreview_Click();
    void cmdSetWallpaper_Click();
    void cmdAddPic_Click();
    void cmdRemove_Click();
    void cmdRefresh_Click();
    void HScroll1_Change(int value);
    void optPropTile_Click(int index);
    void lblColor_Click();
    void ckColorChgAll_Click();

    void cmdBackground_Click();
    void cmdReSize_Click();

    void mnuStart_Click() { cmdSetWallpaper_Click(); }
    void mnuExit_Click();
    void mnuSound_Click();
    void mnuStartup_Click();
    void mnuNoAD_Click();
    void mnuDelete_Click();
    void mnuJPGhigh_Click(int item);
    void mnuMessage_Click();
    void mnuAbout_Click();
    // The user's manual at its contents, the web page, the screen saver set-up.
    void mnuManual_Click();
    void mnuWeb_Click();
    void mnuFileSS_Click();
    void mnuOptCombo_Click() { cmdBackground_Click(); }
    void mnuOptResize_Click() { cmdReSize_Click(); }
    void mnuTraySettings_Click() { ShowSettingsWindow(); }
    void mnuTrayNext_Click();
    void mnuTrayClose_Click();

    // The tray control's events.
    void cNoticon1_MouseDown(int button);
    void cNoticon1_MouseDblClick(int button);
    // Whether the session has a notification area; without one, tray mode
    // leaves the window minimised instead of hiding it.
    void SetNotificationAreaAvailable(bool available);

    // The window gained the focus.
    void Form_Activate();
    // The window is asked to close: true when the program ends.
    bool ShutDown(CloseReason reason);

    void ShowSettingsWindow();
    void ShowTrayIcon(bool show);

    // --- WallpaperAppView ---------------------------------------------------------
    void ShowSplash() override { view_.ShowSplash(true); }
    void CloseSplash() override { view_.ShowSplash(false); }
    void ShowSettings() override { view_.UpdateControls(); }
    void ShowMainWindow() override;
    void HideMainWindow() override;

    // --- PictureLibraryListener ---------------------------------------------------
    void PictureListReset() override { view_.UpdateControls(); }
    void ShowPicture(int index) override { FileList_Click(index); }
    void StopAnimatedPreview() override { EndAnimatedPreview(); }
    void BackgroundListReset() override;
    void ShowBackground(int index) override;

    // --- PictureViewListener -------------------------------------------------------
    void ShowEntry() override;

    // --- ScheduleListener -----------------------------------------------------------
    void ShowTrayIcon() override { ShowTrayIcon(true); }
    bool ReminderWanted() const override { return ReminderChecked(); }
    void ShowReminder() override;
    bool ShowAnimatedPreview() override;

private:
    void EndAnimatedPreview();
    void EndPreview();
    PictureWindow MainPictureWindow();

    WallpaperApp &app_;
    ChangerState &state_;
    MainWindowView &view_;
    std::unique_ptr<StdPNG> png_;

    // The hidden picture form and the compositor the window's previews use.
    frmPics pics_;
    DesktopSystemColors colors_;
    modGradients gradients_;
    DesignerSettings designerSettings_;
    PictureSurface designerSource_;
    PictureSurface designerEffect_;
    Bitmap designerImage1_;
    Bitmap image1_;  // the main window's tile source
    Compositor compositor_;

    Bitmap selectedGif_;
    PictureLibraryListener *designerListener_ = nullptr;
    bool previewing_ = false;
    bool selectionChanging_ = false;
    bool closingFromTray_ = false;
    bool inTray_ = false;
    bool notificationArea_ = true;
    bool stylesEnabled_ = true;
    bool showingSettings_ = false;
    int listScroll_ = 0;
};

}  // namespace pellimore
