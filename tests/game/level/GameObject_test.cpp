// The stall base: each timed state's entry and finish (reports, sounds, the
// bar, the action effect), the break timer, the locked stall's sleep and
// offer cycle, levels taken away, the questions and the price draws.
#include "game/level/GameObject.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "core/FileTestSupport.h"
#include "game/app/MySprite.h"
#include "game/level/support/StallFixture.h"

namespace
{

using Strings = std::vector<std::string>;

class GameObjectTest : public StallFixture
{
};

struct StateCase
{
    const char* name;
    // Brings the stall to where the entry starts from (it is working).
    std::function<void(GameObject&)> before;
    std::function<void(GameObject&)> enter;
    int32_t state;
    uint32_t duration;
    Strings entryReports;
    Strings entrySounds;
    const char* script;  // "" for no action effect
    int32_t workers;
    Strings finishReports;
    Strings finishSounds;
    int32_t finalState;
};

const std::string kGo = "game_logic_audio:audio/sound/game_logic/game_object/";

TEST_F(GameObjectTest, EveryTimedStateEntersAndFinishesByTheSamePattern)
{
    const auto nothing = [](GameObject&) {};
    const std::vector<StateCase> cases = {
        {"build", [](GameObject& s) { s.SetIdle(true); }, [](GameObject& s) { s.Build(true); }, 2, 1000,
         {"7:0>2"}, {"sound " + kGo + "go_build"}, "scripts/game_logic/effects/effect_build.lua", 1, {"7:2>1"},
         {"sound " + kGo + "finish_build"}, 1},
        {"upgrade", nothing, [](GameObject& s) { s.Upgrade(true); }, 3, 2000, {"7:1>3"},
         {"sound " + kGo + "go_upgrade"}, "scripts/game_logic/effects/effect_upgrade.lua", 2, {"7:3>1"},
         {"sound " + kGo + "finish_upgrade"}, 1},
        {"repair", [](GameObject& s) { s.Break(true, false); }, [](GameObject& s) { s.Repair(true); }, 5, 3000,
         {"7:4>5"}, {"sound " + kGo + "go_repair"}, "scripts/game_logic/effects/effect_repair.lua", 2, {"7:5>1"},
         {"sound " + kGo + "finish_repair"}, 1},
        {"crash", nothing, [](GameObject& s) { s.Crash(true); }, 6, 4000, {"7:1>6"}, {"sound " + kGo + "go_crash"},
         "scripts/game_logic/effects/effect_sell.lua", 3, {"7:6>-1"}, {"sound " + kGo + "finish_crash"}, 6},
        {"purchase", [](GameObject& s) { s.SetActive(false, true); }, [](GameObject& s) { s.Purchase(true); }, 7,
         500, {"7:1>7"}, {}, "", 0, {"7:7>1"},
         {"sound game_logic_audio:audio/sound/game_logic/hud_buy_normal_finish"}, 1},
        {"find buyer", nothing, [](GameObject& s) { s.FindBuyer(true); }, 8, 600, {"7:1>8"},
         {"sound " + kGo + "go_sell_find"}, "", 0, {"7:8>0"}, {"sound " + kGo + "go_sell_find_finish"}, 0},
        {"sell", nothing, [](GameObject& s) { s.Sell(true); }, 9, 700, {"7:1>9"}, {"sound " + kGo + "go_sell"}, "",
         0, {"7:9>0", "7:9>1"}, {"sound " + kGo + "go_sell_finish"}, 1},
    };
    for (const StateCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        stalls_.clear();
        level_->effects.clear();
        GameObject& s = Working<TradeStall>(trade_);
        c.before(s);
        Clear();
        const size_t effectsBefore = level_->effects.size();
        c.enter(s);
        EXPECT_EQ(reports_, c.entryReports);
        EXPECT_EQ(s.state, c.state);
        EXPECT_EQ(Sounds(), c.entrySounds);
        EXPECT_TRUE(s.IsBarShown());
        EXPECT_EQ(s.GetTimerTarget(), static_cast<int32_t>(c.duration));
        if (*c.script != '\0')
        {
            ASSERT_EQ(level_->effects.size(), effectsBefore + 1);
            const SEffectRecord& e = *level_->effects.back();
            EXPECT_EQ(std::string(e.script.CStr()), c.script);
            EXPECT_EQ(e.workers, c.workers);
            EXPECT_EQ(e.effectTime, static_cast<int32_t>(c.duration));
            EXPECT_EQ(e.clock, &s.clock);
            EXPECT_EQ(e.x, 400);
            EXPECT_EQ(e.y, 300);
        }
        else
        {
            EXPECT_EQ(level_->effects.size(), effectsBefore);
        }

        Clear();
        // The timer is passed only once the clock exceeds it.
        Step(s, c.duration);
        EXPECT_EQ(s.state, c.state);
        EXPECT_TRUE(reports_.empty());
        Step(s, 1);
        EXPECT_EQ(reports_, c.finishReports);
        EXPECT_EQ(s.state, c.finalState);
        Strings finish = Sounds();
        EXPECT_EQ(finish, c.finishSounds);
        EXPECT_FALSE(s.IsBarShown());
        if (*c.script != '\0') EXPECT_FALSE(level_->effects.back()->alive) << "the effect is deleted";
    }
}

TEST_F(GameObjectTest, FinishingStatesLeaveTheirMarks)
{
    TradeStall& s = Working<TradeStall>(trade_);
    s.Upgrade(true);
    EXPECT_EQ(s.level, 1) << "the level rises on entry";
    ASSERT_EQ(s.GetStars().size(), 1u);
    EXPECT_FALSE(s.GetStars()[0]->visible) << "the effect shows the star";
    ASSERT_EQ(level_->effects.back()->points.size(), 1u);
    EXPECT_EQ(level_->effects.back()->points[0], TPoint(380, 260)) << "the new star's point";
    Step(s, 2001);

    s.Break(true, false);
    s.Repair(true);
    Step(s, 3001);
    EXPECT_EQ(s.GetRepairCount(), 1);

    level_->randomDraws = {5};
    s.FindBuyer(true);
    EXPECT_FALSE(s.buyerWaiting);
    Step(s, 601);
    EXPECT_TRUE(s.buyerWaiting);
    EXPECT_EQ(s.offer, (15 - 5) * (2000 / 10) / 100 * 100) << "drawn from Money.sell at the stall's level";
    s.Sell(true);
    Step(s, 701);
    EXPECT_FALSE(s.active);
    EXPECT_FALSE(s.buyerWaiting);

    Clear();
    s.Crash(true);
    Step(s, 4001);
    EXPECT_TRUE(s.removeMe);
    EXPECT_EQ(level_->CallsOf("free-slot"), Strings{"free-slot 0"});
}

TEST_F(GameObjectTest, ActiveStallBreaksAfterItsTimerUnlessProtected)
{
    trade_.time.breakTime = 5000;
    trade_.time.breakRand = 4000;
    level_->randomDraws = {6};
    TradeStall& s = Working<TradeStall>(trade_);
    EXPECT_EQ(s.GetTimerTarget(), (6 % 4) * 1000 + 5000);
    Step(s, 7000);
    EXPECT_EQ(s.state, kStateWorking);
    Step(s, 1);
    EXPECT_EQ(reports_, Strings{"7:1>4"});
    EXPECT_EQ(s.state, kStateBroken);
    EXPECT_EQ(Sounds(), Strings{Short("go_break")});
    EXPECT_TRUE(s.infoChanged);

    // A protecting bonus stall covering the stall: the timer never ends.
    FakeStall& guard = level_->AddStall(90, kStallBonus, 0, 0);
    SBonusStallDesc protect;
    protect.bonusType = 3;
    protect.bonus = {1};
    guard.description = &protect;
    guard.area = {{400, 300}};
    s.Work(true);
    EXPECT_EQ(s.GetTimerTarget(), GameObject::kNever);
    Step(s, 100000000);
    EXPECT_EQ(s.state, kStateWorking);
}

TEST_F(GameObjectTest, BreakRangesBelowASecondHaveNoRandomPart)
{
    for (int32_t range : {0, 1, 999, 1000})
    {
        SCOPED_TRACE(range);
        trade_.time.breakRand = range;
        level_->randomDraws = {7};
        TradeStall& s = Working<TradeStall>(trade_);
        EXPECT_EQ(s.GetTimerTarget(), 100000) << "rand mod 1 or no random part at all";
    }
}

TEST_F(GameObjectTest, NoBreakSoundInTheLevelsLastMoments)
{
    TradeStall& s = Working<TradeStall>(trade_);
    level_->timeLeftFraction = 0.05f;
    s.Break(true, false);
    EXPECT_TRUE(Sounds().empty());
}

TEST_F(GameObjectTest, LockedStallSleepsThenOffersItself)
{
    TradeStall& s = Working<TradeStall>(trade_);
    s.SetActive(false, true);
    EXPECT_FALSE(s.IsLockGold()) << "a lock switch flips the picture";
    // First sleep 0: the offer starts on the first step after entering.
    trade_.time.offer = 3000;
    trade_.time.offerRand = 2500;
    level_->randomDraws = {1};
    s.Work(true);
    EXPECT_EQ(s.GetTimerTarget(), 0);
    EXPECT_EQ(s.GetSleepRounds(), 1);
    EXPECT_FALSE(s.offerOn);
    Step(s, 1);
    EXPECT_TRUE(s.offerOn);
    EXPECT_EQ(s.GetTimerTarget(), 1 * 1000 + 0) << "offerTime is copied at creation";
    EXPECT_EQ(Sounds(), Strings{Short("go_buy_start")});
    EXPECT_TRUE(s.IsLockFading());
    EXPECT_TRUE(s.IsLockGold());
    Step(s, 200);
    EXPECT_FALSE(s.IsLockFading());

    // The offer ends: locked again, sleeping rand mod (sleepRand / 1000) s.
    Step(s, 1000);
    EXPECT_FALSE(s.offerOn);
    EXPECT_EQ(s.GetTimerTarget(), (1 % 5) * 1000);
    EXPECT_FALSE(s.active);
}

TEST_F(GameObjectTest, FirstSleepWithASleepTimeAddsUpToFifteenSeconds)
{
    trade_.time.sleep = 4000;
    level_->randomDraws = {20000};
    TradeStall& s = Make<TradeStall>(trade_);
    s.SetActive(false, true);
    s.Work(true);
    EXPECT_EQ(s.GetTimerTarget(), 4000 + 20000 % 15000);
    // Later sleeps draw from the sleep range only.
    s.Work(true);
    EXPECT_EQ(s.GetTimerTarget(), (20000 % 5) * 1000);
    EXPECT_EQ(s.GetSleepRounds(), 2);
}

TEST_F(GameObjectTest, TheSelectedLockedStallKeepsItsOffer)
{
    trade_.time.offer = 1000;
    trade_.time.offerRand = 0;
    TradeStall& s = Working<TradeStall>(trade_);
    s.SetActive(false, true);
    s.Work(true);
    Step(s, 1);
    ASSERT_TRUE(s.offerOn);
    s.SetSelected(true);
    for (int i = 0; i < 3; ++i) Step(s, 1001);
    EXPECT_TRUE(s.offerOn) << "kept past its time while selected";
    s.SetSelected(false);
    Step(s, 1001);
    EXPECT_FALSE(s.offerOn);
}

TEST_F(GameObjectTest, UpgradesStopAtTheHighestLevel)
{
    TradeStall& s = Working<TradeStall>(trade_);
    for (int i = 0; i < 2; ++i)
    {
        s.Upgrade(true);
        Step(s, 2001);
    }
    EXPECT_EQ(s.level, 2);
    EXPECT_TRUE(s.CanDoAction(3));
    s.Upgrade(true);
    Step(s, 2001);
    EXPECT_EQ(s.level, 3);
    EXPECT_FALSE(s.CanDoAction(3));
}

TEST_F(GameObjectTest, TakingALevelAwayReportsThePseudoStates)
{
    TradeStall& s = Working<TradeStall>(trade_);
    s.RemoveUpgradeLevel();
    EXPECT_TRUE(reports_.empty()) << "level 0 has nothing to take";
    EXPECT_EQ(s.level, 0);
    s.AddUpgradeLevel();
    s.AddUpgradeLevel();
    s.SetSelected(true);
    s.RemoveUpgradeLevel();
    EXPECT_EQ(reports_, (Strings{"7:10>-100", "7:-100>10"}));
    EXPECT_EQ(s.level, 1);
    EXPECT_EQ(s.GetStars().size(), 1u);
    EXPECT_TRUE(s.IsLevelDownRunning());
    EXPECT_EQ(level_->CallsOf("tab"), Strings{"tab 5 force"});
}

TEST_F(GameObjectTest, ZeroDurationsShowAFullBarAndEndOnTheNextStep)
{
    trade_.time.build = 0;
    TradeStall& s = Make<TradeStall>(trade_);
    s.Build(true);
    s.Update();
    EXPECT_EQ(s.state, kStateBuilding);
    EXPECT_FLOAT_EQ(s.GetBarFront()->GetAlpha(), 0.0f) << "fraction 1";
    Step(s, 1);
    EXPECT_EQ(s.state, kStateWorking);
}

TEST_F(GameObjectTest, ShortListsReadZero)
{
    STradeStallDesc shortDesc = trade_;
    shortDesc.name = "short lists";
    shortDesc.workers.build = {};
    shortDesc.goodStore = {5};
    shortDesc.money.pay = {};
    TradeStall& s = Make<TradeStall>(shortDesc);
    s.Build(true);
    EXPECT_EQ(level_->effects.back()->workers, 0);
    s.AddUpgradeLevel();
    EXPECT_EQ(s.GetGoodsLimit(), 0);
    s.UpdatePrice(false);
    EXPECT_EQ(s.price, 0);
    level_->common.starPlaces.clear();
    s.AddUpgradeLevel();
    EXPECT_FLOAT_EQ(s.GetStars().back()->GetPosition().x, 400.0f);
    EXPECT_FLOAT_EQ(s.GetStars().back()->GetPosition().y, 300.0f);
}

TEST_F(GameObjectTest, AShortListIsLoggedOncePerDescription)
{
    filetest::TempTree tree;
    ResetStallLogs();
    STradeStallDesc shortDesc = trade_;
    shortDesc.name = "short workers";
    shortDesc.workers.build = {};
    for (int i = 0; i < 3; ++i) Make<TradeStall>(shortDesc).Build(true);
    const std::string log = tree.Log();
    size_t count = 0;
    for (size_t at = log.find("no Worker.build value"); at != std::string::npos;
         at = log.find("no Worker.build value", at + 1))
        ++count;
    EXPECT_EQ(count, 1u) << log;
}

TEST_F(GameObjectTest, PricesAreDrawnInTenthsRoundedToHundreds)
{
    TradeStall& s = Make<TradeStall>(trade_);
    std::set<int32_t> thousand;
    std::set<int32_t> small;
    for (int32_t draw = 0; draw < 22; ++draw)
    {
        level_->randomDraws = {draw};
        level_->nextDraw = 0;
        thousand.insert(s.RandomizePrice(1000));
        level_->nextDraw = 0;
        small.insert(s.RandomizePrice(150));
    }
    EXPECT_EQ(thousand, (std::set<int32_t>{500, 600, 700, 800, 900, 1000, 1100, 1200, 1300, 1400, 1500}));
    EXPECT_EQ(small, (std::set<int32_t>{0, 100, 200}));
}

TEST_F(GameObjectTest, CanDoActionByStateAndLock)
{
    struct Case
    {
        int32_t state;
        bool active;
        int32_t level;
        std::vector<bool> allowed;  // actions 0 to 9
    };
    const std::vector<Case> cases = {
        {1, true, 0, {false, true, true, true, true, false, true, false, true, false}},
        {1, true, 3, {false, true, true, false, true, false, true, false, true, false}},
        {4, true, 0, {false, true, true, false, true, true, false, false, false, false}},
        {2, true, 0, {false, true, true, false, true, false, false, false, false, false}},
        {1, false, 0, {false, false, false, false, false, false, false, false, false, false}},
    };
    TradeStall& s = Make<TradeStall>(trade_);
    for (const Case& c : cases)
    {
        s.state = c.state;
        s.active = c.active;
        s.level = c.level;
        for (int32_t a = 0; a < 10; ++a)
            EXPECT_EQ(s.CanDoAction(a), c.allowed[static_cast<size_t>(a)])
                << "state " << c.state << " active " << c.active << " level " << c.level << " action " << a;
    }
}

TEST_F(GameObjectTest, ServiceableByKindNeedAndState)
{
    struct Case
    {
        const char* name;
        int32_t kind;
        int32_t need;
        int32_t level;
        int32_t state;
        bool active;
        int32_t outOfService;
        bool expected;
    };
    const std::vector<Case> cases = {
        {"trade, any need", 1, 1, 0, 1, true, 0, true},
        {"trade, goods", 1, 0, 0, 1, true, 0, true},
        {"attraction, goods", 0, 0, 0, 1, true, 0, false},
        {"attraction, fun", 0, 1, 0, 1, true, 0, true},
        {"level needed, level 0", 0, 2, 0, 1, true, 0, false},
        {"level needed, level 1", 0, 2, 1, 1, true, 0, true},
        {"broken", 0, 1, 0, 4, true, 0, false},
        {"locked", 0, 1, 0, 1, false, 0, false},
        {"under attack", 1, 1, 0, 1, true, 1, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        GameObject& s = c.kind == 1 ? static_cast<GameObject&>(Make<TradeStall>(trade_))
                                    : static_cast<GameObject&>(Make<AttrStall>(attr_));
        s.level = c.level;
        s.state = c.state;
        s.active = c.active;
        s.outOfService = c.outOfService;
        EXPECT_EQ(s.IsServiceable(c.need), c.expected);
    }
}

TEST_F(GameObjectTest, CostTablesOfTheThreeKinds)
{
    struct Case
    {
        int32_t costKind;
        int32_t type;
        int32_t atLevel;
        int32_t expected;
    };
    const std::vector<Case> cases = {
        {0, 0, 1, 200}, {0, 1, 1, 2}, {0, 2, 1, 50},    {1, 0, 2, 13},  {1, 1, 2, 3}, {1, 2, 2, 6},
        {2, 0, 1, 0},   {2, 1, 1, 3}, {2, 2, 1, 9},     {3, 0, 0, 1500}, {3, 1, 0, 0}, {3, 2, 0, 0},
        {4, 0, 3, 4000}, {4, 1, 3, 0}, {4, 2, 3, 0},    {5, 0, 0, 0},   {0, 3, 0, 0},
        // -1: the current level (2).
        {0, 0, -1, 300}, {4, 0, -1, 3000},
    };
    std::vector<GameObject*> kinds = {&Make<AttrStall>(attr_), &Make<TradeStall>(trade_),
                                      &Make<BonusStall>(bonus_)};
    for (GameObject* s : kinds)
    {
        s->level = 2;
        for (const Case& c : cases)
            EXPECT_EQ(s->GetCost(c.costKind, c.type, c.atLevel), c.expected)
                << "kind " << s->kind << " cost " << c.costKind << " type " << c.type << " level " << c.atLevel;
    }
}

TEST_F(GameObjectTest, ServicePlacesFollowTheSideAndTheAnchorCell)
{
    using C = SGameObjectCommon;
    level_->common.paths[C::kRightHouseIn] = {{{1, 0}, {2, 0}}, {{0, 1}}};
    level_->common.paths[C::kRightHouseOut] = {{{2, 0}, {1, 0}}, {{0, 1}}};
    level_->common.paths[C::kLeftHouseIn] = {{{-1, 0}}};
    level_->common.paths[C::kLeftHouseOut] = {{{-1, 0}}};
    level_->common.paths[C::kRightStallIn] = {{{5, 5}}};
    level_->common.paths[C::kRightStallOut] = {};
    trade_.rightSide = true;
    TradeStall& s = Make<TradeStall>(trade_);
    s.placeOffsetX = 10;
    s.placeOffsetY = 20;
    s.BuildServicePlaces();
    ASSERT_EQ(s.GetPlaces().size(), 2u);
    EXPECT_EQ(s.GetPlacePathIn(0), (std::vector<TPoint>{{11, 20}, {12, 20}}));
    EXPECT_EQ(s.GetPlacePathOut(1), (std::vector<TPoint>{{10, 21}}));
    EXPECT_TRUE(s.GetPlacePathIn(2).empty());

    s.OccupyPlace(31, 0);
    EXPECT_EQ(s.FindFreePlace(), 1);
    s.OccupyPlace(32, 1);
    EXPECT_EQ(s.FindFreePlace(), -1);
    s.FreePlace(99, 1);
    EXPECT_EQ(s.FindFreePlace(), 1);
    s.ReleaseAllPlaces();
    EXPECT_EQ(level_->CallsOf("remove-customer"), Strings{"remove-customer 31"});
    EXPECT_EQ(s.FindFreePlace(), 0);

    // A trade type other than 0 takes the second set, whose way out is
    // missing: the place has an empty way out.
    STradeStallDesc second = trade_;
    second.tradeType = 1;
    TradeStall& t = Make<TradeStall>(second);
    ASSERT_EQ(t.GetPlaces().size(), 1u);
    EXPECT_EQ(t.GetPlacePathIn(0), (std::vector<TPoint>{{5, 5}}));
    EXPECT_TRUE(t.GetPlacePathOut(0).empty());

    STradeStallDesc left = trade_;
    left.rightSide = false;
    TradeStall& l = Make<TradeStall>(left);
    EXPECT_EQ(l.GetPlaces().size(), 1u);
}

TEST_F(GameObjectTest, KindQuestionsAskForAWorkingActiveStall)
{
    TradeStall& s = Working<TradeStall>(trade_);
    EXPECT_TRUE(s.IsKind(kStallTrade, 0));
    EXPECT_FALSE(s.IsKind(kStallTrade, 1));
    EXPECT_FALSE(s.IsKind(kStallAttraction, 0));
    EXPECT_FALSE(s.IsKindLevel(kStallTrade, 0, 1));
    s.AddUpgradeLevel();
    EXPECT_TRUE(s.IsKindLevel(kStallTrade, 0, 1));
    s.SetTimerNever();
    EXPECT_EQ(s.GetTimerTarget(), GameObject::kNever);
    s.Break(true, false);
    EXPECT_FALSE(s.IsKind(kStallTrade, 0));
    EXPECT_FALSE(s.IsWorking());
}

TEST_F(GameObjectTest, TheCourierIsKeptByIdAndResetClearsIt)
{
    TradeStall& s = Make<TradeStall>(trade_);
    s.courierId = 12;
    s.Reset();
    EXPECT_EQ(s.courierId, -1);
    EXPECT_EQ(s.slotIndex, -1);
    EXPECT_EQ(s.state, kStateWorking);
    EXPECT_TRUE(s.active);
    EXPECT_TRUE(s.rightSide);
}

}  // namespace
