#include "tests/support/HostilePictures.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "tests/support/TempHome.h"

namespace pellimore::test {

QByteArray JpegClaiming(int width, int height)
{
    QFile file(TestDataPath(QStringLiteral("photos/LadyBird.jpg")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray jpeg = file.readAll();
    for (qsizetype i = 2; i + 9 < jpeg.size(); ++i) {
        const uint8_t marker = uint8_t(jpeg[i + 1]);
        if (uint8_t(jpeg[i]) == 0xFF && (marker == 0xC0 || marker == 0xC2)) {
            jpeg[i + 5] = char(height >> 8);
            jpeg[i + 6] = char(height);
            jpeg[i + 7] = char(width >> 8);
            jpeg[i + 8] = char(width);
            return jpeg;
        }
    }
    return {};
}

QByteArray GifOfHugeFrames()
{
    QByteArray gif("GIF89a");
    gif += QByteArray("\x80\x3E\x80\x3E\x80\x00\x00", 7);  // 16000 x 16000, a global table of two colours
    gif += QByteArray("\x00\x00\x00\xFF\xFF\xFF", 6);
    for (int i = 0; i < 2000; ++i) {
        gif += QByteArray("\x21\xF9\x04\x00\x0A\x00\x00\x00", 8);
        gif += QByteArray("\x2C\x00\x00\x00\x00\x80\x3E\x80\x3E\x00", 10);
        gif += QByteArray("\x02\x03\x44\x01\x05\x00", 6);
    }
    gif += ';';
    return gif;
}

QByteArray UniformJpeg(int width, int height, uint8_t r, uint8_t g, uint8_t b)
{
    jpeg_compress_struct info = {};
    jpeg_error_mgr errors = {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 80, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(std::size_t(width) * 3);
    for (int x = 0; x < width; ++x) {
        row[std::size_t(x) * 3] = r;
        row[std::size_t(x) * 3 + 1] = g;
        row[std::size_t(x) * 3 + 2] = b;
    }
    JSAMPROW rows[1] = {row.data()};
    while (info.next_scanline < info.image_height)
        jpeg_write_scanlines(&info, rows, 1);
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray result(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    return result;
}

}  // namespace pellimore::test
