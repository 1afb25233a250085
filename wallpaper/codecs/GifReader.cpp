#include "wallpaper/codecs/GifReader.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>

#include <algorithm>

#include "platform/imageio/PictureLoader.h"

namespace pellimore {

namespace {

constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kTrailer = 0x3B;
constexpr uint8_t kApplicationLabel = 0xFF;
constexpr uint8_t kGraphicControlLabel = 0xF9;
// Logical screen: signature (6), width and height (2 each), packed byte,
// background index, aspect ratio; the global colour table follows.
constexpr int64_t kScreenWidthOffset = 6;
constexpr int64_t kBackgroundIndexOffset = 11;
constexpr int64_t kGlobalTableOffset = 13;
constexpr int64_t kMinimumFileSize = 20;

int64_t ColorTableBytes(int sizeBits) { return 3 * int64_t(ColorTableEntries(sizeBits)); }

// The walk over one file: the rules for each block, with the frame being
// built and the frames done so far.
class BlockWalk {
public:
    BlockWalk(GifByteReader &reader, const GifLimits &limits) : reader_(reader), limits_(limits) {}

    // Throws GifEndOfFile; returns false (with *error) for other refusals.
    bool Run(GifStructure &out, QString *error);

private:
    void ReadLogicalScreen();
    void ApplicationExtension();
    void GraphicControlExtension(int64_t introducerOffset);
    bool ImageDescriptor(int64_t separatorOffset, QString *error);

