// Stall pictures where the drawing matters: the layers in key order with the
// walkers at the stall drawn right after the people layer (and never without
// one), the overlay and locks of a locked stall, the progress bar's fade and
// width, the attraction badge by state, the lock cross-fade and the destroy
// fade that ends with its particle. Drawn on the recording device; the
// pictures are small textures entered in their groups by the test.
#include "game/level/GameObject.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "core/AssetMap.h"
#include "game/app/MyParticle.h"
#include "game/app/MySprite.h"
#include "game/app/Res.h"
#include "game/app/Singleton.h"
#include "game/level/support/StallFixture.h"
#include "graphics/support/ImageAssets.h"
#include "graphics/support/RecordingScene.h"

namespace
{

class PicturesTest : public StallFixture
{
protected:
    PicturesTest()
    {
        Enter("game_logic_stalls", "images/ground", 8, 8);
        Enter("game_logic_stalls", "images/back", 8, 8);
        Enter("game_logic_stalls", "images/people", 8, 8);
        Enter("game_logic_stalls", "images/front", 8, 8);
        Enter("game_logic_stalls", "images/broken", 8, 8);
        Enter("game_logic_stalls", "images/sold_", 8, 8);
        Enter("game_logic_common", "images/game_logic/select", 8, 8);
        Enter("game_logic_common", "images/game_logic/lock_silver", 8, 8);
        Enter("game_logic_common", "images/game_logic/lock_gold", 8, 8);
        Enter("game_logic_common", "images/game_logic/stall_bar_layer_0", 48, 8);
        Enter("game_logic_common", "images/game_logic/stall_bar_layer_1", 48, 8);
        Enter("game_logic_common", "images/game_logic/lucky_bubble/green", 8, 8);
        Enter("effect", "images/game_logic/effect/upgrade/star", 8, 8);
        for (SStallDesc* d : std::initializer_list<SStallDesc*>{&trade_, &attr_})
        {
            d->ground = {{"game_logic_stalls:images/ground", {4, 4}}};
            // Out of key order on purpose.
            d->images = {{"game_logic_stalls:images/front", 2, {}},
                         {"game_logic_stalls:images/people", -1, {}},
                         {"game_logic_stalls:images/back", -3, {}}};
        }
    }
    ~PicturesTest() override
    {
        // The pictures go before the device they were made on.
        stalls_.clear();
        DestroySingletons();
    }

    void Enter(const char* group, const std::string& path, int w, int h)
    {
        const std::string name = path.substr(path.rfind('/') + 1);
        TRes::GetInstance()->GetGroupMap(group).AddAsset(TString(path.c_str()), scene_.Texture(name, w, h));
    }
    // Draws the stall once: the pictures' names, the walkers drawn between
    // them marked where they were drawn.
    std::string Drawn(GameObject& s)
    {
        std::vector<std::pair<size_t, std::string>> marks;
        s.drawOccupant = [&](int32_t w) { marks.emplace_back(scene_.device.draws.size(), "O" + std::to_string(w)); };
        if (s.drawVisitor)
            s.drawVisitor = [&](int32_t w) { marks.emplace_back(scene_.device.draws.size(), "V" + std::to_string(w)); };
        scene_.Frame([&] { s.Draw(); });
        std::istringstream order(scene_.Order());
        std::vector<std::string> names{std::istream_iterator<std::string>(order), {}};
        std::string out;
        size_t next = 0;
        for (size_t i = 0; i <= names.size(); ++i)
        {
            for (; next < marks.size() && marks[next].first == i; ++next) out += (out.empty() ? "" : " ") + marks[next].second;
            if (i < names.size() && names[i] != "?") out += (out.empty() ? "" : " ") + names[i];
        }
        s.drawOccupant = nullptr;
        return out;
    }
    void Crowd(GameObject& s)
    {
        using C = SGameObjectCommon;
        level_->common.paths[C::kRightHouseIn] = {{{1, 0}}, {{2, 0}}};
        level_->common.paths[C::kRightHouseOut] = {{{1, 0}}, {{2, 0}}};
        s.BuildServicePlaces();
        s.OccupyPlace(31, 1);
        s.AddVisitor(41);
        s.AddVisitor(42);
    }

