#pragma once

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/desktop/DesktopService.h"
#include "platform/raster/Bitmap.h"

struct xcb_connection_t;

namespace pellimore {

// What the X server tells about its default screen.
struct X11ScreenInfo {
    QSize size;                  // the whole root window
    std::vector<QRect> monitors; // active RandR monitors (may be empty)
    QRect primary;               // the primary monitor, else the first, else the screen
    // The RandR output name ("HDMI-1") of each active monitor that is driven
    // by an output, in the server's order: the names toolkits give monitors.
    QStringList outputNames;
    // The window manager's number of workspaces (_NET_NUMBER_OF_DESKTOPS);
    // 0 when none is published.
    int workspaces = 0;
};

// Reads the screen of an X display ("" means $DISPLAY); the error says why
// there is none.
std::optional<X11ScreenInfo> ReadX11Screen(const QString &display, QString *error = nullptr);

// Makes the image the root window's background, the way desktop-less X
// sessions share it: a pixmap of the whole screen, uploaded in strips that fit
// the server's request limit, set as the root background, the root cleared,
// published in _XROOTPMAP_ID and ESETROOT_PMAP_ID; the pixmap of the previous
// owner is freed once, and ours stays after we disconnect. The image must
// have the screen's size.
DesktopResult SetRootImage(const QString &display, const Bitmap &image);

// Draws rows y .. y + strip.Height() - 1 of a screen image into strip, which
// has the screen's width.
using RootStripPainter = std::function<void(Bitmap &strip, int y)>;

// A connection to an X display on which a pixmap of the screen's size was
// asked for ahead, so that the server allocates it while the picture is
// made; closing it frees the pixmap unless SetRootImage took it.
class RootPixmapReservation;
struct RootPixmapReservationDeleter {
    void operator()(RootPixmapReservation *reservation) const;
};
using ReservedRootPixmap = std::unique_ptr<RootPixmapReservation, RootPixmapReservationDeleter>;
// Null when there is no X display.
ReservedRootPixmap ReserveRootPixmap(const QString &display);

// As above for an image drawn a strip of rows at a time, so that the whole
// screen is never held in this process. A reservation of the same display
// and size is used instead of a new connection and pixmap.
DesktopResult SetRootImage(const QString &display, QSize size, const RootStripPainter &paint,
                           ReservedRootPixmap reserved = {});

// The root picture an X display shows: the pixmap published in
// _XROOTPMAP_ID, read back; nothing when there is none.
std::optional<Bitmap> ReadRootPixmap(const QString &display);

// The WM_CLASS class (or instance) name of the first window of type
// _NET_WM_WINDOW_TYPE_DESKTOP (a program that draws the desktop over the
// root window), "" when it has none; nothing when there is no desktop window
// or no X display. Windows in `ignore` (our own) are passed over.
std::optional<QString> FindDesktopWindow(const QString &display, const std::vector<uint32_t> &ignore = {});

// Uploads the image into a drawable of the screen's depth through gc, in
// strips of whole rows that fit one request and at most 4 MiB (so the server
// stays responsive for other clients); swapBytes for a server of the other
// byte order; the image's first row goes to row atY of the drawable. False when
// one row cannot fit a request or the server refuses.
bool PutImageInStrips(xcb_connection_t *c, uint32_t drawable, uint32_t gc, uint8_t depth, const Bitmap &image,
                      bool swapBytes, int atY = 0);

}  // namespace pellimore
