// The win sequence: the caption's five states on the effect clock (sizes,
// alphas, short time lists and 0 ms states), the monsters sent away one a
// removal interval, what stops during it, and its end.
#include "game/level/WinSequence.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/level/GameLogic.h"
#include "game/level/support/LevelFixture.h"

namespace
{

class WinSequenceTest : public LevelFixture
{
protected:
    void SetCaption(std::vector<int32_t> flags, int32_t start = 10, int32_t middle = 40, int32_t finish = 30)
    {
        SGameOverCaption& c = level_->GetGameOverCaptionForLoading();
        c.pattern = "You win";
        c.drawRect = {200, 200, 600, 300};
        c.width = 400;
        c.height = 100;
        c.startSize = start;
        c.middleSize = middle;
        c.finishSize = finish;
        c.color = TFloatVector4(1, 1, 1, 1);
        c.colorStroke = TFloatVector4(0, 0, 0, 1);
        level_->GetTimeFlagsForLoading() = std::move(flags);
    }
    const SWinSequence& Seq() const { return *level_->GetWinSequence(); }
    // Frames of 16 ms until ms have passed since the start of the sequence.
    void RunTo(int32_t ms)
    {
        while (static_cast<int32_t>(fake_clock::gNow - start_) + static_cast<int32_t>(kFrameMs) <= ms) Frame();
    }
    void Win(bool again = false)
    {
        if (!again) start_ = fake_clock::gNow;
        level_->FinishLevel(true);
    }
    uint32_t start_ = 0;
};

SpawnEvent Monster(int32_t due)
{
    SpawnEvent e;
    e.dueTime = due;
    e.type = 0;
    return e;
}

TEST_F(WinSequenceTest, TheCaptionAppearsGrowsShrinksStaysAndFades)
{
    level_->GetGameInfo().gofTime = 5000;
    SetCaption({500, 300, 300, 1000, 400});
    Win();
    ASSERT_NE(level_->GetWinSequence(), nullptr);
    EXPECT_EQ(Seq().state, 0);
    EXPECT_FLOAT_EQ(Seq().fill.w, 0.0f);
    EXPECT_FALSE(Seq().backdrop->visible);

    // (time since the start, state, size, fill alpha)
    struct Row
    {
        int32_t ms;
        int32_t state;
        int32_t size;
        float alpha;
    } rows[] = {
        {480, 0, 10, 0.0f},   // hidden
        {512, 1, 10, 1.0f},   // shown at its start size
        {656, 1, 25, 1.0f},   // half way up: 10 + 0.5 x 30, about
        {816, 2, 40, 1.0f},   // at the top
        {960, 2, 35, 1.0f},   // half way down, about
        {1120, 3, 30, 1.0f},  // stays
        {2128, 4, 30, 1.0f},  // fading
        {2320, 4, 30, 0.5f},  // half faded, about
        {2528, 5, 30, 0.0f},  // gone
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.ms);
        RunTo(row.ms);
        EXPECT_EQ(Seq().state, row.state);
        EXPECT_NEAR(Seq().size, row.size, 2);
        EXPECT_NEAR(Seq().fill.w, row.alpha, 0.06f);
        EXPECT_NEAR(Seq().outline.w, row.alpha, 0.06f);
    }
    EXPECT_FALSE(Seq().backdrop->visible);
}

TEST_F(WinSequenceTest, TheBackdropScalesWithTheSize)
{
    SetCaption({0, 300, 300, 1000, 400}, 10, 40, 20);
    Win();
    Frame();
    ASSERT_EQ(Seq().state, 1);
    EXPECT_TRUE(Seq().backdrop->visible);
    RunTo(320);
    ASSERT_EQ(Seq().state, 2);
    // Size 40 over the finish size 20.
    EXPECT_NEAR(Seq().backdrop->GetScale().x, 2.0f, 0.15f);
}

TEST_F(WinSequenceTest, AShortTimeListAndZeroStatesEndAtOnce)
{
    struct Case
    {
        std::vector<int32_t> flags;
        int32_t stateAfterAFrame;
    } cases[] = {
        {{}, 5},                        // no times: every state ends at once
        {{0, 0, 0}, 5},                 // the two missing ones are 0 too
        {{0, 0, 0, 1000}, 3},           // stops in the state with time
        {{300}, 0},                     // the first state has its time
        {{0, 0, 0, 0, 0}, 5},           // all 0
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.flags.size());
        level_->ClearLevel();
        level_->BeginLevel(1, 0);
        SetCaption(c.flags);
        Win();
        Frame();
        EXPECT_EQ(Seq().state, c.stateAfterAFrame);
    }
    // The short list's first state still ends on time, and the rest at once.
    level_->ClearLevel();
    level_->BeginLevel(1, 0);
    SetCaption({300});
    Win();
    RunTo(320);
    EXPECT_EQ(Seq().state, 5);
}

