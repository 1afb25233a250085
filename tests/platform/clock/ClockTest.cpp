#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "platform/clock/ProgramRandom.h"
#include "platform/clock/SystemClock.h"
#include "tests/support/FixedClock.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ScriptedRandom.h"

namespace pellimore {
namespace {

TEST(ProgramRandom, FollowsTheClassicSequence)
{
    // Worked out by hand from x = (x * 1140671485 + 12820163) mod 2^24, starting at 0x50000.
    ProgramRandom random;
    EXPECT_EQ(random.Next(), 11837123.0f / 16777216.0f);
    EXPECT_EQ(random.Next(), 8949370.0f / 16777216.0f);
    EXPECT_EQ(random.Next(), 9722709.0f / 16777216.0f);
    EXPECT_EQ(ProgramRandom(12345).Next(), 15151640.0f / 16777216.0f);
}

TEST(ProgramRandom, VisitsEvery24BitValueOncePerPeriod)
{
    ProgramRandom random(7);
    const uint32_t start = random.State();
    const auto seen = std::make_unique<uint8_t[]>(1u << 24);
    uint32_t outOfRange = 0, inexact = 0, repeats = 0;
    for (uint32_t i = 0; i < (1u << 24); ++i) {
        const float value = random.Next();
        const float scaled = value * 16777216.0f;   // exact: every value is a multiple of 2^-24
        if (!(value >= 0.0f && value < 1.0f)) {
            ++outOfRange;
            continue;
        }
        if (scaled != std::floor(scaled))
            ++inexact;
        if (seen[uint32_t(scaled)]++)
            ++repeats;
    }
    EXPECT_EQ(outOfRange, 0u);
    EXPECT_EQ(inexact, 0u);
    EXPECT_EQ(repeats, 0u);
    EXPECT_EQ(random.State(), start);
}

TEST(ProgramRandom, SeedsRestartTheirOwnSequences)
{
    ProgramRandom a, b;
    a.Seed(43200);   // noon, in seconds since midnight
    b.Seed(43200);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(a.Next(), b.Next());

    // Seeds that differ only above bit 23 still differ.
    ProgramRandom low(1), high(1 + (1u << 24));
    EXPECT_NE(low.Next(), high.Next());
    EXPECT_NE(ProgramRandom(0).Next(), ProgramRandom(1).Next());

    // Evenly spread: the mean of many draws is near one half.
    ProgramRandom spread(99);
    double sum = 0;
    for (int i = 0; i < 100000; ++i)
        sum += spread.Next();
    EXPECT_NEAR(sum / 100000, 0.5, 0.01);
}

TEST(SystemClock, TellsTheComputersDateAndTime)
{
    const SystemClock clock;
    const QDateTime before = QDateTime::currentDateTime();
    const QDate today = clock.Today();
    const QTime now = clock.TimeOfDay();
    const QDateTime after = QDateTime::currentDateTime();
    EXPECT_TRUE(today == before.date() || today == after.date());
    if (before.date() == after.date()) {
        EXPECT_GE(now, before.time());
        EXPECT_LE(now, after.time());
    }
}

TEST(FixedClock, StandsStillUntilMoved)
{
    test::FixedClock clock(QDate(2024, 12, 31), QTime(23, 59, 30));
    EXPECT_EQ(clock.Today(), QDate(2024, 12, 31));
    clock.AdvanceSeconds(45);
    EXPECT_EQ(clock.Today(), QDate(2025, 1, 1));
    EXPECT_EQ(clock.TimeOfDay(), QTime(0, 0, 15));
    clock.AdvanceSeconds(-30);
    EXPECT_EQ(clock.Today(), QDate(2024, 12, 31));
    EXPECT_EQ(clock.TimeOfDay(), QTime(23, 59, 45));
    clock.AdvanceDays(60);
    EXPECT_EQ(clock.Today(), QDate(2025, 3, 1));
}

TEST(ScriptedRandom, GivesQueuedValuesThenTheSeededSequence)
{
    test::ScriptedRandom random{0.25f, 0.75f};
    random.Seed(12345);
    EXPECT_EQ(random.Next(), 0.25f);
    EXPECT_EQ(random.Next(), 0.75f);
    EXPECT_EQ(random.Next(), ProgramRandom(12345).Next());
    EXPECT_EQ(random.Seeds(), std::vector<uint32_t>{12345});
    EXPECT_EQ(random.Calls(), 3);
    EXPECT_EQ(random.Remaining(), 0u);

    EXPECT_NONFATAL_FAILURE(random.Queue(1.0f), "outside [0, 1)");
    EXPECT_NONFATAL_FAILURE(random.Queue(-0.5f), "outside [0, 1)");
}

}  // namespace
}  // namespace pellimore
