#include "wallpaper/forms/frmCombine.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/widgets/PictureBox.h"
#include "wallpaper/forms/FormControls.h"
#include "wallpaper/forms/PortalColorPicker.h"
#include "wallpaper/forms/ScreenColor.h"
#include "wallpaper/designer/frmPics.h"
#include "wallpaper/window/MainWindowModel.h"

namespace pellimore {

namespace {

using forms::Button;
using forms::Named;
using forms::PixmapOf;

// The eyedropper samples the screen this often while it is held.
constexpr int kSampleIntervalMs = 40;
constexpr int kSwatchWidth = 48;

// A colour swatch: a flat button painted in the colour.
QPushButton *Swatch(const char *name, const QString &tip, QWidget *parent, int index = -1)
{
    auto *swatch = Named(new QPushButton(parent), name, index);
    swatch->setToolTip(tip);
    swatch->setFixedSize(kSwatchWidth, 22);
    swatch->setAutoFillBackground(true);
    return swatch;
}

void PaintSwatch(QPushButton *swatch, ColorRef color)
{
    swatch->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; border: 1px solid palette(dark); }")
                              .arg(QColor(RedOf(color), GreenOf(color), BlueOf(color)).name()));
}

// The eyedropper's picture: a pipette drawn for the screen's pixel ratio.
QPixmap DrawEyedropper(double ratio)
{
    const int side = 24;
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(side / 2.0, side / 2.0);
    painter.rotate(45);
    painter.setPen(QPen(Qt::black, 1.2));
    painter.setBrush(QColor(60, 60, 60));
    painter.drawRoundedRect(QRectF(-3.5, -11, 7, 7), 2, 2);  // the bulb
    painter.setBrush(QColor(220, 230, 240));
    painter.drawRect(QRectF(-2, -4, 4, 11));                  // the glass
    QPainterPath tip;
    tip.moveTo(-2, 7);
    tip.lineTo(0, 11);
    tip.lineTo(2, 7);
    painter.drawPath(tip);
    return pixmap;
}

}  // namespace

