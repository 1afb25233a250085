#pragma once

#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>
#include <vector>

#include "platform/desktop/DesktopService.h"
#include "platform/raster/Bitmap.h"

class QSocketNotifier;
struct xcb_connection_t;
struct xcb_screen_t;

namespace pellimore {

// A desktop of our own on an X display: one window per RandR monitor, of the
// desktop type, below every other window, on every workspace, skipping the
// task bar and the pager. Pictures go to the server once, as frames (server
// pixmaps), and a frame is shown on every window laid out by the style over
// the background colour, so showing one costs the client a request or two.
// The windows follow monitor changes and tell when all of them are covered.
class X11DesktopWindows : public QObject {
    Q_OBJECT

public:
    using FrameId = int;

    ~X11DesktopWindows() override;
    // Connects to the display ("" means $DISPLAY); nothing, with the reason,
    // when there is none or its pixel format is not 32-bit true colour.
    static std::unique_ptr<X11DesktopWindows> Connect(const QString &display, QString *error);

    // The class name of another program's desktop-type window ("" when it
    // has none); nothing when no other program draws the desktop.
    std::optional<QString> ForeignDesktopWindow() const;
    // False when the server has gone away.
    bool Connected() const;

    // Opens the windows for pictures of this size; a failure leaves none.
    DesktopResult Open(QSize picture, WallpaperStyle style, ColorRef color);
    // The windows and every frame go.
    void Close();
    bool IsOpen() const { return open_; }

    // Sends a picture of the opened size as a new frame; -1 when the server
    // refused it.
    FrameId AddFrame(const Bitmap &picture);
    // Sends a picture again into an existing frame.
    bool ReplaceFrame(FrameId id, const Bitmap &picture);
    // Shows the frame on every window (and again after exposures). `changed`
    // is the part of the picture that differs from the frame shown before
    // (none: all of it); a centred picture is redrawn only there.
    void ShowFrame(FrameId id, std::optional<QRect> changed = std::nullopt);

    std::vector<uint32_t> Windows() const;
    // The monitors the windows cover, in screen coordinates.
    std::vector<QRect> Monitors() const;
    // True while every window is fully covered by other windows.
    bool Covered() const { return covered_; }

signals:
    void CoveredChanged(bool covered);
    // The monitors changed and the windows were laid out anew.
    void MonitorsChanged();

private:
    struct Window {
        uint32_t id = 0;
        QRect monitor;
        uint32_t picture = 0;  // RENDER picture of the window, for stretching
        bool covered = false;
    };
    struct Frame {
        uint32_t pixmap = 0;
        uint32_t picture = 0;  // RENDER picture, made when first stretched
    };

    X11DesktopWindows() = default;
    bool Init(const QString &display, QString *error);
    uint32_t Atom(const char *name) const;
    std::vector<QRect> ReadMonitors() const;
    bool CreateWindow(const QRect &monitor);
    void DestroyWindows();
    void Draw(const Window &window, std::optional<QRect> changed = std::nullopt);
    void Stretch(const Window &window, Frame &frame);
    bool Upload(uint32_t pixmap, const Bitmap &picture);
    void Pump();
    // Events read while waiting for a reply wait in xcb's queue, where the
    // socket notifier cannot see them.
    void SchedulePump();
    void Handle(const void *event);
    void Relayout();
    void UpdateCovered();

    QString display_;
    xcb_connection_t *connection_ = nullptr;
    xcb_screen_t *screen_ = nullptr;
    bool swapBytes_ = false;
    uint32_t gc_ = 0;
    uint32_t tileGc_ = 0;
    uint32_t renderFormat_ = 0;   // the root visual's RENDER format; 0 without RENDER
    uint8_t randrEventBase_ = 0;  // 0 without RandR
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer relayout_;

    bool open_ = false;
    QSize pictureSize_;
    WallpaperStyle style_ = WallpaperStyle::Centered;
    ColorRef color_ = 0;
    std::vector<Window> windows_;
    std::vector<Frame> frames_;
    FrameId current_ = -1;
    bool covered_ = false;
    bool pumpScheduled_ = false;
};

}  // namespace pellimore
