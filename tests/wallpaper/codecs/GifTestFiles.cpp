#include "tests/wallpaper/codecs/GifTestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include "tests/support/TempHome.h"

namespace pellimore::test {

namespace {

void Put16(QByteArray &bytes, int value)
{
    bytes.append(char(value & 0xFF));
    bytes.append(char((value >> 8) & 0xFF));
}

// Size bits N of a table of at least `count` entries (2^(N+1) >= count).
int SizeBits(std::size_t count)
{
    int bits = 0;
    while ((std::size_t(2) << bits) < count && bits < 7)
        ++bits;
    return bits;
}

void PutTable(QByteArray &bytes, const std::vector<ColorRef> &colours, int sizeBits)
{
    for (int i = 0; i < (2 << sizeBits); ++i) {
        const ColorRef c = i < int(colours.size()) ? colours[std::size_t(i)] : 0;
        bytes.append(char(RedOf(c))).append(char(GreenOf(c))).append(char(BlueOf(c)));
    }
}

class BitWriter {
public:
    void Put(int code, int width)
    {
        for (int i = 0; i < width; ++i) {
            if ((code >> i) & 1)
                current_ |= uint8_t(1 << filled_);
            if (++filled_ == 8)
                Flush();
        }
    }
    QByteArray Finish()
    {
        if (filled_ > 0)
            Flush();
        return bytes_;
    }

private:
    void Flush()
    {
        bytes_.append(char(current_));
        current_ = 0;
        filled_ = 0;
    }
    QByteArray bytes_;
    uint8_t current_ = 0;
    int filled_ = 0;
};

}  // namespace

QByteArray GifImageData(const std::vector<uint8_t> &indices, int minCodeSize)
{
    const int clear = 1 << minCodeSize;
    const int width = minCodeSize + 1;
    const int perClear = clear - 2;  // codes after a clear before the table would widen the codes
    BitWriter writer;
    writer.Put(clear, width);
    int sinceClear = 0;
    for (uint8_t index : indices) {
        if (sinceClear == perClear) {
            writer.Put(clear, width);
            sinceClear = 0;
        }
        writer.Put(index, width);
        ++sinceClear;
    }
    writer.Put(clear + 1, width);  // end of information
    const QByteArray packed = writer.Finish();
    QByteArray data;
    data.append(char(minCodeSize));
    for (qsizetype at = 0; at < packed.size(); at += 255) {
        const QByteArray block = packed.mid(at, 255);
        data.append(char(block.size())).append(block);
    }
    data.append('\0');
    return data;
}

GifBuilder::GifBuilder(int width, int height, const QByteArray &signature)
{
    bytes_ = signature;
    Put16(bytes_, width);
    Put16(bytes_, height);
    bytes_.append('\0');  // packed: no global table yet
    bytes_.append('\0');  // background index
    bytes_.append('\0');  // aspect ratio
}

GifBuilder &GifBuilder::GlobalTable(const std::vector<ColorRef> &colours, int backgroundIndex)
{
    const int bits = SizeBits(colours.size());
    bytes_[10] = char(0x80 | (bits << 4) | bits);
    bytes_[11] = char(backgroundIndex);
    PutTable(bytes_, colours, bits);
    return *this;
}

GifBuilder &GifBuilder::Netscape(int loops)
{
    bytes_.append("\x21\xFF\x0B" "NETSCAPE2.0", 14);
    bytes_.append("\x03\x01", 2);
    Put16(bytes_, loops);
    bytes_.append('\0');
    return *this;
}

GifBuilder &GifBuilder::Comment(const QByteArray &text)
{
    bytes_.append("\x21\xFE", 2);
    for (qsizetype at = 0; at < text.size(); at += 255) {
        const QByteArray block = text.mid(at, 255);
        bytes_.append(char(block.size())).append(block);
    }
    bytes_.append('\0');
    return *this;
}

GifBuilder &GifBuilder::Control(int disposal, int delayCs, int transparentIndex)
{
    bytes_.append("\x21\xF9\x04", 3);
    bytes_.append(char(((disposal & 7) << 2) | (transparentIndex >= 0 ? 1 : 0)));
    Put16(bytes_, delayCs);
    bytes_.append(char(transparentIndex >= 0 ? transparentIndex : 0));
    bytes_.append('\0');
    return *this;
}

GifBuilder &GifBuilder::Image(int left, int top, int width, int height, const std::vector<uint8_t> &indices,
                              const std::vector<ColorRef> &localTable)
{
    bytes_.append('\x2C');
    Put16(bytes_, left);
    Put16(bytes_, top);
    Put16(bytes_, width);
    Put16(bytes_, height);
    int minCodeSize = 2;
    if (localTable.empty()) {
        bytes_.append('\0');
        const int globalBits = (uint8_t(bytes_[10]) & 0x80) ? (uint8_t(bytes_[10]) & 7) : 1;
        minCodeSize = std::max(2, globalBits + 1);
    } else {
        const int bits = SizeBits(localTable.size());
        bytes_.append(char(0x80 | bits));
        PutTable(bytes_, localTable, bits);
        minCodeSize = std::max(2, bits + 1);
    }
    bytes_.append(GifImageData(indices, minCodeSize));
    return *this;
}

GifBuilder &GifBuilder::SolidImage(int left, int top, int width, int height, uint8_t index)
{
    return Image(left, top, width, height, std::vector<uint8_t>(std::size_t(width) * std::size_t(height), index));
}

GifBuilder &GifBuilder::Raw(const QByteArray &bytes)
{
    bytes_.append(bytes);
    return *this;
}

GifBuilder &GifBuilder::Trailer()
{
    bytes_.append('\x3B');
    return *this;
}

QString GifBuilder::Write(const QString &name) const
{
    return WriteGifFile(name, bytes_);
}

QString WriteGifFile(const QString &name, const QByteArray &data)
{
    const QString folder = QDir::homePath() + QStringLiteral("/gif-tests");
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size())
        return QString();
    return path;
}

