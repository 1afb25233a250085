#include "screensaver/SetupSaver.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <cmath>

#include "platform/Platform.h"
#include "platform/help/HelpService.h"
#include "platform/store/ValueText.h"
#include "platform/ui/Ui.h"
#include "screensaver/ScreenSaver.h"

namespace pellimore {

namespace {

QColor ToQColor(ColorRef c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

QString SwatchStyle(ColorRef c)
{
    return QStringLiteral("background-color: %1;").arg(ToQColor(c).name());
}

}  // namespace

// The widest the title sample grows, in pixels (before scaling).
constexpr int kTitleSampleMaxWidth = 560;

SetupSaver::SetupSaver(ScreenSaver &saver, const Bitmap &aboutPicture, QWidget *parent)
    : QDialog(parent), saver_(saver), aboutPicture_(aboutPicture)
{
    setWindowTitle(QStringLiteral("Wallpaper Pellimore Screen Saver Settings"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    BuildControls();
    Form_Load();
}

void SetupSaver::BuildControls()
{
    Label2 = new QLabel(QStringLiteral("Picture Directory Folder:"), this);
    txtDir = new QLineEdit(this);
    txtDir->setReadOnly(true);
    cmdDir = new QPushButton(QStringLiteral("Change &Folder"), this);
    Label3 = new QLabel(QStringLiteral("Running Title:"), this);
    txtTitle = new QLineEdit(QStringLiteral("Wallpaper Pellimore Presents ..."), this);
    txtTitle->setToolTip(QStringLiteral("Enter text you want to appear"));
    cmdFont = new QPushButton(QStringLiteral("Title Font"), this);

    fraDisplay = new QGroupBox(QStringLiteral("Picture Display Style"), this);
    optDisplay[0] = new QRadioButton(QStringLiteral("Use Transitions"), fraDisplay);
    optDisplay[1] = new QRadioButton(QStringLiteral("Slide Show Only"), fraDisplay);
    optDisplay[0]->setChecked(true);
    ckRandom = new QCheckBox(QStringLiteral("Display pics in random order"), fraDisplay);
    lblTime = new QLabel(QStringLiteral("Time interval between pictures  (seconds)"), fraDisplay);
    txtTime = new QLineEdit(QStringLiteral("3"), fraDisplay);
    txtTime->setToolTip(QStringLiteral("1-120 seconds"));
    txtTime->setMaxLength(5);
    txtTime->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), txtTime));
    txtTime->installEventFilter(this);
    auto *displayLayout = new QGridLayout(fraDisplay);
    displayLayout->addWidget(optDisplay[0], 0, 0);
    displayLayout->addWidget(optDisplay[1], 1, 0);
    displayLayout->addWidget(ckRandom, 2, 0, 1, 2);
    displayLayout->addWidget(lblTime, 3, 0);
    displayLayout->addWidget(txtTime, 3, 1);

    fraColor = new QGroupBox(QStringLiteral("Background:"), this);
    txtColor = new QLineEdit(fraColor);
    txtColor->setReadOnly(true);
    txtColor->setToolTip(QStringLiteral("Click here to change color"));
    txtColor->setCursor(Qt::PointingHandCursor);
    txtColor->installEventFilter(this);
    lblColor = new QLabel(QStringLiteral("Change Color"), fraColor);
    optColor[0] = new QRadioButton(QStringLiteral("Gradient"), fraColor);
    optColor[1] = new QRadioButton(QStringLiteral("Solid"), fraColor);
    optColor[0]->setChecked(true);
    auto *colorLayout = new QGridLayout(fraColor);
    colorLayout->addWidget(txtColor, 0, 0);
    colorLayout->addWidget(lblColor, 0, 1);
    colorLayout->addWidget(optColor[0], 1, 0);
    colorLayout->addWidget(optColor[1], 1, 1);

    lblHelp = new QLabel(QStringLiteral("Press F1 for Help"), this);
    cmdSave = new QPushButton(QStringLiteral("&Save"), this);
    Command2 = new QPushButton(QStringLiteral("&Cancel"), this);
    Command3 = new QPushButton(QStringLiteral("&About..."), this);
    cmdSave->setDefault(true);

