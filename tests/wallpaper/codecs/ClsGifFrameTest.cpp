#include <gtest/gtest.h>

#include "wallpaper/codecs/clsGIFframe.h"

namespace pellimore {
namespace {

clsGIFframe ReadFrame()
{
    // As the reader fills a frame: descriptor values, control values, colour.
    clsGIFframe frame;
    frame.SetFrameLeft(3);
    frame.SetFrameTop(4);
    frame.SetFrameWidth(30);
    frame.SetFrameHeight(40);
    frame.SetframeDelay(70);
    frame.SetFrameDisposal(2);
    frame.SetFrameTransparentColor(-1);
    return frame;
}

TEST(ClsGifFrame, FirstValuesAreKeptAsInitialValuesAndResetBringsBackTheSelectedOnes)
{
    clsGIFframe frame = ReadFrame();
    EXPECT_EQ(frame.AttributesSet(), clsGIFframe::kAllAttributes);
    frame.SetFrameLeft(50);
    frame.SetFrameTop(60);
    frame.SetFrameWidth(7);
    frame.SetFrameHeight(8);
    frame.SetframeDelay(900);
    frame.SetFrameDisposal(3);

    EXPECT_EQ(frame.ResetFrameAttributes(clsGIFframe::kLeft | clsGIFframe::kDelay), 0);
    EXPECT_EQ(frame.FrameLeft(), 3);
    EXPECT_EQ(frame.frameDelay(), 70);
    EXPECT_EQ(frame.FrameTop(), 60);  // not selected
    EXPECT_EQ(frame.FrameDisposal(), 3);

    frame.ResetFrameAttributes(clsGIFframe::kAllAttributes);
    EXPECT_EQ(frame.FrameTop(), 4);
    EXPECT_EQ(frame.FrameWidth(), 30);
    EXPECT_EQ(frame.FrameHeight(), 40);
    EXPECT_EQ(frame.FrameDisposal(), 2);
}

TEST(ClsGifFrame, NegativeArgumentReturnsOneInitialValueAndChangesNothing)
{
    clsGIFframe frame = ReadFrame();
    frame.SetFrameWidth(99);
    EXPECT_EQ(frame.ResetFrameAttributes(-clsGIFframe::kWidth), 30);
    EXPECT_EQ(frame.ResetFrameAttributes(-clsGIFframe::kHeight), 40);
    EXPECT_EQ(frame.ResetFrameAttributes(-clsGIFframe::kDelay), 70);
    EXPECT_EQ(frame.ResetFrameAttributes(-clsGIFframe::kDisposal), 2);
    EXPECT_EQ(frame.ResetFrameAttributes(-clsGIFframe::kTransparentColor), -1);
    EXPECT_EQ(frame.ResetFrameAttributes(-0x20), 0);  // no such attribute
    EXPECT_EQ(frame.ResetFrameAttributes(-3), 0);     // two attributes at once is not one attribute
    EXPECT_EQ(frame.FrameWidth(), 99);
}

TEST(ClsGifFrame, ResetLeavesAttributesNeverSetAlone)
{
    clsGIFframe frame;
    frame.SetFrameLeft(5);
    frame.SetFrameLeft(6);
    EXPECT_EQ(frame.AttributesSet(), clsGIFframe::kLeft);
    frame.ResetFrameAttributes(clsGIFframe::kAllAttributes);
    EXPECT_EQ(frame.FrameLeft(), 5);
    EXPECT_EQ(frame.frameDelay(), 0);
    EXPECT_EQ(frame.FrameTransparentColor(), -1);
}

TEST(ClsGifFrame, DelayIsClampedAndDisposalOutsideItsRangeIsIgnored)
{
    clsGIFframe frame;
    frame.SetframeDelay(70000);
    EXPECT_EQ(frame.frameDelay(), 60000);
    EXPECT_EQ(frame.ResetFrameAttributes(-clsGIFframe::kDelay), 60000);
    frame.SetframeDelay(-5);
    EXPECT_EQ(frame.frameDelay(), 0);
    frame.SetFrameDisposal(7);
    frame.SetFrameDisposal(8);
    frame.SetFrameDisposal(-1);
    EXPECT_EQ(frame.FrameDisposal(), 7);
}

TEST(ClsGifFrame, SecondTransparentColourOnAnOpaqueFrameForcesTransparency)
{
    clsGIFframe frame = ReadFrame();
    EXPECT_FALSE(frame.ForceTransparency());
    frame.SetFrameTransparentColor(0x00FF00);
    EXPECT_TRUE(frame.ForceTransparency());
    EXPECT_EQ(frame.FrameTransparentColor(), 0x00FF00);

    frame.SetForceTransparency(false);  // back to the file's colour
    EXPECT_EQ(frame.FrameTransparentColor(), -1);

    frame.SetFrameTransparentColor(0x0000FF);
    ASSERT_TRUE(frame.ForceTransparency());
    frame.ResetFrameAttributes(clsGIFframe::kTransparentColor);
    EXPECT_FALSE(frame.ForceTransparency());
    EXPECT_EQ(frame.FrameTransparentColor(), -1);
}

TEST(ClsGifFrame, NewTransparentColourOnATransparentFrameForcesNothing)
{
    clsGIFframe frame;
    frame.SetisTransparent(true);
    frame.SetFrameTransparentColor(0x112233);
    frame.SetFrameTransparentColor(0x445566);
    EXPECT_FALSE(frame.ForceTransparency());
    EXPECT_EQ(frame.FrameTransparentColor(), 0x445566);
    EXPECT_EQ(frame.ResetFrameAttributes(-clsGIFframe::kTransparentColor), 0x112233);
}

TEST(ClsGifFrame, ByteRangeIsSetOnce)
{
    clsGIFframe frame;
    frame.SetFrameStart(100);
    frame.SetFrameEnd(150);
    frame.SetFrameStart(1);
    frame.SetFrameEnd(2);
    EXPECT_EQ(frame.FrameStart(), 100);
    EXPECT_EQ(frame.FrameEnd(), 150);
    EXPECT_EQ(frame.FrameLength(), 50);
}

}  // namespace
}  // namespace pellimore
