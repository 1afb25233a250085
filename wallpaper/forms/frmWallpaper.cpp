#include "wallpaper/forms/frmWallpaper.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/Platform.h"
#include "platform/clock/Clock.h"
#include "platform/ui/Ui.h"
#include "platform/widgets/PictureBox.h"
#include "traycontrol/TrayPicture.h"
#include "traycontrol/cNoticon.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/changer/PictureData.h"
#include "wallpaper/codecs/PictureLoading.h"
#include "wallpaper/codecs/widgets/ucGIF.h"
#include "wallpaper/designer/frmPics.h"
#include "wallpaper/forms/FormControls.h"
#include "wallpaper/forms/SmallForms.h"
#include "wallpaper/forms/frmReSize.h"
#include "wallpaper/forms/frmCombine.h"

namespace pellimore {

namespace {

using forms::Button;
using forms::Named;
using forms::PixmapOf;

const char *const kWeekdays[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};

QAction *CheckAction(QMenu *menu, const QString &caption, const char *name)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setCheckable(true);
    return action;
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (int side : {16, 22, 24, 32, 48, 64, 128})
        icon.addPixmap(QPixmap::fromImage(DrawProgramIcon(side).ToImage()));
    return icon;
}

}  // namespace

frmWallpaper::frmWallpaper(WallpaperApp &app, NotificationArea &area, QWidget *parent)
    : QMainWindow(parent), model_(app, *this)
{
    setObjectName(QStringLiteral("frmWallpaper"));
    setWindowTitle(kMainWindowCaption);
    setWindowIcon(ProgramIcon());
    BuildMenus();

    auto *central = new QWidget(this);
    auto *columns = new QHBoxLayout(central);
    columns->addWidget(BuildListFrame(), 3);
    columns->addWidget(BuildPictureColumn(), 0);
    columns->addWidget(BuildScheduleColumn(), 2);
    setCentralWidget(central);
    BuildTray(area);
}

frmWallpaper::~frmWallpaper()
{
    delete splash_;
    // The control leaves the notification area while its library still exists.
    delete cNoticon1_;
}

