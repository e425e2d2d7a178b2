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
#include "game/app/MainMenuScreen.h"
#include "game/app/Player.h"
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
        player_ = TPlayer::GetInstance();
        assets_.NewLog();
    }
    void TearDown() override
    {
        LoadingTest::TearDown();
        profileFolder_.reset();
    }
    // The menu as its script makes it, in a modal of its own.
    TMainMenuScreen* OpenMenu()
    {
        EXPECT_EQ(script_->DoLuaString(
                      "PushModal('menu') MakeDialog{ MainMenuScreen{ name = 'main_menu', "
                      "x = 0, y = 0, w = 800, h = 600 } }"),
                  0);
        TWindow* w = wm->GetTopModal()->FindChild("main_menu", -1);
        return w != nullptr && w->IsKindOf(TMainMenuScreen::ClassId())
                   ? static_cast<TMainMenuScreen*>(w)
                   : nullptr;
    }

    std::unique_ptr<gameapptest::ProfileFolder> profileFolder_;
    TPlayer* player_ = nullptr;
};

TEST_F(MainMenuTest, LoadsOnItsFirstTickAndSwallowsInputUntilThen)
{
    TMainMenuScreen* menu = OpenMenu();
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
    EXPECT_FALSE(menu->OnKeyDown(13, 0));
    EXPECT_FALSE(menu->OnMouseDown(TPoint(5, 5)));

    // Gone: off the screen stack, its script function taken back.
    wm->PopTopModal();
    Pass(1);
    EXPECT_EQ(player_->TopScreen(), nullptr);
    EXPECT_EQ(script_->DoLuaString("MainMenuButtonDepress(1)"), 0);
    const std::string newLog = assets_.NewLog();
    EXPECT_EQ(newLog.find("ERROR"), std::string::npos) << newLog;
}

TEST_F(MainMenuTest, AMenuGoneWhileLoadingIsNotCalledBack)
{
    TMainMenuScreen* menu = OpenMenu();
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
