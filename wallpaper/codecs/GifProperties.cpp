#include "wallpaper/codecs/GifProperties.h"

#include <QList>
#include <QMap>

#include "platform/store/SettingsStore.h"

namespace pellimore {

namespace {

constexpr char kBlobMagic[] = "ucGIF properties 1";

using Bag = QMap<QString, QString>;

QString BoolText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

std::optional<int64_t> ReadNumber(const Bag &bag, const char *key)
{
    const auto found = bag.constFind(QLatin1String(key));
    if (found == bag.constEnd())
        return std::nullopt;
    bool ok = false;
    const qlonglong value = found->trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return int64_t(value);
}

std::optional<int> ReadInt(const Bag &bag, const char *key)
{
    const std::optional<int64_t> value = ReadNumber(bag, key);
    if (!value || *value < INT32_MIN || *value > INT32_MAX)
        return std::nullopt;
    return int(*value);
}

std::optional<bool> ReadBool(const Bag &bag, const char *key)
{
    const auto found = bag.constFind(QLatin1String(key));
    if (found == bag.constEnd())
        return std::nullopt;
    const QString text = found->trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("-1") || text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("false") || text == QLatin1String("0"))
        return false;
    return std::nullopt;
}

Bag ToBag(const GifControlProperties &p)
{
    Bag bag;
    bag.insert(QLatin1String(GifControlProperties::kNrLoops), QString::number(p.nrLoops.value_or(0)));
    bag.insert(QLatin1String(GifControlProperties::kAutoSize), BoolText(p.autoSize));
    bag.insert(QLatin1String(GifControlProperties::kBkColor), QString::number(p.bkColor));
    bag.insert(QLatin1String(GifControlProperties::kMinDelay), QString::number(p.minDelay));
    bag.insert(QLatin1String(GifControlProperties::kScaleFactor), QString::number(p.scaleFactor));
    bag.insert(QLatin1String(GifControlProperties::kScaleMode), QString::number(p.scaleMode));
    bag.insert(QLatin1String(GifControlProperties::kFileLen), QString::number(p.FileLen()));
    if (p.FileLen() != 0)
        bag.insert(QLatin1String(GifControlProperties::kFileData), QString::fromLatin1(p.fileData.toBase64()));
    return bag;
}

GifControlProperties FromBag(const Bag &bag)
{
    GifControlProperties p;
    p.nrLoops = ReadInt(bag, GifControlProperties::kNrLoops);
    p.autoSize = ReadBool(bag, GifControlProperties::kAutoSize).value_or(p.autoSize);
    if (const std::optional<int64_t> color = ReadNumber(bag, GifControlProperties::kBkColor);
        color && *color >= INT32_MIN && *color <= UINT32_MAX)
        p.bkColor = ColorRef(uint32_t(*color));
    p.minDelay = ReadInt(bag, GifControlProperties::kMinDelay).value_or(p.minDelay);
    p.scaleFactor = ReadInt(bag, GifControlProperties::kScaleFactor).value_or(p.scaleFactor);
    p.scaleMode = ReadInt(bag, GifControlProperties::kScaleMode).value_or(p.scaleMode);
    const int64_t fileLen = ReadNumber(bag, GifControlProperties::kFileLen).value_or(0);
    if (fileLen > 0) {
        const auto data = bag.constFind(QLatin1String(GifControlProperties::kFileData));
        if (data != bag.constEnd()) {
            const auto decoded = QByteArray::fromBase64Encoding(data->toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
            // Only a file of exactly the stated length is taken: anything
            // else is a damaged bag, not a GIF to write out.
            if (decoded && decoded.decoded.size() == fileLen + 1)
                p.fileData = decoded.decoded;
        }
    }
    return p;
}

}  // namespace

bool GifControlProperties::SaveToStore(SettingsStore &store, const QString &application, const QString &section) const
{
    const Bag bag = ToBag(*this);
    bool ok = true;
    for (auto it = bag.constBegin(); it != bag.constEnd(); ++it)
        ok = store.SaveSetting(application, section, it.key(), it.value()) && ok;
    if (FileLen() == 0)
        store.DeleteSetting(application, section, QLatin1String(kFileData));
    return ok;
}

GifControlProperties GifControlProperties::LoadFromStore(const SettingsStore &store, const QString &application,
                                                         const QString &section)
{
    Bag bag;
    for (const char *key : {kNrLoops, kAutoSize, kBkColor, kMinDelay, kScaleFactor, kScaleMode, kFileLen, kFileData}) {
        // A sentinel default tells a missing key from an empty one.
        const QString missing = QStringLiteral("\x01");
        const QString value = store.GetSetting(application, section, QLatin1String(key), missing);
        if (value != missing)
            bag.insert(QLatin1String(key), value);
    }
    return FromBag(bag);
}

QByteArray GifControlProperties::ToBlob() const
{
    QByteArray blob(kBlobMagic);
    blob.append('\n');
    const Bag bag = ToBag(*this);
    for (auto it = bag.constBegin(); it != bag.constEnd(); ++it)
        blob.append(it.key().toUtf8()).append('=').append(it.value().toUtf8()).append('\n');
    return blob;
}

std::optional<GifControlProperties> GifControlProperties::FromBlob(const QByteArray &blob)
{
    const QList<QByteArray> lines = blob.split('\n');
    if (lines.isEmpty() || lines.first() != kBlobMagic)
        return std::nullopt;
    Bag bag;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0)
            continue;
        bag.insert(QString::fromUtf8(line.left(equals)), QString::fromUtf8(line.mid(equals + 1)));
    }
    return FromBag(bag);
}

}  // namespace pellimore