    GifByteReader &reader_;
    const GifLimits &limits_;
    GifHeader header_;
    std::vector<clsGIFframe> frames_;
    std::optional<clsGIFframe> pending_;  // started by a graphic control extension
    int32_t pendingTransparentIndex_ = -1;
    bool headerLengthKnown_ = false;
    bool hasGlobalTable_ = false;
    int globalSizeBits_ = 0;
};

void BlockWalk::ReadLogicalScreen()
{
    reader_.Seek(kScreenWidthOffset);
    header_.screenWidth = int(reader_.ReadGifNumber(2));
    header_.screenHeight = int(reader_.ReadGifNumber(2));
    header_.logicalWidth = header_.screenWidth;
    header_.logicalHeight = header_.screenHeight;
    const int packed = reader_.ReadByte();
    hasGlobalTable_ = BitField(packed, 128) != 0;
    globalSizeBits_ = BitField(packed, 7);
    if (hasGlobalTable_) {
        reader_.Seek(kBackgroundIndexOffset);
        const int32_t index = reader_.ReadByte();
        const int32_t color = ColorFromTable(reader_, kGlobalTableOffset, index, globalSizeBits_);
        header_.windowBkgColor = color < 0 ? 0 : ColorRef(color);
        reader_.Seek(kGlobalTableOffset + ColorTableBytes(globalSizeBits_));
    } else {
        header_.windowBkgColor = 0;
        reader_.Seek(kGlobalTableOffset);
    }
}

void BlockWalk::ApplicationExtension()
{
    // The loop count counts only before the first frame; later application
    // blocks are skipped like any other extension.
    if (frames_.empty()) {
        reader_.Skip(1);  // block length, taken to be 11
        const QByteArray identifier = reader_.ReadGifFile(8).toUpper();
        reader_.Skip(3);  // authentication code
        if (identifier == "NETSCAPE") {
            const int length = reader_.ReadByte();
            if (length == 3) {
                reader_.Skip(1);  // sub-block id
                const int loops = int(reader_.ReadGifNumber(2));
                header_.loopCount = loops < 1 ? 0 : loops;
            } else {
                reader_.Seek(reader_.Position() - 1);
            }
        }
    }
    reader_.SkipSubBlocks();
}

void BlockWalk::GraphicControlExtension(int64_t introducerOffset)
{
    if (!headerLengthKnown_) {
        header_.headerLength = introducerOffset + 1;  // the header ends with this 0x21
        header_.headerEndsWithIntroducer = true;
        headerLengthKnown_ = true;
    }
    clsGIFframe frame;
    frame.SetFrameStart(introducerOffset + 1);
    frame.SetStartsWithControlExtension(true);
    const int64_t lengthOffset = reader_.Position();
    const int blockLength = reader_.ReadByte();
    const int packed = reader_.ReadByte();
    frame.SetFrameDisposal(BitField(packed, 28));
    if (frame.FrameDisposal() == 3)
        header_.hasRestorePrevious = true;
    frame.SetisTransparent(BitField(packed, 1) != 0);
    frame.SetframeDelay(int64_t(reader_.ReadGifNumber(2)) * 10);
    pendingTransparentIndex_ = frame.isTransparent() ? int32_t(reader_.ReadByte()) : -1;
    // Continue after the block as its length byte declares it, then after
    // the terminator.
    reader_.Seek(lengthOffset + 1 + blockLength);
    reader_.SkipSubBlocks();
    pending_ = frame;
}

bool BlockWalk::ImageDescriptor(int64_t separatorOffset, QString *error)
{
    clsGIFframe frame;
    if (pending_) {
        frame = *pending_;
        pending_.reset();
    } else {
        if (!headerLengthKnown_) {
            header_.headerLength = separatorOffset;
            headerLengthKnown_ = true;
        }
        frame.SetFrameStart(separatorOffset);
    }
    frame.SetDescriptorOffset(separatorOffset);
    frame.SetFrameLeft(int(reader_.ReadGifNumber(2)));
    frame.SetFrameTop(int(reader_.ReadGifNumber(2)));
    frame.SetFrameWidth(int(reader_.ReadGifNumber(2)));
    frame.SetFrameHeight(int(reader_.ReadGifNumber(2)));
    const int packed = reader_.ReadByte();
    const bool hasLocalTable = BitField(packed, 128) != 0;
    const int localSizeBits = BitField(packed, 7);
    const int64_t localTable = reader_.Position();
    if (hasLocalTable)
        reader_.Skip(ColorTableBytes(localSizeBits));
    reader_.Skip(1);  // LZW minimum code size

    if (frame.isTransparent()) {
        int32_t color = pendingTransparentIndex_;
        if (hasLocalTable)
            color = ColorFromTable(reader_, localTable, pendingTransparentIndex_, localSizeBits);
        else if (hasGlobalTable_)
            color = ColorFromTable(reader_, kGlobalTableOffset, pendingTransparentIndex_, globalSizeBits_);
        frame.SetFrameTransparentColor(color);
    } else {
        frame.SetFrameTransparentColor(-1);
    }
    reader_.SkipSubBlocks();
    frame.SetFrameEnd(reader_.Position());  // just after the data terminator
    if (int(frames_.size()) >= limits_.maxFrames) {
        if (error)
            *error = QStringLiteral("More than %1 frames").arg(limits_.maxFrames);
        return false;
    }
    frames_.push_back(frame);
    pendingTransparentIndex_ = -1;
    return true;
}

bool BlockWalk::Run(GifStructure &out, QString *error)
{
    ReadLogicalScreen();
    for (;;) {
        const int64_t offset = reader_.Position();
        const uint8_t introducer = reader_.ReadByte();
        if (introducer == 0x00)
            continue;
        if (introducer == kExtensionIntroducer) {
            const uint8_t label = reader_.ReadByte();
            if (label == kApplicationLabel)
                ApplicationExtension();
            else if (label == kGraphicControlLabel)
                GraphicControlExtension(offset);
            else
                reader_.SkipSubBlocks();
        } else if (introducer == kImageSeparator) {
            if (!ImageDescriptor(offset, error))
                return false;
        } else if (introducer == kTrailer) {
            break;
        } else {
            reader_.SkipSubBlocks();
        }
    }
    if (frames_.empty()) {
        if (error)
            *error = QStringLiteral("No image in the file");
        return false;
    }
    for (const clsGIFframe &frame : frames_) {
        header_.logicalWidth = std::max(header_.logicalWidth, frame.FrameWidth());
        header_.logicalHeight = std::max(header_.logicalHeight, frame.FrameHeight());
    }
    if (frames_.size() > 1 && header_.loopCount == -1)
        header_.loopCount = 0;
    out.header = std::move(header_);
    out.frames = std::move(frames_);
    return true;
}

bool SignatureIsGif(const QByteArray &signature)
{
    const QByteArray lower = signature.toLower();
    return lower == "gif89a" || lower == "gif87a";
}

void PutLittleEndian16(QByteArray &bytes, int64_t offset, int value)
{
    bytes[qsizetype(offset)] = char(value & 0xFF);
    bytes[qsizetype(offset + 1)] = char((value >> 8) & 0xFF);
}

}  // namespace

// --- GifByteReader ------------------------------------------------------------

GifByteReader::GifByteReader(QIODevice &device) : device_(device), size_(device.size())
{
    device_.seek(0);
}

void GifByteReader::Seek(int64_t offset)
{
    if (offset < 0 || offset > size_ || !device_.seek(offset))
        throw GifEndOfFile();
    position_ = offset;
}

void GifByteReader::Skip(int64_t count)
{
    if (count < 0 || count > size_ - position_)
        throw GifEndOfFile();
    Seek(position_ + count);
}

QByteArray GifByteReader::ReadGifFile(int count)
{
    if (count < 0 || count > size_ - position_)
        throw GifEndOfFile();
    QByteArray bytes = device_.read(count);
    if (bytes.size() != count)
        throw GifEndOfFile();
    position_ += count;
    return bytes;
}

uint32_t GifByteReader::ReadGifNumber(int count)
{
    count = std::clamp(count, 1, 4);
    const QByteArray bytes = ReadGifFile(count);
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | uint8_t(bytes[i]);
    return value;
}

void GifByteReader::SkipSubBlocks()
{
    for (int length = ReadByte(); length != 0; length = ReadByte())
        Skip(length);
}

int32_t ColorFromTable(GifByteReader &reader, int64_t tablePosition, int32_t index, int sizeBits)
{
    if (index < 0)
        return index;
    if (index >= ColorTableEntries(sizeBits))
        return 0;
    const int64_t saved = reader.Position();
    reader.Seek(tablePosition + 3 * int64_t(index));
    const QByteArray rgb = reader.ReadGifFile(3);
    reader.Seek(saved);
    return int32_t(Rgb(uint8_t(rgb[0]), uint8_t(rgb[1]), uint8_t(rgb[2])));
}

std::optional<GifStructure> ReadGifStructure(QIODevice &device, QString *error, const GifLimits &limits)
{
    try {
        GifByteReader reader(device);
        const QByteArray signature = reader.ReadGifFile(6);
        if (!SignatureIsGif(signature)) {
            if (error)
                *error = QStringLiteral("Not a GIF file");
            return std::nullopt;
        }
        GifStructure structure;
        BlockWalk walk(reader, limits);
        if (!walk.Run(structure, error))
            return std::nullopt;
        structure.header.version = signature;
        return structure;
    } catch (const GifEndOfFile &) {
        if (error)
            *error = QStringLiteral("End of File");
        return std::nullopt;
    }
}

// --- GifFile ------------------------------------------------------------------

GifFile::~GifFile() = default;
GifFile::GifFile(GifFile &&) noexcept = default;
GifFile &GifFile::operator=(GifFile &&) noexcept = default;

bool GifFile::Load(const QString &path, QString *error, const GifLimits &limits)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        if (error)
            *error = QStringLiteral("No such file");
        return false;
    }
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        if (error)
            *error = file->errorString();
        return false;
    }
    return Load(std::move(file), path, error, limits);
}

