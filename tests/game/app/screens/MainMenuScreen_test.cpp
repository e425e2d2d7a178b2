// The screen pattern as the main menu's first form uses it: the groups asked
// for on the first tick (with the comics due), input swallowed until they are
// in, then the focus, the whole picture for its parent, the screen stack;
// a menu destroyed while its groups load gives its request back.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "core/Folders.h"
#include "core/Settings.h"
#include "game/app/StartupSettings.h"
#include "game/app/screens/MainMenuScreen.h"
#include "game/app/Player.h"
#include "game/app/controls/CustomButton.h"
#include "script/Script.h"
#include "game/app/support/LoadingFixture.h"
#include "game/app/support/ProfileFolder.h"
#include "ui/Screen.h"

// The GL driver of the headless display keeps allocations past exit.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

using gameapptest::LoadingTest;

TEST(MainMenuGroups, FirstScreenAsksForTheComicsDue)
{
    const std::vector<TString> base = {"helper", "main_menu", "map", "core_audio", "window_audio"};
    struct Case
    {
        int users;
        int comicDue;
        std::vector<TString> more;
    } cases[] = {
        {0, -1, {"comics_1"}},
        {0, 3, {"comics_1"}},
        {2, -1, {}},
        {1, 1, {"comics", "comics_1", "comics_1_audio"}},
        {3, 4, {"comics", "comics_4", "comics_4_audio"}},
    };
    for (const Case& c : cases)
    {
        std::vector<TString> expected = base;
        expected.insert(expected.end(), c.more.begin(), c.more.end());
        EXPECT_EQ(TMainMenuScreen::GroupsFor(c.users, c.comicDue), expected)
            << c.users << " users, comics " << c.comicDue;
    }
}

// A menu script as the game's: the layout keys, the required children and
// buttons whose commands note what they did in the global "pressed".
const char* const kMenuScript = R"(
pressed = ""
PushModal('menu')
MakeDialog{
  MainMenuScreen{ name = 'main_menu', x = 0, y = 0, w = 800, h = 600,
    locat_image_x = 100, locat_image_y = 120,
    Flash = { up_time = 200, up_rotate_1 = 1, up_rotate_2 = -1, up_scale_start = 0.5,
              up_scale_stop = 1, up_alpha_time = 0.5, down_time = 300, down_scale_start = 1,
              down_scale_stop = 2, down_alpha_time = 1 },
    PAK = { text = '#Press a key', size = 20, x = 200, y = 500, w = 400, h = 40 },
    Scroll = { start_x = -300, start_y = 10, finish_x = 20, finish_y = 50, time = %d },
    Window{ name = 'shell', x = 0, y = 0, w = 800, h = 600,
      Button{ name = 'play_button', x = 0, y = 0, w = 10, h = 10,
              command = function() pressed = pressed .. 'play ' end },
      Button{ name = 'quit', x = 20, y = 0, w = 10, h = 10,
              command = function() pressed = pressed .. 'quit ' end } },
    CustomButton{ name = 'profile_button', x = 0, y = 0, w = 100, h = 30 },
    Button{ name = 'editor', x = 0, y = 0, w = 10, h = 10 },
  },
}
function FirstPlayer() pressed = pressed .. 'first ' end
)";

class MainMenuTest : public LoadingTest
{
protected:
    void SetUp() override
    {
        profileFolder_ = std::make_unique<gameapptest::ProfileFolder>();
        std::string resources;
        for (const char* group :
             {"helper", "main_menu", "map", "core_audio", "window_audio", "comics_1"})
            resources += std::string(group) + " = { 'pictures/one' }\n";
        SetUpLoading(resources, {{"pictures/one.png", ""}});
        wm->RegisterWindowType("MainMenuScreen", TMainMenuScreen::ClassId());
        wm->RegisterWindowType("CustomButton", TCustomButton::ClassId());
        player_ = TPlayer::GetInstance();
        assets_.NewLog();
    }
    void TearDown() override
    {
        LoadingTest::TearDown();
        profileFolder_.reset();
    }
    // The menu as its script makes it, in a modal of its own.
    TMainMenuScreen* OpenMenu(const char* script)
    {
        EXPECT_EQ(script_->DoLuaString(script), 0);
        TWindow* w = wm->GetTopModal()->FindChild("main_menu", -1);
        return w != nullptr && w->IsKindOf(TMainMenuScreen::ClassId())
                   ? static_cast<TMainMenuScreen*>(w)
                   : nullptr;
    }
    TMainMenuScreen* OpenFullMenu(int scrollTime = 500)
    {
        return OpenMenu(TString::Format(kMenuScript, scrollTime).CStr());
    }
    // Opens the menu and lets its groups load.
    TMainMenuScreen* OpenLoaded(int scrollTime = 500)
    {
        TMainMenuScreen* menu = OpenFullMenu(scrollTime);
        Pass(16);
        LoadAll();
        Pass(1);
        return menu;
    }
    TWindow* Child(const char* name) { return wm->GetTopModal()->FindChild(name, -1); }
    std::string Pressed()
    {
        lua_State* L = script_->GetState();
        lua_pushstring(L, "pressed");
        lua_gettable(L, LUA_GLOBALSINDEX);
        const char* text = lua_tostring(L, -1);
        std::string s = text != nullptr ? text : "";
        lua_pop(L, 1);
        return s;
    }

