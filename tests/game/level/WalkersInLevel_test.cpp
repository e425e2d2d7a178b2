// The walkers of the real factory in a level logic: a courier the level
// spawns walks to its stall, hands its load over, walks out and is removed;
// a monster the level spawns comes out of its portal, is killed, and its mana
// drop flies to the counter and credits the economy once; customers walk the
// level's grid and leave when told. No resource group is loaded.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/AssetIndex.h"
#include "core/FileTestSupport.h"
#include "core/support/FakeClock.h"
#include "game/level/GameLogic.h"
#include "game/level/LevelFactory.h"
#include "game/level/support/LevelFakes.h"

namespace
{

// The walker scripts, in a private asset folder made before the level.
class WalkerScripts
{
public:
    WalkerScripts()
    {
        Put("resources.lua", "");
        Put("scripts/game_logic/customers/customer_0.lua",
            "Main = { image_pattern = 'c:%s%d', happy_pattern = 'c:happy', speed = 200 }\n");
        Put("scripts/game_logic/couriers/courier_0.lua",
            "Main = { image_pattern_full = 'e:full_%s%d', image_pattern_empty = 'e:empty_%s%d', "
            "move_type = 0,\n"
            "         speed = 200, sound_complete = 'game_logic_audio:walk' }\n");
        Put("scripts/game_logic/monsters/monster_0.lua",
            "Main = { image_pattern = 'm:%s%d', image_action = 'm:action_%s%d', move_type = 0, "
            "speed = 200,\n"
            "         action_id = 1, sound_kill = 'game_logic_audio:kill' }\n"
            "BubbleInfo = { name = 'monster_name_0' }\n");
    }
    void Put(const std::string& name, const std::string& text)
    {
        tree_.Write("assets/" + name, text);
        ClearAssetIndex();
        ScanAssetFolder("assets", "");
    }

private:
    filetest::TempTree tree_;
};

// Stalls are the fakes; walkers, drops and the lightning are the game's.
class RealWalkersFactory : public FakeFactory
{
public:
    std::unique_ptr<TLevelWalker> MakeWalker(ILevelContext& level, int32_t kind, int32_t type,
                                             int32_t targetStallId) override
    {
        return real_.MakeWalker(level, kind, type, targetStallId);
    }
    std::unique_ptr<TLevelManaDrop> MakeManaDrop(ILevelContext& level) override
    {
        return real_.MakeManaDrop(level);
    }
    std::unique_ptr<TLevelLightning> MakeLightning(ILevelContext& level) override
    {
        return real_.MakeLightning(level);
    }

private:
    TLevelFactory real_;
};

class WalkersInLevelTest : public ::testing::Test
{
protected:
    static constexpr uint32_t kFrameMs = 16;

    WalkersInLevelTest()
    {
        fake_clock::gNow = 0;
        SetClockTimeSource(&fake_clock::FakeNow);
        SetLevelHudMaker(
            [this](TGameLogic&)
            {
                auto hud = std::make_unique<FakeHud>();
                hud_ = hud.get();
                return hud;
            });
        SetLevelHelper(&helper_);
        level_ = std::make_unique<TGameLogic>(std::make_unique<RealWalkersFactory>(), 1234);
        level_->SetSoundSink(
            [this](const TString& name, bool loop, bool stop) {
                sounds_.push_back(std::string(stop ? "stop " : loop ? "loop " : "") + name.CStr());
            });
        level_->BeginLevel(1, 0);
        level_->GetCustomerEntriesForLoading() = {Centre(2, 20)};
        level_->GetMonsterEntriesForLoading() = {Centre(30, 20)};
        level_->SetManaTarget(TFloatPoint(700, 580), 500);
    }
    ~WalkersInLevelTest() override
    {
        level_.reset();
        SetLevelHelper(nullptr);
        SetLevelHudMaker(nullptr);
        SetClockTimeSource(nullptr);
    }

