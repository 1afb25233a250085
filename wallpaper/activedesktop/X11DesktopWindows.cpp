#include "wallpaper/activedesktop/X11DesktopWindows.h"

#include <xcb/randr.h>
#include <xcb/render.h>
#include <xcb/xcb.h>

#include <QSocketNotifier>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "platform/desktop/X11Root.h"
#include "platform/desktop/XcbReply.h"

namespace pellimore {

namespace {

constexpr char kWindowClass[] = "wallpaper-pellimore\0WallPaper";
constexpr char kWindowName[] = "WallPaper Pellimore animated desktop";

// WM_SIZE_HINTS flags: the position and size are the program's own choice.
constexpr uint32_t kUSPosition = 1, kUSSize = 2, kPPosition = 4, kPSize = 8, kPMinSize = 16, kPMaxSize = 32;
// WM_HINTS flag: the input field is set (to "never give us the focus").
constexpr uint32_t kInputHint = 1;

uint32_t XPixel(ColorRef color)
{
    return uint32_t(RedOf(color)) << 16 | uint32_t(GreenOf(color)) << 8 | BlueOf(color);
}

xcb_render_fixed_t Fixed(double value)
{
    return xcb_render_fixed_t(value * 65536.0);
}

}  // namespace

X11DesktopWindows::~X11DesktopWindows()
{
    Close();
    notifier_.reset();
    if (connection_) {
        if (gc_)
            xcb_free_gc(connection_, gc_);
        if (tileGc_)
            xcb_free_gc(connection_, tileGc_);
        xcb_disconnect(connection_);
    }
}

std::unique_ptr<X11DesktopWindows> X11DesktopWindows::Connect(const QString &display, QString *error)
{
    std::unique_ptr<X11DesktopWindows> windows(new X11DesktopWindows);
    QString reason;
    if (!windows->Init(display, &reason)) {
        if (error)
            *error = reason;
        return nullptr;
    }
    return windows;
}

bool X11DesktopWindows::Init(const QString &display, QString *error)
{
    display_ = display;
    const QByteArray name = display.toLocal8Bit();
    int screenNumber = 0;
    connection_ = xcb_connect(name.isEmpty() ? nullptr : name.constData(), &screenNumber);
    const QString shown = display.isEmpty() ? qEnvironmentVariable("DISPLAY") : display;
    if (xcb_connection_has_error(connection_)) {
        *error = QStringLiteral("cannot open the X display \"%1\"").arg(shown);
        return false;
    }
    const xcb_setup_t *setup = xcb_get_setup(connection_);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
    for (int i = 0; it.rem && i < screenNumber; ++i)
        xcb_screen_next(&it);
    screen_ = it.rem ? it.data : nullptr;
    if (!screen_) {
        *error = QStringLiteral("the X display \"%1\" has no screen").arg(shown);
        return false;
    }

    // Frames are sent as they lie in memory: 32 bits a pixel, 0x00RRGGBB.
    bool format = false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f)) {
        if (f.data->depth == screen_->root_depth)
            format = f.data->bits_per_pixel == 32 && f.data->scanline_pad == 32;
    }
    for (auto d = xcb_screen_allowed_depths_iterator(screen_); d.rem; xcb_depth_next(&d)) {
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
            if (v.data->visual_id == screen_->root_visual &&
                (v.data->red_mask != 0xFF0000 || v.data->green_mask != 0xFF00 || v.data->blue_mask != 0xFF))
                format = false;
        }
    }
    if (!format) {
        *error = QStringLiteral("the X screen's pixel format (depth %1) is not supported").arg(screen_->root_depth);
        return false;
    }
    swapBytes_ = setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST;

    gc_ = xcb_generate_id(connection_);
    const uint32_t noExposures[] = {0};
    xcb_create_gc(connection_, gc_, screen_->root, XCB_GC_GRAPHICS_EXPOSURES, noExposures);
    tileGc_ = xcb_generate_id(connection_);
    xcb_create_gc(connection_, tileGc_, screen_->root, XCB_GC_GRAPHICS_EXPOSURES, noExposures);

    // RENDER stretches a frame on the server; without it Stretched shows the
    // picture centred.
    const xcb_query_extension_reply_t *render = xcb_get_extension_data(connection_, &xcb_render_id);
    if (render && render->present) {
        XcbReply<xcb_render_query_version_reply_t> version(
            xcb_render_query_version_reply(connection_, xcb_render_query_version(connection_, 0, 11), nullptr));
        XcbReply<xcb_render_query_pict_formats_reply_t> formats(
            xcb_render_query_pict_formats_reply(connection_, xcb_render_query_pict_formats(connection_), nullptr));
        if (version && formats) {
            for (auto s = xcb_render_query_pict_formats_screens_iterator(formats.get()); s.rem && !renderFormat_;
                 xcb_render_pictscreen_next(&s)) {
                for (auto d = xcb_render_pictscreen_depths_iterator(s.data); d.rem; xcb_render_pictdepth_next(&d)) {
                    for (auto v = xcb_render_pictdepth_visuals_iterator(d.data); v.rem;
                         xcb_render_pictvisual_next(&v)) {
                        if (v.data->visual == screen_->root_visual)
                            renderFormat_ = v.data->format;
                    }
                }
            }
        }
    }

    const xcb_query_extension_reply_t *randr = xcb_get_extension_data(connection_, &xcb_randr_id);
    if (randr && randr->present) {
        XcbReply<xcb_randr_query_version_reply_t> version(
            xcb_randr_query_version_reply(connection_, xcb_randr_query_version(connection_, 1, 5), nullptr));
        if (version) {
            randrEventBase_ = randr->first_event;
            xcb_randr_select_input(connection_, screen_->root,
                                   XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                                       XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE);
        }
    }

    // Several notifications arrive for one change: the windows are laid out
    // once they have settled.
    relayout_.setSingleShot(true);
    relayout_.setInterval(100);
    connect(&relayout_, &QTimer::timeout, this, &X11DesktopWindows::Relayout);
    notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &X11DesktopWindows::Pump);
    xcb_flush(connection_);
    return true;
}

