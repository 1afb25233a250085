// Drawing of GifPlayer: frames with GIF transparency, the mask path for forced
// transparency and stretched frames, clearing, and the disposal methods.
#include "wallpaper/codecs/GifPlayer.h"

#include <cmath>

#include "platform/raster/Raster.h"

namespace pellimore {

namespace {

constexpr Pixel kOpaque = 0xFF000000u;
constexpr Pixel kColourBits = 0x00FFFFFFu;

QRect Bounds(const Bitmap &bitmap) { return QRect(0, 0, bitmap.Width(), bitmap.Height()); }

Bitmap Allocate(int width, int height)
{
    if (!Bitmap::SizeIsAllowed(width, height))
        return Bitmap();
    return Bitmap(width, height);
}

void FillArea(Bitmap &target, QRect area, Pixel pixel)
{
    area &= Bounds(target);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        Pixel *row = target.Row(y);
        std::fill(row + area.left(), row + area.left() + area.width(), pixel);
    }
}

// Draws picture stretched onto destination, leaving pixels of alpha 0 out:
// the way a GIF picture renders itself with its own transparency.
void RenderPicture(Bitmap &target, const Bitmap &picture, QRect destination)
{
    const QRect visible = destination & Bounds(target);
    if (visible.isEmpty() || picture.IsNull())
        return;
    Bitmap stretched = Allocate(visible.width(), visible.height());
    if (stretched.IsNull())
        return;
    StretchBlt(stretched, destination.x() - visible.x(), destination.y() - visible.y(), destination.width(),
               destination.height(), picture, 0, 0, picture.Width(), picture.Height(), StretchMode::ColorOnColor);
    for (int y = 0; y < visible.height(); ++y) {
        const Pixel *source = stretched.Row(y);
        Pixel *row = target.Row(visible.y() + y) + visible.x();
        for (int x = 0; x < visible.width(); ++x) {
            if (PixelAlpha(source[x]) != 0)
                row[x] = source[x] | kOpaque;
        }
    }
}

}  // namespace

QRect GifPlayer::ScaledFrameRect(const clsGIFframe &frame) const
{
    const int left = int(std::lround(frame.FrameLeft() * scaleX_));
    const int top = int(std::lround(frame.FrameTop() * scaleY_));
    const int width = int(std::lround(frame.FrameWidth() * scaleX_));
    const int height = int(std::lround(frame.FrameHeight() * scaleY_));
    return QRect(left, top, width, height);
}

void GifPlayer::DrawFrame(int index)
{
    const clsGIFframe *frame = file_.Frame(index);
    Bitmap &target = Target();
    if (!frame || target.IsNull())
        return;
    const Bitmap picture = file_.FrameImage(index);
    if (picture.IsNull())
        return;  // a frame without a picture is skipped
    const QRect scaled = ScaledFrameRect(*frame);
    if (!frame->ForceTransparency() && (!ScalingInEffect() || stretchMethod_ == 0)) {
        const QRect own(frame->FrameLeft(), frame->FrameTop(), frame->FrameWidth(), frame->FrameHeight());
        RenderPicture(target, picture, ScalingInEffect() ? scaled : own);
        return;
    }
    if (!frame->isTransparent() && !frame->ForceTransparency()) {
        if (!scaled.isEmpty())
            StretchBlt(target, scaled.x(), scaled.y(), scaled.width(), scaled.height(), picture, 0, 0,
                       picture.Width(), picture.Height(), StretchMode::ColorOnColor, kSrcCopy);
        return;
    }
    DrawMasked(picture, *frame, scaled);
}

