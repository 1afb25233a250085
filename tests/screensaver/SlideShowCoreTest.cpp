// The show cycle through its public routines, with a recording window.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "screensaver/Transitions.h"
#include "tests/screensaver/SaverFixture.h"

using namespace pellimore;
using namespace pellimore::test;

namespace {

const QRgb kColors[] = {qRgb(10, 0, 0), qRgb(20, 0, 0), qRgb(30, 0, 0), qRgb(40, 0, 0), qRgb(50, 0, 0)};
constexpr QRgb kStart = qRgb(0, 0, 99);

QString Shown(QRgb color, int w = 40, int h = 30)
{
    return QStringLiteral("show %1x%2 %3").arg(w).arg(h).arg(color & 0xFFFFFF, 6, 16, QLatin1Char('0'));
}

class ShowCycle : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        s.saver.runMode = RunMode::Show;
        s.saver.settings.folder = folder.path();
        s.saver.settings.display = 1;
    }
    void AddPictures(int count)
    {
        for (int i = 0; i < count; ++i)
            WritePicture(folder.path(), QStringLiteral("p%1.bmp").arg(i + 1), 40, 30, kColors[i]);
    }
    // Runs the show until `shows` pictures have been put on screen.
    void RunUntilShown(int shows)
    {
        s.pump.onTurn = [&, shows] {
            if (view.log.filter(QStringLiteral("show ")).size() >= shows)
                s.saver.StopRequested = true;
        };
        core.RunScreenSaver();
    }

    QTemporaryDir folder;
    SaverServices s;
    RecordingView view;
    SlideShowCore core{s.saver, view, SolidBitmap(40, 30, kStart), LoadForTest};
};

}  // namespace

TEST_F(ShowCycle, ResumesAfterTheStoredIndexAndRoundsThroughTheStartPicture)
{
    AddPictures(5);
    s.saver.pictureIndex = 3;
    RunUntilShown(5);
    EXPECT_EQ(view.log, QStringList({"logo on", Shown(kStart), "logo off", Shown(kColors[3]), Shown(kColors[4]),
                                     "logo on", Shown(kStart), "logo off", Shown(kColors[0])}));
    EXPECT_EQ(s.saver.pictureIndex, 1);
    EXPECT_FALSE(view.labelVisible);  // gone after the first interval
    EXPECT_EQ(view.caption, "\n\n  " + s.saver.settings.title);
    EXPECT_EQ(view.backgrounds, 1);
}

TEST_F(ShowCycle, PicturesAreCentredInTheWindow)
{
    AddPictures(1);
    view.windowTwips = QSize(15000, 9000);
    s.saver.pictureIndex = 0;
    RunUntilShown(2);
    EXPECT_EQ(view.picturePosition, QPoint(7500 - 40 * 15 / 2, 4500 - 30 * 15 / 2));
}

TEST_F(ShowCycle, StoredIndexPastTheEndStartsTheRoundAgain)
{
    AddPictures(2);
    s.saver.pictureIndex = 9;
    RunUntilShown(2);
    EXPECT_EQ(view.log.last(), Shown(kColors[0]));
}

TEST_F(ShowCycle, BrokenFileIsPassedOver)
{
    AddPictures(3);
    QFile broken(folder.path() + "/p2.bmp");
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("BM not a picture");
    broken.close();
    s.saver.pictureIndex = 0;
    RunUntilShown(3);
    EXPECT_EQ(view.log.filter("show "), QStringList({Shown(kStart), Shown(kColors[0]), Shown(kColors[2])}));
    EXPECT_EQ(core.SkippedFiles(), QStringList({folder.path() + "/p2.bmp"}));
}

TEST_F(ShowCycle, EmptyFolderWarnsAndKeepsTheStartPicture)
{
    s.ui.ExpectMessage(MessageResult::Ok).WithIcon(MessageIcon::Critical);
    s.pump.onTurn = [&] {
        if (s.pump.sleptMs >= 5000)
            s.saver.StopRequested = true;
    };
    core.RunScreenSaver();
    EXPECT_EQ(s.ui.LastMessage().title, "No Pictures to display");
    EXPECT_EQ(view.log.filter("show "), QStringList({Shown(kStart)}));
}

TEST_F(ShowCycle, IntervalOfZeroWaitsTwoSeconds)
{
    AddPictures(1);
    s.saver.settings.display = 0;
    s.saver.settings.slide = true;
    s.saver.pictureIndex = 0;
    RunUntilShown(2);
    EXPECT_EQ(s.saver.settings.display, 2);
    // One second at the start, then one interval before the first picture
    // (the last turn is the one that saw the stop).
    EXPECT_EQ(s.pump.sleptMs - s.pump.lastMs, 1000 + 2000);
}

TEST_F(ShowCycle, SlideShowOnlyPaintsNoBlocks)
{
    AddPictures(2);
    s.saver.settings.slide = true;
    s.saver.pictureIndex = 0;
    RunUntilShown(3);
    EXPECT_TRUE(view.blocks.empty());
    EXPECT_EQ(view.log.filter("show ").size(), 3);
}

TEST(ShowEffects, FrameEffectsAreAlwaysFollowedByASecondTransition)
{
    QTemporaryDir folder;
    WritePicture(folder.path(), "p1.bmp", 40, 30);
    for (int effect = 1; effect <= kEffectCount; ++effect) {
        SCOPED_TRACE(effect);
        SaverServices s;
        RecordingView view;
        SlideShowCore core(s.saver, view, SolidBitmap(40, 30, kStart), LoadForTest);
        s.saver.runMode = RunMode::Show;
        s.saver.settings.folder = folder.path();
        s.saver.settings.display = 1;
        s.saver.pictureIndex = 0;
        // The effect, then (for 13 to 19) effect 3: one block on this picture.
        s.random.Queue({(effect - 0.5f) / 19, 2.5f / 10});
        int effectAtEnd = 0;
        view.onShow = [&] {
            if (view.log.filter(QStringLiteral("show ")).size() >= 2) {
                effectAtEnd = core.effectNumber;
                s.saver.StopRequested = true;
            }
        };
        core.RunScreenSaver();
        // 40 x 30 pixels on both sides, size class 512.
        size_t first = 0;
        for (const TransitionStep &step : PlanTransition(effect, {600, 450, 600, 450}, 512, false, 0.05f).steps)
            first += step.blocks.size();
        const bool second = effect >= 13;
        EXPECT_EQ(view.blocks.size(), first + (second ? 1 : 0));
        EXPECT_EQ(effectAtEnd, second ? 3 : effect);
        EXPECT_EQ(s.random.Remaining(), second ? 0u : 1u);
    }
}
