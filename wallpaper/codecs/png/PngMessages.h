#pragma once

// Every text and title the decoder shows, in one place.

namespace pellimore::png {

inline constexpr char kTitleMissingLibrary[] = "Missing Library";
inline constexpr char kTitleFileAccess[] = "Error Accessing File";
inline constexpr char kTitleInvalidFormat[] = "Invalid Format";
inline constexpr char kTitleCorruptedFile[] = "Corrupted File";
inline constexpr char kTitleInvalidPng[] = "Invalid PNG Format";
inline constexpr char kTitleApplication[] = "WallPaper Pellimore";

inline constexpr char kMsgMissingLibrary[] =
    "Cannot display PNG image. The following DLL(s) not found in your system path:";
inline constexpr char kMsgNotPng[] = "This is not a valid PNG file";
inline constexpr char kMsgCorruptedFile[] = "This PNG file is corrupted";
inline constexpr char kMsgHeaderCrc[] = "Corrupted Image Header (bad CRC). Cannot continue.";
inline constexpr char kMsgHeaderCorrupted[] = "Corrupted Image Header. Cannot continue.";
inline constexpr char kMsgCompressionFlag[] = "Invalid Compression Flag in Header. Cannot continue.";
inline constexpr char kMsgFilterFlag[] = "Invalid Filter Flag in Header. Cannot continue.";
inline constexpr char kMsgBitDepthFlag[] = "Invalid Bit Depth Flag in Header. Cannot continue.";
inline constexpr char kMsgColorTypeFlag[] = "Invalid Color Type Flag in Header. Cannot continue.";
inline constexpr char kMsgInterlaceFlag[] = "Invalid Interlacing Flag in Header. Cannot continue.";
inline constexpr char kMsgTooLarge[] = "Image is too large to process. Cannot continue.";
inline constexpr char kMsgPaletteCrc[] = "Invalid Palette (bad CRC). Cannot continue.";
inline constexpr char kMsgPalette[] = "Invalid Palette. Cannot continue.";
inline constexpr char kMsgImageDataCrc[] = "Corrupted Image Data (bad CRC). Cannot continue.";
inline constexpr char kMsgNoImageData[] = "No image data found. Cannot continue.";
inline constexpr char kMsgInflate[] = "This PNG file is not compressed correctly.";
inline constexpr char kMsgResources[] = "Resources may be too low, cannot create necessary drawing objects.";
inline constexpr char kMsgReadFailed[] = "Failed to properly read PNG image data.";

}  // namespace pellimore::png
