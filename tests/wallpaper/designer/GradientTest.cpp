// The linear gradient sweep of modGradients and the gradient routines of the
// graphics module, drawn into real picture surfaces.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/colors/ClassicSystemColors.h"
#include "platform/raster/PictureSurface.h"
#include "tests/support/FixedSystemColors.h"
#include "tests/support/ScriptedUi.h"
#include "wallpaper/designer/GraphicsGradients.h"
#include "wallpaper/designer/modGradients.h"

using namespace pellimore;
using pellimore::test::FixedSystemColors;
using pellimore::test::ScriptedUi;

namespace {

int HalfEven(double value) { return int(std::nearbyint(value)); }

ColorRef ColorAt(const PictureSurface &surface, int x, int y)
{
    return ColorRefFromPixel(surface.Image().At(x, y));
}

// Distance between two colours, channel by channel.
int ColorDistance(ColorRef a, ColorRef b)
{
    return std::abs(RedOf(a) - RedOf(b)) + std::abs(GreenOf(a) - GreenOf(b)) + std::abs(BlueOf(a) - BlueOf(b));
}

class LinearGradientTest : public testing::Test {
protected:
    ScriptedUi ui;
    ClassicSystemColors sysColors;
    modGradients gradients{ui, sysColors};
};

}  // namespace

TEST_F(LinearGradientTest, AngleZeroSweepsColumnsFromTheLeftEdgeAndStopsOnePastTheRight)
{
    gradients.SetAngle(0);
    const std::vector<QPoint> points = gradients.SweepPoints(100, 50);
    ASSERT_EQ(points.size(), 204u);
    EXPECT_EQ(points[0], QPoint(0, 97));
    EXPECT_EQ(points[1], QPoint(0, -47));
    EXPECT_EQ(points[2], QPoint(1, 97));
    // The last line is the first lying wholly beyond x = 100.
    EXPECT_EQ(points[202], QPoint(101, 97));
    EXPECT_EQ(points[203], QPoint(101, -47));

    // 102 lines, so the ramp has 102 colours and each channel steps by 2.5.
    gradients.SetStartColor(Rgb(255, 0, 0));
    gradients.SetEndColor(Rgb(0, 0, 255));
    PictureSurface target(100, 50);
    EXPECT_TRUE(gradients.DrawGradient(target));
    for (int x = 0; x < 100; ++x) {
        const ColorRef expected =
            x == 0 ? Rgb(255, 0, 0) : Rgb(uint8_t(HalfEven(255 - 2.5 * x)), 0, uint8_t(HalfEven(2.5 * x)));
        for (int y : {0, 25, 49})
            ASSERT_EQ(ColorAt(target, x, y), expected) << "x " << x << " y " << y;
    }
    EXPECT_EQ(ColorAt(target, 1, 10), Rgb(252, 0, 2));   // 252.5 and 2.5 go to the even neighbour
    EXPECT_EQ(ColorAt(target, 99, 10), Rgb(8, 0, 248));  // 7.5 and 247.5 go up
}

TEST_F(LinearGradientTest, AngleNinetySweepsRowsUpwardsFromJustBelowTheBottomEdge)
{
    gradients.SetAngle(90);
    const std::vector<QPoint> points = gradients.SweepPoints(100, 50);
    ASSERT_EQ(points.size(), 104u);
    EXPECT_EQ(points[0], QPoint(122, 50));
    EXPECT_EQ(points[1], QPoint(-22, 50));
    EXPECT_EQ(points[102], QPoint(122, -1));
    EXPECT_EQ(points[103], QPoint(-22, -1));

    // 52 lines: row y carries ramp[50 - y], and the steps are 2 and 4.
    gradients.SetStartColor(Rgb(0, 0, 0));
    gradients.SetEndColor(Rgb(104, 208, 0));
    PictureSurface target(100, 50);
    EXPECT_TRUE(gradients.DrawGradient(target));
    for (int y = 0; y < 50; ++y) {
        const int i = 50 - y;
        for (int x : {0, 50, 99})
            ASSERT_EQ(ColorAt(target, x, y), Rgb(uint8_t(2 * i), uint8_t(4 * i), 0)) << "x " << x << " y " << y;
    }
}

