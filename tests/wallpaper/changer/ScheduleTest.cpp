// The schedule with a fixed clock and a scripted random source, over real
// picture files and the real settings file.
#include "platform/ProgramNames.h"
#include "tests/wallpaper/changer/ApplyFixture.h"

#include <QFile>
#include <QSet>

#include "platform/store/SettingsKeys.h"
#include "platform/store/ValueText.h"

namespace pellimore::test {
namespace {

class ScheduleTest : public ApplyFixture {
protected:
    void AddPictures(int count)
    {
        for (int i = 0; i < count; ++i)
            AddPicture(QStringLiteral("pic%1.bmp").arg(i), 64 + i, 48, QColor(20 * i, 100, 200));
    }
    QString NameOfOrder(int order) const
    {
        for (const PictureRecord &record : library.Records()) {
            if (record.Order == order)
                return record.FileName;
        }
        return {};
    }
    QString AppliedName() const
    {
        return library.Records()[size_t(state.CurrentIndex - 1)].FileName;
    }
};

TEST_F(ScheduleTest, DailyAutorunStartChangesThirtySecondsLaterAndOnlyOnceADay)
{
    AddPictures(5);
    Start();
    state.AutoRunStart = true;
    struct TrayCounter final : ScheduleListener {
        void ShowTrayIcon() override { ++shown; }
        int shown = 0;
    } tray;
    int &trayShown = tray.shown;
    schedule.SetListener(&tray);
    schedule.CheckSchedule();
    EXPECT_TRUE(desktop.AppliedWallpapers().empty()) << "nothing changes at once";
    EXPECT_TRUE(schedule.DelayedChangeTimer().isActive());
    EXPECT_EQ(schedule.DelayedChangeTimer().interval(), 30000);
    EXPECT_TRUE(schedule.DelayedChangeTimer().isSingleShot());
    EXPECT_FALSE(state.AutoRunStart);
    EXPECT_EQ(trayShown, 1);

    schedule.tmrRefresh_Timer();
    EXPECT_FALSE(schedule.DelayedChangeTimer().isActive());
    EXPECT_EQ(desktop.AppliedWallpapers().size(), 1u);
    EXPECT_EQ(state.NextChangeDate, ShortDateText(clock.Today().addDays(1)));
    EXPECT_EQ(store.GetSetting(kApplicationName, WallpaperKeys::kSection, WallpaperKeys::kDate), state.NextChangeDate);
    EXPECT_EQ(store.GetSetting(kApplicationName, DesktopKeys::kSection, DesktopKeys::kBackground),
              QStringLiteral("0 0 0"));
    EXPECT_EQ(sound.Played().size(), 1u);

    // A second start the same day.
    state.AutoRunStart = true;
    schedule.CheckSchedule();
    EXPECT_FALSE(schedule.DelayedChangeTimer().isActive());
    EXPECT_EQ(desktop.AppliedWallpapers().size(), 1u);
}

TEST_F(ScheduleTest, WeeklyWithoutAWeekdayIsDueOnlyOnTheFirstRun)
{
    state.ScheduleKind = QStringLiteral("Week");
    state.ChangeWeekday = 0;
    for (int day = 0; day < 7; ++day) {
        EXPECT_FALSE(schedule.IsDue());
        clock.AdvanceDays(1);
    }
    state.FirstRun = true;
    EXPECT_TRUE(schedule.IsDue());
    state.FirstRun = false;
    state.ChangeWeekday = clock.Today().dayOfWeek();
    EXPECT_TRUE(schedule.IsDue());
}

TEST_F(ScheduleTest, HourlyEveryThreeHoursChangesAtEveryCheck)
{
    AddPictures(3);
    Start();
    schedule.optHourly_Click();
    schedule.cboHours_Click(3);
    schedule.ReadScheduleOptions();
    EXPECT_EQ(state.ScheduleKind, QStringLiteral("Hour"));
    EXPECT_EQ(state.CheckPeriodMinutes, 180);
    EXPECT_TRUE(schedule.Controls().hoursEnabled);
    EXPECT_EQ(schedule.MinuteTimer().interval(), 60000);
    for (int minute = 1; minute < 180; ++minute)
        schedule.tmrWhenToChange_Timer();
    EXPECT_TRUE(desktop.AppliedWallpapers().empty());
    schedule.tmrWhenToChange_Timer();
    EXPECT_EQ(desktop.AppliedWallpapers().size(), 1u);
    EXPECT_TRUE(schedule.MinuteTimer().isActive());
    for (int minute = 0; minute < 180; ++minute)
        schedule.tmrWhenToChange_Timer();
    EXPECT_EQ(desktop.AppliedWallpapers().size(), 2u);
}

TEST_F(ScheduleTest, HourlyTwentyFourWaitsForTheDate)
{
    AddPictures(3);
    Start();
    schedule.cboHours_Click(24);
    schedule.optHourly_Click();
    EXPECT_EQ(state.CheckPeriodMinutes, 1440);
    EXPECT_EQ(state.NextChangeDate, ShortDateText(clock.Today().addDays(1)));
    for (int minute = 0; minute < 1440; ++minute)
        schedule.tmrWhenToChange_Timer();
    EXPECT_TRUE(desktop.AppliedWallpapers().empty()) << "the date is tomorrow";
    clock.AdvanceDays(1);
    for (int minute = 0; minute < 1440; ++minute)
        schedule.tmrWhenToChange_Timer();
    EXPECT_EQ(desktop.AppliedWallpapers().size(), 1u);
    EXPECT_EQ(state.NextChangeDate, ShortDateText(clock.Today().addDays(1)));
}

TEST_F(ScheduleTest, NextMonthIsTheFirstOfTheNextMonth)
{
    const std::pair<QDate, QDate> cases[] = {
        {QDate(2024, 1, 31), QDate(2024, 2, 1)},  {QDate(2024, 2, 15), QDate(2024, 3, 1)},
        {QDate(2100, 2, 10), QDate(2100, 3, 1)},  {QDate(2023, 12, 1), QDate(2024, 1, 1)},
        {QDate(2024, 4, 30), QDate(2024, 5, 1)},
    };
    for (const auto &[today, expected] : cases) {
        clock.SetToday(today);
        EXPECT_EQ(schedule.NextMonthDate(), ShortDateText(expected)) << today.toString().toStdString();
    }
    clock.SetToday(QDate(2024, 1, 31));
    state.ScheduleKind = QStringLiteral("Month");
    schedule.optMonthly_Click();
    EXPECT_EQ(state.NextChangeDate, ShortDateText(QDate(2024, 2, 1)));
    EXPECT_TRUE(schedule.Controls().monthLabelVisible);
    EXPECT_EQ(schedule.Controls().monthLabel, QStringLiteral("02/01/24"));
}

TEST_F(ScheduleTest, FivePicturesEachOncePerPassThenANewShuffle)
{
    AddPictures(5);
    Start();
    state.CurrentOrder = 0;
    QSet<QString> shown;
    for (int change = 1; change <= 5; ++change) {
        ASSERT_TRUE(schedule.NextWallpaper()) << schedule.LastError().toStdString();
        EXPECT_EQ(state.CurrentOrder, change);
        shown.insert(AppliedName());
    }
    EXPECT_EQ(shown.size(), 5);
    const int before = random.Calls();
    ASSERT_TRUE(schedule.NextWallpaper());
    EXPECT_EQ(state.CurrentOrder, 1);
    EXPECT_GT(random.Calls(), before) << "the sixth change reshuffles";
    EXPECT_EQ(AppliedName(), NameOfOrder(1));
    EXPECT_EQ(desktop.AppliedWallpapers().size(), 6u);
    EXPECT_EQ(sound.Played().size(), 6u);
}

TEST_F(ScheduleTest, OnePictureNeedsMoreWallpaper)
{
    AddPictures(1);
    Start();
    ui.ExpectMessage(kNeedMoreWallpaperText, kNeedMoreWallpaperTitle, MessageResult::Ok);
    EXPECT_FALSE(schedule.NextWallpaper());
    EXPECT_TRUE(desktop.AppliedWallpapers().empty());
    EXPECT_TRUE(sound.Played().empty());
}

TEST_F(ScheduleTest, AVanishedPictureIsFoundMissingByTheRescanAndTheChangeGoesOn)
{
    AddPictures(3);
    Start();
    state.CurrentOrder = 0;
    const QString next = NameOfOrder(1);
    ASSERT_TRUE(QFile::remove(folder.filePath(next)));
    ASSERT_TRUE(schedule.NextWallpaper()) << schedule.LastError().toStdString();
    EXPECT_EQ(library.PictureCount(), 2);
    EXPECT_NE(AppliedName(), next);
    EXPECT_EQ(desktop.AppliedWallpapers().size(), 1u);
}

TEST_F(ScheduleTest, APictureThatCannotBeLoadedTwiceEndsWithoutAChange)
{
    AddPictures(2);
    QFile bad(folder.filePath(QStringLiteral("bad.jpg")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("this is not a JPEG");
    bad.close();
    Start();
    int orderOfBad = 0;
    for (const PictureRecord &record : library.Records())
        if (record.FileName == QStringLiteral("bad.jpg"))
            orderOfBad = record.Order;
    state.CurrentOrder = orderOfBad - 1;
    ui.ExpectMessageContaining(QStringLiteral("The picture \"bad.jpg\" could not be loaded"), MessageResult::Ok)
        .WithIcon(MessageIcon::Exclamation);
    EXPECT_FALSE(schedule.NextWallpaper());
    EXPECT_TRUE(desktop.AppliedWallpapers().empty());
    EXPECT_TRUE(schedule.LastError().startsWith(QStringLiteral("cannot load bad.jpg")));
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("Wallpaper Pellimore.bmp"))));
}

TEST_F(ScheduleTest, StartAppliesThePictureShownAndSavesEverything)
{
    AddPictures(2);
    Start();
    const QString path = folder.filePath(library.Records()[1].FileName);
    state.SelectedIndex = 1;
    Load(path);
    view.AnalysePicture();
    ASSERT_TRUE(state.PendingApply);
    struct TrayCounter final : ScheduleListener {
        void ShowTrayIcon() override { ++shown; }
        int shown = 0;
    } tray;
    int &trayShown = tray.shown;
    schedule.SetListener(&tray);
    schedule.StartSchedule();
    ASSERT_EQ(desktop.AppliedWallpapers().size(), 1u);
    EXPECT_EQ(state.CurrentIndex, 2);
    EXPECT_FALSE(state.PendingApply);
    EXPECT_EQ(trayShown, 1);
    EXPECT_EQ(store.GetSetting(kApplicationName, WallpaperKeys::kSection, WallpaperKeys::kCurrent),
              PaddedNumberText(library.Records()[1].Order));
}

}  // namespace
}  // namespace pellimore::test
