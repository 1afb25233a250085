// The settings of section "Wallpaper" through the real settings file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>

#include "platform/ProgramNames.h"
#include "platform/store/IniSettingsStore.h"
#include "platform/store/SettingsKeys.h"
#include "tests/support/FixedClock.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/changer/Settings.h"

using namespace pellimore;
using pellimore::test::FixedClock;

namespace {

class SettingsTest : public testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale::system());
        QFile::remove(QDir::homePath() + "/.config/Corvane/Corvane.ini");
        state.DesktopColor = 0x336699;
    }

    void Store(const QString &key, const QString &value)
    {
        ASSERT_TRUE(store.SaveSetting(kApplicationName, WallpaperKeys::kSection, key, value));
    }
    QString Stored(const QString &key) const
    {
        return store.GetSetting(kApplicationName, WallpaperKeys::kSection, key, QStringLiteral("<absent>"));
    }
    LoadSettingsOutcome Load() { return LoadSettings(state, store, clock, programFolder); }

    IniSettingsStore store;
    FixedClock clock{QDate(2026, 12, 8)};
    ChangerState state;
    QString programFolder = QStringLiteral("/opt/pellimore");
};

}  // namespace

TEST_F(SettingsTest, EmptyStoreReadsEveryDefaultAndAsksForTheFirstRun)
{
    const LoadSettingsOutcome outcome = Load();
    EXPECT_EQ(state.StartupState, 3);
    EXPECT_TRUE(state.FirstRun);
    EXPECT_TRUE(outcome.createStartupShortcut);
    EXPECT_TRUE(outcome.runFirstRunFolderSetup);
    EXPECT_EQ(state.PictureFolder, "/opt/pellimore/Samples");
    EXPECT_EQ(state.CurrentOrder, 0);
    EXPECT_EQ(state.ScheduleKind, " 1");
    EXPECT_EQ(state.HourInterval, 1);
    EXPECT_EQ(state.ChangeWeekday, 0);
    EXPECT_EQ(ParseShortDate(state.NextChangeDate), QDate(2026, 12, 8));
    EXPECT_EQ(state.PlaySoundOnChange, 1);
    EXPECT_EQ(state.DefaultBackColor, 0x336699u);
    EXPECT_EQ(state.NoActiveDesktop, 1);
    EXPECT_EQ(state.JpegQuality, 85);
    EXPECT_EQ(state.ReminderOff, 0);
}

TEST_F(SettingsTest, NumbersFollowTheirRulesForZeroNegativeAndText)
{
    struct Case {
        QString startup, interval;
        int expectedStartup, expectedInterval;
        bool firstRun;
    };
    const Case cases[] = {
        {"0", "0", 0, 1, false},
        {" 1", "-5", 1, 1, false},
        {"-1", " 3", 3, 3, true},
        {"abc", "  24hours", 0, 24, false},   // text that is no number reads 0
        {"  3", "x", 3, 1, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.startup.toStdString() + " / " + c.interval.toStdString());
        Store("Startup", c.startup);
        Store("Interval2", c.interval);
        state = ChangerState();
        Load();
        EXPECT_EQ(state.StartupState, c.expectedStartup);
        EXPECT_EQ(state.HourInterval, c.expectedInterval);
        EXPECT_EQ(state.FirstRun, c.firstRun);
    }
}

TEST_F(SettingsTest, StartupZeroKeepsTheShortcutAwayAndAnExistingFolderIsKept)
{
    const QString folder = QDir::homePath() + "/pictures";
    QDir().mkpath(folder);
    Store("Startup", "0");
    Store("Folder", folder);
    Store("Current", " 4");
    const LoadSettingsOutcome outcome = Load();
    EXPECT_FALSE(outcome.createStartupShortcut);
    EXPECT_FALSE(outcome.runFirstRunFolderSetup);
    EXPECT_FALSE(state.FirstRun);
    EXPECT_EQ(state.PictureFolder, folder);
    EXPECT_EQ(state.CurrentOrder, 4);
}

TEST_F(SettingsTest, AFolderThatIsGoneSendsTheProgramThroughTheFolderSetUp)
{
    Store("Startup", " 1");
    Store("Folder", QDir::homePath() + "/no such folder");
    Store("Current", " 7");
    const LoadSettingsOutcome outcome = Load();
    EXPECT_TRUE(outcome.runFirstRunFolderSetup);
    EXPECT_TRUE(outcome.createStartupShortcut);
    EXPECT_FALSE(state.FirstRun);
    EXPECT_EQ(state.CurrentOrder, 0);
    EXPECT_EQ(state.PictureFolder, "/opt/pellimore/Samples");

    // A relative name never names the picture folder, even when such a folder
    // happens to lie in the working folder.
    QDir::setCurrent(QDir::homePath());
    QDir().mkpath(QDir::homePath() + "/0");
    Store("Folder", "0");
    EXPECT_TRUE(Load().runFirstRunFolderSetup);
}

