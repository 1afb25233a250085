#include "screensaver/X11Windows.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>

namespace pellimore {

namespace {

xcb_connection_t *Connection()
{
    auto *x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

}  // namespace

bool X11WindowExists(uint32_t id)
{
    xcb_connection_t *c = Connection();
    if (!c || id == 0)
        return false;
    xcb_generic_error_t *error = nullptr;
    xcb_get_window_attributes_reply_t *reply =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), &error);
    const bool exists = reply != nullptr && error == nullptr;
    std::free(reply);
    std::free(error);
    return exists;
}

QSize X11WindowSize(uint32_t id)
{
    xcb_connection_t *c = Connection();
    if (!c || id == 0)
        return QSize();
    xcb_generic_error_t *error = nullptr;
    xcb_get_geometry_reply_t *reply = xcb_get_geometry_reply(c, xcb_get_geometry(c, id), &error);
    QSize size;
    if (reply && !error)
        size = QSize(reply->width, reply->height);
    std::free(reply);
    std::free(error);
    return size;
}

uint32_t X11RootWindow()
{
    xcb_connection_t *c = Connection();
    if (!c)
        return 0;
    const xcb_setup_t *setup = xcb_get_setup(c);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
    return it.rem ? it.data->root : 0;
}

bool EmbedInForeignWindow(QWidget *widget, uint32_t id)
{
    const QSize size = X11WindowSize(id);
    if (!size.isValid() || size.isEmpty())
        return false;
    QWindow *foreign = QWindow::fromWinId(WId(id));
    if (!foreign)
        return false;
    foreign->setParent(nullptr);
    widget->setAttribute(Qt::WA_NativeWindow);
    widget->winId();  // creates the native window
    widget->windowHandle()->setParent(foreign);
    widget->setGeometry(0, 0, size.width(), size.height());
    widget->show();
    return true;
}

}  // namespace pellimore
