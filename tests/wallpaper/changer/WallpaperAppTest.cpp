// The changer's start-up in its order, `--next` once, and shut-down, run in
// this process on real folders, the real settings file and the samples, with
// a recording desktop and a scripted ui.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>

#include <algorithm>

#include "platform/Platform.h"
#include "platform/ProgramNames.h"
#include "platform/instance/InstanceChannel.h"
#include "platform/shell/QtShellFolders.h"
#include "platform/store/IniSettingsStore.h"
#include "platform/store/SettingsKeys.h"
#include "tests/support/FixedClock.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/RecordingHelp.h"
#include "tests/support/ScriptedInstance.h"
#include "tests/support/ScriptedRandom.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempHome.h"
#include "wallpaper/changer/PictureLibrary.h"
#include "wallpaper/changer/PictureViewModel.h"
#include "wallpaper/changer/Schedule.h"
#include "wallpaper/changer/Settings.h"
#include "wallpaper/changer/ShellIntegration.h"
#include "wallpaper/changer/StartUp.h"
#include "wallpaper/changer/WallpaperApp.h"
#include "wallpaper/changer/WallpaperInstaller.h"

namespace pellimore::test {
namespace {

// The window steps, in the order they were asked for.
class RecordingWindow final : public WallpaperAppView {
public:
    void ShowSplash() override { steps << "splash"; }
    void CloseSplash() override { steps << "close splash"; }
    void ShowSettings() override { steps << "settings"; }
    void ShowMainWindow() override { steps << "show"; }
    void HideMainWindow() override { steps << "hide"; }
    QStringList steps;
};

class TrayRecorder final : public ScheduleListener {
public:
    void ShowTrayIcon() override { ++trayIcons; }
    int trayIcons = 0;
};

class WallpaperAppTest : public testing::Test {
protected:
    void SetUp() override
    {
        QFile::remove(QDir::homePath() + "/.config/Corvane/Corvane.ini");
        QDir(AutostartFolder()).removeRecursively();
        QDir(DocumentsCopy()).removeRecursively();
        QDir(Pictures()).removeRecursively();
        QDir().mkpath(Pictures());
    }

    static QString AutostartFolder() { return QDir::homePath() + "/.config/autostart"; }
    static QString DocumentsCopy() { return QDir::homePath() + "/Documents/Wallpaper Pellimore"; }
    static QString Pictures() { return QDir::homePath() + "/pictures"; }
    QString Setting(const QString &key) const { return store.GetSetting(kApplicationName, WallpaperKeys::kSection, key); }
    void Store(const QString &key, const QString &value) { store.SaveSetting(kApplicationName, WallpaperKeys::kSection, key, value); }

    static void WritePicture(const QString &name, int width, int height, const char *format)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(QColor(30, 90, 200));
        ASSERT_TRUE(image.save(Pictures() + "/" + name, format));
    }
    static void WriteLibraryFile(const QByteArray &lines)
    {
        QFile file(Pictures() + "/wallpaper.dat");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(lines);
    }
    // The folder of the defect report: small.bmp shown now (order 1), big.jpg
    // next (order 2), the library file not in the folder's listing order.
    void TwoPicturesWithSmallShown()
    {
        WritePicture("small.bmp", 64, 48, "BMP");
        WritePicture("big.jpg", 1600, 1200, "JPG");
        WriteLibraryFile("\"small.bmp\",0,0,1\r\n\"big.jpg\",0,8421504,2\r\n");
        Store("Folder", Pictures());
        Store("Startup", " 1");
        Store("Current", " 1");
        Store("Time", "Daily");
        Store("Sound", " 0");
        Store("Date", ShortDateText(clock.Today().addDays(7)));
    }
    WallpaperApp::Services Services(InstanceChannel &channel)
    {
        return {platform, channel, desktop, activeDesktop, sound, QStringLiteral("/usr/bin/WallPaper")};
    }

