// KDE Plasma cannot run here: the script the backend sends runs in Qt's
// JavaScript engine against a stand-in of the shell's scripting API
// (desktops(), wallpaperPlugin, currentConfigGroup, writeConfig) that records
// every call.
#include <gtest/gtest.h>

#include <QJSEngine>
#include <QUrl>

#include "platform/desktop/OtherBackends.h"
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

// Runs the script the backend sent; the recorded calls, one line each.
QStringList RunSentScript(const WallpaperSettings &settings, std::string *error)
{
    test::RecordingProcessRunner runner;
    runner.SetInstalled({QStringLiteral("dbus-send")});
    PlasmaBackend plasma(runner);
    if (!plasma.Apply(settings).Ok() || runner.Commands().size() != 1) {
        *error = "the backend sent nothing";
        return {};
    }
    QString script = runner.Commands().front().last();
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

}  // namespace
}  // namespace pellimore