    auto *layout = new QGridLayout(this);
    layout->addWidget(Label2, 0, 0, 1, 3);
    layout->addWidget(txtDir, 1, 0, 1, 2);
    layout->addWidget(cmdDir, 1, 2);
    layout->addWidget(Label3, 2, 0, 1, 3);
    layout->addWidget(txtTitle, 3, 0, 1, 2);
    layout->addWidget(cmdFont, 3, 2);
    layout->addWidget(fraDisplay, 4, 0, 1, 2);
    layout->addWidget(fraColor, 4, 2);
    layout->addWidget(lblHelp, 5, 0);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdSave);
    buttons->addWidget(Command2);
    buttons->addWidget(Command3);
    layout->addLayout(buttons, 5, 1, 1, 2);

    connect(cmdDir, &QPushButton::clicked, this, [this] { cmdDir_Click(); });
    connect(cmdFont, &QPushButton::clicked, this, [this] { cmdFont_Click(); });
    connect(optDisplay[0], &QRadioButton::clicked, this, [this] { optDisplay_Click(0); });
    connect(optDisplay[1], &QRadioButton::clicked, this, [this] { optDisplay_Click(1); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
}

void SetupSaver::Form_Load()
{
    const SaverSettings &s = saver_.settings;
    setWindowState(Qt::WindowNoState);
    txtDir->setText(saver_.OfferedFolder());
    saver_.BuildPictureList();
    cmdSave->setEnabled(!saver_.listEmpty);
    txtTime->setText(PlainNumberText(s.display));
    txtTitle->setText(s.title.trimmed());
    txtDir->setToolTip(s.folder);
    ckRandom->setChecked(s.random);
    randomAtOpen_ = s.random;
    dialogColor_ = s.color;
    SetSwatch(s.color);
    if (s.style == 1)
        optColor[1]->setChecked(true);
    ApplyTitleFont();
    optDisplay[s.slide ? 1 : 0]->setChecked(true);
    optDisplay_Click(s.slide ? 1 : 0);
}

void SetupSaver::SetSwatch(ColorRef color)
{
    // The swatch and the title sample share the background colour.
    txtColor->setStyleSheet(SwatchStyle(color));
    txtTitle->setStyleSheet(SwatchStyle(color) + QStringLiteral(" color: %1;").arg(ToQColor(saver_.settings.fontColor).name()));
}

void SetupSaver::ApplyTitleFont()
{
    const SaverSettings &s = saver_.settings;
    QFont font(s.font);
    font.setPointSize(s.fontSize);
    font.setBold(s.bold);
    font.setItalic(s.italic);
    font.setUnderline(s.underline);
    txtTitle->setFont(font);
    // The sample shows the title from its start, wide enough for the whole
    // title in its font while that stays within reason.
    const int wanted = QFontMetrics(font).horizontalAdvance(txtTitle->text()) + 4 * txtTitle->fontMetrics().averageCharWidth();
    txtTitle->setMinimumWidth(qMin(wanted, kTitleSampleMaxWidth));
    txtTitle->setCursorPosition(0);
    SetSwatch(dialogColor_);
    if (onSavedDuringShow_ && saver_.runMode == RunMode::Show)
        onSavedDuringShow_();
}

void SetupSaver::optDisplay_Click(int index)
{
    const bool slideOnly = index == 1;
    txtTime->setVisible(slideOnly);
    lblTime->setVisible(slideOnly);
}

void SetupSaver::txtColor_MouseDown()
{
    const std::optional<ColorRef> chosen = saver_.platform.ui.ChooseColor(dialogColor_);
    if (!chosen)
        return;
    dialogColor_ = *chosen & 0xFFFFFFu;
    SetSwatch(dialogColor_);
}

void SetupSaver::cmdFont_Click()
{
    SaverSettings &s = saver_.settings;
    QFont initial(s.font);
    initial.setPointSize(s.fontSize);
    initial.setBold(s.bold);
    initial.setItalic(s.italic);
    initial.setUnderline(s.underline);
    const std::optional<QFont> chosen = saver_.platform.ui.ChooseFont(initial);
    if (!chosen)
        return;
    s.font = chosen->family();
    s.fontSize = int(std::lround(chosen->pointSizeF() > 0 ? chosen->pointSizeF() : s.fontSize));
    s.bold = chosen->bold();
    s.italic = chosen->italic();
    s.underline = chosen->underline();
    // The font chooser has no colour: the title colour is chosen next.
    if (const std::optional<ColorRef> color = saver_.platform.ui.ChooseColor(s.fontColor))
        s.fontColor = *color & 0xFFFFFFu;
    ApplyTitleFont();
}

void SetupSaver::cmdDir_Click()
{
    SaverSettings &s = saver_.settings;
    const QString remembered = s.folder;
    FolderRequest request;
    request.title =
        QStringLiteral("Select another folder with pictures in it that you'd like the Screen Saver to use:");
    request.initialFolder = remembered.isEmpty() ? saver_.OfferedFolder() : remembered;
    const std::optional<QString> chosen = saver_.platform.ui.ChooseFolder(request);
    if (!chosen || chosen->isEmpty())
        return;
    s.folder = *chosen;
    saver_.BuildPictureList();
    if (saver_.listEmpty) {
        saver_.ShowNoPicturesMessage();
        s.folder = remembered;
        saver_.BuildPictureList();
        return;
    }
    txtDir->setText(s.folder);
    txtDir->setToolTip(s.folder);
    cmdSave->setEnabled(true);
    if (s.random)
        saver_.ShufflePictures();
    saver_.pictureIndex = 1;
}

void SetupSaver::cmdSave_Click()
{
    SaverSettings &s = saver_.settings;
    if (optDisplay[1]->isChecked()) {
        const long seconds = std::lround(LeadingNumber(txtTime->text()));
        if (seconds <= 0 || seconds > 120) {
            saver_.platform.ui.Message(QStringLiteral("Time between pictures must be between 1 and 120 seconds"),
                                       MessageIcon::Critical, QStringLiteral("Set Interval"));
            txtTime->setText(QStringLiteral("2"));
            return;
        }
        s.display = double(seconds);
    }
    const bool random = ckRandom->isChecked();
    if (random != randomAtOpen_) {
        s.random = random;
        if (random)
            saver_.ShufflePictures();
        else
            saver_.BuildPictureList();
        saver_.pictureIndex = 1;
    }
    s.random = random;
    s.slide = optDisplay[1]->isChecked();
    if (dialogColor_ != s.color)
        s.color = dialogColor_;
    s.style = optColor[1]->isChecked() ? 1 : 0;
    s.title = txtTitle->text().trimmed();
    if (s.title.isEmpty())
        s.title = kDefaultTitle;
    saver_.SaveSaverSettings();
    if (saver_.runMode == RunMode::Show && onSavedDuringShow_)
        onSavedDuringShow_();
    close();
}

void SetupSaver::Command2_Click() { close(); }

void SetupSaver::Command3_Click()
{
    frmAboutSS about(aboutPicture_, this);
    about.exec();
}

void SetupSaver::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        saver_.platform.help.ShowContext(QStringLiteral("WP.chm"), 0);
        return;
    }
    QDialog::keyPressEvent(event);
}

