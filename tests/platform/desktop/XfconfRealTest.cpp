// The XFCE backend against the real xfconfd, started by D-Bus activation on a
// private session bus, with the channels in the test's private home and the
// system defaults in a private folder; every property is read back with
// xfconf-query. The monitors come from the test's X server
// (PELLIMORE_X_DISPLAY).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/desktop/OtherBackends.h"
#include "platform/desktop/ProcessRunner.h"
#include "platform/desktop/X11Root.h"
#include "tests/support/QtPrinters.h"

namespace pellimore {
namespace {

const QString kChannels = QStringLiteral("/xfce4/xfconf/xfce-perchannel-xml/");
const QString kAwkwardPath = QStringLiteral("/home/u/it's a \"b\" \\c.bmp");

// What a window manager's settings say when XFCE is installed: three
// workspaces.
const char *kXfwm4Defaults = R"(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfwm4" version="1.0">
  <property name="general" type="empty">
    <property name="workspace_count" type="int" value="3"/>
  </property>
</channel>
)";

// The properties xfdesktop 4.18 keeps for one monitor with two workspaces.
const char *kXfdesktopProfile = R"(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-desktop" version="1.0">
  <property name="backdrop" type="empty">
    <property name="screen0" type="empty">
      <property name="monitorHDMI-1" type="empty">
        <property name="workspace0" type="empty">
          <property name="color-style" type="int" value="1"/>
          <property name="image-style" type="int" value="5"/>
          <property name="last-image" type="string" value="/usr/share/backgrounds/xfce/xfce-verticals.png"/>
          <property name="rgba1" type="array">
            <value type="double" value="0.1"/><value type="double" value="0.2"/>
            <value type="double" value="0.3"/><value type="double" value="1"/>
          </property>
        </property>
        <property name="workspace1" type="empty">
          <property name="last-image" type="string" value="/usr/share/backgrounds/xfce/xfce-stripes.png"/>
        </property>
      </property>
    </property>
  </property>
  <property name="desktop-icons" type="empty">
    <property name="style" type="int" value="2"/>
  </property>
</channel>
)";

void WriteFile(const QString &path, const char *text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

class XfconfRealTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("xfconf-query")).isEmpty() ||
            !QFile::exists(QStringLiteral("/usr/share/dbus-1/services/org.xfce.Xfconf.service")))
            GTEST_SKIP() << "xfconf is not installed (Debian packages xfconf, libxfconf-0-3)";
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed (dbus)";
        ASSERT_TRUE(dir_.isValid());
        for (const char *name : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "DBUS_SESSION_BUS_ADDRESS"})
            saved_.emplace_back(name, qgetenv(name));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath(QStringLiteral("home"))));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(dir_.filePath(QStringLiteral("system"))));
        WriteFile(dir_.filePath(QStringLiteral("system")) + kChannels + QStringLiteral("xfwm4.xml"), kXfwm4Defaults);
    }
    void TearDown() override
    {
        if (bus_.state() != QProcess::NotRunning) {
            bus_.terminate();  // xfconfd leaves when its bus goes
            bus_.waitForFinished(3000);
        }
        for (const auto &[name, value] : saved_) {
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
    }

    // Starts the private bus; xfconfd starts on the first query.
    void StartBus()
    {
        bus_.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        ASSERT_TRUE(bus_.waitForStarted(5000));
        QByteArray address;
        while (!address.contains('\n') && bus_.waitForReadyRead(5000))
            address += bus_.readAllStandardOutput();
        ASSERT_TRUE(address.contains('\n')) << "dbus-daemon printed no address";
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.trimmed());
    }

    static QString Query(const QStringList &arguments)
    {
        SystemProcessRunner runner;
        const ProcessOutcome outcome =
            runner.Run(QStringLiteral("xfconf-query"), QStringList{QStringLiteral("-c"), QStringLiteral("xfce4-desktop")} + arguments);
        EXPECT_TRUE(outcome.Succeeded()) << outcome.Describe(QStringLiteral("xfconf-query")).toStdString();
        return QString::fromUtf8(outcome.standardOutput).trimmed();
    }
    static QString Get(const QString &property) { return Query({QStringLiteral("-p"), property}); }
    static QStringList Listing() { return Query({QStringLiteral("-l")}).split(QLatin1Char('\n')); }

    // Every property of a folder holds the wallpaper.
    static void ExpectWallpaper(const QString &folder, const QString &path, const QString &style)
    {
        SCOPED_TRACE(folder.toStdString());
        EXPECT_EQ(Get(folder + QStringLiteral("/last-image")), path);
        EXPECT_EQ(Get(folder + QStringLiteral("/image-style")), style);
        EXPECT_EQ(Get(folder + QStringLiteral("/color-style")), QStringLiteral("0"));
        EXPECT_EQ(Get(folder + QStringLiteral("/rgba1")),
                  QStringLiteral("Value is an array with 4 items:\n\n1.000000\n0.501961\n0.000000\n1.000000"));
    }

    QTemporaryDir dir_;
    QProcess bus_;
    std::vector<std::pair<const char *, QByteArray>> saved_;
    SystemProcessRunner runner_;
};

