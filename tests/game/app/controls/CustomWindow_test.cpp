// The game's dialog window: hot keys pressing buttons anywhere below it
// while the key travels on, the focus it gives (to a named child, to itself
// when the name finds none, once more on the first tick), and the screen
// stack it joins and leaves with the focus handed back.
#include <gtest/gtest.h>

#include <optional>

#include "core/Event.h"
#include "core/FileTestSupport.h"
#include "game/app/Player.h"
#include "game/app/Singleton.h"
#include "game/app/controls/CustomWindow.h"
#include "game/app/controls/support/GameControlsTest.h"
#include "game/app/support/ProfileFolder.h"
#include "ui/TextEdit.h"

using controlstest::GameControlsTest;

namespace
{

class CustomWindowTest : public GameControlsTest
{
protected:
    void SetUp() override
    {
        GameControlsTest::SetUp();
        profileFolder_.emplace();
        player_ = TPlayer::GetInstance();
        ASSERT_NE(player_, nullptr);
    }
    void TearDown() override
    {
        wm.reset();
        DestroySingletons();
        profileFolder_.reset();
        GameControlsTest::TearDown();
    }
    // A dialog window named name in a modal of its own; focus: the
    // "FocusWindow" table as Lua text ("nil" for none).
    TCustomWindow* OpenWindow(const char* name, const char* focus)
    {
        Eval(std::string("gWindowName = '") + name + "'; gFocus = " + focus);
        Open("window.lua");
        return Find<TCustomWindow>(name);
    }
    // Records the buttons pressed below window.
    void RecordPresses(TWindow* window)
    {
        for (const char* name : {"ok", "cancel", "again"})
            static_cast<TButton*>(window->FindChild(name, -1))
                ->SetAction(new uitest::NameAction(&pressed_));
    }
    // One tick of the dialog's 16 ms timer.
    void Tick()
    {
        uitest::AdvanceTime(16);
        Send(kEventIdle);
    }
    std::string NewLog()
    {
        const std::string all = tree_.Log();
        std::string fresh = all.substr(std::min(seen_, all.size()));
        seen_ = all.size();
        return fresh;
    }

    filetest::TempTree tree_;  // the log
    std::optional<gameapptest::ProfileFolder> profileFolder_;
    size_t seen_ = 0;
    TPlayer* player_ = nullptr;
    std::vector<std::string> pressed_;
};

TEST_F(CustomWindowTest, HotKeysPressTheirButtonsAndLetTheKeyTravelOn)
{
    TCustomWindow* w = OpenWindow("dialog", "{ name = 'field' }");
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->GetHotKeys().size(), 6u);
    EXPECT_EQ(w->GetHotKeys()[5].key, 13) << "a key past a byte keeps its low byte";
    RecordPresses(w);
    ASSERT_EQ(wm->GetFocusWindow(), w->FindChild("field", -1));

    struct Case
    {
        int key;
        std::vector<std::string> pressed;
    } cases[] = {
        {13, {"ok", "again"}},  // missing, non-button and unnamed rows skipped
        {27, {"cancel"}},
        {'A', {}},
        {kKeyLeft & 0xFF, {}},
    };
    for (const Case& c : cases)
    {
        pressed_.clear();
        // From the focused field up through its parents, as the player types.
        Send(kEventKeyDown, -500, -500, c.key);
        EXPECT_EQ(pressed_, c.pressed) << c.key;
        pressed_.clear();
        EXPECT_FALSE(w->OnKeyDown(static_cast<int8_t>(c.key), 0)) << c.key;
        EXPECT_EQ(pressed_, c.pressed) << c.key;
    }
    EXPECT_EQ(NewLog().find("ERROR"), std::string::npos);
}