    static TPoint Centre(int column, int row) { return TPoint(column * 20 + 10, row * 10 + 5); }
    // Frames of 16 ms until done holds; the frames run.
    int FramesUntil(int most, const std::function<bool()>& done)
    {
        for (int i = 0; i < most; ++i)
        {
            if (done()) return i;
            fake_clock::gNow += kFrameMs;
            level_->Update();
        }
        return most;
    }
    // A working fake stall with its anchor on the cell.
    FakeStall& Stall(int32_t id, int column, int row)
    {
        auto stall = std::make_unique<FakeStall>(id, kStallTrade);
        FakeStall& s = *stall;
        level_->AddGameObject(std::move(stall), -1, false);
        s.placeOffsetX = column;
        s.placeOffsetY = row;
        s.goodsLimit = 50;
        return s;
    }

    WalkerScripts scripts_;
    FakeHud* hud_ = nullptr;
    FakeHelper helper_;
    std::unique_ptr<TGameLogic> level_;
    std::vector<std::string> sounds_;
};

TEST_F(WalkersInLevelTest, ACourierDeliversAndIsRemoved)
{
    FakeStall& stall = Stall(7, 15, 30);
    level_->SpawnCourier(0, 7, 12, -100, -100);
    ASSERT_EQ(level_->GetCourierCount(), 1);
    TLevelWalker* courier = level_->GetCourierAt(0);
    EXPECT_EQ(courier->GetTargetStallId(), 7);
    EXPECT_EQ(stall.courierId, courier->id);
    FramesUntil(2000, [&] { return stall.goods > 0; });
    EXPECT_EQ(stall.goods, 12);
    EXPECT_EQ(stall.courierId, -1);
    FramesUntil(2000, [&] { return level_->GetCourierCount() == 0; });
    EXPECT_EQ(level_->GetCourierCount(), 0);
    // Its walking sound looped while it carried the load.
    EXPECT_EQ(std::count(sounds_.begin(), sounds_.end(), "loop game_logic_audio:walk"), 1);
    EXPECT_EQ(std::count(sounds_.begin(), sounds_.end(), "stop game_logic_audio:walk"), 1);
}

TEST_F(WalkersInLevelTest, AMonsterKilledLeavesManaThatArrivesOnce)
{
    Stall(7, 15, 30);
    SpawnEvent wave;
    wave.entryIndex = 0;
    wave.manaReward = 40;
    wave.health = 8;
    wave.damage = 4;
    wave.value = 1000;
    level_->SpawnMonster(wave);
    ASSERT_EQ(level_->GetMonsterCount(), 1);
    TLevelWalker* monster = level_->GetMonsterAt(0);
    const int32_t monsterId = monster->id;
    // Out of its portal after 2 s; two hits kill it.
    FramesUntil(200, [&] { return monster->visible && fake_clock::gNow > 2000; });
    const int32_t mana = level_->GetEconomic().GetMana();
    monster->Hit(false, false);
    monster->Hit(false, false);
    EXPECT_TRUE(monster->IsDying());
    EXPECT_EQ(hud_->calls, std::vector<std::string>{"kill 0"});
    EXPECT_EQ(level_->GetManaDropCount(), 1);
    FramesUntil(200, [&] { return level_->FindMonster(monsterId) == nullptr; });
    EXPECT_EQ(level_->GetMonsterCount(), 0);
    FramesUntil(200, [&] { return level_->GetManaDropCount() == 0; });
    EXPECT_EQ(level_->GetManaDropCount(), 0);
    EXPECT_EQ(level_->GetEconomic().GetMana(), mana + 40);
}

TEST_F(WalkersInLevelTest, CustomersWalkTheGridAndLeaveWhenTold)
{
    level_->SpawnCustomer(0, 0, 0);
    level_->SpawnCustomer(0, 0, 0);
    ASSERT_EQ(level_->GetCustomerCount(), 2);
    FramesUntil(60, [] { return false; });
    for (int i = 0; i < level_->GetCustomerCount(); ++i)
    {
        TLevelWalker* c = level_->GetCustomerAt(i);
        EXPECT_NE(c->GetPosition().x, static_cast<float>(Centre(2, 20).x))
            << "customer " << i << " did not move";
        c->Leave();
    }
    FramesUntil(5000, [&] { return level_->GetCustomerCount() == 0; });
    EXPECT_EQ(level_->GetCustomerCount(), 0);
}

}  // namespace
