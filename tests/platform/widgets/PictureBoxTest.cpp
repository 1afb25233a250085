// The widget that shows a picture surface.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "platform/raster/PictureSurface.h"
#include "platform/widgets/PictureBox.h"

using namespace pellimore;

namespace {

constexpr ColorRef kBlue = 0xFF0000;  // COLORREF: blue in the third byte
constexpr ColorRef kYellow = 0x00FFFF;

TEST(PictureBox, ShowsTheSurfaceAfterRefresh)
{
    PictureSurface s(16, 8);
    s.SetBackColor(kBlue);
    s.Move(3, 4);
    PictureBox box(s);
    EXPECT_EQ(box.geometry(), QRect(3, 4, 16, 8));
    s.Line(0, 0, 16, 0, kYellow);
    s.Resize(20, 8);
    box.Refresh();
    EXPECT_EQ(box.size(), QSize(20, 8));
    const QImage shown = box.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixel(0, 0), qRgb(255, 255, 0));
    EXPECT_EQ(shown.pixel(5, 5), qRgb(0, 0, 255));
}

TEST(PictureBox, FollowsTheSurfacesVisibilityAndShowsA24BitSurfaceOpaque)
{
    QWidget window;
    PictureSurface s(4, 4);
    s.SetBackColor(kYellow);
    // Alpha bytes of 0 in a surface that stands for 24 bits are not transparency.
    s.Image().Fill(MakePixel(0, 0, 255, 0));
    PictureBox box(s, &window);
    EXPECT_TRUE(box.isVisibleTo(&window));
    const QImage shown = box.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixel(1, 1), qRgb(0, 0, 255));

    s.SetVisible(false);
    box.Refresh();
    EXPECT_FALSE(box.isVisibleTo(&window));
}

}  // namespace