TEST_F(XfconfRealTest, AFreshProfileGetsEveryMonitorByOutputNameAndEveryWorkspace)
{
    const QString display = qEnvironmentVariable("PELLIMORE_X_DISPLAY");
    if (display.isEmpty())
        GTEST_SKIP() << "PELLIMORE_X_DISPLAY is not set (scripts/test.sh starts Xvfb)";
    const std::optional<X11ScreenInfo> screen = ReadX11Screen(display);
    ASSERT_TRUE(screen);
    ASSERT_FALSE(screen->outputNames.isEmpty()) << "the X server names no RandR output";
    ASSERT_NO_FATAL_FAILURE(StartBus());

    XfceBackend xfce(runner_, display);
    const DesktopResult result = xfce.Apply({kAwkwardPath, WallpaperStyle::Stretched, Rgb(255, 128, 0)});
    ASSERT_TRUE(result.Ok()) << result.error.toStdString();
    // xfwm4's three workspaces, on every monitor under its output's name.
    QStringList folders;
    for (const QString &output : screen->outputNames) {
        for (int i = 0; i < 3; ++i)
            folders << QStringLiteral("/backdrop/screen0/monitor%1/workspace%2").arg(output).arg(i);
    }
    for (const QString &folder : folders)
        ExpectWallpaper(folder, kAwkwardPath, QStringLiteral("3"));
    EXPECT_EQ(Listing().size(), folders.size() * 4) << Listing().join(QLatin1Char('\n')).toStdString();

    // The window manager's own count, where it publishes one, comes first.
    const QString root = QStringLiteral("_NET_NUMBER_OF_DESKTOPS");
    ASSERT_EQ(QProcess::execute(QStringLiteral("xprop"), {QStringLiteral("-display"), display, QStringLiteral("-root"),
                                                          QStringLiteral("-f"), root, QStringLiteral("32c"),
                                                          QStringLiteral("-set"), root, QStringLiteral("4")}),
              0);
    const DesktopResult again = xfce.Apply({kAwkwardPath, WallpaperStyle::Centered, Rgb(255, 128, 0)});
    QProcess::execute(QStringLiteral("xprop"),
                      {QStringLiteral("-display"), display, QStringLiteral("-root"), QStringLiteral("-remove"), root});
    ASSERT_TRUE(again.Ok()) << again.error.toStdString();
    ExpectWallpaper(QStringLiteral("/backdrop/screen0/monitor%1/workspace3").arg(screen->outputNames.front()),
                    kAwkwardPath, QStringLiteral("1"));
}

TEST_F(XfconfRealTest, AnExistingProfileIsUpdatedInPlace)
{
    WriteFile(dir_.filePath(QStringLiteral("home")) + kChannels + QStringLiteral("xfce4-desktop.xml"),
              kXfdesktopProfile);
    ASSERT_NO_FATAL_FAILURE(StartBus());
    const QStringList before = Listing();
    ASSERT_EQ(before.size(), 6) << before.join(QLatin1Char('\n')).toStdString();

    // No X display to ask: only the listed folders are written.
    XfceBackend xfce(runner_, QStringLiteral(":no-display"));
    const DesktopResult result = xfce.Apply({kAwkwardPath, WallpaperStyle::Tiled, Rgb(255, 128, 0)});
    ASSERT_TRUE(result.Ok()) << result.error.toStdString();
    const QString base = QStringLiteral("/backdrop/screen0/monitorHDMI-1/workspace");
    ExpectWallpaper(base + QStringLiteral("0"), kAwkwardPath, QStringLiteral("2"));
    ExpectWallpaper(base + QStringLiteral("1"), kAwkwardPath, QStringLiteral("2"));
    EXPECT_EQ(Get(QStringLiteral("/desktop-icons/style")), QStringLiteral("2"));
    // The same folders, workspace1 completed; nothing elsewhere.
    EXPECT_EQ(Listing().size(), 9) << Listing().join(QLatin1Char('\n')).toStdString();
}

}  // namespace
}  // namespace pellimore
