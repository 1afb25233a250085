// The "R G B" text of the desktop's background colour.
#include <gtest/gtest.h>

#include "platform/raster/ColorText.h"
#include "tests/support/QtPrinters.h"

namespace pellimore {
namespace {

TEST(RgbText, WritesRedGreenBlueInDecimal)
{
    EXPECT_EQ(RgbText(Rgb(0, 128, 255)), "0 128 255");
    EXPECT_EQ(RgbText(0), "0 0 0");
    EXPECT_EQ(RgbText(0x80000005u), "5 0 0");   // the top byte is no colour
}

TEST(ParseRgbText, ReadsThreeBlankSeparatedParts)
{
    EXPECT_EQ(ParseRgbText("0 128 255"), Rgb(0, 128, 255));
    EXPECT_EQ(ParseRgbText("   10  20    30  "), Rgb(10, 20, 30));
    for (const ColorRef color : {Rgb(0, 0, 0), Rgb(255, 255, 255), Rgb(1, 2, 3), Rgb(200, 0, 99)})
        EXPECT_EQ(ParseRgbText(RgbText(color)), color) << color;
}

TEST(ParseRgbText, HoldsEachPartToAByteAndReadsOtherTextAsZero)
{
    EXPECT_EQ(ParseRgbText("300 -5 256"), Rgb(255, 0, 255));
    EXPECT_EQ(ParseRgbText("99999999999 1 2"), Rgb(0, 1, 2));   // beyond an int: not a number
    EXPECT_EQ(ParseRgbText("red 1 2"), Rgb(0, 1, 2));
    EXPECT_EQ(ParseRgbText("1.5 2 3"), Rgb(0, 2, 3));
}

TEST(ParseRgbText, GivesNoColourUnlessThereAreExactlyThreeParts)
{
    EXPECT_EQ(ParseRgbText(""), std::nullopt);
    EXPECT_EQ(ParseRgbText("   "), std::nullopt);
    EXPECT_EQ(ParseRgbText("1 2"), std::nullopt);
    EXPECT_EQ(ParseRgbText("1 2 3 4"), std::nullopt);
    EXPECT_EQ(ParseRgbText("1,2,3"), std::nullopt);
}

}  // namespace
}  // namespace pellimore
