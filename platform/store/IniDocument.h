#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace pellimore {

// The text of a settings file: sections of "key=value" lines, in UTF-8.
//
//     ; a comment (also "#"); blank lines and comments are kept on rewrite
//     [Wallpaper]
//     Folder=/home/ann/Pictures/Wallpaper
//     Startup=" 1"
//
// Values are written bare when they read back exactly that way, otherwise in
// double quotes. A bare value is taken literally after trimming the blanks
// around it. A quoted value keeps every character between the quotes, with
// these escapes: \\ backslash, \" quote, \n line feed, \r carriage return,
// \t tab, \uXXXX any other UTF-16 code unit (hex). Values are quoted when
// they have blanks or tabs at either end, start with a quote, or hold a
// backslash, ";", "#", a control character or a lone surrogate; everything
// else, non-ASCII text included, is written bare.
// Keys and section names follow the same rules; a key is also quoted when it
// holds "=" or starts with "[", and a section name when it holds "]".
//
// Section and key names are matched without regard to case and keep the case
// they were first written with. Lines that cannot be read (invalid UTF-8,
// control characters, no "=", an unterminated quote, a bad escape) are
// skipped and dropped on rewrite. Of duplicate keys the last one counts, and a
// section that appears twice is read as one.
class IniDocument {
public:
    static IniDocument Parse(const QByteArray &bytes);
    QByteArray Serialize() const;

    std::optional<QString> Value(QStringView section, QStringView key) const;
    // Sets the value, replacing every earlier line of that key.
    void SetValue(const QString &section, const QString &key, const QString &value);
    // Removes the key (and its section when nothing else is left in it);
    // false when there was no such key.
    bool Remove(QStringView section, QStringView key);

    int SkippedLines() const { return skippedLines_; }

    // The written form of one value, key or section name, and back. Decode
    // reads a quoted token from the start of `text`: the token's text and the
    // number of characters it took, or nothing when it is malformed.
    enum class TokenKind { Value, Key, Section };
    static QString Encode(const QString &text, TokenKind kind);
    struct Decoded {
        QString text;
        qsizetype length = 0;
    };
    static std::optional<Decoded> DecodeQuoted(QStringView text);

private:
    struct Item {
        bool isEntry = false;
        QString text;   // the line itself, for comments and blank lines
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        bool hasHeader = false;
        std::vector<Item> items;
    };

    Section *FindSection(QStringView name);
    const Section *FindSection(QStringView name) const;
    bool ParseLine(QStringView line, Section *&current);

    std::vector<Section> sections_{Section{}};   // sections_[0]: lines before the first header
    int skippedLines_ = 0;
};

}  // namespace pellimore
