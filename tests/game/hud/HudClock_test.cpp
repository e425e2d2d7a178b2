// The level clock against the main clock: the limit, the time left and the
// grade, the peas fading as the hand passes, the expert hand and red peas,
// the slide-out, the read-out, a limit of 0; and the profit bar.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "game/app/MySprite.h"
#include "game/hud/support/HudFixture.h"
#include "graphics/TextGraphic.h"

extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

constexpr float kPi = std::numbers::pi_v<float>;

class HudClockTest : public HudFixture
{
protected:
    HudClockTest()
    {
        for (const char* p : {"clock/pea_green", "clock/pea_red", "clock/fon", "clock/strelca", "clock/nakladka"})
            PutPicture(std::string("images/game_logic/hud/") + p, 10, 10, TRect(0, 0, 10, 10));
        PutPicture("images/game_logic/hud/profit_bar/layer_1", 200, 10, TRect(0, 0, 200, 10));
        PutPicture("images/game_logic/hud/profit_bar/layer_1_dop", 100, 10, TRect(0, 0, 100, 10));
        PutPicture("images/game_logic/hud/time_bar/layer_1", 300, 8, TRect(0, 0, 300, 8));
        PutPicture("images/game_logic/hud/time_bar/layer_3", 4, 8, TRect(0, 0, 4, 8));
        PutLayout("gClock = { x = 700, y = 60, pea_cnt = 24, move_time = 500 }\n"
                  "gDefInfo = { time_pattern = 'Time %s', time_bar_line_x = 100, time_bar_fon_y = 9 }\n");
        loaded_ = LoadPictures();
    }
    void SetUp() override { ASSERT_TRUE(loaded_); }

    bool loaded_ = false;
};

TEST_F(HudClockTest, LimitTimeLeftAndGrade)
{
    struct Case
    {
        int32_t minutes, seconds, expertMin, expertSec;
        uint32_t elapsed;
        int32_t limit, left, grade;
    };
    const Case cases[] = {
        {1, 30, 0, 0, 0, 90000, 90000, 1},        // 1:30 is 90000 ms
        {1, 30, 1, 0, 30000, 90000, 60000, 1},    // exactly the expert time left
        {1, 30, 1, 0, 30001, 90000, 59999, 0},    // less than the expert time left
        {1, 0, 0, 0, 60000, 60000, 0, 1},         // no time left, no expert time
        {1, 0, 0, 10, 60000, 60000, 0, 0},        // no time left, an expert time
        {1, 0, 0, 10, 60001, 60000, -1, 2},       // run out
        {0, 5, 0, 0, 9000, 5000, -4000, 2},
    };
    for (const Case& c : cases)
    {
        HUD& hud = Start(1);
        hud.StartClock(c.minutes, c.seconds);
        hud.SetExpertTime(c.expertMin, c.expertSec);
        Advance(c.elapsed);
        hud.StepClock();
        const std::string what = std::to_string(c.minutes) + ":" + std::to_string(c.seconds) + " after " +
                                 std::to_string(c.elapsed);
        EXPECT_EQ(hud.GetTimeLimit(), c.limit) << what;
        EXPECT_EQ(hud.GetTimeLeft(), c.left) << what;
        EXPECT_EQ(hud.GetTimeGrade(), c.grade) << what;
        EXPECT_NEAR(hud.GetTimeLeftFraction(), static_cast<float>(c.left) / static_cast<float>(c.limit), 1e-6) << what;
        fake_clock::gNow = 0;
    }
}

