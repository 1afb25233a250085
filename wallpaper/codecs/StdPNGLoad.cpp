// LoadFile: the decoding pipeline of StdPNG in named stages.
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>
#include <optional>

#include "platform/raster/PictureSurface.h"
#include "platform/raster/Raster.h"
#include "platform/ui/Ui.h"
#include "wallpaper/codecs/StdPNG.h"
#include "wallpaper/codecs/png/PngBuffer.h"
#include "wallpaper/codecs/png/PngFilters.h"
#include "wallpaper/codecs/png/PngMessages.h"
#include "wallpaper/codecs/png/PngPixels.h"

namespace pellimore {

using namespace png;

namespace {

constexpr int kZOk = 0;
constexpr uint64_t kMaxDeflateRatio = 1032;
constexpr uint64_t kZlibOverhead = 1024;
constexpr int kRowsPerBlock = 16;
constexpr int64_t kMaxFileBytes = std::numeric_limits<int32_t>::max();

// Display-plan bits of the state word.
constexpr uint16_t kPlanNoTarget = 0x01;
constexpr uint16_t kPlanReplicate = 0x02;
constexpr uint16_t kPlanSparse = 0x04;
constexpr uint16_t kPlanRows = 0x08;
constexpr uint16_t kPlanOpaque = 0x10;
constexpr uint16_t kPlanForced32 = 0x20;

uint32_t ZlibCrc(const uint8_t *data, std::size_t length, void *context)
{
    return static_cast<const ZlibLibrary *>(context)->Crc32(data, length);
}

// The bitmap depth of an opaque result (see the output table); 0 for a
// colour type and depth that PNG does not define.
int OpaqueBitCount(const PngHeader &h)
{
    switch (h.colorType) {
    case kGrey: return h.bitDepth == 1 ? 1 : h.bitDepth <= 4 ? 4 : 8;
    case kPalette: return h.bitDepth == 1 ? 1 : h.bitDepth <= 4 ? 4 : h.bitDepth == 8 ? 8 : 0;
    case kRgb:
    case kGreyAlpha:
    case kRgbAlpha: return h.bitDepth >= 8 ? 24 : 0;
    default: return 0;
    }
}

}  // namespace

struct StdPNG::LoadPlan {
    bool transparent = false;  // an alpha channel, or a tRNS chunk that applies
    bool keepAlpha = false;    // the result carries the transparency
    bool forced32 = false;
    int bitCount = 0;
    std::optional<ColorRef> background;  // the chosen background
    ConversionPlan conversion;
    RowConverter convert = nullptr;
};

class StdPNG::Loader {
public:
    Loader(StdPNG &png, bool validateAllData, bool make32Bit, uint8_t alphaBlendValue)
        : png_(png), validate_(validateAllData), make32_(make32Bit), alphaBlendValue_(alphaBlendValue)
    {
    }

    bool Run(const QString &fileName)
    {
        return ReadFile(fileName) && ReadAllChunks() && Inflate() && Prepare() && Reconstruct() && Finish();
    }

private:
    bool Fail(const char *text, const char *title) { return png_.Fail(text, title); }
    void RaiseProgress(int64_t percentage)
    {
        if (png_.events_)
            png_.events_->Progress(int(percentage));
    }

    bool ReadFile(const QString &fileName)
    {
        QFile file(fileName);
        // A folder opens on Linux; the system's own words for it are used.
        const bool folder = QFileInfo(fileName).isDir();
        if (folder || !file.open(QIODevice::ReadOnly)) {
            png_.ResetImage();
            const QString reason = folder ? QString::fromLocal8Bit(std::strerror(EISDIR)) : file.errorString();
            png_.lastError_ = reason;
            png_.ui_.Message(reason, MessageIcon::Exclamation, QString::fromLatin1(kTitleFileAccess));
            return false;
        }
        const int64_t size = file.size();
        if (size > kMaxFileBytes)
            return Fail(kMsgTooLarge, kTitleInvalidPng);
        if (!file_.Allocate(std::size_t(size)))
            return Fail(kMsgTooLarge, kTitleInvalidPng);
        const int64_t got = size > 0 ? file.read(reinterpret_cast<char *>(file_.Data()), size) : 0;
        if (got != size) {
            png_.ResetImage();
            png_.lastError_ = file.errorString();
            png_.ui_.Message(png_.lastError_, MessageIcon::Exclamation, QString::fromLatin1(kTitleFileAccess));
            return false;
        }
        return true;
    }