bool GifFile::Load(std::unique_ptr<QIODevice> device, const QString &name, QString *error, const GifLimits &limits)
{
    if (!device || !device->isReadable() || device->size() < kMinimumFileSize) {
        if (error)
            *error = QStringLiteral("The file is too short to be a GIF");
        return false;
    }
    std::optional<GifStructure> structure = ReadGifStructure(*device, error, limits);
    if (!structure)
        return false;
    QByteArray headerBytes;
    if (device->seek(0))
        headerBytes = device->read(structure->header.headerLength);
    if (headerBytes.size() != structure->header.headerLength) {
        if (error)
            *error = QStringLiteral("End of File");
        return false;
    }
    Unload();
    file_ = std::move(device);
    fileName_ = name;
    header_ = std::move(structure->header);
    frames_ = std::move(structure->frames);
    headerBytes_ = std::move(headerBytes);
    return true;
}

void GifFile::Unload()
{
    if (file_)
        file_->close();
    file_.reset();
    fileName_.clear();
    header_ = GifHeader();
    frames_.clear();
    headerBytes_.clear();
}

clsGIFframe *GifFile::Frame(int index)
{
    if (index < 1 || index > FrameCount())
        return nullptr;
    return &frames_[std::size_t(index - 1)];
}

const clsGIFframe *GifFile::Frame(int index) const
{
    if (index < 1 || index > FrameCount())
        return nullptr;
    return &frames_[std::size_t(index - 1)];
}

