// The animated GIF control's working part: loading, the timer and its events,
// loops, delays, sizes and scale factors, pausing, and frame editing.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QStringList>

#include "tests/wallpaper/codecs/GifTestFiles.h"
#include "wallpaper/codecs/GifPlayer.h"

namespace pellimore {
namespace {

using test::GifBuilder;

const std::vector<ColorRef> kFour = {Rgb(0, 0, 0), Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(255, 255, 255)};

// Three 4 x 4 frames with the given loop count (-1: no NETSCAPE block).
QString ThreeFrames(const QString &name, int loops, std::vector<int> delaysCs = {0, 7, 3})
{
    GifBuilder gif(4, 4);
    gif.GlobalTable(kFour, 3);
    if (loops >= 0)
        gif.Netscape(loops);
    for (int i = 0; i < 3; ++i)
        gif.Control(1, delaysCs[std::size_t(i)]).SolidImage(0, 0, 4, 4, uint8_t(i));
    return gif.Trailer().Write(name);
}

// Records the events in the order they come.
struct EventLog {
    explicit EventLog(GifPlayer &player)
    {
        QObject::connect(&player, &GifPlayer::AnimationProgress, [this](int frame) { log << QString("progress %1").arg(frame); });
        QObject::connect(&player, &GifPlayer::AnimationLoopComplete, [this](int left) { log << QString("loop %1").arg(left); });
        QObject::connect(&player, &GifPlayer::AnimationLoopExpired, [this] { log << "expired"; });
    }
    QStringList log;
};

TEST(GifPlayer, LoadingSetsTheReadOnlyPropertiesAndShowsFrameOne)
{
    GifPlayer player;
    QSignalSpy named(&player, &GifPlayer::gifFileNameChanged);
    const QString path = ThreeFrames("three.gif", 2, {5, 10, 20});
    ASSERT_TRUE(player.LoadGIF(path));
    EXPECT_EQ(named.count(), 1);
    EXPECT_EQ(player.gifFileName(), path);
    EXPECT_EQ(player.gifFrameCount(), 3);
    EXPECT_EQ(player.gifMaxLoops(), 2);
    EXPECT_EQ(player.gifVersion(), "gif89a");
    EXPECT_EQ(player.gifAnimationTime(), 350);
    EXPECT_EQ(player.gifLogicalWindowCx(), 4);
    EXPECT_EQ(player.gifWindowBkgColor(), Rgb(255, 255, 255));
    EXPECT_EQ(player.gifTransparencyState(), GifPlayer::kNoneTransparent);
    EXPECT_EQ(player.ControlSize(), QSize(4, 4));  // AutoSize
    EXPECT_EQ(player.Canvas().At(2, 2), MakePixel(0, 0, 0));  // frame 1
    EXPECT_FALSE(player.Animate());
}

TEST(GifPlayer, AFailedLoadLeavesTheControlAsItWas)
{
    GifPlayer player;
    const QString path = ThreeFrames("kept.gif", 2);
    ASSERT_TRUE(player.LoadGIF(path));
    player.SetgifMaxLoops(7);
    player.SetAnimate(true);
    EXPECT_FALSE(player.LoadGIF(test::WriteGifFile("broken.gif", QByteArray("GIF89a") + QByteArray(30, '\x2C'))));
    EXPECT_FALSE(player.LastLoadError().isEmpty());
    EXPECT_EQ(player.gifFileName(), path);
    EXPECT_EQ(player.gifMaxLoops(), 7);
    EXPECT_TRUE(player.Animate());
}

TEST(GifPlayer, ASingleFrameGifNeverAnimates)
{
    GifPlayer player;
    ASSERT_TRUE(player.LoadGIF(GifBuilder(2, 2).GlobalTable(kFour).SolidImage(0, 0, 2, 2, 1).Trailer().Write("one.gif")));
    EXPECT_EQ(player.gifMaxLoops(), -1);
    player.SetAnimate(true);
    EXPECT_FALSE(player.Animate());
    EXPECT_FALSE(player.tmrGIF().isActive());
}

TEST(GifPlayer, LoopCountTwoPlaysTwiceAndRaisesTheEventsInOrder)
{
    GifPlayer player;
    ASSERT_TRUE(player.LoadGIF(ThreeFrames("twice.gif", 2)));
    EventLog events(player);
    player.SetAnimate(true);
    ASSERT_TRUE(player.Animate());
    EXPECT_EQ(player.tmrGIF().interval(), 1);
    EXPECT_EQ(player.LoopsRemaining(), 2);
    for (int tick = 0; tick < 7 && player.Animate(); ++tick)
        player.tmrGIF_Timer();
    EXPECT_EQ(events.log, QStringList({"progress 1", "progress 2", "progress 3", "loop 1", "progress 1", "progress 2",
                                       "progress 3", "expired"}));
    EXPECT_FALSE(player.Animate());
    EXPECT_FALSE(player.tmrGIF().isActive());
    EXPECT_EQ(player.CurrentFrame(), 0);
}

TEST(GifPlayer, EndlessLoopsNeverExpire)
{
    GifPlayer player;
    ASSERT_TRUE(player.LoadGIF(ThreeFrames("endless.gif", 0)));
    EventLog events(player);
    player.SetAnimate(true);
    for (int tick = 0; tick < 30; ++tick)
        player.tmrGIF_Timer();
    EXPECT_TRUE(player.Animate());
    EXPECT_EQ(events.log.count("expired"), 0);
    EXPECT_EQ(events.log.filter("loop").size(), 0);  // no loop events while endless
    EXPECT_EQ(player.CurrentFrame(), 3);

    // gifMaxLoops of 1 plays once; below 1 counts as endless.
    player.SetgifMaxLoops(1);
    player.SetAnimate(true);
    for (int tick = 0; tick < 4; ++tick)
        player.tmrGIF_Timer();
    EXPECT_FALSE(player.Animate());
}

TEST(GifPlayer, DelaysBelowTheMinimumPlayAtTheMinimum)
{
    GifPlayer player;
    ASSERT_TRUE(player.LoadGIF(ThreeFrames("delays.gif", 0, {0, 7, 3})));
    player.SetAnimate(true);
    player.tmrGIF_Timer();
    EXPECT_EQ(player.tmrGIF().interval(), 50);  // delay 0
    player.tmrGIF_Timer();
    EXPECT_EQ(player.tmrGIF().interval(), 70);  // delay 7
    player.tmrGIF_Timer();
    EXPECT_EQ(player.tmrGIF().interval(), 50);  // delay 3 (30 ms)

    player.SetgifMinFrameDelay(3);  // ignored
    EXPECT_EQ(player.gifMinFrameDelay(), 50);
    player.SetgifMinFrameDelay(20);
    player.tmrGIF_Timer();  // wraps to frame 1, delay 0
    EXPECT_EQ(player.tmrGIF().interval(), 20);
}

TEST(GifPlayer, PausingHalvesTheIntervalAndResumingRestartsTheTimer)
{
    GifPlayer player;
    ASSERT_TRUE(player.LoadGIF(ThreeFrames("pause.gif", 0, {10, 10, 10})));
    player.PauseAnimation(false);  // not animating: nothing
    EXPECT_FALSE(player.tmrGIF().isActive());
    player.SetAnimate(true);
    player.tmrGIF_Timer();
    ASSERT_EQ(player.tmrGIF().interval(), 100);
    player.PauseAnimation(false);
    EXPECT_FALSE(player.tmrGIF().isActive());
    EXPECT_EQ(player.tmrGIF().interval(), 51);
    EXPECT_TRUE(player.Animate());
    player.PauseAnimation(true);
    EXPECT_TRUE(player.tmrGIF().isActive());
}

TEST(GifPlayer, TheRealTimerPlaysTheLoopsThrough)
{
    GifPlayer player;
    ASSERT_TRUE(player.LoadGIF(ThreeFrames("timer.gif", 2, {0, 0, 0})));
    player.SetgifMinFrameDelay(5);
    EventLog events(player);
    QSignalSpy expired(&player, &GifPlayer::AnimationLoopExpired);
    player.SetAnimate(true);
    ASSERT_TRUE(expired.wait(5000));
    EXPECT_EQ(events.log.size(), 8);
    EXPECT_EQ(events.log.first(), "progress 1");
    EXPECT_EQ(events.log.last(), "expired");
}

TEST(GifPlayer, UnloadingOrLoadingAnotherGifStopsTheAnimation)
{
    GifPlayer player;
    ASSERT_TRUE(player.LoadGIF(ThreeFrames("a.gif", 0)));
    player.SetAnimate(true);
    ASSERT_TRUE(player.LoadGIF(ThreeFrames("b.gif", 0)));
    EXPECT_FALSE(player.Animate());
    player.SetAnimate(true);
    player.UnloadGIF(false);
    EXPECT_FALSE(player.Animate());
    EXPECT_FALSE(player.IsLoaded());
    EXPECT_EQ(player.gifFrameCount(), 0);
    EXPECT_TRUE(player.gifFileName().isEmpty());
    player.tmrGIF_Timer();  // a stray tick after unloading does nothing
    player.ShowFrame(1);
}

TEST(GifPlayer, AHostThatUnloadsInTheLoopEventEndsTheTick)
{
    GifPlayer player;
    ASSERT_TRUE(player.LoadGIF(ThreeFrames("host.gif", 3)));
    QObject::connect(&player, &GifPlayer::AnimationLoopComplete, [&player](int) { player.UnloadGIF(true); });
    player.SetAnimate(true);
    for (int tick = 0; tick < 5; ++tick)
        player.tmrGIF_Timer();
    EXPECT_FALSE(player.IsLoaded());
    EXPECT_FALSE(player.Animate());
}

TEST(GifPlayer, AHostThatUnloadsWhileAFrameIsShownEndsTheTick)
{
    GifPlayer player;
    ASSERT_TRUE(player.LoadGIF(ThreeFrames("repaint.gif", 0)));
    player.SetAnimate(true);
    EventLog events(player);
    QObject::connect(&player, &GifPlayer::Repaint, [&player](QRect) { player.UnloadGIF(true); });
    player.tmrGIF_Timer();
    EXPECT_FALSE(player.IsLoaded());
    EXPECT_TRUE(events.log.isEmpty());
}

TEST(GifPlayer, PropertyWritesOutOfRangeAreIgnored)
{
    GifPlayer player;
    player.SetgifMaxLoops(-2);
    EXPECT_EQ(player.gifMaxLoops(), -1);
    player.SetgifMaxLoops(4);
    EXPECT_EQ(player.gifMaxLoops(), 4);
    player.SetStretch(3);
    EXPECT_EQ(player.Stretch(), 0);
    player.SetStretch(2);
    EXPECT_EQ(player.Stretch(), 2);
    player.SetStretchMethod(2);
    EXPECT_EQ(player.StretchMethod(), 0);
    player.SetBorderStyle(4);
    player.SetBorderStyle(-1);
    EXPECT_EQ(player.BorderStyle(), 0);
    EXPECT_EQ(player.BackColor(), GifPlayer::kButtonFace);
    EXPECT_TRUE(player.AutoSize());
}

TEST(GifPlayer, AutoSizeFollowsTheLogicalWindowAndTheBorder)
{
    GifPlayer player;
    QSignalSpy sized(&player, &GifPlayer::SizeChanged);
    ASSERT_TRUE(player.LoadGIF(GifBuilder(30, 20).GlobalTable(kFour).SolidImage(0, 0, 30, 20, 1).Trailer().Write("auto.gif")));
    EXPECT_EQ(player.ControlSize(), QSize(30, 20));
    player.SetBorderStyle(3);
    EXPECT_EQ(player.BorderWidth(), 4);
    EXPECT_EQ(player.ControlSize(), QSize(34, 24));
    EXPECT_EQ(player.ClientSize(), QSize(30, 20));
    player.SetControlSize(QSize(100, 100));  // the control snaps back
    EXPECT_EQ(player.ControlSize(), QSize(34, 24));
    EXPECT_EQ(sized.last().at(0).toSize(), QSize(34, 24));
    EXPECT_DOUBLE_EQ(player.ScaleFactorX(), 1.0);
}

TEST(GifPlayer, StretchOneUsesTheSmallerFactorForBothAxes)
{
    GifPlayer player;
    ASSERT_TRUE(player.LoadGIF(GifBuilder(10, 10).GlobalTable(kFour).SolidImage(0, 0, 10, 10, 1).Trailer().Write("square.gif")));
    player.SetAutoSize(false);
    player.SetControlSize(QSize(200, 100));
    EXPECT_DOUBLE_EQ(player.ScaleFactorX(), 1.0);  // Stretch 0: no scaling
    player.SetStretch(1);
    EXPECT_DOUBLE_EQ(player.ScaleFactorX(), 10.0);
    EXPECT_DOUBLE_EQ(player.ScaleFactorY(), 10.0);
    player.SetStretch(2);
    EXPECT_DOUBLE_EQ(player.ScaleFactorX(), 20.0);
    EXPECT_DOUBLE_EQ(player.ScaleFactorY(), 10.0);
    player.SetAutoSize(true);
    EXPECT_DOUBLE_EQ(player.ScaleFactorX(), 1.0);
    EXPECT_EQ(player.ControlSize(), QSize(10, 10));
}

TEST(GifPlayer, ScaleLogWinToSizeKeepsTheAspectRatio)
{
    GifPlayer player;
    int width = 100, height = 100, border = -1;
    bool canShrink = false;
    EXPECT_FALSE(player.ScaleLogWinToSize(width, height, canShrink, border));  // nothing loaded
    EXPECT_EQ(width, 100);

    ASSERT_TRUE(player.LoadGIF(GifBuilder(40, 20).GlobalTable(kFour).SolidImage(0, 0, 40, 20, 1).Trailer().Write("wide.gif")));
    player.SetBorderStyle(1);
    ASSERT_TRUE(player.ScaleLogWinToSize(width, height, canShrink, border));
    EXPECT_EQ(width, 100);
    EXPECT_EQ(height, 50);
    EXPECT_TRUE(canShrink);
    EXPECT_EQ(border, 2);

    width = 30;
    height = 30;
    ASSERT_TRUE(player.ScaleLogWinToSize(width, height, canShrink, border));
    EXPECT_EQ(width, 30);
    EXPECT_EQ(height, 15);
    EXPECT_FALSE(canShrink);
}

TEST(GifPlayer, ShowFrameDrawsOneFrameOnlyWhenNotAnimating)
{
    GifPlayer player;
    ASSERT_TRUE(player.LoadGIF(ThreeFrames("show.gif", 0)));
    player.ShowFrame(3);
    EXPECT_EQ(player.Canvas().At(0, 0), MakePixel(0, 255, 0));
    player.ShowFrame(4);  // outside 1..3: nothing
    EXPECT_EQ(player.Canvas().At(0, 0), MakePixel(0, 255, 0));
    player.SetAnimate(true);
    player.tmrGIF_Timer();
    player.ShowFrame(2);
    EXPECT_EQ(player.Canvas().At(0, 0), MakePixel(0, 0, 0));  // still the animation's frame 1
}

TEST(GifPlayer, FramesCanBeRemovedMovedAndCropped)
{
    GifPlayer player;
    const QString path = GifBuilder(4, 4).GlobalTable(kFour)
                             .Control(0, 1).SolidImage(0, 0, 4, 4, 0)
                             .Control(0, 2).SolidImage(0, 0, 6, 3, 1)  // wider than the screen
                             .Control(3, 3).SolidImage(2, 2, 2, 2, 2)
                             .Trailer().Write("edit.gif");
    ASSERT_TRUE(player.LoadGIF(path));
    ASSERT_EQ(player.gifLogicalWindowCx(), 6);

    bool resized = true;
    EXPECT_FALSE(player.RemoveFrame(0, resized));
    EXPECT_FALSE(player.RemoveFrame(4, resized));
    EXPECT_TRUE(player.MoveFrame(3, 1));
    EXPECT_EQ(player.Frame(1)->frameDelay(), 30);
    EXPECT_EQ(player.Frame(2)->frameDelay(), 10);
    EXPECT_FALSE(player.MoveFrame(1, 4));

    player.SetAnimate(true);
    ASSERT_TRUE(player.RemoveFrame(3, resized));  // the wide frame
    EXPECT_TRUE(resized);
    EXPECT_FALSE(player.Animate());
    EXPECT_EQ(player.gifLogicalWindowCx(), 4);
    EXPECT_EQ(player.ControlSize(), QSize(4, 4));
    ASSERT_TRUE(player.RemoveFrame(2, resized));
    EXPECT_FALSE(resized);
    EXPECT_FALSE(player.RemoveFrame(1, resized));  // the last frame stays

    EXPECT_FALSE(player.CropGIF(10, 10, 2, 2));  // outside the logical window
    EXPECT_FALSE(player.CropGIF(0, 0, 0, 2));
    ASSERT_TRUE(player.CropGIF(1, 1, 3, 3));
    EXPECT_EQ(player.gifLogicalWindowCx(), 3);
    EXPECT_EQ(player.Frame(1)->FrameLeft(), 1);
    EXPECT_EQ(player.Frame(1)->ResetFrameAttributes(-clsGIFframe::kLeft), 2);
    EXPECT_EQ(player.Canvas().At(1, 1), MakePixel(0, 255, 0));
    EXPECT_EQ(player.Canvas().At(0, 0), MakePixel(0, 0, 0));  // the GIF's background colour (index 0)
}

TEST(GifPlayer, CroppingDropsFramesOutsideTheNewWindow)
{
    GifPlayer player;
    ASSERT_TRUE(player.LoadGIF(GifBuilder(8, 8).GlobalTable(kFour).SolidImage(0, 0, 2, 2, 1).SolidImage(6, 6, 2, 2, 2)
                                   .Trailer().Write("crop.gif")));
    ASSERT_TRUE(player.CropGIF(4, 4, 4, 4));
    ASSERT_EQ(player.gifFrameCount(), 1);
    EXPECT_EQ(player.Frame(1)->FrameLeft(), 2);
    EXPECT_EQ(player.Canvas().At(3, 3), MakePixel(0, 255, 0));
}

}  // namespace
}  // namespace pellimore
