// The gsettings backends against the real gsettings tool, with the keyfile
// backend in the test's private home (no session bus, no real desktop
// settings). MATE and Cinnamon schemas are not installed here: the test
// compiles small copies of their background schemas.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/desktop/GSettingsBackend.h"
#include "platform/desktop/ProcessRunner.h"

namespace pellimore {
namespace {

const char *kTestSchemas = R"(<?xml version="1.0" encoding="UTF-8"?>
<schemalist>
  <enum id="test.picture-options">
    <value nick="none" value="0"/><value nick="wallpaper" value="1"/><value nick="centered" value="2"/>
    <value nick="scaled" value="3"/><value nick="stretched" value="4"/><value nick="zoom" value="5"/>
    <value nick="spanned" value="6"/>
  </enum>
  <enum id="test.shading">
    <value nick="solid" value="0"/><value nick="vertical" value="1"/><value nick="horizontal" value="2"/>
  </enum>
  <schema id="org.mate.background" path="/org/mate/desktop/background/">
    <key name="picture-filename" type="s"><default>''</default></key>
    <key name="picture-options" enum="test.picture-options"><default>'zoom'</default></key>
    <key name="primary-color" type="s"><default>'#000000'</default></key>
    <key name="color-shading-type" enum="test.shading"><default>'vertical'</default></key>
  </schema>
  <schema id="org.cinnamon.desktop.background" path="/org/cinnamon/desktop/background/">
    <key name="picture-uri" type="s"><default>''</default></key>
    <key name="picture-options" enum="test.picture-options"><default>'zoom'</default></key>
    <key name="primary-color" type="s"><default>'#000000'</default></key>
    <key name="color-shading-type" enum="test.shading"><default>'vertical'</default></key>
  </schema>
</schemalist>
)";

class GSettingsRealTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("gsettings")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("glib-compile-schemas")).isEmpty())
            GTEST_SKIP() << "gsettings is not installed (libglib2.0-bin)";
        ASSERT_TRUE(schemas_.isValid());
        QFile xml(schemas_.filePath(QStringLiteral("pellimore-test.gschema.xml")));
        ASSERT_TRUE(xml.open(QIODevice::WriteOnly));
        xml.write(kTestSchemas);
        xml.close();
        ASSERT_EQ(QProcess::execute(QStringLiteral("glib-compile-schemas"), {schemas_.path()}), 0);
        qputenv("GSETTINGS_SCHEMA_DIR", QFile::encodeName(schemas_.path()));
        // Settings go into $XDG_CONFIG_HOME/glib-2.0/settings/keyfile of the
        // test's temporary home.
        qputenv("GSETTINGS_BACKEND", "keyfile");
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
    void TearDown() override
    {
        qunsetenv("GSETTINGS_SCHEMA_DIR");
        qunsetenv("GSETTINGS_BACKEND");
    }

    static QString Get(const QString &schema, const QString &key)
    {
        SystemProcessRunner runner;
        const ProcessOutcome outcome = runner.Run(QStringLiteral("gsettings"), {QStringLiteral("get"), schema, key});
        EXPECT_TRUE(outcome.Succeeded()) << outcome.Describe(QStringLiteral("gsettings")).toStdString();
        return QString::fromUtf8(outcome.standardOutput).trimmed();
    }

    QTemporaryDir schemas_;
    SystemProcessRunner runner_;
};

TEST_F(GSettingsRealTest, GnomeKeysHoldTheWallpaperAfterwards)
{
    if (!QFile::exists(QStringLiteral("/usr/share/glib-2.0/schemas/org.gnome.desktop.background.gschema.xml")))
        GTEST_SKIP() << "GNOME's schemas are not installed (gsettings-desktop-schemas)";
    GSettingsBackend gnome(GSettingsBackend::Flavour::Gnome, runner_);
    const QString path = QStringLiteral("/home/u/Pictures/it's Wallpaper Pellimore.bmp");
    const DesktopResult result = gnome.Apply({path, WallpaperStyle::Centered, Rgb(0x12, 0xab, 0xff)});
    ASSERT_TRUE(result.Ok()) << result.error.toStdString();
    const QString schema = QStringLiteral("org.gnome.desktop.background");
    // gsettings prints a string holding a single quote in double quotes.
    const QString uri = QStringLiteral("\"file:///home/u/Pictures/it's%20Wallpaper%20Pellimore.bmp\"");
    EXPECT_EQ(Get(schema, QStringLiteral("picture-uri")), uri);
    EXPECT_EQ(Get(schema, QStringLiteral("picture-uri-dark")), uri);
    EXPECT_EQ(Get(schema, QStringLiteral("picture-options")), QStringLiteral("'centered'"));
    EXPECT_EQ(Get(schema, QStringLiteral("primary-color")), QStringLiteral("'#12abff'"));
    EXPECT_EQ(Get(schema, QStringLiteral("color-shading-type")), QStringLiteral("'solid'"));

    ASSERT_TRUE(gnome.Apply({path, WallpaperStyle::Tiled, 0}).Ok());
    EXPECT_EQ(Get(schema, QStringLiteral("picture-options")), QStringLiteral("'wallpaper'"));
}

TEST_F(GSettingsRealTest, MateTakesThePlainPathAndOptionsByName)
{
    GSettingsBackend mate(GSettingsBackend::Flavour::Mate, runner_);
    const QString path = QStringLiteral("/tmp/a \"b\" \\c.bmp");
    const DesktopResult result = mate.Apply({path, WallpaperStyle::Stretched, Rgb(255, 255, 255)});
    ASSERT_TRUE(result.Ok()) << result.error.toStdString();
    const QString schema = QStringLiteral("org.mate.background");
    EXPECT_EQ(Get(schema, QStringLiteral("picture-filename")), QStringLiteral("'/tmp/a \"b\" \\\\c.bmp'"));
    EXPECT_EQ(Get(schema, QStringLiteral("picture-options")), QStringLiteral("'stretched'"));
    EXPECT_EQ(Get(schema, QStringLiteral("primary-color")), QStringLiteral("'#ffffff'"));
    EXPECT_EQ(Get(schema, QStringLiteral("color-shading-type")), QStringLiteral("'solid'"));
}

TEST_F(GSettingsRealTest, CinnamonHasNoDarkPictureAndAMissingSchemaFails)
{
    GSettingsBackend cinnamon(GSettingsBackend::Flavour::Cinnamon, runner_);
    ASSERT_TRUE(cinnamon.Apply({QStringLiteral("/w.bmp"), WallpaperStyle::Tiled, 0}).Ok());
    EXPECT_EQ(Get(QStringLiteral("org.cinnamon.desktop.background"), QStringLiteral("picture-uri")),
              QStringLiteral("'file:///w.bmp'"));
    EXPECT_EQ(Get(QStringLiteral("org.cinnamon.desktop.background"), QStringLiteral("picture-options")),
              QStringLiteral("'wallpaper'"));

    // Without the schema gsettings refuses; the backend says so.
    qputenv("GSETTINGS_SCHEMA_DIR", "/nonexistent");
    const DesktopResult result = cinnamon.Apply({QStringLiteral("/w.bmp"), WallpaperStyle::Tiled, 0});
    ASSERT_FALSE(result.Ok());
    EXPECT_TRUE(result.error.startsWith(QStringLiteral("Cinnamon desktop: gsettings failed"))) << result.error.toStdString();
}

}  // namespace
}  // namespace pellimore
