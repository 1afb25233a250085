#include "platform/desktop/X11Root.h"

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <QList>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

#include "platform/desktop/XcbReply.h"

namespace pellimore {

namespace {

// One connection to an X display, closed when it goes out of scope.
class Connection {
public:
    explicit Connection(const QString &display)
    {
        const QByteArray name = display.toLocal8Bit();
        connection_ = xcb_connect(name.isEmpty() ? nullptr : name.constData(), &screenNumber_);
        if (xcb_connection_has_error(connection_))
            return;
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
        for (int i = 0; it.rem && i < screenNumber_; ++i)
            xcb_screen_next(&it);
        if (it.rem)
            screen_ = it.data;
    }
    ~Connection()
    {
        if (connection_)
            xcb_disconnect(connection_);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    bool Ok() const { return connection_ && !xcb_connection_has_error(connection_) && screen_; }
    xcb_connection_t *Get() const { return connection_; }
    xcb_screen_t *Screen() const { return screen_; }

    xcb_atom_t Atom(const char *name, bool onlyIfExists = false) const
    {
        XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, onlyIfExists, uint16_t(std::strlen(name)), name), nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    // The first 32-bit value of a property, or none.
    std::optional<uint32_t> Property32(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) const
    {
        if (property == XCB_ATOM_NONE)
            return std::nullopt;
        XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, property, type, 0, 1), nullptr));
        if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
            return std::nullopt;
        uint32_t value = 0;
        std::memcpy(&value, xcb_get_property_value(reply.get()), 4);
        return value;
    }

private:
    xcb_connection_t *connection_ = nullptr;
    xcb_screen_t *screen_ = nullptr;
    int screenNumber_ = 0;
};

QString DisplayName(const QString &display)
{
    return display.isEmpty() ? qEnvironmentVariable("DISPLAY") : display;
}

// The name of a RandR output; "" when the server does not know it.
QString OutputName(const Connection &x, xcb_randr_output_t output)
{
    XcbReply<xcb_randr_get_output_info_reply_t> info(xcb_randr_get_output_info_reply(
        x.Get(), xcb_randr_get_output_info(x.Get(), output, XCB_CURRENT_TIME), nullptr));
    if (!info)
        return {};
    return QString::fromUtf8(reinterpret_cast<const char *>(xcb_randr_get_output_info_name(info.get())),
                             xcb_randr_get_output_info_name_length(info.get()));
}

std::vector<QRect> ReadMonitors(const Connection &x, QRect *primary, QStringList *outputNames)
{
    std::vector<QRect> monitors;
    const xcb_query_extension_reply_t *ext = xcb_get_extension_data(x.Get(), &xcb_randr_id);
    if (!ext || !ext->present)
        return monitors;
    XcbReply<xcb_randr_query_version_reply_t> version(
        xcb_randr_query_version_reply(x.Get(), xcb_randr_query_version(x.Get(), 1, 5), nullptr));
    if (!version || (version->major_version == 1 && version->minor_version < 5))
        return monitors;
    XcbReply<xcb_randr_get_monitors_reply_t> reply(
        xcb_randr_get_monitors_reply(x.Get(), xcb_randr_get_monitors(x.Get(), x.Screen()->root, 1), nullptr));
    if (!reply)
        return monitors;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem; xcb_randr_monitor_info_next(&it)) {
        const QRect rect(it.data->x, it.data->y, it.data->width, it.data->height);
        if (rect.isEmpty())
            continue;
        if (it.data->primary && primary && primary->isNull())
            *primary = rect;
        monitors.push_back(rect);
        // A monitor made with `xrandr --setmonitor ... none` has no output.
        if (outputNames && xcb_randr_monitor_info_outputs_length(it.data) > 0) {
            const QString name = OutputName(x, xcb_randr_monitor_info_outputs(it.data)[0]);
            if (!name.isEmpty())
                *outputNames << name;
        }
    }
    return monitors;
}

// The pixel layout of the screen's root depth: 32 bits per pixel with red,
// green and blue in the bytes of a 0x00RRGGBB value is the only one we write.
bool Supports32BitPixels(const Connection &x, bool *swapBytes)
{
    const xcb_setup_t *setup = xcb_get_setup(x.Get());
    const uint8_t depth = x.Screen()->root_depth;
    bool found = false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it)) {
        if (it.data->depth == depth)
            found = it.data->bits_per_pixel == 32 && it.data->scanline_pad == 32;
    }
    if (!found)
        return false;
    for (auto d = xcb_screen_allowed_depths_iterator(x.Screen()); d.rem; xcb_depth_next(&d)) {
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
            if (v.data->visual_id == x.Screen()->root_visual) {
                if (v.data->red_mask != 0xFF0000 || v.data->green_mask != 0xFF00 || v.data->blue_mask != 0xFF)
                    return false;
            }
        }
    }
    *swapBytes = setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST;
    return true;
}

