// TRunningLevelLink: the do-nothing answers while there is no level logic
// (before it is made and after the singletons end), the level logic made by
// the first ask for the main clock, and the calls reaching it.
#include "game/level/RunningLevelLink.h"

#include <gtest/gtest.h>

#include "game/app/Singleton.h"
#include "game/level/GameLogic.h"

namespace
{

TEST(RunningLevelLink, AnswersNothingWithoutALevelLogic)
{
    for (int round = 0; round < 2; ++round)
    {
        TRunningLevelLink link;
        EXPECT_EQ(TGameLogic::GetIfMade(), nullptr) << round;
        EXPECT_FALSE(link.IsRunning());
        link.ClearRunningFlags();
        link.Pause(true, false);
        link.RequestPause();
        link.SaveLevelState();
        EXPECT_EQ(TGameLogic::GetIfMade(), nullptr) << "only the main clock makes it";

        TClock* clock = link.GetMainClock();
        ASSERT_NE(clock, nullptr);
        TGameLogic* level = TGameLogic::GetIfMade();
        ASSERT_NE(level, nullptr);
        EXPECT_EQ(clock, &level->GetMainClock());
        EXPECT_EQ(link.GetMainClock(), clock) << "one level logic";

        level->BeginLevel(1, 0);
        EXPECT_TRUE(link.IsRunning());
        link.Pause(true, true);
        EXPECT_TRUE(level->GetMainClock().IsPaused());
        EXPECT_TRUE(level->IsPaused());
        link.Pause(false, true);
        EXPECT_FALSE(level->GetMainClock().IsPaused());
        int requests = 0;
        level->onPauseRequest = [&] { ++requests; };
        link.RequestPause();
        EXPECT_EQ(requests, 1);
        // The close request's store reaches the level: without a profile it
        // stores nothing and asks nothing more of it.
        link.SaveLevelState();
        EXPECT_TRUE(link.IsRunning());
        level->FinishLevel(true);
        link.ClearRunningFlags();
        EXPECT_FALSE(link.IsRunning());
        EXPECT_FALSE(level->IsWinSequenceRunning()) << "the win flag goes with the running flag";

        // The singletons end: the link answers as before it was made.
        DestroySingletons();
        EXPECT_EQ(TGameLogic::GetIfMade(), nullptr);
        EXPECT_FALSE(link.IsRunning());
        link.Pause(false, false);
    }
}

}  // namespace