    bool ReadAllChunks()
    {
        const std::span<const uint8_t> file(file_.Data(), file_.Size());
        if (!CheckSignature(file))
            return Fail(kMsgNotPng, kTitleInvalidFormat);
        PngChunkData &chunks = png_.chunks_;
        const ChunkResult result = ReadChunks(file, validate_, png_.options_.limits, &ZlibCrc, &png_.zlib_, chunks);
        if (result.status == ChunkStatus::Truncated)
            return Fail(kMsgCorruptedFile, kTitleCorruptedFile);
        if (result.status == ChunkStatus::Invalid)
            return Fail(result.message, kTitleInvalidPng);
        if (chunks.imageData.empty())
            return Fail(kMsgNoImageData, kTitleInvalidPng);
        // Image data without a header cannot be given a size.
        if (!chunks.hasHeader)
            return Fail(kMsgHeaderCorrupted, kTitleInvalidPng);
        return GatherImageData();
    }

    // The image data is inflated where it lies: several IDAT payloads are
    // first moved together at the start of the file buffer, whose other
    // contents have been read by now.
    bool GatherImageData()
    {
        PngChunkData &chunks = png_.chunks_;
        if (chunks.imageData.size() == 1) {
            compressed_ = chunks.imageData.front();
        } else {
            uint8_t *write = file_.Data();
            for (std::span<const uint8_t> part : chunks.imageData) {
                std::memmove(write, part.data(), part.size());
                write += part.size();
            }
            compressed_ = std::span<const uint8_t>(file_.Data(), std::size_t(write - file_.Data()));
        }
        chunks.imageData.clear();
        return true;
    }

    bool Inflate()
    {
        png_.state_ = kStateLoading;
        RaiseProgress(0);
        const auto expected = ExpectedInflatedSize(png_.chunks_.header, std::numeric_limits<int32_t>::max());
        if (!expected)
            return Fail(kMsgTooLarge, kTitleInvalidPng);
        inflatedSize_ = std::size_t(*expected);
        // Deflate codes at most 258 bytes in one bit pattern of two bits or
        // more (a ratio of 1032 to 1): image data shorter than that bound
        // cannot fill the picture its header claims, so nothing is allocated for it.
        if (uint64_t(compressed_.size()) * kMaxDeflateRatio + kZlibOverhead < uint64_t(inflatedSize_))
            return Fail(kMsgInflate, kTitleInvalidFormat);
        png_.data_->KeepSpareFor(png_.chunks_.header.width, png_.chunks_.header.height);
        // Rows in file order are inflated block by block as they are
        // reconstructed; the passes of an interlaced file are inflated here.
        if (png_.chunks_.header.interlace != 1)
            return true;
        if (!inflated_.Allocate(inflatedSize_))
            return Fail(kMsgTooLarge, kTitleInvalidPng);
        std::size_t produced = inflatedSize_;
        const int result = png_.zlib_.Uncompress(inflated_.Data(), &produced, compressed_.data(), compressed_.size());
        compressed_ = {};
        file_.Release();
        // Image data that inflates to less than the picture is damaged: its
        // missing rows would show as black.
        if (result != kZOk || produced != inflatedSize_)
            return Fail(kMsgInflate, kTitleInvalidFormat);
        return true;
    }

    bool Prepare()
    {
        OfferProgressiveDisplay();
        ResolvePolicy();
        if (!plan_.convert || plan_.bitCount == 0)
            return Fail(kMsgReadFailed, kTitleInvalidFormat);
        ChooseReducedSize();
        return CreateBitmap() && PrepareBackground();
    }