int64_t GifFile::LargestFrameLength() const
{
    int64_t largest = 0;
    for (const clsGIFframe &frame : frames_)
        largest = std::max(largest, frame.FrameLength());
    return largest;
}

std::optional<QByteArray> GifFile::SingleFrameGif(int index) const
{
    const clsGIFframe *frame = Frame(index);
    if (!frame || !file_)
        return std::nullopt;
    const int64_t length = frame->FrameLength();
    const int64_t descriptor = frame->DescriptorOffset() - frame->FrameStart();
    if (length <= 0 || descriptor < 0 || descriptor + 10 > length)
        return std::nullopt;
    if (!file_->seek(frame->FrameStart()))
        return std::nullopt;
    QByteArray body = file_->read(length);
    if (body.size() != length)
        return std::nullopt;

    QByteArray gif = headerBytes_;
    // The header ends with the first graphic control extension's introducer
    // when the first frame has one; a frame must follow it with its own
    // extension label, or the introducer has to go (and the other way round).
    if (header_.headerEndsWithIntroducer && !frame->StartsWithControlExtension())
        gif.chop(1);
    else if (!header_.headerEndsWithIntroducer && frame->StartsWithControlExtension())
        gif.append(char(kExtensionIntroducer));
    if (gif.size() < kGlobalTableOffset)
        return std::nullopt;
    gif.replace(0, 6, "GIF" + header_.version.mid(3).toLower());  // as the loader expects it
    // The picture is the frame alone: the logical screen is the frame's size
    // and the image sits at its top-left corner.
    PutLittleEndian16(gif, kScreenWidthOffset, frame->FrameWidth());
    PutLittleEndian16(gif, kScreenWidthOffset + 2, frame->FrameHeight());
    PutLittleEndian16(body, descriptor + 1, 0);
    PutLittleEndian16(body, descriptor + 3, 0);
    gif.reserve(gif.size() + body.size() + 1);
    gif.append(body);
    gif.append(char(kTrailer));
    return gif;
}

Bitmap GifFile::FrameImage(int index) const
{
    const clsGIFframe *frame = Frame(index);
    if (!frame || frame->FrameWidth() <= 0 || frame->FrameHeight() <= 0)
        return Bitmap();
    const std::optional<QByteArray> gif = SingleFrameGif(index);
    if (!gif)
        return Bitmap();
    PictureResult picture = LoadPictureFromData(*gif);
    if (!picture.Ok())
        return Bitmap();
    return std::move(picture.bitmap);
}

std::optional<QByteArray> GifFile::FileBytes() const
{
    if (!file_ || !file_->seek(0))
        return std::nullopt;
    QByteArray bytes = file_->readAll();
    if (bytes.size() != file_->size())
        return std::nullopt;
    return bytes;
}

}  // namespace pellimore
