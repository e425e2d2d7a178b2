// Level 1 played in a whole-game run, headless and in-process: from the main
// menu into the level screen, the loading screen, the intro (a stand-in
// card), the level running, a stall placed on a free slot with the mouse,
// the level stored by a close request and running on after "No", a lost
// focus pausing it under "pause" and the regained focus (and the pause's
// button) letting it run again, then the won level's result in the profile
// under the game-over card (a stand-in).
#include <gtest/gtest.h>

#include "core/FileNames.h"
#include "core/Prefs.h"
#include "game/app/Player.h"
#include "game/level/GameLogic.h"
#include "game/level/GameLogicScreen.h"
#include "game/run/support/GameRun.h"
#include "platform/Keys.h"
#include "ui/WindowManager.h"

using gametest::TGameRun;

// The display driver's own allocations are not this program's.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

// The level's dialogs not shipped yet: a named modal with one button each.
const char kIntro[] =
    "MakeDialog{ name = 'intro', Button{ name = 'close', x = 350, y = 280, w = 100, h = 40,"
    " command = function() PopModal('intro') end } }";
const char kInGame[] =
    "MakeDialog{ name = 'in_game', Button{ name = 'close', x = 350, y = 280, w = 100, h = 40,"
    " command = function() PopModal('in_game') end } }";
const char kGameOver[] =
    "MakeDialog{ name = 'game_over', Button{ name = 'close', x = 350, y = 280, w = 100, h = 40,"
    " command = function() PopModal('game_over') end } }";

void RegisterStandIns()
{
    RegisterMemoryFileByName("scripts/core/screen/intro.lua", kIntro, sizeof(kIntro) - 1);
    RegisterMemoryFileByName("scripts/core/screen/in_game.lua", kInGame, sizeof(kInGame) - 1);
    RegisterMemoryFileByName("scripts/core/screen/game_over.lua", kGameOver, sizeof(kGameOver) - 1);
}

TGameLogic* Level()
{
    return TGameLogic::GetIfMade();
}

TGameLogicScreen* Screen()
{
    return static_cast<TGameLogicScreen*>(TGameRun::FindWindowOfClass(TGameLogicScreen::ClassId()));
}

int32_t Clock()
{
    TGameLogic* level = Level();
    return level != nullptr ? level->GetMainClock().GetTime() : -1;
}

int StoredInt(const char* key)
{
    TPrefs prefs(false);
    return prefs.GetInt(key, -100, 0);
}

// The first slot free for building with nothing on it; -1 when none.
int32_t FreeSlot()
{
    TGameLogic* level = Level();
    for (int32_t i = 0; level != nullptr && i < level->GetSlotCount(); ++i)
    {
        const SSlot* slot = level->GetSlot(i);
        if (slot->free && !slot->covered) return i;
    }
    return -1;
}

