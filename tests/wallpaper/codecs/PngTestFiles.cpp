#include "tests/wallpaper/codecs/PngTestFiles.h"

#include <QDir>
#include <QFile>

#include <zlib.h>

#include <stdexcept>

namespace pellimore::test {

QByteArray Be32(uint32_t v)
{
    QByteArray b(4, '\0');
    b[0] = char(v >> 24);
    b[1] = char(v >> 16);
    b[2] = char(v >> 8);
    b[3] = char(v);
    return b;
}

QByteArray Be16(uint16_t v)
{
    QByteArray b(2, '\0');
    b[0] = char(v >> 8);
    b[1] = char(v);
    return b;
}

QByteArray PngChunk(const char *type, const QByteArray &data, bool badCrc)
{
    QByteArray typeAndData = QByteArray(type, 4) + data;
    uLong crc = crc32(0, reinterpret_cast<const Bytef *>(typeAndData.constData()), uInt(typeAndData.size()));
    if (badCrc)
        crc ^= 0x5A5A5A5Au;
    return Be32(uint32_t(data.size())) + typeAndData + Be32(uint32_t(crc));
}

QByteArray IhdrData(int64_t width, int64_t height, int bitDepth, int colorType, int interlace, int compression,
                    int filter)
{
    QByteArray d = Be32(uint32_t(width)) + Be32(uint32_t(height));
    d.append(char(bitDepth));
    d.append(char(colorType));
    d.append(char(compression));
    d.append(char(filter));
    d.append(char(interlace));
    return d;
}

QByteArray Ihdr(int64_t width, int64_t height, int bitDepth, int colorType, int interlace)
{
    return PngChunk("IHDR", IhdrData(width, height, bitDepth, colorType, interlace));
}

QByteArray Idat(const QByteArray &rawRows)
{
    uLongf size = compressBound(uLong(rawRows.size()));
    QByteArray out(qsizetype(size), '\0');
    if (compress2(reinterpret_cast<Bytef *>(out.data()), &size, reinterpret_cast<const Bytef *>(rawRows.constData()),
                  uLong(rawRows.size()), 9) != Z_OK)
        throw std::runtime_error("compress failed");
    out.truncate(qsizetype(size));
    return PngChunk("IDAT", out);
}

QByteArray Iend() { return PngChunk("IEND", QByteArray()); }

QByteArray PngFile(const std::vector<QByteArray> &chunks)
{
    QByteArray file("\x89PNG\r\n\x1a\n", 8);
    for (const QByteArray &c : chunks)
        file += c;
    return file;
}

QByteArray PngFile(std::initializer_list<QByteArray> chunks) { return PngFile(std::vector<QByteArray>(chunks)); }

QByteArray RawRows(const std::vector<QByteArray> &rows, uint8_t filter)
{
    QByteArray raw;
    for (const QByteArray &row : rows) {
        raw.append(char(filter));
        raw += row;
    }
    return raw;
}

QByteArray RgbaPng(int width, int height, const std::vector<uint8_t> &rgba, std::initializer_list<QByteArray> extra)
{
    std::vector<QByteArray> rows;
    for (int y = 0; y < height; ++y)
        rows.emplace_back(reinterpret_cast<const char *>(rgba.data()) + std::size_t(y) * width * 4, width * 4);
    std::vector<QByteArray> chunks{Ihdr(width, height, 8, 6)};
    chunks.insert(chunks.end(), extra.begin(), extra.end());
    chunks.push_back(Idat(RawRows(rows)));
    chunks.push_back(Iend());
    return PngFile(chunks);
}

QString WriteTestFile(const QString &name, const QByteArray &data)
{
    const QString folder = QDir::homePath() + "/pngtests";
    QDir().mkpath(folder);
    const QString path = folder + "/" + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size())
        throw std::runtime_error("cannot write test file");
    return path;
}

}  // namespace pellimore::test
