#include "wallpaper/forms/ScreenColor.h"

#include <xcb/xcb.h>

#include <memory>

#include "platform/desktop/XcbReply.h"

namespace pellimore {

namespace {

struct Disconnect {
    void operator()(xcb_connection_t *connection) const { xcb_disconnect(connection); }
};

}  // namespace

std::optional<ColorRef> ReadX11ScreenColorAtPointer(const QString &display)
{
    const QByteArray name = display.toLocal8Bit();
    int screenNumber = 0;
    std::unique_ptr<xcb_connection_t, Disconnect> connection(
        xcb_connect(name.isEmpty() ? nullptr : name.constData(), &screenNumber));
    xcb_connection_t *c = connection.get();
    if (xcb_connection_has_error(c))
        return std::nullopt;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    const xcb_screen_t *screen = screens.data;
    if (!screen || (screen->root_depth != 24 && screen->root_depth != 32))
        return std::nullopt;

    const XcbReply<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(c, xcb_query_pointer(c, screen->root), nullptr));
    if (!pointer || !pointer->same_screen)
        return std::nullopt;
    const XcbReply<xcb_get_image_reply_t> image(
        xcb_get_image_reply(c,
                            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, pointer->root_x,
                                          pointer->root_y, 1, 1, ~0u),
                            nullptr));
    if (!image || xcb_get_image_data_length(image.get()) < 4)
        return std::nullopt;
    // A 24- or 32-bit Z pixmap pixel: 0x00RRGGBB in the server's byte order.
    const uint8_t *data = xcb_get_image_data(image.get());
    const bool lsbFirst = xcb_get_setup(c)->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    const uint32_t pixel = lsbFirst ? uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16
                                    : uint32_t(data[3]) | uint32_t(data[2]) << 8 | uint32_t(data[1]) << 16;
    return Rgb((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

}  // namespace pellimore
