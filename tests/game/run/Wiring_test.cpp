// The game's wiring: what WireGame hands the framework, and a whole-game
// run started with nothing of its own runs with the same objects.
#include <gtest/gtest.h>

#include "game/app/GameMain.h"
#include "game/app/RunningLevel.h"
#include "game/app/WindowTypes.h"
#include "game/hud/Hud.h"
#include "game/level/GameLogic.h"
#include "game/level/RunningLevelLink.h"
#include "game/run/support/GameRun.h"
#include "game/wiring/GameWiring.h"

using gametest::TGameRun;

// The display driver's own allocations are not this program's.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

TEST(GameWiring, HandsTheLevelLinkAndTheWindowRows)
{
    TGameSetup setup;
    WireGame(setup);
    EXPECT_NE(dynamic_cast<TRunningLevelLink*>(setup.level), nullptr);
    // The app's rows, then the level's screen.
    ASSERT_EQ(setup.windowTypes.size(), GetAppWindowTypes().size() + 1);
    EXPECT_STREQ(setup.windowTypes.back().typeName, "GameLogicScreen");
    EXPECT_EQ(setup.helper, nullptr);

    // One link for every wiring: the program hands out the same object.
    TGameSetup again;
    WireGame(again);
    EXPECT_EQ(again.level, setup.level);
}

TEST(GameWiring, InstallsTheHudMaker)
{
    TGameLogic level(nullptr, 1);
    EXPECT_EQ(dynamic_cast<HUD*>(MakeLevelHud(level).get()), nullptr) << "the stand-in before the wiring";
    TGameSetup setup;
    WireGame(setup);
    EXPECT_NE(dynamic_cast<HUD*>(MakeLevelHud(level).get()), nullptr);
    level.BeginLevel(1, 0);
    EXPECT_NE(dynamic_cast<HUD*>(&level.GetHud()), nullptr);
    EXPECT_EQ(level.GetHud().GetCurrentTab(), 0) << "built: the mana shop is open";
    level.ClearLevel();
}

TEST(GameWiring, AnEmptySetupRunsWithTheLevelLink)
{
    TGameRun run;
    bool sawLink = false;
    run.Do("the level the game runs with",
           [&sawLink]
           {
               sawLink = dynamic_cast<TRunningLevelLink*>(&GetRunningLevel()) != nullptr;
               // Nothing has started a level: the link answers for none.
               EXPECT_FALSE(GetRunningLevel().IsRunning());
               TGameRun::TerminateFromOutside();
           });
    EXPECT_EQ(run.Run(), 0);
    EXPECT_TRUE(run.Failures().empty()) << run.FailureText() << run.Log();
    EXPECT_TRUE(sawLink);
}
