#pragma once

// Readable Qt values in GoogleTest messages: include this in a test that
// compares QStrings, QByteArrays, string lists, dates or times.
#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QUrl>

#include <ostream>

inline void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

inline void PrintTo(const QByteArray &bytes, std::ostream *os)
{
    *os << '"';
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\n')
            *os << "\\n";
        else if (c == '"' || c == '\\')
            *os << '\\' << c;
        else if (u < 0x20 || u >= 0x7F)
            *os << "\\x" << "0123456789ABCDEF"[u >> 4] << "0123456789ABCDEF"[u & 15];
        else
            *os << c;
    }
    *os << '"';
}

inline void PrintTo(const QStringList &list, std::ostream *os)
{
    *os << '{';
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (i)
            *os << ", ";
        PrintTo(list[i], os);
    }
    *os << '}';
}

inline void PrintTo(const QDate &date, std::ostream *os) { *os << date.toString(Qt::ISODate).toStdString(); }
inline void PrintTo(const QTime &time, std::ostream *os) { *os << time.toString(Qt::ISODateWithMs).toStdString(); }
inline void PrintTo(const QDateTime &dateTime, std::ostream *os)
{
    *os << dateTime.toString(Qt::ISODateWithMs).toStdString();
}
inline void PrintTo(const QUrl &url, std::ostream *os) { *os << url.toString().toStdString(); }
