#pragma once

// The GIF frame reader: walks a GIF file's block structure without decoding
// any image data, records every image (frame) with its byte range and
// attributes, and hands the platform picture loader a one-frame GIF (the
// file's header bytes, the frame's bytes and a trailer) to get the frame's
// picture. The file stays open, read-only, while it is loaded; frames are
// read from it on demand.

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "platform/raster/Bitmap.h"
#include "wallpaper/codecs/clsGIFframe.h"

namespace pellimore {

// The failure of ReadGifFile when the file holds fewer bytes than asked for
// (error 53, source "ReadGifFile", "End of File").
class GifEndOfFile : public std::runtime_error {
public:
    GifEndOfFile() : std::runtime_error("End of File") {}
    static constexpr int kNumber = 53;
    static constexpr const char *kSource = "ReadGifFile";
};

// Reads a GIF file's bytes at a current position, checking every read and
// every skip against the end of the data.
class GifByteReader {
public:
    explicit GifByteReader(QIODevice &device);

    int64_t Size() const { return size_; }
    int64_t Position() const { return position_; }
    // Moves to an absolute offset; past the end of the data is an End of File.
    void Seek(int64_t offset);
    void Skip(int64_t count);

    // count bytes at the current position, as characters.
    QByteArray ReadGifFile(int count);
    // count bytes (1 to 4) at the current position as a little-endian number.
    uint32_t ReadGifNumber(int count);
    uint8_t ReadByte() { return uint8_t(ReadGifNumber(1)); }

    // Reads length bytes and steps over the sub-blocks they announce, up to
    // and including the 0 terminator.
    void SkipSubBlocks();

private:
    QIODevice &device_;
    int64_t size_ = 0;
    int64_t position_ = 0;
};

// (value AND mask) shifted right until the mask's lowest set bit is bit 0:
// mask 128 gives a flag, 7 a table size, 28 the disposal method.
constexpr int BitField(int value, int mask)
{
    if (mask == 0)
        return 0;
    int shifted = value & mask;
    while ((mask & 1) == 0) {
        mask >>= 1;
        shifted >>= 1;
    }
    return shifted;
}

// Entries of a colour table whose size bits are N: 2^(N+1).
constexpr int ColorTableEntries(int sizeBits) { return 2 << (sizeBits & 7); }

// The colour (COLORREF, the table's first byte is red) of index in the colour
// table at tablePosition with size bits N. A negative index is returned
// unchanged; an index beyond the table gives 0. The reader's position is kept.
int32_t ColorFromTable(GifByteReader &reader, int64_t tablePosition, int32_t index, int sizeBits);

// The header record of a GIF: what its logical screen and first blocks say.
struct GifHeader {
    QByteArray version;             // the six signature characters as stored
    int logicalWidth = 0;           // grown to the widest frame
    int logicalHeight = 0;          // grown to the tallest frame
    int screenWidth = 0;            // as the logical screen descriptor says
    int screenHeight = 0;
    ColorRef windowBkgColor = 0;    // 0 without a global colour table
    int loopCount = -1;             // -1 none, 0 endless, n loops
    bool hasRestorePrevious = false;  // some frame uses disposal 3
    int64_t headerLength = 0;       // bytes before the first frame
    // The header's last byte is the 0x21 introducer of the first frame's
    // graphic control extension (frames that begin with one start at its label).
    bool headerEndsWithIntroducer = false;
};

// What the block walk found.
struct GifStructure {
    GifHeader header;
    std::vector<clsGIFframe> frames;
};

// Limits that keep a hostile file from taking unbounded memory.
struct GifLimits {
    int maxFrames = 65535;
};

// Walks a GIF's blocks from the start of device. Returns the structure, or
// nothing with the reason in *error (an End of File, a wrong signature, too
// many frames, no image at all).
std::optional<GifStructure> ReadGifStructure(QIODevice &device, QString *error = nullptr,
                                             const GifLimits &limits = GifLimits());

// A loaded GIF: its structure, the open file and the header bytes.
class GifFile {
public:
    GifFile() = default;
    ~GifFile();
    GifFile(const GifFile &) = delete;
    GifFile &operator=(const GifFile &) = delete;
    GifFile(GifFile &&) noexcept;
    GifFile &operator=(GifFile &&) noexcept;

    // Reads the file's structure. On success the previous GIF is closed and
    // replaced and the file stays open; on failure nothing changes and the
    // reason is in *error.
    bool Load(const QString &path, QString *error = nullptr, const GifLimits &limits = GifLimits());
    // The same for a GIF held by an open, readable device (a file or a
    // buffer), which the GifFile keeps; name stands for the file name.
    bool Load(std::unique_ptr<QIODevice> device, const QString &name, QString *error = nullptr,
              const GifLimits &limits = GifLimits());
    // Closes the file and forgets everything.
    void Unload();

    bool IsLoaded() const { return file_ != nullptr; }
    const QString &FileName() const { return fileName_; }
    const GifHeader &Header() const { return header_; }
    GifHeader &Header() { return header_; }
    const QByteArray &HeaderBytes() const { return headerBytes_; }
    int FrameCount() const { return int(frames_.size()); }
    std::vector<clsGIFframe> &Frames() { return frames_; }
    const std::vector<clsGIFframe> &Frames() const { return frames_; }
    // Frame index (1-based), or null outside 1..FrameCount().
    clsGIFframe *Frame(int index);
    const clsGIFframe *Frame(int index) const;
    int64_t LargestFrameLength() const;

    // The one-frame GIF of frame index (1-based): the header bytes, the
    // frame's bytes and a trailer byte, with the logical screen and the image
    // descriptor set so that the picture is exactly the frame. Nothing for an
    // index outside 1..FrameCount() or when the file cannot be read.
    std::optional<QByteArray> SingleFrameGif(int index) const;
    // The frame's picture from the platform picture loader (transparent
    // pixels have alpha 0), or a null bitmap when it cannot be made (a
    // zero-sized frame, image data the loader refuses).
    Bitmap FrameImage(int index) const;

    // The whole file as stored (for saving the control's properties).
    std::optional<QByteArray> FileBytes() const;

private:
    std::unique_ptr<QIODevice> file_;
    QString fileName_;
    GifHeader header_;
    std::vector<clsGIFframe> frames_;
    QByteArray headerBytes_;
};

}  // namespace pellimore