TEST_F(HudClockTest, PeasFadeInTheFirstTwoThirdsOfTheHandsPassage)
{
    HUD& hud = Start(1);
    ASSERT_EQ(hud.GetPeas().size(), 24u);
    EXPECT_FLOAT_EQ(hud.PeaStep(), kPi / 12.0f);
    EXPECT_FLOAT_EQ(hud.GetPeas()[0]->GetRotation(), kPi / 24.0f);
    hud.StartClock(1, 12);  // 72000 ms: one pea's step is 3000 ms
    struct Case
    {
        uint32_t at;
        size_t pea;
        float alpha;
    };
    // Pea 3's step runs from 9000 to 12000 ms.
    for (const Case& c : {Case{9000, 3, 1.0f}, Case{10000, 3, 0.5f}, Case{10500, 3, 0.25f}, Case{11000, 3, 0.0f},
                          Case{11900, 3, 0.0f}, Case{12000, 4, 1.0f}})
    {
        fake_clock::gNow = c.at;
        hud.StepClock();
        EXPECT_NEAR(hud.GetPeas()[c.pea]->GetAlpha(), c.alpha, 1e-3) << c.at;
        EXPECT_NEAR(hud.GetHand()->GetRotation(), static_cast<float>(c.at) / 72000.0f * 2.0f * kPi, 1e-4) << c.at;
    }
    EXPECT_FLOAT_EQ(hud.GetPeas()[3]->GetAlpha(), 0.0f) << "a passed pea stays out";
    EXPECT_FLOAT_EQ(hud.GetPeas()[5]->GetAlpha(), 1.0f);
    // The time bar's fill shows the elapsed part.
    EXPECT_EQ(hud.GetTimeBar(2).GetSourceRect().right - hud.GetTimeBar(2).GetSourceRect().left, 50);
}

