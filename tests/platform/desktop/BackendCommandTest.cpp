// Command lines of the desktops that cannot run here (KDE, XFCE, sway) and
// the failure paths of every tool-driven backend, through a recording runner.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/desktop/GSettingsBackend.h"
#include "platform/desktop/OtherBackends.h"
#include "platform/desktop/SystemDesktop.h"
#include "tests/support/RecordingProcessRunner.h"

namespace pellimore {
namespace {

using test::RecordingProcessRunner;

// A display name no X server has: the XFCE backend learns no monitors from it.
const QString kNoDisplay = QStringLiteral(":no-display");

const WallpaperSettings kTiledRed{QStringLiteral("/pics/a b's.bmp"), WallpaperStyle::Tiled, Rgb(255, 0, 16)};

TEST(GSettingsBackend, WritesEveryKeyOfItsSchema)
{
    RecordingProcessRunner runner;
    runner.SetInstalled({QStringLiteral("gsettings")});
    GSettingsBackend gnome(GSettingsBackend::Flavour::Gnome, runner);
    ASSERT_TRUE(gnome.Apply(kTiledRed).Ok());
    const QString schema = QStringLiteral("org.gnome.desktop.background");
    const std::vector<QStringList> expected = {
        {"gsettings", "set", schema, "color-shading-type", "'solid'"},
        {"gsettings", "set", schema, "primary-color", "'#ff0010'"},
        {"gsettings", "set", schema, "picture-options", "'wallpaper'"},
        {"gsettings", "set", schema, "picture-uri", "'file:///pics/a%20b\\'s.bmp'"},
        {"gsettings", "set", schema, "picture-uri-dark", "'file:///pics/a%20b\\'s.bmp'"},
    };
    EXPECT_EQ(runner.Commands(), expected);
}

TEST(GSettingsBackend, MateTakesAPlainQuotedPathAndCinnamonHasNoDarkPicture)
{
    RecordingProcessRunner runner;
    runner.SetInstalled({QStringLiteral("gsettings")});
    GSettingsBackend mate(GSettingsBackend::Flavour::Mate, runner);
    ASSERT_TRUE(mate.Apply(kTiledRed).Ok());
    EXPECT_EQ(runner.Commands().back(),
              (QStringList{"gsettings", "set", "org.mate.background", "picture-filename", "'/pics/a b\\'s.bmp'"}));

    runner.ClearCalls();
    GSettingsBackend cinnamon(GSettingsBackend::Flavour::Cinnamon, runner);
    ASSERT_TRUE(cinnamon.Apply({QStringLiteral("/p.bmp"), WallpaperStyle::Stretched, 0}).Ok());
    ASSERT_EQ(runner.Commands().size(), 4u);
    EXPECT_EQ(runner.Commands()[2][4], QStringLiteral("'stretched'"));
    EXPECT_EQ(runner.Commands()[3][3], QStringLiteral("picture-uri"));
}

TEST(GSettingsBackend, FailuresNameTheDesktopAndTheTool)
{
    RecordingProcessRunner runner;
    GSettingsBackend gnome(GSettingsBackend::Flavour::Gnome, runner);
    DesktopResult result = gnome.Apply(kTiledRed);
    ASSERT_FALSE(result.Ok());
    EXPECT_EQ(result.error, QStringLiteral("GNOME desktop: gsettings is not installed"));

    runner.SetInstalled({QStringLiteral("gsettings")});
    ProcessOutcome noSchema;
    noSchema.started = true;
    noSchema.exitCode = 1;
    noSchema.standardError = "No such schema “org.gnome.desktop.background”\n";
    runner.QueueOutcome(QStringLiteral("gsettings"), noSchema);
    result = gnome.Apply(kTiledRed);
    ASSERT_FALSE(result.Ok());
    EXPECT_TRUE(result.error.startsWith(QStringLiteral("GNOME desktop: gsettings failed with exit status 1: No such schema")))
        << result.error.toStdString();
    EXPECT_EQ(runner.Commands().size(), 1u) << "stops at the first failed write";
}

TEST(GVariantString, QuotesWhatWouldEndTheLiteral)
{
    EXPECT_EQ(GVariantString(QStringLiteral("it's")), QStringLiteral("'it\\'s'"));
    EXPECT_EQ(GVariantString(QStringLiteral("a\\b")), QStringLiteral("'a\\\\b'"));
    EXPECT_EQ(GVariantString(QStringLiteral("a\nb")), QStringLiteral("'a\\u000ab'"));
}

TEST(PlasmaBackend, SendsOneScriptForEveryDesktopWithTheNameSafelyQuoted)
{
    RecordingProcessRunner runner;
    runner.SetInstalled({QStringLiteral("dbus-send")});
    PlasmaBackend plasma(runner);
    const WallpaperSettings settings{QStringLiteral("/pics/\"quote\"\\back\nline\u2028.bmp"), WallpaperStyle::Centered,
                                     Rgb(1, 2, 3)};
    ASSERT_TRUE(plasma.Apply(settings).Ok());
    ASSERT_EQ(runner.Commands().size(), 1u);
    const QStringList command = runner.Commands().front();
    EXPECT_EQ(command.mid(0, 7), (QStringList{"dbus-send", "--session", "--type=method_call", "--print-reply",
                                              "--dest=org.kde.plasmashell", "/PlasmaShell",
                                              "org.kde.PlasmaShell.evaluateScript"}));
    const QString script = command.at(7);
    ASSERT_TRUE(script.startsWith(QStringLiteral("string:")));
    EXPECT_TRUE(script.contains(QStringLiteral("d.wallpaperPlugin = \"org.kde.image\";")));
    EXPECT_TRUE(script.contains(QStringLiteral("[\"Wallpaper\", \"org.kde.image\", \"General\"]")));
    EXPECT_TRUE(script.contains(QStringLiteral("d.writeConfig(\"FillMode\", 6);")));
    EXPECT_TRUE(script.contains(QStringLiteral("d.writeConfig(\"Color\", \"#010203\");")));
    // The URI is percent-encoded; nothing of the name can break out.
    EXPECT_TRUE(script.contains(
        QStringLiteral("d.writeConfig(\"Image\", \"file:///pics/%22quote%22%5Cback%0Aline%E2%80%A8.bmp\");")))
        << script.toStdString();
    EXPECT_EQ(PlasmaBackend::FillMode(WallpaperStyle::Tiled), 3);
    EXPECT_EQ(PlasmaBackend::FillMode(WallpaperStyle::Stretched), 0);
}

TEST(JavaScriptString, EscapesQuotesBackslashesAndLineBreaks)
{
    EXPECT_EQ(JavaScriptString(QStringLiteral("a\"b\\c\nd\u2028")),
              QStringLiteral("\"a\\\"b\\\\c\\u000ad\\u2028\""));
}

TEST(XfceBackend, FindsEveryMonitorAndWorkspaceAndCreatesMissingProperties)
{
    const QString listing = QStringLiteral(
        "/backdrop/screen0/monitor0/image-path\n"
        "/backdrop/screen0/monitor0/image-style\n"
        "/backdrop/screen0/monitorHDMI-1/workspace0/last-image\n"
        "/backdrop/screen0/monitorHDMI-1/workspace0/color-style\n"
        "/backdrop/screen0/monitorHDMI-1/workspace1/last-image\n"
        "/backdrop/screen0/monitoreDP-1/workspace0/image-style\n"
        "/backdrop/screen1/monitor0/workspace0/last-image\n"
        "/desktop-icons/style\n");
    EXPECT_EQ(XfceBackend::BackdropFolders(listing),
              (QStringList{"/backdrop/screen0/monitor0", "/backdrop/screen0/monitorHDMI-1/workspace0",
                           "/backdrop/screen0/monitorHDMI-1/workspace1", "/backdrop/screen0/monitoreDP-1/workspace0"}));

    RecordingProcessRunner runner;
    runner.SetInstalled({QStringLiteral("xfconf-query")});
    ProcessOutcome listed;
    listed.started = true;
    listed.exitCode = 0;
    listed.standardOutput = "/backdrop/screen0/monitorVGA-1/workspace0/last-image\n";
    runner.QueueOutcome(QStringLiteral("xfconf-query"), listed);
    XfceBackend xfce(runner, kNoDisplay);
    ASSERT_TRUE(xfce.Apply({QStringLiteral("/p/w.bmp"), WallpaperStyle::Stretched, Rgb(255, 0, 51)}).Ok());
    const QString base = QStringLiteral("/backdrop/screen0/monitorVGA-1/workspace0");
    const std::vector<QStringList> expected = {
        {"xfconf-query", "-c", "xfce4-desktop", "-l"},
        {"xfconf-query", "-c", "xfce4-desktop", "-p", base + "/color-style", "-n", "-t", "int", "-s", "0"},
        {"xfconf-query", "-c", "xfce4-desktop", "-p", base + "/rgba1", "-n", "-t", "double", "-t", "double", "-t",
         "double", "-t", "double", "-s", "1.000000", "-s", "0.000000", "-s", "0.200000", "-s", "1.000000"},
        {"xfconf-query", "-c", "xfce4-desktop", "-p", base + "/image-style", "-n", "-t", "int", "-s", "3"},
        {"xfconf-query", "-c", "xfce4-desktop", "-p", base + "/last-image", "-n", "-t", "string", "-s", "/p/w.bmp"},
    };
    EXPECT_EQ(runner.Commands(), expected);
}

TEST(XfceBackend, WithoutListedFoldersOrADisplayItWritesMonitorZeroOfEveryWorkspaceAndReportsAFailedWrite)
{
    RecordingProcessRunner runner;
    runner.SetInstalled({QStringLiteral("xfconf-query")});
    ProcessOutcome answer;
    answer.started = true;
    answer.exitCode = 0;
    runner.QueueOutcome(QStringLiteral("xfconf-query"), answer);  // an empty listing
    answer.standardOutput = "2\n";
    runner.QueueOutcome(QStringLiteral("xfconf-query"), answer);  // xfwm4's workspace count
    ASSERT_TRUE(XfceBackend(runner, kNoDisplay).Apply(kTiledRed).Ok());
    const std::vector<QStringList> commands = runner.Commands();
    ASSERT_EQ(commands.size(), 10u);
    EXPECT_EQ(commands[1], (QStringList{"xfconf-query", "-c", "xfwm4", "-p", "/general/workspace_count"}));
    EXPECT_EQ(commands[2][4], QStringLiteral("/backdrop/screen0/monitor0/workspace0/color-style"));
    EXPECT_EQ(commands[9][4], QStringLiteral("/backdrop/screen0/monitor0/workspace1/last-image"));

    runner.ClearCalls();
    answer.standardOutput.clear();
    runner.QueueOutcome(QStringLiteral("xfconf-query"), answer);
    ProcessOutcome refused;
    refused.started = true;
    refused.exitCode = 1;
    refused.standardError = "Failed to init libxfconf";
    runner.QueueOutcome(QStringLiteral("xfconf-query"), refused);  // no workspace count: one workspace
    runner.QueueOutcome(QStringLiteral("xfconf-query"), refused);
    const DesktopResult result = XfceBackend(runner, kNoDisplay).Apply(kTiledRed);
    EXPECT_EQ(result.error, QStringLiteral("XFCE desktop: xfconf-query failed with exit status 1: Failed to init libxfconf"));
    EXPECT_EQ(runner.Commands().size(), 3u);
}

TEST(SwaybgBackend, StartsTheNewOneBeforeEndingTheOneStartedBefore)
{
    QTemporaryDir dir;
    const QString pidFile = dir.filePath(QStringLiteral("swaybg.pid"));
    RecordingProcessRunner runner;
    runner.SetInstalled({QStringLiteral("swaybg")});
    SwaybgBackend sway(runner, pidFile);
    ASSERT_TRUE(sway.Apply({QStringLiteral("/p/w.bmp"), WallpaperStyle::Centered, Rgb(0x12, 0x34, 0x56)}).Ok());
    ASSERT_TRUE(sway.Apply({QStringLiteral("/p/x.bmp"), WallpaperStyle::Tiled, 0}).Ok());
    ASSERT_EQ(runner.Calls().size(), 3u);
    EXPECT_EQ(runner.Calls()[0].command,
              (QStringList{"swaybg", "-o", "*", "-i", "/p/w.bmp", "-m", "center", "-c", "#123456"}));
    EXPECT_EQ(runner.Calls()[1].kind, QStringLiteral("background"));
    EXPECT_EQ(runner.Calls()[1].command.mid(5, 2), (QStringList{"-m", "tile"}));
    EXPECT_EQ(runner.Calls()[2].kind, QStringLiteral("terminate"));
    EXPECT_EQ(runner.Calls()[2].command, (QStringList{"swaybg", "4242"}));
    QFile file(pidFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().trimmed(), QByteArray("4243"));
}

TEST(SwaybgBackend, AFailedStartKeepsTheOldWallpaper)
{
    QTemporaryDir dir;
    RecordingProcessRunner runner;
    runner.SetInstalled({QStringLiteral("swaybg")});
    SwaybgBackend sway(runner, dir.filePath(QStringLiteral("swaybg.pid")));
    ASSERT_TRUE(sway.Apply(kTiledRed).Ok());
    runner.SetBackgroundFails(true);
    EXPECT_FALSE(sway.Apply(kTiledRed).Ok());
    EXPECT_TRUE(runner.Commands(QStringLiteral("terminate")).empty());
}

// A backend that only remembers what it was given.
class RememberingBackend final : public DesktopBackend {
public:
    explicit RememberingBackend(bool cachesByName, std::vector<WallpaperSettings> *seen)
        : cachesByName_(cachesByName), seen_(seen) {}
    QString Name() const override { return QStringLiteral("Test"); }
    DesktopResult Apply(const WallpaperSettings &settings) override
    {
        seen_->push_back(settings);
        return fail_ ? DesktopResult::Failure(QStringLiteral("refused")) : DesktopResult::Success();
    }
    bool CachesByFileName() const override { return cachesByName_; }
    bool fail_ = false;

private:
    bool cachesByName_;
    std::vector<WallpaperSettings> *seen_;
};

TEST(SystemDesktop, DesktopsThatCacheByNameGetAFreshCopyEachTime)
{
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("Wallpaper Pellimore.bmp"));
    QFile file(picture);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("first");
    file.close();
    std::vector<WallpaperSettings> seen;
    auto backend = std::make_unique<RememberingBackend>(true, &seen);
    RememberingBackend *raw = backend.get();
    const QString cache = dir.filePath(QStringLiteral("cache"));
    SystemDesktop desktop(std::move(backend), Rgb(9, 8, 7), cache);
    desktop.SetBackgroundColor(Rgb(1, 2, 3));
    ASSERT_TRUE(desktop.SetWallpaper(picture, WallpaperStyle::Tiled).Ok());
    // The program rewrites its bitmap under the same name (a new file).
    QFile::remove(picture);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("second");
    file.close();
    ASSERT_TRUE(desktop.SetWallpaper(picture, WallpaperStyle::Centered).Ok());

