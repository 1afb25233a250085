#pragma once

// The text chunks (tEXt, zTXt) as one listing for the Comments property.

#include <QString>

#include <vector>

#include "wallpaper/codecs/png/PngChunks.h"

namespace pellimore::png {

class ZlibLibrary;

// Each usable text chunk as "keyword: text", in file order, joined by CRLF,
// with every line break made CRLF. A keyword ends at a NUL within the first
// 80 bytes; chunks without one, and zTXt chunks of another compression method
// or whose text does not inflate, are left out. NUL characters in a text
// become spaces. Empty when there is no text.
QString ListComments(const std::vector<PngTextChunk> &texts, const ZlibLibrary &zlib);

}  // namespace pellimore::png
