// TClock over a fake application time, including the 32-bit wrap; pass
// readings and due checks that prove "not yet" from a coarse clock.
#include "core/Clock.h"

#include <gtest/gtest.h>

#include <chrono>

#include "support/FakeClock.h"

namespace
{

using namespace fake_clock;

class ClockTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gNow = 1000;
        SetClockTimeSource(&FakeNow);
    }
    void TearDown() override { SetClockTimeSource(nullptr); }
};

TEST_F(ClockTest, NewClockReadsZeroUntilStarted)
{
    TClock clock;
    EXPECT_TRUE(clock.IsPaused());
    EXPECT_FALSE(clock.IsStarted());
    gNow += 500;
    EXPECT_EQ(clock.GetTime(), 0);
    clock.Start();
    EXPECT_EQ(clock.GetTime(), 0);
    gNow += 250;
    EXPECT_EQ(clock.GetTime(), 250);
    clock.Start();  // already running: nothing
    EXPECT_EQ(clock.GetTime(), 250);
}

TEST_F(ClockTest, SetTimeBeforeAndAfterFirstStart)
{
    TClock clock;
    clock.SetTime(5000);
    EXPECT_EQ(clock.GetTime(), 5000);
    clock.Start();  // the first start begins at 0
    EXPECT_EQ(clock.GetTime(), 0);
    gNow += 100;
    EXPECT_FALSE(clock.Stop());
    clock.SetTime(5000);
    EXPECT_EQ(clock.GetTime(), 5000);
    gNow += 3000;
    EXPECT_EQ(clock.GetTime(), 5000);
    clock.Start();
    EXPECT_EQ(clock.GetTime(), 5000);
    gNow += 40;
    EXPECT_EQ(clock.GetTime(), 5040);
    clock.SetTime(-20);  // running: continues from the new reading
    gNow += 30;
    EXPECT_EQ(clock.GetTime(), 10);
}

TEST_F(ClockTest, PauseKeepsReadingAcrossSeveralPauses)
{
    TClock clock;
    clock.Start();
    gNow += 1200;
    EXPECT_FALSE(clock.Stop());
    EXPECT_TRUE(clock.Stop());
    gNow += 3000;
    EXPECT_EQ(clock.GetTime(), 1200);
    clock.Start();
    EXPECT_EQ(clock.GetTime(), 1200);
    gNow += 300;
    clock.Stop();
    gNow += 7000;
    clock.Start();
    gNow += 1;
    EXPECT_EQ(clock.GetTime(), 1501);
}

TEST_F(ClockTest, ResetKeepsStarted)
{
    TClock clock;
    clock.Start();
    gNow += 900;
    clock.Reset();
    EXPECT_TRUE(clock.IsPaused());
    EXPECT_TRUE(clock.IsStarted());
    EXPECT_EQ(clock.GetTime(), 0);
    gNow += 400;
    clock.Start();  // resumes from 0, not a second first start
    EXPECT_EQ(clock.GetTime(), 0);
    gNow += 25;
    EXPECT_EQ(clock.GetTime(), 25);
}

TEST_F(ClockTest, WrapsWithTheMillisecondCounter)
{
    gNow = 0xFFFFFF00u;
    TClock clock;
    clock.Start();
    gNow += 0x200;  // the counter wrapped past zero
    EXPECT_EQ(clock.GetTime(), 0x200);
    clock.Stop();
    gNow += 0x100;
    clock.Start();
    gNow += 0x10;
    EXPECT_EQ(clock.GetTime(), 0x210);
    // The reading itself wraps like a 32-bit counter.
    clock.SetTime(0x7FFFFFFF);
    gNow += 1;
    EXPECT_EQ(clock.GetTime(), INT32_MIN);
}

TEST_F(ClockTest, APassReadsTheTimeOnceUntilForgottenOrOver)
{
    EXPECT_EQ(GetPassTime(), 1000u);
    gNow += 5;
    EXPECT_EQ(GetPassTime(), 1005u);  // outside a pass: every reading is fresh
    {
        TClockPass pass;
        gNow += 10;  // read lazily: the first reading in the pass counts
        EXPECT_EQ(GetPassTime(), 1015u);
        gNow += 10;
        EXPECT_EQ(GetPassTime(), 1015u);
        {
            TClockPass inner;
            EXPECT_EQ(GetPassTime(), 1015u);
        }
        EXPECT_EQ(GetPassTime(), 1015u);  // the inner pass's end keeps it
        ForgetPassTime();
        EXPECT_EQ(GetPassTime(), 1025u);
        gNow += 10;
        EXPECT_EQ(GetPassTime(), 1025u);
        // The plain source and clocks are not held by the pass.
        EXPECT_EQ(GetClockSourceTime(), 1035u);
    }
    EXPECT_EQ(GetPassTime(), 1035u);
    {
        TClockPass pass;
        EXPECT_EQ(GetPassTime(), 1035u);
        gNow += 1;
        SetClockTimeSource(&FakeNow);  // a new source is read at once
        EXPECT_EQ(GetPassTime(), 1036u);
    }
}