    ASSERT_EQ(seen.size(), 2u);
    EXPECT_NE(seen[0].path, seen[1].path);
    EXPECT_EQ(seen[1].color, Rgb(1, 2, 3));
    EXPECT_EQ(seen[0].style, WallpaperStyle::Tiled);
    EXPECT_FALSE(QFileInfo::exists(seen[0].path)) << "older copies are deleted";
    QFile copy(seen[1].path);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), QByteArray("second"));
    EXPECT_EQ(QDir(cache).entryList(QDir::Files).size(), 1);

    // A refused change leaves the copy the desktop shows.
    raw->fail_ = true;
    EXPECT_EQ(desktop.SetWallpaper(picture, WallpaperStyle::Centered).error, QStringLiteral("refused"));
    EXPECT_EQ(QDir(cache).entryList(QDir::Files), QStringList{QFileInfo(seen[1].path).fileName()});
}

TEST(SystemDesktop, OtherDesktopsGetTheFileItselfAndAMissingFileIsAnError)
{
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("w.bmp"));
    QFile file(picture);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    std::vector<WallpaperSettings> seen;
    SystemDesktop desktop(std::make_unique<RememberingBackend>(false, &seen), 0, dir.filePath(QStringLiteral("c")));
    ASSERT_TRUE(desktop.SetWallpaper(picture, WallpaperStyle::Stretched).Ok());
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].path, QFileInfo(picture).absoluteFilePath());
    const DesktopResult missing = desktop.SetWallpaper(dir.filePath(QStringLiteral("gone.bmp")), WallpaperStyle::Tiled);
    EXPECT_FALSE(missing.Ok());
    EXPECT_TRUE(missing.error.startsWith(QStringLiteral("Test desktop: the file")));
    EXPECT_EQ(seen.size(), 1u);
}

}  // namespace
}  // namespace pellimore
