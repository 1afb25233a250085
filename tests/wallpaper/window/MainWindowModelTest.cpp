// The settings window's behaviour through its model: the real app, picture
// folder and settings file under a temporary HOME, a recording desktop, a
// scripted ui, and a recording stand-in for the form.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QDesktopServices>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "platform/Platform.h"
#include "platform/ProgramNames.h"
#include "platform/shell/QtShellFolders.h"
#include "platform/store/IniSettingsStore.h"
#include "platform/store/SettingsKeys.h"
#include "tests/support/FixedClock.h"
#include "tests/support/ProgramServices.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/RecordingHelp.h"
#include "tests/support/ScriptedInstance.h"
#include "tests/support/ScriptedRandom.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempHome.h"
#include "wallpaper/changer/PictureData.h"
#include "wallpaper/changer/Settings.h"
#include "wallpaper/changer/ShellIntegration.h"
#include "wallpaper/changer/WallpaperInstaller.h"
#include "wallpaper/window/MainWindowModel.h"

namespace pellimore::test {
namespace {

// The form, recording what it is asked to do.
class RecordingForm final : public MainWindowView {
public:
    void UpdateControls() override { ++updates; }
    void ShowSplash(bool shown) override { log << (shown ? "splash" : "close splash"); }
    void ShowWindow() override
    {
        log << "show";
        visible = true;
    }
    void HideWindow(bool minimiseOnly) override
    {
        log << (minimiseOnly ? "minimise" : "hide");
        visible = false;
    }
    void SetTrayIconShown(bool shown) override { inTray = shown; }
    void PopUpTrayMenu() override { ++trayMenus; }
    bool AskExit() override
    {
        ++exitQuestions;
        return exitAnswer;
    }
    bool ShowReminder(bool noNotificationArea) override
    {
        ++reminders;
        reminderWithoutTray = noNotificationArea;
        return dontShowAgain;
    }
    void ShowAbout() override { log << "about"; }
    void SetBusy(bool) override {}
    bool ShowAnimatedPreview(const QString &, ColorRef) override { return false; }
    void StopAnimatedPreview() override {}
    void CloseWindow() override { closeRequests << model->ShutDown(CloseReason::Program); }
    void EndProgram() override { ended = true; }
    void OpenDesigner() override { log << "designer"; }
    void OpenResize() override { log << "resize"; }

    MainWindowModel *model = nullptr;
    QStringList log;
    int updates = 0;
    bool visible = false;
    bool inTray = false;
    int trayMenus = 0;
    int exitQuestions = 0;
    bool exitAnswer = false;
    int reminders = 0;
    bool reminderWithoutTray = false;
    bool dontShowAgain = false;
    QList<bool> closeRequests;
    bool ended = false;
};

class MainWindowModelTest : public testing::Test, protected ProgramServices {
protected:
    void SetUp() override
    {
        QFile::remove(QDir::homePath() + "/.config/Corvane/Corvane.ini");
        QDir(QDir::homePath() + "/.config/autostart").removeRecursively();
        QDir(Pictures()).removeRecursively();
        QDir().mkpath(Pictures());
        for (const char *name : {"alpha.jpg", "beta.jpg", "gamma.bmp"})
            WritePicture(name);
        Store(WallpaperKeys::kFolder, Pictures());
        Store(WallpaperKeys::kStartup, " 1");
        Store(WallpaperKeys::kTime, "Hour");
        Store(WallpaperKeys::kSound, " 0");
        QDir().mkpath(AutostartEntry().section('/', 0, -2));
        QFile entry(AutostartEntry());
        ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    }