bool X11DesktopWindows::Connected() const
{
    return connection_ && !xcb_connection_has_error(connection_);
}

uint32_t X11DesktopWindows::Atom(const char *name) const
{
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : uint32_t(XCB_ATOM_NONE);
}

std::optional<QString> X11DesktopWindows::ForeignDesktopWindow() const
{
    return FindDesktopWindow(display_, Windows());
}

std::vector<QRect> X11DesktopWindows::ReadMonitors() const
{
    std::vector<QRect> monitors;
    if (randrEventBase_) {
        XcbReply<xcb_randr_get_monitors_reply_t> reply(xcb_randr_get_monitors_reply(
            connection_, xcb_randr_get_monitors(connection_, screen_->root, 1), nullptr));
        if (reply) {
            for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem;
                 xcb_randr_monitor_info_next(&it)) {
                const QRect rect(it.data->x, it.data->y, it.data->width, it.data->height);
                if (!rect.isEmpty())
                    monitors.push_back(rect);
            }
        }
    }
    // The root window's size, read again: it follows RandR screen changes.
    XcbReply<xcb_get_geometry_reply_t> root(
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, screen_->root), nullptr));
    const QRect screen = root ? QRect(0, 0, root->width, root->height)
                              : QRect(0, 0, screen_->width_in_pixels, screen_->height_in_pixels);
    if (monitors.empty())
        monitors.push_back(screen);
    // Mirrored outputs report the same rectangle twice, and a monitor that
    // holds others (an output split with `xrandr --setmonitor`) would cover
    // their windows: one window per distinct, innermost area.
    std::vector<QRect> distinct;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const QRect &m = monitors[i];
        const bool repeated = std::find(monitors.begin(), monitors.begin() + long(i), m) != monitors.begin() + long(i);
        const bool holdsAnother = std::any_of(monitors.begin(), monitors.end(),
                                              [&m](const QRect &other) { return other != m && m.contains(other); });
        if (!repeated && !holdsAnother)
            distinct.push_back(m);
    }
    return distinct;
}

