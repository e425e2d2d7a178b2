// The level's short effects: lightning bolts (their plan, flicker and end),
// mana drops (the curve, a drop without room or time), and the worker
// figure (its places, mirroring and timed sequence).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "game/app/MyAnimSprite.h"
#include "game/app/MyParticle.h"
#include "game/level/Customer.h"
#include "game/level/LevelFactory.h"
#include "game/level/LightningManager.h"
#include "game/level/ManaDrop.h"
#include "game/level/WorkerMagicEffect.h"
#include "game/level/support/WalkerFixture.h"

namespace
{

using LevelEffectsTest = WalkerFixture;

TEST_F(LevelEffectsTest, BoltPlan)
{
    struct Case
    {
        const char* name;
        TPoint source, target;
        int32_t height;
        int32_t count;
        float angle;
    } cases[] = {
        {"100 px right, step 20", {0, 0}, {100, 0}, 25, 5, 0.0f},
        {"a remainder of half a step adds a piece", {0, 0}, {110, 0}, 25, 6, 0.0f},
        {"straight down", {0, 0}, {0, 40}, 25, 2, 1.5707964f},
        {"straight up: the angle runs on past pi", {0, 0}, {0, -40}, 25, 2, 4.712389f},
        {"one point", {5, 5}, {5, 5}, 25, 0, 0.0f},
        {"piece of height 5", {0, 0}, {100, 0}, 5, 0, 0.0f},
        {"no piece texture", {0, 0}, {100, 0}, 0, 0, 0.0f},
    };
    for (const auto& c : cases)
    {
        const LightningManager::SBolt bolt = LightningManager::PlanBolt(c.source, c.target, c.height);
        EXPECT_EQ(bolt.count, c.count) << c.name;
        EXPECT_NEAR(bolt.angle, c.angle, 1e-5f) << c.name;
    }
    const LightningManager::SBolt up = LightningManager::PlanBolt({0, 0}, {30, -40}, 25);
    EXPECT_GT(up.angle, 3.1415927f);
}

TEST_F(LevelEffectsTest, StrikeHitsFlickersAndEndsOnePerUpdate)
{
    level_->AddStall(4, kStallBonus, 100, 100);
    FakeWalker& monster = level_->AddWalker(8, kWalkerMonster);
    monster.position = TFloatPoint(300, 200);
    FakeWalker& other = level_->AddWalker(9, kWalkerMonster);
    LightningManager lightning(*level_);
    lightning.Strike(4, 8);
    EXPECT_TRUE(monster.struck);
    EXPECT_EQ(monster.hits, (std::vector<std::pair<bool, bool>>{{true, false}}));
    EXPECT_EQ(level_->CallsOf("sound "), std::vector<std::string>{"sound game_logic_audio:audio/sound/game_logic/shot"});
    ASSERT_EQ(lightning.GetStrikeCount(), 1u);
    // Gone stalls or monsters: nothing.
    lightning.Strike(5, 9);
    lightning.Strike(4, 10);
    EXPECT_TRUE(other.hits.empty());
    EXPECT_EQ(lightning.GetStrikeCount(), 1u);

    Advance(50);
    lightning.Strike(4, 9);
    std::vector<int32_t> flickers;
    for (int step = 1; step <= 3; ++step)
    {
        Advance(150);
        lightning.Update();
        flickers.push_back(lightning.GetStrike(0).flickers);
    }
    EXPECT_EQ(flickers, (std::vector<int32_t>{1, 2, 3}));
    // Both are due to end in the same update: one ends per update.
    Advance(200);
    lightning.Update();
    EXPECT_EQ(lightning.GetStrikeCount(), 1u);
    lightning.Update();
    EXPECT_EQ(lightning.GetStrikeCount(), 0u);
}

TEST_F(LevelEffectsTest, AreaWatchStrikesOneMonsterOncePerStay)
{
    FakeStall& stall = level_->AddStall(4, kStallBonus, 190, 145);
    stall.state = kStateWorking;
    const std::vector<TRect> area = {TRect(100, 100, 280, 190)};
    // In list order: a shielded one inside, one outside, two inside.
    FakeWalker& shielded = level_->AddWalker(10, kWalkerMonster);
    shielded.position = TFloatPoint(150, 150);
    shielded.shieldOn = true;
    FakeWalker& outside = level_->AddWalker(8, kWalkerMonster);
    outside.position = TFloatPoint(280, 150);  // on the right edge: outside
    outside.struck = true;
    FakeWalker& first = level_->AddWalker(9, kWalkerMonster);
    first.position = TFloatPoint(100, 100);  // on the top-left corner: inside
    FakeWalker& second = level_->AddWalker(11, kWalkerMonster);
    second.position = TFloatPoint(279.5f, 189.5f);

    LightningWatch watch;
    watch.Start(level_->mainClock.GetTime());
    auto scan = [&](uint32_t ms) {
        Advance(ms);
        return watch.Update(*level_, stall, LightningWatch::kLightningBonus, area);
    };
    EXPECT_EQ(scan(999), -1);  // not a second yet
    EXPECT_EQ(scan(1), 9);     // one monster per scan, the first in the list
    EXPECT_FALSE(shielded.struck);
    EXPECT_FALSE(outside.struck);  // outside clears the flag
    EXPECT_TRUE(first.struck);
    EXPECT_FALSE(second.struck);
    EXPECT_EQ(scan(500), -1);
    EXPECT_EQ(scan(500), 11);
    // Both stay inside: neither is struck again.
    EXPECT_EQ(scan(1000), -1);
    EXPECT_EQ(scan(1000), -1);
    // One leaves and comes back: struck again.
    first.position = TFloatPoint(400, 300);
    EXPECT_EQ(scan(1000), -1);
    EXPECT_FALSE(first.struck);
    first.position = TFloatPoint(120, 120);
    EXPECT_EQ(scan(1000), 9);
    EXPECT_EQ(level_->CallsOf("strike "), (std::vector<std::string>{"strike 4 9", "strike 4 11", "strike 4 9"}));

    // Only an active, working stall of the lightning bonus watches.
    first.position = TFloatPoint(400, 300);
    scan(1000);
    first.position = TFloatPoint(120, 120);
    level_->calls.clear();
    EXPECT_EQ(watch.Update(*level_, stall, 3, area), -1);
    stall.state = kStateBroken;
    EXPECT_EQ(scan(1000), -1);
    stall.state = kStateWorking;
    stall.active = false;
    EXPECT_EQ(scan(1000), -1);
    stall.active = true;
    // An empty area strikes nothing.
    EXPECT_EQ(watch.Update(*level_, stall, LightningWatch::kLightningBonus, {}), -1);
    EXPECT_TRUE(level_->CallsOf("strike ").empty());
    EXPECT_EQ(scan(1000), 9);
}

TEST_F(LevelEffectsTest, ManaDropFliesOnTheCurve)
{
    level_->randomDraws = {7};
    ManaDrop drop(*level_);
    drop.Start(TFloatPoint(500, 400), TFloatPoint(100, 20), 1000, 1000, 30);
    EXPECT_TRUE(drop.flying);
    EXPECT_EQ(drop.amount, 30);
    // 500 - (7 mod 200 + 100); 400 - 380 x 2.
    EXPECT_FLOAT_EQ(drop.GetControl().x, 393.0f);
    EXPECT_FLOAT_EQ(drop.GetControl().y, -360.0f);
    drop.Update(1500);
    EXPECT_FLOAT_EQ(drop.GetCurrent().x, 0.25f * 500 + 0.5f * 393 + 0.25f * 100);
    EXPECT_FLOAT_EQ(drop.GetCurrent().y, 0.25f * 400 + 0.5f * -360 + 0.25f * 20);
    EXPECT_TRUE(drop.flying);
    drop.Update(2000);
    EXPECT_FALSE(drop.flying);
    EXPECT_FLOAT_EQ(drop.GetCurrent().x, 100.0f);
    drop.Update(2100);  // the burst has no particles: over
    EXPECT_TRUE(drop.finished);
}

TEST_F(LevelEffectsTest, ManaDropWithoutRoomOrTime)
{
    struct Case
    {
        const char* name;
        TFloatPoint from;
        int32_t duration;
        float controlX;
        bool flyingAfterFirst;
    } cases[] = {
        {"start over the target: no random bend", {101, 300}, 1000, 101.0f - 0.25f, true},
        {"no flight time: there at once", {300, 300}, 0, 300.0f - (7 % 100 + 50.0f), false},
        {"a negative flight time too", {300, 300}, -5, 300.0f - (7 % 100 + 50.0f), false},
    };
    for (const auto& c : cases)
    {
        level_->randomDraws = {7};
        level_->nextDraw = 0;
        ManaDrop drop(*level_);
        drop.Start(c.from, TFloatPoint(100, 20), 0, c.duration, 5);
        EXPECT_FLOAT_EQ(drop.GetControl().x, c.controlX) << c.name;
        drop.Update(0);
        EXPECT_EQ(drop.flying, c.flyingAfterFirst) << c.name;
    }
}

TEST_F(LevelEffectsTest, WorkersStandAroundTheStallAtMostSix)
{
    level_->common.rightEntry = TPoint(2, 1);
    level_->common.leftEntry = TPoint(-2, 1);
    TClock clock;
    clock.Start();
    WorkerMagicEffect seven(*level_, 200, 100, 7, clock);
    EXPECT_EQ(seven.GetCount(), 6);
    EXPECT_EQ(seven.GetPosition(), TPoint(200, 87));
    // The stall's cell is (10, 10): R = (12, 11), L = (8, 11).
    const std::vector<TPoint> want = {Centre(12, 11), Centre(8, 11),  Centre(11, 12),
                                      Centre(9, 12),  Centre(13, 10), Centre(7, 10)};
    EXPECT_EQ(seven.GetPlaces(), want);
    for (int32_t i = 0; i < 6; ++i)
    {
        EXPECT_EQ(seven.GetWorker(i).GetFlipX(), i % 2 == 1) << i;
        EXPECT_EQ(seven.GetHand(i).GetFlipX(), i % 2 == 1) << i;
        // Without a hand picture the spark starts at the worker.
        EXPECT_EQ(seven.GetSparkStarts()[static_cast<size_t>(i)], want[static_cast<size_t>(i)]);
    }
    EXPECT_EQ(WorkerMagicEffect(*level_, 0, 0, -3, clock).GetCount(), 0);
    EXPECT_EQ(WorkerMagicEffect(*level_, 0, 0, 2, clock).GetCount(), 2);
}

TEST_F(LevelEffectsTest, WorkerSequenceAndRestart)
{
    TClock clock;
    clock.Start();
    WorkerMagicEffect effect(*level_, 200, 100, 2, clock);
    EXPECT_FALSE(effect.IsRunning());
    effect.Update();
    EXPECT_EQ(effect.GetStep(), 0);  // not running: nothing moves
    effect.PlayAnim("Loop");
    EXPECT_TRUE(effect.IsRunning());
    EXPECT_EQ(effect.GetStep(), 1);
    // Without an animation script every wait is 0 and the flight ends at once.
    std::vector<int32_t> steps;
    for (int i = 0; i < 6; ++i)
    {
        Advance(16);
        effect.Update();
        steps.push_back(effect.GetStep());
    }
    EXPECT_EQ(steps, (std::vector<int32_t>{2, 3, 4, 5, 6, 7}));
    // The sparks flew all the way in.
    EXPECT_FLOAT_EQ(effect.GetSpark(0).GetPosition().x, 200.0f);
    EXPECT_FLOAT_EQ(effect.GetSpark(0).GetPosition().y, 87.0f);
    Advance(1990);
    effect.Update();
    EXPECT_TRUE(effect.IsRunning());
    // A second "Loop" restarts it.
    effect.PlayAnim("Loop");
    EXPECT_EQ(effect.GetStep(), 1);
    Advance(16);
    effect.Update();
    EXPECT_EQ(effect.GetStep(), 2);
    for (int i = 0; i < 5; ++i) effect.Update();
    Advance(2000);
    effect.Update();
    EXPECT_FALSE(effect.IsRunning());
    // Other animations only play on the workers.
    effect.PlayAnim("DoAnim");
    EXPECT_FALSE(effect.IsRunning());
}

TEST_F(LevelEffectsTest, TheFactoryMakesEveryWalkerKindAndEffect)
{
    TLevelFactory factory;
    TClock clock;
    EXPECT_NE(dynamic_cast<Customer*>(factory.MakeWalker(*level_, kWalkerCustomer, 0, -1).get()), nullptr);
    EXPECT_NE(factory.MakeWalker(*level_, kWalkerCourier, 0, 3), nullptr);
    EXPECT_NE(factory.MakeWalker(*level_, kWalkerMonster, 1, -1), nullptr);
    EXPECT_EQ(factory.MakeWalker(*level_, 7, 0, -1), nullptr);
    EXPECT_NE(dynamic_cast<ManaDrop*>(factory.MakeManaDrop(*level_).get()), nullptr);
    EXPECT_NE(dynamic_cast<LightningManager*>(factory.MakeLightning(*level_).get()), nullptr);
    auto figure = factory.MakeWorkerFigure(*level_, 10, 10, 9, clock);
    ASSERT_NE(dynamic_cast<WorkerMagicEffect*>(figure.get()), nullptr);
    EXPECT_EQ(static_cast<WorkerMagicEffect*>(figure.get())->GetCount(), 6);
}

}  // namespace