QString GifCorpusPath(const QString &relative)
{
    return TestDataPath(QStringLiteral("gif/") + relative);
}

std::optional<QByteArray> RunConvert(const QStringList &arguments)
{
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty())
        return std::nullopt;
    QProcess process;
    process.start(convert, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

Bitmap ReadNetpbm(const QByteArray &data)
{
    // P6: "P6\nW H\n255\n" then RGB; P7: header lines up to ENDHDR.
    auto header = [&](qsizetype &at) {
        QByteArray token;
        while (at < data.size()) {
            const char c = data[at];
            if (c == '#') {
                while (at < data.size() && data[at] != '\n')
                    ++at;
            } else if (QChar::isSpace(uchar(c))) {
                ++at;
                if (!token.isEmpty())
                    return token;
            } else {
                token.append(c);
                ++at;
            }
        }
        return token;
    };
    qsizetype at = 0;
    const QByteArray magic = header(at);
    int width = 0, height = 0, depth = 3;
    if (magic == "P6") {
        width = header(at).toInt();
        height = header(at).toInt();
        header(at);  // maxval
    } else if (magic == "P7") {
        for (QByteArray key = header(at); !key.isEmpty() && key != "ENDHDR"; key = header(at)) {
            if (key == "WIDTH")
                width = header(at).toInt();
            else if (key == "HEIGHT")
                height = header(at).toInt();
            else if (key == "DEPTH")
                depth = header(at).toInt();
            else if (key == "MAXVAL" || key == "TUPLTYPE")
                header(at);
        }
    } else {
        return Bitmap();
    }
    if (width <= 0 || height <= 0 || (depth != 3 && depth != 4) ||
        data.size() - at < qsizetype(width) * height * depth)
        return Bitmap();
    Bitmap bitmap(width, height, depth == 4 ? 32 : 24);
    const auto *p = reinterpret_cast<const uint8_t *>(data.constData() + at);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x, p += depth)
            bitmap.Set(x, y, MakePixel(p[0], p[1], p[2], depth == 4 ? p[3] : 255));
    }
    return bitmap;
}

}  // namespace pellimore::test