void frmWallpaper::BuildMenus()
{
    QMenu *program = menuBar()->addMenu(QStringLiteral("&Program"));
    mnuStart_ = Named(program->addAction(QStringLiteral("Start Wallpaper Pellimore Now (Autorun)")), "mnuStart");
    mnuFileSS_ = Named(program->addAction(QStringLiteral("Setup Screen Saver")), "mnuFileSS");
    program->addSeparator();
    mnuExit_ = Named(program->addAction(QStringLiteral("Exit")), "mnuExit");

    QMenu *options = menuBar()->addMenu(QStringLiteral("&Options"));
    mnuSound_ = CheckAction(options, QStringLiteral("Play Sound when wallpaper changes"), "mnuSound");
    mnuStartup_ = CheckAction(options, QStringLiteral("Add to Windows Startup folder"), "mnuStartup");
    mnuNoAD_ = CheckAction(options, QStringLiteral("Don't use Active Desktop"), "mnuNoAD");
    mnuDelete_ = Named(options->addAction(QStringLiteral("Permanently delete Removed pics")), "mnuDelete");
    options->addSeparator();
    mnuOptResize_ = Named(options->addAction(QStringLiteral("Resize Current Picture")), "mnuOptResize");
    mnuOptCombo_ = Named(options->addAction(QStringLiteral("Combine Pictures")), "mnuOptCombo");
    QMenu *quality = options->addMenu(QStringLiteral("Saved Pics JPG Quality"));
    quality->setObjectName(QStringLiteral("mnuOptComQuality"));
    const char *qualities[3] = {"High", "Very High", "Max"};
    for (int i = 0; i < 3; ++i) {
        mnuJPGhigh_[i] = CheckAction(quality, QLatin1String(qualities[i]), "mnuJPGhigh");
        mnuJPGhigh_[i]->setProperty("index", i);
        connect(mnuJPGhigh_[i], &QAction::triggered, this, [this, i] { model_.mnuJPGhigh_Click(i); });
    }

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuManual_ = Named(help->addAction(QStringLiteral("User's Manual")), "mnuManual");
    mnuWeb_ = Named(help->addAction(QStringLiteral("Visit the Wallpaper Pellimore website")), "mnuWeb");
    mnuMessage_ = CheckAction(help, QStringLiteral("Show Start WP Reminder"), "mnuMessage");
    help->addSeparator();
    mnuAbout_ = Named(help->addAction(QStringLiteral("About")), "mnuAbout");

    connect(mnuFileSS_, &QAction::triggered, this, [this] { model_.mnuFileSS_Click(); });
    connect(mnuManual_, &QAction::triggered, this, [this] { model_.mnuManual_Click(); });
    connect(mnuWeb_, &QAction::triggered, this, [this] { model_.mnuWeb_Click(); });

    // The tray's pop-up menu, never in the menu bar.
    mnuTray_ = new QMenu(QStringLiteral("Tray"), this);
    mnuTray_->setObjectName(QStringLiteral("mnuTray"));
    QAction *settings = Named(mnuTray_->addAction(QStringLiteral("Settings")), "mnuTraySettings");
    QAction *next = Named(mnuTray_->addAction(QStringLiteral("Next Wallpaper")), "mnuTrayNext");
    mnuTray_->addSeparator();
    QAction *close = Named(mnuTray_->addAction(QStringLiteral("Close Wallpaper Pellimore")), "mnuTrayClose");

    connect(mnuStart_, &QAction::triggered, this, [this] { model_.mnuStart_Click(); });
    connect(mnuExit_, &QAction::triggered, this, [this] { model_.mnuExit_Click(); });
    connect(mnuSound_, &QAction::triggered, this, [this] { model_.mnuSound_Click(); });
    connect(mnuStartup_, &QAction::triggered, this, [this] { model_.mnuStartup_Click(); });
    connect(mnuNoAD_, &QAction::triggered, this, [this] { model_.mnuNoAD_Click(); });
    connect(mnuDelete_, &QAction::triggered, this, [this] { model_.mnuDelete_Click(); });
    connect(mnuMessage_, &QAction::triggered, this, [this] { model_.mnuMessage_Click(); });
    connect(mnuAbout_, &QAction::triggered, this, [this] { model_.mnuAbout_Click(); });
    connect(mnuOptResize_, &QAction::triggered, this, [this] { model_.mnuOptResize_Click(); });
    connect(mnuOptCombo_, &QAction::triggered, this, [this] { model_.mnuOptCombo_Click(); });
    // Queued: the menu closes before the window shows or the wallpaper changes.
    connect(settings, &QAction::triggered, this, [this] { model_.mnuTraySettings_Click(); }, Qt::QueuedConnection);
    connect(next, &QAction::triggered, this, [this] { model_.mnuTrayNext_Click(); }, Qt::QueuedConnection);
    connect(close, &QAction::triggered, this, [this] { model_.mnuTrayClose_Click(); }, Qt::QueuedConnection);
}

QWidget *frmWallpaper::BuildListFrame()
{
    Frame13_ = Named(new QGroupBox(QStringLiteral("Wallpaper List"), this), "Frame13");
    auto *layout = new QVBoxLayout(Frame13_);
    FileList_ = Named(new QListWidget(Frame13_), "FileList");
    FileList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FileList_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    FileList_->setMinimumWidth(fontMetrics().averageCharWidth() * 26);
    layout->addWidget(FileList_, 1);
    // The list scrolls sideways with its own bar below it, for long names.
    HScroll1_ = Named(new QScrollBar(Qt::Horizontal, Frame13_), "HScroll1");
    HScroll1_->setRange(0, 0);
    HScroll1_->setEnabled(false);
    layout->addWidget(HScroll1_);
    auto *buttons = new QHBoxLayout;
    cmdAddPic_ = Button(QStringLiteral("&Add"), "cmdAddPic", QStringLiteral("Add picture to list"), Frame13_);
    cmdRemove_ = Button(QStringLiteral("&Remove"), "cmdRemove", QStringLiteral("Remove picture from list"), Frame13_);
    cmdRefresh_ = Button(QStringLiteral("Refres&h"), "cmdRefresh", QStringLiteral("Refresh the list"), Frame13_);
    for (QPushButton *button : {cmdAddPic_, cmdRemove_, cmdRefresh_})
        buttons->addWidget(button);
    layout->addLayout(buttons);

    connect(FileList_, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        model_.FileList_Click(FileList_->row(item));
    });
    connect(FileList_, &QListWidget::currentRowChanged, this, [this](int row) {
        // Moving with the keys selects as a click does.
        if (!updating_ && row >= 0 && row != model_.SelectedIndex())
            model_.FileList_Click(row);
    });
    connect(FileList_->horizontalScrollBar(), &QScrollBar::rangeChanged, this, [this](int, int maximum) {
        HScroll1_->setRange(0, maximum);
        HScroll1_->setEnabled(maximum > 0);
    });
    connect(HScroll1_, &QScrollBar::valueChanged, this, [this](int value) {
        if (!updating_)
            model_.HScroll1_Change(value);
        FileList_->setFocus();
    });
    connect(cmdAddPic_, &QPushButton::clicked, this, [this] { model_.cmdAddPic_Click(); });
    connect(cmdRemove_, &QPushButton::clicked, this, [this] { model_.cmdRemove_Click(); });
    connect(cmdRefresh_, &QPushButton::clicked, this, [this] { model_.cmdRefresh_Click(); });
    return Frame13_;
}

