// wptool decode and bmp, run as a program.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "platform/imageio/Pam.h"
#include "platform/imageio/PictureLoader.h"
#include "platform/raster/BmpFile.h"
#include "tests/support/TempHome.h"
#include "tests/support/Wptool.h"

using namespace pellimore;
using namespace pellimore::test;

TEST(Wptool, DecodeWritesPam)
{
    if (qEnvironmentVariableIsEmpty("PELLIMORE_WPTOOL"))
        GTEST_SKIP() << "PELLIMORE_WPTOOL is not set";
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.pam"));
    const QString rgb = TestDataPath(QStringLiteral("bmp/bmpsuite/g/rgb24.bmp"));
    ASSERT_EQ(Wptool({QStringLiteral("decode"), rgb, out}).exitCode, 0);
    EXPECT_EQ(ReadAll(out), EncodePam(ReadBmp(rgb).bitmap, false));

    const QString rgba = TestDataPath(QStringLiteral("bmp/bmpsuite/q/rgba32-1.bmp"));
    ASSERT_EQ(Wptool({QStringLiteral("decode"), rgba, out}).exitCode, 0);
    EXPECT_TRUE(ReadAll(out).contains("TUPLTYPE RGB_ALPHA"));
    EXPECT_EQ(ReadAll(out), EncodePam(ReadBmp(rgba).bitmap, true));

    const ToolRun broken = Wptool({QStringLiteral("decode"), TestDataPath(QStringLiteral("bmp/bmpsuite/b/badrle.bmp")), out});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_TRUE(broken.errorText.contains(QStringLiteral("BMP"))) << broken.errorText.toStdString();
    EXPECT_EQ(Wptool({QStringLiteral("decode"), rgb}).exitCode, 2);
}

TEST(Wptool, BmpConvertsAPicture)
{
    if (qEnvironmentVariableIsEmpty("PELLIMORE_WPTOOL"))
        GTEST_SKIP() << "PELLIMORE_WPTOOL is not set";
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.bmp"));
    const QString gif = TestDataPath(QStringLiteral("gif/giflib/porsche.gif"));
    ASSERT_EQ(Wptool({QStringLiteral("bmp"), gif, out}).exitCode, 0);
    const BmpResult written = ReadBmp(out);
    ASSERT_TRUE(written.Ok()) << written.error.toStdString();
    EXPECT_EQ(written.bitmap.BitCount(), 24);
    EXPECT_EQ(written.bitmap, LoadPicture(gif).bitmap);

    const ToolRun missing = Wptool({QStringLiteral("bmp"), dir.filePath(QStringLiteral("none.jpg")), out});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.errorText.contains(QStringLiteral("none.jpg")));
}
