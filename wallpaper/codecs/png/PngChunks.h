#pragma once

// The chunk stage: walks the chunks of a PNG file held in memory, checks their
// CRCs as each chunk type requires, validates the header and keeps what the
// later stages and the properties need. Nothing here allocates more than the
// file itself holds.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/raster/Bitmap.h"
#include "wallpaper/codecs/png/PngFormat.h"

namespace pellimore::png {

// crc32 over `length` bytes, as zlib computes it (starting from 0).
using CrcFunction = uint32_t (*)(const uint8_t *data, std::size_t length, void *context);

struct PngTransparency {
    enum class Kind { None, GreyKey, RgbKey, Table };
    Kind kind = Kind::None;
    std::array<uint16_t, 3> key{};  // grey in [0]; red, green, blue for RGB keys
    std::vector<uint8_t> table;     // palette alphas as stored, at most 256
};

struct PngPhysical {
    uint32_t x = 0, y = 0;
    uint8_t unit = 0;
};
struct PngOffsets {
    int32_t x = 0, y = 0;
    uint8_t unit = 0;
};
struct PngTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
struct PngTextChunk {
    bool compressed = false;  // zTXt
    std::vector<uint8_t> data;
};

// The ancillary values kept for the properties (read only with ValidateAllData).
struct PngAncillary {
    std::optional<uint32_t> gamma;
    std::optional<std::array<uint32_t, 8>> chromaticity;
    std::optional<PngPhysical> physical;
    std::optional<PngOffsets> offsets;
    std::optional<PngTime> time;
    int standardRgb = 0;  // rendering intent + 1, 0 without a usable sRGB chunk
    std::vector<PngTextChunk> texts;
};

struct PngChunkData {
    bool hasHeader = false;
    PngHeader header;
    std::vector<uint8_t> palette;          // PLTE bytes, whole entries, at most 256 of them
    PngTransparency transparency;
    std::optional<ColorRef> background;    // bKGD
    PngAncillary ancillary;
    std::vector<std::span<const uint8_t>> imageData;  // the IDAT payloads, in file order
    int64_t imageDataBytes = 0;
};

struct PngLimits {
    // Largest pixel count of an image; larger ones are "too large to process".
    int64_t maxPixels = Bitmap::kMaxPixels;
};

enum class ChunkStatus { Ok, Truncated, Invalid };

struct ChunkResult {
    ChunkStatus status = ChunkStatus::Ok;
    const char *message = nullptr;  // for Invalid: the text to show
};

// Walks the chunks after the signature. `file` must hold the whole file and
// outlive `out` (imageData points into it).
ChunkResult ReadChunks(std::span<const uint8_t> file, bool validateAllData, const PngLimits &limits,
                       CrcFunction crc, void *crcContext, PngChunkData &out);

// Validates a header; the text of the first rule it breaks, or nullptr.
const char *CheckHeader(const PngHeader &header, const PngLimits &limits);

// True when the file is long enough and starts with the PNG signature.
bool CheckSignature(std::span<const uint8_t> file);

// A sample of `bitDepth` bits widened to 8 bits as it is displayed (16-bit
// samples by their high byte); nothing when it is out of range for the depth.
std::optional<uint8_t> SampleTo8(uint32_t sample, int bitDepth);

}  // namespace pellimore::png
