// A level in progress kept in the profile: the sample level restored from a
// stored snapshot, played on (a courier on its way, a stall being destroyed,
// a locked stall being bought, a slot being bought), saved, read back by a
// fresh profile and restored again; the snapshot's validity; another level
// leaving the saved one alone; damaged records restoring without harm.
#include <gtest/gtest.h>

#include <climits>

#include "game/app/Player.h"
#include "game/app/Singleton.h"
#include "game/app/support/ProfileFolder.h"
#include "game/level/GameLogic.h"
#include "game/level/support/LevelDataFixture.h"

namespace
{

class SnapshotTest : public LevelDataFixture
{
protected:
    SnapshotTest()
    {
        UseShippedAssets();
        player_ = TPlayer::GetInstance();
        player_->CreateNewUser("tester");
        player_->SetCurrentUser(0);
    }
    ~SnapshotTest() override
    {
        level_.reset();
        DestroySingletons();
    }
    // A new level logic started on level n, its trade stalls stocked 20.
    void StartFresh(int32_t n)
    {
        Make();
        factory_->tradeStock = 20;
        level_->StartLevel(n);
        // A stall's level is what its upgrades added, as on a real stall.
        for (FakeStall* s : factory_->stalls) s->level = s->addedLevels;
    }
    // The profile as a new run of the game reads it.
    void NewProfile()
    {
        DestroySingletons();
        player_ = TPlayer::GetInstance();
    }
    std::vector<int32_t> Stock() const
    {
        std::vector<int32_t> v;
        for (FakeStall* s : factory_->stalls) v.push_back(s->goods);
        return v;
    }