QWidget *frmWallpaper::BuildPictureColumn()
{
    pictureColumn_ = new QWidget(this);
    auto *layout = new QVBoxLayout(pictureColumn_);
    layout->setContentsMargins(0, 0, 0, 0);

    // The monitor frame with the thumbnail (and the animated preview) inside it.
    imgMonitor_ = Named(new QLabel(pictureColumn_), "imgMonitor");
    imgMonitor_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picThumb_ = Named(new PictureBox(model_.Picture().Thumbnail(), imgMonitor_), "picThumb");
    ucGIF1_ = Named(new ucGIF(imgMonitor_), "ucGIF1");
    ucGIF1_->hide();
    layout->addWidget(imgMonitor_, 0, Qt::AlignHCenter);

    lblScreenRes_ = Named(new QLabel(QStringLiteral("Screen Resolution"), pictureColumn_), "lblScreenRes");
    lblSize_ = Named(new QLabel(QStringLiteral("Picture Size"), pictureColumn_), "lblSize");
    for (QLabel *label : {lblScreenRes_, lblSize_}) {
        label->setAlignment(Qt::AlignHCenter);
        layout->addWidget(label);
    }
    cmdPreview_ = Button(kPreviewCaption, "cmdPreview", QString(), pictureColumn_);
    layout->addWidget(cmdPreview_, 0, Qt::AlignHCenter);

    fraDisplay_ = Named(new QGroupBox(QStringLiteral("Display selected wallpaper:"), pictureColumn_), "fraDisplay");
    auto *styles = new QHBoxLayout(fraDisplay_);
    const char *captions[3] = {"Centered", "Tiled", "Stretched"};
    auto *styleGroup = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        optPropTile_[i] = Named(new QRadioButton(QLatin1String(captions[i]), fraDisplay_), "optPropTile");
        optPropTile_[i]->setProperty("index", i);
        styleGroup->addButton(optPropTile_[i], i);
        styles->addWidget(optPropTile_[i]);
        connect(optPropTile_[i], &QRadioButton::clicked, this, [this, i] { model_.optPropTile_Click(i); });
    }
    layout->addWidget(fraDisplay_);

    fraColor_ = Named(new QGroupBox(QStringLiteral("Desktop Background"), pictureColumn_), "fraColor");
    auto *colors = new QHBoxLayout(fraColor_);
    lblColor_ = Named(new QPushButton(fraColor_), "lblColor");
    lblColor_->setToolTip(QStringLiteral("Select Background Color"));
    lblColor_->setFlat(true);
    lblColor_->setAutoFillBackground(true);
    lblColor_->setFixedSize(fontMetrics().height() * 2, fontMetrics().height() + 8);
    lblBackColor_ = Named(new QLabel(QStringLiteral("Background Color"), fraColor_), "lblBackColor");
    ckColorChgAll_ = Named(new QCheckBox(QStringLiteral("Change all"), fraColor_), "ckColorChgAll");
    colors->addWidget(lblColor_);
    colors->addWidget(lblBackColor_);
    colors->addStretch();
    colors->addWidget(ckColorChgAll_);
    layout->addWidget(fraColor_);
    layout->addStretch();

    connect(cmdPreview_, &QPushButton::clicked, this, [this] { model_.cmdPreview_Click(); });
    connect(lblColor_, &QPushButton::clicked, this, [this] { model_.lblColor_Click(); });
    connect(ckColorChgAll_, &QCheckBox::clicked, this, [this](bool checked) {
        if (checked)
            model_.ckColorChgAll_Click();
        ckColorChgAll_->setChecked(false);
    });
    return pictureColumn_;
}

