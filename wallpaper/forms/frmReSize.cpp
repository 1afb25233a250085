#include "wallpaper/forms/frmReSize.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/widgets/PictureBox.h"
#include "wallpaper/forms/FormControls.h"

namespace pellimore {

namespace {

using forms::Button;
using forms::Named;

// Work shorter than this shows only the busy cursor.
constexpr int kProgressAfterMs = 500;

}  // namespace

frmReSize::frmReSize(WallpaperApp &app, QSize screen, QWidget *parent)
    : QWidget(parent, Qt::Window), model_(app, *this, screen)
{
    setObjectName(QStringLiteral("frmReSize"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kResizeCaption);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(BuildControls());
    layout->addWidget(BuildFrame(), 1);
}

frmReSize::~frmReSize()
{
    while (busyDepth_ > 0)
        SetBusy(false);
}

QWidget *frmReSize::BuildControls()
{
    auto *controls = new QWidget(this);
    auto *grid = new QGridLayout(controls);
    grid->setContentsMargins(0, 0, 0, 0);

    Slider1_ = Named(new QSlider(Qt::Horizontal, controls), "Slider1");
    Slider1_->setRange(0, 10);
    Slider1_->setPageStep(1);
    Slider1_->setTickPosition(QSlider::TicksBelow);
    Slider1_->setTickInterval(1);
    // The position counts once the slider is let go, not while it is dragged.
    Slider1_->setTracking(false);
    Slider1_->setToolTip(QStringLiteral("Move the slider, then click Resize"));
    Slider1_->setMinimumWidth(fontMetrics().averageCharWidth() * 28);
    txtScale_ = Named(new QLineEdit(controls), "txtScale");
    txtScale_->setReadOnly(true);
    txtScale_->setAlignment(Qt::AlignRight);
    txtScale_->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 16);
    lblScale_ = Named(new QLabel(QStringLiteral("percent of original"), controls), "lblScale");
    lblSize_ = Named(new QLabel(controls), "lblSize");
    lblSize_->setToolTip(QStringLiteral("Move the Slider to the left to choose a new size, then click Resize"));
    lblRes_ = Named(new QLabel(QStringLiteral("Desktop:"), controls), "lblRes");

    cmdCrop_ = Button(kStartCropCaption, "cmdCrop", QStringLiteral("Drag your mouse across the area you want to keep"), controls);
    cmdResize_ = Button(QStringLiteral("Resize"), "cmdResize", {}, controls);
    cmdRevert_ = Button(QStringLiteral("Revert"), "cmdRevert", {}, controls);
    cmdSave_ = Button(QStringLiteral("Save"), "cmdSave", {}, controls);
    cmdCancel_ = Button(QStringLiteral("Cancel"), "cmdCancel", {}, controls);
    imgHelp_ = Named(new QToolButton(controls), "imgHelp");
    imgHelp_->setIcon(style()->standardIcon(QStyle::SP_TitleBarContextHelpButton));
    imgHelp_->setToolTip(QStringLiteral("Help"));
    imgHelp_->setAutoRaise(true);
    picGoBack_ = Button(QStringLiteral("Return to Upper Left Corner"), "picGoBack", {}, controls);

    auto *scale = new QHBoxLayout;
    scale->addWidget(Slider1_, 1);
    scale->addWidget(txtScale_);
    scale->addWidget(lblScale_);
    grid->addLayout(scale, 0, 0);
    auto *sizes = new QVBoxLayout;
    sizes->addWidget(lblSize_);
    sizes->addWidget(lblRes_);
    grid->addLayout(sizes, 0, 1);
    grid->setColumnStretch(2, 1);
    auto *buttons = new QHBoxLayout;
    for (QWidget *button : {static_cast<QWidget *>(cmdCrop_), static_cast<QWidget *>(cmdResize_),
                            static_cast<QWidget *>(cmdRevert_), static_cast<QWidget *>(cmdSave_),
                            static_cast<QWidget *>(cmdCancel_), static_cast<QWidget *>(imgHelp_)})
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(picGoBack_);
    grid->addLayout(buttons, 1, 0, 1, 3);

    connect(Slider1_, &QSlider::valueChanged, this, [this](int value) {
        if (!updating_)
            model_.Slider1_Change(value);
    });
    connect(cmdCrop_, &QPushButton::clicked, this, [this] { model_.cmdCrop_Click(); });
    connect(cmdResize_, &QPushButton::clicked, this, [this] { model_.cmdResize_Click(); });
    connect(cmdRevert_, &QPushButton::clicked, this, [this] { model_.cmdRevert_Click(); });
    connect(cmdSave_, &QPushButton::clicked, this, [this] { model_.cmdSave_Click(); });
    connect(cmdCancel_, &QPushButton::clicked, this, [this] { model_.cmdCancel_Click(); });
    connect(imgHelp_, &QToolButton::clicked, this, [this] { model_.imgHelp_Click(); });
    connect(picGoBack_, &QPushButton::clicked, this, [this] { model_.picGoBack_Click(); });
    return controls;
}

QWidget *frmReSize::BuildFrame()
{
    auto *frame = new QWidget(this);
    auto *grid = new QGridLayout(frame);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    PicBox_ = Named(new QWidget(frame), "PicBox");
    PicBox_->setBackgroundRole(QPalette::Dark);
    PicBox_->setAutoFillBackground(true);
    picCrop_ = Named(new PictureBox(model_.Crop(), PicBox_), "picCrop");
    picCrop_->installEventFilter(this);
    picResult_ = Named(new PictureBox(model_.Result(), PicBox_), "picResult");
    picResult_->raise();
    HScroll_ = Named(new QScrollBar(Qt::Horizontal, frame), "HScroll");
    VScroll_ = Named(new QScrollBar(Qt::Vertical, frame), "VScroll");
    grid->addWidget(PicBox_, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(VScroll_, 0, 1);
    grid->addWidget(HScroll_, 1, 0);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(2, 1);

    connect(HScroll_, &QScrollBar::valueChanged, this, [this](int value) {
        if (!updating_)
            model_.HScroll_Change(value);
    });
    connect(VScroll_, &QScrollBar::valueChanged, this, [this](int value) {
        if (!updating_)
            model_.VScroll_Change(value);
    });
    return frame;
}

bool frmReSize::Load()
{
    return model_.Load();
}

// ---------------------------------------------------------------------------
// Showing the model

void frmReSize::UpdateControls()
{
    updating_ = true;
    setWindowTitle(model_.Title().isEmpty() ? kResizeCaption : model_.Title());
    Slider1_->setValue(model_.SliderPosition());
    txtScale_->setText(model_.ScaleText());
    lblSize_->setText(model_.SizeText());
    lblRes_->setText(model_.DesktopText().isEmpty() ? QStringLiteral("Desktop:") : model_.DesktopText());

    cmdCrop_->setText(model_.CropCaption());
    QPalette palette = QApplication::palette(cmdCrop_);
    if (model_.CropMode()) {
        palette.setColor(QPalette::Button, Qt::red);
        palette.setColor(QPalette::ButtonText, Qt::white);
    }
    cmdCrop_->setPalette(palette);
    cmdSave_->setEnabled(model_.SaveEnabled());
    picCrop_->setCursor(model_.CropMode() ? Qt::CrossCursor : Qt::ArrowCursor);
    UpdateFrame();
    updating_ = false;
}

void frmReSize::UpdateFrame()
{
    const ResizeLayout &layout = model_.Layout();
    PicBox_->setFixedSize(layout.frame);
    picCrop_->Refresh();
    picResult_->Refresh();
    picResult_->setVisible(model_.ResultShown());
    picCrop_->setVisible(!model_.ResultShown());
    HScroll_->setVisible(layout.hScroll);
    HScroll_->setRange(0, layout.hMax);
    HScroll_->setPageStep(layout.frame.width());
    HScroll_->setSingleStep(16);
    HScroll_->setValue(model_.ScrollX());
    VScroll_->setVisible(layout.vScroll);
    VScroll_->setRange(0, layout.vMax);
    VScroll_->setPageStep(layout.frame.height());
    VScroll_->setSingleStep(16);
    VScroll_->setValue(model_.ScrollY());
    picGoBack_->setEnabled(layout.hScroll || layout.vScroll);
    // The window follows the frame when the frame changes, within the screen.
    if (layout.window != appliedWindow_) {
        appliedWindow_ = layout.window;
        if (QLayout *own = this->layout())
            own->activate();
        resize(minimumSizeHint().expandedTo(layout.window));
    }
}

// ---------------------------------------------------------------------------
// ResizeView

void frmReSize::SetBusy(bool busy)
{
    if (busy) {
        if (busyDepth_++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busyDepth_ > 0 && --busyDepth_ == 0) {
        QApplication::restoreOverrideCursor();
    }
}

void frmReSize::ShowProgress(int done, int total)
{
    if (done >= total) {
        if (progress_) {
            progress_->close();
            progress_->deleteLater();
            progress_ = nullptr;
        }
        progressClock_.invalidate();
        return;
    }
    if (!progressClock_.isValid())
        progressClock_.start();
    if (!progress_ && progressClock_.elapsed() >= kProgressAfterMs) {
        progress_ = new QProgressDialog(QStringLiteral("Resizing..."), QString(), 0, total, this);
        progress_->setObjectName(QStringLiteral("progress"));
        progress_->setWindowTitle(kResizeCaption);
        progress_->setWindowModality(Qt::WindowModal);
        progress_->setMinimumDuration(0);
        progress_->show();
    }
    if (progress_)
        progress_->setValue(done);
    // Keeps the windows painted without taking new input in the middle.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmReSize::FocusScale()
{
    txtScale_->setFocus();
    txtScale_->selectAll();
}

void frmReSize::CloseWindow()
{
    close();
}

void frmReSize::closeEvent(QCloseEvent *event)
{
    while (busyDepth_ > 0)
        SetBusy(false);
    event->accept();
    emit Closed();
}

bool frmReSize::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == picCrop_) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
                model_.picCrop_MouseDown(static_cast<QMouseEvent *>(event)->position());
                return true;
            }
            break;
        case QEvent::MouseMove:
            model_.picCrop_MouseMove(static_cast<QMouseEvent *>(event)->position());
            return true;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
                model_.picCrop_MouseUp(static_cast<QMouseEvent *>(event)->position());
                return true;
            }
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace pellimore
