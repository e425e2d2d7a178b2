// The stall content the game ships: the shared pictures and animations load
// from their groups without a logged error, the four stall effect scripts
// and the stalls' particle files run, and a few stalls drawn headless show
// their locks, badges, stars, area and bar. With ORVELLE_LOOK_DIR set, the
// frame is written there as stalls.png to be looked at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/AssetIndex.h"
#include "core/AssetManager.h"
#include "game/app/MyParticle.h"
#include "game/app/Res.h"
#include "game/app/Singleton.h"
#include "game/level/AttrStall.h"
#include "game/level/BonusStall.h"
#include "game/level/LevelFactory.h"
#include "game/level/ObjectEffect.h"
#include "game/level/TradeStall.h"
#include "game/level/support/WalkerFixture.h"
#include "graphics/AnimatedTexture.h"
#include "graphics/Texture.h"
#include "graphics/support/ImageDisplay.h"
#include "graphics/support/ImageFixtures.h"

extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

namespace fs = std::filesystem;

const char* const kStills[] = {
    "game_logic_common:images/game_logic/select_attent",
    "game_logic_common:images/game_logic/lock_silver",
    "game_logic_common:images/game_logic/lock_gold",
    "game_logic_common:images/game_logic/lucky_bubble/green",
    "game_logic_common:images/game_logic/lucky_bubble/yellow",
    "game_logic_common:images/game_logic/lucky_bubble/red",
    "game_logic_common:images/game_logic/bonuses/bonus_area",
    "effect:images/game_logic/effect/upgrade/star",
};
const char* const kAnimations[] = {
    "game_logic_common:images/game_logic/stalls/coin",
    "game_logic_common:images/game_logic/stalls/buy",
    "effect:images/game_logic/effect/break/break",
    "effect:images/game_logic/effect/good/trade",
    "effect:images/game_logic/effect/bonus_fest/clock",
    "effect:images/game_logic/effect/break/no_lucky",
    // Not a stall's, but of the same group: the won level's flash.
    "effect:images/game_logic/gof/flash",
};

class ShippedStallsTest : public WalkerFixture
{
protected:
    ShippedStallsTest()
    {
        SetGlobalAssetManager(&manager_);
        RegisterTextureAssetLoader();
        RegisterAnimatedTextureAssetLoader();
        back_ = fs::current_path();
        fs::current_path(ORVELLE_SOURCE_DIR);
        ClearAssetIndex();
        ScanAssetFolder("assets", "");
        if (display_.Ready())
            for (const char* g : {"game_logic_common", "effect"}) TRes::GetInstance()->LoadGroupNow(g);
    }
    ~ShippedStallsTest() override
    {
        stalls_.clear();
        fs::current_path(back_);
        DestroySingletons();
        ClearAssetLoaders();
        SetGlobalAssetManager(nullptr);
    }
    void ExpectNoError(const std::string& what)
    {
        const std::string log = Log();
        EXPECT_EQ(log.find("ERROR"), std::string::npos) << what << "\n" << log;
        EXPECT_EQ(log.find("not found"), std::string::npos) << what << "\n" << log;
        EXPECT_EQ(log.find("Failed"), std::string::npos) << what << "\n" << log;
        EXPECT_EQ(log.find("Error loading"), std::string::npos) << what << "\n" << log;
    }
    template <typename T>
    T& Make(const SStallDesc& desc, int32_t x, int32_t y)
    {
        TLevelFactory factory;
        stalls_.push_back(factory.MakeStall(*level_, desc.kind, desc));
        T& s = static_cast<T&>(*stalls_.back());
        s.CreateSprites(static_cast<int32_t>(stalls_.size()), x, y);
        s.SetPosition(x, y);
        return s;
    }

    TAssetManager manager_;
    ImageDisplay display_{320, 200};
    fs::path back_;
    std::vector<std::unique_ptr<TLevelStall>> stalls_;
};

TEST_F(ShippedStallsTest, TheSharedPicturesLoadFromTheirGroups)
{
    ASSERT_TRUE(display_.Ready());
    for (const char* name : kStills) EXPECT_TRUE(TRes::GetInstance()->GetAsset(name)) << name;
    for (const char* name : kAnimations) EXPECT_TRUE(TRes::GetInstance()->GetAnimation(name)) << name;
    ExpectNoError("the groups");
}

