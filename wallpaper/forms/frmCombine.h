#pragma once

#include <QWidget>

#include <optional>

#include "wallpaper/window/DesignerModel.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTimer;

namespace pellimore {

class MainWindowModel;
class PictureBox;
class PortalColorPicker;

// The Combine Pictures window: a thin form over DesignerModel. It is created
// over the hidden main window and deletes itself when closed.
class frmCombine final : public QWidget, public DesignerView {
    Q_OBJECT
public:
    explicit frmCombine(MainWindowModel &main, QWidget *parent = nullptr);
    ~frmCombine() override;

    DesignerModel &Model() { return model_; }
    // The eyedropper reads the screen itself on X11.
    static bool ScreenColorReadable();

    // --- DesignerView ----------------------------------------------------------
    void UpdateControls() override;
    void SetBusy(bool busy) override;
    void FocusSetMargins() override;
    void CloseWindow() override { close(); }
    std::optional<ColorRef> ScreenColorUnderPointer() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *BuildBackgroundColumn();
    QWidget *BuildDesignColumn();
    QWidget *BuildPreviewColumn();
    QWidget *BuildButtonRow();
    QLabel *BuildMonitor(PictureSurface &surface, int index, PictureBox *&box);
    void UpdateGradientControls();
    void UpdatePreviews();
    void SetStripLayout(bool strip);

    DesignerModel model_;
    bool updating_ = false;
    bool stripLayout_ = false;
    QRect normalGeometry_;
    int busyDepth_ = 0;

    QWidget *backgroundColumn_ = nullptr;
    QWidget *designColumn_ = nullptr;
    QWidget *buttonRow_ = nullptr;
    QGroupBox *fraChoose_ = nullptr;
    QRadioButton *optBackType_[2] = {};
    QGroupBox *fraFileLlist_ = nullptr;
    QListWidget *FileList_ = nullptr;
    QPushButton *cmdAddPic_ = nullptr;
    QPushButton *cmdRemove_ = nullptr;
    QPushButton *cmdRefresh_ = nullptr;
    QGroupBox *fraColor_ = nullptr;
    QPushButton *lblGradient_[2] = {};
    QRadioButton *optColor_[2] = {};
    QLabel *imgCursor_ = nullptr;
    QTimer *Timer1_ = nullptr;
    PortalColorPicker *portal_ = nullptr;  // the desktop's picker where the screen cannot be read
    QRadioButton *optGrad_[4] = {};
    QCheckBox *ckReverse_ = nullptr;
    QCheckBox *ckDiagonal_ = nullptr;
    QGroupBox *fraOrient_ = nullptr;
    QRadioButton *optOrient_[5] = {};
    QLineEdit *txtMargin_[3] = {};  // 1 horizontal, 2 vertical
    QPushButton *cmdMargin_ = nullptr;
    QCheckBox *ckBorder_ = nullptr;
    QPushButton *lblBorder_ = nullptr;
    QCheckBox *ckNoFrontPic_ = nullptr;
    QLabel *lblTile_ = nullptr;
    QLabel *imgView_ = nullptr;
    QLabel *imgMonitor_[4] = {};  // 1 to 3
    PictureBox *picThumb_ = nullptr;
    PictureBox *picThumbBk_ = nullptr;
    PictureBox *picThumbCombo_ = nullptr;
    QLabel *lblSize_ = nullptr;
    QLabel *lblScreenRes_ = nullptr;
    QPushButton *cmdPreview_ = nullptr;
    QPushButton *cmdSavePic_ = nullptr;
    QLabel *lblSaved_ = nullptr;
    QPushButton *cmdCancel_ = nullptr;
    QPushButton *imgHelp_ = nullptr;
};

}  // namespace pellimore
