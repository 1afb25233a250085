#include "screensaver/ControlForm.h"

#include <QCloseEvent>
#include <QLabel>
#include <QTimer>
#include <QWindow>

#include "screensaver/ScreenSaver.h"
#include "screensaver/X11Windows.h"

namespace pellimore {

ControlForm::ControlForm(ScreenSaver &saver, const Bitmap &previewPicture, QWidget *parent)
    : QWidget(parent), saver_(saver)
{
    setWindowTitle(QStringLiteral("Preview"));
    auto *picture = new QLabel;
    picture->setPixmap(QPixmap::fromImage(previewPicture.ToImage()));
    picture->setScaledContents(true);
    picture->setStyleSheet(QStringLiteral("background-color: black;"));
    picture->setWindowFlags(Qt::FramelessWindowHint);
    picture->installEventFilter(this);
    Picture1 = picture;

    Timer1 = new QTimer(this);
    Timer1->setInterval(400);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    Timer1->start();
}

ControlForm::~ControlForm() { delete Picture1; }

void ControlForm::Form_Load()
{
    // The picture fills the inside of the host window and lives in it.
    if (EmbedInForeignWindow(Picture1, saver_.previewParent))
        saver_.previewRunning = true;
}

void ControlForm::Timer1_Timer()
{
    if (!saver_.previewRunning || !X11WindowExists(saver_.previewParent))
        Unload();
}

bool ControlForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Picture1 && event->type() == QEvent::Close) {
        // The host closes the picture: take it back and let the timer end us.
        event->ignore();
        Picture1->hide();
        if (Picture1->windowHandle())
            Picture1->windowHandle()->setParent(nullptr);
        saver_.previewRunning = false;
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ControlForm::closeEvent(QCloseEvent *event)
{
    event->accept();
    Unload();
}

void ControlForm::Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    Timer1->stop();
    if (onUnload_)
        onUnload_();
}

}  // namespace pellimore
