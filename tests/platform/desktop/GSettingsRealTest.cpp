// The gsettings backends against the real gsettings tool and each desktop's
// own schema files (as its Debian package installs them), compiled into a
// private schema folder; settings go to the keyfile backend in the test's
// private home (no session bus, no real desktop settings). Nothing else on
// the machine is visible to gsettings, so the answers do not depend on what
// else is installed.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/desktop/GSettingsBackend.h"
#include "platform/desktop/ProcessRunner.h"
#include "tests/support/QtPrinters.h"

namespace pellimore {
namespace {

const QString kSystemSchemas = QStringLiteral("/usr/share/glib-2.0/schemas/");
// Quotes, a backslash and blanks: everything that could end a GVariant literal.
const QString kAwkwardPath = QStringLiteral("/home/u/Pictures/it's a \"b\" \\c.bmp");

class GSettingsRealTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("gsettings")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("glib-compile-schemas")).isEmpty())
            GTEST_SKIP() << "gsettings is not installed (libglib2.0-bin)";
        ASSERT_TRUE(schemas_.isValid() && noData_.isValid());
        saved_ = qgetenv("XDG_DATA_DIRS");
        // Only the private folder: no schema of the system is found.
        qputenv("GSETTINGS_SCHEMA_DIR", QFile::encodeName(schemas_.path()));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(noData_.path()));
        // Settings go into $XDG_CONFIG_HOME/glib-2.0/settings/keyfile.
        qputenv("GSETTINGS_BACKEND", "keyfile");
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
    void TearDown() override
    {
        qunsetenv("GSETTINGS_SCHEMA_DIR");
        qunsetenv("GSETTINGS_BACKEND");
        qputenv("XDG_DATA_DIRS", saved_);
    }

    // Copies the installed schema files into the private folder and compiles
    // them; false (with the reason) when the package is not installed.
    bool UseSchemas(const QStringList &files, const char *package, std::string *why)
    {
        for (const QString &file : files) {
            if (!QFile::copy(kSystemSchemas + file, schemas_.filePath(file))) {
                *why = std::string("the schema ") + file.toStdString() + " is not installed (" + package + ")";
                return false;
            }
        }
        return QProcess::execute(QStringLiteral("glib-compile-schemas"), {schemas_.path()}) == 0;
    }

    static QString Get(const QString &schema, const QString &key)
    {
        SystemProcessRunner runner;
        const ProcessOutcome outcome = runner.Run(QStringLiteral("gsettings"), {QStringLiteral("get"), schema, key});
        EXPECT_TRUE(outcome.Succeeded()) << outcome.Describe(QStringLiteral("gsettings")).toStdString();
        return QString::fromUtf8(outcome.standardOutput).trimmed();
    }

    // Applies each style and checks the name gsettings reads back.
    void ExpectStyleNames(GSettingsBackend &backend)
    {
        const std::pair<WallpaperStyle, const char *> names[] = {{WallpaperStyle::Centered, "'centered'"},
                                                                 {WallpaperStyle::Tiled, "'wallpaper'"},
                                                                 {WallpaperStyle::Stretched, "'stretched'"}};
        for (const auto &[style, name] : names) {
            const DesktopResult result = backend.Apply({QStringLiteral("/w.bmp"), style, 0});
            ASSERT_TRUE(result.Ok()) << result.error.toStdString();
            EXPECT_EQ(Get(backend.Schema(), QStringLiteral("picture-options")), QString::fromLatin1(name));
        }
    }

    QTemporaryDir schemas_;
    QTemporaryDir noData_;
    QByteArray saved_;
    SystemProcessRunner runner_;
};