TEST_F(HudClockTest, TheRecomputeClearsThePassedPeas)
{
    HUD& hud = Start(1);
    hud.StartClock(1, 12);
    fake_clock::gNow = 10000;
    hud.UpdateClock();
    for (size_t i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(hud.GetPeas()[i]->GetAlpha(), 0.0f) << i;
    EXPECT_NEAR(hud.GetPeas()[3]->GetAlpha(), 0.5f, 1e-3);
    EXPECT_FLOAT_EQ(hud.GetPeas()[4]->GetAlpha(), 1.0f);
    EXPECT_TRUE(hud.IsClockRunning());
    fake_clock::gNow = 72000;
    hud.UpdateClock();
    EXPECT_FALSE(hud.IsClockRunning()) << "no time left: the clock stops";
}

TEST_F(HudClockTest, TheExpertTimePaintsThePeasAfterItRed)
{
    struct Case
    {
        int32_t expertSec;
        float angle;
        size_t firstRed;
    };
    // Limit 72 s; the expert hand stands at (1 - expert / limit) turns.
    for (const Case& c : {Case{72, 0.0f, 1}, Case{36, kPi, 13}, Case{54, 0.5f * kPi, 7}})
    {
        HUD& hud = Start(1);
        const TTextureRef green = hud.GetPeas()[0]->GetTexture();
        hud.StartClock(1, 12);
        hud.SetExpertTime(0, c.expertSec);
        EXPECT_NEAR(hud.GetExpertHand()->GetRotation(), c.angle, 1e-5) << c.expertSec;
        for (size_t i = 0; i < hud.GetPeas().size(); ++i)
            EXPECT_EQ(hud.GetPeas()[i]->GetTexture() != green, i >= c.firstRed) << c.expertSec << " pea " << i;
        // The expert mark on the time bar: the fill's x plus its share of the width.
        EXPECT_FLOAT_EQ(hud.GetTimeBar(1).GetPosition().x, 100.0f + static_cast<float>(300 * c.expertSec / 72))
            << c.expertSec;
        EXPECT_FLOAT_EQ(hud.GetTimeBar(1).GetPosition().y, 9.0f) << c.expertSec;
    }
}

TEST_F(HudClockTest, OutOfTimeTheClockSlidesOffTheTop)
{
    HUD& hud = Start(1);
    hud.StartClock(0, 10);
    struct Case
    {
        uint32_t at;
        bool running;
        bool sliding;
        float y;
    };
    for (const Case& c : {Case{5000, true, false, 60.0f}, Case{9999, true, false, 60.0f},
                          Case{10000, true, true, 60.0f}, Case{10250, true, true, 0.0f},
                          Case{10375, true, true, -30.0f}, Case{10500, false, true, -60.0f},
                          Case{11000, false, true, -60.0f}})
    {
        fake_clock::gNow = c.at;
        hud.StepClock();
        EXPECT_EQ(hud.IsClockRunning(), c.running) << c.at;
        EXPECT_EQ(hud.IsSlidingOut(), c.sliding) << c.at;
        EXPECT_FLOAT_EQ(hud.GetClockFace()->GetPosition().y, c.y) << c.at;
        EXPECT_FLOAT_EQ(hud.GetHand()->GetPosition().y, c.y) << c.at;
        EXPECT_FLOAT_EQ(hud.GetPeas()[7]->GetPosition().y, c.y) << c.at;
        EXPECT_FLOAT_EQ(hud.GetClockFace()->GetPosition().x, 700.0f) << c.at;
    }
    EXPECT_EQ(hud.GetTimeLeft(), -1000) << "the time left keeps counting";
}

TEST_F(HudClockTest, TheReadOutShowsMinutesAndSecondsUnpadded)
{
    HUD& hud = Start(1);
    fake_clock::gNow = 65000;
    hud.StartClock(2, 0);
    ASSERT_NE(hud.GetClockText(), nullptr);
    EXPECT_STREQ(hud.GetClockText()->GetText().CStr(), "1:5");
    hud.StepClock();
    ASSERT_NE(hud.GetReadOut(HUD::kTime).graphic, nullptr);
    EXPECT_STREQ(hud.GetReadOut(HUD::kTime).graphic->GetText().CStr(), "Time 1:5");
    fake_clock::gNow = 600000 + 7000;
    hud.StepClock();
    EXPECT_STREQ(hud.GetReadOut(HUD::kTime).graphic->GetText().CStr(), "Time 10:7");
}

TEST_F(HudClockTest, ALimitOfZeroIsOutOfTimeAtOnce)
{
    HUD& hud = Start(1);
    hud.StartClock(0, 0);
    hud.SetExpertTime(0, 0);
    EXPECT_FALSE(hud.IsClockRunning());
    EXPECT_FLOAT_EQ(hud.GetTimeLeftFraction(), 0.0f);
    Advance(16);
    hud.StepClock();
    hud.UpdateClock();
    EXPECT_FALSE(hud.IsClockRunning());
    EXPECT_FLOAT_EQ(hud.GetTimeLeftFraction(), 0.0f);
    EXPECT_FLOAT_EQ(hud.GetElapsedFraction(), 1.0f);
    EXPECT_EQ(hud.GetTimeGrade(), 2);
}

TEST_F(HudClockTest, TheProfitBarGrowsToThePayoutAndStaysInItsPicture)
{
    HUD& hud = Start(1);
    Economic& eco = level_->GetEconomic();
    struct Case
    {
        int32_t interval;
        uint32_t at;
        int32_t width;
    };
    // The complete bar's picture is 200 wide.
    hud.SetProfitBarComplete(true);
    for (const Case& c : {Case{1000, 0, 0}, Case{1000, 250, 50}, Case{1000, 999, 199}, Case{0, 500, 0},
                          Case{-5, 500, 0}, Case{100, 5000, 200}})
    {
        eco.SetPayoutInterval(c.interval);
        fake_clock::gNow = c.at;
        hud.StepProfitBar();
        const TRect& r = hud.GetProfitBar(1).GetSourceRect();
        EXPECT_EQ(r.right - r.left, c.width) << c.interval << " at " << c.at;
    }
    hud.SetProfitBarComplete(false);
    eco.SetPayoutInterval(1000);
    fake_clock::gNow = 500;
    hud.StepProfitBar();
    EXPECT_EQ(hud.GetProfitBar(1).GetSourceRect().right, 50) << "the other picture is 100 wide";
}

}  // namespace
