#pragma once

#include "platform/raster/Bitmap.h"

// Resampling of the Resize and Crop window: scales a picture on its raw
// pixels with an area average when it gets smaller and bilinear interpolation
// when it grows.

namespace pellimore {

class PictureSurface;

// Source rectangle (sx, sy, sw, sh) and destination rectangle (dx, dy, dw,
// dh), in pixels. The scale factors are dw / (sw - 1) and dh / (sh - 1).
struct ResizeGeometry {
    float sx = 0, sy = 0, sw = 0, sh = 0;
    float dx = 0, dy = 0, dw = 0, dh = 0;

    // Both sizes positive and every value finite.
    bool IsUsable() const;
};

// Fills all of destination (at its own size) from source. Returns false,
// leaving destination untouched, when either bitmap is empty, they are the
// same object, or the geometry is not usable.
//
// ShrinkBitmap: each destination pixel is the average of the source block
// from floor((x - dx) / kx + sx) to floor((x + 1 - dx) / kx + sx) - 1 (and
// likewise in y), rounded half to even. A block narrower than one pixel (the
// other direction growing) takes one pixel; the block is clipped to the
// source, and a block wholly outside it gives white.
bool ShrinkBitmap(const Bitmap &source, Bitmap &destination, const ResizeGeometry &geometry);
// EnlargeBitmap: each destination pixel blends the four source pixels around
// (sx + (x - dx) / kx, sy + (y - dy) / ky), rounded half to even; a position
// without four source pixels around it gives white. A direction in which the
// source rectangle is less than two pixels has nothing to blend: it takes its
// one pixel.
bool EnlargeBitmap(const Bitmap &source, Bitmap &destination, const ResizeGeometry &geometry);
// Shrinks when dw / sw or dh / sh is below 1, else enlarges.
bool ResizeBitmap(const Bitmap &source, Bitmap &destination, const ResizeGeometry &geometry);

// The same on picture surfaces: reads the source's drawing image, rewrites
// the whole drawing image of the destination (which already has its final
// size) and makes it the destination's picture. The surfaces may be the same.
bool ResizePicture(PictureSurface &source, PictureSurface &destination, float sx, float sy, float sw, float sh,
                   float dx, float dy, float dw, float dh);
bool ShrinkPicture(PictureSurface &source, PictureSurface &destination, float sx, float sy, float sw, float sh,
                   float dx, float dy, float dw, float dh);
bool EnlargePicture(PictureSurface &source, PictureSurface &destination, float sx, float sy, float sw, float sh,
                    float dx, float dy, float dw, float dh);

}  // namespace pellimore