TEST_F(GSettingsRealTest, GnomeKeysHoldTheWallpaperAfterwards)
{
    std::string why;
    if (!UseSchemas({QStringLiteral("org.gnome.desktop.background.gschema.xml"),
                     QStringLiteral("org.gnome.desktop.enums.xml")},
                    "gsettings-desktop-schemas", &why))
        GTEST_SKIP() << why;
    GSettingsBackend gnome(GSettingsBackend::Flavour::Gnome, runner_);
    const DesktopResult result = gnome.Apply({kAwkwardPath, WallpaperStyle::Centered, Rgb(0x12, 0xab, 0xff)});
    ASSERT_TRUE(result.Ok()) << result.error.toStdString();
    const QString schema = gnome.Schema();
    const QString uri = QStringLiteral("\"file:///home/u/Pictures/it's%20a%20%22b%22%20%5Cc.bmp\"");
    EXPECT_EQ(Get(schema, QStringLiteral("picture-uri")), uri);
    EXPECT_EQ(Get(schema, QStringLiteral("picture-uri-dark")), uri);
    EXPECT_EQ(Get(schema, QStringLiteral("primary-color")), QStringLiteral("'#12abff'"));
    EXPECT_EQ(Get(schema, QStringLiteral("color-shading-type")), QStringLiteral("'solid'"));
    ExpectStyleNames(gnome);
}

TEST_F(GSettingsRealTest, MateSchemaAcceptsEveryKeyWithThePlainPath)
{
    std::string why;
    if (!UseSchemas({QStringLiteral("org.mate.background.gschema.xml")}, "mate-desktop-common", &why))
        GTEST_SKIP() << why;
    GSettingsBackend mate(GSettingsBackend::Flavour::Mate, runner_);
    const DesktopResult result = mate.Apply({kAwkwardPath, WallpaperStyle::Stretched, Rgb(255, 255, 255)});
    ASSERT_TRUE(result.Ok()) << result.error.toStdString();
    const QString schema = mate.Schema();
    // gsettings prints a string holding both kinds of quote in double quotes.
    EXPECT_EQ(Get(schema, QStringLiteral("picture-filename")),
              QStringLiteral("\"/home/u/Pictures/it's a \\\"b\\\" \\\\c.bmp\""));
    EXPECT_EQ(Get(schema, QStringLiteral("primary-color")), QStringLiteral("'#ffffff'"));
    EXPECT_EQ(Get(schema, QStringLiteral("color-shading-type")), QStringLiteral("'solid'"));
    ExpectStyleNames(mate);
}

TEST_F(GSettingsRealTest, CinnamonSchemaAcceptsEveryKeyWithTheFileUri)
{
    std::string why;
    if (!UseSchemas({QStringLiteral("org.cinnamon.desktop.background.gschema.xml"),
                     QStringLiteral("org.cinnamon.desktop.enums.xml")},
                    "cinnamon-desktop-data", &why))
        GTEST_SKIP() << why;
    GSettingsBackend cinnamon(GSettingsBackend::Flavour::Cinnamon, runner_);
    const DesktopResult result = cinnamon.Apply({kAwkwardPath, WallpaperStyle::Tiled, Rgb(0, 0x80, 0x0a)});
    ASSERT_TRUE(result.Ok()) << result.error.toStdString();
    const QString schema = cinnamon.Schema();
    EXPECT_EQ(Get(schema, QStringLiteral("picture-uri")),
              QStringLiteral("\"file:///home/u/Pictures/it's%20a%20%22b%22%20%5Cc.bmp\""));
    EXPECT_EQ(Get(schema, QStringLiteral("primary-color")), QStringLiteral("'#00800a'"));
    EXPECT_EQ(Get(schema, QStringLiteral("color-shading-type")), QStringLiteral("'solid'"));
    ExpectStyleNames(cinnamon);
}

TEST_F(GSettingsRealTest, AMissingSchemaFailsNamingTheDesktop)
{
    // The private folder holds no schema at all.
    GSettingsBackend cinnamon(GSettingsBackend::Flavour::Cinnamon, runner_);
    const DesktopResult result = cinnamon.Apply({QStringLiteral("/w.bmp"), WallpaperStyle::Tiled, 0});
    ASSERT_FALSE(result.Ok());
    EXPECT_TRUE(result.error.startsWith(QStringLiteral("Cinnamon desktop: gsettings failed"))) << result.error.toStdString();
}

}  // namespace
}  // namespace pellimore
