// Start-up steps, the command line, the path helpers and the autostart entry,
// on real folders under the test's temporary home.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>

#include "platform/Platform.h"
#include "platform/shell/QtShellFolders.h"
#include "platform/store/IniSettingsStore.h"
#include "tests/support/FixedClock.h"
#include "tests/support/RecordingHelp.h"
#include "tests/support/ScriptedRandom.h"
#include "tests/support/ScriptedUi.h"
#include "wallpaper/changer/ChangerState.h"
#include "platform/shell/PathHelpers.h"
#include "wallpaper/changer/Settings.h"
#include "wallpaper/changer/ShellIntegration.h"
#include "wallpaper/changer/StartUp.h"

using namespace pellimore;
using namespace pellimore::test;

namespace {

QString ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

class StartUpTest : public testing::Test {
protected:
    void SetUp() override
    {
        QFile::remove(QDir::homePath() + "/.config/Corvane/Corvane.ini");
        QDir(AutostartFolder()).removeRecursively();
    }
    QString AutostartFolder() const { return QDir::homePath() + "/.config/autostart"; }
    QString EntryPath() const { return AutostartFolder() + "/WallPaper Pellimore.desktop"; }

    IniSettingsStore store;
    ScriptedUi ui;
    QtShellFolders shell{QDir::homePath() + "/no-install", QDir::homePath() + "/bin"};
    FixedClock clock{QDate(2026, 12, 8), QTime(1, 2, 3)};
    ScriptedRandom random;
    RecordingHelp help;
    Platform platform{store, ui, shell, clock, random, help};
    ChangerState state;
};

}  // namespace

TEST(CommandLine, SlashCInAnyCaseMeansTheStartAtLogIn)
{
    EXPECT_TRUE(IsAutoRunCommandLine({"/C"}));
    EXPECT_TRUE(IsAutoRunCommandLine({"/c"}));
    EXPECT_TRUE(IsAutoRunCommandLine({"/Cextra", "more"}));
    EXPECT_FALSE(IsAutoRunCommandLine({}));
    EXPECT_FALSE(IsAutoRunCommandLine({"x", "/C"}));
    EXPECT_FALSE(IsAutoRunCommandLine({"-c"}));
    EXPECT_FALSE(IsAutoRunCommandLine({"/"}));
}

TEST(PathHelpers, KeepTheirContractsWithSlashes)
{
    EXPECT_EQ(AddTrailingBackslash(""), "/");
    EXPECT_EQ(AddTrailingBackslash("/a/b"), "/a/b/");
    EXPECT_EQ(AddTrailingBackslash("/a/b/"), "/a/b/");
    EXPECT_EQ(TrimTrailingBackslash("  /a/b/  "), "/a/b");
    EXPECT_EQ(TrimTrailingBackslash("/a/b//"), "/a/b/");   // one slash only
    EXPECT_EQ(TrimTrailingBackslash("   "), "");

    const QString home = QDir::homePath();
    QDir().mkpath(home + "/folder");
    QFile file(home + "/folder/file.jpg");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_TRUE(FolderExists(home + "/folder"));
    EXPECT_TRUE(FolderExists(home + "/folder/"));
    EXPECT_FALSE(FolderExists(home + "/folder/file.jpg"));
    EXPECT_FALSE(FolderExists(home + "/missing"));
    EXPECT_FALSE(FolderExists(""));
    EXPECT_TRUE(FileExists(home + "/folder/file.jpg"));
    EXPECT_TRUE(FileExists(home + "/folder/"));
    EXPECT_FALSE(FileExists(home + "/folder/other.jpg"));
    EXPECT_FALSE(FileExists(""));
}

