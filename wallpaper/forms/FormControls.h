#pragma once

// Small helpers the forms share to make their controls.

#include <QPixmap>
#include <QPushButton>
#include <QString>

#include "platform/raster/Bitmap.h"

namespace pellimore::forms {

// The widget, named with its control name (and index, for control arrays) so
// that tests and screenshots find it.
template <typename Widget>
Widget *Named(Widget *widget, const char *name, int index = -1)
{
    widget->setObjectName(QLatin1String(name));
    if (index >= 0)
        widget->setProperty("index", index);
    return widget;
}

// A push button with its caption, control name and tool tip (none when empty).
inline QPushButton *Button(const QString &caption, const char *name, const QString &tip, QWidget *parent)
{
    auto *button = Named(new QPushButton(caption, parent), name);
    if (!tip.isEmpty())
        button->setToolTip(tip);
    return button;
}

// A bitmap drawn for a device pixel ratio, as a pixmap of its logical size.
inline QPixmap PixmapOf(const Bitmap &bitmap, double ratio)
{
    QPixmap pixmap = QPixmap::fromImage(bitmap.ToImage());
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

}  // namespace pellimore::forms
