#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include <memory>

#include "wallpaper/window/ResizeModel.h"

class QLabel;
class QLineEdit;
class QProgressDialog;
class QPushButton;
class QScrollBar;
class QSlider;
class QToolButton;

namespace pellimore {

class PictureBox;
class WallpaperApp;

// The Resize and Crop window: a thin form over ResizeModel. Every event goes
// to one model call; UpdateControls() then shows the model's state. It
// deletes itself when closed.
class frmReSize final : public QWidget, public ResizeView {
    Q_OBJECT

public:
    // `screen` is the room the window may take, in the window's pixels.
    frmReSize(WallpaperApp &app, QSize screen, QWidget *parent = nullptr);
    ~frmReSize() override;

    // Loads the main window's selected picture; false when it cannot be
    // opened (the window is then not shown).
    bool Load();
    ResizeModel &Model() { return model_; }

    // --- ResizeView ---------------------------------------------------------------
    void UpdateControls() override;
    void SetBusy(bool busy) override;
    void ShowProgress(int done, int total) override;
    void FocusScale() override;
    void CloseWindow() override;

signals:
    void Closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *BuildControls();
    QWidget *BuildFrame();
    void UpdateFrame();

    ResizeModel model_;
    int busyDepth_ = 0;
    QElapsedTimer progressClock_;
    QProgressDialog *progress_ = nullptr;
    bool updating_ = false;
    QSize appliedWindow_;

    QSlider *Slider1_ = nullptr;
    QLineEdit *txtScale_ = nullptr;
    QLabel *lblScale_ = nullptr;
    QLabel *lblSize_ = nullptr;
    QLabel *lblRes_ = nullptr;
    QPushButton *cmdCrop_ = nullptr;
    QPushButton *cmdResize_ = nullptr;
    QPushButton *cmdRevert_ = nullptr;
    QPushButton *cmdSave_ = nullptr;
    QPushButton *cmdCancel_ = nullptr;
    QToolButton *imgHelp_ = nullptr;
    QPushButton *picGoBack_ = nullptr;
    QWidget *PicBox_ = nullptr;
    PictureBox *picCrop_ = nullptr;
    PictureBox *picResult_ = nullptr;
    QScrollBar *HScroll_ = nullptr;
    QScrollBar *VScroll_ = nullptr;
};

}  // namespace pellimore
