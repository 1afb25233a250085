#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

#include "platform/raster/Bitmap.h"

namespace pellimore {

// The display styles a picture can have; the number is the one stored.
enum PictureStyle { kStyleCentered = 0, kStyleTiled = 1, kStyleStretched = 2 };

// One picture of the library: its file name (without folder), display style,
// desktop colour and place in the play order. Counts and orders are plain
// ints, so a folder may hold far more than 32767 pictures.
struct PictureRecord {
    QString FileName;
    int Style = kStyleCentered;
    ColorRef BackColor = 0;
    int Order = 0;

    bool operator==(const PictureRecord &) const = default;
};

inline const QString kPictureDataName = QStringLiteral("wallpaper.dat");

// True when the name can be stored in "wallpaper.dat" and read back: it holds
// no double quote and no control character (a line break would split its
// line). A comma is fine, the name is quoted.
bool IsStorableFileName(const QString &name);

// One line of "wallpaper.dat": the quoted name, style, colour and order in
// decimal, separated by commas, ending in CR LF. The colour is written as an
// unsigned number.
QByteArray PictureDataLine(const PictureRecord &record);
QByteArray FormatPictureData(const std::vector<PictureRecord> &records);

// What a "wallpaper.dat" holds: the records of its readable lines, in file
// order, and how many lines could not be read (a missing or extra field, a
// field that is not a number, a style outside 0-2, an unclosed quote). Blank
// lines are neither. Lines may end in CR LF or LF.
struct PictureDataContents {
    std::vector<PictureRecord> records;
    int damagedLines = 0;
};
PictureDataContents ParsePictureData(const QByteArray &bytes);

}  // namespace pellimore