TEST(ClockSourceTest, DefaultSourceIsMonotonic)
{
    SetClockTimeSource(nullptr);
    uint32_t a = GetClockSourceTime();
    uint32_t b = GetClockSourceTime();
    EXPECT_LE(b - a, 1000u);  // never goes backwards (which would wrap huge)
    // The steady clock's milliseconds, taken modulo 2^32.
    auto steadyMs = []
    {
        return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now().time_since_epoch())
                                         .count());
    };
    const uint32_t before = steadyMs();
    const uint32_t reading = GetClockSourceTime();
    const uint32_t after = steadyMs();
    EXPECT_LE(reading - before, after - before);
}

// A fine source that counts its readings and claims to follow real time, and
// a coarse clock with a 4 ms tick: the margin is 2 * 4 + 1 = 9 ms.
class DueCheckTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gNow = 1000;
        gCoarse = 7;
        SetCoarseClock(&FakeCoarse, 4);
        SetClockTimeSource(&CountedNow, true);
    }
    void TearDown() override
    {
        SetCoarseClock(nullptr, 0);
        SetClockTimeSource(nullptr);
    }
    // A fine reading at `at`, remembered with the coarse value of now (a
    // check on an empty window proves nothing, so it reads).
    static void ReadAt(uint32_t at)
    {
        gNow = at;
        PassTimeWithin(at, 0);
        gReads = 0;
    }
    // PassTimeBefore, checked against the plain expression on the time the
    // source shows.
    static bool Before(uint32_t due)
    {
        const bool expected = static_cast<int32_t>(gNow - due) < 0;
        const bool before = PassTimeBefore(due);
        EXPECT_EQ(before, expected) << "due " << due << " now " << gNow;
        return before;
    }
};