    RecordingScene scene_;
};

TEST_F(PicturesTest, WalkersAreDrawnRightAfterThePeopleLayer)
{
    ASSERT_TRUE(scene_.Ready());
    trade_.rightSide = true;
    TradeStall& s = Working<TradeStall>(trade_);
    Crowd(s);
    EXPECT_EQ(Drawn(s), "ground back people O31 V41 V42 front");

    // A visitor drawing never bound is skipped; the occupants still come.
    s.drawVisitor = nullptr;
    EXPECT_EQ(Drawn(s), "ground back people O31 front");

    // Without a people layer nobody is drawn with the stall.
    trade_.images.erase(trade_.images.begin() + 1);
    TradeStall& bare = Working<TradeStall>(trade_);
    Crowd(bare);
    EXPECT_EQ(Drawn(bare), "ground back front");
}

TEST_F(PicturesTest, OverlaysLocksStarsAndTheBar)
{
    ASSERT_TRUE(scene_.Ready());
    TradeStall& s = Working<TradeStall>(trade_);
    s.AddUpgradeLevel();
    s.Break(true, true);
    EXPECT_EQ(Drawn(s), "ground back people front broken star");

    TradeStall& locked = Working<TradeStall>(trade_);
    locked.SetActive(false, true);
    EXPECT_EQ(Drawn(locked), "ground back people front sold_ lock_silver lock_gold");

    TradeStall& building = Make<TradeStall>(trade_);
    building.Build(true);
    EXPECT_EQ(Drawn(building), "ground back people front stall_bar_layer_0 stall_bar_layer_1");
}

TEST_F(PicturesTest, TheBarFadesInAndOutAndShowsTheFraction)
{
    TradeStall& s = Make<TradeStall>(trade_);
    struct Case
    {
        float fraction;
        float alpha;
        int32_t width;
    };
    for (const Case& c : {Case{0.05f, 0.5f, 2}, Case{0.5f, 1.0f, 24}, Case{0.95f, 0.5f, 45}, Case{0.0f, 0.0f, 0},
                          Case{1.0f, 0.0f, 48}})
    {
        SCOPED_TRACE(c.fraction);
        s.SetProgress(c.fraction);
        EXPECT_NEAR(s.GetBarBack()->GetAlpha(), c.alpha, 1e-5f);
        EXPECT_NEAR(s.GetBarFront()->GetAlpha(), c.alpha, 1e-5f);
        EXPECT_EQ(s.GetBarFront()->GetSourceRect().right - s.GetBarFront()->GetSourceRect().left, c.width);
    }
}

TEST_F(PicturesTest, TheAttractionBadgeShowsWhileWorkingOrUpgrading)
{
    ASSERT_TRUE(scene_.Ready());
    struct Case
    {
        const char* name;
        std::function<void(AttrStall&)> to;
        bool shown;
    };
    const std::vector<Case> cases = {
        {"working", [](AttrStall&) {}, true},
        {"upgrading", [](AttrStall& s) { s.Upgrade(true); }, true},
        {"broken", [](AttrStall& s) { s.Break(true, true); }, false},
        {"repairing", [](AttrStall& s) { s.Break(true, true), s.Repair(true); }, false},
        {"locked", [](AttrStall& s) { s.SetActive(false, true); }, false},
        {"badges off", [this](AttrStall&) { level_->badgeShown = false; }, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        level_->badgeShown = true;
        AttrStall& s = Working<AttrStall>(attr_);
        c.to(s);
        EXPECT_EQ(Drawn(s).find("green") != std::string::npos, c.shown) << Drawn(s);
    }
}

TEST_F(PicturesTest, LockSwitchesAtOnceOrOverTwoHundredMilliseconds)
{
    TradeStall& s = Working<TradeStall>(trade_);
    s.SetActive(false, true);
    EXPECT_FALSE(s.IsLockGold());
    EXPECT_FLOAT_EQ(s.GetSilverLock()->GetAlpha(), 1.0f);
    EXPECT_FLOAT_EQ(s.GetGoldLock()->GetAlpha(), 0.0f);
    EXPECT_FALSE(s.IsLockFading());

    // The offer opens on the first step: the gold lock fades in on the
    // stall clock.
    s.Work(true);
    Step(s, 1);
    ASSERT_TRUE(s.offerOn);
    EXPECT_TRUE(s.IsLockFading());
    EXPECT_FLOAT_EQ(s.GetGoldLock()->GetAlpha(), 0.0f);
    Step(s, 100);
    EXPECT_FLOAT_EQ(s.GetGoldLock()->GetAlpha(), 0.5f);
    EXPECT_FLOAT_EQ(s.GetSilverLock()->GetAlpha(), 0.5f);
    Step(s, 99);
    EXPECT_TRUE(s.IsLockFading());
    Step(s, 1);
    EXPECT_FALSE(s.IsLockFading());
    EXPECT_FLOAT_EQ(s.GetGoldLock()->GetAlpha(), 1.0f);
    EXPECT_FLOAT_EQ(s.GetSilverLock()->GetAlpha(), 0.0f);
}

class DestroyTest : public StallFixture
{
protected:
    ImageAssets assets_;
};

TEST_F(DestroyTest, TheStallFadesUntilItsCrashParticleDies)
{
    // The shipped dust cloud, as the game finds it.
    std::ifstream in(std::filesystem::path(ORVELLE_SOURCE_DIR) / "assets/images/game_logic/effect/crash/crash.psi",
                     std::ios::binary);
    const std::string psi{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(psi.empty());
    assets_.Put("images/game_logic/effect/crash/crash.psi", psi);
    TradeStall& s = Working<TradeStall>(trade_);
    s.Destroy();
    EXPECT_EQ(reports_, std::vector<std::string>{"7:1>4"});
    EXPECT_TRUE(s.IsDestroying());
    int frames = 0;
    float last = 1.0f;
    while (!s.removeMe && frames < 1000)
    {
        Step(s, 16);
        ++frames;
        EXPECT_NEAR(s.GetFadeAlpha(), std::max(0.0f, last - 0.03f), 1e-5f);
        last = s.GetFadeAlpha();
        EXPECT_FLOAT_EQ(s.GetOverlay()->GetAlpha(), last);
    }
    EXPECT_TRUE(s.removeMe);
    EXPECT_GT(frames, 34) << "the dust outlives the fade";
    EXPECT_LT(frames, 1000);
    EXPECT_FLOAT_EQ(last, 0.0f);
    EXPECT_FALSE(s.IsDestroying());

    // No particle file: the stall goes at its first step, whatever alpha.
    assets_.Remove("images/game_logic/effect/crash/crash.psi");
    TradeStall& t = Working<TradeStall>(trade_);
    t.Destroy();
    Step(t, 16);
    EXPECT_TRUE(t.removeMe);
    EXPECT_NEAR(t.GetFadeAlpha(), 0.97f, 1e-5f);
}

}  // namespace