    IniSettingsStore store;
    ScriptedUi ui;
    QtShellFolders shell{SourcePath("assets"), QDir::homePath() + "/bin"};
    FixedClock clock{QDate(2026, 12, 8), QTime(1, 2, 3)};
    ScriptedRandom random;
    RecordingHelp help;
    Platform platform{store, ui, shell, clock, random, help};
    RecordingDesktop desktop;
    UnavailableActiveDesktop activeDesktop;
    RecordingSound sound;
    ScriptedInstance instance;
    RecordingWindow window;
};

TEST_F(WallpaperAppTest, FirstRunWithAnEmptyStoreSetsEverythingUpSilently)
{
    WallpaperApp app(Services(instance));
    app.SetView(&window);
    ASSERT_EQ(app.Start({}), StartOutcome::Running);

    const ChangerState &state = app.State();
    EXPECT_TRUE(state.FirstRun);
    EXPECT_FALSE(state.Loading);
    EXPECT_EQ(random.Seeds(), std::vector<uint32_t>{3723});
    EXPECT_EQ(state.StartupState, 1);
    EXPECT_TRUE(QFile::exists(AutostartFolder() + "/WallPaper Pellimore.desktop"));
    EXPECT_EQ(state.PictureFolder, DocumentsCopy());
    EXPECT_GT(app.Library().PictureCount(), 1);
    EXPECT_TRUE(QFile::exists(DocumentsCopy() + "/wallpaper.dat"));
    EXPECT_EQ(state.ScheduleKind, "Daily");
    // No current picture yet: the first entry is selected and the play order
    // starts at its beginning.
    EXPECT_EQ(state.SelectedIndex, 0);
    EXPECT_EQ(state.CurrentOrder, 1);
    EXPECT_EQ(window.steps, QStringList({"splash", "settings", "show", "close splash"}));
    EXPECT_TRUE(ui.Messages().empty());
    ASSERT_EQ(help.Requests().size(), 1u);
    EXPECT_EQ(help.Last(), RecordingHelp::Keyword(shell.ProgramFolder() + "/WP.chm", "quick"));
    EXPECT_TRUE(desktop.AppliedWallpapers().empty()) << "a start without /C changes nothing";

    ASSERT_TRUE(app.ShutDown());
    EXPECT_EQ(Setting("Time"), "Daily");
    EXPECT_EQ(Setting("Folder"), DocumentsCopy());
    EXPECT_EQ(Setting("Startup"), " 1");
}

TEST_F(WallpaperAppTest, AutorunWithADueChangeHidesTheWindowAndChangesThirtySecondsLater)
{
    TwoPicturesWithSmallShown();
    Store("Date", ShortDateText(clock.Today()));
    WallpaperApp app(Services(instance));
    app.SetView(&window);
    TrayRecorder tray;
    app.GetSchedule().SetListener(&tray);
    ASSERT_EQ(app.Start({"/C"}), StartOutcome::Running);

    EXPECT_EQ(window.steps, QStringList({"settings", "show", "hide"}));
    EXPECT_EQ(tray.trayIcons, 1);
    EXPECT_FALSE(app.State().AutoRunStart);
    EXPECT_TRUE(app.GetSchedule().DelayedChangeTimer().isActive());
    EXPECT_TRUE(desktop.AppliedWallpapers().empty());
    EXPECT_TRUE(help.Empty());

    app.GetSchedule().tmrRefresh_Timer();
    ASSERT_EQ(desktop.AppliedWallpapers().size(), 1u);
    EXPECT_EQ(desktop.AppliedWallpapers()[0].picture.Width(), 1024) << "big.jpg, fitted";
    EXPECT_EQ(Setting("Current"), " 2");
    EXPECT_EQ(Setting("Date"), ShortDateText(clock.Today().addDays(1)));
    EXPECT_EQ(store.GetSetting(kApplicationName, DesktopKeys::kSection, "Background"), "128 128 128");
}

TEST_F(WallpaperAppTest, AutorunWithNoChangeDueLeavesTheDesktopAlone)
{
    TwoPicturesWithSmallShown();
    desktop.SetBackgroundColor(0x123456);
    WallpaperApp app(Services(instance));
    ASSERT_EQ(app.Start({"/c"}), StartOutcome::Running);
    EXPECT_EQ(app.State().DesktopColor, 0x123456u);
    EXPECT_EQ(app.State().MyDocsPath, QDir::homePath() + "/Documents/");
    EXPECT_FALSE(app.GetSchedule().DelayedChangeTimer().isActive());
    EXPECT_TRUE(desktop.AppliedWallpapers().empty());
    EXPECT_EQ(app.State().CurrentOrder, 1);
    EXPECT_EQ(app.Library().PictureNames().at(app.State().SelectedIndex), "small.bmp");
}

TEST_F(WallpaperAppTest, AVanishedFolderFallsBackToTheDocumentsCopy)
{
    Store("Folder", QDir::homePath() + "/gone");
    Store("Startup", " 1");
    Store("Current", " 4");
    WallpaperApp app(Services(instance));
    ASSERT_EQ(app.Start({}), StartOutcome::Running);
    EXPECT_EQ(app.State().PictureFolder, DocumentsCopy());
    EXPECT_GT(app.Library().PictureCount(), 0);
    EXPECT_TRUE(QFile::exists(AutostartFolder() + "/WallPaper Pellimore.desktop"));
    EXPECT_TRUE(ui.Messages().empty()) << "nothing is said while loading";
    EXPECT_FALSE(app.State().FirstRun);
    EXPECT_TRUE(help.Empty());
}

TEST_F(WallpaperAppTest, ASecondInstanceRaisesTheFirstAndTouchesNothing)
{
    ScriptedInstance second(true);
    ui.ExpectMessage(kDuplicateInstanceText, kDuplicateInstanceTitle, MessageResult::Ok).WithHelpButton();
    WallpaperApp app(Services(second));
    app.SetView(&window);
    EXPECT_EQ(app.Start({}), StartOutcome::SecondInstance);
    EXPECT_EQ(second.sent, std::vector<InstanceChannel::Request>{InstanceChannel::Request::Raise});
    EXPECT_TRUE(window.steps.isEmpty());
    ASSERT_TRUE(app.ShutDown());
    EXPECT_FALSE(QFile::exists(QDir::homePath() + "/.config/Corvane/Corvane.ini"));
    EXPECT_FALSE(QFile::exists(AutostartFolder() + "/WallPaper Pellimore.desktop"));
}

TEST_F(WallpaperAppTest, NextGoesToARunningInstanceWhenThereIsOne)
{
    ScriptedInstance running(true);
    WallpaperApp app(Services(running));
    EXPECT_EQ(app.RunNextOnce().exitCode, 0);
    EXPECT_EQ(running.sent, std::vector<InstanceChannel::Request>{InstanceChannel::Request::NextWallpaper});

    ScriptedInstance silent(true, false);
    WallpaperApp other(Services(silent));
    const NextOnceResult result = other.RunNextOnce();
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.reason, "the running WallPaper did not answer");
    EXPECT_TRUE(desktop.AppliedWallpapers().empty());
}

