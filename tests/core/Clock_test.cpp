// TClock over a fake application time, including the 32-bit wrap.
#include "core/Clock.h"

#include <gtest/gtest.h>

namespace
{

uint32_t g_now = 0;
uint32_t FakeNow()
{
    return g_now;
}

class ClockTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_now = 1000;
        SetClockTimeSource(&FakeNow);
    }
    void TearDown() override { SetClockTimeSource(nullptr); }
};

TEST_F(ClockTest, NewClockReadsZeroUntilStarted)
{
    TClock clock;
    EXPECT_TRUE(clock.IsPaused());
    EXPECT_FALSE(clock.IsStarted());
    g_now += 500;
    EXPECT_EQ(clock.GetTime(), 0);
    clock.Start();
    EXPECT_EQ(clock.GetTime(), 0);
    g_now += 250;
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
    g_now += 100;
    EXPECT_FALSE(clock.Stop());
    clock.SetTime(5000);
    EXPECT_EQ(clock.GetTime(), 5000);
    g_now += 3000;
    EXPECT_EQ(clock.GetTime(), 5000);
    clock.Start();
    EXPECT_EQ(clock.GetTime(), 5000);
    g_now += 40;
    EXPECT_EQ(clock.GetTime(), 5040);
    clock.SetTime(-20);  // running: continues from the new reading
    g_now += 30;
    EXPECT_EQ(clock.GetTime(), 10);
}

TEST_F(ClockTest, PauseKeepsReadingAcrossSeveralPauses)
{
    TClock clock;
    clock.Start();
    g_now += 1200;
    EXPECT_FALSE(clock.Stop());
    EXPECT_TRUE(clock.Stop());
    g_now += 3000;
    EXPECT_EQ(clock.GetTime(), 1200);
    clock.Start();
    EXPECT_EQ(clock.GetTime(), 1200);
    g_now += 300;
    clock.Stop();
    g_now += 7000;
    clock.Start();
    g_now += 1;
    EXPECT_EQ(clock.GetTime(), 1501);
}

TEST_F(ClockTest, ResetKeepsStarted)
{
    TClock clock;
    clock.Start();
    g_now += 900;
    clock.Reset();
    EXPECT_TRUE(clock.IsPaused());
    EXPECT_TRUE(clock.IsStarted());
    EXPECT_EQ(clock.GetTime(), 0);
    g_now += 400;
    clock.Start();  // resumes from 0, not a second first start
    EXPECT_EQ(clock.GetTime(), 0);
    g_now += 25;
    EXPECT_EQ(clock.GetTime(), 25);
}

TEST_F(ClockTest, WrapsWithTheMillisecondCounter)
{
    g_now = 0xFFFFFF00u;
    TClock clock;
    clock.Start();
    g_now += 0x200;  // the counter wrapped past zero
    EXPECT_EQ(clock.GetTime(), 0x200);
    clock.Stop();
    g_now += 0x100;
    clock.Start();
    g_now += 0x10;
    EXPECT_EQ(clock.GetTime(), 0x210);
    // The reading itself wraps like a 32-bit counter.
    clock.SetTime(0x7FFFFFFF);
    g_now += 1;
    EXPECT_EQ(clock.GetTime(), INT32_MIN);
}

TEST_F(ClockTest, APassReadsTheTimeOnceUntilForgottenOrOver)
{
    EXPECT_EQ(GetPassTime(), 1000u);
    g_now += 5;
    EXPECT_EQ(GetPassTime(), 1005u);  // outside a pass: every reading is fresh
    {
        TClockPass pass;
        g_now += 10;  // read lazily: the first reading in the pass counts
        EXPECT_EQ(GetPassTime(), 1015u);
        g_now += 10;
        EXPECT_EQ(GetPassTime(), 1015u);
        {
            TClockPass inner;
            EXPECT_EQ(GetPassTime(), 1015u);
        }
        EXPECT_EQ(GetPassTime(), 1015u);  // the inner pass's end keeps it
        ForgetPassTime();
        EXPECT_EQ(GetPassTime(), 1025u);
        g_now += 10;
        EXPECT_EQ(GetPassTime(), 1025u);
        // The plain source and clocks are not held by the pass.
        EXPECT_EQ(GetClockSourceTime(), 1035u);
    }
    EXPECT_EQ(GetPassTime(), 1035u);
    {
        TClockPass pass;
        EXPECT_EQ(GetPassTime(), 1035u);
        g_now += 1;
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
}

}  // namespace
