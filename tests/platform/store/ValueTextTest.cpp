// The number texts of the settings store: the leading-number readers both
// programs read with, and the two written forms.
#include <gtest/gtest.h>

#include "platform/store/ValueText.h"
#include "tests/support/QtPrinters.h"

namespace pellimore {
namespace {

TEST(LeadingInteger, ReadsLikeTheSettingsReader)
{
    EXPECT_EQ(LeadingInteger("42"), 42);
    EXPECT_EQ(LeadingInteger("   42abc"), 42);
    EXPECT_EQ(LeadingInteger("\t-5"), -5);
    EXPECT_EQ(LeadingInteger("abc"), 0);
    EXPECT_EQ(LeadingInteger(""), 0);
    EXPECT_EQ(LeadingInteger("-"), 0);
    EXPECT_EQ(LeadingInteger("."), 0);
    EXPECT_EQ(LeadingInteger("2.5"), 2);    // halves to even
    EXPECT_EQ(LeadingInteger("3.5"), 4);
    EXPECT_EQ(LeadingInteger("-2.5"), -2);
    EXPECT_EQ(LeadingInteger("99999999999"), std::nullopt);
    EXPECT_EQ(LeadingInteger("-2147483648"), -2147483648LL);
    EXPECT_EQ(LeadingInteger("2147483647.4"), 2147483647);
}

TEST(LeadingNumber, KeepsTheFractionAndStopsAtTheFirstOtherCharacter)
{
    EXPECT_DOUBLE_EQ(LeadingNumber("2.5"), 2.5);
    EXPECT_DOUBLE_EQ(LeadingNumber("  -1.25 seconds"), -1.25);
    EXPECT_DOUBLE_EQ(LeadingNumber("+.5"), 0.5);
    EXPECT_DOUBLE_EQ(LeadingNumber("7."), 7);
    EXPECT_DOUBLE_EQ(LeadingNumber("1.2.3"), 1.2);      // one decimal point only
    EXPECT_DOUBLE_EQ(LeadingNumber("12 34"), 12);       // no blanks inside a number
    EXPECT_DOUBLE_EQ(LeadingNumber("1e3"), 1);          // no exponent
    EXPECT_DOUBLE_EQ(LeadingNumber("- 5"), 0);
    EXPECT_DOUBLE_EQ(LeadingNumber("\n5"), 0);          // only blanks and tabs are skipped
    EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("\u0665")), 0);  // digits are ASCII digits
    EXPECT_DOUBLE_EQ(LeadingNumber(QString(400, QLatin1Char('9'))), 0);  // beyond a double: no number
}

TEST(NumberTexts, PaddedHasTheBlankBeforeANumberThatIsNotNegativeAndPlainHasNone)
{
    EXPECT_EQ(PaddedNumberText(0), " 0");
    EXPECT_EQ(PaddedNumberText(-3), "-3");
    EXPECT_EQ(PaddedNumberText(16777215), " 16777215");
    EXPECT_EQ(PaddedNumberText(-2147483648LL), "-2147483648");

    EXPECT_EQ(PlainNumberText(0), "0");
    EXPECT_EQ(PlainNumberText(2), "2");
    EXPECT_EQ(PlainNumberText(-1), "-1");
    EXPECT_EQ(PlainNumberText(2.5), "2.5");
    EXPECT_EQ(PlainNumberText(0.05), "0.05");
    EXPECT_EQ(PlainNumberText(16777215), "16777215");
    EXPECT_EQ(PlainNumberText(1.0 / 3), "0.3333333");
}

TEST(NumberTexts, EachReadsBackAsTheNumberItWasWrittenFrom)
{
    for (const int value : {0, 1, -1, 120, -2147483647, 2147483647})
        EXPECT_EQ(LeadingInteger(PaddedNumberText(value)), value) << value;
    for (const double value : {0.0, 2.0, 2.5, -0.75, 119.5, 10485760.0})
        EXPECT_DOUBLE_EQ(LeadingNumber(PlainNumberText(value)), value) << value;
}

}  // namespace
}  // namespace pellimore