frmCombine::frmCombine(MainWindowModel &main, QWidget *parent) : QWidget(parent, Qt::Window), model_(main, *this)
{
    setObjectName(QStringLiteral("frmCombine"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kDesignerCaption);
    setWindowIcon(QApplication::windowIcon());

    auto *outer = new QVBoxLayout(this);
    auto *columns = new QHBoxLayout;
    backgroundColumn_ = BuildBackgroundColumn();
    designColumn_ = BuildDesignColumn();
    columns->addWidget(backgroundColumn_, 0);
    columns->addWidget(designColumn_, 0);
    columns->addWidget(BuildPreviewColumn(), 1);
    outer->addLayout(columns);
    buttonRow_ = BuildButtonRow();
    outer->addWidget(buttonRow_);

    // The window's own surface is tiled with the product's tile.
    QPalette tiled = palette();
    tiled.setBrush(QPalette::Window, QBrush(PixmapOf(model_.WindowTile(), 1.0)));
    setPalette(tiled);
    setAutoFillBackground(true);
    for (QGroupBox *frame : findChildren<QGroupBox *>()) {
        frame->setAutoFillBackground(true);
        frame->setPalette(QApplication::palette());
    }
    buttonRow_->setAutoFillBackground(true);
    buttonRow_->setPalette(QApplication::palette());

    model_.Form_Load();
}

frmCombine::~frmCombine()
{
    while (busyDepth_ > 0)
        SetBusy(false);
}

QWidget *frmCombine::BuildBackgroundColumn()
{
    auto *column = new QWidget(this);
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);

    fraChoose_ = Named(new QGroupBox(QStringLiteral("Select Background Type"), column), "fraChoose");
    auto *types = new QHBoxLayout(fraChoose_);
    const QString typeCaptions[2] = {QStringLiteral("Picture"), QStringLiteral("Gradient")};
    for (int i = 0; i < 2; ++i) {
        optBackType_[i] = Named(new QRadioButton(typeCaptions[i], fraChoose_), "optBackType", i);
        types->addWidget(optBackType_[i]);
        connect(optBackType_[i], &QRadioButton::clicked, this,
                [this, i] { model_.optBackType_Click(BackgroundType(i)); });
    }
    layout->addWidget(fraChoose_);

    fraFileLlist_ = Named(new QGroupBox(QStringLiteral("Backgrounds"), column), "fraFileLlist");
    auto *list = new QVBoxLayout(fraFileLlist_);
    FileList_ = Named(new QListWidget(fraFileLlist_), "FileList");
    FileList_->setMinimumHeight(180);
    connect(FileList_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { model_.FileList_Click(FileList_->row(item)); });
    list->addWidget(FileList_);
    auto *buttons = new QHBoxLayout;
    cmdAddPic_ = Button(QStringLiteral("&Add"), "cmdAddPic", QStringLiteral("Add picture to list"), fraFileLlist_);
    cmdRemove_ = Button(QStringLiteral("&Remove"), "cmdRemove", QStringLiteral("Remove picture from list"),
                        fraFileLlist_);
    cmdRefresh_ = Button(QStringLiteral("Refres&h"), "cmdRefresh", QStringLiteral("Refresh the list"), fraFileLlist_);
    for (QPushButton *button : {cmdAddPic_, cmdRemove_, cmdRefresh_})
        buttons->addWidget(button);
    list->addLayout(buttons);
    connect(cmdAddPic_, &QPushButton::clicked, this, [this] { model_.cmdAddPic_Click(); });
    connect(cmdRemove_, &QPushButton::clicked, this, [this] { model_.cmdRemove_Click(); });
    connect(cmdRefresh_, &QPushButton::clicked, this, [this] { model_.cmdRefresh_Click(); });
    layout->addWidget(fraFileLlist_);

    fraColor_ = Named(new QGroupBox(QStringLiteral("Gradient Background"), column), "fraColor");
    auto *grid = new QGridLayout(fraColor_);
    // The colour target and the kind share the frame: each is a group of its own.
    auto *colorGroup = new QButtonGroup(fraColor_);
    auto *kindGroup = new QButtonGroup(fraColor_);
    const QString colorCaptions[2] = {QStringLiteral("Start Color"), QStringLiteral("End Color")};
    const QString swatchTips[2] = {QStringLiteral("Select Start Color"), QStringLiteral("Select End Color")};
    for (int i = 0; i < 2; ++i) {
        optColor_[i] = Named(new QRadioButton(fraColor_), "optColor", i);
        colorGroup->addButton(optColor_[i]);
        auto *label = Named(new QLabel(colorCaptions[i], fraColor_), "lblGrad", i);
        lblGradient_[i] = Swatch("lblGradient", swatchTips[i], fraColor_, i);
        grid->addWidget(optColor_[i], i, 0);
        grid->addWidget(label, i, 1);
        grid->addWidget(lblGradient_[i], i, 2);
        connect(optColor_[i], &QRadioButton::clicked, this, [this, i] { model_.optColor_Click(i); });
        connect(lblGradient_[i], &QPushButton::clicked, this, [this, i] { model_.lblGradient_Click(i); });
    }
    imgCursor_ = Named(new QLabel(fraColor_), "imgCursor");
    imgCursor_->setToolTip(QStringLiteral("Click & hold mouse down to select color from screen."));
    imgCursor_->setPixmap(DrawEyedropper(devicePixelRatioF()));
    imgCursor_->setFrameShape(QFrame::NoFrame);
    imgCursor_->setCursor(Qt::CrossCursor);
    imgCursor_->installEventFilter(this);
    if (!ScreenColorReadable()) {
        // Wayland: the portal's picker, or no eyedropper at all rather than
        // one that reads nothing.
        portal_ = new PortalColorPicker(this);
        if (portal_->Available()) {
            connect(portal_, &PortalColorPicker::Picked, this,
                    [this](ColorRef color) { model_.ScreenColorPicked(color); });
        } else {
            delete portal_;
            portal_ = nullptr;
        }
    }
    imgCursor_->setVisible(ScreenColorReadable() || portal_);
    grid->addWidget(imgCursor_, 0, 3, 2, 1, Qt::AlignCenter);
    Timer1_ = Named(new QTimer(this), "Timer1");
    Timer1_->setInterval(kSampleIntervalMs);
    connect(Timer1_, &QTimer::timeout, this, [this] { model_.Timer1_Timer(); });

    grid->addWidget(Named(new QLabel(QStringLiteral("Direction:"), fraColor_), "lblGrad", 2), 2, 0, 1, 4);
    const QString kinds[4] = {QStringLiteral("Horizontal"), QStringLiteral("Vertical"), QStringLiteral("Sphere"),
                              QStringLiteral("Diagonal")};
    for (int i = 0; i < 4; ++i) {
        optGrad_[i] = Named(new QRadioButton(kinds[i], fraColor_), "optGrad", i);
        kindGroup->addButton(optGrad_[i]);
        grid->addWidget(optGrad_[i], 3 + i / 2, (i % 2) * 2, 1, 2);
        connect(optGrad_[i], &QRadioButton::clicked, this, [this, i] { model_.optGrad_Click(i); });
    }
    ckReverse_ = Named(new QCheckBox(QStringLiteral("Reverse"), fraColor_), "ckReverse");
    ckDiagonal_ = Named(new QCheckBox(QStringLiteral("to center"), fraColor_), "ckDiagonal");
    grid->addWidget(ckReverse_, 5, 0, 1, 2);
    grid->addWidget(ckDiagonal_, 5, 2, 1, 2);
    connect(ckReverse_, &QCheckBox::clicked, this, [this](bool on) { model_.ckReverse_Click(on); });
    connect(ckDiagonal_, &QCheckBox::clicked, this, [this](bool on) { model_.ckDiagonal_Click(on); });
    layout->addWidget(fraColor_);
    layout->addStretch(1);
    return column;
}

