// Two starts of the real program, one after the other: the second is refused
// with its message and brings the first forward; a first instance that was
// killed leaves nothing that blocks the next start.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>

#include <csignal>
#include <unistd.h>

#include "platform/Platform.h"
#include "platform/clock/ProgramRandom.h"
#include "platform/instance/LocalInstanceChannel.h"
#include "platform/shell/QtShellFolders.h"
#include "platform/store/IniSettingsStore.h"
#include "tests/support/FixedClock.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/RecordingHelp.h"
#include "tests/support/ScriptedUi.h"
#include "wallpaper/changer/StartUp.h"
#include "wallpaper/changer/WallpaperApp.h"

using namespace pellimore;
using namespace pellimore::test;

namespace {

const QString kProgramName = QStringLiteral("WallPaper");

class FirstInstance {
public:
    FirstInstance()
    {
        process_.setProgram(qEnvironmentVariable("PELLIMORE_WALLPAPER_PROGRAM"));
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start();
    }
    ~FirstInstance()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(5000))
                process_.kill();
            process_.waitForFinished(5000);
        }
    }

    // Waits until the program answers on its channel.
    bool WaitUntilListening(const QString &socketPath)
    {
        QDeadlineTimer deadline(15000);
        while (!deadline.hasExpired()) {
            QLocalSocket probe;
            probe.connectToServer(socketPath);
            if (probe.waitForConnected(200))
                return true;
            if (process_.state() == QProcess::NotRunning)
                return false;
            QThread::msleep(50);
        }
        return false;
    }

    // Waits until the program's output holds the text.
    bool WaitForOutput(const QString &text)
    {
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            process_.waitForReadyRead(100);
            output_ += QString::fromUtf8(process_.readAll());
            if (output_.contains(text))
                return true;
        }
        return false;
    }

    void Kill()
    {
        ::kill(pid_t(process_.processId()), SIGKILL);
        process_.waitForFinished(5000);
    }

    QProcess &Process() { return process_; }

private:
    QProcess process_;
    QString output_;
};

class InstanceTest : public testing::Test {
protected:
    IniSettingsStore store;
    ScriptedUi ui;
    QtShellFolders shell;
    FixedClock clock;
    ProgramRandom random;
    RecordingHelp help;
    Platform platform{store, ui, shell, clock, random, help};
    RecordingDesktop desktop;
    UnavailableActiveDesktop activeDesktop;
    RecordingSound sound;

    // A start of the program in this process, as the second instance.
    StartOutcome SecondStart(InstanceChannel &channel)
    {
        WallpaperApp app({platform, channel, desktop, activeDesktop, sound, QStringLiteral("/usr/bin/WallPaper")});
        return app.Start({});
    }
};

}  // namespace

TEST_F(InstanceTest, SecondStartIsRefusedAndRaisesTheFirst)
{
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("PELLIMORE_WALLPAPER_PROGRAM"));
    FirstInstance first;
    LocalInstanceChannel second(kProgramName);
    ASSERT_TRUE(first.WaitUntilListening(second.SocketPath()));

    ui.ExpectMessage(kDuplicateInstanceText, kDuplicateInstanceTitle, MessageResult::Ok)
        .WithButtons(MessageButtons::Ok)
        .WithHelpButton()
        .PressHelp();
    EXPECT_EQ(SecondStart(second), StartOutcome::SecondInstance);

    ASSERT_EQ(help.Requests().size(), 1u);
    EXPECT_EQ(help.Last(), RecordingHelp::Context(shell.ProgramFolder() + "/WP.HLP", 2));
    EXPECT_TRUE(first.WaitForOutput("raise request received"));
    EXPECT_EQ(first.Process().state(), QProcess::Running);
}

TEST_F(InstanceTest, AKilledFirstInstanceDoesNotBlockTheNextStart)
{
    LocalInstanceChannel probe(kProgramName);
    {
        FirstInstance killed;
        ASSERT_TRUE(killed.WaitUntilListening(probe.SocketPath()));
        killed.Kill();
    }
    ASSERT_TRUE(QFile::exists(probe.SocketPath()));   // left behind by the killed process

    FirstInstance next;
    ASSERT_TRUE(next.WaitUntilListening(probe.SocketPath()));
    EXPECT_FALSE(probe.ClaimFirstInstance());
    EXPECT_TRUE(probe.SendToFirstInstance(InstanceChannel::Request::Raise));
    EXPECT_TRUE(next.WaitForOutput("raise request received"));
}

TEST_F(InstanceTest, ASecondStartThatCannotReachTheFirstSaysSo)
{
    // A first instance that holds the lock but has no channel.
    QLockFile lock(QDir(qEnvironmentVariable("XDG_RUNTIME_DIR")).filePath("Lonely-" + QString::number(getuid()) + ".lock"));
    ASSERT_TRUE(lock.tryLock(0));
    LocalInstanceChannel second(QStringLiteral("Lonely"));
    ui.ExpectMessage(kDuplicateInstanceText, kDuplicateInstanceTitle, MessageResult::Ok);
    ui.ExpectMessage("Couldn't find the handle", "WallPaper Pellimore", MessageResult::Ok)
        .WithIcon(MessageIcon::Information);
    EXPECT_EQ(SecondStart(second), StartOutcome::SecondInstance);
    EXPECT_TRUE(help.Empty());
}
