#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/shell/InstallLayout.h"
#include "platform/shell/QtShellFolders.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempHome.h"

namespace pellimore {
namespace {

TEST(QtShellFolders, ProgramFolderIsTheExecutablesWhenItHoldsSamples)
{
    QTemporaryDir dir;
    const QString executable = dir.filePath("bin");
    const QString installed = dir.filePath("share/wallpaper-pellimore");
    QDir().mkpath(executable);

    EXPECT_EQ(QtShellFolders(installed, executable).ProgramFolder(), installed);
    QFile(executable + "/Samples").open(QIODevice::WriteOnly);   // a file named so is not the folder
    EXPECT_EQ(QtShellFolders(installed, executable).ProgramFolder(), installed);
    QFile::remove(executable + "/Samples");
    QDir().mkpath(executable + "/Samples");
    EXPECT_EQ(QtShellFolders(installed + "/", executable + "/").ProgramFolder(), executable);
}

TEST(QtShellFolders, AnInstalledTreeFindsItsOwnDataFolderUnderAnyPrefix)
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath("elsewhere/prefix");
    const QString configured = dir.filePath("usr/share/wallpaper-pellimore");
    QDir().mkpath(prefix + "/bin");
    QDir().mkpath(prefix + "/libexec/xscreensaver");
    // Without "Samples" the tree is not an installed one: the configured folder.
    QDir().mkpath(prefix + "/share/wallpaper-pellimore");
    EXPECT_EQ(QtShellFolders(configured, prefix + "/bin").ProgramFolder(), configured);

    QDir().mkpath(prefix + "/share/wallpaper-pellimore/Samples");
    // WallPaper in bin and the screen saver in libexec/xscreensaver share it.
    EXPECT_EQ(QtShellFolders(configured, prefix + "/bin").ProgramFolder(), prefix + "/share/wallpaper-pellimore");
    EXPECT_EQ(QtShellFolders(configured, prefix + "/libexec/xscreensaver").ProgramFolder(),
              prefix + "/share/wallpaper-pellimore");
    EXPECT_EQ(InstalledSaverFrom(prefix + "/bin"), prefix + "/libexec/xscreensaver/wallpaper-pellimore");
}

TEST(QtShellFolders, TheProgramsOwnFolderFallsBackToTheInstalledData)
{
    EXPECT_TRUE(QtShellFolders::InstalledDataFolder().endsWith("/share/wallpaper-pellimore"));
    EXPECT_TRUE(QtShellFolders::InstalledDataFolder().startsWith('/'));
    // The test executable's folder holds no "Samples".
    EXPECT_EQ(QtShellFolders().ProgramFolder(), QtShellFolders::InstalledDataFolder());
}

TEST(QtShellFolders, DocumentsFolderIsTheXdgOneAndIsCreated)
{
    test::TempHome home;
    QDir(home.Documents()).removeRecursively();
    const QtShellFolders shell;
    EXPECT_EQ(shell.DocumentsFolder(), home.Documents());
    EXPECT_TRUE(QDir(home.Documents()).exists());

    // A user who named the folder otherwise.
    QFile dirs(home.ConfigHome() + "/user-dirs.dirs");
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("# written by xdg-user-dirs-update\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
    dirs.close();
    EXPECT_EQ(shell.DocumentsFolder(), home.Path() + "/Dokumente");
    EXPECT_TRUE(QDir(home.Path() + "/Dokumente").exists());
}

TEST(QtShellFolders, AutostartFolderFollowsXdgConfigHome)
{
    test::TempHome home;
    const QtShellFolders shell;
    EXPECT_EQ(shell.AutostartFolder(), home.ConfigHome() + "/autostart");
    qputenv("XDG_CONFIG_HOME", (home.Path() + "/elsewhere/").toLocal8Bit());
    EXPECT_EQ(shell.AutostartFolder(), home.Path() + "/elsewhere/autostart");
    qputenv("XDG_CONFIG_HOME", "relative");
    EXPECT_EQ(shell.AutostartFolder(), home.Path() + "/.config/autostart");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(shell.AutostartFolder(), home.Path() + "/.config/autostart");
}

}  // namespace
}  // namespace pellimore
