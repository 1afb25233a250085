// Windows BMP reading. The reader works in stages: file header,
// info header, checks, colour table, masks, then the pixel rows (plain or
// RLE). Every read goes through bounds-checked helpers.
#include "platform/raster/BmpFile.h"

#include <QFile>

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <vector>

namespace pellimore {

namespace {

constexpr std::size_t kFileHeaderSize = 14;

enum Compression : uint32_t {
    kRgb = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitFields = 3,
    kJpeg = 4,
    kPng = 5,
    kAlphaBitFields = 6,
};

// Little-endian reads inside [data, data + size); callers check ranges first.
uint16_t U16(const uint8_t *p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

uint32_t U32(const uint8_t *p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

int32_t I32(const uint8_t *p)
{
    return int32_t(U32(p));
}

struct Header {
    uint32_t fileSize = 0;
    uint32_t dataOffset = 0;
    uint32_t headerSize = 0;
    int64_t width = 0;
    int64_t height = 0;  // positive; see topDown
    bool topDown = false;
    uint16_t planes = 1;
    uint16_t bitCount = 0;
    uint32_t compression = kRgb;
    uint32_t imageSize = 0;
    int32_t xDensity = 0;
    int32_t yDensity = 0;
    uint32_t colorsUsed = 0;
    bool os2 = false;        // OS/2 1.x or 2.x header
    bool core = false;       // 12-byte header: 3-byte colour table entries
    uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
    bool hasAlphaMask = false;
};

struct Failure {
    QString text;
};

// --- stage 1 and 2: headers ----------------------------------------------------

std::optional<Failure> ParseHeaders(const uint8_t *data, std::size_t size, Header &h)
{
    if (size < kFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M')
        return Failure{QStringLiteral("Not a BMP file.")};
    h.fileSize = U32(data + 2);
    h.dataOffset = U32(data + 10);
    h.headerSize = U32(data + 14);
    const uint32_t hs = h.headerSize;
    const bool known = hs == 12 || hs == 16 || hs == 40 || hs == 52 || hs == 56 || hs == 64 || hs == 108 || hs == 124;
    if (!known)
        return Failure{QStringLiteral("Unknown BMP header size %1.").arg(hs)};
    if (size < kFileHeaderSize + hs)
        return Failure{QStringLiteral("The BMP file is truncated in its header.")};
    const uint8_t *p = data + kFileHeaderSize;
    int64_t rawHeight = 0;
    if (hs == 12) {
        h.core = h.os2 = true;
        h.width = U16(p + 4);
        rawHeight = U16(p + 6);
        h.planes = U16(p + 8);
        h.bitCount = U16(p + 10);
    } else {
        h.os2 = hs == 16 || hs == 64;
        h.width = I32(p + 4);
        rawHeight = I32(p + 8);
        h.planes = U16(p + 12);
        h.bitCount = U16(p + 14);
        if (hs >= 40) {
            h.compression = U32(p + 16);
            h.imageSize = U32(p + 20);
            h.xDensity = I32(p + 24);
            h.yDensity = I32(p + 28);
            h.colorsUsed = U32(p + 32);
        }
        if (hs >= 52 && !h.os2) {
            for (int i = 0; i < 3; ++i)
                h.masks[i] = U32(p + 40 + 4 * i);
        }
        if (hs >= 56 && !h.os2) {
            h.masks[3] = U32(p + 52);
            h.hasAlphaMask = true;
        }
    }
    h.topDown = rawHeight < 0;
    h.height = rawHeight < 0 ? -rawHeight : rawHeight;
    return std::nullopt;
}

// --- checks --------------------------------------------------------------------

std::optional<Failure> CheckHeader(const Header &h, std::size_t size)
{
    if (h.width <= 0 || h.height <= 0)
        return Failure{QStringLiteral("The BMP file has an invalid size of %1 x %2 pixels.")
                           .arg(h.width)
                           .arg(h.topDown ? -h.height : h.height)};
    if (!Bitmap::SizeIsAllowed(h.width, h.height))
        return Failure{QStringLiteral("The BMP picture is too large (%1 x %2 pixels).").arg(h.width).arg(h.height)};
    if (h.planes != 1)
        return Failure{QStringLiteral("The BMP file has %1 colour planes instead of 1.").arg(h.planes)};
    if (h.fileSize > size)
        return Failure{QStringLiteral("The BMP file is truncated (%1 of %2 bytes).").arg(size).arg(h.fileSize)};
    if (h.dataOffset < kFileHeaderSize + h.headerSize)
        return Failure{QStringLiteral("The BMP pixel data offset points into the header.")};
    if (h.dataOffset >= size)
        return Failure{QStringLiteral("The BMP pixel data lies beyond the end of the file.")};
    if (h.imageSize != 0 && h.imageSize > size - h.dataOffset)
        return Failure{QStringLiteral("The BMP image size field exceeds the file.")};
    if (h.xDensity > 0 && h.yDensity > 0) {
        const int64_t big = std::max(h.xDensity, h.yDensity), small = std::min(h.xDensity, h.yDensity);
        if (big / small > 100)
            return Failure{QStringLiteral("The BMP file gives an implausible pixel density.")};
    }
    if (h.compression == kJpeg && !h.os2)
        return Failure{QStringLiteral("BMP files holding JPEG or PNG data are not supported.")};
    if (h.compression == kPng)
        return Failure{QStringLiteral("BMP files holding JPEG or PNG data are not supported.")};
    const uint16_t b = h.bitCount;
    if (b != 1 && b != 2 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32)
        return Failure{QStringLiteral("Unsupported BMP depth of %1 bits per pixel.").arg(b)};
    if (h.os2 && h.compression == 3)
        return Failure{QStringLiteral("Huffman compressed BMP files are not supported.")};
    if (h.os2 && h.compression == 4)
        return Failure{QStringLiteral("RLE24 compressed BMP files are not supported.")};
    switch (h.compression) {
    case kRgb:
        break;
    case kRle8:
    case kRle4:
        if ((h.compression == kRle8 && b != 8) || (h.compression == kRle4 && b != 4))
            return Failure{QStringLiteral("The BMP compression does not fit its depth.")};
        if (h.topDown)
            return Failure{QStringLiteral("A compressed BMP file cannot be stored top-down.")};
        break;
    case kBitFields:
    case kAlphaBitFields:
        if (b != 16 && b != 32)
            return Failure{QStringLiteral("The BMP compression does not fit its depth.")};
        break;
    case kJpeg:
    case kPng:
        return Failure{QStringLiteral("BMP files holding JPEG or PNG data are not supported.")};
    default:
        return Failure{QStringLiteral("Unknown BMP compression %1.").arg(h.compression)};
    }
    return std::nullopt;
}

// --- colour table and masks ------------------------------------------------------

std::optional<Failure> ReadColorTable(const uint8_t *data, std::size_t size, const Header &h,
                                      std::vector<Pixel> &table)
{
    if (h.bitCount > 8)
        return std::nullopt;
    const std::size_t entrySize = h.core ? 3 : 4;
    std::size_t start = kFileHeaderSize + h.headerSize;
    if (h.compression == kBitFields && !h.os2 && h.headerSize == 40)
        start += 12;
    const uint64_t full = uint64_t(1) << h.bitCount;
    const std::size_t room = (size - std::min(size, start)) / entrySize;
    if (!h.core && h.colorsUsed > room)
        return Failure{QStringLiteral("The BMP colour table is larger than the file.")};
    uint64_t count = h.colorsUsed == 0 || h.core ? full : h.colorsUsed;
    if (h.dataOffset > start) {
        // A table cut short by the pixel data offset (seen in the wild).
        count = std::min<uint64_t>(count, (h.dataOffset - start) / entrySize);
    }
    count = std::min<uint64_t>(count, room);
    if (count == 0)
        return Failure{QStringLiteral("The BMP file has no colour table.")};
    count = std::min(count, full);
    table.resize(std::size_t(count));
    for (std::size_t i = 0; i < table.size(); ++i) {
        const uint8_t *e = data + start + i * entrySize;
        table[i] = MakePixel(e[2], e[1], e[0]);
    }
    return std::nullopt;
}

bool MaskIsContiguous(uint32_t mask)
{
    if (mask == 0)
        return false;
    const uint32_t shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0;
}

std::optional<Failure> ReadMasks(const uint8_t *data, std::size_t size, Header &h)
{
    if (h.bitCount != 16 && h.bitCount != 32)
        return std::nullopt;
    if (h.compression == kRgb) {
        if (h.bitCount == 16) {
            h.masks[0] = 0x7C00;
            h.masks[1] = 0x03E0;
            h.masks[2] = 0x001F;
        } else {
            h.masks[0] = 0x00FF0000;
            h.masks[1] = 0x0000FF00;
            h.masks[2] = 0x000000FF;
        }
        h.masks[3] = 0;
        h.hasAlphaMask = false;
        return std::nullopt;
    }
    if (h.headerSize == 40) {
        const int count = h.compression == kAlphaBitFields ? 4 : 3;
        const std::size_t at = kFileHeaderSize + 40;
        if (size < at + 4 * std::size_t(count))
            return Failure{QStringLiteral("The BMP file is truncated in its colour masks.")};
        for (int i = 0; i < count; ++i)
            h.masks[i] = U32(data + at + 4 * i);
        h.hasAlphaMask = count == 4;
    }
    if (h.bitCount == 16) {
        for (auto &m : h.masks)
            m &= 0xFFFF;
    }
    for (int i = 0; i < 3; ++i) {
        if (!MaskIsContiguous(h.masks[i]))
            return Failure{QStringLiteral("The BMP colour masks are invalid.")};
    }
    if (h.masks[3] != 0 && !MaskIsContiguous(h.masks[3]))
        return Failure{QStringLiteral("The BMP colour masks are invalid.")};
    if ((h.masks[0] & h.masks[1]) || (h.masks[0] & h.masks[2]) || (h.masks[1] & h.masks[2]) ||
        ((h.masks[0] | h.masks[1] | h.masks[2]) & h.masks[3]))
        return Failure{QStringLiteral("The BMP colour masks overlap.")};
    h.hasAlphaMask = h.masks[3] != 0;
    return std::nullopt;
}

// --- pixels --------------------------------------------------------------------------

// One colour channel taken out by a mask and scaled to 8 bits, rounded.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint64_t max = 0;
    explicit Channel(uint32_t m) : mask(m)
    {
        if (m) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    uint8_t Get(uint32_t v) const
    {
        if (max == 0)
            return 255;
        return uint8_t((((v & mask) >> shift) * 255 + max / 2) / max);
    }
};

uint64_t RowStride(const Header &h)
{
    return ((uint64_t(h.width) * h.bitCount + 31) / 32) * 4;
}

// Up to this many pixels per byte of compressed data (or 1 megapixel in
// all): far above what real RLE pictures need, and it keeps a tiny file from
// asking for a huge bitmap.
constexpr uint64_t kMaxRlePixelsPerByte = 1024;
constexpr uint64_t kRleFreePixels = uint64_t(1) << 20;

// The pixel data must be there before the bitmap is allocated.
std::optional<Failure> CheckPixelData(const Header &h, std::size_t size)
{
    const uint64_t available = size - h.dataOffset;
    const uint64_t pixels = uint64_t(h.width) * uint64_t(h.height);
    if (h.compression == kRle4 || h.compression == kRle8) {
        if (pixels > kRleFreePixels && pixels / kMaxRlePixelsPerByte > available)
            return Failure{QStringLiteral("The BMP compressed data is too short for its picture size.")};
        return std::nullopt;
    }
    if (RowStride(h) * uint64_t(h.height) > available)
        return Failure{QStringLiteral("The BMP file is truncated in its pixel data.")};
    return std::nullopt;
}

std::optional<Failure> DecodeRows(const uint8_t *data, const Header &h,
                                  const std::vector<Pixel> &table, Bitmap &out)
{
    const int width = int(h.width), height = int(h.height);
    const uint64_t stride = RowStride(h);
    const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]);
    const Channel alpha(h.hasAlphaMask ? h.masks[3] : 0);
    for (int r = 0; r < height; ++r) {
        const uint8_t *src = data + h.dataOffset + stride * uint64_t(r);
        Pixel *dst = out.Row(h.topDown ? r : height - 1 - r);
        switch (h.bitCount) {
        case 1:
        case 2:
        case 4:
        case 8: {
            const int bits = h.bitCount;
            const int perByte = 8 / bits;
            const uint8_t valueMask = uint8_t((1 << bits) - 1);
            for (int x = 0; x < width; ++x) {
                const int shift = 8 - bits * (x % perByte + 1);
                const std::size_t index = (src[x / perByte] >> shift) & valueMask;
                if (index >= table.size())
                    return Failure{QStringLiteral("The BMP pixels use colours beyond the colour table.")};
                dst[x] = table[index];
            }
            break;
        }
        case 16:
        case 32: {
            const int bytes = h.bitCount / 8;
            for (int x = 0; x < width; ++x) {
                const uint8_t *p = src + std::size_t(x) * bytes;
                const uint32_t v = bytes == 2 ? U16(p) : U32(p);
                dst[x] = MakePixel(red.Get(v), green.Get(v), blue.Get(v), alpha.Get(v));
            }
            break;
        }
        case 24:
            for (int x = 0; x < width; ++x) {
                const uint8_t *p = src + std::size_t(x) * 3;
                dst[x] = MakePixel(p[2], p[1], p[0]);
            }
            break;
        default:
            break;
        }
    }
    return std::nullopt;
}

// RLE8 and RLE4. Pixels left out by deltas or early ends stay black. A run
// that would pass the end of a row or of the picture is refused; data that
// ends without an end-of-bitmap code ends the picture.
std::optional<Failure> DecodeRle(const uint8_t *data, std::size_t size, const Header &h,
                                 const std::vector<Pixel> &table, Bitmap &out)
{
    const bool four = h.compression == kRle4;
    const int64_t width = h.width, height = h.height;
    std::size_t pos = h.dataOffset;
    const std::size_t end = h.imageSize != 0 ? std::min<std::size_t>(size, pos + h.imageSize) : size;
    int64_t x = 0, y = 0;  // y counts rows from the bottom
    const Failure overrun{QStringLiteral("The BMP compressed data runs past the picture.")};
    const Failure badIndex{QStringLiteral("The BMP pixels use colours beyond the colour table.")};
    auto put = [&](std::size_t index) -> bool {
        if (index >= table.size())
            return false;
        out.Set(int(x), int(height - 1 - y), table[index]);
        ++x;
        return true;
    };
    while (pos + 2 <= end) {
        const uint8_t count = data[pos], value = data[pos + 1];
        pos += 2;
        if (count > 0) {
            if (y >= height || x + count > width)
                return overrun;
            for (int i = 0; i < count; ++i) {
                const std::size_t index = four ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value;
                if (!put(index))
                    return badIndex;
            }
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            return std::nullopt;
        } else if (value == 2) {  // delta
            if (pos + 2 > end)
                return Failure{QStringLiteral("The BMP compressed data is truncated.")};
            x += data[pos];
            y += data[pos + 1];
            pos += 2;
            if (x > width || y > height)
                return overrun;
        } else {  // absolute run of `value` pixels, padded to 16 bits
            const std::size_t bytes = four ? (value + 1u) / 2 : value;
            const std::size_t padded = (bytes + 1) & ~std::size_t(1);
            if (pos + padded > end)
                return Failure{QStringLiteral("The BMP compressed data is truncated.")};
            if (y >= height || x + value > width)
                return overrun;
            for (int i = 0; i < value; ++i) {
                const uint8_t byte = data[pos + (four ? std::size_t(i / 2) : std::size_t(i))];
                const std::size_t index = four ? (i % 2 == 0 ? byte >> 4 : byte & 0x0F) : byte;
                if (!put(index))
                    return badIndex;
            }
            pos += padded;
        }
    }
    return std::nullopt;
}

int ResultBitCount(const Header &h)
{
    switch (h.bitCount) {
    case 1: return 1;
    case 2:
    case 4: return 4;
    case 8: return 8;
    case 32: return 32;
    default: return h.hasAlphaMask ? 32 : 24;
    }
}

BmpResult Fail(const Failure &f)
{
    BmpResult result;
    result.error = f.text;
    return result;
}

}  // namespace

BmpResult DecodeBmp(const uint8_t *data, std::size_t size)
{
    if (data == nullptr)
        size = 0;
    Header h;
    std::vector<Pixel> table;
    if (auto f = ParseHeaders(data, size, h))
        return Fail(*f);
    if (auto f = CheckHeader(h, size))
        return Fail(*f);
    if (auto f = ReadMasks(data, size, h))
        return Fail(*f);
    if (auto f = ReadColorTable(data, size, h, table))
        return Fail(*f);
    if (auto f = CheckPixelData(h, size))
        return Fail(*f);
    BmpResult result;
    result.bitmap = Bitmap(int(h.width), int(h.height), ResultBitCount(h));
    if (h.compression == kRle4 || h.compression == kRle8) {
        result.bitmap.Fill(MakePixel(0, 0, 0));
        if (auto f = DecodeRle(data, size, h, table, result.bitmap))
            return Fail(*f);
    } else if (auto f = DecodeRows(data, h, table, result.bitmap)) {
        return Fail(*f);
    }
    if (h.bitCount <= 8)
        result.bitmap.ColorTable() = table;
    return result;
}

BmpResult DecodeBmp(const QByteArray &data)
{
    return DecodeBmp(reinterpret_cast<const uint8_t *>(data.constData()), std::size_t(data.size()));
}

BmpResult ReadBmp(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(Failure{QStringLiteral("Cannot open \"%1\": %2").arg(path, file.errorString())});
    // Larger than any picture a bitmap may hold, plus headers and tables.
    constexpr qint64 kMaxFileSize = Bitmap::kMaxPixels * 4 + (qint64(1) << 20);
    if (file.size() > kMaxFileSize)
        return Fail(Failure{QStringLiteral("The BMP file \"%1\" is too large.").arg(path)});
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Fail(Failure{QStringLiteral("Cannot read \"%1\": %2").arg(path, file.errorString())});
    return DecodeBmp(bytes);
}

}  // namespace pellimore
