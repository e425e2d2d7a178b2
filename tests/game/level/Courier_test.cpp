// Couriers: the progress of the walk, the transport stall's speed and trip
// with its visitor entries, the delivery and the empty pattern after it,
// the location-bound kinds, levels without entries, and stalls that go away
// while a courier counts on them.
#include "game/level/Courier.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game/level/support/WalkerFixture.h"

namespace
{

std::string CourierScript(int n, int speed)
{
    return "Main = { image_pattern_full = 'employee_" + std::to_string(n) +
           ":images/game_logic/humans/employee_" + std::to_string(n) + "/full_%s%d',\n"
           "  image_pattern_empty = 'employee_" + std::to_string(n) +
           ":images/game_logic/humans/employee_" + std::to_string(n) + "/empty_%s%d',\n"
           "  move_type = " + std::to_string(n) + ", speed = " + std::to_string(speed) +
           ", sound_complete = 'game_logic_audio:audio/sound/game_logic/courier_walk', z_disp = 3 }\n";
}

class CourierTest : public WalkerFixture
{
protected:
    CourierTest()
    {
        for (int n = 0; n < 4; ++n)
            PutAsset("scripts/game_logic/couriers/courier_" + std::to_string(n) + ".lua", CourierScript(n, 1000));
        level_->customerEntries = {Centre(2, 2)};
        level_->common.locat = {0, 0, 0, 0, 0, 0};
        target_ = &level_->AddStall(4, kStallTrade, 200, 200);
        target_->placeOffsetX = 10;
        target_->placeOffsetY = 2;
        target_->goodsLimit = 100;
        level_->selectedStallId = 4;
    }
    // A working transport stall of bonus value v whose area covers the
    // target, with its place 2's paths.
    FakeStall& Transport(int32_t value)
    {
        desc_.bonusType = Courier::kTransportBonus;
        desc_.bonus = {value};
        FakeStall& t = level_->AddStall(9, kStallBonus, 100, 100);
        t.description = &desc_;
        t.area = {{200, 200}};
        t.placeOffsetX = 5;
        t.placeOffsetY = 10;
        t.pathsOut = {{}, {}, {{5, 9}, {5, 10}}};
        t.pathsIn = {{}, {}, {{5, 9}, {4, 9}}};
        return t;
    }
    std::unique_ptr<Courier> Spawn(int32_t load = 5)
    {
        auto c = std::make_unique<Courier>(*level_, 0, 4);
        c->SetLoad(load);
        c->CreateSprites(3, -100, -100);
        return c;
    }
    int Run(Courier& c, int frames, const std::function<bool()>& until = nullptr)
    {
        return Frames(frames, [&] { c.Update(); }, until);
    }