TEST_F(DueCheckTest, NotYetIsProvedWithoutReadingOnlyBeyondTheMargin)
{
    struct Case
    {
        const char* what;
        uint32_t last;     // the remembered reading
        uint32_t due;
        uint32_t now;      // what the source shows at the check
        int reads;         // fine readings the check takes
    };
    const Case cases[] = {
        {"past the margin: proved", 1000, 1010, 1002, 0},
        {"past the margin, time at its edge", 1000, 1010, 1009, 0},
        {"at the margin: reads", 1000, 1009, 1003, 1},
        {"inside the margin and reached: reads, due", 1000, 1005, 1005, 1},
        {"due at the reading", 1000, 1000, 1000, 1},
        {"long overdue", 1000, 1000u - 100000u, 1000, 1},
        {"half the counter ahead: still not yet", 1000, 1000u + 0x7FFFFFFFu, 1004, 0},
        {"exactly half the counter ahead", 1000, 1000u + 0x80000000u, 1004, 0},
        {"just over half ahead: reads", 1000, 1000u + 0x80000001u, 1004, 1},
        {"counter wraps before due: proved", 0xFFFFFFF8u, 5, 0xFFFFFFFAu, 0},
        {"counter wraps inside the margin: reads", 0xFFFFFFF8u, 0, 0, 1},
        {"reading just after the wrap", 2, 12, 3, 0},
        {"reading just after the wrap, due before it", 2, 0xFFFFFFFEu, 3, 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        ReadAt(c.last);
        gNow = c.now;
        Before(c.due);
        EXPECT_EQ(gReads, c.reads);
    }
}

TEST_F(DueCheckTest, WindowHoldsWhenTheWholeMarginLiesInside)
{
    // The frame check's form: is now - start < length?
    struct Case
    {
        const char* what;
        uint32_t last, start, length, now;
        int reads;
    };
    const Case cases[] = {
        {"reading and margin inside", 1000, 995, 15, 1003, 0},
        {"margin reaches the end: reads", 1000, 995, 14, 1003, 1},
        {"margin reaches the end, time too: reads, outside", 1000, 995, 14, 1009, 1},
        {"start after the reading: reads", 1000, 1001, 100, 1001, 1},
        {"start after the reading, time before it", 1000, 1001, 100, 1000, 1},
        {"empty window", 1000, 1000, 0, 1000, 1},
        {"window over the wrap", 0xFFFFFFFCu, 0xFFFFFFF0u, 30, 2, 0},
        {"window over the wrap, too short", 0xFFFFFFFCu, 0xFFFFFFF0u, 21, 2, 1},
        {"all of the counter but one value", 1000, 999, 0xFFFFFFFFu, 1005, 0},
        {"all but the reading's own value: reads", 1000, 1001, 0xFFFFFFFFu, 1005, 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        ReadAt(c.last);
        gNow = c.now;
        uint32_t reading = 12345;
        const bool inside = PassTimeWithin(c.start, c.length, &reading);
        EXPECT_EQ(inside, c.now - c.start < c.length);
        EXPECT_EQ(gReads, c.reads);
        // Only a check that read hands the reading out.
        EXPECT_EQ(reading, c.reads == 0 ? 12345u : c.now);
    }
}

TEST_F(DueCheckTest, ACoarseTickOrAnotherSourceMakesItReadAgain)
{
    ReadAt(1000);
    EXPECT_TRUE(Before(1100));
    EXPECT_EQ(gReads, 0);
    // The coarse clock moved: the remembered reading proves nothing now.
    ++gCoarse;
    gNow = 1050;
    EXPECT_TRUE(Before(1100));
    EXPECT_EQ(gReads, 1);
    // That reading is remembered with the new coarse value.
    gNow = 1055;
    EXPECT_TRUE(Before(1100));
    EXPECT_EQ(gReads, 1);
    gNow = 1100;
    ++gCoarse;
    EXPECT_FALSE(Before(1100));
    EXPECT_EQ(gReads, 2);

    // A new source (even the same one), a new coarse clock or tick: every
    // remembered reading goes.
    const auto reinstall = {
        +[] { SetClockTimeSource(&CountedNow, true); },
        +[] { SetCoarseClock(&FakeCoarse, 4); },
        +[] { SetCoarseClock(&FakeCoarse, 1); },
    };
    for (auto install : reinstall)
    {
        ReadAt(1000);
        install();
        EXPECT_TRUE(Before(1100));
        EXPECT_EQ(gReads, 1);
    }
    // A shorter tick narrows the margin: 2 * 1 + 1.
    ReadAt(1000);
    EXPECT_TRUE(Before(1004));
    EXPECT_EQ(gReads, 0);
    EXPECT_TRUE(Before(1003));
    EXPECT_EQ(gReads, 1);
}

TEST_F(DueCheckTest, ASourceThatMayRunAheadAlwaysReads)
{
    // Installed without the flag (what every test fake does): the fake may
    // jump ahead while the coarse clock stands.
    for (TClockTimeSource source : {&CountedNow, &FakeNow})
    {
        SetClockTimeSource(source);
        ReadAt(1000);
        gNow = 5000;
        EXPECT_FALSE(Before(1100));
        EXPECT_EQ(gReads, source == &CountedNow ? 1 : 0);
    }
    SetClockTimeSource(&CountedNow);
    for (int i = 0; i < 3; ++i) Before(100000);
    EXPECT_EQ(gReads, 3);
    // Marked again, the first reading arms the shortcut.
    SetClockTimeSource(&CountedNow, true);
    for (int i = 0; i < 3; ++i) Before(100000);
    EXPECT_EQ(gReads, 4);
}

TEST_F(DueCheckTest, PassesKeepTheirReadingWithTheShortcut)
{
    ReadAt(1000);
    {
        TClockPass pass;
        // Proved early: the pass still holds no reading.
        EXPECT_TRUE(Before(2000));
        EXPECT_EQ(gReads, 0);
        gNow = 1003;
        EXPECT_EQ(GetPassTime(), 1003u);
        EXPECT_EQ(gReads, 1);
        // With a reading held, every check uses it, whatever the clocks do.
        gNow = 3000;
        ++gCoarse;
        EXPECT_TRUE(PassTimeBefore(2000));
        EXPECT_FALSE(PassTimeBefore(1003));
        EXPECT_TRUE(PassTimeWithin(1000, 4));
        EXPECT_EQ(gReads, 1);
        // Even when a later plain reading would prove the opposite.
        gNow = 1005;
        EXPECT_EQ(GetClockSourceTime(), 1005u);
        EXPECT_FALSE(PassTimeWithin(1004, 100));
        EXPECT_EQ(gReads, 2);
        gNow = 3000;
        ++gCoarse;
        gReads = 1;
        // Dropped: the check proves from the remembered reading (1003 with
        // the old coarse value, which no longer shows), so it reads, and that
        // reading becomes the pass's.
        ForgetPassTime();
        EXPECT_FALSE(Before(2000));
        EXPECT_EQ(gReads, 2);
        gNow = 3500;
        EXPECT_EQ(GetPassTime(), 3000u);
        EXPECT_EQ(gReads, 2);
        ForgetPassTime();
        EXPECT_TRUE(Before(4000));  // 3000 was read under this coarse value
        EXPECT_EQ(gReads, 2);
        {
            TClockPass inner;
            EXPECT_EQ(GetPassTime(), 3500u);
        }
        EXPECT_EQ(gReads, 3);
        gNow = 3600;
        EXPECT_TRUE(PassTimeBefore(3550));  // the inner pass's reading (3500) stays
        EXPECT_EQ(gReads, 3);
    }
    // Outside a pass a check that reads keeps nothing.
    gNow = 3700;
    ++gCoarse;
    EXPECT_TRUE(Before(3800));
    gNow = 3705;
    EXPECT_EQ(GetPassTime(), 3705u);
    EXPECT_EQ(gReads, 5);
}

TEST(ClockSourceTest, DefaultCoarseClockAnswersLikeTheSource)
{
    SetCoarseClock(nullptr, 0);
    SetClockTimeSource(nullptr);
    for (int i = 0; i < 1000; ++i)
    {
        const uint32_t now = GetClockSourceTime();
        EXPECT_TRUE(PassTimeBefore(now + 100000));
        EXPECT_FALSE(PassTimeBefore(now));
        EXPECT_TRUE(PassTimeWithin(now - 5, 1000000));
    }
}

}  // namespace