QWidget *frmCombine::BuildDesignColumn()
{
    auto *column = new QWidget(this);
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);

    fraOrient_ = Named(new QGroupBox(QStringLiteral("Picture Orientation"), column), "fraOrient");
    auto *grid = new QGridLayout(fraOrient_);
    const QString places[5] = {QStringLiteral("Center"), QStringLiteral("Top L"), QStringLiteral("Top R"),
                               QStringLiteral("Bottom L"), QStringLiteral("Bottom R")};
    for (int i = 0; i < 5; ++i) {
        optOrient_[i] = Named(new QRadioButton(places[i], fraOrient_), "optOrient", i);
        if (i == 0)
            grid->addWidget(optOrient_[i], 0, 0, 1, 2);
        else
            grid->addWidget(optOrient_[i], 1 + (i - 1) / 2, (i - 1) % 2);
        connect(optOrient_[i], &QRadioButton::clicked, this, [this, i] { model_.optOrient_Click(i); });
    }
    const char *labelNames[3] = {"", "lblHorizontal", "lblVertical"};
    const QString labelCaptions[3] = {QString(), QStringLiteral("Horizontal"), QStringLiteral("Vertical")};
    for (int box = 1; box <= 2; ++box) {
        grid->addWidget(Named(new QLabel(labelCaptions[box], fraOrient_), labelNames[box]), 2 + box, 0);
        txtMargin_[box] = Named(new QLineEdit(fraOrient_), "txtMargin", box);
        txtMargin_[box]->setMaxLength(5);
        txtMargin_[box]->installEventFilter(this);
        grid->addWidget(txtMargin_[box], 2 + box, 1);
        connect(txtMargin_[box], &QLineEdit::textEdited, this,
                [this, box](const QString &text) { model_.txtMargin_Change(box, text); });
    }
    cmdMargin_ = Button(QStringLiteral("Set Margins"), "cmdMargin", {}, fraOrient_);
    grid->addWidget(cmdMargin_, 5, 0, 1, 2);
    connect(cmdMargin_, &QPushButton::clicked, this, [this] { model_.cmdMargin_Click(); });
    layout->addWidget(fraOrient_);

    auto *border = new QHBoxLayout;
    ckBorder_ = Named(new QCheckBox(QStringLiteral("Add &Border"), column), "ckBorder");
    lblBorder_ = Swatch("lblBorder", QStringLiteral("Select Border Color"), column);
    border->addWidget(ckBorder_);
    border->addWidget(lblBorder_);
    border->addStretch(1);
    layout->addLayout(border);
    connect(ckBorder_, &QCheckBox::clicked, this, [this](bool on) { model_.ckBorder_Click(on); });
    connect(lblBorder_, &QPushButton::clicked, this, [this] { model_.lblBorder_Click(); });
    ckNoFrontPic_ = Named(new QCheckBox(QStringLiteral("Background Only"), column), "ckNoFrontPic");
    connect(ckNoFrontPic_, &QCheckBox::clicked, this, [this](bool on) { model_.ckNoFrontPic_Click(on); });
    layout->addWidget(ckNoFrontPic_);
    for (QWidget *onTiles : {static_cast<QWidget *>(ckBorder_), static_cast<QWidget *>(ckNoFrontPic_)}) {
        onTiles->setAutoFillBackground(true);
        onTiles->setPalette(QApplication::palette());
    }

    lblTile_ = Named(new QLabel(QStringLiteral("Actual Tile:"), column), "lblTile");
    lblTile_->setAutoFillBackground(true);
    lblTile_->setPalette(QApplication::palette());
    imgView_ = Named(new QLabel(column), "imgView");
    imgView_->setToolTip(QStringLiteral("Viewing actual size of tile"));
    imgView_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(lblTile_, 0, Qt::AlignLeft);
    layout->addWidget(imgView_, 0, Qt::AlignLeft);
    layout->addStretch(1);
    return column;
}

