#pragma once

#include <QMainWindow>

#include <memory>
#include <optional>

#include "traycontrol/ControlSite.h"
#include "traycontrol/NoticonLibrary.h"
#include "wallpaper/window/MainWindowModel.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace pellimore {

class NotificationArea;
class PictureBox;
class cNoticon;
class frmAbout;
class ucGIF;

// The settings window: a thin form over MainWindowModel. Every event goes to
// one model call; UpdateControls() then shows the model's state.
class frmWallpaper final : public QMainWindow, public MainWindowView, private ControlSite {
    Q_OBJECT

public:
    // The notification area must outlive the window.
    frmWallpaper(WallpaperApp &app, NotificationArea &area, QWidget *parent = nullptr);
    ~frmWallpaper() override;

    MainWindowModel &Model() { return model_; }
    // The desktop's notification area came or went.
    void SetNotificationAreaAvailable(bool available) { model_.SetNotificationAreaAvailable(available); }
    // The session is ending or the program was told to stop: closes without questions.
    void CloseForSessionEnd();

    // --- MainWindowView ------------------------------------------------------
    void UpdateControls() override;
    void ShowSplash(bool shown) override;
    void ShowWindow() override;
    void HideWindow(bool minimiseOnly) override;
    void SetTrayIconShown(bool shown) override;
    void PopUpTrayMenu() override;
    bool AskExit() override;
    bool ShowReminder(bool noNotificationArea) override;
    void ShowAbout() override;
    void SetBusy(bool busy) override;
    bool ShowAnimatedPreview(const QString &path, ColorRef backColor) override;
    void StopAnimatedPreview() override;
    void CloseWindow() override;
    void EndProgram() override;
    void OpenDesigner() override;
    void OpenResize() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // ControlSite: the window runs; the tray control's properties are not saved.
    bool UserMode() const override { return true; }
    void PropertyChanged(const QString &) override {}

    void BuildMenus();
    QWidget *BuildListFrame();
    QWidget *BuildPictureColumn();
    QWidget *BuildScheduleColumn();
    void BuildTray(NotificationArea &area);
    void SetPreviewLayout(bool previewing);
    void UpdateList();
    void UpdateSchedule();
    void UpdatePicture();

    MainWindowModel model_;
    CloseReason closeReason_ = CloseReason::User;
    bool ending_ = false;
    bool previewLayout_ = false;
    QSize normalSize_;
    int busyDepth_ = 0;

    // Menus.
    QAction *mnuStart_ = nullptr;
    QAction *mnuFileSS_ = nullptr;
    QAction *mnuExit_ = nullptr;
    QAction *mnuSound_ = nullptr;
    QAction *mnuStartup_ = nullptr;
    QAction *mnuNoAD_ = nullptr;
    QAction *mnuDelete_ = nullptr;
    QAction *mnuOptResize_ = nullptr;
    QAction *mnuOptCombo_ = nullptr;
    QAction *mnuJPGhigh_[3] = {};
    QAction *mnuManual_ = nullptr;
    QAction *mnuWeb_ = nullptr;
    QAction *mnuMessage_ = nullptr;
    QAction *mnuAbout_ = nullptr;
    QMenu *mnuTray_ = nullptr;

    // The list.
    QGroupBox *Frame13_ = nullptr;
    QListWidget *FileList_ = nullptr;
    QScrollBar *HScroll1_ = nullptr;
    QPushButton *cmdAddPic_ = nullptr;
    QPushButton *cmdRemove_ = nullptr;
    QPushButton *cmdRefresh_ = nullptr;

    // The picture.
    QWidget *pictureColumn_ = nullptr;
    QLabel *imgMonitor_ = nullptr;
    PictureBox *picThumb_ = nullptr;
    ucGIF *ucGIF1_ = nullptr;
    QLabel *lblScreenRes_ = nullptr;
    QLabel *lblSize_ = nullptr;
    QPushButton *cmdPreview_ = nullptr;
    QGroupBox *fraDisplay_ = nullptr;
    QRadioButton *optPropTile_[3] = {};
    QGroupBox *fraColor_ = nullptr;
    QPushButton *lblColor_ = nullptr;
    QLabel *lblBackColor_ = nullptr;
    QCheckBox *ckColorChgAll_ = nullptr;

    // The schedule and the other commands.
    QWidget *scheduleColumn_ = nullptr;
    QGroupBox *fraTiming_ = nullptr;
    QRadioButton *optDay_ = nullptr;
    QRadioButton *optWeek_ = nullptr;
    QRadioButton *optHour_ = nullptr;
    QRadioButton *optMonth_ = nullptr;
    QComboBox *cboDays_ = nullptr;
    QComboBox *cboHours_ = nullptr;
    QLabel *lblMonth_ = nullptr;
    QGroupBox *fraCombine_ = nullptr;
    QPushButton *cmdReSize_ = nullptr;
    QPushButton *cmdBackground_ = nullptr;
    QPushButton *cmdSetWallpaper_ = nullptr;

    // The tray control and the splash.
    std::unique_ptr<NoticonLibrary> noticonLibrary_;
    cNoticon *cNoticon1_ = nullptr;
    frmAbout *splash_ = nullptr;
    bool updating_ = false;
    std::optional<MonitorShape> monitorShape_;
    double monitorRatio_ = 0;
};

}  // namespace pellimore
