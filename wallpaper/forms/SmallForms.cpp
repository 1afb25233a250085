#include "wallpaper/forms/SmallForms.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "wallpaper/designer/frmPics.h"

namespace pellimore {

namespace {

QLabel *WrappedLabel(const QString &text, QWidget *parent, const char *name)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    return label;
}

// The program's icon at a size, for the device pixel ratio of the screen.
QPixmap IconPixmap(int side, const QWidget *widget)
{
    const double ratio = widget->devicePixelRatioF();
    QPixmap pixmap = QPixmap::fromImage(DrawProgramIcon(int(side * ratio)).ToImage());
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

}  // namespace

QString VersionText()
{
    return QStringLiteral("Version %1.%2.%3")
        .arg(PELLIMORE_VERSION_MAJOR)
        .arg(PELLIMORE_VERSION_MINOR)
        .arg(PELLIMORE_VERSION_PATCH);
}

frmExit::frmExit(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmExit"));
    setWindowTitle(QStringLiteral("Shut down Wallpaper Pellimore"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(WrappedLabel(
        QStringLiteral("If you exit Wallpaper Pellimore, your desktop wallpaper will no longer change as you've "
                       "scheduled it."),
        this, "Label1"));
    layout->addWidget(WrappedLabel(QStringLiteral("Click the Start Wallpaper Pellimore button instead if you would "
                                                  "like your wallpaper to change on schedule."),
                                   this, "Label2"));
    auto *question = WrappedLabel(QStringLiteral("Do you really want to shut down Wallpaper Pellimore?"), this, "Label3");
    QFont bold = question->font();
    bold.setBold(true);
    question->setFont(bold);
    layout->addWidget(question);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *cmdYes = new QPushButton(QStringLiteral("Yes"), this);
    cmdYes->setObjectName(QStringLiteral("cmdYes"));
    auto *cmdNo = new QPushButton(QStringLiteral("No"), this);
    cmdNo->setObjectName(QStringLiteral("cmdNo"));
    cmdNo->setDefault(true);
    buttons->addWidget(cmdYes);
    buttons->addWidget(cmdNo);
    layout->addLayout(buttons);
    connect(cmdYes, &QPushButton::clicked, this, [this] {
        yes_ = true;
        accept();
    });
    connect(cmdNo, &QPushButton::clicked, this, [this] {
        yes_ = false;
        reject();
    });
    setMinimumWidth(fontMetrics().averageCharWidth() * 60);
}

bool frmExit::Ask()
{
    yes_ = false;
    exec();
    return yes_;
}

frmAutoRun::frmAutoRun(bool noNotificationArea, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAutoRun"));
    setWindowTitle(QStringLiteral("Autorunning Wallpaper Pellimore"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(
        WrappedLabel(QStringLiteral("Your desktop wallpaper has been set and the next change scheduled."), this, "Label1"));
    if (noNotificationArea) {
        layout->addWidget(WrappedLabel(
            QStringLiteral("This desktop has no notification area for the pellimore icon, so Wallpaper Pellimore "
                           "stays minimised in your task bar (or the overview) instead.\n"
                           "Click it there, or start Wallpaper Pellimore again, to return to this window."),
            this, "Label2"));
    } else {
        layout->addWidget(WrappedLabel(
            QStringLiteral("If you need to return to this window, right-click on the pellimore icon in your Windows "
                           "System Tray \n(located in the Windows Task Bar in the lower right hand corner of your "
                           "desktop)\nand choose the Settings option."),
            this, "Label2"));
    }
    chkDontShow_ = new QCheckBox(QStringLiteral("Don't show this message again."), this);
    chkDontShow_->setObjectName(QStringLiteral("chkDontShow"));
    layout->addWidget(chkDontShow_);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    buttons->addWidget(cmdOK);
    layout->addLayout(buttons);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    // Wide enough that the text's own line breaks are the only ones.
    setMinimumWidth(fontMetrics().averageCharWidth() * 92);
}

bool frmAutoRun::Run()
{
    exec();
    return chkDontShow_->isChecked();
}

frmAbout::frmAbout(bool splash, QWidget *parent) : QDialog(parent)
{
    setObjectName(splash ? QStringLiteral("frmSplash") : QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Wallpaper Pellimore"));
    auto *layout = new QHBoxLayout(this);
    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("imgLogo"));
    picture->setPixmap(IconPixmap(96, this));
    picture->setAlignment(Qt::AlignTop);
    layout->addWidget(picture);
    auto *text = new QVBoxLayout;
    auto *title = new QLabel(QStringLiteral("Wallpaper Pellimore"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);
    text->addWidget(title);
    auto *version = new QLabel(VersionText(), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    text->addWidget(version);
    text->addWidget(WrappedLabel(
        QStringLiteral("Changes your desktop wallpaper by itself, hourly, daily, weekly or monthly, from a folder "
                       "of your pictures, each with its own style and background colour. Design new wallpapers "
                       "from your pictures and backgrounds, and resize or crop them to fit your screen."),
        this, "lblInfo"));
    lblStatus_ = new QLabel(splash ? QStringLiteral(" Loading...") : QString(), this);
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));
    lblStatus_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblStatus_->setVisible(splash);
    text->addWidget(lblStatus_);
    text->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setDefault(true);
    cmdOK_->setVisible(!splash);
    buttons->addWidget(cmdOK_);
    text->addLayout(buttons);
    layout->addLayout(text, 1);
    connect(cmdOK_, &QPushButton::clicked, this, &QDialog::accept);
    setMinimumWidth(fontMetrics().averageCharWidth() * 60);
    if (splash)
        setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
}

}  // namespace pellimore
