// Trade stalls: the stock against its capacity, the sale that empties the
// stall and what it switches off, the delivery that brings it back (with its
// income, once), levels taken away, and a stall without goods that neither
// breaks nor repeats its finished state.
#include "game/level/TradeStall.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/level/Economic.h"
#include "game/app/MySprite.h"
#include "game/level/support/StallFixture.h"

namespace
{

using Strings = std::vector<std::string>;

class TradeStallTest : public StallFixture
{
};

TEST_F(TradeStallTest, DeliveriesFillUpToTheCapacity)
{
    TradeStall& s = Working<TradeStall>(trade_);
    EXPECT_EQ(s.GetGoods(), 10);
    EXPECT_EQ(s.GetGoodsLimit(), 10);
    EXPECT_EQ(s.SellGoods(4), 4);
    EXPECT_EQ(s.GetGoodsRoom(), 4);
    s.AddGoods(100);
    EXPECT_EQ(s.GetGoods(), 10);
    EXPECT_EQ(s.GetGoodsRoom(), 0);
    EXPECT_TRUE(incomes_.empty()) << "a stall with goods earns already";
}

TEST_F(TradeStallTest, TheSaleThatEmptiesTheStallSwitchesItOff)
{
    struct Case
    {
        const char* name;
        int32_t sold;
        int32_t returned;
    };
    for (const Case& c : {Case{"to exactly 0", 10, 0}, Case{"beyond", 13, -3}})
    {
        SCOPED_TRACE(c.name);
        TradeStall& s = Working<TradeStall>(trade_);
        level_->GetEconomic().AddIncomeSource(50, s.id);
        s.SetSelected(true);
        EXPECT_EQ(s.SellGoods(c.sold), c.returned);
        EXPECT_EQ(s.GetGoods(), 0);
        EXPECT_EQ(s.GetGoodsState(), 2);
        EXPECT_TRUE(s.IsGoodsOut());
        EXPECT_TRUE(s.infoChanged);
        EXPECT_TRUE(s.clock.IsPaused());
        EXPECT_EQ(level_->GetEconomic().GetIncomeSourceCount(s.id), 0);
        EXPECT_EQ(level_->calls, (Strings{"hint 0", Short("go_good_non"), "tab 5 force", "refresh"}));
        EXPECT_FALSE(s.IsServiceable(1));
        EXPECT_FALSE(s.IsWorking());
        EXPECT_FALSE(s.IsKind(kStallTrade, 0));
    }
}

TEST_F(TradeStallTest, ADeliveryToAnEmptyStallRestoresItsIncomeOnce)
{
    TradeStall& s = Working<TradeStall>(trade_);
    s.SellGoods(10);
    int32_t stockSeen = -1;
    s.incomeCallback = [&](int32_t amount, int32_t id) {
        stockSeen = s.GetGoods();
        incomes_.push_back(std::to_string(amount) + "@" + std::to_string(id));
    };
    s.AddGoods(2);
    EXPECT_EQ(incomes_, Strings{"50@7"});
    EXPECT_EQ(stockSeen, 0) << "before the stock rises";
    EXPECT_EQ(s.GetGoods(), 2);
    EXPECT_EQ(s.GetGoodsState(), 1) << "at or below the limit of 3";
    EXPECT_FALSE(s.IsGoodsOut());
    EXPECT_FALSE(s.clock.IsPaused());
    EXPECT_FLOAT_EQ(s.GetOverlay()->GetAlpha(), 0.0f);
    s.AddGoods(5);
    EXPECT_EQ(incomes_.size(), 1u);
    EXPECT_EQ(s.GetGoodsState(), 0) << "a low stall refilled above its limit";
    s.AddGoods(0);
    EXPECT_EQ(incomes_.size(), 1u);
}

TEST_F(TradeStallTest, UpgradesRaiseAndRemovedLevelsCutTheStock)
{
    TradeStall& s = Working<TradeStall>(trade_);
    s.AddUpgradeLevel();
    s.AddUpgradeLevel();
    EXPECT_EQ(s.GetGoods(), 30);
    EXPECT_EQ(s.GetGoodsLimit(), 30);
    s.SellGoods(5);
    s.RemoveUpgradeLevel();
    EXPECT_EQ(s.GetGoodsLimit(), 20);
    EXPECT_EQ(s.GetGoods(), 20);
    s.SellGoods(15);
    s.RemoveUpgradeLevel();
    EXPECT_EQ(s.GetGoods(), 5) << "a stock below the new capacity stays";

    // An upgrade's entry sets the capacity of the level it rises to.
    s.Upgrade(true);
    EXPECT_EQ(s.GetGoodsLimit(), 20);
    EXPECT_EQ(s.GetGoods(), 5);
}

TEST_F(TradeStallTest, AStallWithoutGoodsFinishesItsUpgradeOnceAndNeverBreaks)
{
    trade_.time.breakTime = 100;
    TradeStall& s = Working<TradeStall>(trade_);
    s.SellGoods(10);
    Clear();
    s.Upgrade(true);
    Step(s, 2001);
    for (int i = 0; i < 5; ++i) Step(s, 1000);
    EXPECT_EQ(reports_, (Strings{"7:1>3", "7:3>1"}));
    EXPECT_EQ(s.state, kStateWorking);
}

TEST_F(TradeStallTest, CrashingAStallWithoutGoodsShowsTheBreakPictures)
{
    TradeStall& s = Working<TradeStall>(trade_);
    s.Crash(true);
    ASSERT_FALSE(level_->effects.empty());
    EXPECT_EQ(level_->effects.back()->texts, std::vector<TString>{"game_logic_stalls:images/sold"});

    TradeStall& empty = Working<TradeStall>(trade_);
    empty.SellGoods(10);
    empty.Crash(true);
    EXPECT_EQ(level_->effects.back()->texts, std::vector<TString>{"game_logic_stalls:images/broken_"});

    TradeStall& broken = Working<TradeStall>(trade_);
    broken.Break(true, false);
    broken.Crash(true);
    EXPECT_EQ(level_->effects.back()->texts, std::vector<TString>{"game_logic_stalls:images/broken_"});
}

TEST_F(TradeStallTest, RefundAndPrice)
{
    TradeStall& s = Working<TradeStall>(trade_);
    s.AddUpgradeLevel();
    s.UpdateRefund();
    EXPECT_EQ(s.refund, (40 + 50) / 10 * 5);
    s.Break(true, false);
    s.UpdateRefund();
    EXPECT_EQ(s.refund, 0);
    s.UpdatePrice(false);
    EXPECT_EQ(s.price, 2500);
    level_->randomDraws = {0};
    s.UpdatePrice(true);
    EXPECT_EQ(s.price, 15 * 250 / 100 * 100);
}

}  // namespace
