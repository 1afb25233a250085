#pragma once

// Pictures made in a test to attack the decoders: files that claim far more
// than they hold, and real but very large ones, all made without holding a
// whole picture in memory.

#include <QByteArray>

#include <cstdint>

namespace pellimore::test {

// The test photograph with its frame header edited to claim width x height.
QByteArray JpegClaiming(int width, int height);
// 2000 frames of 16000 x 16000 pixels, each with three bytes of image data.
QByteArray GifOfHugeFrames();
// A real JPEG of one colour, encoded row by row.
QByteArray UniformJpeg(int width, int height, uint8_t r, uint8_t g, uint8_t b);

}  // namespace pellimore::test
