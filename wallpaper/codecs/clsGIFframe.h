#pragma once

#include <cstdint>

namespace pellimore {

// One image (frame) of a GIF file: where it lies in the logical window, how
// long it shows, how it is disposed of, its transparency, and the byte range
// it occupies in the file. The first value set for each attribute is kept as
// its initial value, so that a host that edits a frame can go back to what the
// file said (ResetFrameAttributes).
class clsGIFframe {
public:
    // Attribute bits of ResetFrameAttributes and AttributesSet().
    enum Attribute : int {
        kDelay = 0x01,
        kTransparentColor = 0x02,
        kDisposal = 0x04,
        kLeft = 0x08,
        kTop = 0x10,
        kWidth = 0x40,
        kHeight = 0x80,
    };
    static constexpr int kAllAttributes = kDelay | kTransparentColor | kDisposal | kLeft | kTop | kWidth | kHeight;
    // Longest delay a frame keeps, in milliseconds.
    static constexpr int32_t kMaxDelay = 60000;

    int FrameLeft() const { return left_; }
    void SetFrameLeft(int value);
    int FrameTop() const { return top_; }
    void SetFrameTop(int value);
    int FrameWidth() const { return width_; }
    void SetFrameWidth(int value);
    int FrameHeight() const { return height_; }
    void SetFrameHeight(int value);

    // Milliseconds; values outside 0..60000 are clamped.
    int32_t frameDelay() const { return delay_; }
    void SetframeDelay(int64_t value);

    // The graphic-control disposal method, 0 to 7; other values are ignored.
    int FrameDisposal() const { return disposal_; }
    void SetFrameDisposal(int value);

    // The graphic-control transparent-colour flag.
    bool isTransparent() const { return transparent_; }
    void SetisTransparent(bool value) { transparent_ = value; }

    // The colour (COLORREF) of the transparent index, -1 when the frame is not
    // transparent. Setting it again on a frame that is not transparent by
    // itself forces transparency with the new colour.
    int32_t FrameTransparentColor() const { return transparentColor_; }
    void SetFrameTransparentColor(int32_t value);

    // Transparency imposed by the host. Setting it False restores the initial
    // transparent colour.
    bool ForceTransparency() const { return forceTransparency_; }
    void SetForceTransparency(bool value);

    // The frame's bytes in the file: from FrameStart up to (not including)
    // FrameEnd, that is through the terminator of the image data. Each is set
    // once; later sets are ignored.
    int64_t FrameStart() const { return start_; }
    void SetFrameStart(int64_t offset);
    int64_t FrameEnd() const { return end_; }
    void SetFrameEnd(int64_t offset);
    int64_t FrameLength() const { return end_ > start_ ? end_ - start_ : 0; }

    // Where the image descriptor (0x2C) lies in the file, and whether the
    // frame's bytes begin with a graphic control extension (at its label
    // byte 0xF9) rather than at the image descriptor.
    int64_t DescriptorOffset() const { return descriptor_; }
    void SetDescriptorOffset(int64_t offset) { descriptor_ = offset; }
    bool StartsWithControlExtension() const { return startsWithControl_; }
    void SetStartsWithControlExtension(bool value) { startsWithControl_ = value; }

    // The attributes set so far (Attribute bits).
    int AttributesSet() const { return setMask_; }

    // With a mask of 0 or more: restores the initial values of the selected
    // attributes (only those that were ever set) and returns 0. With a
    // negative number n: returns the initial value of the single attribute
    // |n| (0 for anything else) and changes nothing.
    int64_t ResetFrameAttributes(int64_t mask);

private:
    void Remember(Attribute attribute, int32_t value);

    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    int32_t delay_ = 0;
    int disposal_ = 0;
    bool transparent_ = false;
    int32_t transparentColor_ = -1;
    bool forceTransparency_ = false;
    int64_t start_ = 0;
    int64_t end_ = 0;
    bool startSet_ = false;
    bool endSet_ = false;
    int64_t descriptor_ = 0;
    bool startsWithControl_ = false;

    int setMask_ = 0;
    int32_t initialLeft_ = 0;
    int32_t initialTop_ = 0;
    int32_t initialWidth_ = 0;
    int32_t initialHeight_ = 0;
    int32_t initialDelay_ = 0;
    int32_t initialDisposal_ = 0;
    int32_t initialTransparentColor_ = -1;
};

}  // namespace pellimore
