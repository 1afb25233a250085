#pragma once

// The fixed facts of the PNG format that every stage of the decoder shares:
// the header, channel counts, Adam7 pass geometry and the size arithmetic,
// which is done in 64 bits and checked so that no hostile size can wrap.

#include <arpa/inet.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

namespace pellimore::png {

inline constexpr std::array<uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// A file must be longer than this to be taken for a PNG file.
inline constexpr int64_t kMinFileBytes = 56;

enum ColorTypes : uint8_t { kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgbAlpha = 6 };

struct PngHeader {
    int32_t width = 0;
    int32_t height = 0;
    uint8_t bitDepth = 0;
    uint8_t colorType = 0;
    uint8_t compression = 0;
    uint8_t filter = 0;
    uint8_t interlace = 0;
};

// Samples per pixel of a colour type; 0 for a colour type PNG does not define.
constexpr int ChannelsOf(uint8_t colorType)
{
    switch (colorType) {
    case kGrey: return 1;
    case kRgb: return 3;
    case kPalette: return 1;
    case kGreyAlpha: return 2;
    case kRgbAlpha: return 4;
    default: return 0;
    }
}

constexpr int BitsPerPixel(const PngHeader &h) { return h.bitDepth * ChannelsOf(h.colorType); }
// The distance the filters look back: whole bytes per pixel, at least 1.
constexpr int FilterBytesPerPixel(const PngHeader &h)
{
    const int bytes = BitsPerPixel(h) / 8;
    return bytes < 1 ? 1 : bytes;
}

// Bytes of one unfiltered row of `width` pixels, without its filter byte.
constexpr int64_t RowBytes(int64_t width, int bitsPerPixel) { return (width * bitsPerPixel + 7) / 8; }

struct Adam7Pass {
    int xStart, yStart, xStep, yStep;
};
inline constexpr std::array<Adam7Pass, 7> kAdam7 = {{
    {0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2},
}};

// Pixels of one pass along an axis of `size` pixels.
constexpr int64_t PassExtent(int64_t size, int start, int step)
{
    return size / step + ((size % step) > start ? 1 : 0);
}

// Checked arithmetic for sizes: nothing when the result leaves [0, limit].
constexpr std::optional<int64_t> CheckedMul(int64_t a, int64_t b, int64_t limit)
{
    if (a < 0 || b < 0)
        return std::nullopt;
    if (a != 0 && b > limit / a)
        return std::nullopt;
    return a * b;
}
constexpr std::optional<int64_t> CheckedAdd(int64_t a, int64_t b, int64_t limit)
{
    if (a < 0 || b < 0 || a > limit - b)
        return std::nullopt;
    return a + b;
}

// The byte count the image data inflates to: every row with its filter byte,
// pass by pass for Adam7 files. Nothing when it exceeds `limit`.
std::optional<int64_t> ExpectedInflatedSize(const PngHeader &header, int64_t limit);

// Big-endian numbers of the file, turned round by the C library.
inline uint32_t ReadBig32(const uint8_t *p)
{
    uint32_t value;
    std::memcpy(&value, p, sizeof value);
    return ntohl(value);
}
inline uint16_t ReadBig16(const uint8_t *p)
{
    uint16_t value;
    std::memcpy(&value, p, sizeof value);
    return ntohs(value);
}

}  // namespace pellimore::png
