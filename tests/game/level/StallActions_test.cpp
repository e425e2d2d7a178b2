// The stall action dispatcher: one table of (kind, finished, entered, pay)
// rows with the money, mana, worker, income and target they move and the
// counter they raise; discounts clamped; slot covering; SumStallsByType.
#include <gtest/gtest.h>

#include "game/level/support/LevelFixture.h"

namespace
{

struct Deltas
{
    int32_t money = 0;
    int32_t mana = 0;
    int32_t freeWorkers = 0;
    int32_t income = 0;
    int32_t target = 0;
    int32_t goodsSold = 0;
    int32_t needTotal = 0;
    int32_t coverage = 0;
    int32_t incomeBonus = 0;

    bool operator==(const Deltas&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Deltas& d)
{
    return os << "money " << d.money << " mana " << d.mana << " free " << d.freeWorkers << " income " << d.income
              << " target " << d.target << " goods " << d.goodsSold << " need " << d.needTotal << " coverage "
              << d.coverage << " bonus " << d.incomeBonus;
}

struct Row
{
    const char* name;
    int32_t kind;
    int32_t level;
    int32_t finished;
    int32_t entered;
    bool pay = true;
    bool counted = false;  // the stall's income is counted before the report
    bool buyerWaiting = false;
    int32_t goods = 5;
    bool active = true;
    bool offerOn = false;
    Deltas expected;
    int32_t counter = -1;
};

class StallActionsTest : public LevelFixture
{
protected:
    StallActionsTest()
    {
        for (SStallDesc* d : {static_cast<SStallDesc*>(&trade_), static_cast<SStallDesc*>(&attr_),
                              static_cast<SStallDesc*>(&bonus_)})
        {
            d->money.build = {100, 200, 300};
            d->money.repair = {50, 60, 70};
            d->mana.build = {10, 20, 30};
            d->mana.repair = {5, 6, 7};
            d->workers.build = {2, 3, 4};
            d->workers.repair = {1, 1, 2};
            d->workers.sell = {1, 2, 3};
        }
        trade_.profit = {30, 40, 50};
        attr_.profit = {30, 40, 50};
        attr_.customerCount = {6, 8, 10};
        bonus_.bonus = {25, 35};
        bonus_.bonusType = 5;  // a type the dispatcher books nothing for
        bonus_.good = {7, 9};
        bonus_.lucky = {10, 20};
    }

    const SStallDesc* DescOf(int32_t kind) const
    {
        if (kind == kStallTrade) return &trade_;
        if (kind == kStallBonus) return &bonus_;
        return &attr_;
    }

    Deltas Snapshot()
    {
        Economic& e = Eco();
        return {e.GetMoney(),  e.GetMana(),     e.GetFreeWorkers(), e.GetIncome(),       e.GetIncomeTarget(),
                level_->GetGoodsSold(), e.GetNeedTotal(), e.GetCoverage(), e.GetIncomeBonus()};
    }

    Deltas Run(const Row& r, int32_t* counterValue)
    {
        level_->BeginLevel(1, 0);
        level_->AddSlot(100, 100, 0, 0);
        auto s = std::make_unique<FakeStall>(7, r.kind, 100, 100);
        FakeStall* stall = s.get();
        stall->description = DescOf(r.kind);
        stall->descriptionId = 0;
        stall->level = r.level;
        stall->goods = r.goods;
        stall->buyerWaiting = r.buyerWaiting;
        stall->active = r.active;
        stall->offerOn = r.offerOn;
        stall->price = 500;
        stall->offer = 800;
        stall->refund = 25;
        stall->coverageNeed = 12;
        level_->AddGameObject(std::move(s), 0, false);
        if (r.counted) Eco().AddIncomeSource(LevelValue(trade_.profit, r.level), 7);
        const Deltas before = Snapshot();
        level_->DoStallAction(7, r.finished, r.entered, r.pay);
        const Deltas after = Snapshot();
        const std::vector<SStallCounters>& counters = level_->GetCounters(r.kind);
        *counterValue = -1;
        if (r.counter >= 0 && !counters.empty()) *counterValue = counters[0][static_cast<size_t>(r.counter)];
        int32_t total = 0;
        for (const SStallCounters& c : counters)
            for (int32_t v : c) total += v;
        if (r.counter < 0) *counterValue = total == 0 ? -1 : -2;
        return {after.money - before.money,       after.mana - before.mana,
                after.freeWorkers - before.freeWorkers, after.income - before.income,
                after.target - before.target,     after.goodsSold - before.goodsSold,
                after.needTotal - before.needTotal, after.coverage - before.coverage,
                after.incomeBonus - before.incomeBonus};
    }