TEST_F(ShippedStallsTest, TheEffectScriptsAndParticlesRun)
{
    ASSERT_TRUE(display_.Ready());
    struct Case
    {
        const char* script;
        std::vector<int32_t> actions;  // the groups the script fades
    };
    const std::vector<Case> cases = {
        {"scripts/game_logic/effects/effect_build.lua", {7}},
        {"scripts/game_logic/effects/effect_upgrade.lua", {6}},
        {"scripts/game_logic/effects/effect_repair.lua", {3, 8, 7}},
        {"scripts/game_logic/effects/effect_sell.lua", {3, 10}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.script);
        TClock clock;
        clock.Start();
        SObjectEffect effect(*level_, nullptr);
        effect.SetExtras({"effect:images/game_logic/effect/break/break"}, {{100, 60}});
        std::vector<int32_t> seen;
        effect.SetActionCallback([&](int32_t group, float) {
            if (seen.empty() || seen.back() != group) seen.push_back(group);
        });
        effect.Start(c.script, 100, 100, 3000, clock, 2);
        EXPECT_FALSE(effect.GetAnimSteps().empty());
        Frames(200, [&] { effect.Update(); });
        std::vector<int32_t> groups;
        for (const auto& a : effect.GetActions()) groups.push_back(a.code);
        EXPECT_EQ(groups, c.actions);
        ExpectNoError(c.script);
    }
    for (const char* p : {"images/game_logic/effect/level_down/level_down", "images/game_logic/effect/crash/crash",
                          "images/game_logic/effect/build/build"})
    {
        SCOPED_TRACE(p);
        TMyParticle particle(TString(p) + ".psi", p);
        particle.SetClock(&level_->GetMainClock());
        particle.Start();
        int most = 0;
        Frames(20, [&] {
            particle.Update();
            most = std::max(most, particle.GetEmitter().GetLiveCount());
        });
        EXPECT_GT(most, 0);
    }
    ExpectNoError("the particles");
}

TEST_F(ShippedStallsTest, StallsAsDrawn)
{
    ASSERT_TRUE(display_.Ready());
    level_->common.starPlaces = {{0, 0}, {-20, -40}, {0, -45}, {20, -40}};
    level_->common.barFon = {-24, 20};
    level_->common.barLine = {-24, 20};
    level_->common.luckyBubble = {{24, -34}, {14, -42}, 20, 16, "fonts/comic_sans.mvec", 12, {0, 0, 0, 1}};
    level_->AddSlot(260, 50);
    STradeStallDesc trade;
    trade.goodStore = {5};
    trade.workers.build = {2};
    trade.time.build = 1000;
    SAttrStallDesc attr;
    attr.customerCount = {4, 5};
    SBonusStallDesc bonus;
    bonus.local = true;
    bonus.lucky = {7};

    TradeStall& locked = Make<TradeStall>(trade, 40, 100);
    locked.SetActive(false, true);
    AttrStall& fun = Make<AttrStall>(attr, 100, 100);
    fun.Work(true);
    fun.AddUpgradeLevel();
    TradeStall& building = Make<TradeStall>(trade, 160, 100);
    building.Build(true);
    Frames(30, [&] { building.Update(); });
    BonusStall& lucky = Make<BonusStall>(bonus, 160, 100);
    lucky.SetPosition(360, 100);
    lucky.InitLucky();
    lucky.Work(true);

    display_.Clear();
    ASSERT_TRUE(display_.dc->BeginDraw(false));
    ASSERT_TRUE(display_.dc->Begin2d());
    for (auto& s : stalls_)
    {
        s->Draw();
        s->DrawSelection();
    }
    display_.dc->End2d();
    display_.dc->EndDraw(false);

    // Something of the locks, the badge and star, and the bar shows.
    auto lit = [&](int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += display_.Pixel(x, y) != 0 ? 1 : 0;
        return n;
    };
    EXPECT_GT(lit(20, 80, 60, 120), 100) << "the locks";
    EXPECT_GT(lit(105, 45, 145, 85), 60) << "the badge and the star";
    EXPECT_GT(lit(130, 115, 190, 125), 20) << "the bar";
    if (const char* dir = std::getenv("ORVELLE_LOOK_DIR"))
    {
        std::vector<uint32_t> pixels(320 * 200);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 320; ++x) pixels[static_cast<size_t>(y * 320 + x)] = 0xFF000000u | display_.Pixel(x, y);
        std::ofstream(fs::path(dir) / "stalls.png", std::ios::binary) << imagefx::PngFromArgb(320, 200, pixels);
    }
    ExpectNoError("drawing");
}

}  // namespace