DesktopResult X11DesktopWindows::Open(QSize picture, WallpaperStyle style, ColorRef color)
{
    Close();
    if (!Connected())
        return DesktopResult::Failure(QStringLiteral("the X server closed the connection"));
    if (picture.isEmpty() || picture.width() > 32767 || picture.height() > 32767)
        return DesktopResult::Failure(QStringLiteral("the picture is too large for the X server"));
    pictureSize_ = picture;
    style_ = style;
    color_ = color & 0xFFFFFF;
    for (const QRect &monitor : ReadMonitors()) {
        if (!CreateWindow(monitor)) {
            DestroyWindows();
            return DesktopResult::Failure(QStringLiteral("the X server refused a desktop window"));
        }
    }
    open_ = true;
    covered_ = false;
    xcb_flush(connection_);
    SchedulePump();
    return DesktopResult::Success();
}

bool X11DesktopWindows::CreateWindow(const QRect &monitor)
{
    xcb_connection_t *c = connection_;
    Window window;
    window.id = xcb_generate_id(c);
    window.monitor = monitor;
    const uint32_t values[] = {XPixel(color_), XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_VISIBILITY_CHANGE};
    if (XcbRequestFailed(c, xcb_create_window_checked(c, XCB_COPY_FROM_PARENT, window.id, screen_->root, int16_t(monitor.x()),
                                            int16_t(monitor.y()), uint16_t(monitor.width()),
                                            uint16_t(monitor.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                                            screen_->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values)))
        return false;
    windows_.push_back(window);

    auto atoms = [&](const char *property, std::initializer_list<const char *> names) {
        std::vector<uint32_t> list;
        for (const char *name : names)
            list.push_back(Atom(name));
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window.id, Atom(property), XCB_ATOM_ATOM, 32,
                            uint32_t(list.size()), list.data());
    };
    atoms("_NET_WM_WINDOW_TYPE", {"_NET_WM_WINDOW_TYPE_DESKTOP"});
    atoms("_NET_WM_STATE",
          {"_NET_WM_STATE_BELOW", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER", "_NET_WM_STATE_STICKY"});
    const uint32_t allWorkspaces = 0xFFFFFFFFu;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window.id, Atom("_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, 32, 1,
                        &allWorkspaces);
    const uint32_t pid = uint32_t(::getpid());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window.id, Atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &pid);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window.id, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        sizeof kWindowClass, kWindowClass);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window.id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        sizeof kWindowName - 1, kWindowName);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window.id, Atom("_NET_WM_NAME"), Atom("UTF8_STRING"), 8,
                        sizeof kWindowName - 1, kWindowName);
    // Where and how large we ask to be, and never the keyboard focus.
    uint32_t sizeHints[18] = {};
    sizeHints[0] = kUSPosition | kUSSize | kPPosition | kPSize | kPMinSize | kPMaxSize;
    sizeHints[1] = uint32_t(monitor.x());
    sizeHints[2] = uint32_t(monitor.y());
    sizeHints[3] = sizeHints[5] = sizeHints[7] = uint32_t(monitor.width());
    sizeHints[4] = sizeHints[6] = sizeHints[8] = uint32_t(monitor.height());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window.id, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32,
                        18, sizeHints);
    const uint32_t wmHints[9] = {kInputHint, 0, 0, 0, 0, 0, 0, 0, 0};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window.id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32, 9, wmHints);

    if (renderFormat_) {
        windows_.back().picture = xcb_generate_id(c);
        xcb_render_create_picture(c, windows_.back().picture, window.id, renderFormat_, 0, nullptr);
    }
    xcb_map_window(c, window.id);
    return true;
}

void X11DesktopWindows::DestroyWindows()
{
    for (const Window &window : windows_) {
        if (window.picture)
            xcb_render_free_picture(connection_, window.picture);
        xcb_destroy_window(connection_, window.id);
    }
    windows_.clear();
}

void X11DesktopWindows::Close()
{
    relayout_.stop();
    if (!connection_)
        return;
    DestroyWindows();
    for (const Frame &frame : frames_) {
        if (frame.picture)
            xcb_render_free_picture(connection_, frame.picture);
        xcb_free_pixmap(connection_, frame.pixmap);
    }
    frames_.clear();
    current_ = -1;
    open_ = false;
    if (covered_) {
        covered_ = false;
        emit CoveredChanged(false);
    }
    xcb_flush(connection_);
}