    static QString Pictures() { return QDir::homePath() + "/pictures"; }
    static QString AutostartEntry() { return QDir::homePath() + "/.config/autostart/WallPaper Pellimore.desktop"; }
    static void WritePicture(const char *name)
    {
        QImage image(320, 200, QImage::Format_RGB32);
        image.fill(QColor(40, 120, 200));
        ASSERT_TRUE(image.save(Pictures() + "/" + name));
    }
    void Store(const QString &key, const QString &value)
    {
        store.SaveSetting(kApplicationName, WallpaperKeys::kSection, key, value);
    }
    QString Setting(const QString &key) const
    {
        return store.GetSetting(kApplicationName, WallpaperKeys::kSection, key);
    }

    // A started program with its settings window.
    struct Program {
        Program(MainWindowModelTest &test, const QStringList &arguments = {})
            : app(test.ForApp()),
              model(app, form)
        {
            form.model = &model;
            started = app.Start(arguments) == StartOutcome::Running;
        }
        WallpaperApp app;
        RecordingForm form;
        MainWindowModel model;
        bool started = false;
    };

};

TEST_F(MainWindowModelTest, StartingShowsTheSplashThenTheWindowWithTheCurrentPictureSelected)
{
    Store(WallpaperKeys::kCurrent, " 2");
    Program program(*this);
    ASSERT_TRUE(program.started);
    EXPECT_EQ(program.form.log.first(), "splash");
    EXPECT_TRUE(program.form.log.contains("close splash"));
    EXPECT_TRUE(program.form.visible);
    const int index = program.model.SelectedIndex();
    ASSERT_GE(index, 0);
    EXPECT_EQ(program.model.PictureNames().at(index),
              program.app.Library().Records().at(size_t(index)).FileName);
    EXPECT_EQ(program.app.Library().Records().at(size_t(index)).Order, 2);
    EXPECT_TRUE(program.app.View().Source().HasPicture()) << "the selected picture is shown";
    EXPECT_FALSE(program.form.inTray) << "no icon until Start";
}

TEST_F(MainWindowModelTest, TheTrayIconPopsItsMenuOnTheRightButtonAndADoubleClickOpensTheSettings)
{
    Program program(*this);
    program.model.FileList_Click(0);
    program.model.cmdSetWallpaper_Click();
    EXPECT_TRUE(program.form.inTray);
    EXPECT_FALSE(program.form.visible);
    EXPECT_TRUE(program.app.GetSchedule().MinuteTimer().isActive()) << "hourly: the minute timer counts";

    program.model.cNoticon1_MouseDown(1);
    EXPECT_EQ(program.form.trayMenus, 0);
    program.model.cNoticon1_MouseDown(2);
    EXPECT_EQ(program.form.trayMenus, 1);

    program.model.cNoticon1_MouseDblClick(1);
    EXPECT_TRUE(program.form.visible);
    EXPECT_FALSE(program.app.GetSchedule().MinuteTimer().isActive());
}

TEST_F(MainWindowModelTest, WithoutANotificationAreaTrayModeOnlyMinimisesAndTheReminderSaysSo)
{
    Program program(*this);
    program.model.SetNotificationAreaAvailable(false);
    program.model.FileList_Click(1);
    program.model.cmdSetWallpaper_Click();
    EXPECT_EQ(program.form.log.last(), "minimise");
    EXPECT_TRUE(program.form.reminderWithoutTray);
    // A tray that comes up later takes the program in.
    program.model.SetNotificationAreaAvailable(true);
    EXPECT_EQ(program.form.log.last(), "hide");
}

TEST_F(MainWindowModelTest, TheCloseBoxAsksWithFrmExitAndNoKeepsTheProgramRunning)
{
    Program program(*this);
    program.form.exitAnswer = false;
    EXPECT_FALSE(program.model.ShutDown(CloseReason::User));
    EXPECT_EQ(program.form.exitQuestions, 1);
    EXPECT_FALSE(program.form.ended);
    EXPECT_TRUE(program.form.visible);

    program.form.exitAnswer = true;
    program.model.mnuSound_Click();  // something to save
    EXPECT_TRUE(program.model.ShutDown(CloseReason::User));
    EXPECT_TRUE(program.form.ended);
    EXPECT_EQ(Setting(WallpaperKeys::kSound), " 1");
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(MainWindowModelTest, TheTraysCloseAsksBothQuestionsAndYesThenCancelStillShutsDown)
{
    Program program(*this);
    ui.ExpectMessage(kTrayCloseText, kShutDownTitle, MessageResult::Yes)
        .WithButtons(MessageButtons::YesNoCancel)
        .WithDefaultButton(3);
    ui.ExpectMessage(kStopAutorunText, kShutDownTitle, MessageResult::Cancel).WithDefaultButton(2);
    program.model.mnuTrayClose_Click();
    EXPECT_EQ(program.form.closeRequests, QList<bool>({true}));
    EXPECT_TRUE(program.form.ended);
    EXPECT_EQ(program.form.exitQuestions, 0);
    EXPECT_TRUE(QFile::exists(AutostartEntry()));
    EXPECT_TRUE(ui.VerifyAllUsed());
}

TEST_F(MainWindowModelTest, TheTraysCloseAnsweredNoKeepsRunningAndYesYesRemovesTheAutostartEntry)
{
    Program program(*this);
    ui.ExpectMessage(kTrayCloseText, kShutDownTitle, MessageResult::No);
    program.model.mnuTrayClose_Click();
    EXPECT_EQ(program.form.closeRequests, QList<bool>({false}));
    EXPECT_FALSE(program.form.ended);

    ui.ExpectMessage(kTrayCloseText, kShutDownTitle, MessageResult::Yes);
    ui.ExpectMessage(kStopAutorunText, kShutDownTitle, MessageResult::Yes);
    ui.ExpectMessage(QStringLiteral("Startup folder shortcut to Wallpaper Pellimore removed."), MessageResult::Ok);
    program.model.mnuTrayClose_Click();
    EXPECT_TRUE(program.form.ended);
    EXPECT_FALSE(QFile::exists(AutostartEntry()));
    EXPECT_EQ(Setting(WallpaperKeys::kStartup), " 0");
}

TEST_F(MainWindowModelTest, TheSessionEndingAsksNothingAndSaves)
{
    Program program(*this);
    program.model.mnuJPGhigh_Click(2);
    EXPECT_TRUE(program.model.ShutDown(CloseReason::SessionEnding));
    EXPECT_EQ(program.form.exitQuestions, 0);
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(Setting(WallpaperKeys::kJpg), " 2");
}

TEST_F(MainWindowModelTest, PreviewNeedsAClickedPictureAndClosingDuringItOnlyEndsIt)
{
    Store(WallpaperKeys::kCurrent, " 0");
    Program program(*this);
    program.app.State().PendingApply = false;
    ui.ExpectMessage(kNoPictureClickedText, MessageResult::Ok).WithIcon(MessageIcon::Information);
    program.model.cmdPreview_Click();
    EXPECT_TRUE(desktop.AppliedWallpapers().empty());
    EXPECT_EQ(program.model.PreviewCaption(), kPreviewCaption);

    program.model.FileList_Click(1);
    program.model.cmdPreview_Click();
    ASSERT_EQ(desktop.AppliedWallpapers().size(), 1u);
    EXPECT_EQ(program.model.PreviewCaption(), kEndPreviewCaption);
    EXPECT_EQ(program.app.State().CurrentIndex, 2) << "the previewed picture is the current one";

    EXPECT_FALSE(program.model.ShutDown(CloseReason::User));
    EXPECT_FALSE(program.model.Previewing());
    EXPECT_EQ(program.form.exitQuestions, 0);
    EXPECT_EQ(desktop.AppliedWallpapers().size(), 1u) << "the wallpaper stays as previewed";
    EXPECT_TRUE(ui.VerifyAllUsed());
}

TEST_F(MainWindowModelTest, DontShowTheReminderAgainHoldsAfterTheNextStartAndARestart)
{
    {
        Program program(*this);
        EXPECT_TRUE(program.model.ReminderChecked());
        program.form.dontShowAgain = true;
        program.model.FileList_Click(0);
        program.model.cmdSetWallpaper_Click();
        EXPECT_EQ(program.form.reminders, 1);
        EXPECT_FALSE(program.model.ReminderChecked());
        EXPECT_EQ(Setting(WallpaperKeys::kAutoStartMessage), "1");

        program.model.ShowSettingsWindow();
        program.model.cmdSetWallpaper_Click();
        EXPECT_EQ(program.form.reminders, 1);
        program.model.ShutDown(CloseReason::SessionEnding);
    }
    Program restarted(*this);
    EXPECT_FALSE(restarted.model.ReminderChecked());
    restarted.model.cmdSetWallpaper_Click();
    EXPECT_EQ(restarted.form.reminders, 0);

    // The menu item turns it on again.
    restarted.model.mnuMessage_Click();
    EXPECT_TRUE(restarted.model.ReminderChecked());
    EXPECT_EQ(Setting(WallpaperKeys::kAutoStartMessage), "0");
}

TEST_F(MainWindowModelTest, ClickingAPictureDeletedBehindTheProgramsBackRefreshesTheList)
{
    Program program(*this);
    ASSERT_EQ(program.model.PictureNames(), QStringList({"alpha.jpg", "beta.jpg", "gamma.bmp"}));
    ASSERT_TRUE(QFile::remove(Pictures() + "/beta.jpg"));
    program.model.FileList_Click(1);
    EXPECT_EQ(program.model.PictureNames(), QStringList({"alpha.jpg", "gamma.bmp"}));
    EXPECT_EQ(program.model.SelectedIndex(), 0);
    EXPECT_EQ(program.model.SelectedBaseName(), "alpha");
    EXPECT_TRUE(program.app.View().Source().HasPicture());
}

TEST_F(MainWindowModelTest, AnEntrysStyleAndColourSurviveARestart)
{
    {
        Program program(*this);
        program.model.FileList_Click(2);
        program.model.optPropTile_Click(kStyleTiled);
        ui.ExpectColor(0x3366CC);
        program.model.lblColor_Click();
        EXPECT_EQ(program.app.View().ColorLabel(), 0x3366CCu);
        EXPECT_TRUE(program.model.ShutDown(CloseReason::SessionEnding));
    }
    Program restarted(*this);
    restarted.model.FileList_Click(2);
    const PictureRecord &entry = restarted.app.Library().Records().at(2);
    EXPECT_EQ(entry.FileName, "gamma.bmp");
    EXPECT_EQ(entry.Style, kStyleTiled);
    EXPECT_EQ(entry.BackColor, 0x3366CCu);
    EXPECT_EQ(restarted.app.View().Styles().chosen, kStyleTiled);
    EXPECT_EQ(restarted.app.View().ColorLabel(), 0x3366CCu);
}

TEST_F(MainWindowModelTest, MenuChecksFollowTheSettingsAndTheQualityItemsAreExclusive)
{
    Store(WallpaperKeys::kSound, " 0");
    Store(WallpaperKeys::kActiveDesktop, " 1");
    Store(WallpaperKeys::kJpg, " 1");
    Program program(*this);
    EXPECT_FALSE(program.model.SoundChecked());
    EXPECT_TRUE(program.model.NoActiveDesktopChecked());
    EXPECT_TRUE(program.model.StartupChecked());
    EXPECT_EQ(program.model.JpegQualityItem(), 1);
    program.model.mnuJPGhigh_Click(0);
    EXPECT_EQ(program.app.State().JpegQuality, 85);
    program.model.mnuNoAD_Click();
    EXPECT_EQ(program.app.State().NoActiveDesktop, 0);

    ui.ExpectMessage(QStringLiteral("Startup folder shortcut to Wallpaper Pellimore removed."), MessageResult::Ok);
    program.model.mnuStartup_Click();
    EXPECT_FALSE(program.model.StartupChecked());
    EXPECT_FALSE(QFile::exists(AutostartEntry()));
    ui.ExpectMessageContaining(QStringLiteral("added!"), MessageResult::Ok);
    program.model.mnuStartup_Click();
    EXPECT_TRUE(QFile::exists(AutostartEntry()));
    EXPECT_TRUE(ui.VerifyAllUsed());
}

TEST_F(MainWindowModelTest, AFailedAnimatedDesktopChecksAndDisablesItsMenuItem)
{
    Store(WallpaperKeys::kActiveDesktop, " 0");
    Program program(*this);
    EXPECT_FALSE(program.model.NoActiveDesktopChecked());
    EXPECT_TRUE(program.model.NoActiveDesktopEnabled());
    ui.ExpectMessage(kActiveDesktopText, kActiveDesktopTitle, MessageResult::Ok).WithIcon(MessageIcon::Critical);
    program.app.Installer().SetWallpaperActiveDesktop(QStringLiteral("/nowhere/w.bmp"), WallpaperStyle::Centered,
                                                      false, false);
    EXPECT_TRUE(program.model.NoActiveDesktopChecked());
    EXPECT_FALSE(program.model.NoActiveDesktopEnabled());
    EXPECT_TRUE(ui.VerifyAllUsed());
}

// The desktop's URL handler, as a test stands in for the browser.
class UrlCatcher final : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl &url) { opened << url; }
};

TEST_F(MainWindowModelTest, TheHelpMenuOpensTheManualAndTheWebPageOrSaysTheBrowserFailed)
{
    Program program(*this);
    help.Clear();
    program.model.mnuManual_Click();
    ASSERT_FALSE(help.Empty());
    EXPECT_EQ(help.Last(), RecordingHelp::Context(shell.ProgramFolder() + "/WP.chm", 0));

    // A browser that takes the address: nothing is said.
    UrlCatcher browser;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "Open");
    program.model.mnuWeb_Click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_EQ(browser.opened, QList<QUrl>{QUrl(kWebsiteAddress)});
    // None: the message.
    ui.ExpectMessage(QStringLiteral("Unable to launch default browser"), QStringLiteral("WallPaper Pellimore"),
                     MessageResult::Ok);
    EXPECT_FALSE(OpenWebPage(ui, QStringLiteral("pellimore-nothing-opens:page")));

