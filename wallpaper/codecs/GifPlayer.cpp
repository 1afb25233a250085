#include "wallpaper/codecs/GifPlayer.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "platform/raster/Raster.h"
#include "wallpaper/codecs/GifProperties.h"

namespace pellimore {

namespace {

constexpr int kMinimumFrameDelay = 5;
constexpr int kStartInterval = 1;
constexpr int kMaxTemporaryNames = 10000;

Bitmap AllocateBitmap(QSize size)
{
    if (size.width() <= 0 || size.height() <= 0)
        return Bitmap();
    try {
        return Bitmap(size.width(), size.height(), 24);
    } catch (const std::exception &) {
        return Bitmap();  // too large to draw: the control shows nothing
    }
}

}  // namespace

GifPlayer::GifPlayer(QObject *parent) : QObject(parent)
{
    timer_.setObjectName(QStringLiteral("tmrGIF"));
    connect(&timer_, &QTimer::timeout, this, &GifPlayer::tmrGIF_Timer);
}

GifPlayer::~GifPlayer()
{
    UnloadGIF(true);
}

// --- loading ---------------------------------------------------------------------

bool GifPlayer::LoadGIF(const QString &gifFileName)
{
    GifFile loaded;
    QString error;
    if (!loaded.Load(gifFileName, &error)) {
        lastLoadError_ = error;
        return false;
    }
    return AdoptGIF(std::move(loaded));
}

bool GifPlayer::AdoptGIF(GifFile &&loaded)
{
    if (!loaded.IsLoaded())
        return false;
    lastLoadError_.clear();
    UnloadGIF(false);
    file_ = std::move(loaded);
    maxLoops_ = file_.Header().loopCount;
    Resizing();
    emit gifFileNameChanged(file_.FileName());
    return true;
}

void GifPlayer::UnloadGIF(bool bDeleteDCs)
{
    StopAnimation();
    const QString name = file_.FileName();
    file_.Unload();
    if (deleteOnUnload_ && !name.isEmpty())
        QFile::remove(name);
    deleteOnUnload_ = false;
    savedCopy_ = Bitmap();
    savedRect_ = QRect();
    if (bDeleteDCs) {
        buffer_ = Bitmap();
        customBkg_ = Bitmap();
        customAdopted_ = false;
    }
}

// --- animation ---------------------------------------------------------------------

void GifPlayer::SetAnimate(bool animate)
{
    if (animate)
        StartAnimation();
    else
        StopAnimation();
}

void GifPlayer::StartAnimation()
{
    if (file_.FrameCount() <= 1)
        return;
    loopsRemaining_ = maxLoops_ < 1 ? 0 : maxLoops_;
    currentFrame_ = 0;
    animating_ = true;
    timer_.setInterval(kStartInterval);
    timer_.start();
}

void GifPlayer::StopAnimation()
{
    timer_.stop();
    animating_ = false;
    loopsRemaining_ = 0;
    currentFrame_ = 0;
}

void GifPlayer::PauseAnimation(bool bResume)
{
    if (!animating_)
        return;
    if (bResume) {
        timer_.start();
    } else {
        timer_.setInterval(timer_.interval() / 2 + 1);
        timer_.stop();
    }
}

void GifPlayer::ShowFrame(int index)
{
    if (animating_)
        return;
    const clsGIFframe *frame = file_.Frame(index);
    if (!frame)
        return;
    windowColor_ = (frame->isTransparent() || frame->ForceTransparency()) ? backColor_ : gifWindowBkgColor();
    ClearArea(QRect(QPoint(0, 0), ClientSize()));
    DrawFrame(index);
    Present(QRect(QPoint(0, 0), ClientSize()));
}

void GifPlayer::tmrGIF_Timer()
{
    if (!animating_ || file_.FrameCount() == 0) {
        StopAnimation();
        return;
    }
    const QRect whole(QPoint(0, 0), ClientSize());
    int next = currentFrame_ + 1;
    if (currentFrame_ == 0)
        ClearArea(whole);
    if (next > file_.FrameCount()) {
        next = 1;
        if (loopsRemaining_ == 1) {
            StopAnimation();
            emit AnimationLoopExpired();
            return;
        }
        if (loopsRemaining_ > 1) {
            --loopsRemaining_;
            emit AnimationLoopComplete(loopsRemaining_);
            if (!animating_ || !file_.IsLoaded())
                return;  // the host stopped or unloaded in its handler
        }
        ClearArea(whole);
    } else if (currentFrame_ >= 1) {
        DisposeFrame(currentFrame_);
    }
    currentFrame_ = next;
    const clsGIFframe &frame = *file_.Frame(currentFrame_);
    if (file_.Header().hasRestorePrevious)
        SaveArea(ScaledFrameRect(frame));
    const int interval = std::max(frame.frameDelay(), minFrameDelay_);
    DrawFrame(currentFrame_);
    Present(whole);
    if (!animating_)
        return;  // the host stopped the animation while the frame was shown
    timer_.setInterval(interval);
    emit AnimationProgress(currentFrame_);
}

// --- size and scaling -----------------------------------------------------------------

QSize GifPlayer::ClientSize() const
{
    return QSize(std::max(0, controlSize_.width() - BorderWidth()), std::max(0, controlSize_.height() - BorderHeight()));
}

void GifPlayer::SetControlSize(QSize size)
{
    size = size.expandedTo(QSize(0, 0));
    if (size == controlSize_)
        return;
    controlSize_ = size;
    Resizing();
}

void GifPlayer::SetBorderStyle(int style)
{
    if (style < 0 || style > 3 || style == borderStyle_)
        return;
    borderStyle_ = style;
    Resizing();
}

int GifPlayer::BorderWidth() const
{
    switch (borderStyle_) {
    case 1:
    case 2: return 2;  // one pixel on each side
    case 3: return 4;  // two pixels on each side
    default: return 0;
    }
}

int GifPlayer::BorderHeight() const
{
    return BorderWidth();
}

void GifPlayer::Resizing()
{
    if (!file_.IsLoaded()) {
        PrepareSurfaces();
        return;
    }
    if (autoSize_) {
        const QSize wanted(gifLogicalWindowCx() + BorderWidth(), gifLogicalWindowCy() + BorderHeight());
        if (wanted != controlSize_) {
            controlSize_ = wanted;
            emit SizeChanged(wanted);
            Resizing();
            return;
        }
    }
    scaleX_ = scaleY_ = 1.0;
    const QSize client = ClientSize();
    if (!autoSize_ && stretch_ != 0 && gifLogicalWindowCx() > 0 && gifLogicalWindowCy() > 0) {
        scaleX_ = double(client.width()) / gifLogicalWindowCx();
        scaleY_ = double(client.height()) / gifLogicalWindowCy();
        if (stretch_ == 1)
            scaleX_ = scaleY_ = std::min(scaleX_, scaleY_);
    }
    PrepareSurfaces();
    RestartView();
}

void GifPlayer::PrepareSurfaces()
{
    const QSize client = ClientSize();
    canvas_ = AllocateBitmap(client);
    canvas_.Fill(PixelFromColorRef(WindowColor()));
    if (customAdopted_)
        buffer_ = AllocateBitmap(client);
    savedCopy_ = Bitmap();
    savedRect_ = QRect();
}

// Shows frame 1 again after a change of the drawing; a running animation
// starts again on a cleared area.
void GifPlayer::RestartView()
{
    if (animating_) {
        ClearArea(QRect(QPoint(0, 0), ClientSize()));
        Present(QRect(QPoint(0, 0), ClientSize()));
    } else {
        ShowFrame(1);
    }
}

bool GifPlayer::ScaleLogWinToSize(int &NewWidth, int &NewHeight, bool &bCanShrink, int &BorderWidth) const
{
    const int w = gifLogicalWindowCx();
    const int h = gifLogicalWindowCy();
    if (!file_.IsLoaded() || w <= 0 || h <= 0)
        return false;
    bCanShrink = NewHeight >= h && NewWidth >= w;
    const double factor = std::min(double(NewWidth) / w, double(NewHeight) / h);
    NewWidth = int(std::lround(w * factor));
    NewHeight = int(std::lround(h * factor));
    BorderWidth = this->BorderWidth();
    return true;
}

// --- custom background --------------------------------------------------------------

Bitmap &GifPlayer::GetCustomBkgDC()
{
    const QSize client = ClientSize();
    if (customBkg_.IsNull() || customBkg_.Width() != client.width() || customBkg_.Height() != client.height()) {
        customBkg_ = AllocateBitmap(client);
        customBkg_.Fill(PixelFromColorRef(ResolveColor(backColor_)));
    }
    return customBkg_;
}

void GifPlayer::SetCustomBkgDC()
{
    if (customBkg_.IsNull())
        return;
    const bool running = animating_ && timer_.isActive();
    if (running)
        PauseAnimation(false);
    customAdopted_ = true;
    buffer_ = AllocateBitmap(ClientSize());
    BitBlt(buffer_, 0, 0, buffer_.Width(), buffer_.Height(), canvas_, 0, 0, kSrcCopy);
    if (!animating_ && file_.IsLoaded())
        ShowFrame(1);
    if (running)
        PauseAnimation(true);
}

void GifPlayer::RemoveCustomBkgDC()
{
    buffer_ = Bitmap();
    customBkg_ = Bitmap();
    customAdopted_ = false;
}

// --- properties ------------------------------------------------------------------------

void GifPlayer::SetAutoSize(bool autoSize)
{
    if (autoSize == autoSize_)
        return;
    autoSize_ = autoSize;
    Resizing();
}

void GifPlayer::SetBackColor(ColorRef color)
{
    backColor_ = color;
    windowColor_ = color;
    if (!file_.IsLoaded()) {
        canvas_.Fill(PixelFromColorRef(WindowColor()));
        Present(QRect(QPoint(0, 0), ClientSize()));
    }
}

void GifPlayer::SetStretch(int stretch)
{
    if (stretch < 0 || stretch > 2 || stretch == stretch_)
        return;
    stretch_ = stretch;
    Resizing();
}

void GifPlayer::SetStretchMethod(int method)
{
    if (method < 0 || method > 1 || method == stretchMethod_)
        return;
    stretchMethod_ = method;
    if (file_.IsLoaded())
        RestartView();
}

void GifPlayer::SetgifMinFrameDelay(int delay)
{
    if (delay < kMinimumFrameDelay)
        return;
    minFrameDelay_ = delay;
}

void GifPlayer::SetgifMaxLoops(int loops)
{
    if (loops < -1)
        return;
    maxLoops_ = loops;
}

int64_t GifPlayer::gifAnimationTime() const
{
    int64_t total = 0;
    for (const clsGIFframe &frame : file_.Frames())
        total += frame.frameDelay();
    return total;
}

int GifPlayer::gifTransparencyState() const
{
    const auto &frames = file_.Frames();
    const auto transparent = std::count_if(frames.begin(), frames.end(), [](const clsGIFframe &f) { return f.isTransparent(); });
    if (transparent == 0)
        return kNoneTransparent;
    return transparent == std::ptrdiff_t(frames.size()) ? kAllTransparent : kSomeTransparent;
}

QString GifPlayer::gifVersion() const
{
    return QString::fromLatin1(file_.Header().version).toLower();
}

// --- persisted properties ------------------------------------------------------------

GifControlProperties GifPlayer::WriteProperties() const
{
    GifControlProperties p;
    p.nrLoops = maxLoops_;
    p.autoSize = autoSize_;
    p.bkColor = backColor_;
    p.minDelay = minFrameDelay_;
    p.scaleFactor = stretch_;
    p.scaleMode = stretchMethod_;
    if (file_.IsLoaded())
        p.fileData = file_.FileBytes().value_or(QByteArray());
    return p;
}

QString GifPlayer::TemporaryFolder() const
{
    if (!temporaryFolder_.isEmpty())
        return temporaryFolder_;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/wallpaper-pellimore");
}

bool GifPlayer::ReadProperties(const GifControlProperties &p)
{
    SetAutoSize(p.autoSize);
    SetBackColor(p.bkColor);
    SetgifMinFrameDelay(p.minDelay);
    SetStretch(p.scaleFactor);
    SetStretchMethod(p.scaleMode);
    bool restored = true;
    if (p.FileLen() > 0) {
        restored = false;
        const QString folder = TemporaryFolder();
        QDir().mkpath(folder);
        for (int n = 0; n < kMaxTemporaryNames; ++n) {
            const QString path = QStringLiteral("%1/~tLV(%2).gif").arg(folder).arg(n);
            QFile copy(path);
            // NewOnly: a name that exists (another copy in use) is never overwritten.
            if (!copy.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
                if (copy.exists())
                    continue;
                break;  // the folder cannot be written
            }
            const bool written = copy.write(p.fileData) == p.fileData.size();
            copy.close();
            if (written && LoadGIF(path)) {
                deleteOnUnload_ = true;
                restored = true;
            } else {
                QFile::remove(path);
            }
            break;
        }
    }
    if (p.nrLoops)
        SetgifMaxLoops(*p.nrLoops);
    return restored;
}

}  // namespace pellimore
