#include "wallpaper/codecs/widgets/ucGIF.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

namespace pellimore {

ucGIF::ucGIF(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ucGIF"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    player_.SetControlSize(size());
    connect(&player_, &GifPlayer::SizeChanged, this, &ucGIF::FollowPlayerSize);
    connect(&player_, &GifPlayer::Repaint, this, [this](QRect area) {
        const int inset = player_.BorderWidth() / 2;
        update(area.translated(inset, inset));
    });
    connect(&player_, &GifPlayer::AnimationProgress, this, &ucGIF::AnimationProgress);
    connect(&player_, &GifPlayer::AnimationLoopComplete, this, &ucGIF::AnimationLoopComplete);
    connect(&player_, &GifPlayer::AnimationLoopExpired, this, &ucGIF::AnimationLoopExpired);
    connect(&player_, &GifPlayer::gifFileNameChanged, this, &ucGIF::gifFileNameChanged);
}

ucGIF::~ucGIF()
{
    player_.UnloadGIF(true);
}

void ucGIF::SetBackColor(ColorRef color)
{
    player_.SetBackColor(color);
    update();
}

void ucGIF::SetBorderStyle(int style)
{
    player_.SetBorderStyle(style);
    update();
}

void ucGIF::Move(int left, int top, int width, int height)
{
    followingPlayer_ = true;
    setGeometry(left, top, width, height);
    followingPlayer_ = false;
    player_.SetControlSize(QSize(width, height));
    update();
}

QSize ucGIF::sizeHint() const
{
    return player_.ControlSize();
}

void ucGIF::FollowPlayerSize(QSize size)
{
    followingPlayer_ = true;
    resize(size);
    followingPlayer_ = false;
    updateGeometry();
}

void ucGIF::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!followingPlayer_)
        player_.SetControlSize(event->size());
}

void ucGIF::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int inset = player_.BorderWidth() / 2;
    const QRect client = rect().adjusted(inset, inset, -inset, -inset);
    painter.fillRect(client, QColor::fromRgb(PixelFromColorRef(player_.WindowColor())));
    const Bitmap &canvas = player_.Canvas();
    if (!canvas.IsNull())
        painter.drawImage(client.topLeft(), QImage(canvas.Bits(), canvas.Width(), canvas.Height(), canvas.Stride(),
                                                   QImage::Format_ARGB32));
    DrawBorder(painter);
}

void ucGIF::DrawBorder(QPainter &painter)
{
    const QRect outer = rect().adjusted(0, 0, -1, -1);
    const QPalette &pal = palette();
    switch (player_.BorderStyle()) {
    case 1:  // a single line
        painter.setPen(pal.color(QPalette::WindowText));
        painter.drawRect(outer);
        break;
    case 2:  // a thin sunken edge
        painter.setPen(pal.color(QPalette::Dark));
        painter.drawLine(outer.topLeft(), outer.topRight());
        painter.drawLine(outer.topLeft(), outer.bottomLeft());
        painter.setPen(pal.color(QPalette::Light));
        painter.drawLine(outer.bottomLeft(), outer.bottomRight());
        painter.drawLine(outer.topRight(), outer.bottomRight());
        break;
    case 3: {  // a sunken 3-D edge, two pixels deep
        const QRect inner = outer.adjusted(1, 1, -1, -1);
        painter.setPen(pal.color(QPalette::Mid));
        painter.drawLine(outer.topLeft(), outer.topRight());
        painter.drawLine(outer.topLeft(), outer.bottomLeft());
        painter.setPen(pal.color(QPalette::Light));
        painter.drawLine(outer.bottomLeft(), outer.bottomRight());
        painter.drawLine(outer.topRight(), outer.bottomRight());
        painter.setPen(pal.color(QPalette::Shadow));
        painter.drawLine(inner.topLeft(), inner.topRight());
        painter.drawLine(inner.topLeft(), inner.bottomLeft());
        painter.setPen(pal.color(QPalette::Midlight));
        painter.drawLine(inner.bottomLeft(), inner.bottomRight());
        painter.drawLine(inner.topRight(), inner.bottomRight());
        break;
    }
    default:
        break;
    }
}

}  // namespace pellimore