QLabel *frmCombine::BuildMonitor(PictureSurface &surface, int index, PictureBox *&box)
{
    imgMonitor_[index] = Named(new QLabel(this), "imgMonitor", index);
    imgMonitor_[index]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const char *names[4] = {"", "picThumb", "picThumbBk", "picThumbCombo"};
    box = Named(new PictureBox(surface, imgMonitor_[index]), names[index]);
    return imgMonitor_[index];
}

QWidget *frmCombine::BuildPreviewColumn()
{
    auto *column = new QWidget(this);
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(BuildMonitor(model_.FrontPreview(), 1, picThumb_), 0, Qt::AlignHCenter);
    layout->addWidget(BuildMonitor(model_.BackgroundPreview(), 2, picThumbBk_), 0, Qt::AlignHCenter);
    layout->addWidget(BuildMonitor(model_.CombinedPreview(), 3, picThumbCombo_), 0, Qt::AlignHCenter);
    lblSize_ = Named(new QLabel(QStringLiteral("Picture Size"), column), "lblSize");
    lblScreenRes_ = Named(new QLabel(QStringLiteral("Screen Resolution"), column), "lblScreenRes");
    for (QLabel *label : {lblSize_, lblScreenRes_}) {
        label->setAutoFillBackground(true);
        label->setPalette(QApplication::palette());
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    }
    layout->addStretch(1);
    return column;
}

QWidget *frmCombine::BuildButtonRow()
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    cmdPreview_ = Button(kDesignerPreviewCaption, "cmdPreview", QStringLiteral("Preview on Desktop"), this);
    cmdSavePic_ = Button(QStringLiteral("&Save"), "cmdSavePic", QStringLiteral("Save new wallpaper"), row);
    lblSaved_ = Named(new QLabel(kSavedText, row), "lblSaved");
    cmdCancel_ = Button(QStringLiteral("&Cancel"), "cmdCancel", {}, row);
    imgHelp_ = Button(QString(), "imgHelp", QStringLiteral("Help"), row);
    imgHelp_->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    imgHelp_->setFlat(true);
    layout->addWidget(imgHelp_);
    layout->addWidget(lblSaved_, 1, Qt::AlignRight);
    layout->addWidget(cmdPreview_);
    layout->addWidget(cmdSavePic_);
    layout->addWidget(cmdCancel_);
    connect(cmdPreview_, &QPushButton::clicked, this, [this] { model_.cmdPreview_Click(); });
    connect(cmdSavePic_, &QPushButton::clicked, this, [this] { model_.cmdSavePic_Click(); });
    connect(cmdCancel_, &QPushButton::clicked, this, [this] { close(); });
    connect(imgHelp_, &QPushButton::clicked, this, [this] { model_.imgHelp_Click(); });
    return row;
}