TEST_F(StartUpTest, FirstStartCreatesTheAutostartEntrySilently)
{
    state.Loading = true;
    const LoadSettingsOutcome outcome = LoadSettings(state, store, clock, shell.ProgramFolder());
    EXPECT_TRUE(outcome.runFirstRunFolderSetup);   // no folder yet: the folder set-up follows
    ASSERT_TRUE(outcome.createStartupShortcut);
    ASSERT_TRUE(AddStartupShortcut(state, ui, shell, "/opt/Wall Paper/WallPaper"));
    EXPECT_TRUE(state.FirstRun);
    EXPECT_EQ(state.StartupState, 1);
    EXPECT_TRUE(ui.Messages().empty());

    const QString entry = ReadAll(EntryPath());
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(entry.contains("\nExec=\"/opt/Wall Paper/WallPaper\" /C\n")) << entry.toStdString();
    EXPECT_TRUE(entry.contains("\nType=Application\n"));
    // The file reads as a desktop entry.
    QSettings parsed(EntryPath(), QSettings::IniFormat);
    EXPECT_EQ(parsed.value("Desktop Entry/Name").toString(), "WallPaper Pellimore");
}

TEST_F(StartUpTest, StartupZeroCreatesNoEntry)
{
    const QString folder = QDir::homePath() + "/pics";
    QDir().mkpath(folder);
    store.SaveSetting("Corvane", "Wallpaper", "Startup", " 0");
    store.SaveSetting("Corvane", "Wallpaper", "Folder", folder);
    const LoadSettingsOutcome outcome = LoadSettings(state, store, clock, shell.ProgramFolder());
    EXPECT_FALSE(outcome.runFirstRunFolderSetup);
    EXPECT_FALSE(outcome.createStartupShortcut);
    EXPECT_EQ(state.StartupState, 0);
    EXPECT_FALSE(QFile::exists(EntryPath()));
}

TEST_F(StartUpTest, AddingAndRemovingTheEntryTellsTheUser)
{
    ui.ExpectMessage("Automatic daily Windows Startup shortcut for Wallpaper Pellimore added!",
                     "Automatic Wallpaper Changer", MessageResult::Ok)
        .WithButtons(MessageButtons::Ok);
    ASSERT_TRUE(AddStartupShortcut(state, ui, shell, "/usr/bin/WallPaper"));
    EXPECT_EQ(state.StartupState, 1);
    EXPECT_TRUE(QFile::exists(EntryPath()));

    ui.ExpectMessage("Startup folder shortcut to Wallpaper Pellimore removed.", "Automatic Wallpaper Changer",
                     MessageResult::Ok);
    RemoveStartupShortcut(state, ui, shell);
    EXPECT_EQ(state.StartupState, 0);
    EXPECT_FALSE(QFile::exists(EntryPath()));

    // Already removed by hand: no message, still unchecked.
    state.StartupState = 1;
    RemoveStartupShortcut(state, ui, shell);
    EXPECT_EQ(state.StartupState, 0);
    EXPECT_TRUE(ui.VerifyAllUsed());
}

TEST_F(StartUpTest, AnEntryThatCannotBeWrittenChangesNothing)
{
    QDir().mkpath(QDir::homePath() + "/.config");
    QFile blocker(AutostartFolder());   // a file where the folder should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    state.StartupState = 3;
    EXPECT_FALSE(AddStartupShortcut(state, ui, shell, "/usr/bin/WallPaper"));
    EXPECT_EQ(state.StartupState, 3);
    QFile::remove(AutostartFolder());
}

TEST(ExecQuoting, FollowsTheDesktopEntryRules)
{
    EXPECT_EQ(QuoteExecArgument("/usr/bin/WallPaper"), "/usr/bin/WallPaper");
    EXPECT_EQ(QuoteExecArgument("/opt/a b/WallPaper"), "\"/opt/a b/WallPaper\"");
    EXPECT_EQ(QuoteExecArgument("/opt/a\"b"), "\"/opt/a\\\\\"b\"");
    EXPECT_EQ(QuoteExecArgument("/opt/a\\b"), "\"/opt/a\\\\\\\\b\"");
    EXPECT_EQ(QuoteExecArgument("/opt/$x"), "\"/opt/\\\\$x\"");
    EXPECT_EQ(QuoteExecArgument("/opt/100%"), "/opt/100%%");
}