// Fills the pixmap through a fresh graphics context.
using PixmapUpload = std::function<bool(xcb_connection_t *c, xcb_pixmap_t pixmap, xcb_gcontext_t gc, uint8_t depth,
                                        bool swapBytes)>;

bool Upload(const Connection &x, xcb_pixmap_t pixmap, const PixmapUpload &upload, bool swapBytes)
{
    xcb_connection_t *c = x.Get();
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, pixmap, 0, nullptr);
    const bool ok = upload(c, pixmap, gc, x.Screen()->root_depth, swapBytes);
    xcb_free_gc(c, gc);
    return ok;
}

}  // namespace

class RootPixmapReservation {
public:
    explicit RootPixmapReservation(const QString &display) : x(display), name(display) {}
    Connection x;
    QString name;
    QSize size;
    xcb_pixmap_t pixmap = XCB_NONE;
    xcb_void_cookie_t created{};
};

void RootPixmapReservationDeleter::operator()(RootPixmapReservation *reservation) const
{
    // Disconnecting frees the pixmap with the rest of the connection's resources.
    delete reservation;
}

ReservedRootPixmap ReserveRootPixmap(const QString &display)
{
    ReservedRootPixmap reserved(new RootPixmapReservation(display));
    RootPixmapReservation &r = *reserved;
    if (!r.x.Ok())
        return {};
    xcb_connection_t *c = r.x.Get();
    const xcb_screen_t *screen = r.x.Screen();
    r.size = QSize(screen->width_in_pixels, screen->height_in_pixels);
    r.pixmap = xcb_generate_id(c);
    r.created = xcb_create_pixmap_checked(c, screen->root_depth, r.pixmap, screen->root, uint16_t(r.size.width()),
                                          uint16_t(r.size.height()));
    xcb_flush(c);
    return reserved;
}

namespace {

// The root background of the screen's size, its pixels sent by upload; on
// the reservation's connection and pixmap when it matches.
DesktopResult SetRootBackground(const QString &display, QSize size, const PixmapUpload &upload,
                                ReservedRootPixmap reserved = {})
{
    if (reserved && (reserved->name != display || reserved->size != size || !reserved->x.Ok()))
        reserved.reset();
    std::optional<Connection> own;
    if (!reserved)
        own.emplace(display);
    const Connection &x = reserved ? reserved->x : *own;
    if (!x.Ok())
        return DesktopResult::Failure(QStringLiteral("cannot open the X display \"%1\"").arg(DisplayName(display)));
    xcb_connection_t *c = x.Get();
    xcb_screen_t *screen = x.Screen();
    if (size != QSize(screen->width_in_pixels, screen->height_in_pixels))
        return DesktopResult::Failure(QStringLiteral("the wallpaper image does not have the screen's size"));
    bool swapBytes = false;
    if (!Supports32BitPixels(x, &swapBytes))
        return DesktopResult::Failure(
            QStringLiteral("the X screen's pixel format (depth %1) is not supported").arg(screen->root_depth));

    const xcb_pixmap_t pixmap = reserved ? reserved->pixmap : xcb_generate_id(c);
    const xcb_void_cookie_t created =
        reserved ? reserved->created
                 : xcb_create_pixmap_checked(c, screen->root_depth, pixmap, screen->root, uint16_t(size.width()),
                                             uint16_t(size.height()));
    if (XcbRequestFailed(c, created))
        return DesktopResult::Failure(QStringLiteral("the X server could not make a pixmap of the screen's size"));
    if (!Upload(x, pixmap, upload, swapBytes)) {
        xcb_free_pixmap(c, pixmap);
        return DesktopResult::Failure(QStringLiteral("the wallpaper could not be sent to the X server"));
    }

    const uint32_t background[] = {pixmap};
    xcb_change_window_attributes(c, screen->root, XCB_CW_BACK_PIXMAP, background);
    xcb_clear_area(c, 0, screen->root, 0, 0, 0, 0);

    // The previous owner kept its pixmap alive with RetainPermanent; when both
    // properties name it, killing that resource frees it (once).
    const xcb_atom_t rootPmap = x.Atom("_XROOTPMAP_ID");
    const xcb_atom_t esetrootPmap = x.Atom("ESETROOT_PMAP_ID");
    const std::optional<uint32_t> oldRoot = x.Property32(screen->root, rootPmap, XCB_ATOM_PIXMAP);
    const std::optional<uint32_t> oldEsetroot = x.Property32(screen->root, esetrootPmap, XCB_ATOM_PIXMAP);
    if (oldRoot && oldEsetroot && *oldRoot == *oldEsetroot && *oldRoot != XCB_NONE) {
        // Only a resource that still is a drawable: a stale id is left alone.
        XcbReply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(c, xcb_get_geometry(c, *oldRoot), nullptr));
        if (geometry)
            xcb_kill_client(c, *oldRoot);
    }

