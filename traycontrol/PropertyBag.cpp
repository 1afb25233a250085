#include "traycontrol/PropertyBag.h"

#include <QDataStream>
#include <QIODevice>

namespace pellimore {

namespace {
constexpr quint32 kMagic = 0x50424147;  // "PBAG"
constexpr quint16 kVersion = 1;
}  // namespace

QByteArray PropertyBag::ToBytes() const
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << kMagic << kVersion << values_;
    return bytes;
}

std::optional<PropertyBag> PropertyBag::FromBytes(const QByteArray &bytes)
{
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0;
    quint16 version = 0;
    PropertyBag bag;
    in >> magic >> version;
    if (in.status() != QDataStream::Ok || magic != kMagic || version != kVersion)
        return std::nullopt;
    in >> bag.values_;
    if (in.status() != QDataStream::Ok)
        return std::nullopt;
    return bag;
}

}  // namespace pellimore