TEST_F(LinearGradientTest, SweepLinesCountsTheLoopPastTheLastLine)
{
    gradients.SetAngle(0);
    PictureSurface target(100, 50);
    EXPECT_EQ(gradients.SweepLines(target.Dc(), 100, 50), 204);
}

TEST_F(LinearGradientTest, EveryPixelIsCoveredWhateverTheAngle)
{
    const ColorRef line = Rgb(10, 20, 30);
    gradients.SetStartColor(line);
    gradients.SetEndColor(line);
    for (float angle : {0.0f, 17.0f, 45.0f, 89.5f, 90.0f, 123.0f, 180.0f, 200.0f, 235.0f, 270.0f, 300.0f, 315.0f,
                        359.5f}) {
        for (QSize size : {QSize(100, 50), QSize(37, 91), QSize(2, 2)}) {
            gradients.SetAngle(angle);
            PictureSurface target(size.width(), size.height());
            target.SetBackColor(Rgb(200, 100, 50));
            ASSERT_TRUE(gradients.DrawGradient(target));
            int uncovered = 0;
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width(); ++x)
                    uncovered += ColorAt(target, x, y) != line;
            EXPECT_EQ(uncovered, 0) << "angle " << angle << " size " << size.width() << "x" << size.height();
        }
    }
}

TEST_F(LinearGradientTest, ColourRunsInTheDirectionOfTheAngle)
{
    gradients.SetStartColor(Rgb(0, 0, 0));
    gradients.SetEndColor(Rgb(255, 255, 255));
    struct Case {
        float angle;
        QPoint start;  // a pixel near the start colour
        QPoint end;    // a pixel near the end colour
    };
    for (const Case &c : {Case{180, {99, 25}, {0, 25}}, Case{270, {50, 0}, {50, 49}}, Case{315, {0, 0}, {99, 49}},
                          Case{235, {99, 0}, {0, 49}}}) {
        gradients.SetAngle(c.angle);
        PictureSurface target(100, 50);
        ASSERT_TRUE(gradients.DrawGradient(target));
        EXPECT_LT(ColorDistance(ColorAt(target, c.start.x(), c.start.y()), 0), 3 * 60) << "angle " << c.angle;
        EXPECT_LT(ColorDistance(ColorAt(target, c.end.x(), c.end.y()), 0xFFFFFF), 3 * 60) << "angle " << c.angle;
    }
}

TEST_F(LinearGradientTest, TargetsOfOnePixelOrLessAreLeftAsTheyAre)
{
    for (QSize size : {QSize(1, 50), QSize(50, 1), QSize(0, 0)}) {
        PictureSurface target(size.width(), size.height());
        target.SetBackColor(Rgb(1, 2, 3));
        const Bitmap before = target.Image();
        EXPECT_FALSE(gradients.DrawGradient(target));
        EXPECT_TRUE(target.Image() == before);
    }
}

TEST_F(LinearGradientTest, DrawGradientHasTheViewRepaint)
{
    PictureSurface target(20, 20);
    const uint64_t before = target.Generation();
    gradients.DrawGradient(target);
    EXPECT_GT(target.Generation(), before);
}

TEST_F(LinearGradientTest, AnglesAreKeptInTheRangeOfOneTurn)
{
    const std::vector<std::pair<float, float>> cases = {
        {-90, 270}, {720, 0}, {450, 90}, {359.5f, 359.5f}, {360, 0}, {-360, 0}, {-0.000001f, 0}, {235, 235}};
    for (auto [given, stored] : cases) {
        gradients.SetAngle(given);
        EXPECT_FLOAT_EQ(gradients.GetAngle(), stored) << "SetAngle(" << given << ")";
    }
    gradients.SetAngle(std::nanf(""));
    EXPECT_EQ(gradients.GetAngle(), 0.0f);
    gradients.SetAngle(INFINITY);
    EXPECT_EQ(gradients.GetAngle(), 0.0f);
}