TEST_F(SettingsTest, DatesThatAreNotDatesOrPastBecomeToday)
{
    const QDate today(2026, 12, 8);
    struct Case {
        QString stored;
        QDate expected;
    };
    const Case cases[] = {
        {"tomorrow", today},
        {"", today},
        {ShortDateText(QDate(2026, 12, 7)), today},
        {ShortDateText(QDate(2027, 1, 1)), QDate(2027, 1, 1)},
        {ShortDateText(today), today},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored.toStdString());
        Store("Date", c.stored);
        Load();
        EXPECT_EQ(ParseShortDate(state.NextChangeDate), c.expected);
    }
}

TEST_F(SettingsTest, DatesAreWrittenWithFourDigitYearsAndTwoDigitYearsReadAsThisCentury)
{
    const QString text = ShortDateText(QDate(2031, 2, 3));
    EXPECT_TRUE(text.contains("2031")) << text.toStdString();
    EXPECT_EQ(ParseShortDate(text), QDate(2031, 2, 3));

    QString twoDigit = text;
    twoDigit.replace("2031", "31");
    EXPECT_EQ(ParseShortDate(twoDigit), QDate(2031, 2, 3)) << twoDigit.toStdString();
    EXPECT_EQ(ParseShortDate("2030-05-06"), QDate(2030, 5, 6));
    EXPECT_FALSE(ParseShortDate("31/31/31x").has_value());
}

TEST_F(SettingsTest, JpegQualityMapsAndIsWrittenBack)
{
    struct Case {
        QString stored;
        int quality;
        QString written;
    };
    const Case cases[] = {{"2", 100, " 2"}, {" 1", 93, " 1"}, {"7", 85, " 0"}, {"-1", 85, " 0"}, {"0", 85, " 0"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored.toStdString());
        Store("JPG", c.stored);
        Load();
        EXPECT_EQ(state.JpegQuality, c.quality);
        ASSERT_TRUE(SaveSettings(state, store));
        EXPECT_EQ(Stored("JPG"), c.written);
    }
}

TEST_F(SettingsTest, SaveWritesNumbersWithTheirBlankAndTextsAsTheyAre)
{
    state.StartupState = 1;
    state.ScheduleKind = "Week";
    state.CurrentOrder = 12;
    state.PictureFolder = "/home/me/My Pictures";
    state.HourInterval = 24;
    state.ChangeWeekday = 3;
    state.NextChangeDate = ShortDateText(QDate(2027, 3, 1));
    state.PlaySoundOnChange = 0;
    state.DefaultBackColor = 16777215;
    state.NoActiveDesktop = -2;
    state.JpegQuality = 93;
    ASSERT_TRUE(SaveSettings(state, store));

    EXPECT_EQ(Stored("Startup"), " 1");
    EXPECT_EQ(Stored("Time"), "Week");
    EXPECT_EQ(Stored("Current"), " 12");
    EXPECT_EQ(Stored("Folder"), "/home/me/My Pictures");
    EXPECT_EQ(Stored("Interval2"), " 24");
    EXPECT_EQ(Stored("Interval3"), " 3");
    EXPECT_EQ(Stored("Date"), state.NextChangeDate);
    EXPECT_EQ(Stored("Sound"), " 0");
    EXPECT_EQ(Stored("Color"), " 16777215");
    EXPECT_EQ(Stored("AD"), "-2");
    EXPECT_EQ(Stored("JPG"), " 1");
    EXPECT_EQ(Stored("AutoStartMessage"), "<absent>");

    // What was saved reads back as it was.
    ChangerState saved = state;
    state = ChangerState();
    QDir().mkpath(saved.PictureFolder);
    Load();
    EXPECT_EQ(state.ScheduleKind, saved.ScheduleKind);
    EXPECT_EQ(state.CurrentOrder, saved.CurrentOrder);
    EXPECT_EQ(state.HourInterval, saved.HourInterval);
    EXPECT_EQ(state.ChangeWeekday, saved.ChangeWeekday);
    EXPECT_EQ(state.NextChangeDate, saved.NextChangeDate);
    EXPECT_EQ(state.DefaultBackColor, saved.DefaultBackColor);
    EXPECT_EQ(state.JpegQuality, saved.JpegQuality);
}
