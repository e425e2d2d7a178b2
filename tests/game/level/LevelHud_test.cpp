// The level's HUD maker and helper installers: the stand-ins until the
// wiring installs real ones, and back after a reset.
#include "game/level/LevelHud.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace
{

class CountingHud : public ILevelHud
{
public:
    explicit CountingHud(int* made) { ++*made; }
    int32_t GetCurrentTab() const override { return 6; }
};

class HoldingHelper : public ILevelHelper
{
public:
    bool IsHoldingGame() const override { return true; }
};

// The makers here never touch the level they are handed, so a stand-in
// address will do until the level logic can be made in a test of its own.
TGameLogic& NoLevel()
{
    alignas(std::max_align_t) static unsigned char storage[64];
    return *reinterpret_cast<TGameLogic*>(storage);
}

TEST(LevelHud, StandInsTakeNoClicksAndShowNothing)
{
    std::unique_ptr<ILevelHud> hud = MakeLevelHud(NoLevel());
    ASSERT_NE(hud, nullptr);
    EXPECT_FALSE(hud->OnMouseDown(10, 10));
    EXPECT_EQ(hud->GetCurrentTab(), -1);
    EXPECT_EQ(hud->GetShownStallId(), -1);
    EXPECT_FLOAT_EQ(hud->GetTimeLeftFraction(), 1.0f);
    ILevelHelper& helper = GetLevelHelper();
    EXPECT_FALSE(helper.IsTutorialRunning());
    EXPECT_FALSE(helper.IsHoldingGame());
    EXPECT_TRUE(helper.AllowsClick(1, 1));
    EXPECT_TRUE(helper.OnMouseMove(1, 1));
}

TEST(LevelHud, InstalledMakerAndHelperAnswerUntilReset)
{
    int made = 0;
    SetLevelHudMaker([&made](TGameLogic&) { return std::make_unique<CountingHud>(&made); });
    HoldingHelper helper;
    SetLevelHelper(&helper);
    EXPECT_EQ(MakeLevelHud(NoLevel())->GetCurrentTab(), 6);
    EXPECT_EQ(MakeLevelHud(NoLevel())->GetCurrentTab(), 6);
    EXPECT_EQ(made, 2) << "a fresh HUD for every level";
    EXPECT_TRUE(GetLevelHelper().IsHoldingGame());

    // A maker that answers null still gives a HUD.
    SetLevelHudMaker([](TGameLogic&) { return std::unique_ptr<ILevelHud>(); });
    EXPECT_EQ(MakeLevelHud(NoLevel())->GetCurrentTab(), -1);

    ResetGameLevelGlobals();
    EXPECT_EQ(MakeLevelHud(NoLevel())->GetCurrentTab(), -1);
    EXPECT_FALSE(GetLevelHelper().IsHoldingGame());
    SetLevelHelper(&helper);
    SetLevelHelper(nullptr);
    EXPECT_FALSE(GetLevelHelper().IsHoldingGame());
}

}  // namespace