    SBonusStallDesc desc_;
    FakeStall* target_ = nullptr;
};

TEST_F(CourierTest, ProgressRisesAlongTheWalkAndDeliveryAddsTheLoad)
{
    auto c = Spawn(7);
    EXPECT_EQ(c->GetMoveType(), 0);
    EXPECT_EQ(c->GetScriptMoveType(), 0);
    EXPECT_EQ(c->depthOffset, 3);
    EXPECT_EQ(target_->courierId, 3);
    EXPECT_FLOAT_EQ(c->GetProgress(), 0.0f);
    float last = 0.0f;
    Run(*c, 2000, [&] {
        if (c->IsReturning()) return true;
        const float p = c->GetProgress();
        EXPECT_GE(p, last - 1e-4f);
        last = p;
        return c->IsReturning();
    });
    EXPECT_GT(last, 0.9f);
    EXPECT_EQ(target_->goods, 7);
    EXPECT_EQ(target_->courierId, -1);
    EXPECT_EQ(level_->CallsOf("sound ").size(), 1u);
    EXPECT_EQ(level_->CallsOf("loop "), std::vector<std::string>{"loop game_logic_audio:audio/sound/game_logic/courier_walk"});
    EXPECT_EQ(level_->CallsOf("stop ").size(), 1u);
    // The empty pattern from the very next step on.
    EXPECT_STREQ(c->GetImagePattern().CStr(), "employee_0:images/game_logic/humans/employee_0/empty_%s%d");
    EXPECT_NE(c->GetDirection(), -1);
    Run(*c, 3000, [&] { return c->done; });
    EXPECT_TRUE(c->done);
    EXPECT_EQ(target_->goods, 7);
}

TEST_F(CourierTest, TransportValueSetsTheSpeed)
{
    struct Case
    {
        int32_t value;
        int32_t speed;
    } cases[] = {{150, 500}, {100, 1000}, {200, 0}};
    for (const Case& k : cases)
    {
        level_->stalls.clear();
        target_ = &level_->AddStall(4, kStallTrade, 200, 200);
        Transport(k.value);
        auto c = Spawn();
        EXPECT_EQ(c->GetMoveType(), 1) << k.value;
        EXPECT_EQ(c->GetSpeed(), k.speed) << k.value;
        EXPECT_EQ(c->GetBaseSpeed(), k.speed) << k.value;
    }
}

TEST_F(CourierTest, TransportTripKeepsTheVisitorEntries)
{
    FakeStall& t = Transport(100);
    auto c = Spawn(4);
    EXPECT_EQ(c->GetMoveType(), 1);
    EXPECT_FALSE(c->visible);
    EXPECT_EQ(t.visitors, std::vector<int32_t>{3});
    Run(*c, 2000, [&] { return c->GetStage() == 1; });
    EXPECT_TRUE(c->visible);
    EXPECT_TRUE(t.visitors.empty());
    Run(*c, 4000, [&] { return c->IsReturning(); });
    EXPECT_EQ(target_->goods, 4);
    Run(*c, 4000, [&] { return c->GetStage() == 1; });
    EXPECT_EQ(t.visitors, std::vector<int32_t>{3});
    EXPECT_FALSE(c->visible);
    Run(*c, 4000, [&] { return c->done; });
    EXPECT_TRUE(c->done);
    EXPECT_TRUE(t.visitors.empty());
}

TEST_F(CourierTest, LocationKindsLoadTheirScriptsAndDeliver)
{
    struct Case
    {
        int32_t level;
        std::vector<int32_t> locat;
        int32_t moveType;
    } cases[] = {
        {1, {1}, 2}, {12, {0, 4}, 3}, {52, {0, 1}, 2}, {57, {0, 4}, 3}, {60, {1}, 0}, {3, {7}, 0},
    };
    for (const Case& k : cases)
    {
        level_->levelNumber = k.level;
        level_->common.locat = k.locat;
        target_->goods = 0;
        auto c = Spawn(2);
        EXPECT_EQ(c->GetMoveType(), k.moveType) << k.level;
        EXPECT_EQ(c->GetScriptMoveType(), k.moveType) << k.level;
        Run(*c, 6000, [&] { return c->done; });
        EXPECT_TRUE(c->done) << k.level;
        EXPECT_EQ(target_->goods, 2) << k.level;
    }
}

TEST_F(CourierTest, NoEntryHandsTheLoadOverAtOnce)
{
    level_->customerEntries.clear();
    auto c = Spawn(6);
    EXPECT_TRUE(c->done);
    EXPECT_EQ(target_->goods, 6);
    EXPECT_NE(Log().find("no entry"), std::string::npos);
}

TEST_F(CourierTest, TargetRemovedOnTheWaySendsItHome)
{
    auto c = Spawn(6);
    Run(*c, 20);
    // As the level removes a stall: the courier forgets it and arrives.
    level_->stalls.clear();
    c->ForgetTargetStall();
    c->OnArrive();
    EXPECT_TRUE(c->IsReturning());
    Run(*c, 4000, [&] { return c->done; });
    EXPECT_TRUE(c->done);
}

TEST_F(CourierTest, TransportStallRemovedWithTheCourierInside)
{
    Transport(100);
    struct Case
    {
        const char* when;
        std::function<bool(const Courier&)> at;
    } cases[] = {
        {"on the way out", [](const Courier& c) { return !c.visible; }},
        {"on the way back in", [](const Courier& c) { return c.IsReturning() && c.GetStage() == 1; }},
    };
    for (const Case& k : cases)
    {
        auto c = Spawn(1);
        Run(*c, 6000, [&] { return k.at(*c); });
        // The transport stall crashes and is gone.
        auto& stalls = level_->stalls;
        stalls.erase(std::remove_if(stalls.begin(), stalls.end(), [](auto& s) { return s->id == 9; }), stalls.end());
        Run(*c, 6000, [&] { return c->done; });
        EXPECT_TRUE(c->done) << k.when;
        EXPECT_TRUE(c->visible) << k.when;
        Transport(100);
    }
}

}  // namespace
