// TGameLogic: the update's order (spawn queue, walkers removed one a kind a
// frame, stalls flagged at once, mana drops credited once), customer traffic,
// removals, pause with the helper's hold, the win and the result, the sale
// tick, and deleting a stall its walkers count on.
#include "game/level/GameLogic.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "game/level/support/LevelFixture.h"

namespace
{

using GameLogicTest = LevelFixture;

SpawnEvent Wave(int32_t due, int32_t repeat, int32_t type)
{
    SpawnEvent e;
    e.dueTime = due;
    e.repeatInterval = repeat;
    e.type = type;
    e.entryIndex = 1;
    e.manaReward = 100;
    e.health = 30;
    e.damage = 4;
    e.value = 5000;
    return e;
}

TEST_F(GameLogicTest, TwoWavesDueInOneFrameSpawnOneAFrame)
{
    level_->AddSpawnEvent(Wave(10, -1, 0));
    level_->AddSpawnEvent(Wave(10, -1, 1));
    Frame();
    ASSERT_EQ(level_->GetMonsterCount(), 1);
    Frame();
    ASSERT_EQ(level_->GetMonsterCount(), 2);
    EXPECT_TRUE(level_->GetSpawnQueue().empty());
    // Parameters reach the monster; its set-up gets the count spawned before.
    FakeWalker* first = factory_->walkers[0];
    FakeWalker* second = factory_->walkers[1];
    EXPECT_EQ(first->type, 0);
    EXPECT_EQ(second->type, 1);
    EXPECT_EQ(first->id, 0);
    EXPECT_EQ(second->id, 1);
    EXPECT_EQ(first->entryIndex, 1);
    EXPECT_EQ(first->manaReward, 100);
    EXPECT_FLOAT_EQ(first->health, 30.0f);
    EXPECT_FLOAT_EQ(first->damage, 4.0f);
    EXPECT_EQ(first->spawnValue, 5000);
    EXPECT_EQ(first->setupX, -1);
    EXPECT_EQ(first->kind, kWalkerMonster);
    EXPECT_NE(first->objectId, second->objectId);
}

TEST_F(GameLogicTest, ARepeatCountsFromTheOldDueTime)
{
    level_->AddSpawnEvent(Wave(5000, 30000, 0));
    // Due strictly before the clock: the frame at 5008 ms.
    while (fake_clock::gNow < 4992) Frame();
    EXPECT_EQ(level_->GetMonsterCount(), 0);
    Frame();
    ASSERT_EQ(level_->GetMonsterCount(), 1);
    ASSERT_EQ(level_->GetSpawnQueue().size(), 1u);
    EXPECT_EQ(level_->GetSpawnQueue()[0].dueTime, 35000);
    while (fake_clock::gNow <= 35000) Frame();
    EXPECT_EQ(level_->GetMonsterCount(), 2);
    EXPECT_EQ(level_->GetSpawnQueue()[0].dueTime, 65000);
}

TEST_F(GameLogicTest, OneWalkerOfEachKindGoesAFrame)
{
    for (int i = 0; i < 2; ++i)
    {
        level_->SpawnMonster(Wave(0, -1, 0));
        level_->SpawnCustomer(0, 0, 0);
        level_->SpawnCourier(0, -1, 5, -100, -100);
    }
    ASSERT_EQ(factory_->walkers.size(), 6u);
    EXPECT_EQ(factory_->walkers[2]->load, 5);
    EXPECT_EQ(factory_->walkers[2]->setupX, -100);
    EXPECT_EQ(level_->GetDepthList().size(), 6u);
    for (FakeWalker* w : factory_->walkers) w->done = true;
    Frame();
    EXPECT_EQ(level_->GetMonsterCount(), 1);
    EXPECT_EQ(level_->GetCourierCount(), 1);
    EXPECT_EQ(level_->GetCustomerCount(), 1);
    EXPECT_EQ(level_->GetDepthList().size(), 3u);
    Frame();
    EXPECT_EQ(level_->GetMonsterCount(), 0);
    EXPECT_EQ(level_->GetCourierCount(), 0);
    EXPECT_EQ(level_->GetCustomerCount(), 0);
    EXPECT_TRUE(level_->GetDepthList().empty());
}

TEST_F(GameLogicTest, MonstersBehindARemovedOneWaitAFrame)
{
    level_->SpawnMonster(Wave(0, -1, 0));
    level_->SpawnMonster(Wave(0, -1, 0));
    factory_->walkers[0]->done = true;
    Frame();
    EXPECT_EQ(factory_->walkers[1]->updates, 0);
}

// The depth list is drawn back to front: after every update it is in depth
// order, and objects of one depth stay in the order they joined, whether the
// list was nearly in order (the insertion pass) or far from it (the pass
// gives up and the merge sort finishes).
TEST_F(GameLogicTest, TheDepthListSortsStably)
{
    struct Case
    {
        const char* what;
        std::vector<int32_t> depths;
    };
    const std::vector<Case> cases = {
        {"in order", {1, 2, 3, 4, 5, 6}},
        {"one walker moved", {1, 2, 9, 4, 5, 6, 7}},
        {"ties among neighbours", {3, 1, 3, 1, 3, 1, 2, 2}},
        {"reversed", {40, 39, 38, 37, 36, 35, 34, 33, 32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21}},
        {"reversed with ties", {9, 9, 8, 8, 7, 7, 6, 6, 5, 5, 4, 4, 3, 3, 2, 2, 1, 1, 0, 0, 9, 0}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        level_->ClearLevel();
        factory_->walkers.clear();
        for (size_t i = 0; i < c.depths.size(); ++i) level_->SpawnCustomer(0, 0, 0);
        ASSERT_EQ(factory_->walkers.size(), c.depths.size());
        // The order the walkers joined, to tell equal depths apart.
        std::map<const ObjectZ*, size_t> joined;
        for (size_t i = 0; i < c.depths.size(); ++i)
        {
            factory_->walkers[i]->depth = c.depths[i];
            joined[factory_->walkers[i]] = i;
        }
        Frame();
        const std::vector<ObjectZ*>& list = level_->GetDepthList();
        ASSERT_EQ(list.size(), c.depths.size());
        for (size_t i = 1; i < list.size(); ++i)
        {
            ASSERT_LE(list[i - 1]->depth, list[i]->depth) << "at " << i;
            if (list[i - 1]->depth == list[i]->depth)
                EXPECT_LT(joined[list[i - 1]], joined[list[i]]) << "at " << i;
        }
    }
}

TEST_F(GameLogicTest, RemovingAnUnknownIdDoesNothing)
{
    level_->SpawnCustomer(0, 0, 0);
    level_->RemoveCustomer(42);
    level_->RemoveMonster(0);
    level_->RemoveCourier(0);
    level_->DeleteGameObject(42);
    EXPECT_EQ(level_->GetCustomerCount(), 1);
    EXPECT_EQ(level_->GetDepthList().size(), 1u);
}

// A customer that removes itself from inside its own update stays alive until
// the walk over the customers is done.
class SelfRemovingCustomer : public FakeWalker
{
public:
    SelfRemovingCustomer(TGameLogic& level, bool* alive) : FakeWalker(kWalkerCustomer, 0), level_(level), alive_(alive)
    {
        *alive_ = true;
    }
    ~SelfRemovingCustomer() override { *alive_ = false; }
    void Update() override
    {
        level_.RemoveCustomer(id);
        seenAlive = *alive_;
    }
    bool seenAlive = false;

private:
    TGameLogic& level_;
    bool* alive_;
};

class SelfRemovingFactory : public FakeFactory
{
public:
    std::unique_ptr<TLevelWalker> MakeWalker(ILevelContext& level, int32_t kind, int32_t type, int32_t target) override
    {
        if (kind != kWalkerCustomer) return FakeFactory::MakeWalker(level, kind, type, target);
        auto w = std::make_unique<SelfRemovingCustomer>(static_cast<TGameLogic&>(level), &alive);
        last = w.get();
        return w;
    }
    bool alive = false;
    SelfRemovingCustomer* last = nullptr;
};

TEST(GameLogicRemoval, AWalkerRemovedDuringItsOwnUpdateOutlivesTheCall)
{
    fake_clock::gNow = 0;
    SetClockTimeSource(&fake_clock::FakeNow);
    auto factory = std::make_unique<SelfRemovingFactory>();
    SelfRemovingFactory* f = factory.get();
    {
        TGameLogic level(std::move(factory), 1);
        level.BeginLevel(1, 0);
        level.SpawnCustomer(0, 0, 0);
        ASSERT_TRUE(f->alive);
        SelfRemovingCustomer* c = f->last;
        level.Update();
        EXPECT_FALSE(f->alive) << "deleted once the update is over";
        EXPECT_EQ(level.GetCustomerCount(), 0);
        (void)c;
    }
    SetClockTimeSource(nullptr);
}

TEST_F(GameLogicTest, CustomerTraffic)
{
    // Income 450, price 100: target 4.
    level_->GetCustomerSettings() = {100, 1000, {50, 30, 20}};
    Eco().AddIncomeSource(450, 99);
    auto customers = [&] { return level_->GetCustomerCount(); };

    // Three: one more a check, checks every 1000 ms from the first.
    for (int i = 0; i < 3; ++i) level_->SpawnCustomer(0, 0, 0);
    const size_t madeBefore = factory_->walkers.size();
    Frame();
    EXPECT_EQ(customers(), 4);
    Frame();
    EXPECT_EQ(customers(), 4) << "the next check is 1000 ms after the first";
    EXPECT_EQ(factory_->walkers.size(), madeBefore + 1);

    // Six non-leaving: one is sent away a check unless busy.
    level_->SpawnCustomer(0, 0, 0);
    level_->SpawnCustomer(0, 0, 0);
    while (fake_clock::gNow < 1000) Frame();
    Frame();
    int leaving = 0;
    for (int i = 0; i < level_->GetCustomerCount(); ++i) leaving += level_->GetCustomerAt(i)->IsLeaving() ? 1 : 0;
    EXPECT_EQ(leaving, 1);
}

TEST_F(GameLogicTest, BusyOrLeavingCustomersAreNotSentAway)
{
    level_->GetCustomerSettings() = {100, 1000, {100}};
    for (int i = 0; i < 3; ++i) level_->SpawnCustomer(0, 0, 0);
    for (FakeWalker* w : factory_->walkers) w->busy = true;
    for (int i = 0; i < 200; ++i) Frame();
    for (FakeWalker* w : factory_->walkers) EXPECT_FALSE(w->leaving);
}

TEST_F(GameLogicTest, WeightDrawsPickTheTypeTheirRangeCovers)
{
    // The seeded source's draws, mapped by the weights 50, 30, 20 as the
    // level does; 85 falls to type 2, 49 to type 0.
    struct Case
    {
        std::vector<int32_t> weights;
        int32_t draw;
        int32_t type;  // -1: nobody
    };
    const Case cases[] = {
        {{50, 30, 20}, 85, 2}, {{50, 30, 20}, 49, 0}, {{50, 30, 20}, 50, 1}, {{50, 30, 20}, 99, 2},
        {{40, 30}, 85, -1},    {{}, 0, -1},           {{0, 100}, 0, 1},
    };
    for (const Case& c : cases)
    {
        int32_t r = c.draw;
        int32_t type = -1;
        for (size_t i = 0; i < c.weights.size(); ++i)
        {
            if (r < c.weights[i])
            {
                type = static_cast<int32_t>(i);
                break;
            }
            r -= c.weights[i];
        }
        EXPECT_EQ(type, c.type) << c.draw;
    }
    // And the level spawns the type its draw picks, and nobody beyond the sum.
    level_->GetCustomerSettings() = {100, 1000, {0, 0, 100}};
    Eco().AddIncomeSource(1000, 1);
    Frame();
    ASSERT_EQ(factory_->walkers.size(), 1u);
    EXPECT_EQ(factory_->walkers[0]->type, 2);
    level_->GetCustomerSettings().weights = {0};
    for (int i = 0; i < 300; ++i) Frame();
    EXPECT_EQ(factory_->walkers.size(), 1u) << "weights summing below the draw spawn nobody";
}

TEST_F(GameLogicTest, APriceOfZeroOrLessWantsNoCustomers)
{
    for (int32_t price : {0, -5})
    {
        level_->GetCustomerSettings() = {price, 1000, {100}};
        Eco().AddIncomeSource(1000, 1);
        level_->SpawnCustomer(0, 0, 0);
        level_->SpawnCustomer(0, 0, 0);
        for (int i = 0; i < 130; ++i) Frame();
        // Target 0: no one comes and one is sent away each check.
        EXPECT_EQ(level_->GetCustomerCount(), 2) << price;
        int leaving = 0;
        for (int i = 0; i < level_->GetCustomerCount(); ++i) leaving += level_->GetCustomerAt(i)->IsLeaving();
        EXPECT_GE(leaving, 1) << price;
        level_->BeginLevel(1, 0);
        factory_->walkers.clear();
    }
    // No customers and no price: the send-away draw does not run.
    level_->GetCustomerSettings() = {0, 1000, {100}};
    for (int i = 0; i < 130; ++i) Frame();
    EXPECT_EQ(level_->GetCustomerCount(), 0);
}

TEST_F(GameLogicTest, TwoStallsFlaggedTogetherGoOneAFrameTheLaterFirst)
{
    SSlot* a = level_->AddSlot(100, 100, 0, 0);
    SSlot* b = level_->AddSlot(200, 100, 0, 0);
    (void)a, (void)b;
    auto s1 = std::make_unique<FakeStall>(10, kStallTrade);
    auto s2 = std::make_unique<FakeStall>(11, kStallTrade);
    FakeStall* p1 = s1.get();
    FakeStall* p2 = s2.get();
    level_->AddGameObject(std::move(s1), 0, false);
    level_->AddGameObject(std::move(s2), 1, false);
    p1->removeMe = true;
    p2->removeMe = true;
    Frame();
    ASSERT_EQ(level_->GetStallCount(), 1);
    EXPECT_EQ(level_->GetStallAt(0)->id, 10);
    Frame();
    EXPECT_EQ(level_->GetStallCount(), 0);
}

TEST_F(GameLogicTest, AManaDropIsCreditedOnce)
{
    level_->SetManaTarget({700, 20}, 800);
    level_->SpawnManaDrop({100, 200}, 25);
    ASSERT_EQ(factory_->drops.size(), 1u);
    FakeManaDrop* drop = factory_->drops[0];
    EXPECT_FLOAT_EQ(drop->target.x, 700.0f);
    EXPECT_EQ(drop->flightTime, 800);
    Frame();
    EXPECT_EQ(Eco().GetMana(), 0);
    drop->flying = false;
    Frame(3);
    EXPECT_EQ(Eco().GetMana(), 25);
    EXPECT_EQ(level_->GetManaDropCount(), 1);
    drop->finished = true;
    Frame();
    EXPECT_EQ(level_->GetManaDropCount(), 0);
    EXPECT_EQ(Eco().GetMana(), 25);
}

TEST_F(GameLogicTest, DeletingAStallLetsItsWalkersGo)
{
    level_->AddSlot(100, 100, 0, 0);
    auto s = std::make_unique<FakeStall>(7, kStallTrade);
    level_->AddGameObject(std::move(s), 0, false);
    level_->SpawnMonster(Wave(0, -1, 0));
    level_->SpawnCourier(0, 7, 3, -100, -100);
    level_->SpawnCourier(0, 7, 4, -100, -100);
    level_->SpawnCourier(0, 8, 4, -100, -100);
    FakeWalker* monster = factory_->walkers[0];
    monster->targetStallId = 7;
    level_->DeleteGameObject(7);
    EXPECT_EQ(monster->targetStallId, -1);
    // Every courier serving it hands over, not only the first.
    EXPECT_EQ(factory_->walkers[1]->targetStallId, -1);
    EXPECT_EQ(factory_->walkers[1]->arrivals, 1);
    EXPECT_EQ(factory_->walkers[2]->arrivals, 1);
    EXPECT_EQ(factory_->walkers[3]->arrivals, 0);
    EXPECT_EQ(factory_->walkers[3]->targetStallId, 8);
    ASSERT_NE(level_->GetSlot(0), nullptr);
    EXPECT_TRUE(level_->GetSlot(0)->free);
}

TEST_F(GameLogicTest, PauseStopsTheSetsOfClocks)
{
    level_->SpawnMonster(Wave(0, -1, 0));
    level_->SpawnCustomer(0, 0, 0);
    FakeWalker* monster = factory_->walkers[0];
    FakeWalker* customer = factory_->walkers[1];
    for (TClock* c : {&monster->walkClock, &customer->walkClock}) c->Start();
    auto running = [](TClock& c) { return !c.IsPaused(); };

    level_->Pause(true, true);
    EXPECT_FALSE(running(level_->GetMainClock()));
    EXPECT_FALSE(running(level_->GetEffectClock()));
    EXPECT_FALSE(running(monster->walkClock));
    EXPECT_TRUE(running(level_->GetWalkerClock())) << "a partial pause leaves the walkers";
    EXPECT_TRUE(running(customer->walkClock));

    level_->Pause(false, true);
    EXPECT_TRUE(running(level_->GetMainClock()));
    EXPECT_TRUE(running(monster->walkClock));

    level_->Pause(true, false);
    EXPECT_FALSE(running(level_->GetWalkerClock()));
    EXPECT_FALSE(running(customer->walkClock));
    EXPECT_TRUE(level_->IsPaused());
    EXPECT_FALSE(level_->IsPartialPause());

    // The helper holds the game: a full resume starts the walkers only.
    helper_.tutorial = true;
    helper_.holding = true;
    level_->Pause(false, false);
    EXPECT_TRUE(running(level_->GetWalkerClock()));
    EXPECT_TRUE(running(customer->walkClock));
    EXPECT_FALSE(running(level_->GetMainClock()));
    EXPECT_FALSE(running(monster->walkClock));
    helper_.holding = false;
    level_->Pause(false, false);
    EXPECT_TRUE(running(level_->GetMainClock()));
}

TEST_F(GameLogicTest, NoPayoutWhilePausedAndTheNextAWholeIntervalLater)
{
    Eco().AddIncomeSource(10, 1);
    int frames = 0;
    while (Eco().GetMoney() == 0)
    {
        Frame();
        ++frames;
    }
    EXPECT_EQ(frames, 63) << "the first 1000 ms of the level clock, to the frame";
    level_->Pause(true, false);
    Frame(600);
    EXPECT_EQ(Eco().GetMoney(), 10);
    level_->Pause(false, false);
    frames = 0;
    while (Eco().GetMoney() == 10)
    {
        Frame();
        ++frames;
    }
    EXPECT_EQ(frames, 63) << "a whole running interval after the last payout";
}

TEST_F(GameLogicTest, TheWinRunsItsTimeThenReportsOnce)
{
    std::vector<SCompleteLevel> results;
    level_->onResult = [&](const SCompleteLevel& r) { results.push_back(r); };
    level_->AddSpawnEvent(Wave(100000, -1, 0));
    Eco().AddIncomeSource(10, 1);
    Eco().SetMoney(500);
    level_->SetGoodsSold(12);
    hud_->timeGrade = 1;
    level_->GetCustomerSettings() = {1, 10, {100}};
    level_->FinishLevel(true);
    EXPECT_TRUE(level_->IsWinSequenceRunning());
    EXPECT_TRUE(level_->GetSpawnQueue().empty());
    level_->FinishLevel(true);  // does not restart it
    for (int i = 0; i < 5000 / 16 - 2; ++i) Frame();
    EXPECT_TRUE(results.empty());
    EXPECT_EQ(Eco().GetMoney(), 500) << "no payout during the win";
    EXPECT_EQ(level_->GetCustomerCount(), 0) << "no spawns during the win";
    Frame(3);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_FALSE(level_->IsWinSequenceRunning());
    const SCompleteLevel expected{0, 1, 10, 500, 0, 0, 12};
    EXPECT_EQ(results[0], expected);
    Frame(10);
    EXPECT_EQ(results.size(), 1u);
}

TEST_F(GameLogicTest, ALostLevelReportsAtOnce)
{
    int reports = 0;
    level_->FinishLevel(false);  // unbound: skipped
    level_->onResult = [&](const SCompleteLevel&) { ++reports; };
    level_->FinishLevel(false);
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(level_->RequestStartLevel(3), -1);
    level_->onStartLevel = [](int32_t n) { return n * 2; };
    EXPECT_EQ(level_->RequestStartLevel(3), 6);
    level_->OnIntroClosed();
    EXPECT_TRUE(hud_->started);
}

TEST_F(GameLogicTest, TheSaleTickCountsWhatTheStockLost)
{
    STradeStallDesc trade;
    trade.goodSub = {4, 6};
    SAttrStallDesc attr;
    struct Case
    {
        int32_t goods;
        int32_t level;
        int32_t sold;
        int32_t left;
        int32_t coins;
    };
    const Case cases[] = {{10, 0, 4, 6, 1}, {4, 0, 4, 0, 0}, {3, 0, 3, 0, 0}, {10, 1, 6, 4, 1}, {0, 0, 0, 0, 0}};
    int32_t id = 100;
    for (const Case& c : cases)
    {
        level_->SetGoodsSold(0);
        auto s = std::make_unique<FakeStall>(id, kStallTrade);
        s->description = &trade;
        s->goods = c.goods;
        s->level = c.level;
        FakeStall* p = s.get();
        level_->AddSlot(0, 0, 0, 0);
        level_->AddGameObject(std::move(s), level_->GetSlotCount() - 1, false);
        level_->OnSaleTick();
        EXPECT_EQ(level_->GetGoodsSold(), c.sold) << c.goods;
        EXPECT_EQ(p->goods, c.left) << c.goods;
        EXPECT_EQ(p->coins, c.coins) << c.goods;
        level_->DeleteGameObject(id++);
    }
    // Attractions at work play their coin; locked or idle ones do not.
    auto a = std::make_unique<FakeStall>(200, kStallAttraction);
    auto b = std::make_unique<FakeStall>(201, kStallAttraction);
    a->description = &attr;
    b->description = &attr;
    b->active = false;
    FakeStall* pa = a.get();
    FakeStall* pb = b.get();
    level_->AddGameObject(std::move(a), 0, false);
    level_->AddGameObject(std::move(b), 0, false);
    hud_->tab = 5;
    level_->OnSaleTick();
    EXPECT_EQ(pa->coins, 1);
    EXPECT_EQ(pb->coins, 0);
    EXPECT_EQ(hud_->calls.back(), "refresh");
}

TEST_F(GameLogicTest, ClearLevelEmptiesEverything)
{
    level_->AddSlot(100, 100, 3, 1);
    level_->SpawnCustomer(0, 0, 0);
    level_->SpawnMonster(Wave(0, -1, 0));
    level_->AddSpawnEvent(Wave(0, -1, 0));
    level_->AddGameObject(std::make_unique<FakeStall>(3, kStallTrade), 0, false);
    const int32_t releases = helper_.releases;
    level_->ClearLevel();
    EXPECT_FALSE(level_->IsRunning());
    EXPECT_EQ(level_->GetStallCount(), 0);
    EXPECT_EQ(level_->GetSlotCount(), 0);
    EXPECT_EQ(level_->GetCustomerCount(), 0);
    EXPECT_EQ(level_->GetMonsterCount(), 0);
    EXPECT_TRUE(level_->GetSpawnQueue().empty());
    EXPECT_TRUE(level_->GetDepthList().empty());
    EXPECT_EQ(level_->GetNextObjectId(), 0);
    EXPECT_EQ(level_->GetMainClock().GetTime(), 0);
    EXPECT_TRUE(level_->GetMainClock().IsPaused());
    EXPECT_EQ(helper_.releases, releases + 1);
    // Clearing twice is harmless.
    level_->ClearLevel();
}

TEST_F(GameLogicTest, TheUpdateReachesHudHelperAndLightning)
{
    Frame(2);
    EXPECT_EQ(hud_->updates, 2);
    EXPECT_EQ(helper_.updates, 2);
    ASSERT_NE(factory_->lightning, nullptr);
    EXPECT_EQ(factory_->lightning->updates, 2);
    level_->StrikeLightning(3, 4);
    ASSERT_EQ(factory_->lightning->strikes.size(), 1u);
    EXPECT_EQ(factory_->lightning->strikes[0], std::make_pair(3, 4));
}

}  // namespace
