#include "wallpaper/changer/PictureData.h"

#include <QByteArrayView>

#include <charconv>
#include <cstdint>
#include <optional>

namespace pellimore {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Reads the fields of one line left to right.
class LineReader {
public:
    explicit LineReader(QByteArrayView line) : line_(line) {}

    // The next field as text: quoted (anything up to the closing quote) or
    // bare (up to the next comma, blanks trimmed). Nothing when a quote is not
    // closed or text follows the closing quote.
    std::optional<QByteArray> Text()
    {
        SkipBlanks();
        if (pos_ < line_.size() && line_[pos_] == '"') {
            const qsizetype close = line_.indexOf('"', pos_ + 1);
            if (close < 0)
                return std::nullopt;
            const QByteArray text = line_.sliced(pos_ + 1, close - pos_ - 1).toByteArray();
            pos_ = close + 1;
            SkipBlanks();
            if (!AtFieldEnd())
                return std::nullopt;
            return text;
        }
        const qsizetype start = pos_;
        while (pos_ < line_.size() && line_[pos_] != ',')
            ++pos_;
        return line_.sliced(start, pos_ - start).trimmed().toByteArray();
    }

    // The next field as a whole decimal number, blanks around it allowed.
    std::optional<int64_t> Number()
    {
        SkipBlanks();
        const char *begin = line_.data() + pos_;
        const char *end = line_.data() + line_.size();
        if (begin < end && *begin == '+')
            ++begin;
        int64_t value = 0;
        const auto [next, error] = std::from_chars(begin, end, value);
        if (error != std::errc() || next == begin)
            return std::nullopt;
        pos_ = next - line_.data();
        SkipBlanks();
        if (!AtFieldEnd())
            return std::nullopt;
        return value;
    }

    // Steps over the comma after a field; false at the end of the line.
    bool NextField()
    {
        if (pos_ >= line_.size())
            return false;
        ++pos_;   // the comma
        return true;
    }
    bool AtEnd() const { return pos_ >= line_.size(); }

private:
    void SkipBlanks()
    {
        while (pos_ < line_.size() && IsBlank(line_[pos_]))
            ++pos_;
    }
    bool AtFieldEnd() const { return pos_ >= line_.size() || line_[pos_] == ','; }

    QByteArrayView line_;
    qsizetype pos_ = 0;
};

std::optional<PictureRecord> ParseLine(QByteArrayView line)
{
    LineReader reader(line);
    const std::optional<QByteArray> name = reader.Text();
    if (!name || name->isEmpty() || !reader.NextField())
        return std::nullopt;
    const std::optional<int64_t> style = reader.Number();
    if (!style || *style < kStyleCentered || *style > kStyleStretched || !reader.NextField())
        return std::nullopt;
    // Colours were also written as signed 32-bit numbers; both forms read.
    const std::optional<int64_t> color = reader.Number();
    if (!color || *color < INT32_MIN || *color > int64_t(UINT32_MAX) || !reader.NextField())
        return std::nullopt;
    const std::optional<int64_t> order = reader.Number();
    if (!order || *order < INT32_MIN || *order > INT32_MAX || !reader.AtEnd())
        return std::nullopt;

    PictureRecord record;
    record.FileName = QString::fromUtf8(*name);
    record.Style = int(*style);
    record.BackColor = ColorRef(uint32_t(*color));
    record.Order = int(*order);
    return record;
}

}  // namespace

bool IsStorableFileName(const QString &name)
{
    for (const QChar c : name) {
        if (c == '"' || c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return true;
}

QByteArray PictureDataLine(const PictureRecord &record)
{
    QByteArray line;
    line.reserve(record.FileName.size() + 32);
    line += '"';
    line += record.FileName.toUtf8();
    line += "\",";
    line += QByteArray::number(record.Style);
    line += ',';
    line += QByteArray::number(record.BackColor);
    line += ',';
    line += QByteArray::number(record.Order);
    line += "\r\n";
    return line;
}

QByteArray FormatPictureData(const std::vector<PictureRecord> &records)
{
    QByteArray bytes;
    bytes.reserve(qsizetype(records.size()) * 40);
    for (const PictureRecord &record : records)
        bytes += PictureDataLine(record);
    return bytes;
}

PictureDataContents ParsePictureData(const QByteArray &bytes)
{
    PictureDataContents contents;
    const QByteArrayView all(bytes);
    qsizetype start = 0;
    while (start < all.size()) {
        qsizetype end = all.indexOf('\n', start);
        if (end < 0)
            end = all.size();
        QByteArrayView line = all.sliced(start, end - start);
        start = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        if (std::optional<PictureRecord> record = ParseLine(line))
            contents.records.push_back(std::move(*record));
        else
            ++contents.damagedLines;
    }
    return contents;
}

}  // namespace pellimore