TEST(LevelRun, LevelOnePlayedStoredPausedAndWon)
{
    TGameRun run;
    int32_t mark = 0;
    int32_t money = 0;
    int32_t stalls = 0;
    run.Step("the first player's name", [] { return TGameRun::IsTop("profile_name"); },
             [] {
                 RegisterStandIns();
                 TGameRun::TypeText("Ann");
             })
        .Idle(5)
        .Do("the name entered", [] { TGameRun::PressKey(platform::kVkReturn); })
        .Step("chosen", [] { return TGameRun::IsTop("profile"); },
              [] { TGameRun::PressKey(platform::kVkReturn); })
        .Step("the main menu", [] { return TGameRun::IsTop("main_menu"); },
              [] {
                  // The map's play button will do this: level 1, the level screen.
                  TPlayer::GetIfMade()->SetLevelToPlay(1);
                  TWindowManager* wm = GetWindowManager();
                  ASSERT_TRUE(wm->RunScriptForWindow(wm->GetTopModal(),
                                                     "SwapToModal(\"scripts/core/screen/game_logic.lua\")"));
              })
        .Step("the level screen loads its groups", [] { return Screen() != nullptr && TGameRun::IsTop("load"); })
        .Step("the intro over the started level", [] { return TGameRun::IsTop("intro"); },
              [&] {
                  ASSERT_NE(Level(), nullptr);
                  EXPECT_TRUE(Level()->IsRunning());
                  EXPECT_TRUE(Level()->IsPaused());
                  EXPECT_GT(Level()->GetStallCount(), 0);
                  // What the intro card does when it closes.
                  ASSERT_TRUE(TGameRun::Click("close"));
                  Level()->OnIntroClosed();
                  Level()->Pause(false, false);
                  mark = Clock();
              })
        .Step("the level runs", [&] { return TGameRun::IsTop("game_logic") && Clock() > mark + 200; },
              [&] {
                  money = Level()->GetEconomic().GetMoney();
                  stalls = Level()->GetStallCount();
                  ASSERT_GE(FreeSlot(), 0);
                  // The HUD's build button starts the drag of a stall.
                  Level()->StartStallDrag(true, kStallAttraction, 0, 0, 0);
                  ASSERT_TRUE(Level()->IsDragging());
              })
        .Step("the stall dragged",
              [] { return Level()->IsDragging() && !Level()->IsDragDelayed(); },
            [] {
                // A point of the slot's picture.
                SSlot* slot = Level()->GetSlot(FreeSlot());
                for (int32_t dy = -40; dy <= 40; dy += 2)
                    for (int32_t dx = -60; dx <= 60; dx += 2)
                        if (slot->HitTest(slot->x + dx, slot->y + dy))
                        {
                            TGameRun::ClickAt(slot->x + dx, slot->y + dy);
                            return;
                        }
                ADD_FAILURE() << "no point of slot " << FreeSlot() << " at " << slot->x << "," << slot->y;
            })
        .Step("a stall placed, money spent", [&] { return Level()->GetStallCount() == stalls + 1; },
              [&] { EXPECT_LT(Level()->GetEconomic().GetMoney(), money); })
        .Do("the window's close button", [] { TGameRun::CloseWindow(); })
        .Step("the question over the stored level", [] { return TGameRun::IsTop("quit"); },
              [&] {
                  EXPECT_EQ(StoredInt("is_save_level"), 1);
                  EXPECT_EQ(StoredInt("save_level_num"), 1);
                  EXPECT_TRUE(Level()->IsPaused());
                  ASSERT_TRUE(TGameRun::Click("no"));
              })
        .Step("\"No\" lets it run on", [] { return TGameRun::IsTop("game_logic"); },
              [&] { mark = Clock(); })
        .Step("running", [&] { return Clock() > mark + 200; }, [] { TGameRun::SetFocus(false); })
        .Step("a lost focus pauses it under \"pause\"", [] { return TGameRun::IsTop("pause"); },
              [&] { mark = Clock(); })
        .Idle(20)
        .Do("the clock stands", [&] {
            EXPECT_EQ(Clock(), mark);
            TGameRun::SetFocus(true);
        })
        .Step("the regained focus closes the pause and the level runs again",
              [&] { return TGameRun::IsTop("game_logic") && Clock() > mark + 200; },
              [] { TGameRun::SetFocus(false); })
        .Step("paused again", [] { return TGameRun::IsTop("pause"); },
              [&] {
                  mark = Clock();
                  ASSERT_TRUE(TGameRun::Click("resume"));
              })
        .Step("the pause's button lets it run too",
              [&] { return TGameRun::IsTop("game_logic") && Clock() > mark + 200; },
              [] {
                  Level()->GetGameInfo().gofTime = 1000;
                  Level()->FinishLevel(true);
              })
        .Step("the result under the game-over card", [] { return TGameRun::IsTop("game_over"); },
              [] {
                  TPlayer* player = TPlayer::GetIfMade();
                  EXPECT_EQ(player->GetLastResult().level, 0);
                  EXPECT_EQ(StoredInt("last_played_level"), 1);
                  EXPECT_NE(player->GetLevelState(0).state, -1);
                  TGameRun::TerminateFromOutside();
              });
    EXPECT_EQ(run.Run(), 0);
    EXPECT_TRUE(run.Failures().empty()) << run.FailureText() << run.Log();
}

}  // namespace
