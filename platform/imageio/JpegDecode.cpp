#include "platform/imageio/JpegDecode.h"

#include <QIODevice>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <optional>

#include <jpeglib.h>
#include <jerror.h>

#include "platform/raster/Raster.h"

namespace pellimore {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    bool damaged = false;  // a warning that data was missing or replaced
    char damage[JMSG_LENGTH_MAX] = {};
};

void ErrorExit(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(info->err)->jump, 1);
}

void EmitMessage(j_common_ptr info, int level)
{
    auto *manager = reinterpret_cast<ErrorManager *>(info->err);
    if (level >= 0)
        return;  // trace messages
    ++manager->base.num_warnings;
    // libjpeg fills a cut or corrupted scan with grey and carries on; the
    // picture is then not the one stored. Other warnings (extra bytes before
    // a marker, unknown markers) leave the pixels whole.
    switch (manager->base.msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_MUST_RESYNC:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_BOGUS_PROGRESSION:
        if (!manager->damaged)
            manager->base.format_message(info, manager->damage);
        manager->damaged = true;
        break;
    default:
        break;
    }
}

QString MessageText(j_common_ptr info)
{
    char text[JMSG_LENGTH_MAX] = {};
    info->err->format_message(info, text);
    return QString::fromLocal8Bit(text);
}

// A file read through libjpeg a block at a time, so that it is never held
// whole. Where it ends early (or cannot be read further) libjpeg is warned and
// given an end-of-image marker, as its own sources do: the picture then counts
// as truncated.
struct DeviceSource {
    static constexpr std::size_t kBlockBytes = 64 * 1024;
    jpeg_source_mgr manager{};
    QIODevice *device = nullptr;
    std::unique_ptr<JOCTET[]> buffer = std::make_unique<JOCTET[]>(kBlockBytes);

    static void Init(j_decompress_ptr) {}
    static void Term(j_decompress_ptr) {}
    static boolean Fill(j_decompress_ptr info)
    {
        auto *source = reinterpret_cast<DeviceSource *>(info->src);
        qint64 got = source->device->read(reinterpret_cast<char *>(source->buffer.get()), qint64(kBlockBytes));
        if (got <= 0) {
            WARNMS(info, JWRN_JPEG_EOF);
            source->buffer[0] = 0xFF;
            source->buffer[1] = JPEG_EOI;
            got = 2;
        }
        source->manager.next_input_byte = source->buffer.get();
        source->manager.bytes_in_buffer = std::size_t(got);
        return TRUE;
    }
    static void Skip(j_decompress_ptr info, long count)
    {
        auto *source = reinterpret_cast<DeviceSource *>(info->src);
        if (count <= 0)
            return;
        while (std::size_t(count) > source->manager.bytes_in_buffer) {
            count -= long(source->manager.bytes_in_buffer);
            Fill(info);
        }
        source->manager.next_input_byte += count;
        source->manager.bytes_in_buffer -= std::size_t(count);
    }

    explicit DeviceSource(QIODevice &from) : device(&from)
    {
        manager.init_source = Init;
        manager.fill_input_buffer = Fill;
        manager.skip_input_data = Skip;
        manager.resync_to_restart = jpeg_resync_to_restart;
        manager.term_source = Term;
    }
};

// The DCT blocks of every component of the whole picture.
int64_t TotalBlocks(const jpeg_decompress_struct &info)
{
    int64_t blocks = 0;
    for (int i = 0; i < info.num_components; ++i)
        blocks += int64_t(info.comp_info[i].width_in_blocks) * info.comp_info[i].height_in_blocks;
    return blocks;
}

int64_t ScaledExtent(int64_t extent, int eighths) { return (extent * eighths + 7) / 8; }

struct Decompressor {
    jpeg_decompress_struct info{};
    ErrorManager errors;
    Decompressor()
    {
        info.err = jpeg_std_error(&errors.base);
        errors.base.error_exit = ErrorExit;
        errors.base.emit_message = EmitMessage;
        jpeg_create_decompress(&info);
    }
    ~Decompressor() { jpeg_destroy_decompress(&info); }
};

void CmykRowToPixels(const uint8_t *in, Pixel *out, JDIMENSION width)
{
    // Adobe writes CMYK inverted: each byte is already 255 - ink.
    for (JDIMENSION x = 0; x < width; ++x, in += 4) {
        const unsigned k = in[3];
        out[x] = MakePixel(uint8_t(in[0] * k / 255), uint8_t(in[1] * k / 255), uint8_t(in[2] * k / 255));
    }
}

}  // namespace

int JpegScaleEighths(QSize stored, QSize cover)
{
    if (cover.isEmpty())
        return 8;
    for (int m = 1; m < 8; ++m) {
        if (ScaledExtent(stored.width(), m) >= cover.width() && ScaledExtent(stored.height(), m) >= cover.height())
            return m;
    }
    return 8;
}

