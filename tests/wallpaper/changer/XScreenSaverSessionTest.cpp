// The real xscreensaver on a private X server runs the saver from the line
// "Setup Screen Saver" writes: the saver draws into the daemon's window and a
// key press ends it. xscreensaver refuses to run savers as root, so under
// root the daemon runs as the user "nobody". Skipped without Xvfb,
// xscreensaver or xdotool.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <functional>

#include <unistd.h>

#include "wallpaper/changer/ScreenSaverSetup.h"

using namespace pellimore;

namespace {

class XScreenSaverSession : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char *tool : {"Xvfb", "xscreensaver", "xscreensaver-command", "xdotool", "import", "runuser"})
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                GTEST_SKIP() << tool << " is not installed";
        saver_ = qEnvironmentVariable("PELLIMORE_SAVER_PROGRAM");
        ASSERT_TRUE(QFile::exists(saver_));
        // A home the daemon's user can use, outside the test's own.
        home_ = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/pellimore-xss-XXXXXX"));
        ASSERT_TRUE(home_->isValid());
        QFile::setPermissions(home_->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                 QFile::ReadOther | QFile::ExeOther);
        StartX();
    }
    void TearDown() override
    {
        if (daemon_.state() != QProcess::NotRunning) {
            AsUser({QStringLiteral("xscreensaver-command"), QStringLiteral("-exit")});
            daemon_.waitForFinished(5000);
            daemon_.kill();
            daemon_.waitForFinished(2000);
        }
        if (x_.state() != QProcess::NotRunning) {
            x_.terminate();
            x_.waitForFinished(3000);
        }
    }

    // Xvfb on the first free display from :140 up.
    void StartX()
    {
        for (int n = 140; n < 200; ++n) {
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)) ||
                QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
                continue;
            display_ = QStringLiteral(":%1").arg(n);
            x_.start(QStringLiteral("Xvfb"), {display_, QStringLiteral("-screen"), QStringLiteral("0"),
                                              QStringLiteral("640x480x24"), QStringLiteral("-ac"),
                                              QStringLiteral("-nolisten"), QStringLiteral("tcp")});
            if (WaitFor([n] { return QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)); }, 5000))
                return;
            x_.kill();
            x_.waitForFinished(2000);
        }
        FAIL() << "Xvfb did not start";
    }

    // A command as the daemon's user, in its home and on our display.
    QStringList Command(const QStringList &command) const
    {
        QStringList env = {QStringLiteral("env"), QStringLiteral("HOME=") + home_->path(),
                           QStringLiteral("XDG_CONFIG_HOME=") + home_->path() + QStringLiteral("/.config"),
                           QStringLiteral("DISPLAY=") + display_, QStringLiteral("QT_QPA_PLATFORM=xcb")};
        if (::getuid() == 0)
            env = QStringList{QStringLiteral("runuser"), QStringLiteral("-u"), QStringLiteral("nobody"),
                              QStringLiteral("--")} + env;
        return env + command;
    }
    QByteArray AsUser(const QStringList &command) const
    {
        QProcess process;
        const QStringList full = Command(command);
        process.start(full.first(), full.mid(1));
        process.waitForFinished(10000);
        return process.readAllStandardOutput() + process.readAllStandardError();
    }
    static bool SaverRuns(const QString &saver)
    {
        QProcess ps;
        ps.start(QStringLiteral("pgrep"), {QStringLiteral("-f"), QStringLiteral("-x"), saver + QStringLiteral(" --root")});
        ps.waitForFinished(5000);
        return ps.exitCode() == 0;
    }
    static bool WaitFor(const std::function<bool()> &condition, int ms)
    {
        for (int waited = 0; waited < ms; waited += 100) {
            if (condition())
                return true;
            QThread::msleep(100);
        }
        return condition();
    }

    QString saver_;
    std::unique_ptr<QTemporaryDir> home_;
    QString display_;
    QProcess x_;
    QProcess daemon_;
};