    xcb_change_property(c, XCB_PROP_MODE_REPLACE, screen->root, rootPmap, XCB_ATOM_PIXMAP, 32, 1, &pixmap);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, screen->root, esetrootPmap, XCB_ATOM_PIXMAP, 32, 1, &pixmap);
    xcb_set_close_down_mode(c, XCB_CLOSE_DOWN_RETAIN_PERMANENT);
    // A round trip makes sure every request reached the server before we go.
    XcbReply<xcb_get_input_focus_reply_t> sync(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    if (!sync)
        return DesktopResult::Failure(QStringLiteral("the X server closed the connection"));
    return DesktopResult::Success();
}

}  // namespace

std::optional<X11ScreenInfo> ReadX11Screen(const QString &display, QString *error)
{
    Connection x(display);
    if (!x.Ok()) {
        if (error)
            *error = QStringLiteral("cannot open the X display \"%1\"").arg(DisplayName(display));
        return std::nullopt;
    }
    X11ScreenInfo info;
    info.size = QSize(x.Screen()->width_in_pixels, x.Screen()->height_in_pixels);
    info.monitors = ReadMonitors(x, &info.primary, &info.outputNames);
    const std::optional<uint32_t> desktops =
        x.Property32(x.Screen()->root, x.Atom("_NET_NUMBER_OF_DESKTOPS", true), XCB_ATOM_CARDINAL);
    info.workspaces = desktops ? int(std::min<uint32_t>(*desktops, 1024)) : 0;
    if (info.primary.isNull())
        info.primary = info.monitors.empty() ? QRect(QPoint(0, 0), info.size) : info.monitors.front();
    return info;
}

DesktopResult SetRootImage(const QString &display, const Bitmap &image)
{
    return SetRootBackground(display, QSize(image.Width(), image.Height()),
                             [&image](xcb_connection_t *c, xcb_pixmap_t pixmap, xcb_gcontext_t gc, uint8_t depth,
                                      bool swapBytes) { return PutImageInStrips(c, pixmap, gc, depth, image, swapBytes); });
}

DesktopResult SetRootImage(const QString &display, QSize size, const RootStripPainter &paint,
                           ReservedRootPixmap reserved)
{
    const auto upload = [&](xcb_connection_t *c, xcb_pixmap_t pixmap, xcb_gcontext_t gc, uint8_t depth,
                            bool swapBytes) {
        // Strips of about 256 KiB: little memory, and requests still large.
        const int rowsPerStrip = std::max(1, int((256u << 10) / (uint32_t(size.width()) * 4)));
        Bitmap strip;
        for (int y = 0; y < size.height(); y += rowsPerStrip) {
            const int rows = std::min(rowsPerStrip, size.height() - y);
            if (strip.Height() != rows)
                strip = Bitmap(size.width(), rows, 24);
            paint(strip, y);
            if (!PutImageInStrips(c, pixmap, gc, depth, strip, swapBytes, y))
                return false;
        }
        return true;
    };
    return SetRootBackground(display, size, upload, std::move(reserved));
}

std::optional<Bitmap> ReadRootPixmap(const QString &display)
{
    Connection x(display);
    if (!x.Ok())
        return std::nullopt;
    xcb_connection_t *c = x.Get();
    const std::optional<uint32_t> pixmap =
        x.Property32(x.Screen()->root, x.Atom("_XROOTPMAP_ID", true), XCB_ATOM_PIXMAP);
    if (!pixmap || *pixmap == XCB_NONE)
        return std::nullopt;
    XcbReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, xcb_get_geometry(c, *pixmap), nullptr));
    bool swapBytes = false;
    if (!geometry || !Supports32BitPixels(x, &swapBytes))
        return std::nullopt;
    Bitmap result(geometry->width, geometry->height, 24);
    // Row by row keeps each reply within the request limit.
    for (int y = 0; y < geometry->height; ++y) {
        XcbReply<xcb_get_image_reply_t> image(xcb_get_image_reply(
            c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, *pixmap, 0, int16_t(y), geometry->width, 1, ~0u),
            nullptr));
        if (!image || xcb_get_image_data_length(image.get()) < geometry->width * 4)
            return std::nullopt;
        const uint8_t *data = xcb_get_image_data(image.get());
        Pixel *row = result.Row(y);
        for (int xPos = 0; xPos < geometry->width; ++xPos) {
            const uint8_t *p = data + xPos * 4;
            const Pixel value = swapBytes ? (uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3])
                                          : (uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]);
            row[xPos] = value | 0xFF000000u;
        }
    }
    return result;
}

