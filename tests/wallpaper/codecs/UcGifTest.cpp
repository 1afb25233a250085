// The ucGIF widget over its player: size, border, painting and events.
#include <gtest/gtest.h>

#include <QImage>
#include <QSignalSpy>

#include "tests/wallpaper/codecs/GifTestFiles.h"
#include "wallpaper/codecs/widgets/ucGIF.h"

namespace pellimore {
namespace {

using test::GifBuilder;

const std::vector<ColorRef> kFour = {Rgb(0, 0, 0), Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(255, 255, 255)};

QString Animation(const QString &name, int loops)
{
    return GifBuilder(20, 10).GlobalTable(kFour, 3).Netscape(loops)
        .Control(1, 0).SolidImage(0, 0, 20, 10, 1)
        .Control(1, 0).SolidImage(0, 0, 20, 10, 2)
        .Trailer().Write(name);
}

TEST(UcGif, TheWidgetTakesTheGifsSizeAndShowsItInsideItsBorder)
{
    ucGIF control;
    ASSERT_TRUE(control.LoadGIF(Animation("widget.gif", 0)));
    EXPECT_EQ(control.size(), QSize(20, 10));
    control.SetBorderStyle(1);
    EXPECT_EQ(control.size(), QSize(22, 12));
    EXPECT_EQ(control.BorderWidth(), 2);
    EXPECT_EQ(control.hwnd(), &control);

    const QImage shown = control.grab().toImage();
    ASSERT_EQ(shown.size(), QSize(22, 12));
    EXPECT_EQ(QColor(shown.pixel(5, 5)), QColor(255, 0, 0));
    EXPECT_NE(QColor(shown.pixel(0, 0)), QColor(255, 0, 0));  // the border
}

TEST(UcGif, AHostResizeReachesThePlayer)
{
    ucGIF control;
    ASSERT_TRUE(control.LoadGIF(Animation("resize.gif", 0)));
    control.SetAutoSize(false);
    control.SetStretch(1);
    control.Move(0, 0, 40, 40);
    EXPECT_EQ(control.size(), QSize(40, 40));
    EXPECT_DOUBLE_EQ(control.Player().ScaleFactorX(), 2.0);
    control.show();
    control.resize(60, 30);
    EXPECT_DOUBLE_EQ(control.Player().ScaleFactorY(), 3.0);
    EXPECT_EQ(control.Player().ControlSize(), QSize(60, 30));
}

TEST(UcGif, EventsArriveFromTheRunningTimer)
{
    ucGIF control;
    ASSERT_TRUE(control.LoadGIF(Animation("events.gif", 1)));
    control.SetgifMinFrameDelay(5);
    QSignalSpy progress(&control, &ucGIF::AnimationProgress);
    QSignalSpy expired(&control, &ucGIF::AnimationLoopExpired);
    control.SetAnimate(true);
    EXPECT_TRUE(control.Animate());
    ASSERT_TRUE(expired.wait(5000));
    EXPECT_EQ(progress.count(), 2);
    EXPECT_FALSE(control.Animate());
}

}  // namespace
}  // namespace pellimore
