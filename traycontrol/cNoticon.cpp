#include "traycontrol/cNoticon.h"

#include <QPainter>

#include "traycontrol/ControlSite.h"
#include "traycontrol/NoticonUsage.h"

namespace pellimore {

cNoticon::cNoticon(NoticonLibrary &library, ControlSite &site, QWidget *parent)
    : QWidget(parent), core_(library, site, *this)
{
    NoticonUsage::ObjectCreated();
    setObjectName(QStringLiteral("cNoticon"));
    // The size never changes, whatever the form asks.
    setFixedSize(kSide, kSide);
    // A running form shows the icon in the notification area, not the control.
    if (site.UserMode())
        setVisible(false);
}

cNoticon::~cNoticon()
{
    core_.Terminate();
    NoticonUsage::ObjectDestroyed();
}

void cNoticon::SetTrayIcon(const TrayPicture &picture)
{
    core_.SetTrayIcon(picture);
    update();
}

void cNoticon::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // The picture, inside the border.
    const QImage picture = core_.TrayIcon().Image(QSize(kSide - 2, kSide - 2));
    if (!picture.isNull())
        painter.drawImage(QPoint(1, 1), picture);
    // A raised soft outer edge around the client area: light top and left,
    // dark shadow bottom and right (which take the two far corners).
    const int right = width() - 1, bottom = height() - 1;
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, 0, right, 0);
    painter.drawLine(0, 0, 0, bottom);
    painter.setPen(palette().color(QPalette::Shadow));
    painter.drawLine(0, bottom, right, bottom);
    painter.drawLine(right, 0, right, bottom);
}

}  // namespace pellimore