    std::unique_ptr<gameapptest::ProfileFolder> profileFolder_;
    TPlayer* player_ = nullptr;
};

TEST_F(MainMenuTest, LoadsOnItsFirstTickAndSwallowsInputUntilThen)
{
    TMainMenuScreen* menu = OpenMenu(
        "PushModal('menu') MakeDialog{ MainMenuScreen{ name = 'main_menu', "
        "x = 0, y = 0, w = 800, h = 600 } }");
    ASSERT_NE(menu, nullptr);
    TWindow* modal = wm->GetTopModal();
    modal->SetPosition(30, 40);
    EXPECT_EQ(player_->TopScreen(), menu);
    EXPECT_EQ(wm->GetFocusWindow(), menu);
    EXPECT_TRUE(menu->IsFirstFrame());
    EXPECT_TRUE(menu->OnKeyDown(13, 0));
    EXPECT_TRUE(menu->OnMouseDown(TPoint(5, 5)));

    Pass(16);  // the first tick asks for the groups
    ASSERT_TRUE(res_->IsLoading());
    EXPECT_EQ(TopName(), "load");
    EXPECT_EQ(res_->GetTotalFiles(), 6);  // with "comics_1": no profile yet
    LoadAll();
    EXPECT_FALSE(res_->IsLoading());
    EXPECT_FALSE(menu->IsFirstFrame());
    EXPECT_EQ(wm->GetFocusWindow(), menu);
    EXPECT_EQ(modal->GetRect(), TRect(0, 0, 800, 600));

    // Gone: off the screen stack, its script functions taken back.
    wm->PopTopModal();
    Pass(1);
    EXPECT_EQ(player_->TopScreen(), nullptr);
    for (const char* call : {"MainMenuButtonDepress(1)", "SetCurrentPlayerName()", "StartFlash()"})
        EXPECT_EQ(script_->DoLuaString(call), 0) << call;
    // The bare script lacks the children the real menu has: each is named
    // once, nothing else goes wrong.
    const std::string newLog = assets_.NewLog();
    for (const char* name : {"\"profile_button\"", "\"shell\"", "\"editor\""})
        EXPECT_NE(newLog.find(name), std::string::npos) << newLog;
}

TEST_F(MainMenuTest, TheFirstMenuWaitsForAKeyThenFlashesAndSlidesTheProfileButton)
{
    TMainMenuScreen* menu = OpenLoaded();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->IsFlashOn());
    EXPECT_EQ(Pressed(), "first ");
    TWindow* shell = Child("shell");
    TWindow* button = Child("profile_button");
    ASSERT_NE(shell, nullptr);
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(shell->IsVisible());
    EXPECT_EQ(button->GetRect().left, -300);
    EXPECT_EQ(Child("editor")->GetRect().top, -200);

    // The first key starts the flash instead of acting.
    EXPECT_TRUE(menu->OnKeyDown(13, 0));
    Pass(1);
    EXPECT_EQ(Pressed(), "first ");
    EXPECT_EQ(menu->GetFlash().GetFirstPhase(), TAnimatedElementList::kIn);
    // Enter presses "play_button" while the flash plays, and goes on.
    EXPECT_FALSE(menu->OnKeyDown(13, 0));
    Pass(1);
    EXPECT_EQ(Pressed(), "first play ");

    // The shell shows as the flash turns to its out phase; the slide starts
    // when the flash has ended.
    for (int i = 0; i < 14 && menu->GetFlash().GetFirstPhase() == TAnimatedElementList::kIn; ++i)
        Pass(16);
    EXPECT_EQ(menu->GetFlash().GetFirstPhase(), TAnimatedElementList::kOut);
    EXPECT_TRUE(shell->IsVisible());
    EXPECT_TRUE(menu->IsFlashOn());
    for (int i = 0; i < 40 && menu->IsFlashOn(); ++i) Pass(16);
    EXPECT_FALSE(menu->IsFlashOn());
    EXPECT_TRUE(menu->IsScrolling());
    const int32_t startedAt = button->GetRect().left;
    EXPECT_LT(startedAt, 20);
    for (int i = 0; i < 40 && menu->IsScrolling(); ++i) Pass(16);
    EXPECT_FALSE(menu->IsScrolling());
    EXPECT_EQ(button->GetRect().left, 20);
    EXPECT_EQ(button->GetRect().top, 50);
    // Escape presses "quit" once the menu is open.
    EXPECT_FALSE(menu->OnKeyDown(27, 0));
    Pass(1);
    EXPECT_EQ(Pressed(), "first play quit ");
}