    // An opaque picture in file order that will be shown smaller both ways
    // is decoded straight to the shown size (see StdPNG::SetShownSize).
    void ChooseReducedSize()
    {
        const PngHeader &h = png_.chunks_.header;
        if (!png_.shownSize_ || progressive_ || h.interlace == 1 || plan_.bitCount != 24 ||
            plan_.conversion.storeIndices || plan_.background)
            return;
        const QSize shown = png_.shownSize_(QSize(h.width, h.height));
        if (shown.isEmpty() || shown.width() >= h.width || shown.height() >= h.height)
            return;
        reduced_ = shown;
        const ShownCanvas canvas = png_.shownCanvas_ ? png_.shownCanvas_(QSize(h.width, h.height)) : ShownCanvas();
        if (canvas.Takes(shown))
            canvas_ = canvas;
    }

    bool InflateFailed()
    {
        inflateFailed_ = true;
        return false;
    }

    void OfferProgressiveDisplay();
    void ResolvePolicy();
    bool CreateBitmap();
    bool PrepareBackground();
    bool Reconstruct();
    bool ReconstructRows();
    bool ReconstructAdam7();
    void ReplicatePass(int passIndex, int64_t passWidth, int64_t passHeight);
    void PaintRows(int y0, int y1);
    bool Finish();