bool SetupSaver::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtTime && event->type() == QEvent::KeyPress) {
        // Only digits and backspace; keys that type nothing (arrows, Tab) pass.
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Backspace)
            return false;
        const QString text = key->text();
        if (!text.isEmpty() && text.at(0).isPrint() && !(text.at(0) >= QLatin1Char('0') && text.at(0) <= QLatin1Char('9')))
            return true;
    }
    if (watched == txtColor && event->type() == QEvent::MouseButtonPress) {
        txtColor_MouseDown();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void SetupSaver::done(int result)
{
    QDialog::done(result);
    Unload();
}

void SetupSaver::closeEvent(QCloseEvent *event)
{
    QDialog::closeEvent(event);
    if (event->isAccepted())
        Unload();
}

void SetupSaver::Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    // With no folder chosen, the show uses the main program's folder (not saved).
    if (saver_.settings.folder.isEmpty()) {
        SaverSettingsStore store(saver_.platform.store);
        saver_.settings.folder = store.WallpaperFolder();
    }
    if (saver_.runMode != RunMode::Show && onUnload_)
        onUnload_();
}

frmAboutSS::frmAboutSS(const Bitmap &picture, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Wallpaper Pellimore Screen Saver"));
    imgAbout = new QLabel(this);
    if (!picture.IsNull())
        imgAbout->setPixmap(QPixmap::fromImage(picture.ToImage()));
    Label1 = new QLabel(QStringLiteral("\n\nWallpaper Pellimore Screen Saver"), this);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    auto *layout = new QGridLayout(this);
    layout->addWidget(imgAbout, 0, 0);
    layout->addWidget(Label1, 0, 1);
    layout->addWidget(Command1, 1, 1, Qt::AlignRight);
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace pellimore
