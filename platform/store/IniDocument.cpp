#include "platform/store/IniDocument.h"

#include <QStringDecoder>

#include <algorithm>
#include <iterator>

namespace pellimore {

namespace {

bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }

bool IsControl(QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; }

QStringView TrimBlanks(QStringView text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

// True when the UTF-16 code unit at i is half of a surrogate pair.
bool IsPairedSurrogate(const QString &text, qsizetype i)
{
    const QChar c = text[i];
    if (c.isHighSurrogate())
        return i + 1 < text.size() && text[i + 1].isLowSurrogate();
    if (c.isLowSurrogate())
        return i > 0 && text[i - 1].isHighSurrogate();
    return true;
}

bool NeedsQuotes(const QString &text, IniDocument::TokenKind kind)
{
    using Kind = IniDocument::TokenKind;
    if (text.isEmpty())
        return kind != Kind::Value;   // an empty key or section name only reads back in quotes
    if (IsBlank(text.front()) || IsBlank(text.back()) || text.front() == u'"')
        return true;
    if (kind == Kind::Key && (text.front() == u'[' || text.front() == u';' || text.front() == u'#'))
        return true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (IsControl(c) || c == u'\\' || c == u';' || c == u'#' || !IsPairedSurrogate(text, i))
            return true;
        if ((kind == Kind::Key && c == u'=') || (kind == Kind::Section && c == u']'))
            return true;
    }
    return false;
}

int HexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// Splits the file into lines and decodes each on its own, so that one damaged
// line costs only itself. Nothing is returned for a line that is not clean UTF-8.
std::vector<std::optional<QString>> DecodeLines(const QByteArray &bytes)
{
    std::vector<std::optional<QString>> lines;
    qsizetype start = 0;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        start = 3;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        QByteArrayView raw(bytes.constData() + start, end - start);
        if (raw.endsWith('\r'))
            raw.chop(1);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString line = decoder.decode(raw);
        if (decoder.hasError())
            lines.emplace_back(std::nullopt);
        else
            lines.emplace_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

}  // namespace

QString IniDocument::Encode(const QString &text, TokenKind kind)
{
    if (!NeedsQuotes(text, kind))
        return text;
    QString out;
    out.reserve(text.size() + 8);
    out += u'"';
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case u'\\': out += QStringLiteral("\\\\"); break;
        case u'"': out += QStringLiteral("\\\""); break;
        case u'\n': out += QStringLiteral("\\n"); break;
        case u'\r': out += QStringLiteral("\\r"); break;
        case u'\t': out += QStringLiteral("\\t"); break;
        default:
            if (IsControl(c) || !IsPairedSurrogate(text, i))
                out += QStringLiteral("\\u%1").arg(uint(c.unicode()), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += u'"';
    return out;
}

std::optional<IniDocument::Decoded> IniDocument::DecodeQuoted(QStringView text)
{
    if (text.isEmpty() || text.front() != u'"')
        return std::nullopt;
    Decoded decoded;
    for (qsizetype i = 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"') {
            decoded.length = i + 1;
            return decoded;
        }
        if (c != u'\\') {
            decoded.text += c;
            continue;
        }
        if (++i >= text.size())
            return std::nullopt;
        switch (text[i].unicode()) {
        case u'\\': decoded.text += u'\\'; break;
        case u'"': decoded.text += u'"'; break;
        case u'n': decoded.text += u'\n'; break;
        case u'r': decoded.text += u'\r'; break;
        case u't': decoded.text += u'\t'; break;
        case u'u': {
            if (i + 4 >= text.size())
                return std::nullopt;
            int code = 0;
            for (int k = 1; k <= 4; ++k) {
                const int digit = HexValue(text[i + k]);
                if (digit < 0)
                    return std::nullopt;
                code = code * 16 + digit;
            }
            decoded.text += QChar(char16_t(code));
            i += 4;
            break;
        }
        default: return std::nullopt;
        }
    }
    return std::nullopt;   // no closing quote
}

IniDocument IniDocument::Parse(const QByteArray &bytes)
{
    IniDocument document;
    Section *current = &document.sections_.front();
    for (const std::optional<QString> &line : DecodeLines(bytes)) {
        if (!line || !document.ParseLine(*line, current))
            ++document.skippedLines_;
    }
    return document;
}

bool IniDocument::ParseLine(QStringView line, Section *&current)
{
    for (QChar c : line) {
        if (IsControl(c) && c != u'\t')
            return false;
    }
    const QStringView text = TrimBlanks(line);
    if (text.isEmpty() || text.front() == u';' || text.front() == u'#') {
        current->items.push_back({false, text.toString(), {}, {}});
        return true;
    }

    if (text.front() == u'[') {
        QStringView rest = TrimBlanks(text.mid(1));
        QString name;
        if (!rest.isEmpty() && rest.front() == u'"') {
            const auto decoded = DecodeQuoted(rest);
            if (!decoded)
                return false;
            name = decoded->text;
            rest = TrimBlanks(rest.mid(decoded->length));
            if (rest.isEmpty() || rest.front() != u']')
                return false;
        } else {
            const qsizetype close = rest.indexOf(u']');
            if (close < 0)
                return false;
            name = TrimBlanks(rest.left(close)).toString();
            rest = rest.mid(close);
        }
        rest = TrimBlanks(rest.mid(1));   // after "]": nothing, or a comment
        if (!rest.isEmpty() && rest.front() != u';' && rest.front() != u'#')
            return false;
        current = FindSection(name);
        if (!current) {
            sections_.push_back(Section{name, true, {}});
            current = &sections_.back();
        }
        return true;
    }

    QString key;
    QStringView rest;
    if (text.front() == u'"') {
        const auto decoded = DecodeQuoted(text);
        if (!decoded)
            return false;
        key = decoded->text;
        rest = TrimBlanks(text.mid(decoded->length));
        if (rest.isEmpty() || rest.front() != u'=')
            return false;
    } else {
        const qsizetype equals = text.indexOf(u'=');
        if (equals <= 0)
            return false;
        key = TrimBlanks(text.left(equals)).toString();
        rest = text.mid(equals);
    }
    if (key.isEmpty())
        return false;
    rest = TrimBlanks(rest.mid(1));   // after "="

    QString value;
    if (!rest.isEmpty() && rest.front() == u'"') {
        const auto decoded = DecodeQuoted(rest);
        if (!decoded || !TrimBlanks(rest.mid(decoded->length)).isEmpty())
            return false;
        value = decoded->text;
    } else {
        value = rest.toString();
    }
    current->items.push_back({true, {}, std::move(key), std::move(value)});
    return true;
}

QByteArray IniDocument::Serialize() const
{
    QString out;
    for (const Section &section : sections_) {
        if (section.hasHeader)
            out += u'[' + Encode(section.name, TokenKind::Section) + QStringLiteral("]\n");
        for (const Item &item : section.items) {
            if (item.isEntry)
                out += Encode(item.key, TokenKind::Key) + u'=' + Encode(item.value, TokenKind::Value) + u'\n';
            else
                out += item.text + u'\n';
        }
    }
    return out.toUtf8();
}

const IniDocument::Section *IniDocument::FindSection(QStringView name) const
{
    for (const Section &section : sections_) {
        if (section.hasHeader && section.name.compare(name, Qt::CaseInsensitive) == 0)
            return &section;
    }
    return nullptr;
}

IniDocument::Section *IniDocument::FindSection(QStringView name)
{
    return const_cast<Section *>(std::as_const(*this).FindSection(name));
}

std::optional<QString> IniDocument::Value(QStringView section, QStringView key) const
{
    const Section *found = FindSection(section);
    if (!found)
        return std::nullopt;
    for (auto it = found->items.rbegin(); it != found->items.rend(); ++it) {
        if (it->isEntry && it->key.compare(key, Qt::CaseInsensitive) == 0)
            return it->value;
    }
    return std::nullopt;
}

void IniDocument::SetValue(const QString &section, const QString &key, const QString &value)
{
    Section *target = FindSection(section);
    if (!target) {
        // A blank line sets a new section apart from what comes before it.
        Section &last = sections_.back();
        const bool empty = sections_.size() == 1 && last.items.empty();
        if (!empty && (last.items.empty() || !last.items.back().text.isEmpty() || last.items.back().isEntry))
            last.items.push_back(Item{});
        sections_.push_back(Section{section, true, {}});
        target = &sections_.back();
    }
    auto &items = target->items;
    auto matches = [&](const Item &item) { return item.isEntry && item.key.compare(key, Qt::CaseInsensitive) == 0; };

    // The last line of the key takes the value; earlier duplicates go.
    for (qsizetype i = qsizetype(items.size()) - 1; i >= 0; --i) {
        if (!matches(items[i]))
            continue;
        items[i].value = value;
        for (qsizetype j = i - 1; j >= 0; --j) {
            if (matches(items[j]))
                items.erase(items.begin() + j);
        }
        return;
    }
    // A new key goes after the section's last entry; in a section without
    // entries, ahead of its trailing blank lines (which separate it from the next).
    auto insertAt = items.end();
    const auto lastEntry = std::find_if(items.rbegin(), items.rend(), [](const Item &item) { return item.isEntry; });
    if (lastEntry != items.rend()) {
        insertAt = lastEntry.base();
    } else {
        while (insertAt != items.begin() && std::prev(insertAt)->text.isEmpty())
            --insertAt;
    }
    items.insert(insertAt, Item{true, {}, key, value});
}

bool IniDocument::Remove(QStringView section, QStringView key)
{
    Section *found = FindSection(section);
    if (!found)
        return false;
    auto &items = found->items;
    const auto removed = std::erase_if(items, [&](const Item &item) {
        return item.isEntry && item.key.compare(key, Qt::CaseInsensitive) == 0;
    });
    if (removed == 0)
        return false;
    const bool onlyBlankLeft = std::all_of(items.begin(), items.end(), [](const Item &item) {
        return !item.isEntry && item.text.isEmpty();
    });
    const auto index = found - sections_.data();
    if (onlyBlankLeft && index > 0) {
        sections_.erase(sections_.begin() + index);
        // The blank line that set the removed section apart is not needed at the end.
        if (index == qsizetype(sections_.size())) {
            auto &tail = sections_.back().items;
            while (!tail.empty() && !tail.back().isEntry && tail.back().text.isEmpty())
                tail.pop_back();
        }
    }
    return true;
}

}  // namespace pellimore