TEST_F(LinearGradientTest, SystemColourReferencesAreResolvedWhenSet)
{
    const FixedSystemColors scheme([](int index) { return index == 5 ? ColorRef(0x123456) : ColorRef(0); });
    modGradients withScheme(ui, scheme);
    withScheme.SetStartColor(0x80000005);
    EXPECT_EQ(withScheme.StartColor(), 0x123456u);
    withScheme.SetEndColor(0x80000005);
    EXPECT_EQ(withScheme.EndColor(), 0x123456u);

    // The classic scheme: index 5 is the window background, white.
    gradients.SetStartColor(0x80000005);
    EXPECT_EQ(gradients.StartColor(), 0xFFFFFFu);
    // Index 25 and above name no system colour; plain colours stay as given.
    gradients.SetStartColor(0x80000019);
    EXPECT_EQ(gradients.StartColor(), 0x80000019u);
    gradients.SetEndColor(0x00ABCDEF);
    EXPECT_EQ(gradients.EndColor(), 0x00ABCDEFu);
}

TEST(ColorRampTest, DividesByTheCountAndKeepsTheEndsExact)
{
    std::vector<ColorRef> ramp;
    EXPECT_EQ(modGradients::BuildColorRamp(0, 0xFFFFFF, 3, ramp), 3);
    EXPECT_EQ(ramp, (std::vector<ColorRef>{0, Rgb(85, 85, 85), 0xFFFFFF}));

    // Steps of 2.5: the halves go to the even neighbour.
    modGradients::BuildColorRamp(Rgb(0, 10, 0), Rgb(10, 0, 0), 4, ramp);
    EXPECT_EQ(ramp, (std::vector<ColorRef>{Rgb(0, 10, 0), Rgb(2, 8, 0), Rgb(5, 5, 0), Rgb(10, 0, 0)}));

    // Fewer than two colours count as two: the ends only.
    EXPECT_EQ(modGradients::BuildColorRamp(Rgb(1, 2, 3), Rgb(4, 5, 6), 0, ramp), 2);
    EXPECT_EQ(ramp, (std::vector<ColorRef>{Rgb(1, 2, 3), Rgb(4, 5, 6)}));
}

TEST(ColorRampTest, HelpersRotateAndDivideSafely)
{
    SinglePoint point{10, 5};
    modGradients::RotatePoint({5, 5}, point, 90);  // a quarter turn anticlockwise on screen
    EXPECT_NEAR(point.x, 5, 1e-5);
    EXPECT_NEAR(point.y, 0, 1e-5);
    EXPECT_EQ(modGradients::SafeDivide(7, 0), 0);
    EXPECT_EQ(modGradients::SafeDivide(7, 2), 3.5);
}

// --- the graphics module -------------------------------------------------

namespace {

class PaintGradientTest : public testing::Test {
protected:
    ScriptedUi ui;
    ClassicSystemColors sysColors;
    modGradients gradients{ui, sysColors};
    GradientChannels channels = GradientChannels::FromColors(Rgb(255, 255, 0), Rgb(0, 0, 128));
};

}  // namespace

TEST_F(PaintGradientTest, WindowAnglesFollowKindAndReverse)
{
    EXPECT_EQ(GradientAngle(0, false), 90);
    EXPECT_EQ(GradientAngle(0, true), 270);
    EXPECT_EQ(GradientAngle(1, false), 0);
    EXPECT_EQ(GradientAngle(1, true), 180);
    EXPECT_EQ(GradientAngle(2, false), 0);
    EXPECT_EQ(GradientAngle(2, true), 0);
    EXPECT_EQ(GradientAngle(3, false), 315);
    EXPECT_EQ(GradientAngle(3, true), 235);
}

TEST_F(PaintGradientTest, SphereLeavesTheEdgeColourOutsideTheCircle)
{
    PictureSurface target(200, 100);
    target.SetBackColor(Rgb(9, 9, 9));
    PaintGradient(target, gradients, channels, 2, false);
    // Radius nearest(50 + 16.67) = 67 about (100, 50).
    EXPECT_EQ(target.BackColor(), Rgb(0, 0, 128));
    for (QPoint outside : {QPoint(0, 0), QPoint(199, 99), QPoint(170, 50), QPoint(30, 50), QPoint(100 - 68, 50)})
        EXPECT_EQ(ColorAt(target, outside.x(), outside.y()), Rgb(0, 0, 128)) << outside.x() << "," << outside.y();
    EXPECT_EQ(ColorAt(target, 100, 50), Rgb(255, 255, 0));
    EXPECT_EQ(PixelAlpha(target.Image().At(100, 50)), 255);
    EXPECT_EQ(PixelAlpha(target.Image().At(120, 60)), 255);
    // Half way out the colour is half way too.
    const ColorRef half = ColorAt(target, 100 + 33, 50);
    EXPECT_NEAR(RedOf(half), 128, 6);
    EXPECT_NEAR(BlueOf(half), 64, 6);
}