// However the play order is shuffled, the picture after the one shown is the
// next wallpaper: a library file listed in another order than the folder must
// not reshuffle the order and lose the place.
TEST_F(WallpaperAppTest, NextChangesToTheNextPictureWhateverTheRandomSource)
{
    const std::vector<std::vector<float>> draws = {{0.1f, 0.6f}, {0.6f, 0.1f}, {0.1f, 0.1f, 0.6f}, {}};
    for (const std::vector<float> &values : draws) {
        SetUp();
        TwoPicturesWithSmallShown();
        ScriptedRandom scripted;
        for (float value : values)
            scripted.Queue(value);
        Platform seeded{store, ui, shell, clock, scripted, help};
        RecordingDesktop fresh;
        WallpaperApp app({seeded, instance, fresh, activeDesktop, sound, "/usr/bin/WallPaper"});
        const NextOnceResult result = app.RunNextOnce();
        ASSERT_EQ(result.exitCode, 0) << result.reason.toStdString();
        ASSERT_EQ(fresh.AppliedWallpapers().size(), 1u);
        EXPECT_EQ(fresh.AppliedWallpapers()[0].picture.Width(), 1024) << "big.jpg, fitted; draws " << values.size();
        EXPECT_TRUE(fresh.AppliedWallpapers()[0].pixelsHandedOver);
        EXPECT_EQ(Setting("Current"), " 2");
        QFile data(Pictures() + "/wallpaper.dat");
        ASSERT_TRUE(data.open(QIODevice::ReadOnly));
        EXPECT_EQ(data.readAll(), "\"big.jpg\",0,8421504,2\r\n\"small.bmp\",0,0,1\r\n") << "lines in list order";
    }
}

