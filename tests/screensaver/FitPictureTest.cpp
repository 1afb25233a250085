#include <gtest/gtest.h>

#include "platform/raster/Raster.h"
#include "screensaver/FitPicture.h"

using namespace pellimore;

namespace {
const QSize kScreen(1024, 768);
}

TEST(FitPicture, SizeClassesOfPicturesThatFit)
{
    struct Case {
        QSize area, shown;
        int sizeClass;
    };
    const Case cases[] = {
        {{1024, 768}, {1024, 768}, 0},    // exactly the screen: not scaled, class 0
        {{700, 500}, {1024, 768}, 0},     // large, but under neither bound
        {{640, 700}, {1024, 768}, 512},   // width <= screen / 1.6
        {{1000, 384}, {1024, 768}, 512},  // height <= screen / 2
        {{256, 700}, {1024, 768}, 256},   // width <= screen / 4
        {{1000, 192}, {1024, 768}, 256},  // height <= screen / 4
        {{256, 192}, {1024, 768}, 256},
        // A small picture on screen makes the block 512 again, whatever the new one is.
        {{256, 192}, {640, 768}, 512},
        {{1000, 700}, {1000, 384}, 512},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.area.width() << "x" << c.area.height());
        const FitPlan plan = PlanFit(c.area, kScreen, c.shown);
        EXPECT_FALSE(plan.oversize);
        EXPECT_EQ(plan.sizeClass, c.sizeClass);
    }
}

TEST(FitPicture, ExactScreenSizeIsKeptAndOnePixelMoreIsScaled)
{
    Bitmap exact(1024, 768, 24);
    exact.Fill(MakePixel(9, 8, 7));
    FitPlan plan;
    const Bitmap kept = FitPicture(exact, kScreen, kScreen, 0, &plan);
    EXPECT_FALSE(plan.oversize);
    EXPECT_EQ(plan.sizeClass, 0);
    EXPECT_EQ(kept, exact);

    Bitmap wider(1025, 768, 24);
    wider.Fill(MakePixel(200, 100, 50));
    const Bitmap scaled = FitPicture(wider, kScreen, kScreen, 0, &plan);
    EXPECT_TRUE(plan.oversize);
    EXPECT_EQ(plan.sizeClass, 0);
    ASSERT_EQ(scaled.Width(), 1024);
    ASSERT_EQ(scaled.Height(), 767);
    // Two pixels short of the scratch picture, centred: a one-pixel margin.
    EXPECT_EQ(plan.draw, QRect(1, 0, 1022, 766));
    EXPECT_EQ(scaled.At(0, 300) & 0xFFFFFF, 0u);
    EXPECT_EQ(scaled.At(500, 300), MakePixel(200, 100, 50));
}

TEST(FitPicture, LargePicturesFitBothWays)
{
    // Too wide, too tall, and both (with either side binding).
    const QSize sizes[] = {{2048, 768}, {1024, 1536}, {2000, 1700}, {3000, 1000}, {1100, 4000}};
    for (const QSize &area : sizes) {
        SCOPED_TRACE(testing::Message() << area.width() << "x" << area.height());
        const FitPlan plan = PlanFit(area, kScreen, kScreen);
        ASSERT_TRUE(plan.oversize);
        EXPECT_LE(plan.scratch.width(), kScreen.width());
        EXPECT_LE(plan.scratch.height(), kScreen.height());
        EXPECT_TRUE(plan.scratch.width() == kScreen.width() || plan.scratch.height() == kScreen.height());
        EXPECT_TRUE(QRect(QPoint(0, 0), plan.scratch).contains(plan.draw));
        EXPECT_GE(plan.draw.width(), 1);
        EXPECT_GE(plan.draw.height(), 1);
        // The aspect is kept to within rounding.
        const double aspect = double(area.width()) / area.height();
        EXPECT_NEAR(double(plan.draw.width()) / plan.draw.height(), aspect, aspect * 0.03);
    }
    // A sliver still gets a picture of at least one pixel.
    const FitPlan sliver = PlanFit({20000, 3}, kScreen, kScreen);
    EXPECT_EQ(sliver.scratch.width(), 1024);
    EXPECT_GE(sliver.draw.height(), 1);
    // 2000 x 1700 on 1024 x 768: the height binds (the picture must not
    // become taller than the screen).
    const FitPlan both = PlanFit({2000, 1700}, kScreen, kScreen);
    EXPECT_EQ(both.scratch, QSize(904, 768));
}