bool X11DesktopWindows::Upload(uint32_t pixmap, const Bitmap &picture)
{
    return PutImageInStrips(connection_, pixmap, gc_, screen_->root_depth, picture, swapBytes_);
}

X11DesktopWindows::FrameId X11DesktopWindows::AddFrame(const Bitmap &picture)
{
    if (!open_ || !Connected() || QSize(picture.Width(), picture.Height()) != pictureSize_)
        return -1;
    Frame frame;
    frame.pixmap = xcb_generate_id(connection_);
    if (XcbRequestFailed(connection_, xcb_create_pixmap_checked(connection_, screen_->root_depth, frame.pixmap, screen_->root,
                                                      uint16_t(picture.Width()), uint16_t(picture.Height()))))
        return -1;
    if (!Upload(frame.pixmap, picture)) {
        xcb_free_pixmap(connection_, frame.pixmap);
        return -1;
    }
    frames_.push_back(frame);
    SchedulePump();
    return FrameId(frames_.size() - 1);
}

bool X11DesktopWindows::ReplaceFrame(FrameId id, const Bitmap &picture)
{
    if (id < 0 || id >= FrameId(frames_.size()) || QSize(picture.Width(), picture.Height()) != pictureSize_)
        return false;
    const bool sent = Upload(frames_[std::size_t(id)].pixmap, picture);
    SchedulePump();
    return sent;
}

void X11DesktopWindows::ShowFrame(FrameId id, std::optional<QRect> changed)
{
    if (id < 0 || id >= FrameId(frames_.size()))
        return;
    current_ = id;
    for (const Window &window : windows_) {
        if (!window.covered)
            Draw(window, changed);
    }
    xcb_flush(connection_);
}

void X11DesktopWindows::Draw(const Window &window, std::optional<QRect> changed)
{
    if (current_ < 0)
        return;
    Frame &frame = frames_[std::size_t(current_)];
    const int w = window.monitor.width();
    const int h = window.monitor.height();
    const int pw = pictureSize_.width();
    const int ph = pictureSize_.height();
    switch (style_) {
    case WallpaperStyle::Tiled: {
        // One request fills the window with the frame as tile, from its
        // top-left corner.
        const uint32_t values[] = {XCB_FILL_STYLE_TILED, frame.pixmap, 0, 0};
        xcb_change_gc(connection_, tileGc_,
                      XCB_GC_FILL_STYLE | XCB_GC_TILE | XCB_GC_TILE_STIPPLE_ORIGIN_X | XCB_GC_TILE_STIPPLE_ORIGIN_Y,
                      values);
        const xcb_rectangle_t all = {0, 0, uint16_t(w), uint16_t(h)};
        xcb_poly_fill_rectangle(connection_, window.id, tileGc_, 1, &all);
        return;
    }
    case WallpaperStyle::Stretched:
        if ((pw != w || ph != h) && renderFormat_ && window.picture) {
            Stretch(window, frame);
            return;
        }
        [[fallthrough]];
    case WallpaperStyle::Centered: {
        // The server clips the copy to the window; the rest keeps the
        // window's background colour.
        const QRect area = changed ? changed->intersected(QRect(QPoint(0, 0), pictureSize_)) : QRect(QPoint(0, 0), pictureSize_);
        if (!area.isEmpty())
            xcb_copy_area(connection_, frame.pixmap, window.id, gc_, int16_t(area.x()), int16_t(area.y()),
                          int16_t((w - pw) / 2 + area.x()), int16_t((h - ph) / 2 + area.y()), uint16_t(area.width()),
                          uint16_t(area.height()));
        return;
    }
    }
}