    // Closing the program closes the help.
    program.form.exitAnswer = true;
    ASSERT_TRUE(program.model.ShutDown(CloseReason::User));
    EXPECT_TRUE(help.Closed());
}

TEST_F(MainWindowModelTest, AnAutostartEntryDeletedByHandIsUncheckedSilentlyAndANewOneValidates)
{
    Program program(*this);
    ASSERT_TRUE(program.model.StartupChecked());
    QFile::remove(AutostartEntry());
    program.model.mnuStartup_Click();  // no message expected
    EXPECT_FALSE(program.model.StartupChecked());
    EXPECT_EQ(program.app.State().StartupState, 0);

    ui.ExpectMessage(QStringLiteral("Automatic daily Windows Startup shortcut for Wallpaper Pellimore added!"),
                     QStringLiteral("Automatic Wallpaper Changer"), MessageResult::Ok);
    program.model.mnuStartup_Click();
    ASSERT_TRUE(QFile::exists(AutostartEntry()));
    if (QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate")).isEmpty())
        GTEST_SKIP() << "desktop-file-validate is not installed";
    QProcess validate;
    validate.start(QStringLiteral("desktop-file-validate"), {AutostartEntry()});
    ASSERT_TRUE(validate.waitForFinished(10000));
    EXPECT_EQ(validate.exitCode(), 0);
    EXPECT_EQ(validate.readAll(), QByteArray()) << "desktop-file-validate complained";
}

}  // namespace
}  // namespace pellimore::test

#include "MainWindowModelTest.moc"
