// KDE Plasma cannot run here: the script the backend sends runs in Qt's
// JavaScript engine against a stand-in of the shell's scripting API
// (desktops(), wallpaperPlugin, currentConfigGroup, writeConfig) that records
// every call.
#include <gtest/gtest.h>

#include <QFile>
#include <QJSEngine>
#include <QTemporaryDir>
#include <QUrl>

#include "platform/desktop/OtherBackends.h"
#include "platform/desktop/PlasmaActiveDesktop.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/RecordingProcessRunner.h"

namespace pellimore {
namespace {

// Two desktops (two screens); each change is recorded as
// [desktop, what, value] or [desktop, config group, key, value].
const char *kShellStandIn = R"(
var calls = [];
function Containment(id) { this.id = id; this.group = []; }
Object.defineProperty(Containment.prototype, "wallpaperPlugin", {
    get: function () { return "org.kde.color"; },
    set: function (v) { calls.push([this.id, "wallpaperPlugin", v]); }
});
Object.defineProperty(Containment.prototype, "currentConfigGroup", {
    get: function () { return this.group; },
    set: function (v) { this.group = Array.prototype.slice.call(v); }
});
Containment.prototype.writeConfig = function (key, value) {
    calls.push([this.id, this.group.join("/"), key, value, typeof value]);
};
function desktops() { return [new Containment(0), new Containment(1)]; }
)";

// Runs the script of the one command sent to Plasma; the recorded calls,
// one line each.
QStringList RunScriptOf(const test::RecordingProcessRunner &runner, std::string *error)
{
    if (runner.Commands().size() != 1) {
        *error = "nothing was sent";
        return {};
    }
    const QStringList command = runner.Commands().front();
    if (command.mid(0, 7) != QStringList{"dbus-send", "--session", "--type=method_call", "--print-reply",
                                         "--dest=org.kde.plasmashell", "/PlasmaShell",
                                         "org.kde.PlasmaShell.evaluateScript"}) {
        *error = "not Plasma's scripting call: " + command.join(' ').toStdString();
        return {};
    }
    QString script = command.last();
    if (!script.startsWith(QStringLiteral("string:"))) {
        *error = "the script is not sent as a string";
        return {};
    }
    script.remove(0, 7);

    QJSEngine engine;
    engine.evaluate(QString::fromUtf8(kShellStandIn));
    const QJSValue result = engine.evaluate(script);
    if (result.isError()) {
        *error = "the script fails: " + result.toString().toStdString();
        return {};
    }
    QStringList lines;
    const QVariantList calls = engine.globalObject().property(QStringLiteral("calls")).toVariant().toList();
    for (const QVariant &call : calls)
        lines << call.toStringList().join(QLatin1Char('|'));
    return lines;
}

// Runs the script the backend sent.
QStringList RunSentScript(const WallpaperSettings &settings, std::string *error)
{
    test::RecordingProcessRunner runner;
    runner.SetInstalled({QStringLiteral("dbus-send")});
    PlasmaBackend plasma(runner);
    if (!plasma.Apply(settings).Ok()) {
        *error = "the backend failed";
        return {};
    }
    return RunScriptOf(runner, error);
}

TEST(PlasmaScript, SetsTheImagePluginStyleColourAndFileOnEveryDesktop)
{
    std::string error;
    const QStringList calls =
        RunSentScript({QStringLiteral("/pics/w.bmp"), WallpaperStyle::Tiled, Rgb(1, 2, 0xfe)}, &error);
    ASSERT_EQ(error, "");
    QStringList expected;
    for (const char *desktop : {"0", "1"}) {
        const QString d = QString::fromLatin1(desktop);
        expected << d + QStringLiteral("|wallpaperPlugin|org.kde.image")
                 << d + QStringLiteral("|Wallpaper/org.kde.image/General|FillMode|3|number")
                 << d + QStringLiteral("|Wallpaper/org.kde.image/General|Color|#0102fe|string")
                 << d + QStringLiteral("|Wallpaper/org.kde.image/General|Image|file:///pics/w.bmp|string");
    }
    EXPECT_EQ(calls, expected);

    for (const auto &[style, mode] : {std::pair{WallpaperStyle::Centered, "6"}, std::pair{WallpaperStyle::Stretched, "0"}}) {
        const QStringList styled = RunSentScript({QStringLiteral("/w.bmp"), style, 0}, &error);
        ASSERT_EQ(styled.size(), 8);
        EXPECT_EQ(styled[1].section(QLatin1Char('|'), 3, 3), QString::fromLatin1(mode));
    }
}

TEST(PlasmaScript, AFileNameThatCouldBreakTheScriptArrivesIntact)
{
    const QString path =
        QStringLiteral("/pics/it's \"quoted\" \\back\\slash\nnew line</script>\u2028%41 \u00e9t\u00e9.bmp");
    std::string error;
    const QStringList calls = RunSentScript({path, WallpaperStyle::Centered, 0}, &error);
    ASSERT_EQ(error, "");
    ASSERT_EQ(calls.size(), 8);
    const QStringList image = calls[3].split(QLatin1Char('|'));
    ASSERT_EQ(image.size(), 5);
    EXPECT_EQ(image[2], QStringLiteral("Image"));
    EXPECT_EQ(QUrl(image[3]).toLocalFile(), path);
}

// The animated desktop hands Plasma the GIF itself (its image wallpaper plays
// it), with the style's fill mode and the colour, whatever the file is named.
TEST(PlasmaActiveDesktop, HandsTheGifWithFillModeAndColourToPlasma)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("it's \"anim\" \\ $(x) `y`\n\u2028%20.gif"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("GIF89a");
    file.close();

    for (const auto &[style, mode] : {std::pair{WallpaperStyle::Centered, "6"}, std::pair{WallpaperStyle::Tiled, "3"},
                                      std::pair{WallpaperStyle::Stretched, "0"}}) {
        test::RecordingProcessRunner runner;
        runner.SetInstalled({QStringLiteral("dbus-send")});
        PlasmaActiveDesktop plasma(runner);
        ASSERT_TRUE(plasma.SetWallpaper(path, style, Rgb(0x12, 0x34, 0x56), false).Ok());
        std::string error;
        const QStringList calls = RunScriptOf(runner, &error);
        ASSERT_EQ(error, "");
        ASSERT_EQ(calls.size(), 8);
        for (int desktop = 0; desktop < 2; ++desktop) {
            const QStringList lines = calls.mid(desktop * 4, 4);
            EXPECT_EQ(lines[0].section(QLatin1Char('|'), 1), QStringLiteral("wallpaperPlugin|org.kde.image"));
            EXPECT_EQ(lines[1].section(QLatin1Char('|'), 2), QStringLiteral("FillMode|%1|number").arg(mode));
            EXPECT_EQ(lines[2].section(QLatin1Char('|'), 2), QStringLiteral("Color|#123456|string"));
            const QStringList image = lines[3].split(QLatin1Char('|'));
            ASSERT_EQ(image.size(), 5);
            EXPECT_EQ(image[2], QStringLiteral("Image"));
            EXPECT_EQ(QUrl(image[3]).toLocalFile(), path) << "the GIF itself, intact";
        }
    }
}

TEST(PlasmaActiveDesktop, FailsWhenPlasmaCannotBeReachedOrTheFileIsMissing)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("a.gif"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    test::RecordingProcessRunner runner;
    PlasmaActiveDesktop plasma(runner);
    EXPECT_FALSE(plasma.SetWallpaper(path, WallpaperStyle::Centered, 0, false).Ok()) << "no dbus-send";
    runner.SetInstalled({QStringLiteral("dbus-send")});
    ProcessOutcome refused;
    refused.started = true;
    refused.exitCode = 1;
    refused.standardError = "org.freedesktop.DBus.Error.ServiceUnknown";
    runner.QueueOutcome(QStringLiteral("dbus-send"), refused);
    EXPECT_FALSE(plasma.SetWallpaper(path, WallpaperStyle::Centered, 0, false).Ok()) << "no Plasma shell";
    const std::size_t sent = runner.Commands().size();
    EXPECT_FALSE(plasma.SetWallpaper(folder.filePath(QStringLiteral("gone.gif")), WallpaperStyle::Centered, 0, false).Ok());
    EXPECT_EQ(runner.Commands().size(), sent) << "nothing is sent for a missing file";
}

}  // namespace
}  // namespace pellimore