    gameapptest::ProfileFolder profile_;
    TPlayer* player_ = nullptr;
};

LevelSnapshot Saved()
{
    LevelSnapshot s;
    s.level = 1;
    s.valid = true;
    s.levelTime = 42000;
    s.money = 2500;
    s.mana = 180;
    s.workers = 5;
    s.slots = {{0, true, false}, {1, false, true}, {2, false, true}};
    // kind, description, slot, placed, level, broken, goods room
    s.gameObjects = {
        {kStallAttraction, 0, 1, true, 3, false, 0}, {kStallTrade, 1, 2, true, 2, false, 15},
        {kStallBonus, 0, 3, true, 1, true, 0},       {kStallAttraction, 1, 4, true, 0, false, 0},
        {kStallBonus, 2, 5, false, 0, false, 0},
    };
    s.payDrafts = {{kStallTrade, 2}};
    s.tradeTasks = {{1, 0, 0, 0, 0, 0, 0}, {2, 1, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}};
    s.bonusTasks = {{1, 1, 1, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0, 0}};
    s.attrTasks = {{1, 3, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0, 0}};
    s.goodsSold = 31;
    s.slotsBought = 2;
    s.monsters = {{60000, 45000, 0, 0, 50, 100, 10, 5000}, {150000, -1, 1, 0, 80, 150, 20, 4000}};
    s.monsterKills = {2, 1};
    return s;
}

TEST_F(SnapshotTest, ALevelSavedRestoresAndSavesTheSame)
{
    const LevelSnapshot s0 = Saved();
    player_->SaveLevelState(s0);
    StartFresh(1);

    // Restored: the stalls of the snapshot and none of the layout's.
    EXPECT_FALSE(player_->GetSavedLevel().valid) << "forgotten once restored";
    ASSERT_EQ(level_->GetStallCount(), 5);
    struct Expect
    {
        int32_t kind, description, slot, levels, state;
        bool active;
        int32_t goods;
    } expect[] = {
        {kStallAttraction, 0, 1, 3, kStateWorking, true, 0}, {kStallTrade, 1, 2, 2, kStateWorking, true, 5},
        {kStallBonus, 0, 3, 1, kStateBroken, true, 0},      {kStallAttraction, 1, 4, 0, kStateWorking, true, 0},
        {kStallBonus, 2, 5, 0, kStateWorking, false, 0},
    };
    ASSERT_EQ(factory_->stalls.size(), 5u);
    for (size_t i = 0; i < 5; ++i)
    {
        SCOPED_TRACE(i);
        const FakeStall& s = *factory_->stalls[i];
        EXPECT_EQ(s.kind, expect[i].kind);
        EXPECT_EQ(s.descriptionId, expect[i].description);
        EXPECT_EQ(s.slotIndex, expect[i].slot);
        EXPECT_EQ(s.addedLevels, expect[i].levels);
        EXPECT_EQ(s.state, expect[i].state);
        EXPECT_EQ(s.active, expect[i].active);
        EXPECT_EQ(s.goods, expect[i].goods);
        EXPECT_FALSE(level_->GetSlot(s.slotIndex)->forSale);
        EXPECT_EQ(level_->GetSlot(s.slotIndex)->covered, s.active) << "a locked stall books nothing";
    }
    EXPECT_EQ(level_->GetMainClock().GetTime(), 42000);
    EXPECT_EQ(level_->GetEconomic().GetMoney(), 2500);
    EXPECT_EQ(level_->GetEconomic().GetMana(), 180);
    EXPECT_EQ(level_->GetEconomic().GetWorkers(), 5);
    EXPECT_EQ(level_->GetEconomic().GetFreeWorkers(), 5);
    EXPECT_TRUE(level_->GetSlot(0)->forSale);
    EXPECT_EQ(level_->GetGoodsSold(), 31);
    EXPECT_EQ(level_->GetSlotsBought(), 2);
    EXPECT_EQ(level_->GetCounters(kStallTrade), s0.tradeTasks);
    EXPECT_EQ(level_->GetCounters(kStallBonus), s0.bonusTasks);
    EXPECT_EQ(level_->GetCounters(kStallAttraction), s0.attrTasks);
    ASSERT_EQ(level_->GetSpawnQueue().size(), 2u);
    EXPECT_EQ(level_->GetSpawnQueue()[1].ToSnapshot(), s0.monsters[1]);
    EXPECT_EQ(hud_->kills, s0.monsterKills);
    EXPECT_EQ(hud_->drafts, s0.payDrafts);
    EXPECT_FALSE(level_->GetDescriptions(kStallTrade)[2]->draft) << "its draft is paid";
    EXPECT_NE(std::find(hud_->calls.begin(), hud_->calls.end(), "update clock"), hud_->calls.end());
    // Replayed without paying: the snapshot's money stands, and the working
    // stalls earn as in play.
    EXPECT_GT(level_->GetEconomic().GetIncome(), 0);
    EXPECT_GT(level_->GetEconomic().GetIncomeTarget(), 0);
    const int32_t income = level_->GetEconomic().GetIncome();
    const int32_t target = level_->GetEconomic().GetIncomeTarget();

    // Played on.
    FakeStall& shop = *factory_->stalls[1];
    level_->SpawnCourier(0, shop.id, 3, 0, 0);
    factory_->stalls[3]->destroyed = true;  // the attraction on slot 4 goes
    factory_->stalls[4]->state = kStatePurchase;  // the locked one is being bought
    level_->BuySlot(0, false);                    // slot 0 is being bought
    ASSERT_TRUE(level_->GetSlot(0)->beingBought);
    fake_clock::gNow += 1000;

    const LevelSnapshot s1 = level_->MakeSnapshot();
    ASSERT_TRUE(s1.valid);
    EXPECT_EQ(s1.levelTime, 43000);
    EXPECT_EQ(s1.mana, 180 - level_->GetSlot(0)->manaCost);
    ASSERT_EQ(s1.slots.size(), 6u);
    EXPECT_EQ(s1.slots[0], (LevelSnapshot::Slot{0, false, true})) << "bought";
    EXPECT_EQ(s1.slots[4], (LevelSnapshot::Slot{4, false, true})) << "left free by the destruction";
    ASSERT_EQ(s1.gameObjects.size(), 4u) << "the stall being destroyed is left out";
    EXPECT_EQ(s1.gameObjects[1].goodsRoom, 12) << "the room less the load on its way";
    EXPECT_TRUE(s1.gameObjects[3].placed) << "paid for";
    EXPECT_EQ(s1.gameObjects[0], (LevelSnapshot::GameObject{kStallAttraction, 0, 1, true, 3, false, 0}));
    EXPECT_TRUE(s1.gameObjects[2].broken);
    level_->SaveLevelState();
    EXPECT_EQ(player_->GetSavedLevel(), s1);

    // Another level starts afresh and leaves the saved one alone.
    StartFresh(2);
    EXPECT_EQ(level_->GetStallCount(), 0);
    EXPECT_EQ(player_->GetSavedLevel(), s1);

    // The next run reads it back and restores it.
    NewProfile();
    EXPECT_EQ(player_->GetSavedLevel(), s1);
    StartFresh(1);
    ASSERT_EQ(level_->GetStallCount(), 4);
    EXPECT_EQ(Stock(), (std::vector<int32_t>{0, 8, 0, 0})) << "the stock with the load it paid for";
    EXPECT_TRUE(factory_->stalls[3]->active);
    EXPECT_TRUE(level_->GetSlot(0)->free);
    EXPECT_FALSE(level_->GetSlot(0)->forSale);
    EXPECT_TRUE(level_->GetSlot(4)->free);
    EXPECT_FALSE(level_->GetSlot(4)->covered);
    EXPECT_EQ(level_->GetEconomic().GetMana(), s1.mana) << "the slot's mana is not charged again";
    // The attraction on slot 4 no longer earns; the rest as before.
    EXPECT_LT(level_->GetEconomic().GetIncome(), income);
    EXPECT_LE(level_->GetEconomic().GetIncomeTarget(), target);
    // Saving again stores the same.
    const LevelSnapshot s2 = level_->MakeSnapshot();
    EXPECT_EQ(s2, s1);
    EXPECT_STREQ(GameObjectListText(s2).CStr(), GameObjectListText(s1).CStr());
    EXPECT_STREQ(SlotListText(s2).CStr(), SlotListText(s1).CStr());
}

TEST_F(SnapshotTest, NothingToResumeIsSavedInvalid)
{
    StartFresh(1);
    ASSERT_TRUE(level_->MakeSnapshot().valid);

    hud_->taskCount = 2;
    hud_->completedTasks = 2;
    EXPECT_FALSE(level_->MakeSnapshot().valid) << "every task complete";
    hud_->completedTasks = 1;
    EXPECT_TRUE(level_->MakeSnapshot().valid);

    level_->FinishLevel(true);
    EXPECT_FALSE(level_->MakeSnapshot().valid) << "being won";
    level_->SaveLevelState();
    EXPECT_FALSE(player_->GetSavedLevel().valid);
    EXPECT_EQ(player_->GetSavedLevel().level, 1);

    level_->ClearLevel();
    EXPECT_FALSE(level_->MakeSnapshot().valid) << "no level";
    level_->SaveLevelState();
    NewProfile();
    EXPECT_FALSE(player_->GetSavedLevel().valid);
    // The next start of the level begins afresh: the layout's stalls.
    StartFresh(1);
    EXPECT_EQ(level_->GetStallCount(), 3);
}

TEST_F(SnapshotTest, DamagedRecordsAreSkippedOrClamped)
{
    using O = LevelSnapshot::GameObject;
    struct Case
    {
        const char* what;
        std::vector<O> objects;
        int32_t stalls;
        int32_t levels;  // of the first stall
        int32_t goods;   // of the first stall
    } cases[] = {
        {"a kind outside 0..2", {{7, 0, 1, true, 0, false, 0}, {-1, 0, 1, true, 0, false, 0}}, 0, 0, 0},
        {"no such description", {{kStallTrade, 99, 1, true, 0, false, 0}, {kStallBonus, -3, 1, true, 0, false, 0}}, 0, 0, 0},
        {"no such slot", {{kStallTrade, 0, 42, true, 0, false, 0}, {kStallTrade, 0, -1, true, 0, false, 0}}, 0, 0, 0},
        {"a huge upgrade count", {{kStallAttraction, 0, 1, true, INT_MAX, false, 0}}, 1, 3, 0},
        {"a negative upgrade count", {{kStallAttraction, 0, 1, true, -4, false, 0}}, 1, 0, 0},
        {"a room beyond the stock", {{kStallTrade, 0, 1, true, 0, false, 1000}}, 1, 0, 0},
        {"a negative room", {{kStallTrade, 0, 1, true, 0, false, -5}}, 1, 0, 20},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        LevelSnapshot s = Saved();
        s.gameObjects = c.objects;
        s.slots.push_back({77, true, true});
        s.payDrafts = {{9, 0}, {kStallTrade, 50}, {kStallBonus, 1}};
        s.tradeTasks = {{5, 5, 5, 5, 5, 5, 5}};  // short
        s.attrTasks.resize(9, {1, 1, 1, 1, 1, 1, 1});  // long
        player_->SaveLevelState(s);
        StartFresh(1);
        ASSERT_EQ(level_->GetStallCount(), c.stalls);
        if (c.stalls > 0)
        {
            EXPECT_EQ(factory_->stalls[0]->addedLevels, c.levels);
            EXPECT_EQ(factory_->stalls[0]->goods, c.goods);
        }
        EXPECT_EQ(hud_->drafts, (std::vector<LevelSnapshot::PayDraft>{{kStallBonus, 1}}));
        ASSERT_EQ(level_->GetCounters(kStallTrade).size(), 3u);
        EXPECT_EQ(level_->GetCounters(kStallTrade)[0][0], 5);
        EXPECT_EQ(level_->GetCounters(kStallTrade)[2][0], 0);
        EXPECT_EQ(level_->GetCounters(kStallAttraction).size(), 2u);
        EXPECT_FALSE(player_->GetSavedLevel().valid);
    }
}

}  // namespace
