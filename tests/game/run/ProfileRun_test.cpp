// The profile list in the whole game, headless: opened from the menu with
// no profile, it asks for a name at once; the typed name becomes the
// current profile through the list; a second profile is added and renamed,
// the first deleted after the question, and the second chosen, each step
// reaching the profile file.
#include <gtest/gtest.h>

#include "core/Event.h"
#include "game/app/MainMenuScreen.h"
#include "game/app/Player.h"
#include "game/app/screens/ProfileScreen.h"
#include "game/run/support/GameRun.h"
#include "host/App.h"
#include "host/AppHost.h"
#include "platform/Keys.h"
#include "script/Script.h"
#include "ui/WindowManager.h"
#include "ui/WindowScript.h"

using gametest::TGameRun;

// The display driver's own allocations are not this program's.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

bool IsTop(const char* name)
{
    return TGameRun::TopModalName() == TString(name);
}

TProfileScreen* List()
{
    return static_cast<TProfileScreen*>(TGameRun::FindWindowOfClass(TProfileScreen::ClassId()));
}

// An event as the platform hands it over.
void Push(int32_t type, TPoint at, int32_t data = 0)
{
    TApp* app = GetApp();
    TAppHost* host = app != nullptr ? app->GetHost() : nullptr;
    if (host == nullptr) return;
    TEvent ev;
    ev.Set(type, at.x, at.y, data, 0);
    host->pendingEvents.push_back(ev);
}

// Typed text.
void Type(const char* text)
{
    for (const char* c = text; *c != 0; ++c)
        Push(kEventCharUtf8, TPoint(0, 0), static_cast<unsigned char>(*c));
}

// Opens the list as the menu's profile button does: from the game's script
// coroutine, waiting for it to close.
void OpenList()
{
    TWindowManager* wm = GetWindowManager();
    ASSERT_NE(wm, nullptr);
    static_cast<TWindowScript*>(wm->GetScript())->DoLuaString(
        "table.insert(gCommandQueue, function() "
        "DoModal('scripts/core/screen/profile.lua') end)");
}

std::string Names()
{
    std::string out;
    TPlayer* player = TPlayer::GetIfMade();
    for (int i = 0; player != nullptr && i < player->GetNumUsers(); ++i)
        out += std::string(i ? " " : "") + player->GetUserName(i).CStr();
    return out;
}

TEST(ProfileRun, MakeRenameDeleteAndChooseProfilesThroughTheList)
{
    TGameRun run;
    auto menuUp = []
    {
        auto* menu = static_cast<TMainMenuScreen*>(
            TGameRun::FindWindowOfClass(TMainMenuScreen::ClassId()));
        return menu != nullptr && !menu->IsFirstFrame();
    };
    std::string afterFirst, afterSecond, afterRename, afterDelete;
    int currentAfterFirst = -2, currentAtEnd = -2;
    std::string currentName;
    // With no profile the menu opens the list itself, and the list presses
    // "new" at once.
    run.Step("the menu", menuUp, [] {}, 60000)
        .Step("the name dialog at once", [] { return IsTop("profile_name"); },
              [] { Type("Ann"); })
        .Idle(3)
        .Do("Enter", [] { TGameRun::PressKey(platform::kVkReturn); })
        .Step("back on the list with a row", [] { return IsTop("profile") && List() && List()->GetRowCount() == 1; },
              [&] { afterFirst = Names(); TGameRun::PressKey(platform::kVkReturn); })
        .Step("the list closed on Enter", [] { return List() == nullptr; },
              [&] { currentAfterFirst = TPlayer::GetInstance()->GetCurrentUser(); OpenList(); })
        // A second profile.
        .Step("the list again", [] { return IsTop("profile") && List() != nullptr; },
              [] { TGameRun::Click("new"); })
        .Step("the name dialog", [] { return IsTop("profile_name"); },
              // A taken name is refused; the dialog stays.
              [] { Type("Ann"); })
        .Idle(3)
        .Do("OK on a taken name", [] { TGameRun::PressKey(platform::kVkReturn); })
        .Idle(10)
        .Step("still asking", [] { return IsTop("profile_name"); },
              [] {
                  for (int i = 0; i < 3; ++i) TGameRun::PressKey(platform::kVkBack);
                  Type("Bo");
              })
        .Idle(3)
        .Do("OK", [] { TGameRun::PressKey(platform::kVkReturn); })
        .Step("two rows, the new one selected",
              [] { return IsTop("profile") && List()->GetRowCount() == 2; },
              [&] {
                  afterSecond = Names();
                  TGameRun::Click("rename_button");
              })
        .Step("the rename dialog", [] { return IsTop("profile_name"); },
              [] { Type("Bea"); })
        .Idle(3)
        .Do("OK", [] { TGameRun::PressKey(platform::kVkReturn); })
        .Step("renamed", [] { return IsTop("profile") && List()->GetRowName(1) == TString("Bea"); },
              [&] {
                  afterRename = Names();
              })
        .Idle(5)
        .Do("a click on the first profile", [] {
            const TRect r = List()->GetRowRect(0);
            const TPoint p = List()->ToScreen(TPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
            Push(kEventMouseMove, p);
            Push(kEventLeftDown, p);
            Push(kEventLeftUp, p);
        })
        .Step("the first profile selected", [] { return List()->GetSelection() == 0; },
              [] { TGameRun::Click("delete"); })
        .Step("the question", [] { return IsTop("profile_delete"); },
              [] { TGameRun::PressKey(platform::kVkReturn); })
        .Step("one row left", [] { return IsTop("profile") && List()->GetRowCount() == 1; },
              [&] {
                  afterDelete = Names();
                  TGameRun::PressKey(platform::kVkReturn);
              })
        .Step("the list closed", [] { return List() == nullptr; },
              [&] {
                  TPlayer* player = TPlayer::GetInstance();
                  currentAtEnd = player->GetCurrentUser();
                  currentName = player->GetName().CStr();
                  TGameRun::TerminateFromOutside();
              });
    run.Run();
    EXPECT_TRUE(run.Failures().empty()) << run.Failures().front() << "\n" << run.Log();
    EXPECT_EQ(afterFirst, "Ann");
    EXPECT_EQ(currentAfterFirst, 0);
    EXPECT_EQ(afterSecond, "Ann Bo");
    EXPECT_EQ(afterRename, "Ann Bea");
    EXPECT_EQ(afterDelete, "Bea");
    EXPECT_EQ(currentAtEnd, 0);
    EXPECT_EQ(currentName, "Bea");
}

}  // namespace