// ---------------------------------------------------------------------------
// Showing the model

void frmCombine::UpdateControls()
{
    if (updating_)
        return;
    updating_ = true;
    const bool gradient = model_.Type() == BackgroundType::Gradient;
    optBackType_[int(model_.Type())]->setChecked(true);
    fraFileLlist_->setVisible(!gradient);
    fraColor_->setVisible(gradient);

    const QStringList &names = model_.BackgroundNames();
    QStringList shown;
    for (int i = 0; i < FileList_->count(); ++i)
        shown << FileList_->item(i)->text();
    if (shown != names) {
        FileList_->clear();
        FileList_->addItems(names);
    }
    FileList_->setCurrentRow(model_.SelectedBackground());
    UpdateGradientControls();

    const DesignerSettings &settings = model_.Settings();
    optOrient_[int(settings.orientation)]->setChecked(true);
    for (int box = 1; box <= 2; ++box) {
        if (txtMargin_[box]->text() != settings.marginText[box - 1])
            txtMargin_[box]->setText(settings.marginText[box - 1]);
        txtMargin_[box]->setEnabled(model_.MarginsEnabled());
    }
    cmdMargin_->setEnabled(model_.MarginsEnabled());
    ckBorder_->setChecked(settings.border);
    PaintSwatch(lblBorder_, settings.borderColor);
    ckBorder_->setVisible(!settings.backgroundOnly);
    lblBorder_->setVisible(!settings.backgroundOnly);
    ckNoFrontPic_->setChecked(settings.backgroundOnly);
    ckNoFrontPic_->setEnabled(!model_.Previewing());

    const bool tile = model_.TileShown() && !gradient;
    lblTile_->setVisible(tile);
    imgView_->setVisible(tile);
    if (tile)
        imgView_->setPixmap(PixmapOf(model_.Tile(), 1.0));
    lblSize_->setVisible(!gradient);
    lblScreenRes_->setText(model_.ScreenResolutionText());

    cmdPreview_->setText(model_.PreviewCaption());
    cmdPreview_->setEnabled(model_.PreviewEnabled() || model_.Previewing());
    cmdSavePic_->setEnabled(model_.SaveEnabled());
    lblSaved_->setVisible(model_.SavedShown());
    lblSaved_->setText(model_.SavedText());
    UpdatePreviews();
    SetStripLayout(model_.Previewing());
    updating_ = false;
}

void frmCombine::UpdateGradientControls()
{
    const DesignerSettings &settings = model_.Settings();
    optGrad_[std::clamp(settings.gradientKind, 0, 3)]->setChecked(true);
    ckReverse_->setChecked(settings.reverse);
    ckDiagonal_->setChecked(settings.toCenter);
    ckDiagonal_->setVisible(settings.gradientKind == int(GradientKind::Diagonal));
    optColor_[model_.ColorTarget()]->setChecked(true);
    const std::optional<ColorRef> sampling = model_.SamplingColor();
    for (int i = 0; i < 2; ++i) {
        ColorRef color = i == 0 ? model_.StartColor() : model_.EndColor();
        if (sampling && i == model_.ColorTarget())
            color = *sampling;
        PaintSwatch(lblGradient_[i], color);
    }
    // A border on the eyedropper while it is held.
    imgCursor_->setFrameShape(model_.Sampling() ? QFrame::Box : QFrame::NoFrame);
}