    StdPNG &png_;
    const bool validate_;
    const bool make32_;
    const uint8_t alphaBlendValue_;
    PngBuffer file_;
    std::span<const uint8_t> compressed_;
    PngBuffer inflated_;
    std::size_t inflatedSize_ = 0;
    bool inflateFailed_ = false;
    QSize reduced_;  // the size decoded to, when smaller than the picture
    std::optional<ShownCanvas> canvas_;  // the canvas it is drawn into, when asked for
    LoadPlan plan_;
    ProgressiveDisplayArgs display_;
    bool progressive_ = false;
};

void StdPNG::Loader::OfferProgressiveDisplay()
{
    if (png_.progressiveDisplay_ >= 4 || !png_.events_)
        return;
    const PngChunkData &chunks = png_.chunks_;
    const PngHeader &h = chunks.header;
    display_.Width = h.width;
    display_.Height = h.height;
    display_.WinBkgColor = chunks.background;
    display_.AlphaPng = h.colorType == kGreyAlpha || h.colorType == kRgbAlpha ||
                        chunks.transparency.kind != PngTransparency::Kind::None;
    display_.IsInterlaced = h.interlace == 1;
    // Worth while for interlaced files, and for pictures larger than a third
    // of the screen (both counted in blocks of 100 x 100 pixels).
    const QSize screen = png_.ScreenSize();
    const int64_t imageBlocks = int64_t(h.width / 100) * (h.height / 100);
    const int64_t screenBlocks = int64_t(screen.width() / 100) * (screen.height() / 100);
    display_.useProgression = display_.IsInterlaced || imageBlocks > screenBlocks / 3;
    png_.events_->ProgessiveDisplay(display_);
    progressive_ = display_.useProgression && display_.destinationDC != nullptr;
}

void StdPNG::Loader::ResolvePolicy()
{
    const PngChunkData &chunks = png_.chunks_;
    const PngHeader &h = chunks.header;
    const PngTransparency::Kind kind = chunks.transparency.kind;
    const bool greyKey = kind == PngTransparency::Kind::GreyKey && h.colorType == kGrey;
    const bool rgbKey = kind == PngTransparency::Kind::RgbKey && h.colorType == kRgb;
    const bool table = kind == PngTransparency::Kind::Table && h.colorType == kPalette;
    plan_.transparent = h.colorType == kGreyAlpha || h.colorType == kRgbAlpha || greyKey || rgbKey || table;
    plan_.forced32 = make32_ || alphaBlendValue_ != 255;

    const int32_t style = png_.transparentStyle_;
    if (plan_.transparent) {
        switch (style) {
        case kPngKeepAlpha:
            plan_.keepAlpha = true;
            break;
        case kPngIgnoreAlpha:
            break;
        case kPngKeyColorBackground:
            // A colour key is shown in its stored colour: flattened onto it.
            if (greyKey || rgbKey) {
                const auto &key = chunks.transparency.key;
                const uint8_t r = SampleTo8(key[0], h.bitDepth).value_or(uint8_t(key[0]));
                const uint8_t g = greyKey ? r : SampleTo8(key[1], h.bitDepth).value_or(uint8_t(key[1]));
                const uint8_t b = greyKey ? r : SampleTo8(key[2], h.bitDepth).value_or(uint8_t(key[2]));
                plan_.keepAlpha = true;
                plan_.background = Rgb(r, g, b);
            }
            break;
        case kPngFileBackground:
            plan_.keepAlpha = true;
            plan_.background = chunks.background.value_or(Rgb(255, 255, 255));
            break;
        default:
            plan_.keepAlpha = true;
            plan_.background = png_.ResolveColor(style);
            break;
        }
    }
    const bool interlaced = h.interlace == 1;
    const bool replicate = png_.progressiveDisplay_ <= 1;
    uint16_t bits = progressive_ ? (interlaced ? (replicate ? kPlanReplicate : kPlanSparse) : kPlanRows)
                                 : kPlanNoTarget;
    if (!plan_.keepAlpha || !plan_.background)
        bits |= kPlanOpaque;
    if (plan_.forced32)
        bits |= kPlanForced32;
    png_.state_ = kStateLoading | kStateResolved | bits;

    plan_.bitCount = (plan_.keepAlpha || plan_.forced32) ? 32 : OpaqueBitCount(h);
    const bool paletteBitmap = h.colorType == kPalette && plan_.bitCount <= 8;
    plan_.conversion = MakeConversionPlan(h, chunks.palette, chunks.transparency, plan_.keepAlpha, paletteBitmap);
    plan_.convert = SelectConverter(plan_.conversion);
}

bool StdPNG::Loader::CreateBitmap()
{
    const PngChunkData &chunks = png_.chunks_;
    const PngHeader &h = chunks.header;
    std::vector<Pixel> table;
    if (plan_.bitCount <= 8) {
        const std::size_t entries = std::size_t(1) << plan_.bitCount;
        if (h.colorType == kPalette) {
            const std::size_t count = std::min(chunks.palette.size() / 3, entries);
            for (std::size_t i = 0; i < count; ++i)
                table.push_back(MakePixel(chunks.palette[3 * i], chunks.palette[3 * i + 1], chunks.palette[3 * i + 2]));
        } else {
            // Grey ramps: 2-bit samples use four levels of the 4-bit table.
            const int levels = h.bitDepth == 2 ? 4 : int(entries);
            for (int i = 0; i < levels; ++i) {
                const auto v = uint8_t(i * 255 / (levels - 1));
                table.push_back(MakePixel(v, v, v));
            }
        }
    }
    stdPNGdata &data = *png_.data_;
    // Every pixel is written before the bitmap can be seen, unless rows are
    // painted while they are decoded.
    const QSize size = canvas_ ? canvas_->size : reduced_.isEmpty() ? QSize(h.width, h.height) : reduced_;
    if (!data.Create(size.width(), size.height(), plan_.bitCount, std::move(table), true, !progressive_) ||
        (plan_.conversion.storeIndices && !data.CreateIndices()))
        return Fail(kMsgResources, kTitleApplication);
    if (canvas_)
        FillCanvasMargin(data.Image(), *canvas_);
    png_.onCanvas_ = canvas_.has_value();
    return true;
}

bool StdPNG::Loader::PrepareBackground()
{
    stdPNGdata &data = *png_.data_;
    const bool needed = plan_.background.has_value() ||
                        (progressive_ && (plan_.bitCount == 32 || png_.chunks_.header.interlace == 1));
    if (!needed)
        return true;
    if (!data.PrepareBackground(plan_.background.value_or(0)))
        return Fail(kMsgResources, kTitleApplication);
    if (!plan_.background) {
        // Progressive painting of a picture without a chosen background
        // blends over what the destination showed before.
        const Bitmap &target = display_.destinationDC->Target();
        BitBlt(data.Background(), 0, 0, data.Image().Width(), data.Image().Height(), target, display_.destX,
               display_.destY, kSrcCopy);
    }
    return true;
}

bool StdPNG::Loader::Reconstruct()
{
    const bool ok = png_.chunks_.header.interlace == 1 ? ReconstructAdam7() : ReconstructRows();
    inflated_.Release();
    compressed_ = {};
    file_.Release();
    if (ok)
        return true;
    // Image data that inflates to less (or more) than the picture is damaged:
    // its missing rows would show as black.
    return inflateFailed_ ? Fail(kMsgInflate, kTitleInvalidFormat) : Fail(kMsgReadFailed, kTitleInvalidFormat);
}

bool StdPNG::Loader::ReconstructRows()
{
    const PngHeader &h = png_.chunks_.header;
    const std::size_t rowBytes = std::size_t(RowBytes(h.width, BitsPerPixel(h)));
    const std::size_t stride = rowBytes + 1;
    const int bpp = FilterBytesPerPixel(h);
    Bitmap &image = png_.data_->Image();
    uint8_t *indices = png_.data_->Indices().empty() ? nullptr : png_.data_->Indices().data();
    std::optional<StreamingHalftone> reduce;
    if (!reduced_.isEmpty())
        reduce.emplace(image, canvas_ ? canvas_->picture : QRect(QPoint(0, 0), reduced_), h.width, h.height);
    InflateStream stream(png_.zlib_, compressed_);
    std::vector<uint8_t> block(std::size_t(std::min(kRowsPerBlock, h.height)) * stride);
    std::vector<uint8_t> prior(rowBytes, 0);
    for (int y0 = 0; y0 < h.height; y0 += kRowsPerBlock) {
        const int y1 = std::min(h.height, y0 + kRowsPerBlock);
        const std::size_t rows = std::size_t(y1 - y0);
        if (!stream.Read(block.data(), rows * stride))
            return InflateFailed();
        if (!UnfilterRows(block.data(), stride, rows, prior.data(), rowBytes, bpp))
            return false;
        std::memcpy(prior.data(), block.data() + (rows - 1) * stride + 1, rowBytes);
        RaiseProgress(int64_t(y1) * 100 / h.height);
        for (int y = y0; y < y1; ++y) {
            const uint8_t *row = block.data() + std::size_t(y - y0) * stride + 1;
            Pixel *out = reduce ? reduce->NextRow() : image.Row(y);
            plan_.convert(row, out, indices ? indices + std::size_t(y) * std::size_t(h.width) : nullptr, h.width,
                          plan_.conversion);
            if (reduce)
                reduce->RowDone();
        }
        if (progressive_)
            PaintRows(y0, y1);
    }
    return stream.EndsHere() || InflateFailed();
}

bool StdPNG::Loader::ReconstructAdam7()
{
    const PngHeader &h = png_.chunks_.header;
    const int bits = BitsPerPixel(h);
    const int bpp = FilterBytesPerPixel(h);
    Bitmap &image = png_.data_->Image();
    ZeroedVector<uint8_t> &indices = png_.data_->Indices();
    std::vector<Pixel> pixels(std::size_t(h.width));
    std::vector<uint8_t> rowIndices(indices.empty() ? 0 : std::size_t(h.width));
    std::size_t offset = 0;
    for (int passIndex = 0; passIndex < int(kAdam7.size()); ++passIndex) {
        const Adam7Pass &pass = kAdam7[std::size_t(passIndex)];
        const int64_t passWidth = PassExtent(h.width, pass.xStart, pass.xStep);
        const int64_t passHeight = PassExtent(h.height, pass.yStart, pass.yStep);
        if (passWidth == 0 || passHeight == 0)
            continue;
        const std::size_t rowBytes = std::size_t(RowBytes(passWidth, bits));
        const std::vector<uint8_t> zeroRow(rowBytes, 0);
        uint8_t *passData = inflated_.Data() + offset;
        if (!UnfilterRows(passData, rowBytes + 1, std::size_t(passHeight), zeroRow.data(), rowBytes, bpp))
            return false;
        offset += std::size_t(passHeight) * (rowBytes + 1);
        for (int64_t j = 0; j < passHeight; ++j) {
            const uint8_t *row = passData + std::size_t(j) * (rowBytes + 1);
            plan_.convert(row + 1, pixels.data(), rowIndices.empty() ? nullptr : rowIndices.data(), int(passWidth),
                          plan_.conversion);
            const std::size_t y = std::size_t(pass.yStart + j * pass.yStep);
            Pixel *out = image.Row(int(y)) + pass.xStart;
            for (int64_t i = 0; i < passWidth; ++i)
                out[i * pass.xStep] = pixels[std::size_t(i)];
            if (!rowIndices.empty()) {
                uint8_t *outIndex = indices.data() + y * std::size_t(h.width) + pass.xStart;
                for (int64_t i = 0; i < passWidth; ++i)
                    outIndex[i * pass.xStep] = rowIndices[std::size_t(i)];
            }
        }
        RaiseProgress(int64_t(offset) * 100 / int64_t(inflatedSize_));
        if (progressive_) {
            if (png_.progressiveDisplay_ <= 1)
                ReplicatePass(passIndex, passWidth, passHeight);
            PaintRows(0, h.height);
        }
    }
    return true;
}

// For progressive display: each pixel of a pass fills the block that later
// passes refine (8 x 8 after the first pass, 1 x 1 after the last), so the
// picture appears coarse first. Later passes overwrite every filled position
// that is not their own.
void StdPNG::Loader::ReplicatePass(int passIndex, int64_t passWidth, int64_t passHeight)
{
    static constexpr int kBlockW[7] = {8, 4, 4, 2, 2, 1, 1};
    static constexpr int kBlockH[7] = {8, 8, 4, 4, 2, 2, 1};
    const Adam7Pass &pass = kAdam7[std::size_t(passIndex)];
    Bitmap &image = png_.data_->Image();
    for (int64_t j = 0; j < passHeight; ++j) {
        const int y = int(pass.yStart + j * pass.yStep);
        const int rows = std::min(kBlockH[passIndex], image.Height() - y);
        for (int64_t i = 0; i < passWidth; ++i) {
            const int x = int(pass.xStart + i * pass.xStep);
            const int columns = std::min(kBlockW[passIndex], image.Width() - x);
            const Pixel p = image.At(x, y);
            for (int dy = 0; dy < rows; ++dy)
                std::fill_n(image.Row(y + dy) + x, columns, p);
        }
    }
}

void StdPNG::Loader::PaintRows(int y0, int y1)
{
    stdPNGdata &data = *png_.data_;
    Bitmap &target = display_.destinationDC->Target();
    const int width = data.Image().Width();
    const int rows = y1 - y0;
    if (plan_.bitCount == 32) {
        if (!data.Background().IsNull())
            BitBlt(target, display_.destX, display_.destY + y0, width, rows, data.Background(), 0, y0, kSrcCopy);
        AlphaBlend(target, display_.destX, display_.destY + y0, width, rows, data.Image(), 0, y0, width, rows,
                   alphaBlendValue_, true);
    } else {
        BitBlt(target, display_.destX, display_.destY + y0, width, rows, data.Image(), 0, y0, kSrcCopy);
    }
    if (display_.destinationHwnd)
        display_.destinationHwnd->Refresh();
}

bool StdPNG::Loader::Finish()
{
    stdPNGdata &data = *png_.data_;
    if (plan_.background && plan_.bitCount == 32) {
        const int w = data.Image().Width();
        const int h = data.Image().Height();
        AlphaBlend(data.Background(), 0, 0, w, h, data.Image(), 0, 0, w, h, alphaBlendValue_, true);
        data.TakeBackgroundAsImage();
    } else {
        data.Background() = Bitmap();
    }
    if (!png_.hasOwnDC_)
        data.DeleteDC();
    png_.state_ = 0;
    return true;
}

bool StdPNG::LoadFile(const QString &FileName, bool ValidateAllData, bool Make32Bit, uint8_t AlphaBlendValue)
{
    if (!CheckLibraries())
        return false;
    if (state_ >= kStateLoading)
        return false;
    // The old picture goes; its memory serves the new one if the size is the same.
    data_->ClearKeepingMemory();
    chunks_ = png::PngChunkData{};
    onCanvas_ = false;
    lastError_.clear();
    state_ = 0;
    struct ReleaseSpare {
        stdPNGdata &data;
        ~ReleaseSpare() { data.ReleaseSpare(); }
    } releaseSpare{*data_};
    try {
        Loader loader(*this, ValidateAllData, Make32Bit, AlphaBlendValue);
        return loader.Run(FileName);
    } catch (const std::bad_alloc &) {
        return Fail(png::kMsgResources, png::kTitleApplication);
    } catch (...) {
        // An event handler threw: the load ends here, and the object stays usable.
        ResetImage();
        state_ = 0;
        throw;
    }
}

}  // namespace pellimore