QWidget *frmWallpaper::BuildScheduleColumn()
{
    scheduleColumn_ = new QWidget(this);
    auto *layout = new QVBoxLayout(scheduleColumn_);
    layout->setContentsMargins(0, 0, 0, 0);

    fraTiming_ = Named(new QGroupBox(QStringLiteral("Wallpaper Change Schedule:"), scheduleColumn_), "fraTiming");
    auto *grid = new QGridLayout(fraTiming_);
    optDay_ = Named(new QRadioButton(QStringLiteral("Daily"), fraTiming_), "optDay");
    optWeek_ = Named(new QRadioButton(QStringLiteral("Weekly"), fraTiming_), "optWeek");
    optHour_ = Named(new QRadioButton(QStringLiteral("Hourly"), fraTiming_), "optHour");
    optMonth_ = Named(new QRadioButton(QStringLiteral("Monthly"), fraTiming_), "optMonth");
    cboDays_ = Named(new QComboBox(fraTiming_), "cboDays");
    for (const char *day : kWeekdays)
        cboDays_->addItem(QLatin1String(day));
    cboHours_ = Named(new QComboBox(fraTiming_), "cboHours");
    for (int hours = 1; hours <= 8; ++hours)
        cboHours_->addItem(QString::number(hours));
    cboHours_->addItem(QStringLiteral("24"));
    lblMonth_ = Named(new QLabel(fraTiming_), "lblMonth");
    grid->addWidget(optDay_, 0, 0);
    grid->addWidget(optWeek_, 1, 0);
    grid->addWidget(cboDays_, 1, 1);
    grid->addWidget(optHour_, 2, 0);
    grid->addWidget(cboHours_, 2, 1);
    grid->addWidget(optMonth_, 3, 0);
    grid->addWidget(lblMonth_, 3, 1);
    grid->setColumnStretch(1, 1);
    layout->addWidget(fraTiming_);

    fraCombine_ = Named(new QGroupBox(QStringLiteral("Create Wallpaper"), scheduleColumn_), "fraCombine");
    auto *combine = new QGridLayout(fraCombine_);
    cmdReSize_ = Button(QStringLiteral("&Resize Picture"), "cmdReSize", QStringLiteral("Resize and Crop"), fraCombine_);
    cmdBackground_ =
        Button(QStringLiteral("Combine &Pics"), "cmdBackground", QStringLiteral("Create new wallpaper"), fraCombine_);
    auto *lblResize = Named(new QLabel(QStringLiteral("Resize and Crop picture"), fraCombine_), "lblResize");
    auto *lblCombo =
        Named(new QLabel(QStringLiteral("Add a picture, texture, tile or gradient background"), fraCombine_), "lblCombo");
    for (QLabel *label : {lblResize, lblCombo})
        label->setWordWrap(true);
    combine->addWidget(cmdReSize_, 0, 0);
    combine->addWidget(lblResize, 0, 1);
    combine->addWidget(cmdBackground_, 1, 0);
    combine->addWidget(lblCombo, 1, 1);
    combine->setColumnStretch(1, 1);
    layout->addWidget(fraCombine_);
    layout->addStretch();

    cmdSetWallpaper_ = Button(QStringLiteral("Start Wallpaper Pellimore"), "cmdSetWallpaper", QString(), scheduleColumn_);
    QFont bold = cmdSetWallpaper_->font();
    bold.setBold(true);
    cmdSetWallpaper_->setFont(bold);
    cmdSetWallpaper_->setMinimumHeight(cmdSetWallpaper_->sizeHint().height() * 3 / 2);
    cmdSetWallpaper_->setDefault(true);
    layout->addWidget(cmdSetWallpaper_);

    Schedule &schedule = model_.GetSchedule();
    const auto scheduleEvent = [this](auto handler) {
        return [this, handler] {
            if (updating_)
                return;
            handler();
            UpdateControls();
        };
    };
    connect(optDay_, &QRadioButton::clicked, this, scheduleEvent([&schedule] { schedule.optDaily_Click(); }));
    connect(optWeek_, &QRadioButton::clicked, this, scheduleEvent([&schedule] { schedule.optWeekly_Click(); }));
    connect(optHour_, &QRadioButton::clicked, this, scheduleEvent([&schedule] { schedule.optHourly_Click(); }));
    connect(optMonth_, &QRadioButton::clicked, this, scheduleEvent([&schedule] { schedule.optMonthly_Click(); }));
    connect(cboHours_, &QComboBox::activated, this, [this, &schedule](int index) {
        schedule.cboHours_Click(cboHours_->itemText(index).toInt());
        UpdateControls();
    });
    connect(cboDays_, &QComboBox::activated, this, [this, &schedule](int index) {
        schedule.cboDays_Click(index);
        UpdateControls();
    });
    connect(cmdSetWallpaper_, &QPushButton::clicked, this, [this] { model_.cmdSetWallpaper_Click(); });
    connect(cmdReSize_, &QPushButton::clicked, this, [this] { model_.cmdReSize_Click(); });
    connect(cmdBackground_, &QPushButton::clicked, this, [this] { model_.cmdBackground_Click(); });
    return scheduleColumn_;
}

