// "Setup Screen Saver": the box, xscreensaver's file, MATE's settings and the
// desktops that run no third-party savers.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include "platform/Platform.h"
#include "platform/store/IniSettingsStore.h"
#include "tests/support/FixedClock.h"
#include "tests/support/FixedShellFolders.h"
#include "tests/support/RecordingHelp.h"
#include "tests/support/RecordingProcessRunner.h"
#include "tests/support/ScriptedRandom.h"
#include "tests/support/ScriptedUi.h"
#include "wallpaper/changer/ScreenSaverSetup.h"

using namespace pellimore;
using namespace pellimore::test;

namespace {

const QString kTitle = QStringLiteral("Screen Saver Setup");
const QString kSaver = QStringLiteral("/opt/pellimore/Wallpaper Pellimore");

// A ~/.xscreensaver as xscreensaver-settings writes it, cut short.
const QByteArray kUserFile =
    "# XScreenSaver Preferences File\n"
    "# Written by xscreensaver-settings 6.06 for root on Tue Dec  8 10:00:00 2026.\n"
    "\n"
    "timeout:\t0:10:00\n"
    "mode:\t\trandom\n"
    "selected:\t-1\n"
    "\n"
    "programs:\t\t\t\t\t\t\t\t      \\\n"
    "\t\t\t\tmaze -root\t\t\t\t    \\n\\\n"
    "  GL: \t\t\t\tsuperquadrics -root\t\t\t    \\n\\\n"
    "-\t\t\t\txflame -root\t\t\t\t    \\n\\\n"
    "\t\t\t\t  xanalogtv -root\t\t\t    \\n\n"
    "\n"
    "pointerHysteresis:\t10\n";

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The lines of `after` that are not in `before`, and the other way round.
QList<QByteArray> Added(const QByteArray &before, const QByteArray &after)
{
    QList<QByteArray> added;
    const QList<QByteArray> old = before.split('\n');
    for (const QByteArray &line : after.split('\n'))
        if (!old.contains(line))
            added.append(line);
    return added;
}

class ScreenSaverSetupTest : public testing::Test {
protected:
    void SetUp() override { QFile::remove(XFile()); }
    static QString XFile() { return QDir::homePath() + QStringLiteral("/.xscreensaver"); }
    void WriteXFile(const QByteArray &text)
    {
        QFile file(XFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    void ExpectSetupBox(MessageResult answer)
    {
        ui.ExpectMessageContaining(QStringLiteral("will be displayed on the screen saver list"), answer)
            .WithButtons(MessageButtons::OkCancel)
            .WithHelpButton();
    }

    IniSettingsStore store;
    ScriptedUi ui;
    FixedShellFolders shell;
    FixedClock clock{QDate(2026, 12, 8), QTime(1, 2, 3)};
    ScriptedRandom random;
    RecordingHelp help;
    Platform platform{store, ui, shell, clock, random, help};
    RecordingProcessRunner runner;
    SaverSession xscreensaver{SaverDaemon::XScreenSaver, QStringLiteral("XFCE")};
};

}  // namespace

TEST_F(ScreenSaverSetupTest, OkAddsOurLineOnceSelectsItAndKeepsTheRestOfTheFile)
{
    WriteXFile(kUserFile);
    runner.SetInstalled({QStringLiteral("xscreensaver-settings")});
    ExpectSetupBox(MessageResult::Ok);
    EXPECT_TRUE(SetupScreenSaver(platform, runner, xscreensaver, kSaver));
    const QByteArray once = ReadFile(XFile());

    // Ours first in the list, selected, the mode "one"; nothing else changed.
    const QList<QByteArray> added = Added(kUserFile, once);
    ASSERT_EQ(added.size(), 3) << once.toStdString();
    EXPECT_EQ(added.at(0), QByteArray("mode:\t\tone"));
    EXPECT_EQ(added.at(1), QByteArray("selected:\t0"));
    EXPECT_EQ(added.at(2), QByteArray("  \"Wallpaper Pellimore\"\t'/opt/pellimore/Wallpaper Pellimore' --root\t\\n\\"));
    QByteArray restored = once;
    restored.replace("mode:\t\tone", "mode:\t\trandom").replace("selected:\t0", "selected:\t-1");
    restored.replace(added.at(2) + '\n', "");
    EXPECT_EQ(restored, kUserFile);
    ASSERT_EQ(runner.Calls().size(), 1u);
    EXPECT_EQ(runner.Calls().at(0).command, QStringList{QStringLiteral("xscreensaver-settings")});

    // Pressed again: still one line of ours, still selected.
    ExpectSetupBox(MessageResult::Ok);
    EXPECT_TRUE(SetupScreenSaver(platform, runner, xscreensaver, kSaver));
    EXPECT_EQ(ReadFile(XFile()), once);
}

TEST_F(ScreenSaverSetupTest, AnEntryOfOursAlreadyListedIsSelectedWhereItIs)
{
    // The user's own line for us, disabled and third in the list.
    QByteArray file = kUserFile;
    file.replace("-\t\t\t\txflame", "- \"Wallpaper Pellimore\" /usr/bin/wp --root \\n\\\n-\t\t\t\txflame");
    const QByteArray after = SelectInXScreenSaverFile(file, kSaver);
    EXPECT_EQ(Added(file, after), (QList<QByteArray>{"mode:\t\tone", "selected:\t2"}));

    // No file yet: a list of our saver alone.
    const QByteArray fresh = SelectInXScreenSaverFile(QByteArray(), kSaver);
    EXPECT_EQ(fresh, "programs:\t\\\n" + XScreenSaverEntry(kSaver) + "\t\\n\nmode:\t\tone\nselected:\t0\n");
    // A file without a list, and one whose list is one line, keep what they hold.
    const QByteArray noList = SelectInXScreenSaverFile("timeout:\t0:05:00", kSaver);
    EXPECT_TRUE(noList.startsWith("timeout:\t0:05:00\nprograms:")) << noList.toStdString();
    const QByteArray oneLine = SelectInXScreenSaverFile("programs: qix -root\n", kSaver);
    EXPECT_EQ(oneLine, "programs: qix -root\\n\\\n" + XScreenSaverEntry(kSaver) + "\t\\n\nmode:\t\tone\nselected:\t1\n");
    // A plain path goes unquoted.
    EXPECT_EQ(XScreenSaverEntry(QStringLiteral("/usr/bin/wp-saver")), "  \"Wallpaper Pellimore\"\t/usr/bin/wp-saver --root");
}

TEST_F(ScreenSaverSetupTest, CancelChangesNothingAndHelpOpensTheSetUpPage)
{
    WriteXFile(kUserFile);
    ui.ExpectMessageContaining(QStringLiteral("step-by-step instructions"), MessageResult::Cancel)
        .WithHelpButton()
        .PressHelp();
    EXPECT_FALSE(SetupScreenSaver(platform, runner, xscreensaver, kSaver));
    EXPECT_EQ(ReadFile(XFile()), kUserFile);
    EXPECT_TRUE(runner.Calls().empty());
    ASSERT_FALSE(help.Empty());
    EXPECT_EQ(help.Last(), RecordingHelp::Keyword(shell.ProgramFolder() + QStringLiteral("/WP.chm::/ss-setup.htm"),
                                                  QString()));
}

TEST_F(ScreenSaverSetupTest, DesktopsWithoutThirdPartySaversSaySoAndOpenTheirOwnSettings)
{
    struct Case {
        const char *desktop;
        QStringList command;
    };
    const Case cases[] = {
        {"GNOME", {"gnome-control-center", "privacy"}},
        {"KDE", {"systemsettings", "kcm_screenlocker"}},
        {"X-CINNAMON", {"cinnamon-settings", "screensaver"}},
        {"XFCE", {"xfce4-power-manager-settings"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.desktop);
        runner.ClearCalls();
        ExpectSetupBox(MessageResult::Ok);
        ui.ExpectMessage(QStringLiteral("Your desktop (%1) has no screen saver that runs other programs: it only blanks "
                                        "and locks the screen, so Wallpaper Pellimore cannot become its screen saver."
                                        "\n\nInstall XScreenSaver (or use the MATE desktop) to show your pictures as a "
                                        "screen saver.\n\nThe desktop's own screen and lock settings will open now.")
                             .arg(QLatin1String(c.desktop)),
                         kTitle, MessageResult::Ok)
            .WithIcon(MessageIcon::Information);
        EXPECT_FALSE(SetupScreenSaver(platform, runner, {SaverDaemon::None, QLatin1String(c.desktop)}, kSaver));
        ASSERT_EQ(runner.Calls().size(), 1u);
        EXPECT_EQ(runner.Calls().at(0).command, c.command);
    }
    // A session that names no desktop: the message alone.
    runner.ClearCalls();
    ExpectSetupBox(MessageResult::Ok);
    ui.ExpectMessageContaining(QStringLiteral("This desktop has no screen saver"), MessageResult::Ok);
    EXPECT_FALSE(SetupScreenSaver(platform, runner, {}, kSaver));
    EXPECT_TRUE(runner.Calls().empty());
    EXPECT_FALSE(QFile::exists(XFile()));
}

TEST_F(ScreenSaverSetupTest, MateChoosesOurThemeAndOpensItsPreferences)
{
    // Without the installed theme MATE could not run us: told, nothing set.
    const QString themes = QDir::homePath() + QStringLiteral("/.local/share/applications/screensavers");
    QDir(themes).removeRecursively();
    ExpectSetupBox(MessageResult::Ok);
    ui.ExpectMessageContaining(QStringLiteral("is not installed"), MessageResult::Ok);
    EXPECT_FALSE(SetupScreenSaver(platform, runner, {SaverDaemon::Mate, QStringLiteral("MATE")}, kSaver));
    EXPECT_TRUE(runner.Calls().empty());

    QDir().mkpath(themes);
    QFile theme(themes + QStringLiteral("/wallpaper-pellimore.desktop"));
    ASSERT_TRUE(theme.open(QIODevice::WriteOnly));
    theme.close();
    runner.SetInstalled({QStringLiteral("gsettings")});
    ExpectSetupBox(MessageResult::Ok);
    EXPECT_TRUE(SetupScreenSaver(platform, runner, {SaverDaemon::Mate, QStringLiteral("MATE")}, kSaver));
    ASSERT_EQ(runner.Calls().size(), 3u);
    EXPECT_EQ(runner.Calls().at(0).command.join(' '), QStringLiteral("gsettings set org.mate.screensaver mode single"));
    EXPECT_EQ(runner.Calls().at(1).command.join(' '),
              QStringLiteral("gsettings set org.mate.screensaver themes ['screensavers-wallpaper-pellimore']"));
    EXPECT_EQ(runner.Calls().at(2).command, QStringList{QStringLiteral("mate-screensaver-preferences")});

    // No gsettings: told, nothing opened.
    runner.SetInstalled({});
    runner.ClearCalls();
    ExpectSetupBox(MessageResult::Ok);
    ui.ExpectMessageContaining(QStringLiteral("could not be made the MATE screen saver"), MessageResult::Ok);
    EXPECT_FALSE(SetupScreenSaver(platform, runner, {SaverDaemon::Mate, QStringLiteral("MATE")}, kSaver));
    EXPECT_EQ(runner.Calls().size(), 2u);
}

TEST_F(ScreenSaverSetupTest, DetectsXScreenSaverByTheUsersFileAndFindsTheSaverBesideTheProgram)
{
    qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    EXPECT_EQ(SaverSession::Detect(runner).daemon, SaverDaemon::None);
    EXPECT_EQ(SaverSession::Detect(runner).desktop, QStringLiteral("GNOME"));
    WriteXFile(kUserFile);
    runner.SetInstalled({QStringLiteral("xscreensaver")});
    EXPECT_EQ(SaverSession::Detect(runner).daemon, SaverDaemon::XScreenSaver);
    QFile::remove(XFile());
    qputenv("XDG_CURRENT_DESKTOP", "MATE:GNOME");
    EXPECT_EQ(SaverSession::Detect(runner).daemon, SaverDaemon::Mate);
    qunsetenv("XDG_CURRENT_DESKTOP");

    const QString folder = QDir::homePath() + QStringLiteral("/bin");
    QDir().mkpath(folder);
    QFile saver(folder + QStringLiteral("/Wallpaper Pellimore"));
    ASSERT_TRUE(saver.open(QIODevice::WriteOnly));
    saver.close();
    saver.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(FindSaverProgram(folder + QStringLiteral("/WallPaper")), saver.fileName());
}

TEST(SaverThemeFile, TheMateThemeNamesTheInstalledSaverAndValidates)
{
    const QString theme = qEnvironmentVariable("PELLIMORE_BINARY_DIR") + QStringLiteral("/screensaver/wallpaper-pellimore.desktop");
    QFile file(theme);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << theme.toStdString();
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("/xscreensaver/wallpaper-pellimore\" --root\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("Categories=Screensaver;"));
    if (QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate")).isEmpty())
        GTEST_SKIP() << "desktop-file-validate is not installed";
    QProcess validate;
    validate.start(QStringLiteral("desktop-file-validate"), {theme});
    ASSERT_TRUE(validate.waitForFinished(10000));
    EXPECT_EQ(validate.exitCode(), 0) << validate.readAll().toStdString();
}
