// The game's wiring: what WireGame hands the framework, and a whole-game
// run started with nothing of its own runs with the same objects.
#include <gtest/gtest.h>

#include "game/app/GameMain.h"
#include "game/app/RunningLevel.h"
#include "game/app/WindowTypes.h"
#include "game/level/RunningLevelLink.h"
#include "game/run/support/GameRun.h"
#include "game/wiring/GameWiring.h"

using gametest::TGameRun;

// The display driver's own allocations are not this program's.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

TEST(GameWiring, HandsTheLevelLinkAndTheAppRows)
{
    TGameSetup setup;
    WireGame(setup);
    EXPECT_NE(dynamic_cast<TRunningLevelLink*>(setup.level), nullptr);
    EXPECT_EQ(setup.windowTypes.size(), GetAppWindowTypes().size());
    EXPECT_EQ(setup.helper, nullptr);

    // One link for every wiring: the program hands out the same object.
    TGameSetup again;
    WireGame(again);
    EXPECT_EQ(again.level, setup.level);
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