// At the end of a pass the order is shuffled again; "next" must still show
// another picture, even when the new pass would begin with the one shown.
TEST_F(WallpaperAppTest, ANewPassNeverBeginsWithThePictureJustShown)
{
    for (const float first : {0.1f, 0.6f}) {
        SetUp();
        TwoPicturesWithSmallShown();
        Store("Current", " 2");   // big.jpg shown: the pass is over
        ScriptedRandom scripted{first, first < 0.5f ? 0.6f : 0.1f};
        Platform seeded{store, ui, shell, clock, scripted, help};
        RecordingDesktop fresh;
        WallpaperApp app({seeded, instance, fresh, activeDesktop, sound, "/usr/bin/WallPaper"});
        ASSERT_EQ(app.RunNextOnce().exitCode, 0);
        ASSERT_EQ(fresh.AppliedWallpapers().size(), 1u);
        EXPECT_EQ(fresh.AppliedWallpapers()[0].picture.Width(), 64) << "small.bmp after big.jpg";
        EXPECT_EQ(Setting("Current"), " 1");
        std::vector<int> orders;
        for (const PictureRecord &record : app.Library().Records())
            orders.push_back(record.Order);
        std::sort(orders.begin(), orders.end());
        EXPECT_EQ(orders, (std::vector<int>{1, 2}));
    }
}

// The change's settings are written together at its end; when they cannot be
// written the wallpaper is still changed and the command says what was lost.
TEST_F(WallpaperAppTest, NextStoresItsSettingsAtTheEndOrSaysTheyWereNotSaved)
{
    TwoPicturesWithSmallShown();
    {
        WallpaperApp app(Services(instance));
        ASSERT_EQ(app.RunNextOnce().exitCode, 0);
    }
    IniSettingsStore reader;
    EXPECT_EQ(reader.GetSetting(kApplicationName, WallpaperKeys::kSection, "Current"), " 2");
    EXPECT_EQ(reader.GetSetting(kApplicationName, DesktopKeys::kSection, DesktopKeys::kWallpaper),
              Pictures() + "/Wallpaper Pellimore.bmp");
    EXPECT_EQ(reader.GetSetting(kApplicationName, DesktopKeys::kSection, DesktopKeys::kBackground), "128 128 128");
    EXPECT_EQ(reader.GetSetting(kApplicationName, DesktopKeys::kSection, DesktopKeys::kTileWallpaper), " 0");

    // A folder where the settings' lock file goes: no write can take the lock.
    const QString lock = QDir::homePath() + "/.config/Corvane/Corvane.ini.lock";
    ASSERT_TRUE(QDir().mkpath(lock));
    RecordingDesktop fresh;
    WallpaperApp app({platform, instance, fresh, activeDesktop, sound, "/usr/bin/WallPaper"});
    const NextOnceResult result = app.RunNextOnce();
    QDir(lock).removeRecursively();
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.reason.startsWith("the wallpaper was changed, but the settings could not be saved: "))
        << result.reason.toStdString();
    EXPECT_EQ(fresh.AppliedWallpapers().size(), 1u);
    EXPECT_EQ(Setting("Current"), " 2") << "the file keeps the last stored change";
}

TEST_F(WallpaperAppTest, NextWithAnEmptyFolderFailsWithTheReason)
{
    Store("Folder", Pictures());
    Store("Startup", " 1");
    WallpaperApp app(Services(instance));
    const NextOnceResult result = app.RunNextOnce();
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.reason, "there are no pictures in the folder " + Pictures());
    EXPECT_FALSE(QFile::exists(AutostartFolder() + "/WallPaper Pellimore.desktop"));
}

}  // namespace
}  // namespace pellimore::test
