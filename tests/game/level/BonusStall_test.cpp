// Bonus stalls: the area's rings on the slots around, the values written into
// the description on locking and activation, breaking without luck and the
// repair in the frame the luck returns, and the lightning scan.
#include "game/level/BonusStall.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/level/Economic.h"
#include "game/level/support/StallFixture.h"

namespace
{

using Strings = std::vector<std::string>;
using Points = std::vector<TPoint>;

class BonusStallTest : public StallFixture
{
protected:
    BonusStallTest()
    {
        bonus_.local = true;
        bonus_.bonus = {5, 6, 7, 8};
    }
};

TEST_F(BonusStallTest, TheAreaTakesOnlyTheSlotsAroundRingByRing)
{
    // A stall at the map's edge: of ring 0 only two points have slots, of
    // ring 1 one.
    level_->AddSlot(500, 250);
    level_->AddSlot(300, 350);
    level_->AddSlot(400, 400);
    level_->AddSlot(700, 250);  // a ring-3 point
    BonusStall& s = Working<BonusStall>(bonus_, 400, 300);
    EXPECT_EQ(s.GetAreaPoints(), (Points{{500, 250}, {300, 350}}));
    ASSERT_EQ(s.GetAreaRects().size(), 2u);
    EXPECT_EQ(s.GetAreaRects()[0].left, 410);
    EXPECT_EQ(s.GetAreaRects()[0].bottom, 295);
    EXPECT_TRUE(s.IsInArea(300, 350));
    EXPECT_FALSE(s.IsInArea(400, 400));

    s.Upgrade(true);
    Step(s, 2001);
    EXPECT_EQ(s.GetAreaPoints(), (Points{{500, 250}, {300, 350}, {400, 400}}));
    s.AddUpgradeLevel();
    s.AddUpgradeLevel();
    s.RebuildArea();
    EXPECT_EQ(s.GetAreaPoints().size(), 4u);
    s.RemoveUpgradeLevel();
    EXPECT_EQ(s.GetAreaPoints().size(), 3u);

    s.SetActive(false, true);
    EXPECT_FALSE(s.IsInArea(300, 350)) << "a locked stall covers nothing";

    SBonusStallDesc plain = bonus_;
    plain.local = false;
    BonusStall& none = Working<BonusStall>(plain, 400, 300);
    EXPECT_TRUE(none.GetAreaPoints().empty()) << "no area without local";
    BonusStall& alone = Working<BonusStall>(bonus_, 2000, 2000);
    EXPECT_TRUE(alone.GetAreaPoints().empty());
}

TEST_F(BonusStallTest, LockingWritesZerosAndActivationTheValues)
{
    BonusStall& s = Working<BonusStall>(bonus_);
    s.SetActive(false, true);
    EXPECT_EQ(bonus_.bonus, (std::vector<int32_t>{0, 0, 0, 0}));
    s.SetActive(true, false);
    EXPECT_EQ(bonus_.bonus, (std::vector<int32_t>{5, 6, 7, 8}));
}

TEST_F(BonusStallTest, WithoutLuckItBreaksAndWorksAgainInTheFrameTheLuckReturns)
{
    bonus_.lucky = {10, 20, 30, 40};
    BonusStall& s = Make<BonusStall>(bonus_);
    s.InitLucky();
    EXPECT_EQ(s.GetBonusValue(), 10);
    EXPECT_EQ(level_->GetEconomic().GetLuckyAmount(s.id), 10);
    Clear();
    s.Work(true);
    EXPECT_EQ(reports_, (Strings{"7:0>1", "7:1>4"}));
    EXPECT_EQ(s.state, kStateBroken);
    EXPECT_EQ(level_->CallsOf("hint"), Strings{"hint 1"});
    Step(s, 16);
    EXPECT_EQ(s.state, kStateBroken);

    Clear();
    level_->GetEconomic().SetLuckyFlag(s.id, true);
    Step(s, 16);
    EXPECT_EQ(s.state, kStateWorking);
    EXPECT_EQ(reports_, Strings{"7:4>1"}) << "no repair state";
    EXPECT_TRUE(s.infoChanged);
    Step(s, 16);
    EXPECT_EQ(s.state, kStateWorking);
}

TEST_F(BonusStallTest, ADestroyedStallStaysBrokenWhileItFades)
{
    bonus_.lucky = {10};
    BonusStall& s = Make<BonusStall>(bonus_);
    level_->GetEconomic().SetLuckyFlag(s.id, true);
    s.Work(true);
    Clear();
    s.Destroy();
    EXPECT_EQ(s.state, kStateBroken);
    EXPECT_EQ(reports_, Strings{"7:1>4"});
}

TEST_F(BonusStallTest, RefundAndPrice)
{
    bonus_.good = {100, 300};
    BonusStall& s = Working<BonusStall>(bonus_);
    s.AddUpgradeLevel();
    s.UpdateRefund();
    EXPECT_EQ(s.refund, 150);
    s.UpdatePrice(false);
    EXPECT_EQ(s.price, 2500);
    bonus_.lucky = {1, 2};
    BonusStall& lucky = Working<BonusStall>(bonus_);
    lucky.UpdateRefund();
    EXPECT_EQ(lucky.refund, 0);
    EXPECT_FALSE(lucky.IsWorking()) << "bonus stalls serve nobody";
}

class LightningTest : public BonusStallTest
{
protected:
    LightningTest()
    {
        bonus_.bonusType = 10;
        level_->AddSlot(500, 250);
    }
    FakeWalker& AddMonster(int32_t id, float x, float y)
    {
        FakeWalker& m = level_->AddWalker(id, kWalkerMonster);
        m.position = {x, y};
        return m;
    }
    // A second passes on the level's main clock, then one frame.
    void Second(BonusStall& s) { Step(s, 1000); }
};

TEST_F(LightningTest, AMonsterInTheAreaIsStruckOnceUntilItLeaves)
{
    BonusStall& s = Working<BonusStall>(bonus_, 400, 300);
    FakeWalker& m = AddMonster(31, 500.0f, 250.0f);
    Step(s, 999);
    EXPECT_TRUE(level_->CallsOf("strike").empty()) << "a scan a second";
    Step(s, 1);
    EXPECT_EQ(level_->CallsOf("strike"), Strings{"strike 7 31"});
    EXPECT_TRUE(m.struck);
    Second(s);
    EXPECT_EQ(level_->CallsOf("strike").size(), 1u);
    m.position = {100.0f, 100.0f};
    Second(s);
    EXPECT_FALSE(m.struck);
    m.position = {589.0f, 294.0f};  // the rectangle's last pixel
    Second(s);
    EXPECT_EQ(level_->CallsOf("strike").size(), 2u);
    m.struck = false;
    m.position = {590.0f, 250.0f};  // right edge: outside
    Second(s);
    EXPECT_EQ(level_->CallsOf("strike").size(), 2u);
}

TEST_F(LightningTest, OneMonsterAScanAndShieldsAreLeftAlone)
{
    BonusStall& s = Working<BonusStall>(bonus_, 400, 300);
    FakeWalker& shielded = AddMonster(30, 500.0f, 250.0f);
    shielded.shieldOn = true;
    AddMonster(31, 500.0f, 250.0f);
    AddMonster(32, 510.0f, 260.0f);
    Second(s);
    EXPECT_EQ(level_->CallsOf("strike"), Strings{"strike 7 31"});
    Second(s);
    EXPECT_EQ(level_->CallsOf("strike"), (Strings{"strike 7 31", "strike 7 32"}));
    EXPECT_FALSE(shielded.struck);
}

TEST_F(LightningTest, OnlyAWorkingActiveStallStrikes)
{
    BonusStall& s = Working<BonusStall>(bonus_, 400, 300);
    AddMonster(31, 500.0f, 250.0f);
    s.Break(true, true);
    Second(s);
    s.SetActive(false, true);
    s.Work(true);
    Second(s);
    EXPECT_TRUE(level_->CallsOf("strike").empty());
    BonusStall& empty = Working<BonusStall>(bonus_, 2000, 2000);
    Second(empty);
    EXPECT_TRUE(level_->CallsOf("strike").empty()) << "an area with no slot strikes nothing";
}

}  // namespace