// Transparent drawing through a monochrome mask: the transparent pixels of the
// colour bitmap are blacked out, the destination is ANDed with the mask and
// ORed with the colour bitmap. The work bitmap has the destination's size, so
// the background under transparent pixels stays exactly as it was.
void GifPlayer::DrawMasked(const Bitmap &picture, const clsGIFframe &frame, QRect destination)
{
    Bitmap &target = Target();
    const QRect visible = destination & Bounds(target);
    if (visible.isEmpty())
        return;
    const bool byColour = frame.ForceTransparency();
    Pixel key = 0;
    if (byColour) {
        const int32_t color = frame.FrameTransparentColor();
        if (color == -1)
            key = picture.At(0, 0) & kColourBits;  // forced without a colour: the top-left pixel's
        else
            key = PixelFromColorRef(ResolveColor(ColorRef(color))) & kColourBits;
    }
    Bitmap mask = Allocate(picture.Width(), picture.Height());
    if (mask.IsNull())
        return;
    Bitmap colour = picture;
    for (int y = 0; y < picture.Height(); ++y) {
        const Pixel *source = picture.Row(y);
        Pixel *maskRow = mask.Row(y);
        for (int x = 0; x < picture.Width(); ++x) {
            const bool transparent = PixelAlpha(source[x]) == 0 || (byColour && (source[x] & kColourBits) == key);
            maskRow[x] = transparent ? 0xFFFFFFFFu : 0u;
        }
    }
    BitBlt(colour, 0, 0, colour.Width(), colour.Height(), mask, 0, 0, kDstAndNotSrc);

    Bitmap work = Allocate(visible.width(), visible.height());
    if (work.IsNull())
        return;
    BitBlt(work, 0, 0, work.Width(), work.Height(), target, visible.x(), visible.y(), kSrcCopy);
    const int dx = destination.x() - visible.x();
    const int dy = destination.y() - visible.y();
    StretchBlt(work, dx, dy, destination.width(), destination.height(), mask, 0, 0, mask.Width(), mask.Height(),
               StretchMode::ColorOnColor, kSrcAnd);
    StretchBlt(work, dx, dy, destination.width(), destination.height(), colour, 0, 0, colour.Width(),
               colour.Height(), StretchMode::ColorOnColor, kSrcPaint);
    BitBlt(target, visible.x(), visible.y(), work.Width(), work.Height(), work, 0, 0, kSrcCopy);
}

void GifPlayer::ClearArea(QRect area)
{
    Bitmap &target = Target();
    area &= Bounds(target);
    if (area.isEmpty())
        return;
    FillArea(target, area, PixelFromColorRef(WindowColor()));
    if (customAdopted_ && !customBkg_.IsNull())
        BitBlt(target, area.x(), area.y(), area.width(), area.height(), customBkg_, area.x(), area.y(), kSrcCopy);
}

void GifPlayer::DisposeFrame(int index)
{
    const clsGIFframe *frame = file_.Frame(index);
    if (!frame)
        return;
    switch (frame->FrameDisposal()) {
    case 2:
        ClearArea(ScaledFrameRect(*frame));
        break;
    case 3:
        RestoreSavedArea();
        break;
    default:
        if (frame->ForceTransparency())
            ClearArea(ScaledFrameRect(*frame));
        break;
    }
}

void GifPlayer::SaveArea(QRect area)
{
    const Bitmap &target = Target();
    savedRect_ = area & Bounds(target);
    savedCopy_ = Allocate(savedRect_.width(), savedRect_.height());
    if (!savedCopy_.IsNull())
        BitBlt(savedCopy_, 0, 0, savedCopy_.Width(), savedCopy_.Height(), target, savedRect_.x(), savedRect_.y(),
               kSrcCopy);
}

void GifPlayer::RestoreSavedArea()
{
    if (savedCopy_.IsNull())
        return;
    BitBlt(Target(), savedRect_.x(), savedRect_.y(), savedCopy_.Width(), savedCopy_.Height(), savedCopy_, 0, 0,
           kSrcCopy);
}

void GifPlayer::Present(QRect area)
{
    if (customAdopted_ && !buffer_.IsNull())
        BitBlt(canvas_, area.x(), area.y(), area.width(), area.height(), buffer_, area.x(), area.y(), kSrcCopy);
    emit Repaint(area);
}

}  // namespace pellimore