void frmWallpaper::BuildTray(NotificationArea &area)
{
    noticonLibrary_ = std::make_unique<NoticonLibrary>(area);
    cNoticon1_ = Named(new cNoticon(*noticonLibrary_, *this, this), "cNoticon1");
    cNoticon1_->InitProperties();
    cNoticon1_->hide();  // a running form shows only the icon in the notification area
    cNoticon1_->SetTrayTip(kTrayTip);
    cNoticon1_->SetTrayIcon(TrayPicture::FromIcon(ProgramIcon()));
    cNoticon1_->SetTrayMenu(mnuTray_);
    connect(cNoticon1_, &cNoticon::MouseDown, this, [this](short button, int) { model_.cNoticon1_MouseDown(button); });
    connect(cNoticon1_, &cNoticon::MouseDblClick, this,
            [this](short button, int) { model_.cNoticon1_MouseDblClick(button); });
}

// ---------------------------------------------------------------------------
// Showing the model

void frmWallpaper::UpdateControls()
{
    updating_ = true;
    mnuSound_->setChecked(model_.SoundChecked());
    mnuStartup_->setChecked(model_.StartupChecked());
    mnuNoAD_->setChecked(model_.NoActiveDesktopChecked());
    mnuNoAD_->setEnabled(model_.NoActiveDesktopEnabled());
    mnuMessage_->setChecked(model_.ReminderChecked());
    for (int i = 0; i < 3; ++i)
        mnuJPGhigh_[i]->setChecked(model_.JpegQualityItem() == i);
    UpdateList();
    UpdatePicture();
    UpdateSchedule();
    cmdPreview_->setText(model_.PreviewCaption());
    SetPreviewLayout(model_.Previewing());
    updating_ = false;
}

void frmWallpaper::UpdateList()
{
    const QStringList &names = model_.PictureNames();
    QStringList shown;
    for (int i = 0; i < FileList_->count(); ++i)
        shown << FileList_->item(i)->text();
    if (shown != names) {
        FileList_->clear();
        FileList_->addItems(names);
    }
    const int selected = model_.SelectedIndex();
    if (selected >= 0 && selected < FileList_->count())
        FileList_->setCurrentRow(selected);
    else
        FileList_->clearSelection();
    HScroll1_->setValue(model_.ListScroll());
    FileList_->horizontalScrollBar()->setValue(model_.ListScroll());
}

