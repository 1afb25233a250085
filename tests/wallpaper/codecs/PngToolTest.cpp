// wptool png (and wptool decode for .png names), run as a program.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "platform/imageio/Pam.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempHome.h"
#include "tests/support/Wptool.h"
#include "wallpaper/codecs/StdPNG.h"

using namespace pellimore;
using namespace pellimore::test;

namespace {

// The PAM the decoder's own bitmap gives, loaded here with the same options.
QByteArray ExpectedPam(const QString &file, int32_t style, bool make32 = false)
{
    ScriptedUi ui;
    StdPNG png(ui);
    png.SetTransparentStyle(style);
    if (!png.LoadFile(file, false, make32))
        return QByteArray();
    return EncodePam(*png.Handle(), png.BitCount_BMP() == 32);
}

class PngTool : public testing::Test {
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("PELLIMORE_WPTOOL"))
            GTEST_SKIP() << "PELLIMORE_WPTOOL is not set";
    }
    QString Suite(const char *name) const { return TestDataPath(QString("pngsuite/") + name); }
    QTemporaryDir dir;
    QString out = dir.filePath("out.pam");
};

}  // namespace

TEST_F(PngTool, WritesTheDecodersBitmapAsItIs)
{
    // Premultiplied RGBA, palette expanded to RGB.
    ASSERT_EQ(Wptool({"png", Suite("basn6a08.png"), out}).exitCode, 0);
    EXPECT_TRUE(ReadAll(out).contains("TUPLTYPE RGB_ALPHA"));
    EXPECT_EQ(ReadAll(out), ExpectedPam(Suite("basn6a08.png"), -1));
    ASSERT_EQ(Wptool({"png", Suite("tbbn3p08.png"), out, "--style", "-2"}).exitCode, 0);
    EXPECT_TRUE(ReadAll(out).contains("TUPLTYPE RGB\n"));
    EXPECT_EQ(ReadAll(out), ExpectedPam(Suite("tbbn3p08.png"), -2));
    // Flattened onto white; and a 32-bit result forced for an opaque file.
    ASSERT_EQ(Wptool({"png", "--style", "-4", Suite("basn6a08.png"), out, "--validate"}).exitCode, 0);
    EXPECT_EQ(ReadAll(out), ExpectedPam(Suite("basn6a08.png"), -4));
    ASSERT_EQ(Wptool({"png", Suite("basn2c08.png"), out, "--make32"}).exitCode, 0);
    EXPECT_EQ(ReadAll(out), ExpectedPam(Suite("basn2c08.png"), -1, true));
    // wptool decode hands PNG names to the same decoder.
    ASSERT_EQ(Wptool({"decode", Suite("basi6a16.png"), out}).exitCode, 0);
    EXPECT_EQ(ReadAll(out), ExpectedPam(Suite("basi6a16.png"), -1));
}

TEST_F(PngTool, FailuresPrintTitleAndPrompt)
{
    const ToolRun run = Wptool({"png", Suite("xdtn0g01.png"), out});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errorText.contains("Invalid PNG Format: No image data found. Cannot continue."))
        << run.errorText.toStdString();
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(Wptool({"png", Suite("basn0g01.png")}).exitCode, 2);
    EXPECT_EQ(Wptool({"png", Suite("basn0g01.png"), out, "--style", "white"}).exitCode, 2);
}
