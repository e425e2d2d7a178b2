// Economic: income sources and bonus, payouts on the main clock (pause, win,
// interval), coverage areas and needs, lucky entries.
#include "game/level/Economic.h"

#include <gtest/gtest.h>

#include "core/support/FakeClock.h"
#include "game/level/support/FakeLevel.h"

namespace
{

class EconomicTest : public ::testing::Test
{
protected:
    EconomicTest()
    {
        fake_clock::gNow = 0;
        SetClockTimeSource(&fake_clock::FakeNow);
        level_ = std::make_unique<FakeLevel>();
    }
    ~EconomicTest() override { SetClockTimeSource(nullptr); }

    void Advance(uint32_t ms) { fake_clock::gNow += ms; }
    Economic& Eco() { return level_->GetEconomic(); }
    size_t Payouts() const { return level_->CallsOf("sound game_logic_audio:audio/sound/game_logic/profit").size(); }

    std::unique_ptr<FakeLevel> level_;
};

TEST_F(EconomicTest, IncomeSourcesCountEachKeyOnce)
{
    Economic& e = Eco();
    e.AddIncomeSource(50, 7);
    e.AddIncomeSource(50, 7);
    EXPECT_EQ(e.GetIncome(), 50);
    e.RemoveIncomeSource(50, 7);
    EXPECT_EQ(e.GetIncome(), 50) << "the other add still counts it";
    e.RemoveIncomeSource(50, 7);
    EXPECT_EQ(e.GetIncome(), 0);
    // A spent key stays at 0: the next add brings the income back.
    e.RemoveIncomeSource(50, 7);
    EXPECT_EQ(e.GetIncomeSourceCount(7), 0);
    e.AddIncomeSource(50, 7);
    EXPECT_EQ(e.GetIncome(), 50);
    // An unknown key changes nothing.
    e.RemoveIncomeSource(30, 99);
    EXPECT_EQ(e.GetIncome(), 50);
}

TEST_F(EconomicTest, BonusAppliesToTheWholeAmount)
{
    struct Case
    {
        int32_t income, bonus, expected;
    };
    const Case cases[] = {
        {90, 25, 112}, {90, 0, 90}, {100, -50, 50}, {3, 50, 4}, {0, 25, 0}, {-90, 25, -112},
    };
    for (const Case& c : cases)
    {
        FakeLevel level;
        Economic& e = level.GetEconomic();
        e.AddIncomeSource(c.income, 1);
        e.AddIncomeTarget(c.income);
        e.AddIncomeBonus(c.bonus);
        EXPECT_EQ(e.GetIncome(), c.expected) << c.income << " at " << c.bonus << "%";
        EXPECT_EQ(e.GetIncomeTarget(), c.expected) << c.income << " at " << c.bonus << "%";
    }
}

TEST_F(EconomicTest, ProfitBarTellsWhetherIncomeMeetsTheTarget)
{
    Economic& e = Eco();
    e.AddIncomeTarget(40);
    EXPECT_FALSE(level_->profitBarComplete);
    e.AddIncomeSource(40, 1);
    EXPECT_TRUE(level_->profitBarComplete);
    e.AddIncomeTarget(10);
    EXPECT_FALSE(level_->profitBarComplete);
    e.SubIncomeTarget(10);
    EXPECT_TRUE(level_->profitBarComplete);
}

TEST_F(EconomicTest, PaysEachIntervalOfRunningTime)
{
    Economic& e = Eco();
    int notified = 0;
    e.SetPayoutNotification([&] { ++notified; });
    e.SetPayoutInterval(1000);
    e.AddIncomeSource(90, 1);
    e.AddIncomeBonus(25);

    Advance(999);
    e.PayIncome();
    EXPECT_EQ(e.GetMoney(), 0);
    Advance(1);
    e.PayIncome();
    EXPECT_EQ(e.GetMoney(), 112);
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(Payouts(), 1u);

    // Ten seconds paused: nothing, and the next payout a whole running
    // interval after the last one.
    level_->mainClock.Stop();
    for (int i = 0; i < 10; ++i)
    {
        Advance(1000);
        e.PayIncome();
    }
    EXPECT_EQ(e.GetMoney(), 112);
    level_->mainClock.Start();
    Advance(999);
    e.PayIncome();
    EXPECT_EQ(e.GetMoney(), 112);
    Advance(1);
    e.PayIncome();
    EXPECT_EQ(e.GetMoney(), 224);
    EXPECT_EQ(notified, 2);
}

TEST_F(EconomicTest, NoPayoutDuringTheWinAndTheIntervalCountsFromItsLastFrame)
{
    Economic& e = Eco();
    e.SetPayoutInterval(1000);
    e.AddIncomeSource(10, 1);
    level_->winRunning = true;
    for (int i = 0; i < 5; ++i)
    {
        Advance(1000);
        e.PayIncome();
    }
    EXPECT_EQ(e.GetMoney(), 0);
    level_->winRunning = false;
    Advance(999);
    e.PayIncome();
    EXPECT_EQ(e.GetMoney(), 0);
    Advance(1);
    e.PayIncome();
    EXPECT_EQ(e.GetMoney(), 10);
}

TEST_F(EconomicTest, NoIncomeMovesTheNextPayoutAway)
{
    Economic& e = Eco();
    e.SetPayoutInterval(1000);
    Advance(5000);
    e.PayIncome();
    e.AddIncomeSource(10, 1);
    Advance(500);
    e.PayIncome();
    EXPECT_EQ(e.GetMoney(), 0) << "the interval counts from the frame without income";
    Advance(500);
    e.PayIncome();
    EXPECT_EQ(e.GetMoney(), 10);
}

TEST_F(EconomicTest, AnIntervalOfZeroOrLessPaysNothing)
{
    for (int32_t interval : {0, -5})
    {
        FakeLevel level;
        Economic& e = level.GetEconomic();
        e.SetPayoutInterval(interval);
        e.AddIncomeSource(10, 1);
        for (int i = 0; i < 3; ++i)
        {
            Advance(16);
            e.PayIncome();
        }
        EXPECT_EQ(e.GetMoney(), 0) << interval;
    }
}

TEST_F(EconomicTest, WorkersMoneyAndMana)
{
    Economic& e = Eco();
    e.SetWorkers(5, true);
    e.SubFreeWorkers(3);
    e.AddWorkers(1, false);
    EXPECT_EQ(e.GetFreeWorkers(), 3);
    EXPECT_EQ(e.GetWorkers(), 5);
    e.AddWorkers(2, true);
    EXPECT_EQ(e.GetFreeWorkers(), 5);
    EXPECT_EQ(e.GetWorkers(), 7);
    EXPECT_EQ(e.GetBaseWorkers(), 5);
    e.SetWorkers(2, false);
    EXPECT_EQ(e.GetBaseWorkers(), 5);
    // Nothing is clamped.
    e.SubMoney(10);
    e.SubMana(3);
    EXPECT_EQ(e.GetMoney(), -10);
    EXPECT_EQ(e.GetMana(), -3);
}

class CoverageTest : public EconomicTest
{
protected:
    CoverageTest()
    {
        attr_.customerCount = {10, 20, 30};
        area_.bonus = {50, 100};
        area_.bonusType = 8;
    }
    FakeStall& Attraction(int32_t id, int32_t x, int32_t y, int32_t level = 0)
    {
        FakeStall& s = level_->AddStall(id, kStallAttraction, x, y);
        s.description = &attr_;
        s.level = level;
        return s;
    }
    FakeStall& Area(int32_t id, std::vector<TPoint> points, int32_t level = 0)
    {
        FakeStall& s = level_->AddStall(id, kStallBonus, 0, 0);
        s.description = &area_;
        s.area = std::move(points);
        s.level = level;
        return s;
    }

