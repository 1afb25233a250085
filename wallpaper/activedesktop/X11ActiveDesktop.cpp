#include "wallpaper/activedesktop/X11ActiveDesktop.h"

#include <QFileInfo>

#include <algorithm>

#include "wallpaper/codecs/GifReader.h"

namespace pellimore {

namespace {

const QString kPrefix = QStringLiteral("plain X11 animated desktop: ");

// The smallest rectangle holding every pixel in which two pictures of the
// same size differ.
QRect ChangedArea(const Bitmap &before, const Bitmap &after)
{
    int left = after.Width(), right = -1, top = -1, bottom = -1;
    for (int y = 0; y < after.Height(); ++y) {
        const Pixel *a = before.Row(y);
        const Pixel *b = after.Row(y);
        if (std::equal(a, a + after.Width(), b))
            continue;
        if (top < 0)
            top = y;
        bottom = y;
        int x = 0;
        while (a[x] == b[x])
            ++x;
        left = std::min(left, x);
        x = after.Width() - 1;
        while (a[x] == b[x])
            --x;
        right = std::max(right, x);
    }
    return top < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

bool SameSize(const Bitmap &a, const Bitmap &b)
{
    return a.Width() == b.Width() && a.Height() == b.Height();
}

}  // namespace

X11ActiveDesktop::X11ActiveDesktop(QString display, DesktopService &stillDesktop, QObject *parent)
    : QObject(parent), display_(std::move(display)), stillDesktop_(stillDesktop)
{
    connect(&player_, &GifPlayer::AnimationProgress, this, &X11ActiveDesktop::OnProgress);
    replay_.setSingleShot(false);
    connect(&replay_, &QTimer::timeout, this, &X11ActiveDesktop::ReplayTick);
}

X11ActiveDesktop::~X11ActiveDesktop()
{
    Disable();
}

bool X11ActiveDesktop::EnsureConnection(QString *error)
{
    if (windows_ && windows_->Connected())
        return true;
    windows_ = X11DesktopWindows::Connect(display_, error);
    if (!windows_)
        return false;
    connect(windows_.get(), &X11DesktopWindows::CoveredChanged, this, &X11ActiveDesktop::OnCovered);
    connect(windows_.get(), &X11DesktopWindows::MonitorsChanged, this, &X11ActiveDesktop::OnMonitorsChanged);
    return true;
}

DesktopResult X11ActiveDesktop::SetWallpaper(const QString &path, WallpaperStyle style, ColorRef color, bool)
{
    Disable();
    QString error;
    if (!EnsureConnection(&error))
        return DesktopResult::Failure(kPrefix + error);
    if (const std::optional<QString> owner = windows_->ForeignDesktopWindow()) {
        return DesktopResult::Failure(
            kPrefix + QStringLiteral("another program (%1) draws the desktop")
                          .arg(owner->isEmpty() ? QStringLiteral("unnamed") : *owner));
    }

    GifFile gif;
    const bool animated = path.endsWith(QLatin1String(".gif"), Qt::CaseInsensitive) && gif.Load(path) &&
                          gif.FrameCount() > 1;
    // The still picture (an animated GIF's first frame) lies on the root
    // window below our windows, and stays when they go.
    stillDesktop_.SetBackgroundColor(color);
    const DesktopResult still = stillDesktop_.SetWallpaper(path, style);
    if (!still.Ok() || !animated)
        return still;

    player_.SetAutoSize(true);
    player_.SetBorderStyle(0);
    player_.SetStretch(0);
    player_.SetBackColor(color & 0xFFFFFF);
    if (!player_.AdoptGIF(std::move(gif)) || player_.Canvas().IsNull())
        return DesktopResult::Failure(kPrefix + QStringLiteral("the GIF is too large to play"));
    const QSize size(player_.Canvas().Width(), player_.Canvas().Height());
    const DesktopResult opened = windows_->Open(size, style, color);
    if (!opened.Ok()) {
        player_.UnloadGIF(true);
        return DesktopResult::Failure(kPrefix + opened.error);
    }
    path_ = QFileInfo(path).absoluteFilePath();
    style_ = style;
    frames_.assign(std::size_t(player_.gifFrameCount()), -1);
    intervals_.assign(std::size_t(player_.gifFrameCount()), 0);
    changed_.assign(std::size_t(player_.gifFrameCount()), std::nullopt);
    player_.SetAnimate(true);
    return DesktopResult::Success();
}

void X11ActiveDesktop::Disable()
{
    replay_.stop();
    replaying_ = false;
    paused_ = false;
    player_.UnloadGIF(true);
    if (windows_)
        windows_->Close();
    frames_.clear();
    intervals_.clear();
    changed_.clear();
    first_ = Bitmap();
    previous_ = Bitmap();
    frameBytes_ = 0;
    live_ = -1;
    current_ = 0;
    path_.clear();
}

bool X11ActiveDesktop::Running() const
{
    if (!Showing())
        return false;
    return replaying_ ? (replay_.isActive() || paused_) : player_.Animate();
}

std::vector<uint32_t> X11ActiveDesktop::Windows() const
{
    return windows_ ? windows_->Windows() : std::vector<uint32_t>();
}

std::vector<QRect> X11ActiveDesktop::Monitors() const
{
    return windows_ ? windows_->Monitors() : std::vector<QRect>();
}

// The player has drawn frame `frame` of a pass.
void X11ActiveDesktop::OnProgress(int frame)
{
    if (!Showing()) {
        player_.SetAnimate(false);  // the X server went away: nothing to draw for
        return;
    }
    if (frame < 1 || frame > int(frames_.size()))
        return;
    const Bitmap &canvas = player_.Canvas();
    const qint64 bytes = qint64(canvas.Width()) * canvas.Height() * 4;
    X11DesktopWindows::FrameId &kept = frames_[std::size_t(frame - 1)];
    X11DesktopWindows::FrameId shown = kept;
    if (kept < 0 && frameBytes_ + bytes <= frameBudget_) {
        kept = shown = windows_->AddFrame(canvas);
        if (kept >= 0)
            frameBytes_ += bytes;
    }
    if (shown < 0) {
        // Over the budget (or refused): one frame on the server, sent anew.
        if (live_ < 0)
            live_ = windows_->AddFrame(canvas);
        else
            windows_->ReplaceFrame(live_, canvas);
        shown = live_;
    }
    const int interval = player_.tmrGIF().interval();
    intervals_[std::size_t(frame - 1)] = interval;
    windows_->ShowFrame(shown);
    emit FrameShown(frame, interval);
    if (!replaying_ && live_ < 0) {
        // Still in the first pass with every frame kept: note what changed.
        if (frame == 1)
            first_ = canvas;
        else if (!previous_.IsNull() && SameSize(previous_, canvas))
            changed_[std::size_t(frame - 1)] = ChangedArea(previous_, canvas);
        previous_ = canvas;
    }

    // The first pass is complete and every frame is kept: later passes are
    // shown from the server, at the player's intervals and by its loop rule.
    const bool allKept = std::none_of(frames_.begin(), frames_.end(), [](int id) { return id < 0; });
    if (frame == int(frames_.size()) && allKept && player_.Animate()) {
        if (!first_.IsNull() && SameSize(first_, canvas))
            changed_[0] = ChangedArea(canvas, first_);
        first_ = Bitmap();
        previous_ = Bitmap();
        loopsRemaining_ = player_.LoopsRemaining();
        current_ = frame;
        player_.SetAnimate(false);
        replaying_ = true;
        replay_.setInterval(interval);
        if (!paused_)
            replay_.start();
    }
}

// One step of a later pass, by the player's rule: after the last frame comes
// frame 1 again, unless the pass just ended was the last one allowed (loops
// remaining 1); 0 loops remaining means endless.
void X11ActiveDesktop::ReplayTick()
{
    int next = current_ + 1;
    if (next > int(frames_.size())) {
        next = 1;
        if (loopsRemaining_ == 1) {
            replay_.stop();  // the last frame stays
            loopsRemaining_ = 0;
            return;
        }
        if (loopsRemaining_ > 1)
            --loopsRemaining_;
    }
    current_ = next;
    const int interval = intervals_[std::size_t(next - 1)];
    windows_->ShowFrame(frames_[std::size_t(next - 1)], changed_[std::size_t(next - 1)]);
    replay_.setInterval(interval);
    emit FrameShown(next, interval);
}

void X11ActiveDesktop::OnCovered(bool covered)
{
    if (!Showing() || covered == paused_)
        return;
    if (replaying_) {
        // A finished animation stays finished.
        if (covered && !replay_.isActive())
            return;
        paused_ = covered;
        if (covered)
            replay_.stop();
        else
            replay_.start();
        return;
    }
    if (!player_.Animate())
        return;
    paused_ = covered;
    player_.PauseAnimation(!covered);
}

void X11ActiveDesktop::OnMonitorsChanged()
{
    // The still picture below is laid out for the new screen as well.
    if (!path_.isEmpty())
        stillDesktop_.SetWallpaper(path_, style_);
}

}  // namespace pellimore