void X11DesktopWindows::Stretch(const Window &window, Frame &frame)
{
    xcb_connection_t *c = connection_;
    if (!frame.picture) {
        frame.picture = xcb_generate_id(c);
        // Edge pixels repeat outward, so the filter does not blend the
        // monitor's edges with nothing.
        const uint32_t repeat[] = {XCB_RENDER_REPEAT_PAD};
        xcb_render_create_picture(c, frame.picture, frame.pixmap, renderFormat_, XCB_RENDER_CP_REPEAT, repeat);
        static const char kFilter[] = "bilinear";
        xcb_render_set_picture_filter(c, frame.picture, uint16_t(sizeof kFilter - 1), kFilter, 0, nullptr);
    }
    // The transform maps the window's pixels back onto the frame's.
    xcb_render_transform_t transform = {};
    transform.matrix11 = Fixed(double(pictureSize_.width()) / window.monitor.width());
    transform.matrix22 = Fixed(double(pictureSize_.height()) / window.monitor.height());
    transform.matrix33 = Fixed(1.0);
    xcb_render_set_picture_transform(c, frame.picture, transform);
    xcb_render_composite(c, XCB_RENDER_PICT_OP_SRC, frame.picture, XCB_NONE, window.picture, 0, 0, 0, 0, 0, 0,
                         uint16_t(window.monitor.width()), uint16_t(window.monitor.height()));
}

std::vector<uint32_t> X11DesktopWindows::Windows() const
{
    std::vector<uint32_t> ids;
    for (const Window &window : windows_)
        ids.push_back(window.id);
    return ids;
}

std::vector<QRect> X11DesktopWindows::Monitors() const
{
    std::vector<QRect> monitors;
    for (const Window &window : windows_)
        monitors.push_back(window.monitor);
    return monitors;
}

void X11DesktopWindows::SchedulePump()
{
    if (pumpScheduled_)
        return;
    pumpScheduled_ = true;
    QMetaObject::invokeMethod(this, &X11DesktopWindows::Pump, Qt::QueuedConnection);
}

void X11DesktopWindows::Pump()
{
    pumpScheduled_ = false;
    if (!Connected()) {
        // The server went away: nothing is left to show or to free.
        notifier_->setEnabled(false);
        windows_.clear();
        frames_.clear();
        open_ = false;
        return;
    }
    while (xcb_generic_event_t *event = xcb_poll_for_event(connection_)) {
        Handle(event);
        std::free(event);
    }
    xcb_flush(connection_);
}

void X11DesktopWindows::Handle(const void *raw)
{
    const auto *event = static_cast<const xcb_generic_event_t *>(raw);
    const uint8_t type = event->response_type & 0x7F;
    auto find = [this](xcb_window_t id) {
        return std::find_if(windows_.begin(), windows_.end(), [id](const Window &w) { return w.id == id; });
    };
    if (type == XCB_EXPOSE) {
        const auto *expose = static_cast<const xcb_expose_event_t *>(raw);
        const auto window = find(expose->window);
        if (expose->count == 0 && window != windows_.end())
            Draw(*window);
    } else if (type == XCB_VISIBILITY_NOTIFY) {
        const auto *visibility = static_cast<const xcb_visibility_notify_event_t *>(raw);
        const auto window = find(visibility->window);
        if (window != windows_.end()) {
            window->covered = visibility->state == XCB_VISIBILITY_FULLY_OBSCURED;
            UpdateCovered();
        }
    } else if (randrEventBase_ && (type == randrEventBase_ + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
                                   type == randrEventBase_ + XCB_RANDR_NOTIFY)) {
        if (open_)
            relayout_.start();
    }
}

void X11DesktopWindows::UpdateCovered()
{
    const bool covered = !windows_.empty() && std::all_of(windows_.begin(), windows_.end(),
                                                           [](const Window &w) { return w.covered; });
    if (covered == covered_)
        return;
    covered_ = covered;
    emit CoveredChanged(covered);
}

void X11DesktopWindows::Relayout()
{
    if (!open_ || !Connected())
        return;
    const std::vector<QRect> monitors = ReadMonitors();
    if (monitors == Monitors())
        return;
    DestroyWindows();
    for (const QRect &monitor : monitors)
        CreateWindow(monitor);
    UpdateCovered();
    xcb_flush(connection_);
    SchedulePump();
    emit MonitorsChanged();
}

}  // namespace pellimore
