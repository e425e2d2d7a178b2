// The profile list through the window manager and its script: rows from the
// profiles, the view and its scroll buttons, keys, clicks, the double click
// and the wheel pressing the script's buttons, the five script functions
// (also once the screen is gone), deleting and adding rows, and the
// highlight's fade.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/Event.h"
#include "game/app/Player.h"
#include "game/app/Singleton.h"
#include "game/app/WindowTypes.h"
#include "game/app/controls/support/GameControlsTest.h"
#include "game/app/screens/ProfileScreen.h"
#include "game/app/support/ProfileFolder.h"
#include "ui/Button.h"
#include "ui/Message.h"

namespace
{

class ProfileScreenTest : public controlstest::GameControlsTest
{
protected:
    void SetUp() override
    {
        folder_ = std::make_unique<gameapptest::ProfileFolder>();
        GameControlsTest::SetUp();
        player = TPlayer::GetInstance();
    }
    void TearDown() override
    {
        wm.reset();
        DestroySingletons();
        GameControlsTest::TearDown();
        folder_.reset();
    }
    // Profiles named A, B, C, ... then the list over them.
    TProfileScreen* OpenWith(int profiles, int flagMs = 100, int current = -1)
    {
        for (int i = 0; i < profiles; ++i)
            player->CreateNewUser(TString(std::string(1, char('A' + i)).c_str()));
        player->SetCurrentUser(current);
        Eval("gFlag = " + std::to_string(flagMs));
        Eval("PushModal('dlg')");
        EXPECT_EQ(script->DoLuaString(ReadProfileFixture().c_str()), 0);
        screen = Find<TProfileScreen>("profiles");
        EXPECT_NE(screen, nullptr);
        return screen;
    }
    static std::string ReadProfileFixture()
    {
        std::ifstream in(std::string(ORVELLE_TEST_DATA) + "/game/screens/profile.lua");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // The presses the commands noted since the last call, space-separated.
    std::string Pressed()
    {
        Eval("while gCommandQueue[1] ~= nil do table.remove(gCommandQueue, 1)() end");
        std::string out = Eval("r = table.concat(gPressed, ' ') gPressed = {}");
        return out == "nil" ? "" : out;
    }
    bool Shown(const char* name)
    {
        TWindow* w = screen->FindChild(TString(name), -1);
        return w != nullptr && (w->GetFlags() & kWindowVisible) != 0;
    }
    std::string View()
    {
        return std::to_string(screen->GetFirstVisible()) + ".." + std::to_string(screen->GetLastVisible());
    }
    // One window timer pass after ms.
    void Pass(uint32_t ms)
    {
        uitest::AdvanceTime(ms);
        Send(kEventIdle);
    }
    // The rows lie one under another from the top of the view.
    void ExpectRowsInPlace()
    {
        for (int i = 0; i < screen->GetRowCount(); ++i)
        {
            const int top = 20 + (i - screen->GetFirstVisible()) * 10;
            EXPECT_EQ(screen->GetRowRect(i), TRect(10, top, 30, top + 10)) << "row " << i;
        }
    }

    std::unique_ptr<gameapptest::ProfileFolder> folder_;
    TPlayer* player = nullptr;
    TProfileScreen* screen = nullptr;
};

TEST_F(ProfileScreenTest, TenProfilesScrollByKeysWheelAndButtons)
{
    ASSERT_NE(OpenWith(10, 100, 2), nullptr);
    EXPECT_EQ(wm->GetFocusWindow(), screen);
    EXPECT_EQ(screen->GetRowCount(), 10);
    EXPECT_EQ(screen->GetSelection(), 2);  // the current profile's row
    EXPECT_EQ(View(), "0..5");
    EXPECT_FALSE(Shown("up_button"));
    EXPECT_TRUE(Shown("down_button"));
    ExpectRowsInPlace();

    // Keys reach the focus window; moving inside the view presses nothing.
    Send(kEventKeyDown, -500, -500, kKeyDown & 0xFF);
    Send(kEventKeyDown, -500, -500, kKeyDown & 0xFF);
    Send(kEventKeyDown, -500, -500, kKeyDown & 0xFF);
    EXPECT_EQ(screen->GetSelection(), 5);
    EXPECT_EQ(Pressed(), "");
    // Past the last visible row: "down_button", whose command scrolls.
    screen->OnKeyDown(kKeyDown, 0);
    EXPECT_EQ(Pressed(), "down");
    EXPECT_EQ(screen->GetSelection(), 6);
    EXPECT_EQ(View(), "1..6");
    EXPECT_TRUE(Shown("up_button"));
    ExpectRowsInPlace();

    // The wheel: forward up, backward down, refused past either end.
    struct Step
    {
        int code;
        const char* view;
    } steps[] = {{6, "0..5"}, {6, "0..5"}, {7, "1..6"}, {7, "2..7"},
                 {7, "3..8"}, {7, "4..9"}, {7, "4..9"}};
    for (const Step& s : steps)
    {
        EXPECT_TRUE(screen->OnMouseButton(TPoint(0, 0), s.code));
        EXPECT_EQ(View(), s.view) << s.code;
    }
    EXPECT_TRUE(Shown("up_button"));
    EXPECT_FALSE(Shown("down_button"));
    ExpectRowsInPlace();
    EXPECT_FALSE(screen->OnMouseButton(TPoint(0, 0), 3));

    // Up past the first visible row presses "up_button"; the ends hold.
    for (int i = 0; i < 3; ++i) screen->OnKeyDown(kKeyDown, 0);
    EXPECT_EQ(screen->GetSelection(), 9);
    EXPECT_TRUE(screen->OnKeyDown(kKeyDown, 0));
    EXPECT_EQ(screen->GetSelection(), 9);
    EXPECT_EQ(Pressed(), "");
    for (int i = 0; i < 6; ++i) screen->OnKeyDown(kKeyUp, 0);
    EXPECT_EQ(screen->GetSelection(), 3);
    EXPECT_EQ(Pressed(), "up");
    EXPECT_EQ(View(), "3..8");
}

TEST_F(ProfileScreenTest, KeysAndClicksPressTheScriptsButtons)
{
    ASSERT_NE(OpenWith(3), nullptr);
    struct Case
    {
        int key;
        int modifiers;
        const char* pressed;
        bool taken;
    } cases[] = {
        {13, 0, "select", true},      {27, 0, "select", true}, {kKeyDelete, 0, "delete", true},
        {'N', 2, "new", true},        {'N', 0, "", false},     {'N', 3, "", false},
        {'x', 0, "", false},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(screen->OnKeyDown(int8_t(c.key), c.modifiers), c.taken) << c.key;
        EXPECT_EQ(Pressed(), c.pressed) << c.key;
    }

    // A click selects the row; a second within 300 ms renames, a slower one
    // does not. Rows are (10, 20 + 10 i) to (30, 30 + 10 i), corners inclusive
    // at the top-left only.
    EXPECT_EQ(screen->GetSelection(), 0);
    EXPECT_FALSE(screen->OnMouseDown(TPoint(10, 40)));
    EXPECT_EQ(screen->GetSelection(), 2);
    EXPECT_EQ(screen->GetPreviousSelection(), 0);
    uitest::AdvanceTime(299);
    screen->OnMouseDown(TPoint(29, 49));
    EXPECT_EQ(Pressed(), "rename");
    uitest::AdvanceTime(301);
    screen->OnMouseDown(TPoint(29, 49));
    EXPECT_EQ(Pressed(), "");
    screen->OnMouseDown(TPoint(30, 49));  // right edge: no row
    screen->OnMouseDown(TPoint(10, 50));  // bottom edge: no row
    EXPECT_EQ(Pressed(), "");
    EXPECT_EQ(screen->GetSelection(), 2);

    // The right button on any row renames; elsewhere it is not taken.
    EXPECT_TRUE(screen->OnMouseButton(TPoint(15, 25), 1));
    EXPECT_EQ(Pressed(), "rename");
    EXPECT_FALSE(screen->OnMouseButton(TPoint(100, 100), 1));
    EXPECT_EQ(Pressed(), "");

    // Messages stop here, but a closed dialog's notice goes on to the
    // command waiting for it.
    TMessage closed(kModalClosed, "1234");
    TMessage other(kPressAnyKey, "raw:a");
    EXPECT_FALSE(screen->OnMessage(&closed));
    EXPECT_TRUE(screen->OnMessage(&other));
}

TEST_F(ProfileScreenTest, DeletingRowsKeepsTheListWhole)
{
    struct Case
    {
        int profiles;
        int select;
        int answer;
        int selection;  // after
        const char* names;
        const char* view;
    } cases[] = {
        {4, 0, 1, 0, "BCD", "0..2"},
        {4, 3, 1, 2, "ABC", "0..2"},
        {5, 3, 1, 2, "ABCE", "0..3"},
        {4, 1, 0, 1, "ABCD", "0..3"},  // any other answer keeps it
        // One row below a full view: the rows below the deleted one close up.
        {7, 3, 1, 2, "ABCEFG", "0..5"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.names);
        DestroySingletons();
        folder_ = std::make_unique<gameapptest::ProfileFolder>();
        player = TPlayer::GetInstance();
        ASSERT_NE(OpenWith(c.profiles), nullptr);
        for (int i = 0; i < c.select; ++i) screen->OnKeyDown(kKeyDown, 0);
        Eval("AskToDelete(" + std::to_string(c.answer) + ")");
        EXPECT_EQ(screen->GetSelection(), c.selection);
        std::string rows, profiles;
        for (int i = 0; i < screen->GetRowCount(); ++i) rows += screen->GetRowName(i).CStr();
        for (int i = 0; i < player->GetNumUsers(); ++i) profiles += player->GetUserName(i).CStr();
        EXPECT_EQ(rows, c.names);
        EXPECT_EQ(profiles, c.names);
        EXPECT_EQ(View(), c.view);
        EXPECT_FALSE(Shown("down_button"));
        ExpectRowsInPlace();
        wm->PopTopModal();
        Pass(1);
    }
}

TEST_F(ProfileScreenTest, DeletingAtTheEndOfAScrolledViewTakesTheRowAboveBackIn)
{
    ASSERT_NE(OpenWith(8), nullptr);
    for (int i = 0; i < 7; ++i) screen->OnKeyDown(kKeyDown, 0);
    Pressed();
    EXPECT_EQ(View(), "2..7");
    Eval("AskToDelete(1)");
    EXPECT_EQ(screen->GetSelection(), 6);
    EXPECT_EQ(View(), "1..6");
    EXPECT_TRUE(Shown("up_button"));
    EXPECT_FALSE(Shown("down_button"));
    ExpectRowsInPlace();
    // Down to the last profile and past it: nothing left to select.
    while (screen->GetRowCount() > 0) Eval("AskToDelete(1)");
    EXPECT_EQ(Eval("r = GetSelectPlayerName()"), "noname");
    EXPECT_EQ(player->GetNumUsers(), 0);
    Eval("AskToDelete(1) RenamePlayerOfVector('Z') ProfileButtonDepress(4)");
    EXPECT_EQ(screen->GetRowCount(), 0);
}

TEST_F(ProfileScreenTest, AddingToAFullListAndScrollingItIntoView)
{
    ASSERT_NE(OpenWith(6), nullptr);
    EXPECT_FALSE(Shown("down_button"));
    Eval("AddPlayerToVector('G')");
    EXPECT_EQ(screen->GetRowCount(), 7);
    EXPECT_EQ(screen->GetSelection(), 6);
    EXPECT_EQ(player->GetNumUsers(), 7);
    EXPECT_EQ(player->GetCurrentUser(), -1);  // added, not chosen
    EXPECT_EQ(Eval("r = GetSelectPlayerName()"), "G");
    Eval("ProfileButtonDepress(0)");
    EXPECT_EQ(View(), "1..6");
    EXPECT_TRUE(Shown("up_button"));
    EXPECT_FALSE(Shown("down_button"));
    ExpectRowsInPlace();

    // A name a profile has already gets a row but no second profile.
    Eval("AddPlayerToVector('B')");
    EXPECT_EQ(screen->GetRowCount(), 8);
    EXPECT_EQ(player->GetNumUsers(), 7);

    // Rename the selected row and its profile, then choose it.
    screen->OnKeyDown(kKeyUp, 0);
    Eval("RenamePlayerOfVector('Gwen') ProfileButtonDepress(2)");
    EXPECT_EQ(std::string(screen->GetRowName(6).CStr()), "Gwen");
    EXPECT_EQ(player->GetCurrentUser(), 6);
    EXPECT_EQ(std::string(player->GetName().CStr()), "Gwen");
    Eval("ProfileButtonDepress(1) ProfileButtonDepress(9)");
    EXPECT_EQ(View(), "1..6");
}

TEST_F(ProfileScreenTest, WithNoProfileNewIsPressedOnceAndTheFunctionsDieWithTheScreen)
{
    ASSERT_NE(OpenWith(0), nullptr);
    EXPECT_EQ(screen->GetRowCount(), 0);
    EXPECT_EQ(Eval("r = GetSelectPlayerName()"), "noname");
    Pass(16);
    Pass(16);
    Pass(16);
    EXPECT_EQ(Pressed(), "new");

    // Kind 5 closes the top modal; the screen goes with it and every
    // function it published is taken back.
    Eval("ProfileButtonDepress(5)");
    Pass(1);
    EXPECT_EQ(wm->GetTopModal(), wm->GetScreen());
    EXPECT_EQ(player->TopScreen(), nullptr);
    EXPECT_EQ(script->DoLuaString("ProfileButtonDepress(3) AskToDelete(1) AddPlayerToVector('X') "
                                  "RenamePlayerOfVector('Y') r = GetSelectPlayerName()"),
              0);
    EXPECT_EQ(Global("r"), "nil");
    EXPECT_EQ(player->GetNumUsers(), 0);
}

TEST_F(ProfileScreenTest, TheHighlightFadesFromTheOldRowToTheNew)
{
    ASSERT_NE(OpenWith(3, 100), nullptr);
    Pass(100);
    Pass(16);
    EXPECT_FALSE(screen->IsAnimating());
    EXPECT_FLOAT_EQ(screen->GetHighlightAlpha(false), 1.0f);
    screen->OnKeyDown(kKeyDown, 0);
    EXPECT_TRUE(screen->IsAnimating());
    EXPECT_FLOAT_EQ(screen->GetHighlightAlpha(false), 0.0f);
    EXPECT_FLOAT_EQ(screen->GetHighlightAlpha(true), 1.0f);
    // At the new row's centre; the old one fades where the highlight stood.
    auto at = [&](bool previous)
    {
        const TFloatPoint p = screen->GetHighlightPosition(previous);
        return std::to_string(int(p.x)) + "," + std::to_string(int(p.y));
    };
    EXPECT_EQ(at(false), "20,35");
    EXPECT_EQ(at(true), "20,25");
    Pass(48);
    EXPECT_NEAR(screen->GetHighlightAlpha(false), 0.48f, 0.001f);
    EXPECT_NEAR(screen->GetHighlightScale(false), 0.48f, 0.001f);
    EXPECT_NEAR(screen->GetHighlightAlpha(true), 0.52f, 0.001f);
    Pass(52);
    EXPECT_FALSE(screen->IsAnimating());
    EXPECT_FLOAT_EQ(screen->GetHighlightAlpha(false), 1.0f);
    EXPECT_FLOAT_EQ(screen->GetHighlightScale(false), 1.0f);
    EXPECT_FLOAT_EQ(screen->GetHighlightAlpha(true), 0.0f);
    wm->PopTopModal();
    Pass(1);

    // A highlight time of 0 or less ends at once.
    for (int flag : {0, -5})
    {
        DestroySingletons();
        folder_ = std::make_unique<gameapptest::ProfileFolder>();
        player = TPlayer::GetInstance();
        ASSERT_NE(OpenWith(2, flag), nullptr);
        screen->OnKeyDown(kKeyDown, 0);
        EXPECT_FALSE(screen->IsAnimating()) << flag;
        EXPECT_FLOAT_EQ(screen->GetHighlightAlpha(false), 1.0f) << flag;
        wm->PopTopModal();
        Pass(1);
    }
}

}  // namespace
