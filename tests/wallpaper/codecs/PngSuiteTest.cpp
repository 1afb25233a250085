// Conformance on PngSuite: every valid file against the reference decoder's
// RGBA (libpng, made beforehand), after this decoder's documented conversions;
// every corrupted file refused with its message.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTextStream>

#include "tests/support/ScriptedUi.h"
#include "tests/support/TempHome.h"
#include "wallpaper/codecs/StdPNG.h"
#include "wallpaper/codecs/png/PngPixels.h"

using namespace pellimore;
using namespace pellimore::test;

namespace {

struct Expected {
    int width = 0, height = 0, depth = 0, colorType = 0;
    bool interlaced = false;
    bool hasTrns = false;
};

QHash<QString, Expected> ReadExpected()
{
    QHash<QString, Expected> table;
    QFile file(TestDataPath("pngsuite-reference/EXPECTED.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        return table;
    QTextStream in(&file);
    in.readLine();  // column names
    while (!in.atEnd()) {
        const QStringList f = in.readLine().split('\t');
        if (f.size() < 8)
            continue;
        table.insert(f[0], Expected{f[1].toInt(), f[2].toInt(), f[3].toInt(), f[4].toInt(), f[5] == "1",
                                    f[6].split(',').contains("tRNS")});
    }
    return table;
}

// The bitmap depth the output table gives for an opaque result.
int OpaqueBits(const Expected &e)
{
    if (e.colorType == 0 || e.colorType == 3)
        return e.depth == 1 ? 1 : e.depth <= 4 ? 4 : 8;
    return 24;
}

QStringList SuiteFiles()
{
    return QDir(TestDataPath("pngsuite")).entryList({"*.png"}, QDir::Files, QDir::Name);
}

class PngSuite : public testing::Test {
protected:
    void SetUp() override
    {
        expected = ReadExpected();
        files = SuiteFiles();
        ASSERT_EQ(files.size(), 175) << "PngSuite not found under " << TestDataPath().toStdString();
        ASSERT_EQ(expected.size(), 161);
    }
    QByteArray Reference(const QString &name) const
    {
        QFile file(TestDataPath("pngsuite-reference/" + QString(name).replace(".png", ".rgba")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QHash<QString, Expected> expected;
    QStringList files;
};

// With style -1 every pixel is the reference colour premultiplied by its
// alpha, and alpha-0 pixels are zero.
TEST_F(PngSuite, EveryValidFileMatchesTheReferencePixelForPixel)
{
    ScriptedUi ui;
    StdPNG png(ui);
    png.SetTransparentStyle(-1);
    int checked = 0;
    for (const QString &name : files) {
        if (name.startsWith('x'))
            continue;
        SCOPED_TRACE(name.toStdString());
        ASSERT_TRUE(expected.contains(name));
        const Expected e = expected.value(name);
        ASSERT_TRUE(png.LoadFile(TestDataPath("pngsuite/" + name), true));
        EXPECT_EQ(png.Width(), e.width);
        EXPECT_EQ(png.Height(), e.height);
        EXPECT_EQ(png.IsInterlaced(), e.interlaced);
        const bool alpha = e.colorType == 4 || e.colorType == 6 || e.hasTrns;
        EXPECT_EQ(png.BitCount_BMP(), alpha ? 32 : OpaqueBits(e));
        const QByteArray ref = Reference(name);
        ASSERT_EQ(ref.size(), qsizetype(e.width) * e.height * 4);
        const Bitmap &image = *png.Handle();
        int mismatches = 0;
        for (int y = 0; y < e.height; ++y) {
            for (int x = 0; x < e.width; ++x) {
                const auto *p = reinterpret_cast<const uint8_t *>(ref.constData()) + (y * e.width + x) * 4;
                const Pixel want = png::PremultipliedPixel(p[0], p[1], p[2], p[3]);
                if (image.At(x, y) != want && mismatches++ < 3)
                    ADD_FAILURE() << "pixel " << x << "," << y << std::hex << " got " << image.At(x, y) << " want "
                                  << want;
            }
        }
        EXPECT_EQ(mismatches, 0);
        ++checked;
    }
    EXPECT_EQ(checked, 161);
}

// Style -2 ignores transparency: the stored colours, opaque, in the depth of
// the output table.
TEST_F(PngSuite, IgnoringTransparencyGivesTheStoredColours)
{
    ScriptedUi ui;
    StdPNG png(ui);
    png.SetTransparentStyle(-2);
    for (const QString &name : files) {
        if (name.startsWith('x'))
            continue;
        SCOPED_TRACE(name.toStdString());
        const Expected e = expected.value(name);
        ASSERT_TRUE(png.LoadFile(TestDataPath("pngsuite/" + name)));
        EXPECT_EQ(png.BitCount_BMP(), OpaqueBits(e));
        const QByteArray ref = Reference(name);
        const auto *p = reinterpret_cast<const uint8_t *>(ref.constData());
        int mismatches = 0;
        for (int i = 0; i < e.width * e.height; ++i, p += 4)
            mismatches += png.Handle()->At(i % e.width, i / e.width) != MakePixel(p[0], p[1], p[2]);
        EXPECT_EQ(mismatches, 0);
    }
}

// Flattened onto a colour: the reference blended over it (within rounding).
TEST_F(PngSuite, FlatteningBlendsOverTheChosenColour)
{
    ScriptedUi ui;
    StdPNG png(ui);
    const ColorRef background = Rgb(0x20, 0x80, 0xE0);
    png.SetTransparentStyle(int32_t(background));
    for (const QString &name : files) {
        const Expected e = expected.value(name);
        if (name.startsWith('x') || !(e.colorType == 4 || e.colorType == 6 || e.hasTrns))
            continue;
        SCOPED_TRACE(name.toStdString());
        ASSERT_TRUE(png.LoadFile(TestDataPath("pngsuite/" + name)));
        EXPECT_EQ(png.BitCount_BMP(), 24);
        const QByteArray ref = Reference(name);
        const auto *p = reinterpret_cast<const uint8_t *>(ref.constData());
        int worst = 0;
        for (int i = 0; i < e.width * e.height; ++i, p += 4) {
            const Pixel got = png.Handle()->At(i % e.width, i / e.width);
            const uint8_t bg[3] = {RedOf(background), GreenOf(background), BlueOf(background)};
            const uint8_t gotC[3] = {PixelRed(got), PixelGreen(got), PixelBlue(got)};
            for (int c = 0; c < 3; ++c) {
                const double want = p[c] * p[3] / 255.0 + bg[c] * (255 - p[3]) / 255.0;
                worst = std::max(worst, int(std::abs(gotC[c] - want) + 0.5));
            }
        }
        EXPECT_LE(worst, 1);
    }
}

TEST_F(PngSuite, EveryCorruptedFileIsRefusedWithItsMessage)
{
    const QString notPng = "This is not a valid PNG file";
    const QHash<QString, QPair<QString, QString>> messages = {
        {"xc1n0g08.png", {"Invalid Color Type Flag in Header. Cannot continue.", "Invalid PNG Format"}},
        {"xc9n2c08.png", {"Invalid Color Type Flag in Header. Cannot continue.", "Invalid PNG Format"}},
        {"xcrn0g04.png", {notPng, "Invalid Format"}},
        {"xcsn0g01.png", {"Corrupted Image Data (bad CRC). Cannot continue.", "Invalid PNG Format"}},
        {"xd0n2c08.png", {"Invalid Bit Depth Flag in Header. Cannot continue.", "Invalid PNG Format"}},
        {"xd3n2c08.png", {"Invalid Bit Depth Flag in Header. Cannot continue.", "Invalid PNG Format"}},
        {"xd9n2c08.png", {"Invalid Bit Depth Flag in Header. Cannot continue.", "Invalid PNG Format"}},
        {"xdtn0g01.png", {"No image data found. Cannot continue.", "Invalid PNG Format"}},
        {"xhdn0g08.png", {"Corrupted Image Header (bad CRC). Cannot continue.", "Invalid PNG Format"}},
        {"xlfn0g04.png", {notPng, "Invalid Format"}},
        {"xs1n0g01.png", {notPng, "Invalid Format"}},
        {"xs2n0g01.png", {notPng, "Invalid Format"}},
        {"xs4n0g01.png", {notPng, "Invalid Format"}},
        {"xs7n0g01.png", {notPng, "Invalid Format"}},
    };
    int refused = 0;
    for (const QString &name : files) {
        if (!name.startsWith('x'))
            continue;
        SCOPED_TRACE(name.toStdString());
        ASSERT_TRUE(messages.contains(name)) << "no expected message for a new corrupted file";
        for (bool validate : {false, true}) {
            ScriptedUi ui;
            StdPNG png(ui);
            ui.ExpectMessage(messages[name].first, messages[name].second, MessageResult::Ok)
                .WithIcon(MessageIcon::Exclamation);
            EXPECT_FALSE(png.LoadFile(TestDataPath("pngsuite/" + name), validate));
            EXPECT_EQ(png.Handle(), nullptr);
        }
        ++refused;
    }
    EXPECT_EQ(refused, 14);
}

}  // namespace