std::optional<QString> FindDesktopWindow(const QString &display, const std::vector<uint32_t> &ignore)
{
    Connection x(display);
    if (!x.Ok())
        return std::nullopt;
    xcb_connection_t *c = x.Get();
    const xcb_atom_t type = x.Atom("_NET_WM_WINDOW_TYPE", true);
    const xcb_atom_t desktop = x.Atom("_NET_WM_WINDOW_TYPE_DESKTOP", true);
    if (type == XCB_ATOM_NONE || desktop == XCB_ATOM_NONE)
        return std::nullopt;

    // The window manager's client list when there is one, else the root's
    // children (a desktop window without a window manager).
    std::vector<xcb_window_t> windows;
    const xcb_atom_t clientList = x.Atom("_NET_CLIENT_LIST", true);
    if (clientList != XCB_ATOM_NONE) {
        XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            c, xcb_get_property(c, 0, x.Screen()->root, clientList, XCB_ATOM_WINDOW, 0, 4096), nullptr));
        if (reply && reply->format == 32) {
            const auto *ids = static_cast<const xcb_window_t *>(xcb_get_property_value(reply.get()));
            windows.assign(ids, ids + xcb_get_property_value_length(reply.get()) / 4);
        }
    }
    if (windows.empty()) {
        XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, x.Screen()->root), nullptr));
        if (tree) {
            const xcb_window_t *children = xcb_query_tree_children(tree.get());
            windows.assign(children, children + xcb_query_tree_children_length(tree.get()));
        }
    }
    for (const xcb_window_t window : windows) {
        if (std::find(ignore.begin(), ignore.end(), window) != ignore.end())
            continue;
        XcbReply<xcb_get_property_reply_t> types(
            xcb_get_property_reply(c, xcb_get_property(c, 0, window, type, XCB_ATOM_ATOM, 0, 32), nullptr));
        if (!types || types->format != 32)
            continue;
        const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(types.get()));
        const int count = xcb_get_property_value_length(types.get()) / 4;
        if (std::find(atoms, atoms + count, desktop) == atoms + count)
            continue;
        XcbReply<xcb_get_property_reply_t> wmClass(xcb_get_property_reply(
            c, xcb_get_property(c, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256), nullptr));
        if (!wmClass)
            return QString();
        // WM_CLASS holds the instance and the class, each ended by a NUL.
        const char *text = static_cast<const char *>(xcb_get_property_value(wmClass.get()));
        const QList<QByteArray> names =
            QByteArray(text, xcb_get_property_value_length(wmClass.get())).split('\0');
        for (auto it = names.rbegin(); it != names.rend(); ++it) {
            if (!it->isEmpty())
                return QString::fromLocal8Bit(*it);
        }
        return QString();
    }
    return std::nullopt;
}

bool PutImageInStrips(xcb_connection_t *c, uint32_t drawable, uint32_t gc, uint8_t depth, const Bitmap &image,
                      bool swapBytes, int atY)
{
    const uint64_t maxRequestBytes = uint64_t(xcb_get_maximum_request_length(c)) * 4;
    const uint64_t headerBytes = sizeof(xcb_put_image_request_t);
    const uint64_t stride = uint64_t(image.Width()) * 4;
    if (stride + headerBytes > maxRequestBytes)
        return false;
    const uint64_t budget = std::min<uint64_t>(maxRequestBytes - headerBytes, 4u << 20);
    const int rowsPerStrip = int(std::max<uint64_t>(1, budget / stride));
    std::vector<uint8_t> swapped;
    xcb_void_cookie_t last{};
    for (int y = 0; y < image.Height(); y += rowsPerStrip) {
        const int rows = std::min(rowsPerStrip, image.Height() - y);
        const uint8_t *data = reinterpret_cast<const uint8_t *>(image.Row(y));
        const uint32_t length = uint32_t(stride * rows);
        if (swapBytes) {
            swapped.assign(data, data + length);
            for (std::size_t i = 0; i + 3 < swapped.size(); i += 4) {
                std::swap(swapped[i], swapped[i + 3]);
                std::swap(swapped[i + 1], swapped[i + 2]);
            }
            data = swapped.data();
        }
        last = xcb_put_image_checked(c, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, gc, uint16_t(image.Width()),
                                     uint16_t(rows), 0, int16_t(atY + y), 0, depth, length, data);
        if (y + rows < image.Height())
            xcb_discard_reply(c, last.sequence);
    }
    return !XcbRequestFailed(c, last);
}

}  // namespace pellimore
