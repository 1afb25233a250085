#pragma once

// The decoded picture of a StdPNG: the bitmap with its colour table, the
// palette index of every pixel of a palette bitmap, the object's own drawing
// context on the bitmap, and the background bitmap used while flattening.
//
// Mapping of the classic objects: the DIB section is the Bitmap (its 32-bit
// pixels stand for the BitCount() depth: 1, 4, 8, 24 or 32 bits), the memory
// device context with the bitmap selected is a DeviceContext on it, and the
// bitmap-info header's values are ScanLineWidth() and ImageSize().

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/raster/Bitmap.h"
#include "platform/raster/DeviceContext.h"

namespace pellimore {

class stdPNGdata {
public:
    stdPNGdata() = default;
    // The device context points at the bitmap member: the object stays put.
    stdPNGdata(const stdPNGdata &) = delete;
    stdPNGdata &operator=(const stdPNGdata &) = delete;

    // Makes a width x height bitmap of `bitCount` bits (every pixel zero) with
    // the colour table, and the own device context when `withDC`. False,
    // with nothing made, when the memory cannot be had. With `overwritten`
    // the caller writes every pixel before anyone sees the bitmap, and kept
    // memory (see ClearKeepingMemory) is taken without clearing it.
    bool Create(int width, int height, int bitCount, std::vector<Pixel> colorTable, bool withDC,
                bool overwritten = false);
    // Releases the bitmap, the indices, the device context and the background.
    void Clear();
    // Clear(), but the bitmap's pixel memory is kept aside: a Create of the
    // same size takes it (cleared) instead of new memory, which spares the
    // page faults of a big picture when pictures of one size follow each
    // other. ReleaseSpare() gives it back.
    void ClearKeepingMemory();
    void ReleaseSpare() { spare_ = Bitmap(); }
    // Releases the kept memory unless it suits a width x height picture.
    void KeepSpareFor(int width, int height)
    {
        if (spare_.Width() != width || spare_.Height() != height)
            ReleaseSpare();
    }

    bool IsNull() const { return bitmap_.IsNull(); }
    Bitmap &Image() { return bitmap_; }
    const Bitmap &Image() const { return bitmap_; }
    int BitCount() const { return IsNull() ? 0 : bitmap_.BitCount(); }
    // Bytes per row of the classic bitmap: rows padded to 32 bits.
    int ScanLineWidth() const;
    int64_t ImageSize() const { return int64_t(ScanLineWidth()) * bitmap_.Height(); }

    // The palette index of each pixel (width x height, rows top down) for
    // bitmaps of a palette image; empty otherwise.
    ZeroedVector<uint8_t> &Indices() { return indices_; }
    const ZeroedVector<uint8_t> &Indices() const { return indices_; }
    bool CreateIndices();

    // The own device context: null when there is none.
    DeviceContext *Dc() { return dc_ ? &*dc_ : nullptr; }
    bool HasDC() const { return dc_.has_value(); }
    // Creates the context when there is a bitmap and none yet.
    void CreateDC();
    void DeleteDC() { dc_.reset(); }

    // Background bitmap: the image's size, 24-bit, filled with `color`.
    bool PrepareBackground(ColorRef color);
    Bitmap &Background() { return background_; }
    // Makes the background the image (24-bit), as after flattening onto it.
    void TakeBackgroundAsImage();

private:
    Bitmap bitmap_;
    ZeroedVector<uint8_t> indices_;
    std::optional<DeviceContext> dc_;
    Bitmap background_;
    Bitmap spare_;
};

}  // namespace pellimore