TEST_F(CustomWindowTest, TheFocusGoesWhereFocusWindowSaysAndAgainOnTheFirstTick)
{
    struct Case
    {
        const char* focus;
        const char* expected;  // the window name that holds the focus
        bool logged;
    } cases[] = {
        {"{ name = 'field' }", "field", false},
        {"{ name = 'nowhere' }", "dlg1", true},
        {"{ name = '' }", "dlg2", true},
        {"nil", "dlg3", false},
        {"'field'", "dlg4", false},  // not a table: the window itself
    };
    int n = 0;
    for (const Case& c : cases)
    {
        const std::string name = "dlg" + std::to_string(n++);
        NewLog();
        TCustomWindow* w = OpenWindow(name.c_str(), c.focus);
        ASSERT_NE(w, nullptr) << c.focus;
        ASSERT_NE(wm->GetFocusWindow(), nullptr) << c.focus;
        EXPECT_EQ(std::string(wm->GetFocusWindow()->GetName().CStr()), c.expected) << c.focus;
        EXPECT_EQ(NewLog().find("to take the focus") != std::string::npos, c.logged) << c.focus;

        // The opening script moves the focus; the first tick gives it back,
        // later ticks leave it to the player.
        EXPECT_TRUE(w->IsFocusPending());
        wm->SetFocusWindow(w->FindChild("panel", -1));
        Tick();
        EXPECT_FALSE(w->IsFocusPending());
        EXPECT_EQ(std::string(wm->GetFocusWindow()->GetName().CStr()), c.expected) << c.focus;
        wm->SetFocusWindow(w->FindChild("panel", -1));
        Tick();
        EXPECT_EQ(std::string(wm->GetFocusWindow()->GetName().CStr()), "panel") << c.focus;
    }
}

TEST_F(CustomWindowTest, AFocusChildGoneBeforeTheFirstTickIsNotReached)
{
    TCustomWindow* w = OpenWindow("dialog", "{ name = 'field' }");
    ASSERT_NE(w, nullptr);
    TWindow* field = w->FindChild("field", -1);
    wm->ScheduleDelete(field);
    wm->SetFocusWindow(w);
    Tick();
    EXPECT_EQ(w->GetFocusTarget(), nullptr);
    EXPECT_EQ(wm->GetFocusWindow(), w);
}

TEST_F(CustomWindowTest, TheScreenStackHandsTheFocusBack)
{
    TCustomWindow* first = OpenWindow("first", "{ name = 'field' }");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(player_->TopScreen(), first);
    TCustomWindow* second = OpenWindow("second", "nil");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(player_->TopScreen(), second);
    EXPECT_EQ(wm->GetFocusWindow(), second);

    wm->PopTopModal();
    Send(kEventIdle);  // deleted at the start of the next event
    EXPECT_EQ(player_->TopScreen(), first);
    // The stack names the screen, not the child that had the focus.
    EXPECT_EQ(wm->GetFocusWindow(), first);
    EXPECT_EQ(NewLog().find("ERROR"), std::string::npos);
}

// "n" may claim any count: the rows are cut to a byte's worth (logged once)
// instead of reserving for two thousand million; keys that are no numbers
// read as 0, infinite ones as the last byte.
TEST_F(CustomWindowTest, AClaimedHotKeyCountIsCut)
{
    Eval("gHotKeys = { { 'ok', 13 }, { 'cancel', 0/0 }, { 'again', 1/0 }, n = 2e9 }");
    TCustomWindow* w = OpenWindow("dialog", "nil");
    ASSERT_NE(w, nullptr);
    const auto& keys = w->GetHotKeys();
    ASSERT_EQ(keys.size(), 256u);
    EXPECT_EQ(keys[0].key, 13);
    EXPECT_EQ(keys[1].key, 0);
    EXPECT_EQ(keys[2].key, 0xFF);
    EXPECT_STREQ(keys[2].button.CStr(), "again");
    EXPECT_STREQ(keys[255].button.CStr(), "");
    const std::string log = NewLog();
    const std::string line =
        "window \"dialog\" HotKey: a table claims 2000000000 rows; the first 256 are read";
    const size_t at = log.find(line);
    EXPECT_NE(at, std::string::npos) << log;
    EXPECT_EQ(log.find(line, at + 1), std::string::npos) << log;
    RecordPresses(w);
    Send(kEventKeyDown, -500, -500, 13);
    EXPECT_EQ(pressed_, std::vector<std::string>{"ok"});
}

}  // namespace
