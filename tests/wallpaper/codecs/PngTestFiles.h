#pragma once

// Builders of small PNG files for the decoder's tests: chunks with right or
// wrong CRCs, raw filtered rows, zlib-compressed image data.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace pellimore::test {

QByteArray Be32(uint32_t value);
QByteArray Be16(uint16_t value);

// One chunk: length, type, data and CRC (spoiled when badCrc).
QByteArray PngChunk(const char *type, const QByteArray &data, bool badCrc = false);
QByteArray IhdrData(int64_t width, int64_t height, int bitDepth, int colorType, int interlace = 0,
                    int compression = 0, int filter = 0);
QByteArray Ihdr(int64_t width, int64_t height, int bitDepth, int colorType, int interlace = 0);
QByteArray Idat(const QByteArray &rawRows);  // compressed with zlib
QByteArray Iend();
// The signature followed by the chunks.
QByteArray PngFile(std::initializer_list<QByteArray> chunks);
QByteArray PngFile(const std::vector<QByteArray> &chunks);
// Rows of sample bytes, each prefixed with filter type `filter`.
QByteArray RawRows(const std::vector<QByteArray> &rows, uint8_t filter = 0);

// A file of a single 8-bit RGBA image, rows of width x 4 bytes, filter 0.
QByteArray RgbaPng(int width, int height, const std::vector<uint8_t> &rgba, std::initializer_list<QByteArray> extra = {});

// Writes data to a new file under the temporary home and returns its path.
QString WriteTestFile(const QString &name, const QByteArray &data);

}  // namespace pellimore::test
