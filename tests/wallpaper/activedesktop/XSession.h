#pragma once

// A private X server with a real window manager for the animated desktop's
// tests (Xvfb and openbox, started once per test program), and a small xcb
// client that looks at it the way a user's tools would.

#include <QImage>
#include <QRect>
#include <QString>

#include <functional>
#include <vector>

#include <xcb/xcb.h>

namespace pellimore::test {

class XSession {
public:
    // Starts Xvfb (1024 x 768) and openbox; false with the reason when either
    // is missing or does not come up.
    static bool Start(QString *why);
    static void Stop();
    static QString Display();
};

// One connection to the session's display.
class XClient {
public:
    XClient();
    ~XClient();
    XClient(const XClient &) = delete;
    XClient &operator=(const XClient &) = delete;

    bool Ok() const;
    xcb_atom_t Atom(const char *name);
    std::vector<uint32_t> Property32(xcb_window_t window, const char *property);
    // The window manager's client list, bottom to top.
    std::vector<xcb_window_t> Stacking();
    bool Exists(xcb_window_t window);
    // A mapped window with a background colour (0xRRGGBB); desktopType makes
    // it a _NET_WM_WINDOW_TYPE_DESKTOP window; overrideRedirect keeps the
    // window manager out.
    xcb_window_t OpenWindow(const QRect &rect, uint32_t rgb, bool desktopType = false, bool overrideRedirect = false);
    void Close(xcb_window_t window);
    // What the screen shows now.
    QImage Screenshot();
    void Sync();

private:
    xcb_connection_t *c_ = nullptr;
    xcb_screen_t *screen_ = nullptr;
};

// Runs the event loop until the condition holds or the time is up.
bool WaitFor(const std::function<bool()> &condition, int timeoutMs = 5000);
// Runs the event loop for a while.
void Spin(int ms);

}  // namespace pellimore::test
