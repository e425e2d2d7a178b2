// The game's dialog window in a whole-game run: over a cover picture that
// hides everything beneath, what lights up at the pointer is the cursor
// trail its overlay draws.
#include <gtest/gtest.h>

#include "game/app/AppEvents.h"
#include "game/app/MyCursor.h"
#include "game/app/controls/CustomWindow.h"
#include "game/app/screens/MainMenuScreen.h"
#include "game/run/support/GameRun.h"
#include "script/Script.h"
#include "ui/WindowManager.h"

using gametest::TGameRun;

// The display driver's own allocations are not this program's.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

// The night blue of the closed picture's sky.
constexpr uint32_t kCover = 0x27345C;

// Pixels other than the cover's in the corner where the pointer of a
// headless run rests.
bool CornerLit()
{
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (TGameRun::FramePixel(x, y) != kCover) return true;
    return false;
}

void RunLua(const char* lua)
{
    TScript* script = GetWindowManagerScript();
    ASSERT_NE(script, nullptr);
    EXPECT_EQ(script->DoLuaString(lua), 0) << lua;
}

TEST(GameControlsRun, TheDialogWindowDrawsTheCursorTrail)
{
    TGameRun run;
    run.Step(
           "the first screen",
           []
           {
               auto* menu = static_cast<TMainMenuScreen*>(
                   TGameRun::FindWindowOfClass(TMainMenuScreen::ClassId()));
               return menu != nullptr && !menu->IsFirstFrame();
           },
           []
           {
               ASSERT_NE(TMyCursor::GetIfMade(), nullptr);
               ASSERT_FALSE(TMyCursor::GetIfMade()->IsSystemCursor());
               // A plain dialog covering the screen and what it draws.
               RunLua(
                   "PushModal('cover') MakeDialog{ Window{ name = 'cover', w = 800, h = 600, "
                   "Bitmap{ name = 'sky', x = 0, y = 0, "
                   "image = 'images/core/main_menu/fon_close' } } }");
           })
        .Step(
            "nothing at the pointer over a plain window", [] { return !CornerLit(); },
            []
            {
                RunLua(
                    "PushModal('trail') MakeDialog{ CustomWindow{ name = 'trail', "
                    "x = 0, y = 0, w = 800, h = 600 } }");
                EXPECT_NE(TGameRun::FindWindowOfClass(TCustomWindow::ClassId()), nullptr);
            })
        .Step("the trail at the pointer", &CornerLit, &TGameRun::TerminateFromOutside, 5000);

    run.Run();
    EXPECT_TRUE(run.Failures().empty()) << run.Failures().front() << "\n" << run.Log();
}

}  // namespace
