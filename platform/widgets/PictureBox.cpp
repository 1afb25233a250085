#include "platform/widgets/PictureBox.h"

#include <QImage>
#include <QPainter>

#include "platform/raster/PictureSurface.h"

namespace pellimore {

PictureBox::PictureBox(PictureSurface &surface, QWidget *parent) : QWidget(parent), surface_(&surface)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    Refresh();
}

void PictureBox::Refresh()
{
    setGeometry(surface_->Left(), surface_->Top(), surface_->Width(), surface_->Height());
    setVisible(surface_->Visible());
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const Bitmap &image = surface_->Image();
    if (image.IsNull())
        return;
    // A surface that stands for 24 bits is shown opaque whatever its alpha
    // bytes hold.
    const QImage view(image.Bits(), image.Width(), image.Height(), image.Stride(),
                      image.BitCount() == 32 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    painter.drawImage(0, 0, view);
}

}  // namespace pellimore