TEST_F(MainMenuTest, ALaterMenuOpensAtOnceWithTheSlide)
{
    OpenLoaded();
    wm->PopTopModal();
    Pass(1);
    // The run's first loading is over: no flash for this one.
    TMainMenuScreen* menu = OpenLoaded();
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(menu->IsFlashOn());
    EXPECT_TRUE(Child("shell")->IsVisible());
    EXPECT_TRUE(menu->IsScrolling());
    // A click is not swallowed and starts nothing.
    EXPECT_FALSE(menu->OnMouseDown(TPoint(400, 300)));
    EXPECT_EQ(menu->GetFlash().GetFirstPhase(), TAnimatedElementList::kNotStarted);
    // The slide is half way after half its time, truncated toward zero.
    uitest::AdvanceTime(234);
    Pass(16);
    EXPECT_EQ(Child("profile_button")->GetRect().left, -300 + 160);
    EXPECT_EQ(Child("profile_button")->GetRect().top, 10 + 20);
}

TEST_F(MainMenuTest, ASlideOfNoTimeStandsAtItsFinish)
{
    for (int time : {0, -5})
    {
        OpenLoaded(time);
        wm->PopTopModal();
        Pass(1);
        TMainMenuScreen* menu = OpenLoaded(time);
        ASSERT_NE(menu, nullptr) << time;
        EXPECT_FALSE(menu->IsScrolling()) << time;
        EXPECT_EQ(Child("profile_button")->GetRect().left, 20) << time;
        EXPECT_EQ(Child("profile_button")->GetRect().top, 50) << time;
        wm->PopTopModal();
        Pass(1);
    }
}

TEST_F(MainMenuTest, ThePromptPulsesEverySeventyFrames)
{
    TMainMenuScreen* menu = OpenLoaded();
    ASSERT_NE(menu, nullptr);
    // The ticks while loading have counted already: the cadence is counted
    // from the first change, whichever way that goes.
    const int32_t base = 20;
    const int32_t before = menu->GetPressFontSize();
    ASSERT_TRUE(before == base || before == base + 1) << before;
    const int32_t after = before == base ? base + 1 : base;
    int waited = 0;
    while (menu->GetPressFontSize() == before && waited <= 70)
    {
        Pass(16);
        ++waited;
    }
    ASSERT_EQ(menu->GetPressFontSize(), after) << "no change in " << waited << " frames";
    struct Step
    {
        int frames;
        int32_t size;
    } steps[] = {{69, after}, {1, before}, {69, before}, {1, after}, {70, before}};
    for (const Step& s : steps)
    {
        for (int i = 0; i < s.frames; ++i) Pass(16);
        EXPECT_EQ(menu->GetPressFontSize(), s.size);
    }
}

TEST_F(MainMenuTest, AMenuGoneWhileLoadingIsNotCalledBack)
{
    TMainMenuScreen* menu = OpenFullMenu();
    ASSERT_NE(menu, nullptr);
    Pass(16);
    ASSERT_TRUE(res_->IsLoading());
    // The menu goes while the loading screen is up.
    wm->ScheduleDelete(menu);
    Pass(10);
    LoadAll();
    EXPECT_FALSE(res_->IsLoading());
    EXPECT_EQ(player_->TopScreen(), nullptr);
}

}  // namespace
