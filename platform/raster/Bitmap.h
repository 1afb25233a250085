#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/raster/LargeMemory.h"

class QImage;

namespace pellimore {

// A colour in COLORREF order: red in the low byte, then green, then blue.
// A value with the top bit set is a system-colour reference (resolved by the
// desktop service).
using ColorRef = uint32_t;

constexpr ColorRef Rgb(uint8_t r, uint8_t g, uint8_t b) { return r | (g << 8) | (uint32_t(b) << 16); }
constexpr uint8_t RedOf(ColorRef c) { return uint8_t(c); }
constexpr uint8_t GreenOf(ColorRef c) { return uint8_t(c >> 8); }
constexpr uint8_t BlueOf(ColorRef c) { return uint8_t(c >> 16); }
constexpr bool IsSystemColor(ColorRef c) { return (c & 0x80000000u) != 0; }

// One pixel as stored: B, G, R, A bytes in memory, read as a little-endian
// 32-bit value 0xAARRGGBB (the layout of QImage::Format_ARGB32).
using Pixel = uint32_t;

constexpr Pixel MakePixel(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255)
{
    return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}
constexpr uint8_t PixelRed(Pixel p) { return uint8_t(p >> 16); }
constexpr uint8_t PixelGreen(Pixel p) { return uint8_t(p >> 8); }
constexpr uint8_t PixelBlue(Pixel p) { return uint8_t(p); }
constexpr uint8_t PixelAlpha(Pixel p) { return uint8_t(p >> 24); }
constexpr Pixel PixelFromColorRef(ColorRef c, uint8_t a = 255) { return MakePixel(RedOf(c), GreenOf(c), BlueOf(c), a); }
constexpr ColorRef ColorRefFromPixel(Pixel p) { return Rgb(PixelRed(p), PixelGreen(p), PixelBlue(p)); }

// A top-down 32-bit device-independent bitmap. Pixels are always held as 32
// bits (see Pixel); BitCount() is the depth the bitmap stands for (1, 4, 8, 24
// or 32), which decides how it is written to a BMP file. Bitmaps of 8 bits or
// fewer also carry their colour table.
//
// Copies share their pixels until one of them is written: every accessor that
// can write (the non-const Bits, Row, Set, Fill and Wrap) first makes the
// pixels its own. A copy of a big picture therefore costs nothing while both
// only read it. A pointer from a writing accessor stays valid until the
// bitmap is copied from or assigned to; write through it before copying.
class Bitmap {
public:
    Bitmap() = default;
    // A bitmap of the given size, every pixel 0 (black, alpha 0). Throws
    // std::length_error when the size is negative or too large to allocate.
    Bitmap(int width, int height, int bitCount = 32);

    // Largest pixel count a bitmap may hold (256 megapixels, 1 GiB of pixels).
    static constexpr int64_t kMaxPixels = int64_t(1) << 28;
    // True when width x height is a size a bitmap may have (both > 0).
    static bool SizeIsAllowed(int64_t width, int64_t height);

    bool IsNull() const { return width_ == 0 || height_ == 0; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Stride() const { return width_ * 4; }  // bytes per row
    int BitCount() const { return bitCount_; }
    void SetBitCount(int bitCount) { bitCount_ = bitCount; }

    uint8_t *Bits()
    {
        Detach();
        return reinterpret_cast<uint8_t *>(Data());
    }
    const uint8_t *Bits() const { return reinterpret_cast<const uint8_t *>(Data()); }
    Pixel *Row(int y)
    {
        Detach();
        return Data() + std::size_t(y) * width_;
    }
    const Pixel *Row(int y) const { return Data() + std::size_t(y) * width_; }
    Pixel At(int x, int y) const { return Row(y)[x]; }
    void Set(int x, int y, Pixel p) { Row(y)[x] = p; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    void Fill(Pixel p);
    // Makes the pixels this bitmap's own (a copy when they are shared), as
    // the writing accessors do. Call it before several threads write rows.
    void Detach()
    {
        if (pixels_ && pixels_.use_count() > 1)
            Unshare(true);
    }

    // Colour table of a bitmap of 8 bits or fewer (as pixels, alpha ignored).
    std::vector<Pixel> &ColorTable() { return colorTable_; }
    const std::vector<Pixel> &ColorTable() const { return colorTable_; }

    // A QImage (Format_ARGB32) that shares this bitmap's pixels; valid while
    // the bitmap lives and is not resized. Drawing through it (QPainter)
    // changes the bitmap.
    QImage Wrap();
    // A deep copy as a QImage (Format_ARGB32).
    QImage ToImage() const;
    // A bitmap from any QImage (converted to Format_ARGB32); bit count 32 when
    // the image has an alpha channel, else 24.
    static Bitmap FromImage(const QImage &image);

    friend bool operator==(const Bitmap &a, const Bitmap &b)
    {
        return a.width_ == b.width_ && a.height_ == b.height_ &&
               (a.pixels_ == b.pixels_ || (a.pixels_ && b.pixels_ && *a.pixels_ == *b.pixels_));
    }

private:
    Pixel *Data() const { return pixels_ ? pixels_->data() : nullptr; }
    // Gives this bitmap pixels of its own, with the shared values when keep.
    void Unshare(bool keep);

    int width_ = 0;
    int height_ = 0;
    int bitCount_ = 32;
    std::shared_ptr<ZeroedVector<Pixel>> pixels_;
    std::vector<Pixel> colorTable_;
};

}  // namespace pellimore
