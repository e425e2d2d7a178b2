// Monsters: a walker's life to its portal, a flyer's aim and entry, the
// action table with its hints, spawns it cannot use, damage and death,
// shields, lightning during an attack, and the retreat.
#include "game/level/Monster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game/app/MyAnimSprite.h"
#include "game/level/support/WalkerFixture.h"

namespace
{

std::string MonsterScript(int moveType, int actionId, int shieldType, int speed = 100)
{
    return "Main = { image_pattern = 'monster_0:images/game_logic/humans/monster_0/%s%d',\n"
           "  image_action = 'monster_0:images/game_logic/humans/monster_0/action_%s%d',\n"
           "  shield_image = 'monster_0:images/game_logic/humans/monster_0/shield_%s%d',\n"
           "  move_type = " + std::to_string(moveType) + ", speed = " + std::to_string(speed) +
           ", action_id = " + std::to_string(actionId) + ", shield_type = " + std::to_string(shieldType) +
           ", shield_time = 3000, shield_disp_place = 2, action_time = 500, post_action_time = 300,\n"
           "  sound_attack = 'a:attack', sound_kill = 'a:kill', sound_shot = 'a:shot' }\n"
           "BubbleInfo = { place_x = 4, place_y = -60, name = 'monster_name_0' }\n";
}

class MonsterTest : public WalkerFixture
{
protected:
    MonsterTest()
    {
        level_->monsterEntries = {Centre(2, 2)};
        UseScript(0, 1, -1);
    }
    void UseScript(int moveType, int actionId, int shieldType, int speed = 100)
    {
        PutAsset("scripts/game_logic/monsters/monster_0.lua", MonsterScript(moveType, actionId, shieldType, speed));
    }
    FakeStall& Stall(int32_t stallId, int column, int row, int32_t kind = kStallTrade)
    {
        FakeStall& s = level_->AddStall(stallId, kind, column * 20, row * 10);
        s.placeOffsetX = column;
        s.placeOffsetY = row;
        return s;
    }
    std::unique_ptr<Monster> Spawn(float health = 10.0f, float damage = 4.0f, int32_t value = 0)
    {
        auto m = std::make_unique<Monster>(*level_, 0);
        m->SetSpawnParameters(0, 25, health, damage);
        m->Spawn(1, -1, -1, value);
        return m;
    }
    int Run(Monster& m, int frames, const std::function<bool()>& until = nullptr)
    {
        return Frames(frames, [&] { m.Update(); }, until);
    }
};

TEST_F(MonsterTest, AWalkerAttacksGoesHomeAndLeavesWithoutMana)
{
    FakeStall& stall = Stall(4, 10, 8);
    auto m = Spawn();
    EXPECT_TRUE(m->IsHidden());
    EXPECT_TRUE(m->IsAtPortal());
    EXPECT_EQ(m->GetTargetStallId(), 4);
    EXPECT_STREQ(m->GetDisplayName().CStr(), "monster_name_0");
    EXPECT_EQ(m->GetBubblePlace(), TPoint(4, -60));
    Run(*m, 200, [&] { return !m->IsHidden(); });
    EXPECT_GE(fake_clock::gNow, 2000u);
    EXPECT_EQ(level_->CallsOf("sound game_logic_audio:audio/sound/game_logic/monster/portal_open").size(), 1u);
    Run(*m, 2000, [&] { return m->IsInAction(); });
    EXPECT_EQ(stall.outOfService, 1);
    EXPECT_EQ(level_->CallsOf("sound a:attack").size(), 1u);
    Run(*m, 2000, [&] { return !stall.reports.empty(); });
    EXPECT_EQ(stall.state, kStateBroken);
    EXPECT_EQ(stall.outOfService, 0);
    EXPECT_EQ(level_->CallsOf("hint "), std::vector<std::string>{"hint 5"});
    Run(*m, 4000, [&] { return m->done; });
    EXPECT_TRUE(m->done);
    EXPECT_TRUE(level_->CallsOf("kill ").empty());
    EXPECT_TRUE(level_->CallsOf("mana ").empty());
}

TEST_F(MonsterTest, NoServiceableStallOrNoEntryIsDoneAtOnce)
{
    struct Case
    {
        const char* name;
        bool serviceable;
        int entries;
    } cases[] = {{"no stall to attack", false, 1}, {"no entry", true, 0}};
    for (const Case& k : cases)
    {
        level_->stalls.clear();
        Stall(4, 10, 8).serviceable = k.serviceable;
        level_->monsterEntries.assign(static_cast<size_t>(k.entries), Centre(2, 2));
        auto m = Spawn();
        EXPECT_TRUE(m->done) << k.name;
        EXPECT_TRUE(m->IsHidden()) << k.name;
        EXPECT_TRUE(level_->CallsOf("kill ").empty());
    }
}

TEST_F(MonsterTest, ActionTableWithHints)
{
    struct Case
    {
        int32_t action;
        int32_t kind;
        int32_t level;
        const char* hint;
        int32_t state;
        int32_t levelAfter;
        int32_t goodsAfter;
        bool destroyed;
        std::vector<std::string> slotCalls;
    } cases[] = {
        {0, kStallTrade, 0, "hint 3", kStateWorking, 0, 0, false, {}},
        {0, kStallAttraction, 0, nullptr, kStateWorking, 0, 9, false, {}},
        {1, kStallTrade, 0, "hint 5", kStateBroken, 0, 9, false, {}},
        {2, kStallTrade, 2, "hint 4", kStateWorking, 1, 9, false, {}},
        {2, kStallTrade, 0, nullptr, kStateWorking, 0, 9, false, {}},
        {3, kStallTrade, 1, "hint 4", kStateWorking, 0, 9, false, {}},
        {3, kStallTrade, 0, "hint 5", kStateBroken, 0, 9, false, {}},
        {4, kStallTrade, 0, "hint 5", kStateWorking, 0, 9, true, {"free-slot 3"}},
        {5, kStallTrade, 0, nullptr, kStateWorking, 0, 9, true, {"free-slot 3", "reset-slot 3"}},
    };
    for (const Case& k : cases)
    {
        UseScript(0, k.action, -1);
        level_->stalls.clear();
        level_->calls.clear();
        FakeStall& s = Stall(4, 10, 8, k.kind);
        s.level = k.level;
        s.goods = 9;
        s.slotIndex = 3;
        s.outOfService = 1;
        auto m = Spawn();
        level_->calls.clear();
        m->ApplyAction(4);
        const std::string what = "action " + std::to_string(k.action) + " kind " + std::to_string(k.kind);
        EXPECT_EQ(s.outOfService, 0) << what;
        EXPECT_EQ(level_->CallsOf("hint "), k.hint ? std::vector<std::string>{k.hint} : std::vector<std::string>{})
            << what;
        EXPECT_EQ(s.state, k.state) << what;
        EXPECT_EQ(s.level, k.levelAfter) << what;
        EXPECT_EQ(s.goods, k.goodsAfter) << what;
        EXPECT_EQ(s.destroyed, k.destroyed) << what;
        std::vector<std::string> slotCalls = level_->CallsOf("free-slot ");
        for (const std::string& r : level_->CallsOf("reset-slot ")) slotCalls.push_back(r);
        EXPECT_EQ(slotCalls, k.slotCalls) << what;
    }
    // A stall gone by then is not touched.
    auto m = Spawn();
    level_->calls.clear();
    m->ApplyAction(77);
    EXPECT_TRUE(level_->calls.empty());
}

TEST_F(MonsterTest, AStallRemovedDuringTheAttackIsLeftAlone)
{
    struct Case
    {
        const char* name;
        int moveType;
        bool forgotten;  // the level tells the monster before deleting the stall
        bool struck;     // lightning cuts the attack short afterwards
    } const cases[] = {
        {"walker, told", 0, true, false},
        {"walker, not told", 0, false, false},
        {"walker, struck after", 0, false, true},
        {"flyer, told", 1, true, false},
        {"flyer, not told", 1, false, true},
    };
    for (const Case& k : cases)
    {
        UseScript(k.moveType, 4, -1);
        level_->stalls.clear();
        level_->randomDraws = {0};
        level_->nextDraw = 0;
        Stall(4, 20, 30);
        auto m = Spawn(10.0f, 4.0f, 500);
        Run(*m, 2000, [&] { return m->IsInAction(); });
        ASSERT_TRUE(m->IsInAction()) << k.name;
        if (k.forgotten) m->ForgetTargetStall();
        level_->stalls.clear();
        level_->calls.clear();
        if (k.struck) m->Hit(true, false);
        Run(*m, 300);
        // Nothing was applied to a stall that is gone, and the monster goes on.
        EXPECT_TRUE(level_->CallsOf("hint ").empty()) << k.name;
        EXPECT_TRUE(level_->CallsOf("free-slot ").empty()) << k.name;
        EXPECT_FALSE(m->IsInAction() && m->IsActionRunning() && m->GetTargetStallId() == 4) << k.name;
        if (k.moveType == 0)
        {
            Run(*m, 6000, [&] { return m->done; });
            EXPECT_TRUE(m->done) << k.name;
            EXPECT_TRUE(level_->CallsOf("kill ").empty()) << k.name;
        }
    }
}

TEST_F(MonsterTest, ClicksCostHealthAndTheThirdKills)
{
    Stall(4, 10, 8);
    auto m = Spawn(10.0f, 4.0f);
    Run(*m, 200, [&] { return !m->IsHidden(); });
    level_->calls.clear();
    m->Hit(false, false);
    m->Hit(false, false);
    EXPECT_EQ(level_->CallsOf("click "), (std::vector<std::string>{"click 0,0 1", "click 0,0 0"}));
    EXPECT_FALSE(m->IsDying());
    m->Hit(false, false);
    EXPECT_TRUE(m->IsDying());
    EXPECT_EQ(level_->CallsOf("kill "), std::vector<std::string>{"kill 0"});
    EXPECT_EQ(level_->CallsOf("mana ").size(), 1u);
    EXPECT_EQ(level_->CallsOf("sound a:kill").size(), 1u);
    EXPECT_EQ(level_->CallsOf("sound a:shot").size(), 2u);
    EXPECT_FALSE(m->OnClick(0, 0));
    Run(*m, 100, [&] { return m->done; });
    EXPECT_TRUE(m->done);
    // A second death counts nothing more.
    m->Die(false);
    EXPECT_EQ(level_->CallsOf("kill ").size(), 1u);
}

TEST_F(MonsterTest, ClickStageStaysWithinTheShippedParticles)
{
    struct Case
    {
        float health, damage;
        int32_t stage;
    } cases[] = {{10, 0, 2}, {0, 0, 0}, {-5, 1, 0}, {10, 4, 1}};
    for (const Case& k : cases)
    {
        level_->stalls.clear();
        Stall(4, 10, 8);
        auto m = Spawn(k.health, k.damage);
        level_->calls.clear();
        m->Hit(false, true);
        const std::vector<std::string> clicks = level_->CallsOf("click ");
        if (k.health - k.damage > 0)
        {
            ASSERT_EQ(clicks.size(), 1u);
            EXPECT_EQ(clicks[0].back() - '0', k.stage) << k.health << " " << k.damage;
        }
        EXPECT_LE(m->ClickStage(), 2);
        EXPECT_GE(m->ClickStage(), 0);
    }
}

TEST_F(MonsterTest, ShieldsByType)
{
    struct Case
    {
        int32_t type;
        bool on;
        const char* pattern;
    } cases[] = {
        {-1, false, "monster_0:images/game_logic/humans/monster_0/%s%d"},
        {0, true, "monster_0:images/game_logic/humans/monster_0/shield_%s%d"},
        {1, true, "monster_0:images/game_logic/humans/monster_0/shield_%s%d"},
        {2, true, "monster_0:images/game_logic/humans/monster_0/shield_%s%d"},
        {3, true, "monster_0:images/game_logic/humans/monster_0/%s%d"},
    };
    for (const Case& k : cases)
    {
        UseScript(0, 1, k.type);
        level_->stalls.clear();
        Stall(4, 20, 30);
        auto m = Spawn(100.0f, 4.0f);
        Run(*m, 200, [&] { return !m->IsHidden(); });
        Run(*m, 10);
        const float health = m->GetHealth();
        m->Hit(false, false);
        EXPECT_EQ(m->IsShieldOn(), k.on) << k.type;
        EXPECT_STREQ(m->GetImagePattern().CStr(), k.pattern) << k.type;
        EXPECT_FLOAT_EQ(m->GetHealth(), health - 4.0f);
        if (k.type == 1 || k.type == 2)
        {
            EXPECT_FALSE(m->IsWalking()) << k.type;
        }
        if (k.type == 3)
        {
            EXPECT_EQ(m->GetSpeed(), 50);  // 100 - 0.5 x 100
            EXPECT_TRUE(m->IsAtPortal());
        }
        if (k.type >= 0 && k.type <= 2)
        {
            Run(*m, 100);
            EXPECT_TRUE(m->IsShieldOn()) << k.type;
        }
        // It ends at the shield time.
        Run(*m, 400, [&] { return !m->IsShieldOn(); });
        EXPECT_FALSE(m->IsShieldOn()) << k.type;
        if (k.type == 3)
        {
            EXPECT_EQ(m->GetSpeed(), 100);
        }
        if (k.type >= 0 && k.type <= 2)
        {
            EXPECT_STREQ(m->GetImagePattern().CStr(), "monster_0:images/game_logic/humans/monster_0/%s%d");
        }
    }
}

TEST_F(MonsterTest, AnAttackIsNotDamagedByClicksButLightningEndsIt)
{
    FakeStall& stall = Stall(4, 10, 8);
    auto m = Spawn(10.0f, 4.0f);
    Run(*m, 2000, [&] { return m->IsInAction(); });
    ASSERT_TRUE(m->IsInAction());
    EXPECT_TRUE(m->OnClick(100, 100));
    EXPECT_FLOAT_EQ(m->GetHealth(), 10.0f);
    EXPECT_EQ(stall.outOfService, 1);
    m->Hit(true, false);
    EXPECT_EQ(stall.outOfService, 0);
    EXPECT_FLOAT_EQ(m->GetHealth(), 6.0f);
    EXPECT_FALSE(m->IsActionRunning());
    EXPECT_TRUE(m->IsRetreating());
    // The stall was not harmed.
    Run(*m, 1);
    EXPECT_TRUE(stall.reports.empty());
}

TEST_F(MonsterTest, LightningSendsAWalkerBackToItsFourthVisitedCell)
{
    Stall(4, 2, 20);
    auto m = Spawn(10.0f, 1.0f);
    Run(*m, 200, [&] { return !m->IsHidden(); });
    Run(*m, 2000, [&] { return m->GetVisited().size() >= 10; });
    ASSERT_EQ(m->GetVisited().size(), 10u);
    const TGridCell fourth = m->GetVisited()[3];
    m->Hit(true, false);
    EXPECT_TRUE(m->IsRetreating());
    ASSERT_FALSE(m->GetPath().empty());
    EXPECT_EQ(m->GetPath().back(), fourth);
    Run(*m, 2000, [&] { return !m->IsRetreating(); });
    EXPECT_EQ(m->GetCell(), fourth);
    EXPECT_FALSE(m->struck);
    EXPECT_EQ(m->GetTargetStallId(), 4);
}

TEST_F(MonsterTest, AFlyerAimsAtAStallAndComesFromBeyondTheEdge)
{
    UseScript(1, 1, -1, 100);
    FakeStall& stall = Stall(4, 20, 30);  // at (400, 300)
    level_->randomDraws = {0};            // even: flies in from the right; the first stall
    auto m = Spawn(10.0f, 4.0f, 500);
    EXPECT_EQ(m->GetMoveType(), 1);
    Run(*m, 200, [&] { return !m->IsHidden(); });
    // Aim: s = 20 for a flight step of -20: (400 - 20 x 11 - 10, 300 + 20 - 135).
    const TPoint aim(170, 185);
    const TGridCell aimCell = WalkGrid::PixelToCell(aim.x, aim.y);
    ASSERT_EQ(m->GetPath().size(), 0u);
    EXPECT_EQ(m->GetVisited().back(), aimCell);
    // From the aim, steps of (-20, -10) leave the screen after 9 steps.
    EXPECT_EQ(m->GetBaseSpeed(), 100 * 9);
    EXPECT_EQ(m->GetTargetStallId(), 4);
    Run(*m, 2000, [&] { return m->IsInAction(); });
    EXPECT_EQ(stall.outOfService, 1);
    Run(*m, 400, [&] { return stall.state == kStateBroken; });
    EXPECT_EQ(stall.state, kStateBroken);
    EXPECT_EQ(stall.outOfService, 0);
}

}  // namespace