namespace {

// The decode of DecodeJpeg from a source that `attach` gives libjpeg;
// `unread` tells how many bytes of the file are left after the headers.
JpegDecodeResult Decode(const std::function<void(j_decompress_ptr)> &attach,
                        const std::function<int64_t(j_decompress_ptr)> &unread,
                        const std::function<QSize(QSize)> &shownSize, bool toShownSize,
                        const ShownCanvasFunction &canvas)
{
    JpegDecodeResult result;
    Decompressor d;
    jpeg_decompress_struct &info = d.info;
    // The output rows live outside libjpeg's pools, so a jump leaves nothing behind.
    Bitmap bitmap;
    std::optional<StreamingHalftone> halftone;
    std::vector<uint8_t> cmykRow;
    if (setjmp(d.errors.jump)) {
        const QString why = d.errors.base.msg_code == JERR_NO_BACKING_STORE || d.errors.base.msg_code == JERR_OUT_OF_MEMORY
                                ? QStringLiteral("it needs more memory to decode than a picture may take")
                                : MessageText(reinterpret_cast<j_common_ptr>(&info));
        result.error = QStringLiteral("The JPEG picture cannot be read: %1").arg(why);
        return result;
    }
    info.mem->max_memory_to_use = kJpegWorkMemoryBytes;
    attach(&info);
    jpeg_read_header(&info, TRUE);
    result.storedSize = QSize(int(info.image_width), int(info.image_height));
    if (!Bitmap::SizeIsAllowed(info.image_width, info.image_height)) {
        result.error = QStringLiteral("The JPEG picture is too large (%1 x %2 pixels).")
                           .arg(info.image_width)
                           .arg(info.image_height);
        return result;
    }
    // Huffman coding spends at least one bit on every block (its DC
    // difference); a scan shorter than that cannot hold the picture it claims.
    if (!info.arith_code && unread(&info) * 8 < TotalBlocks(info)) {
        result.error = QStringLiteral("The JPEG picture is truncated or damaged: its data cannot fill %1 x %2 pixels.")
                           .arg(info.image_width)
                           .arg(info.image_height);
        return result;
    }

    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    // The halftone stretch that finishes the fit needs a margin over the
    // shown size to look as it does from the full picture (PSNR above 40 dB
    // on photos; one reduction step closer falls below).
    const QSize shown = shownSize ? shownSize(result.storedSize) : QSize();
    info.scale_num = unsigned(JpegScaleEighths(result.storedSize, shown * kJpegReductionMargin));
    info.scale_denom = 8;
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = TRUE;
    jpeg_start_decompress(&info);

    // Halftoned to the shown size as the rows come, the reduced picture is
    // never held whole.
    const bool stream = toShownSize && !shown.isEmpty() && shown.width() < int(info.output_width) &&
                        shown.height() < int(info.output_height);
    const ShownCanvas onCanvas = stream && canvas ? canvas(result.storedSize) : ShownCanvas();
    if (onCanvas.Takes(shown)) {
        bitmap = Bitmap(onCanvas.size.width(), onCanvas.size.height(), 24);
        FillCanvasMargin(bitmap, onCanvas);
        halftone.emplace(bitmap, onCanvas.picture, int(info.output_width), int(info.output_height));
        result.onCanvas = true;
    } else if (stream) {
        bitmap = Bitmap(shown.width(), shown.height(), 24);
        halftone.emplace(bitmap, int(info.output_width), int(info.output_height));
    } else {
        bitmap = Bitmap(int(info.output_width), int(info.output_height), 24);
    }
    if (cmyk)
        cmykRow.resize(std::size_t(info.output_width) * 4);
    while (info.output_scanline < info.output_height) {
        const int y = int(info.output_scanline);
        Pixel *pixels = halftone ? halftone->NextRow() : bitmap.Row(y);
        JSAMPROW row = cmyk ? cmykRow.data() : reinterpret_cast<JSAMPROW>(pixels);
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            break;
        if (cmyk)
            CmykRowToPixels(cmykRow.data(), pixels, info.output_width);
        if (halftone)
            halftone->RowDone();
    }
    jpeg_finish_decompress(&info);
    // The last destination rows may still be filtered beside us.
    halftone.reset();
    if (d.errors.damaged) {
        result.error =
            QStringLiteral("The JPEG picture is truncated or damaged: %1").arg(QString::fromLocal8Bit(d.errors.damage));
        return result;
    }
    result.bitmap = std::move(bitmap);
    return result;
}

}  // namespace

JpegDecodeResult DecodeJpeg(const QByteArray &data, const std::function<QSize(QSize)> &shownSize, bool toShownSize,
                            const ShownCanvasFunction &canvas)
{
    return Decode(
        [&data](j_decompress_ptr info) {
            jpeg_mem_src(info, reinterpret_cast<const unsigned char *>(data.constData()),
                         static_cast<unsigned long>(data.size()));
        },
        [](j_decompress_ptr info) { return int64_t(info->src->bytes_in_buffer); }, shownSize, toShownSize, canvas);
}

JpegDecodeResult DecodeJpeg(QIODevice &device, const std::function<QSize(QSize)> &shownSize, bool toShownSize,
                            const ShownCanvasFunction &canvas)
{
    DeviceSource source(device);
    return Decode([&source](j_decompress_ptr info) { info->src = &source.manager; },
                  [&device](j_decompress_ptr info) {
                      // Unread in the file, and read but not yet used.
                      return int64_t(device.size() - device.pos()) + int64_t(info->src->bytes_in_buffer);
                  },
                  shownSize, toShownSize, canvas);
}

}  // namespace pellimore
