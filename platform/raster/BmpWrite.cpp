// Windows BMP writing: bottom-up, uncompressed, at the bitmap's depth.
#include "platform/raster/BmpFile.h"

#include <fcntl.h>

#include <QBuffer>
#include <QFileDevice>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace pellimore {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr uint32_t kRgb = 0;
constexpr uint32_t kBitFields = 3;

void Put16(QByteArray &out, uint16_t v)
{
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}

void Put32(QByteArray &out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

std::vector<Pixel> WritableTable(const Bitmap &bitmap, int bits)
{
    const std::size_t full = std::size_t(1) << bits;
    const auto &table = bitmap.ColorTable();
    if (!table.empty() && table.size() <= full)
        return table;
    std::vector<Pixel> grey(full);
    for (std::size_t i = 0; i < full; ++i) {
        const uint8_t v = uint8_t(i * 255 / (full - 1));
        grey[i] = MakePixel(v, v, v);
    }
    return grey;
}

// Index of the table entry nearest to a pixel (exact matches first); the
// answers are remembered per colour since pictures repeat colours a lot.
class IndexFinder {
public:
    explicit IndexFinder(const std::vector<Pixel> &table) : table_(table)
    {
        for (std::size_t i = table.size(); i-- > 0;)
            cache_[table[i] & 0xFFFFFF] = uint8_t(i);
    }
    uint8_t Find(Pixel p)
    {
        const Pixel key = p & 0xFFFFFF;
        if (auto it = cache_.find(key); it != cache_.end())
            return it->second;
        int best = 0;
        int64_t bestDistance = INT64_MAX;
        for (std::size_t i = 0; i < table_.size(); ++i) {
            const int dr = PixelRed(p) - PixelRed(table_[i]);
            const int dg = PixelGreen(p) - PixelGreen(table_[i]);
            const int db = PixelBlue(p) - PixelBlue(table_[i]);
            const int64_t d = int64_t(dr) * dr + int64_t(dg) * dg + int64_t(db) * db;
            if (d < bestDistance) {
                bestDistance = d;
                best = int(i);
            }
        }
        cache_[key] = uint8_t(best);
        return uint8_t(best);
    }

private:
    const std::vector<Pixel> &table_;
    std::unordered_map<Pixel, uint8_t> cache_;
};

}  // namespace

namespace {

// A file's data written so far starts on its way to the disk now, so that
// the commit's sync finds little left to wait for.
void StartWriteBack(QIODevice &out)
{
#if defined(SYNC_FILE_RANGE_WRITE)
    auto *file = qobject_cast<QFileDevice *>(&out);
    if (!file || !file->flush() || file->handle() < 0)
        return;
    sync_file_range(file->handle(), 0, 0, SYNC_FILE_RANGE_WRITE);
#else
    (void)out;
#endif
}

// Writes the BMP file of a bitmap to out: the headers first, then the rows
// bottom-up in chunks of about 256 KiB, so that no copy of the whole file is
// held. False with the reason when the bitmap cannot be written or out fails.
bool WriteBmpTo(const Bitmap &bitmap, QIODevice &out, QString *error)
{
    if (bitmap.IsNull()) {
        if (error)
            *error = QStringLiteral("There is no picture to write.");
        return false;
    }
    int bits = bitmap.BitCount();
    if (bits != 1 && bits != 4 && bits != 8 && bits != 32)
        bits = 24;
    const bool withAlpha = bits == 32;
    const std::vector<Pixel> table = bits <= 8 ? WritableTable(bitmap, bits) : std::vector<Pixel>();
    const uint32_t infoSize = withAlpha ? 108 : 40;
    const uint64_t stride = ((uint64_t(bitmap.Width()) * bits + 31) / 32) * 4;
    const uint64_t imageSize = stride * uint64_t(bitmap.Height());
    const uint64_t offset = kFileHeaderSize + infoSize + table.size() * 4;
    const uint64_t fileSize = offset + imageSize;
    if (fileSize > UINT32_MAX) {
        if (error)
            *error = QStringLiteral("The picture is too large for a BMP file.");
        return false;
    }
    QByteArray header;
    header.reserve(qsizetype(offset));
    header.append("BM");
    Put32(header, uint32_t(fileSize));
    Put32(header, 0);
    Put32(header, uint32_t(offset));
    Put32(header, infoSize);
    Put32(header, uint32_t(bitmap.Width()));
    Put32(header, uint32_t(bitmap.Height()));  // bottom-up
    Put16(header, 1);
    Put16(header, uint16_t(bits));
    Put32(header, withAlpha ? kBitFields : kRgb);
    Put32(header, uint32_t(imageSize));
    Put32(header, 3780);  // 96 DPI
    Put32(header, 3780);
    Put32(header, uint32_t(table.size()));
    Put32(header, 0);
    if (withAlpha) {
        Put32(header, 0x00FF0000);
        Put32(header, 0x0000FF00);
        Put32(header, 0x000000FF);
        Put32(header, 0xFF000000);
        Put32(header, 0x73524742);  // 'sRGB'
        header.append(QByteArray(36 + 12, '\0'));  // endpoints and gamma, unused with sRGB
    }
    for (Pixel p : table) {
        header.append(char(PixelBlue(p)));
        header.append(char(PixelGreen(p)));
        header.append(char(PixelRed(p)));
        header.append('\0');
    }
    const auto failed = [&] {
        if (error)
            *error = out.errorString();
        return false;
    };
    if (out.write(header) != header.size())
        return failed();

    IndexFinder finder(table);
    const int w = bitmap.Width();
    const int rowsPerChunk = int(std::max<uint64_t>(1, (256u << 10) / stride));
    std::vector<uint8_t> chunk;
    for (int top = bitmap.Height() - 1; top >= 0; top -= rowsPerChunk) {
        const int rows = std::min(rowsPerChunk, top + 1);
        // Padding stays 0.
        chunk.assign(std::size_t(stride) * std::size_t(rows), 0);
        for (int r = 0; r < rows; ++r) {
            const Pixel *src = bitmap.Row(top - r);
            uint8_t *dst = chunk.data() + std::size_t(r) * stride;
            switch (bits) {
            case 1:
            case 4:
            case 8: {
                const int perByte = 8 / bits;
                for (int x = 0; x < w; ++x)
                    dst[x / perByte] |= uint8_t(finder.Find(src[x]) << (8 - bits * (x % perByte + 1)));
                break;
            }
            case 24:
                for (int x = 0; x < w; ++x, dst += 3) {
                    const Pixel p = src[x];
                    dst[0] = uint8_t(p);
                    dst[1] = uint8_t(p >> 8);
                    dst[2] = uint8_t(p >> 16);
                }
                break;
            default:
                std::memcpy(dst, src, std::size_t(w) * 4);
                break;
            }
        }
        if (out.write(reinterpret_cast<const char *>(chunk.data()), qint64(chunk.size())) != qint64(chunk.size()))
            return failed();
        StartWriteBack(out);
    }
    return true;
}

}  // namespace

QByteArray EncodeBmp(const Bitmap &bitmap, QString *error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!WriteBmpTo(bitmap, buffer, error))
        return {};
    return bytes;
}

bool WriteBmp(const Bitmap &bitmap, const QString &path, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    // A bitmap that cannot be a BMP file says so in its own words; a failing
    // file names the file. The previous file stays until the commit.
    QString why;
    if (!WriteBmpTo(bitmap, file, &why)) {
        file.cancelWriting();
        if (error)
            *error = file.error() != QFileDevice::NoError
                         ? QStringLiteral("Cannot write \"%1\": %2").arg(path, why)
                         : why;
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

}  // namespace pellimore
