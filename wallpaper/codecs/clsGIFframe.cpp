#include "wallpaper/codecs/clsGIFframe.h"

#include <algorithm>

namespace pellimore {

void clsGIFframe::Remember(Attribute attribute, int32_t value)
{
    if (setMask_ & attribute)
        return;
    setMask_ |= attribute;
    switch (attribute) {
    case kDelay: initialDelay_ = value; break;
    case kTransparentColor: initialTransparentColor_ = value; break;
    case kDisposal: initialDisposal_ = value; break;
    case kLeft: initialLeft_ = value; break;
    case kTop: initialTop_ = value; break;
    case kWidth: initialWidth_ = value; break;
    case kHeight: initialHeight_ = value; break;
    }
}

void clsGIFframe::SetFrameLeft(int value)
{
    left_ = value;
    Remember(kLeft, value);
}

void clsGIFframe::SetFrameTop(int value)
{
    top_ = value;
    Remember(kTop, value);
}

void clsGIFframe::SetFrameWidth(int value)
{
    width_ = value;
    Remember(kWidth, value);
}

void clsGIFframe::SetFrameHeight(int value)
{
    height_ = value;
    Remember(kHeight, value);
}

void clsGIFframe::SetframeDelay(int64_t value)
{
    delay_ = int32_t(std::clamp<int64_t>(value, 0, kMaxDelay));
    Remember(kDelay, delay_);
}

void clsGIFframe::SetFrameDisposal(int value)
{
    if (value < 0 || value > 7)
        return;
    disposal_ = value;
    Remember(kDisposal, value);
}

void clsGIFframe::SetFrameTransparentColor(int32_t value)
{
    // The reader sets the colour once; a second value on a frame without
    // transparency of its own is the host asking for a transparent colour.
    if ((setMask_ & kTransparentColor) && !transparent_)
        forceTransparency_ = true;
    transparentColor_ = value;
    Remember(kTransparentColor, value);
}

void clsGIFframe::SetForceTransparency(bool value)
{
    forceTransparency_ = value;
    if (!value)
        transparentColor_ = initialTransparentColor_;
}

void clsGIFframe::SetFrameStart(int64_t offset)
{
    if (startSet_)
        return;
    start_ = offset;
    startSet_ = true;
}

void clsGIFframe::SetFrameEnd(int64_t offset)
{
    if (endSet_)
        return;
    end_ = offset;
    endSet_ = true;
}

int64_t clsGIFframe::ResetFrameAttributes(int64_t mask)
{
    if (mask < 0) {
        switch (-mask) {
        case kDelay: return initialDelay_;
        case kTransparentColor: return initialTransparentColor_;
        case kDisposal: return initialDisposal_;
        case kLeft: return initialLeft_;
        case kTop: return initialTop_;
        case kWidth: return initialWidth_;
        case kHeight: return initialHeight_;
        default: return 0;
        }
    }
    const int selected = int(mask & setMask_);
    if (selected & kDelay)
        delay_ = initialDelay_;
    if (selected & kTransparentColor) {
        // Back to the file's colour: a colour forced by the host goes with it.
        transparentColor_ = initialTransparentColor_;
        forceTransparency_ = false;
    }
    if (selected & kDisposal)
        disposal_ = initialDisposal_;
    if (selected & kLeft)
        left_ = initialLeft_;
    if (selected & kTop)
        top_ = initialTop_;
    if (selected & kWidth)
        width_ = initialWidth_;
    if (selected & kHeight)
        height_ = initialHeight_;
    return 0;
}

}  // namespace pellimore