TEST_F(WinSequenceTest, MonstersDieOneEveryThreeHundredMilliseconds)
{
    SetCaption({500, 300, 300, 1000, 400});
    for (int i = 0; i < 3; ++i) level_->SpawnMonster(Monster(0));
    ASSERT_EQ(factory_->walkers.size(), 3u);
    Win();
    auto deaths = [&] {
        int n = 0;
        for (FakeWalker* w : factory_->walkers) n += w->deaths;
        return n;
    };
    // (ms since the start, deaths so far)
    const std::pair<int32_t, int> rows[] = {{288, 0}, {304, 1}, {592, 1}, {608, 2}, {896, 2}, {912, 3}, {1500, 3}};
    for (const auto& [ms, n] : rows)
    {
        RunTo(ms);
        EXPECT_EQ(deaths(), n) << ms;
    }
    for (FakeWalker* w : factory_->walkers) EXPECT_EQ(w->silentDeaths, 0);
    EXPECT_EQ(factory_->walkers[0]->deaths, 1);
    EXPECT_EQ(factory_->walkers[2]->deaths, 1) << "in list order";
}

TEST_F(WinSequenceTest, NothingIsPaidOrSpawnedAndTheResultGoesOutOnce)
{
    SetCaption({500, 300, 300, 1000, 400});
    level_->GetGameInfo().gofTime = 2000;
    int results = 0;
    level_->onResult = [&](const SCompleteLevel&) { ++results; };
    Eco().AddIncomeSource(10, 1);
    Eco().SetMoney(100);
    level_->AddSpawnEvent(Monster(50));
    level_->GetCustomerSettings() = {1, 10, {100}};
    Win();
    EXPECT_TRUE(level_->IsWinEffectOn());
    Win(true);  // a second win does not start it again
    RunTo(1000);
    Win(true);
    EXPECT_EQ(Seq().state, 2) << "not restarted";
    RunTo(1980);
    EXPECT_EQ(results, 0);
    EXPECT_EQ(Eco().GetMoney(), 100);
    EXPECT_EQ(level_->GetMonsterCount(), 0);
    EXPECT_EQ(level_->GetCustomerCount(), 0);
    RunTo(2100);
    EXPECT_EQ(results, 1);
    EXPECT_FALSE(level_->IsWinEffectOn());
    EXPECT_TRUE(Seq().gofs.empty());
    EXPECT_EQ(Seq().flash, nullptr);
    level_->FinishLevel(true);  // the level is won already
    Frame(10);
    EXPECT_EQ(results, 1);
    EXPECT_FALSE(level_->IsWinSequenceRunning());
}

TEST_F(WinSequenceTest, ThePausedEffectClockHoldsTheCaption)
{
    SetCaption({500, 300, 300, 1000, 400});
    Win();
    RunTo(400);
    level_->Pause(true, false);
    Advance(2000);
    level_->Update();
    EXPECT_EQ(Seq().state, 0);
    level_->Pause(false, false);
    Frame(8);
    EXPECT_EQ(Seq().state, 1);
}

TEST_F(WinSequenceTest, StartingTheSequenceStopsBreakingAndMeltsTheSnow)
{
    SetCaption({500, 300, 300, 1000, 400});
    level_->AddLandElement("", 100, 100, 0, 0);
    level_->AddGroundElement("", 200, 100, 0, 0);
    level_->SpawnCustomer(0, 0, 0);
    Win();
    EXPECT_TRUE(level_->GetLandElement(0)->fading || level_->GetLandElement(0)->FadeDone());
    EXPECT_TRUE(level_->GetGroundElement(0)->fading || level_->GetGroundElement(0)->FadeDone());
    EXPECT_TRUE(factory_->walkers.back()->happy);
    // The level cleared: nothing of the sequence is left.
    level_->ClearLevel();
    EXPECT_EQ(level_->GetWinSequence(), nullptr);
}

}  // namespace
