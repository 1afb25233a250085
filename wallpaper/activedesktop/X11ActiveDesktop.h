#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <vector>

#include "platform/desktop/DesktopService.h"
#include "wallpaper/activedesktop/X11DesktopWindows.h"
#include "wallpaper/codecs/GifPlayer.h"

namespace pellimore {

// The animated desktop of a plain X11 session, where no program draws the
// desktop: our own desktop windows play an animated GIF with the animated GIF
// control's player, so its timing, disposal and loop rules hold, laid out by
// the style over the colour. The still picture goes to the root window
// through the direct desktop first, so it stays when the animation ends.
//
// The player draws the first pass; each frame it draws goes to the X server
// once. Later passes show those frames again at the player's intervals and
// by its loop rule, without decoding or sending anything, as long as all
// frames fit kFrameBudgetBytes; a larger GIF is drawn by the player throughout.
// The animation pauses while every window is covered and ends when another
// picture is set, when Disable() is called and with the program.
class X11ActiveDesktop final : public QObject, public ActiveDesktop {
    Q_OBJECT

public:
    static constexpr qint64 kFrameBudgetBytes = qint64(256) << 20;

    // display: the X display ("" means $DISPLAY); stillDesktop: the direct
    // desktop, which shows still pictures and the still frame below.
    X11ActiveDesktop(QString display, DesktopService &stillDesktop, QObject *parent = nullptr);
    ~X11ActiveDesktop() override;

    // A multi-frame GIF plays on our windows; any other picture, and a GIF of
    // one frame, goes to the direct desktop. Fails when there is no X display
    // or another program draws the desktop.
    DesktopResult SetWallpaper(const QString &path, WallpaperStyle style, ColorRef color, bool switchOn) override;
    void Disable() override;

    // True while our windows show an animation (also while it is paused or
    // after its last loop).
    bool Showing() const { return windows_ && windows_->IsOpen(); }
    // True while frames still change (not after the last loop).
    bool Running() const;
    // True while the animation waits because every window is covered.
    bool Paused() const { return paused_; }
    // Our desktop windows, one per monitor, and the monitors they cover.
    std::vector<uint32_t> Windows() const;
    std::vector<QRect> Monitors() const;
    // True once later passes are shown from the frames kept on the server.
    bool Replaying() const { return replaying_; }
    // How many bytes of frames may be kept on the server (kFrameBudgetBytes);
    // for the next animation.
    void SetFrameBudget(qint64 bytes) { frameBudget_ = bytes; }

signals:
    // A frame (1-based) is shown for `interval` milliseconds.
    void FrameShown(int frame, int interval);

private:
    bool EnsureConnection(QString *error);
    void OnProgress(int frame);
    void ReplayTick();
    void OnCovered(bool covered);
    void OnMonitorsChanged();

    QString display_;
    DesktopService &stillDesktop_;
    std::unique_ptr<X11DesktopWindows> windows_;
    GifPlayer player_;
    QString path_;
    WallpaperStyle style_ = WallpaperStyle::Centered;

    // Frame number - 1 -> the frame on the server (-1 while not sent), and
    // the interval the player gave it.
    std::vector<X11DesktopWindows::FrameId> frames_;
    std::vector<int> intervals_;
    // The part of the picture each frame changes against the one before it
    // in a pass (frame 1: against the last), measured in the first pass from
    // the first and the previous picture, so later passes redraw only that.
    std::vector<std::optional<QRect>> changed_;
    Bitmap first_;
    Bitmap previous_;
    qint64 frameBudget_ = kFrameBudgetBytes;
    qint64 frameBytes_ = 0;
    X11DesktopWindows::FrameId live_ = -1;  // the one frame redrawn over budget
    QTimer replay_;
    bool replaying_ = false;
    int current_ = 0;
    int loopsRemaining_ = 0;
    bool paused_ = false;
};

}  // namespace pellimore
