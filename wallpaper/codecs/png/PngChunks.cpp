#include "wallpaper/codecs/png/PngChunks.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "wallpaper/codecs/png/PngMessages.h"

namespace pellimore::png {

namespace {

constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();

using ChunkType = std::array<char, 4>;

bool Is(const ChunkType &type, const char (&name)[5]) { return std::memcmp(type.data(), name, 4) == 0; }

// Which chunks have their CRC checked: some always, the informative ones
// only when the caller asks to validate everything.
enum class CrcPolicy { Always, WhenValidating, Never };

struct Chunk {
    ChunkType type{};
    std::span<const uint8_t> data;
    std::span<const uint8_t> typeAndData;  // what the CRC covers
    uint32_t storedCrc = 0;
};

const char *HandleHeader(std::span<const uint8_t> d, const PngLimits &limits, PngChunkData &out)
{
    // A short IHDR would make the fields come from the bytes after it.
    if (d.size() < 13)
        return kMsgHeaderCorrupted;
    PngHeader h;
    h.width = int32_t(ReadBig32(d.data()));
    h.height = int32_t(ReadBig32(d.data() + 4));
    h.bitDepth = d[8];
    h.colorType = d[9];
    h.compression = d[10];
    h.filter = d[11];
    h.interlace = d[12];
    out.header = h;
    out.hasHeader = true;
    return CheckHeader(h, limits);
}

const char *HandlePalette(std::span<const uint8_t> d, PngChunkData &out)
{
    if (d.size() % 3 != 0)
        return kMsgPalette;
    // A palette has at most 256 entries; more cannot be indexed by any pixel.
    const std::size_t kept = std::min<std::size_t>(d.size(), 256 * 3);
    out.palette.assign(d.begin(), d.begin() + kept);
    return nullptr;
}

void HandleTransparency(std::span<const uint8_t> d, PngChunkData &out)
{
    PngTransparency &t = out.transparency;
    switch (out.header.colorType) {
    case kGrey:
        if (d.size() >= 2) {
            t = PngTransparency{};
            t.kind = PngTransparency::Kind::GreyKey;
            t.key[0] = ReadBig16(d.data());
        }
        break;
    case kRgb:
        if (d.size() >= 6) {
            t = PngTransparency{};
            t.kind = PngTransparency::Kind::RgbKey;
            for (int i = 0; i < 3; ++i)
                t.key[i] = ReadBig16(d.data() + 2 * i);
        }
        break;
    case kPalette:
        t = PngTransparency{};
        t.kind = PngTransparency::Kind::Table;
        t.table.assign(d.begin(), d.begin() + std::min<std::size_t>(d.size(), 256));
        break;
    default:
        break;  // images with an alpha channel take no tRNS
    }
}

void HandleBackground(std::span<const uint8_t> d, PngChunkData &out)
{
    const PngHeader &h = out.header;
    std::optional<ColorRef> colour;
    if (h.colorType == kRgb || h.colorType == kRgbAlpha) {
        if (d.size() >= 6) {
            const auto r = SampleTo8(ReadBig16(d.data()), h.bitDepth);
            const auto g = SampleTo8(ReadBig16(d.data() + 2), h.bitDepth);
            const auto b = SampleTo8(ReadBig16(d.data() + 4), h.bitDepth);
            if (r && g && b)
                colour = Rgb(*r, *g, *b);
        }
    } else if (h.colorType == kPalette) {
        if (!d.empty() && std::size_t(d[0]) * 3 + 3 <= out.palette.size()) {
            const uint8_t *e = out.palette.data() + std::size_t(d[0]) * 3;
            colour = Rgb(e[0], e[1], e[2]);
        }
    } else if (h.colorType == kGrey || h.colorType == kGreyAlpha) {
        if (d.size() >= 2) {
            if (const auto v = SampleTo8(ReadBig16(d.data()), h.bitDepth))
                colour = Rgb(*v, *v, *v);
        }
    }
    if (colour)
        out.background = colour;
}

void HandleInformation(const ChunkType &type, std::span<const uint8_t> d, PngAncillary &a)
{
    const uint8_t *p = d.data();
    if (Is(type, "gAMA")) {
        if (d.size() == 4)
            a.gamma = ReadBig32(p);
    } else if (Is(type, "cHRM")) {
        if (d.size() >= 32) {
            std::array<uint32_t, 8> values{};
            for (int i = 0; i < 8; ++i)
                values[i] = ReadBig32(p + 4 * i);
            a.chromaticity = values;
        }
    } else if (Is(type, "sRGB")) {
        if (!d.empty())
            a.standardRgb = p[0] <= 3 ? p[0] + 1 : 0;
    } else if (Is(type, "pHYs")) {
        if (d.size() >= 9)
            a.physical = PngPhysical{ReadBig32(p), ReadBig32(p + 4), p[8]};
    } else if (Is(type, "oFFs")) {
        if (d.size() >= 9)
            a.offsets = PngOffsets{int32_t(ReadBig32(p)), int32_t(ReadBig32(p + 4)), p[8]};
    } else if (Is(type, "tIME")) {
        if (d.size() >= 7)
            a.time = PngTime{ReadBig16(p), p[2], p[3], p[4], p[5], p[6]};
    } else if (Is(type, "tEXt") || Is(type, "zTXt")) {
        a.texts.push_back(PngTextChunk{Is(type, "zTXt"), std::vector<uint8_t>(d.begin(), d.end())});
    }
}

bool IsInformation(const ChunkType &t)
{
    return Is(t, "gAMA") || Is(t, "cHRM") || Is(t, "sRGB") || Is(t, "pHYs") || Is(t, "oFFs") || Is(t, "tIME") ||
           Is(t, "tEXt") || Is(t, "zTXt");
}

CrcPolicy PolicyOf(const ChunkType &t, uint8_t colorType)
{
    if (Is(t, "IHDR") || Is(t, "IDAT"))
        return CrcPolicy::Always;
    if (Is(t, "PLTE"))
        return (colorType == kGrey || colorType == kGreyAlpha) ? CrcPolicy::Never : CrcPolicy::Always;
    if (Is(t, "tRNS"))
        return CrcPolicy::Always;
    if (Is(t, "bKGD") || IsInformation(t))
        return CrcPolicy::WhenValidating;
    return CrcPolicy::Never;
}

}  // namespace

std::optional<uint8_t> SampleTo8(uint32_t sample, int bitDepth)
{
    switch (bitDepth) {
    case 1:
    case 2:
    case 4: {
        const uint32_t max = (1u << bitDepth) - 1;
        if (sample > max)
            return std::nullopt;
        return uint8_t(sample * (255 / max));
    }
    case 8:
        if (sample > 255)
            return std::nullopt;
        return uint8_t(sample);
    case 16:
        return uint8_t(sample >> 8);
    default:
        return std::nullopt;
    }
}

bool CheckSignature(std::span<const uint8_t> file)
{
    return int64_t(file.size()) > kMinFileBytes && std::equal(kSignature.begin(), kSignature.end(), file.begin());
}

const char *CheckHeader(const PngHeader &h, const PngLimits &limits)
{
    if (h.width < 1 || h.height < 1)
        return kMsgHeaderCorrupted;
    if (h.compression != 0)
        return kMsgCompressionFlag;
    if (h.filter != 0)
        return kMsgFilterFlag;
    if (h.bitDepth != 1 && h.bitDepth != 2 && h.bitDepth != 4 && h.bitDepth != 8 && h.bitDepth != 16)
        return kMsgBitDepthFlag;
    if (ChannelsOf(h.colorType) == 0)
        return kMsgColorTypeFlag;
    if (h.interlace > 1)
        return kMsgInterlaceFlag;
    // The 32-bit bitmap and the inflated data must both stay within 2 GiB,
    // and the pixel count within what a bitmap may hold.
    const auto pixels = CheckedMul(h.width, h.height, kInt32Max);
    if (!pixels || !CheckedMul(*pixels, 4, kInt32Max) || *pixels > limits.maxPixels ||
        !ExpectedInflatedSize(h, kInt32Max))
        return kMsgTooLarge;
    return nullptr;
}

std::optional<int64_t> ExpectedInflatedSize(const PngHeader &h, int64_t limit)
{
    const int bits = BitsPerPixel(h);
    if (h.width < 1 || h.height < 1 || bits == 0)
        return std::nullopt;
    if (h.interlace == 0) {
        const auto rowPlusFilter = CheckedAdd(RowBytes(h.width, bits), 1, limit);
        return rowPlusFilter ? CheckedMul(*rowPlusFilter, h.height, limit) : std::nullopt;
    }
    int64_t total = 0;
    for (const Adam7Pass &pass : kAdam7) {
        const int64_t w = PassExtent(h.width, pass.xStart, pass.xStep);
        const int64_t rows = PassExtent(h.height, pass.yStart, pass.yStep);
        if (w == 0 || rows == 0)
            continue;
        const auto rowPlusFilter = CheckedAdd(RowBytes(w, bits), 1, limit);
        const auto passBytes = rowPlusFilter ? CheckedMul(*rowPlusFilter, rows, limit) : std::nullopt;
        const auto sum = passBytes ? CheckedAdd(total, *passBytes, limit) : std::nullopt;
        if (!sum)
            return std::nullopt;
        total = *sum;
    }
    return total;
}

ChunkResult ReadChunks(std::span<const uint8_t> file, bool validateAllData, const PngLimits &limits,
                       CrcFunction crc, void *crcContext, PngChunkData &out)
{
    const int64_t size = int64_t(file.size());
    int64_t pos = int64_t(kSignature.size());
    for (;;) {
        // Length, type, data and CRC must all lie inside the file.
        if (size - pos < 12)
            return {ChunkStatus::Truncated, nullptr};
        const int64_t length = ReadBig32(file.data() + pos);
        if (length > size - pos - 12)
            return {ChunkStatus::Truncated, nullptr};
        Chunk chunk;
        std::memcpy(chunk.type.data(), file.data() + pos + 4, 4);
        chunk.typeAndData = file.subspan(std::size_t(pos + 4), std::size_t(length + 4));
        chunk.data = chunk.typeAndData.subspan(4);
        chunk.storedCrc = ReadBig32(file.data() + pos + 8 + length);
        pos += length + 12;

        if (Is(chunk.type, "IEND"))
            return {};
        if (length == 0)
            continue;

        const CrcPolicy policy = PolicyOf(chunk.type, out.header.colorType);
        bool crcOk = true;
        if (policy == CrcPolicy::Always || (policy == CrcPolicy::WhenValidating && validateAllData))
            crcOk = crc(chunk.typeAndData.data(), chunk.typeAndData.size(), crcContext) == chunk.storedCrc;

        const char *error = nullptr;
        if (Is(chunk.type, "IHDR")) {
            error = crcOk ? HandleHeader(chunk.data, limits, out) : kMsgHeaderCrc;
        } else if (Is(chunk.type, "PLTE")) {
            if (policy != CrcPolicy::Never)
                error = crcOk ? HandlePalette(chunk.data, out) : kMsgPaletteCrc;
        } else if (Is(chunk.type, "IDAT")) {
            if (!crcOk) {
                error = kMsgImageDataCrc;
            } else {
                out.imageData.push_back(chunk.data);
                out.imageDataBytes += length;
            }
        } else if (!crcOk) {
            continue;  // an ancillary chunk that fails its check is dropped
        } else if (Is(chunk.type, "tRNS")) {
            HandleTransparency(chunk.data, out);
        } else if (Is(chunk.type, "bKGD")) {
            HandleBackground(chunk.data, out);
        } else if (IsInformation(chunk.type)) {
            HandleInformation(chunk.type, chunk.data, out.ancillary);
        }
        if (error)
            return {ChunkStatus::Invalid, error};
    }
}

}  // namespace pellimore::png