    SAttrStallDesc attr_;
    SBonusStallDesc area_;
};

TEST_F(CoverageTest, SourcesInsideAreasCountWithTheBonusOthersPlain)
{
    Economic& e = Eco();
    Attraction(1, 100, 100);
    Attraction(2, 200, 200, 2);
    Attraction(3, 300, 300, 1);
    Area(10, {{100, 100}, {200, 200}});  // 50%
    Area(11, {{200, 200}}, 1);           // 100%
    for (int32_t id : {1, 2, 3}) e.AddCoverageSource(id);
    EXPECT_EQ(e.GetCoverage(), 10 + 20 + 30) << "no areas yet";
    e.AddCoverageTarget(10);
    // Area 10: (10 + 30) x 1.5 = 60; stall 3 alone: 20.
    EXPECT_EQ(e.GetCoverage(), 60 + 20);
    e.AddCoverageTarget(11);
    // Stall 2 counts once in each area, not alone.
    EXPECT_EQ(e.GetCoverage(), 60 + 60 + 20);
    e.RemoveCoverageSource(2);
    EXPECT_EQ(e.GetCoverage(), 15 + 0 + 20);
    e.RemoveCoverageTarget(10);
    EXPECT_EQ(e.GetCoverage(), 10 + 20);
}

TEST_F(CoverageTest, AGoneStallCountsNothing)
{
    Economic& e = Eco();
    Attraction(1, 100, 100);
    e.AddCoverageSource(1);
    e.AddCoverageTarget(42);
    e.AddCoverageSource(43);
    EXPECT_EQ(e.GetCoverage(), 10);
}

TEST_F(CoverageTest, NeedsAreSatisfiedTogetherOrNotAtAll)
{
    Economic& e = Eco();
    Attraction(1, 100, 100);
    e.AddCoverageSource(1);  // coverage 10
    e.SetCoverageNeed(5, 4);
    e.SetCoverageNeed(6, 4);
    EXPECT_EQ(e.GetNeedTotal(), 8);
    EXPECT_EQ(e.GetCoverageUsed(), 8);
    EXPECT_TRUE(e.IsNeedSatisfied(5));
    EXPECT_TRUE(e.IsNeedSatisfied(6));
    e.SetCoverageNeed(6, 3);  // adds
    EXPECT_EQ(e.GetNeedTotal(), 11);
    EXPECT_FALSE(e.IsNeedSatisfied(5));
    EXPECT_FALSE(e.IsNeedSatisfied(6));
    // A step of 0 keeps the key.
    e.SetCoverageNeed(6, 0);
    EXPECT_EQ(e.GetNeedTotal(), 11);
    e.RemoveCoverageNeed(6);
    EXPECT_EQ(e.GetNeedTotal(), 4);
    EXPECT_TRUE(e.IsNeedSatisfied(5));
    EXPECT_FALSE(e.IsNeedSatisfied(6)) << "unknown keys are not satisfied";
    // Coverage falling below the need clears the flag.
    e.RemoveCoverageSource(1);
    EXPECT_FALSE(e.IsNeedSatisfied(5));
}

TEST_F(EconomicTest, LuckyEntries)
{
    Economic& e = Eco();
    EXPECT_FALSE(e.IsLuckyFlagSet(3));
    EXPECT_EQ(e.GetLuckyAmount(3), 0);
    e.SetLuckyAmount(3, 0);
    e.SetLuckyAmount(3, 40);
    EXPECT_EQ(e.GetLuckyAmount(3), 40);
    EXPECT_FALSE(e.IsLuckyFlagSet(3));
    e.SetLuckyFlag(3, true);
    EXPECT_TRUE(e.IsLuckyFlagSet(3));
    EXPECT_FALSE(e.IsLuckyFlagSet(4));
}

}  // namespace