TEST_F(XScreenSaverSession, OurSelectedLineRunsTheSaverInTheDaemonsWindowUntilAKeyIsPressed)
{
    // The saver's pictures and settings, and the user's own xscreensaver file
    // with our line added by the set-up.
    const QString home = home_->path();
    QDir().mkpath(home + QStringLiteral("/pics"));
    QDir().mkpath(home + QStringLiteral("/.config/Corvane"));
    const QString samples = qEnvironmentVariable("PELLIMORE_SOURCE_DIR") + QStringLiteral("/assets/Samples/");
    ASSERT_TRUE(QFile::copy(samples + QStringLiteral("Aurora Ribbons.jpg"), home + QStringLiteral("/pics/a.jpg")));
    QFile ini(home + QStringLiteral("/.config/Corvane/Corvane.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[ScreenSaver]\nFolder=" + QFile::encodeName(home) + "/pics\nDisplay=1\nIndex=1\n");
    ini.close();
    const QByteArray userFile = "timeout:\t0:30:00\nlock:\t\tFalse\nfade:\t\tFalse\nunfade:\t\tFalse\n"
                                "splash:\t\tFalse\nmode:\t\trandom\nselected:\t-1\n"
                                "programs:\t\\\n\t\tqix -root\t\\n\\\n-\t\tmaze -root\t\\n\n";
    QFile xfile(home + QStringLiteral("/.xscreensaver"));
    ASSERT_TRUE(xfile.open(QIODevice::WriteOnly));
    xfile.write(SelectInXScreenSaverFile(userFile, saver_));
    xfile.close();
    if (::getuid() == 0)
        ASSERT_EQ(QProcess::execute(QStringLiteral("chown"), {QStringLiteral("-R"), QStringLiteral("nobody"), home}), 0);

    const QStringList daemon =
        Command({QStringLiteral("xscreensaver"), QStringLiteral("-no-splash"), QStringLiteral("-verbose")});
    daemon_.setProcessChannelMode(QProcess::MergedChannels);
    daemon_.start(daemon.first(), daemon.mid(1));
    ASSERT_TRUE(daemon_.waitForStarted(5000));
    ASSERT_TRUE(WaitFor([&] { return AsUser({QStringLiteral("xscreensaver-command"), QStringLiteral("-time")})
                                         .contains("screen"); }, 10000))
        << "the daemon did not answer";
    // A daemon still settling after its start may let an early request go:
    // it is asked again, a few times, on a busy machine.
    bool started = false;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        AsUser({QStringLiteral("xscreensaver-command"), QStringLiteral("-activate")});
        started = WaitFor([&] { return SaverRuns(saver_); }, 10000);
    }
    ASSERT_TRUE(started) << "xscreensaver did not start our line:\n" << daemon_.readAll().toStdString();

    // The slide show covers the screen: a picture, not one colour.
    const QString shot = home + QStringLiteral("/root.png");
    QImage root;
    WaitFor([&] {
        QProcess::execute(QStringLiteral("import"), {QStringLiteral("-display"), display_, QStringLiteral("-window"),
                                                     QStringLiteral("root"), shot});
        root.load(shot);
        QSet<QRgb> colours;
        for (int y = 0; y < root.height(); y += 8)
            for (int x = 0; x < root.width(); x += 8)
                colours.insert(root.pixel(x, y));
        return colours.size() > 50;
    }, 10000);
    ASSERT_FALSE(root.isNull());
    QSet<QRgb> colours;
    for (int y = 0; y < root.height(); y += 8)
        for (int x = 0; x < root.width(); x += 8)
            colours.insert(root.pixel(x, y));
    EXPECT_GT(colours.size(), 50) << "the screen shows no picture: " << shot.toStdString();
    if (const QString keep = qEnvironmentVariable("PELLIMORE_XSS_SHOT"); !keep.isEmpty())
        root.save(keep);

    // The daemon ignores input for a moment after blanking; keys until it wakes.
    const bool woke = WaitFor([&] {
        AsUser({QStringLiteral("xdotool"), QStringLiteral("key"), QStringLiteral("a")});
        return AsUser({QStringLiteral("xscreensaver-command"), QStringLiteral("-time")}).contains("non-blanked");
    }, 15000);
    EXPECT_TRUE(woke) << AsUser({QStringLiteral("xscreensaver-command"), QStringLiteral("-time")}).toStdString();
    EXPECT_TRUE(WaitFor([&] { return !SaverRuns(saver_); }, 10000)) << "a key press did not end the saver";
}

}  // namespace
