#include "tests/wallpaper/activedesktop/XSession.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace pellimore::test {

namespace {

QProcess *xvfb = nullptr;
QProcess *windowManager = nullptr;
QString display;

template <typename T>
struct Freed {
    explicit Freed(T *p) : p(p) {}
    ~Freed() { std::free(p); }
    T *p;
};

}  // namespace

bool XSession::Start(QString *why)
{
    if (xvfb)
        return true;
    for (const char *program : {"Xvfb", "openbox"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty()) {
            *why = QStringLiteral("%1 is not installed (scripts/install-deps.sh)").arg(QString::fromLatin1(program));
            return false;
        }
    }
    xvfb = new QProcess;
    // Xvfb picks a free display itself and writes its number to stdout.
    xvfb->start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                         QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-noreset"),
                                         QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    QByteArray number;
    QElapsedTimer clock;
    clock.start();
    while (!number.contains('\n') && clock.elapsed() < 15000 && xvfb->state() != QProcess::NotRunning) {
        xvfb->waitForReadyRead(200);
        number += xvfb->readAllStandardOutput();
    }
    if (!number.contains('\n')) {
        *why = QStringLiteral("Xvfb did not start");
        Stop();
        return false;
    }
    display = QStringLiteral(":") + QString::fromLatin1(number.trimmed());

    windowManager = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    windowManager->setProcessEnvironment(env);
    windowManager->start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    // openbox names itself on the root window early in its start-up, before
    // it takes over mapping: a window mapped in between is never managed.
    // It is ready once it manages a probe window (tried anew every second,
    // since on a busy machine this can take a while).
    XClient client;
    const auto managed = [&client](xcb_window_t window) {
        const std::vector<uint32_t> list = client.Property32(0, "_NET_CLIENT_LIST_STACKING");
        return std::find(list.begin(), list.end(), window) != list.end();
    };
    bool ready =
        client.Ok() && WaitFor([&] { return !client.Property32(0, "_NET_SUPPORTING_WM_CHECK").empty(); }, 15000);
    for (int attempt = 0; ready && attempt < 15; ++attempt) {
        const xcb_window_t probe = client.OpenWindow(QRect(0, 0, 10, 10), 0);
        const bool seen = WaitFor([&] { return managed(probe); }, 1000);
        client.Close(probe);
        if (seen) {
            ready = WaitFor([&] { return !managed(probe); }, 5000);
            break;
        }
        ready = attempt + 1 < 15;
    }
    if (!ready) {
        *why = QStringLiteral("openbox did not start on %1").arg(display);
        Stop();
        return false;
    }
    return true;
}

void XSession::Stop()
{
    display.clear();
    for (QProcess **process : {&windowManager, &xvfb}) {
        if (*process) {
            (*process)->terminate();
            if (!(*process)->waitForFinished(5000))
                (*process)->kill();
            (*process)->waitForFinished(2000);
            delete *process;
            *process = nullptr;
        }
    }
}

QString XSession::Display()
{
    return display;
}

XClient::XClient()
{
    c_ = xcb_connect(display.toLocal8Bit().constData(), nullptr);
    if (!xcb_connection_has_error(c_))
        screen_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
}

XClient::~XClient()
{
    xcb_disconnect(c_);
}

bool XClient::Ok() const
{
    return screen_ && !xcb_connection_has_error(c_);
}

xcb_atom_t XClient::Atom(const char *name)
{
    Freed<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply.p ? reply.p->atom : xcb_atom_t(XCB_ATOM_NONE);
}

std::vector<uint32_t> XClient::Property32(xcb_window_t window, const char *property)
{
    if (window == 0)
        window = screen_->root;
    Freed<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, window, Atom(property), XCB_GET_PROPERTY_TYPE_ANY, 0, 4096), nullptr));
    if (!reply.p || reply.p->format != 32)
        return {};
    const auto *values = static_cast<const uint32_t *>(xcb_get_property_value(reply.p));
    return std::vector<uint32_t>(values, values + xcb_get_property_value_length(reply.p) / 4);
}

std::vector<xcb_window_t> XClient::Stacking()
{
    return Property32(0, "_NET_CLIENT_LIST_STACKING");
}

bool XClient::Exists(xcb_window_t window)
{
    Freed<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, window), nullptr));
    return reply.p != nullptr;
}

xcb_window_t XClient::OpenWindow(const QRect &rect, uint32_t rgb, bool desktopType, bool overrideRedirect)
{
    const xcb_window_t window = xcb_generate_id(c_);
    const uint32_t values[] = {rgb, overrideRedirect ? 1u : 0u};
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, window, screen_->root, int16_t(rect.x()), int16_t(rect.y()),
                      uint16_t(rect.width()), uint16_t(rect.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen_->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    if (desktopType) {
        const xcb_atom_t type = Atom("_NET_WM_WINDOW_TYPE_DESKTOP");
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, Atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1,
                            &type);
        static const char kClass[] = "dummydesk\0DummyDesk";
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, sizeof kClass,
                            kClass);
    }
    // Where we ask to be, so that the window manager does not place it.
    uint32_t hints[18] = {};
    hints[0] = 1 | 2 | 4 | 8;
    hints[1] = uint32_t(rect.x());
    hints[2] = uint32_t(rect.y());
    hints[3] = uint32_t(rect.width());
    hints[4] = uint32_t(rect.height());
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, 18,
                        hints);
    xcb_map_window(c_, window);
    Sync();
    return window;
}

void XClient::Close(xcb_window_t window)
{
    xcb_destroy_window(c_, window);
    Sync();
}

QImage XClient::Screenshot()
{
    const int w = screen_->width_in_pixels, h = screen_->height_in_pixels;
    QImage image(w, h, QImage::Format_RGB32);
    // In bands, so each reply stays well within the server's limits.
    for (int y = 0; y < h; y += 64) {
        const int rows = std::min(64, h - y);
        Freed<xcb_get_image_reply_t> reply(xcb_get_image_reply(
            c_, xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, screen_->root, 0, int16_t(y), uint16_t(w), uint16_t(rows),
                              ~0u),
            nullptr));
        if (!reply.p || xcb_get_image_data_length(reply.p) < w * rows * 4)
            return QImage();
        const uint8_t *data = xcb_get_image_data(reply.p);
        for (int r = 0; r < rows; ++r)
            std::memcpy(image.scanLine(y + r), data + std::size_t(r) * w * 4, std::size_t(w) * 4);
    }
    return image;
}

void XClient::Sync()
{
    Freed<xcb_get_input_focus_reply_t> reply(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
}

bool WaitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

void Spin(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
}

}  // namespace pellimore::test