TEST_F(PaintGradientTest, ReverseSwapsTheSphereColours)
{
    PictureSurface target(200, 100);
    PaintBackgroundGradient(target, gradients, channels, 2, true, false);
    EXPECT_EQ(ColorAt(target, 100, 50), Rgb(0, 0, 128));
    EXPECT_EQ(ColorAt(target, 0, 0), Rgb(255, 255, 0));
}

TEST_F(PaintGradientTest, LinearKindsUseTheModuleColoursNotTheChannels)
{
    gradients.SetStartColor(Rgb(10, 10, 10));
    gradients.SetEndColor(Rgb(10, 10, 10));
    gradients.SetAngle(GradientAngle(1, false));
    PictureSurface target(40, 30);
    PaintBackgroundGradient(target, gradients, channels, 1, true, false);
    EXPECT_EQ(ColorAt(target, 0, 0), Rgb(10, 10, 10));
    EXPECT_EQ(ColorAt(target, 39, 29), Rgb(10, 10, 10));
}

TEST_F(PaintGradientTest, DiagonalToCentreRunsFromTheAntiDiagonalOutwards)
{
    PictureSurface target(120, 80);
    target.SetBackColor(0);  // over black the exclusive-or pen shows its own colours
    PaintGradient(target, gradients, channels, 3, true);
    EXPECT_EQ(ColorAt(target, 0, 79), Rgb(255, 255, 0));
    // The far end of the diagonal is shared with the first lines beside it.
    EXPECT_LE(ColorDistance(ColorAt(target, 119, 0), Rgb(255, 255, 0)), 6);
    // The corners off the diagonal have moved towards the end colour.
    for (QPoint corner : {QPoint(0, 0), QPoint(119, 79)}) {
        const ColorRef c = ColorAt(target, corner.x(), corner.y());
        EXPECT_LT(RedOf(c), 200) << corner.x() << "," << corner.y();
        EXPECT_GT(BlueOf(c), 20) << corner.x() << "," << corner.y();
    }
    EXPECT_EQ(target.DrawMode(), 13);
}

TEST_F(PaintGradientTest, ReverseSwapsTheDiagonalToCentreColours)
{
    PictureSurface target(120, 80);
    target.SetBackColor(0);
    PaintBackgroundGradient(target, gradients, channels, 3, true, true);
    EXPECT_EQ(ColorAt(target, 0, 79), Rgb(0, 0, 128));
}

TEST_F(PaintGradientTest, LaterGradientsAreNotXoredAfterADiagonalToCentre)
{
    gradients.SetStartColor(Rgb(255, 0, 0));
    gradients.SetEndColor(Rgb(0, 255, 0));
    gradients.SetAngle(90);
    PictureSurface fresh(60, 40);
    PaintGradient(fresh, gradients, channels, 0, false);

    PictureSurface reused(60, 40);
    PaintGradient(reused, gradients, channels, 3, true);
    PaintGradient(reused, gradients, channels, 0, false);
    EXPECT_TRUE(reused.Image() == fresh.Image());
}

TEST_F(PaintGradientTest, AnUnknownKindOnlyClears)
{
    PictureSurface target(30, 20);
    target.SetBackColor(Rgb(7, 8, 9));
    target.Line(0, 0, 29, 19, Rgb(255, 255, 255));
    PaintGradient(target, gradients, channels, 4, false);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(ColorAt(target, x, y), Rgb(7, 8, 9));
}

TEST(GradientConversionTest, BytesBecomeSixteenBitChannels)
{
    EXPECT_EQ(ByteToColor16(0), 0);
    EXPECT_EQ(ByteToColor16(1), 256);
    EXPECT_EQ(ByteToColor16(127), 32512);
    EXPECT_EQ(ByteToColor16(128), -32768);
    EXPECT_EQ(uint16_t(ByteToColor16(255)), 0xFF00);
    EXPECT_NEAR(SinDegrees(90), 1, 1e-12);
    EXPECT_NEAR(SinDegrees(30), 0.5, 1e-12);
    EXPECT_NEAR(CosDegrees(180), -1, 1e-12);
}
