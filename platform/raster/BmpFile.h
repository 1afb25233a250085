#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

#include "platform/raster/Bitmap.h"

namespace pellimore {

// The outcome of reading a picture: a bitmap, or the reason there is none.
struct BmpResult {
    Bitmap bitmap;
    QString error;  // empty on success
    bool Ok() const { return error.isEmpty() && !bitmap.IsNull(); }
};

// Decodes a Windows bitmap file held in memory.
//
// Read: BITMAPCOREHEADER (OS/2 1.x, 12 bytes), the 16..64-byte OS/2 2.x
// header, BITMAPINFOHEADER and its V2..V5 forms; 1, 2, 4, 8, 16, 24 and 32
// bits per pixel; BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS and
// BI_ALPHABITFIELDS; bottom-up and top-down rows. Every length, offset and
// size is checked before use, and the pixel count is limited to
// Bitmap::kMaxPixels before anything is allocated (an RLE picture also to
// 1024 pixels per byte of compressed data beyond its first megapixel); a
// file that breaks a rule gives an error text, never a crash. Files whose
// headers contradict themselves are refused rather than guessed at: a file
// size field beyond the file, an image size field beyond the file, a colour
// plane count other than 1, pixel densities more than 100:1 apart, colour
// indexes beyond the colour table, RLE runs past a row or the picture, and
// RLE stored top-down.
//
// Result: BitCount() is the file's depth for 1, 4 and 8 bits (with the
// colour table; 2 bits are widened to 4), 32 for 32-bit files and for files
// with an alpha mask, otherwise 24. Alpha is 255 unless the file carries an
// alpha mask (then alpha comes from the file, not premultiplied). Pixels an
// RLE stream skips or leaves out are black (alpha 255).
BmpResult DecodeBmp(const uint8_t *data, std::size_t size);
BmpResult DecodeBmp(const QByteArray &data);
// Reads and decodes a file; the error names a missing or unreadable file.
BmpResult ReadBmp(const QString &path);

// Encodes a bitmap as a BMP file (BITMAPFILEHEADER + BITMAPINFOHEADER,
// bottom-up, uncompressed) at the bitmap's BitCount(): 1, 4 and 8 bits with
// the bitmap's colour table (each pixel written as the index of the nearest
// table entry, exact matches first; an empty or too-long table is replaced
// by a fitting grey scale), 24 bits, and 32 bits with the alpha byte. A
// bitmap of another BitCount is written at 24 bits. Returns an empty array
// (and an error text) for a null bitmap.
QByteArray EncodeBmp(const Bitmap &bitmap, QString *error = nullptr);
// Writes EncodeBmp's result atomically: into a temporary file beside path,
// renamed over it; a failure leaves any previous file untouched.
bool WriteBmp(const Bitmap &bitmap, const QString &path, QString *error = nullptr);

}  // namespace pellimore