void frmCombine::UpdatePreviews()
{
    const double ratio = devicePixelRatioF();
    const QRect place = model_.PreviewInMonitor();
    const MonitorShape shape = place.size() == kWideScreenSize ? MonitorShape::Wide : MonitorShape::Square;
    const QPixmap framePicture = PixmapOf(DrawMonitorFrame(shape, ratio), ratio);
    PictureBox *boxes[4] = {nullptr, picThumb_, picThumbBk_, picThumbCombo_};
    for (int i = 1; i <= 3; ++i) {
        imgMonitor_[i]->setPixmap(framePicture);
        imgMonitor_[i]->setFixedSize(MonitorFrameSize(shape));
        boxes[i]->Surface().Move(place.x(), place.y());
        boxes[i]->Refresh();
    }
}

void frmCombine::SetStripLayout(bool strip)
{
    if (strip == stripLayout_)
        return;
    if (strip)
        normalGeometry_ = geometry();
    stripLayout_ = strip;
    // The strip: only the combined preview and the button, at the top left
    // of the screen, so that the desktop shows.
    for (QWidget *part : {backgroundColumn_, designColumn_, static_cast<QWidget *>(imgMonitor_[1]),
                          static_cast<QWidget *>(imgMonitor_[2]), static_cast<QWidget *>(lblSize_),
                          static_cast<QWidget *>(lblScreenRes_), static_cast<QWidget *>(cmdSavePic_),
                          static_cast<QWidget *>(cmdCancel_), static_cast<QWidget *>(imgHelp_),
                          static_cast<QWidget *>(lblSaved_)})
        part->setVisible(!strip);
    if (strip) {
        lblSize_->setVisible(false);
        adjustSize();
        resize(minimumSizeHint());
        if (QScreen *screen = this->screen())
            move(screen->availableGeometry().topLeft());
    } else {
        lblSize_->setVisible(model_.Type() == BackgroundType::Picture);
        lblSaved_->setVisible(model_.SavedShown());
        cmdSavePic_->setEnabled(model_.SaveEnabled());
        if (normalGeometry_.isValid())
            setGeometry(normalGeometry_);
    }
}

// ---------------------------------------------------------------------------
// Events

void frmCombine::SetBusy(bool busy)
{
    if (busy) {
        if (busyDepth_++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busyDepth_ > 0 && --busyDepth_ == 0) {
        QApplication::restoreOverrideCursor();
    }
}

void frmCombine::FocusSetMargins()
{
    cmdMargin_->setEnabled(true);
    cmdMargin_->setFocus();
}

bool frmCombine::ScreenColorReadable()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

std::optional<ColorRef> frmCombine::ScreenColorUnderPointer()
{
    if (!ScreenColorReadable())
        return std::nullopt;
    return ReadX11ScreenColorAtPointer();
}

bool frmCombine::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == imgCursor_) {
        if (event->type() == QEvent::MouseButtonPress && portal_) {
            portal_->Pick();
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress) {
            model_.imgCursor_MouseDown();
            Timer1_->start();
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease && !portal_) {
            Timer1_->stop();
            model_.imgCursor_MouseUp();
            return true;
        }
    }
    for (int box = 1; box <= 2; ++box) {
        if (watched != txtMargin_[box] || event->type() != QEvent::KeyPress)
            continue;
        auto *key = static_cast<QKeyEvent *>(event);
        const bool backspace = key->key() == Qt::Key_Backspace;
        // Keys that type nothing (arrows, Tab) move about as usual.
        if (key->text().isEmpty() && !backspace)
            return false;
        return !model_.txtMargin_KeyPress(box, key->text().isEmpty() ? QChar() : key->text().at(0), backspace);
    }
    return QWidget::eventFilter(watched, event);
}

void frmCombine::closeEvent(QCloseEvent *event)
{
    if (!model_.QueryUnload()) {
        event->ignore();
        return;
    }
    Timer1_->stop();
    model_.Form_Unload();
    event->accept();
}

}  // namespace pellimore
