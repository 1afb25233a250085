#pragma once

// The conversion stage: unfiltered PNG rows into 32-bit bitmap pixels
// (B, G, R, A). 16-bit samples count by their high byte; results that keep
// the transparency are premultiplied and leave fully transparent pixels zero;
// all other results are opaque (alpha 255).

#include <array>
#include <cstdint>
#include <span>

#include "platform/raster/Bitmap.h"
#include "wallpaper/codecs/png/PngChunks.h"
#include "wallpaper/codecs/png/PngFormat.h"

namespace pellimore::png {

struct ConversionPlan {
    PngHeader header;
    bool keepAlpha = false;     // apply the alpha channel or tRNS
    bool storeIndices = false;  // also keep the palette index of every pixel
    bool keyed = false;         // a tRNS colour key applies
    std::array<uint16_t, 3> key{};
    std::array<Pixel, 256> lookup{};  // grey levels or palette entries, final values
};

// Converts `width` pixels of one unfiltered row. `indices` receives palette
// indices when the plan stores them (else it may be null).
using RowConverter = void (*)(const uint8_t *row, Pixel *out, uint8_t *indices, int width,
                              const ConversionPlan &plan);

// The plan for an image; keepAlpha decides whether tRNS and the alpha channel apply.
ConversionPlan MakeConversionPlan(const PngHeader &header, std::span<const uint8_t> palette,
                                  const PngTransparency &transparency, bool keepAlpha, bool storeIndices);

// The converter of the plan's colour type and bit depth; null for a pair
// that PNG does not define (palette at 16 bits, RGB below 8, ...).
RowConverter SelectConverter(const ConversionPlan &plan);

// The colour of palette entry `index` with its tRNS alpha, premultiplied when
// `keepAlpha`; entries beyond the palette are black.
Pixel PaletteEntry(std::span<const uint8_t> palette, const PngTransparency &transparency, int index, bool keepAlpha);

// c * a / 255, rounded down, exact for all bytes.
constexpr uint8_t Premultiply(uint32_t c, uint32_t a) { return uint8_t((c * a * 0x8081u) >> 23); }

constexpr Pixel PremultipliedPixel(uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    return a == 0 ? 0 : MakePixel(Premultiply(r, a), Premultiply(g, a), Premultiply(b, a), a);
}

}  // namespace pellimore::png