    STradeStallDesc trade_;
    SAttrStallDesc attr_;
    SBonusStallDesc bonus_;
};

TEST_F(StallActionsTest, RowsOfTheDispatcher)
{
    const int T = kStallTrade, A = kStallAttraction, B = kStallBonus;
    // Deltas: money, mana, free workers, income, target, goods sold, need, coverage, income bonus.
    const Row rows[] = {
        {"trade build starts", T, 1, 0, 2, true, false, false, 5, true, false, {-100, -10, -2, 0, 40}},
        {"trade build starts unpaid", T, 1, 0, 2, false, false, false, 5, true, false, {0, 0, 0, 0, 40}},
        {"trade build ends", T, 1, 2, 1, true, false, false, 5, true, false, {0, 0, 3, 40, 0}, kCountBuilt},
        {"trade build ends unpaid", T, 1, 2, 1, false, false, false, 5, true, false, {0, 0, 0, 40, 0}},
        {"trade upgrade starts", T, 1, 1, 3, true, true, false, 5, true, false, {-300, -30, -4, -40, 10}},
        {"trade upgrade ends", T, 2, 3, 1, true, false, false, 5, true, false, {0, 0, 4, 50, 0}, kCountUpgraded},
        {"trade breaks", T, 1, 1, 4, true, true, false, 5, true, false, {0, 0, 0, -40, 0}, kCountBroken},
        {"trade repair starts", T, 1, 4, 5, true, false, false, 5, true, false, {-60, -6, -1, 0, 0}},
        {"trade repair ends", T, 1, 5, 1, true, false, false, 5, true, false, {0, 0, 1, 40, 0}, kCountRepaired},
        {"trade crash when broken", T, 1, 4, 6, true, false, false, 5, true, false, {0, 0, -2, 0, -40}},
        {"trade crash at work", T, 1, 1, 6, true, true, false, 5, true, false, {0, 0, -2, -40, -40}},
        {"trade crash without goods", T, 1, 1, 6, true, true, false, 0, true, false, {0, 0, -2, 0, -40}},
        {"trade crash ends", T, 1, 6, -1, true, false, false, 5, true, false, {0, 25, 2, 0, 0}, kCountCrashed},
        {"trade purchase", T, 1, 1, 7, true, false, false, 5, false, true, {-500, 0, 0, 0, 40}},
        {"trade purchase ends", T, 1, 7, 1, true, false, false, 5, true, false, {0, 0, 0, 40, 0}, kCountPurchased},
        {"trade locked without offer", T, 1, 1, 7, true, false, false, 5, false, false, {}},
        {"trade seeks a buyer", T, 1, 1, 8, true, true, false, 5, true, false, {0, 0, 0, -40, 0}},
        {"trade buyer found", T, 1, 8, 0, true, false, false, 5, true, false, {}},
        {"trade buyer refused", T, 1, 0, 1, true, false, true, 5, true, false, {0, 0, 0, 40, 0}},
        {"trade sale starts", T, 1, 0, 9, true, false, false, 5, true, false, {0, 0, 0, 0, -40}},
        {"trade sold", T, 1, 9, 0, true, false, false, 5, true, false, {800, 0, 0, 0, 0}, kCountSold},
        {"trade level taken", T, 2, 10, -100, true, true, false, 5, true, false, {0, 0, 0, -50, -50}},
        {"trade level given back", T, 1, -100, 10, true, false, false, 5, true, false, {0, 0, 0, 40, 40}},
        {"attr build ends", A, 0, 2, 1, true, false, false, 5, true, false, {0, 0, 2, 30, 0, 0, 0, 6}, kCountBuilt},
        {"attr breaks", A, 0, 1, 4, true, true, false, 5, true, false, {0, 0, 0, -30, 0}, kCountBroken},
        {"attr sale turned to work", A, 0, 9, 1, true, false, false, 5, true, false, {0, 0, 0, 0, 0}},
        {"attr sold", A, 0, 9, 0, true, false, false, 5, true, false, {800, 0, 0, 0, 0}, kCountSold},
        {"attr crash when broken", A, 0, 4, 6, true, false, false, 5, true, false, {0, 0, -1, 0, 0}},
        {"bonus build starts", B, 0, 0, 2, true, false, false, 5, true, false, {0, 0, -2, 0, 0, -7, 10}},
        {"bonus upgrade starts", B, 0, 1, 3, true, false, false, 5, true, false, {0, 0, -3, 0, 0, -9, 10}},
        {"bonus repair starts", B, 1, 4, 5, true, false, false, 5, true, false, {0, -6, -1, 0, 0}},
        {"bonus crash ends", B, 1, 6, -1, true, false, false, 5, true, false, {0, 0, 2, 0, 0, 25}, kCountCrashed},
        {"bonus purchase", B, 1, 1, 7, true, false, false, 5, false, true, {-500, 0, 0, 0, 0}},
    };
    for (const Row& r : rows)
    {
        int32_t counter = 0;
        const Deltas got = Run(r, &counter);
        EXPECT_EQ(got, r.expected) << r.name;
        if (r.counter >= 0)
            EXPECT_EQ(counter, 1) << r.name;
        else
            EXPECT_EQ(counter, -1) << r.name << ": no counter moves";
    }
}

TEST_F(StallActionsTest, IncomeBonusOfAWorkingBonusStall)
{
    bonus_.bonusType = 0;
    Row r{"bonus works", kStallBonus, 1, 2, 1, true, false, false, 5, true, false, {}, kCountBuilt};
    int32_t counter = 0;
    const Deltas got = Run(r, &counter);
    EXPECT_EQ(got.incomeBonus, 35);
    EXPECT_EQ(got.freeWorkers, 3);
    // Breaking takes it away again.
    level_->DoStallAction(7, 1, 4, true);
    EXPECT_EQ(Eco().GetIncomeBonus(), 0);
}

// Two discount stalls (type 4) worth 10 and 15 over the trade stall: its
// upgrade's 200 mana costs 150; discounts past 100 cost nothing, never pay.
TEST_F(StallActionsTest, UpgradeManaUnderDiscounts)
{
    struct Case
    {
        std::vector<int32_t> discounts;
        int32_t mana;  // the next level's build mana
        int32_t paid;
    };
    const Case cases[] = {
        {{10, 15}, 200, 150}, {{25}, 150, 112}, {{}, 200, 200}, {{60, 70}, 200, 0}, {{-50}, 200, 200},
    };
    for (const Case& c : cases)
    {
        level_->BeginLevel(1, 0);
        std::vector<std::unique_ptr<SBonusStallDesc>> discounts;
        int32_t id = 50;
        for (int32_t d : c.discounts)
        {
            discounts.push_back(std::make_unique<SBonusStallDesc>());
            discounts.back()->bonusType = 4;
            discounts.back()->bonus = {d};
            auto s = std::make_unique<FakeStall>(id++, kStallBonus, 300, 300);
            s->description = discounts.back().get();
            s->area = {{100, 100}};
            level_->AddGameObject(std::move(s), -1, false);
        }
        trade_.mana.build = {0, c.mana};
        auto s = std::make_unique<FakeStall>(7, kStallTrade, 100, 100);
        s->description = &trade_;
        level_->AddGameObject(std::move(s), -1, false);
        // Placed without a slot: put it back where the areas cover it.
        level_->FindStall(7)->SetPosition(100, 100);
        level_->DoStallAction(7, 1, 3, true);
        EXPECT_EQ(Eco().GetMana(), -c.paid) << c.mana;
    }
    trade_.mana.build = {10, 20, 30};
}

TEST_F(StallActionsTest, SumStallsByTypeCountsWorkingStallsOverThePoint)
{
    SBonusStallDesc four;
    four.bonusType = 4;
    four.bonus = {10, 20};
    SBonusStallDesc other;
    other.bonusType = 0;
    other.bonus = {5};
    auto add = [&](int32_t id, SBonusStallDesc* d, int32_t level, bool active, int32_t state, std::vector<TPoint> area) {
        auto s = std::make_unique<FakeStall>(id, kStallBonus);
        s->description = d;
        s->level = level;
        s->active = active;
        s->state = state;
        s->area = std::move(area);
        level_->AddGameObject(std::move(s), -1, false);
    };
    add(1, &four, 0, true, kStateWorking, {{40, 40}});
    add(2, &four, 1, true, kStateWorking, {{40, 40}, {80, 80}});
    add(3, &four, 1, false, kStateWorking, {{40, 40}});
    add(4, &four, 1, true, kStateBroken, {{40, 40}});
    add(5, &other, 0, true, kStateWorking, {{40, 40}});
    add(6, &four, 5, true, kStateWorking, {{90, 90}});  // level beyond the list: 0
    EXPECT_EQ(level_->SumStallsByType(4, 40, 40), 30);
    EXPECT_EQ(level_->SumStallsByType(4, 80, 80), 20);
    EXPECT_EQ(level_->SumStallsByType(4, 0, 0), 30) << "no point: every working one";
    EXPECT_EQ(level_->SumStallsByType(0, 40, 40), 5);
    EXPECT_EQ(level_->SumStallsByType(8, 40, 40), 0);
}

TEST_F(StallActionsTest, BuildingCoversTheSlotAndACrashUncoversIt)
{
    level_->AddSlot(100, 100, 0, 0);
    auto s = std::make_unique<FakeStall>(7, kStallTrade);
    s->description = &trade_;
    level_->AddGameObject(std::move(s), 0, false);
    SSlot* slot = level_->GetSlot(0);
    ASSERT_NE(slot, nullptr);
    EXPECT_FALSE(slot->covered);
    level_->DoStallAction(7, 2, 1, true);
    EXPECT_TRUE(slot->covered);
    level_->DoStallAction(7, 1, 6, true);
    EXPECT_FALSE(slot->covered);
}

TEST_F(StallActionsTest, ProtectionStopsTheBreakTimerOfStallsInItsArea)
{
    SBonusStallDesc protect;
    protect.bonusType = 3;
    protect.bonus = {1};
    auto guard = std::make_unique<FakeStall>(1, kStallBonus, 0, 0);
    guard->description = &protect;
    guard->area = {{100, 100}};
    auto inside = std::make_unique<FakeStall>(2, kStallTrade, 100, 100);
    auto outside = std::make_unique<FakeStall>(3, kStallTrade, 300, 300);
    FakeStall* in = inside.get();
    FakeStall* out = outside.get();
    level_->AddGameObject(std::move(guard), -1, false);
    level_->AddGameObject(std::move(inside), -1, false);
    level_->AddGameObject(std::move(outside), -1, false);
    in->SetPosition(100, 100);
    out->SetPosition(300, 300);
    level_->DoStallAction(1, 2, 1, true);
    EXPECT_EQ(in->timerNever, 1);
    EXPECT_EQ(out->timerNever, 0);
}

}  // namespace
