#include "wallpaper/codecs/png/PngText.h"

#include <QStringList>

#include <algorithm>
#include <cstring>
#include <optional>

#include "wallpaper/codecs/png/ZlibLibrary.h"

namespace pellimore::png {

namespace {

constexpr std::size_t kMaxKeywordSearch = 80;
// zTXt texts get a buffer of twice their compressed size, grown by as much
// after each try that runs short, up to this many times the compressed size.
constexpr std::size_t kMaxTextExpansion = 50;
constexpr int kZOk = 0;
constexpr int kZBufError = -5;

std::optional<QByteArray> InflateText(const uint8_t *data, std::size_t size, const ZlibLibrary &zlib)
{
    if (size == 0)
        return std::nullopt;
    const std::size_t step = 2 * size;
    for (std::size_t capacity = step; capacity <= kMaxTextExpansion * size; capacity += step) {
        QByteArray text(qsizetype(capacity), Qt::Uninitialized);
        std::size_t length = capacity;
        const int result = zlib.Uncompress(reinterpret_cast<uint8_t *>(text.data()), &length, data, size);
        if (result == kZOk) {
            text.truncate(qsizetype(length));
            return text;
        }
        if (result != kZBufError)
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<QString> CommentLine(const PngTextChunk &chunk, const ZlibLibrary &zlib)
{
    const std::vector<uint8_t> &d = chunk.data;
    const auto searchEnd = d.begin() + std::ptrdiff_t(std::min(d.size(), kMaxKeywordSearch));
    const auto nul = std::find(d.begin(), searchEnd, uint8_t(0));
    if (nul == searchEnd || nul == d.begin())
        return std::nullopt;
    const std::size_t keywordLength = std::size_t(nul - d.begin());
    const std::size_t textStart = keywordLength + 1;
    QByteArray text;
    if (chunk.compressed) {
        if (textStart >= d.size() || d[textStart] != 0)
            return std::nullopt;
        auto inflated = InflateText(d.data() + textStart + 1, d.size() - textStart - 1, zlib);
        if (!inflated)
            return std::nullopt;
        text = std::move(*inflated);
    } else {
        text = QByteArray(reinterpret_cast<const char *>(d.data()) + textStart, qsizetype(d.size() - textStart));
    }
    text.replace('\0', ' ');
    return QString::fromLatin1(reinterpret_cast<const char *>(d.data()), qsizetype(keywordLength)) +
           QStringLiteral(": ") + QString::fromLatin1(text);
}

}  // namespace

QString ListComments(const std::vector<PngTextChunk> &texts, const ZlibLibrary &zlib)
{
    QStringList lines;
    for (const PngTextChunk &chunk : texts) {
        if (auto line = CommentLine(chunk, zlib))
            lines.append(*line);
    }
    QString result = lines.join(QStringLiteral("\n"));
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    result.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return result;
}

}  // namespace pellimore::png