void frmWallpaper::UpdatePicture()
{
    PictureViewModel &picture = model_.Picture();
    // The frame is drawn for the screen's pixel ratio, so it stays sharp at
    // any scale; the thumbnail is a picture of fixed size inside it.
    const ChangerState &state = model_.App().State();
    const MonitorShape shape =
        IsWideDesktop(QSize(state.DesktopWidth, state.DesktopHeight)) ? MonitorShape::Wide : MonitorShape::Square;
    const double ratio = devicePixelRatioF();
    if (shape != monitorShape_ || ratio != monitorRatio_) {
        monitorShape_ = shape;
        monitorRatio_ = ratio;
        imgMonitor_->setPixmap(PixmapOf(DrawMonitorFrame(shape, ratio), ratio));
        imgMonitor_->setFixedSize(MonitorFrameSize(shape));
    }
    const QRect place = model_.ThumbnailInMonitor();
    PictureSurface &thumbnail = picture.Thumbnail();
    if (thumbnail.Width() != place.width() || thumbnail.Height() != place.height())
        thumbnail.Resize(place.width(), place.height());
    thumbnail.Move(place.x(), place.y());
    picThumb_->Refresh();

    lblScreenRes_->setText(picture.ScreenLabel().isEmpty() ? QStringLiteral("Screen Resolution")
                                                            : picture.ScreenLabel());
    const PictureAnalysis &analysis = picture.Analysis();
    if (picture.Source().HasPicture()) {
        lblSize_->setText(analysis.sizeLabel);
        QPalette palette = lblSize_->palette();
        palette.setColor(QPalette::WindowText, QColor(RedOf(analysis.sizeLabelColor), GreenOf(analysis.sizeLabelColor),
                                                      BlueOf(analysis.sizeLabelColor)));
        lblSize_->setPalette(palette);
    } else {
        lblSize_->setText(QStringLiteral("Picture Size"));
        lblSize_->setPalette(QPalette());
    }

    const StyleOptions &styles = picture.Styles();
    for (int i = 0; i < 3; ++i) {
        optPropTile_[i]->setChecked(styles.chosen == i);
        // The chosen style has the highlight background; the others the frame's.
        const bool chosen = styles.chosen == i;
        QPalette palette = fraDisplay_->palette();
        if (chosen)
            palette.setColor(QPalette::Window, QColor(RedOf(StyleOptions::kChosen), GreenOf(StyleOptions::kChosen),
                                                      BlueOf(StyleOptions::kChosen)));
        optPropTile_[i]->setPalette(palette);
        optPropTile_[i]->setAutoFillBackground(chosen);
    }
    const bool hasPicture = picture.Source().HasPicture();
    optPropTile_[1]->setEnabled(model_.StylesEnabled() && analysis.tiledEnabled);
    optPropTile_[2]->setEnabled(model_.StylesEnabled() && analysis.stretchedEnabled);
    // The designer and the resize window work on the picture shown.
    cmdBackground_->setEnabled(analysis.combineEnabled && hasPicture);
    cmdReSize_->setEnabled(hasPicture);
    mnuOptCombo_->setEnabled(cmdBackground_->isEnabled());
    mnuOptResize_->setEnabled(hasPicture);

    const ColorRef color = picture.ColorLabel();
    lblColor_->setStyleSheet(QStringLiteral("QPushButton#lblColor { background-color: rgb(%1, %2, %3); "
                                            "border: 1px solid palette(dark); }")
                                 .arg(RedOf(color))
                                 .arg(GreenOf(color))
                                 .arg(BlueOf(color)));
}

void frmWallpaper::UpdateSchedule()
{
    const ScheduleControls &controls = model_.GetSchedule().Controls();
    optDay_->setChecked(controls.selected == ScheduleOption::Daily);
    optWeek_->setChecked(controls.selected == ScheduleOption::Weekly);
    optHour_->setChecked(controls.selected == ScheduleOption::Hourly);
    optMonth_->setChecked(controls.selected == ScheduleOption::Monthly);
    cboHours_->setEnabled(controls.hoursEnabled);
    cboDays_->setEnabled(controls.daysEnabled);
    const int hoursIndex = cboHours_->findText(QString::number(controls.hoursShown));
    if (hoursIndex >= 0)
        cboHours_->setCurrentIndex(hoursIndex);
    const ChangerState &state = model_.App().State();
    int weekday = state.ChangeWeekday;
    if (weekday < 1 || weekday > 7)
        weekday = model_.App().GetPlatform().clock.Today().dayOfWeek();
    cboDays_->setCurrentIndex(weekday - 1);
    lblMonth_->setVisible(controls.monthLabelVisible);
    lblMonth_->setText(controls.monthLabel);
}

void frmWallpaper::SetPreviewLayout(bool previewing)
{
    if (previewing == previewLayout_)
        return;
    previewLayout_ = previewing;
    // The preview keeps only the monitor and its button, at the top left.
    if (previewing)
        normalSize_ = size();
    for (QWidget *widget : {static_cast<QWidget *>(Frame13_), scheduleColumn_, static_cast<QWidget *>(fraDisplay_),
                            static_cast<QWidget *>(fraColor_), static_cast<QWidget *>(lblScreenRes_),
                            static_cast<QWidget *>(lblSize_)})
        widget->setVisible(!previewing);
    menuBar()->setVisible(!previewing);
    if (previewing) {
        QTimer::singleShot(0, this, [this] {
            if (previewLayout_)
                resize(minimumSizeHint());
        });
    } else if (normalSize_.isValid()) {
        resize(normalSize_);
    }
}

// ---------------------------------------------------------------------------
// MainWindowView

void frmWallpaper::ShowSplash(bool shown)
{
    if (shown) {
        if (!splash_)
            splash_ = new frmAbout(true);
        splash_->show();
        QApplication::processEvents();
    } else if (splash_) {
        splash_->close();
        splash_->deleteLater();
        splash_ = nullptr;
    }
}

void frmWallpaper::ShowWindow()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void frmWallpaper::HideWindow(bool minimiseOnly)
{
    if (minimiseOnly) {
        showMinimized();
    } else {
        setWindowState(windowState() | Qt::WindowMinimized);
        hide();
    }
}

void frmWallpaper::SetTrayIconShown(bool shown)
{
    cNoticon1_->SetInTray(shown);
}

void frmWallpaper::PopUpTrayMenu()
{
    mnuTray_->popup(QCursor::pos());
}

bool frmWallpaper::AskExit()
{
    frmExit exit(this);
    return exit.Ask();
}

bool frmWallpaper::ShowReminder(bool noNotificationArea)
{
    frmAutoRun reminder(noNotificationArea, this);
    return reminder.Run();
}

void frmWallpaper::ShowAbout()
{
    frmAbout about(false, this);
    about.exec();
}

void frmWallpaper::SetBusy(bool busy)
{
    if (busy) {
        if (busyDepth_++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busyDepth_ > 0 && --busyDepth_ == 0) {
        QApplication::restoreOverrideCursor();
    }
}

bool frmWallpaper::ShowAnimatedPreview(const QString &path, ColorRef backColor)
{
    AnimatedPreviewGeometry geometry;
    geometry.thumbnail = picThumb_->geometry();
    geometry.previewButton = cmdPreview_->geometry();
    return pellimore::ShowAnimatedPreview(*ucGIF1_, geometry, path, backColor);
}

void frmWallpaper::StopAnimatedPreview()
{
    ucGIF1_->UnloadGIF(true);
    ucGIF1_->hide();
}

void frmWallpaper::CloseWindow()
{
    closeReason_ = CloseReason::Program;
    close();
    closeReason_ = CloseReason::User;
}

void frmWallpaper::CloseForSessionEnd()
{
    closeReason_ = CloseReason::SessionEnding;
    close();
    closeReason_ = CloseReason::User;
}

void frmWallpaper::EndProgram()
{
    ending_ = true;
    ShowSplash(false);
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window != this)
            window->close();
    }
    QApplication::quit();
}

void frmWallpaper::OpenDesigner()
{
    // Hides this window while it is open and shows it again when it closes.
    auto *designer = new frmCombine(model_);
    designer->show();
}

void frmWallpaper::closeEvent(QCloseEvent *event)
{
    if (ending_ || model_.ShutDown(closeReason_))
        event->accept();
    else
        event->ignore();
}

void frmWallpaper::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        model_.Form_Activate();
    QMainWindow::changeEvent(event);
}

void frmWallpaper::OpenResize()
{
    // This window hides while the resize window is open and comes back when it closes.
    const QRect room = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    auto *resize = new frmReSize(model_.App(), room.size());
    if (!resize->Load()) {
        delete resize;
        model_.App().GetPlatform().ui.Message(kUnableToResizeText, MessageIcon::Exclamation, kUnableToResizeTitle);
        return;
    }
    connect(resize, &frmReSize::Closed, this, [this] { ShowWindow(); });
    HideWindow(false);
    resize->show();
}

}  // namespace pellimore
