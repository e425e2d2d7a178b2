// The help screen: pages counted up to the first gap, the arrows that can be
// used, the current page's text boxes, its keys, and the close that resumes
// only a level paused for the help.
#include "game/app/screens/HelpScreen.h"

#include <gtest/gtest.h>

#include <memory>

#include "game/app/Player.h"
#include "game/app/RunningLevel.h"
#include "game/app/Singleton.h"
#include "game/app/WindowTypes.h"
#include "game/app/support/ProfileFolder.h"
#include "ui/support/ControlTestSupport.h"

namespace
{

class RecordingLevel : public IRunningLevel
{
public:
    void Pause(bool pause, bool partial) override { calls.push_back({pause, partial}); }
    std::vector<std::pair<bool, bool>> calls;
};

class HelpScreenTest : public uitest::ScriptUiTest
{
protected:
    void SetUp() override
    {
        profileFolder_ = std::make_unique<gameapptest::ProfileFolder>();
        ScriptUiTest::SetUp();
        RegisterWindowTypes(GetAppWindowTypes());
        SetRunningLevel(&level_);
        // The game's loop, in which the buttons' commands run.
        ASSERT_EQ(script->DoLuaString("return function() while true do WaitForMessage() end end"),
                  0);
    }
    void TearDown() override
    {
        SetRunningLevel(nullptr);
        wm.reset();
        DestroySingletons();
        ScriptUiTest::TearDown();
        profileFolder_.reset();
    }
    // A help dialog with the pages numbered in pages, each holding two text
    // boxes and a third past a gap.
    THelpScreen* Open(std::initializer_list<int> pages)
    {
        std::string children;
        for (int n : pages)
            children += "Window{ name = 'page_" + std::to_string(n) +
                        "', x = 10, y = 20, w = 500, h = 400, "
                        "Window{ name = 'text_0', x = 5, y = 6, w = 100, h = 50 }, "
                        "Window{ name = 'text_1', x = 5, y = 70, w = 200, h = 30 }, "
                        "Window{ name = 'text_3', x = 5, y = 110, w = 200, h = 30 } },\n";
        const std::string text =
            "closed = 0 PushModal('help') MakeDialog{ name = 'help', HelpScreen{ name = "
            "'help_screen', "
            "x = 0, y = 0, w = 800, h = 600,\n" +
            children +
            "Button{ name = 'left', x = 0, y = 500, w = 40, h = 40 },"
            "Button{ name = 'right', x = 60, y = 500, w = 40, h = 40 },"
            "Button{ name = 'ok_button', x = 120, y = 500, w = 40, h = 40, "
            "        command = function() closed = closed + 1 end } } }";
        EXPECT_EQ(script->DoLuaString(text.c_str()), 0);
        TWindow* w = wm->GetTopModal()->FindChild("help_screen", -1);
        return w != nullptr && w->IsKindOf(THelpScreen::ClassId()) ? static_cast<THelpScreen*>(w)
                                                                   : nullptr;
    }
    bool Shown(const char* name)
    {
        TWindow* w = wm->GetTopModal()->FindChild(name, -1);
        return w != nullptr && (w->GetFlags() & kWindowVisible) != 0;
    }

    std::unique_ptr<gameapptest::ProfileFolder> profileFolder_;
    RecordingLevel level_;
};

TEST_F(HelpScreenTest, ThePagesTurnWithinTheirRangeAndTheArrowsFollow)
{
    THelpScreen* help = Open({0, 1, 2});
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->GetPageCount(), 3);
    struct Step
    {
        int button;  // HelpButtonDepress argument, -1 for the start
        int page;
        bool left, right;
    } steps[] = {
        {-1, 0, false, true}, {2, 1, true, true},
        {2, 2, true, false},  {2, 2, true, false},  // past the last: nothing
        {1, 1, true, true},   {1, 0, false, true},
        {1, 0, false, true},  {7, 0, false, true},  // not a page button
    };
    for (const Step& s : steps)
    {
        if (s.button >= 0) Eval("HelpButtonDepress(" + std::to_string(s.button) + ")");
        EXPECT_EQ(help->GetCurrentPage(), s.page) << s.button;
        for (int n = 0; n < 3; ++n)
            EXPECT_EQ(Shown(("page_" + std::to_string(n)).c_str()), n == s.page)
                << "page " << n << " after " << s.button;
        EXPECT_EQ(Shown("left"), s.left) << s.button;
        EXPECT_EQ(Shown("right"), s.right) << s.button;
    }
}

TEST_F(HelpScreenTest, AGapEndsThePages)
{
    THelpScreen* help = Open({0, 1, 3});
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->GetPageCount(), 2);
    // Page 3 is not one of the screen's: it stays as its script made it.
    EXPECT_TRUE(Shown("page_3"));
    Eval("HelpButtonDepress(2)");
    EXPECT_EQ(help->GetCurrentPage(), 1);
    EXPECT_FALSE(Shown("right"));
    EXPECT_FALSE(Shown("page_0"));
}

TEST_F(HelpScreenTest, TheCurrentPagesTextBoxesAndTheKeys)
{
    THelpScreen* help = Open({0, 1});
    ASSERT_NE(help, nullptr);
    // text_0 and text_1 on screen; text_3 lies past a gap.
    ASSERT_EQ(help->GetTextBoxes().size(), 2u);
    EXPECT_EQ(help->GetTextBoxes()[0], TRect(15, 26, 115, 76));
    EXPECT_EQ(help->GetTextBoxes()[1], TRect(15, 90, 215, 120));

    EXPECT_FALSE(help->OnKeyDown(' ', 0));
    EXPECT_TRUE(help->AreBoxesShown());
    EXPECT_FALSE(help->OnKeyDown(' ', 0));
    EXPECT_FALSE(help->AreBoxesShown());
    EXPECT_FALSE(help->OnKeyDown(13, 0));
    EXPECT_FALSE(help->OnKeyDown(27, 0));
    EXPECT_FALSE(help->OnKeyDown('a', 0));
    Send(kEventIdle);
    EXPECT_EQ(Global("closed"), "2");
}

TEST_F(HelpScreenTest, ClosingResumesOnlyALevelPausedForTheHelp)
{
    ASSERT_NE(Open({0}), nullptr);
    TPlayer* player = TPlayer::GetInstance();
    Eval("HelpButtonDepress(0)");
    EXPECT_TRUE(level_.calls.empty());

    player->SetHelpPause(true);
    Eval("HelpButtonDepress(0)");
    ASSERT_EQ(level_.calls.size(), 1u);
    EXPECT_EQ(level_.calls[0], std::make_pair(false, false));
    EXPECT_FALSE(player->GetHelpPause());

    // Gone: the screen's function is taken back and calls reach nothing.
    wm->PopTopModal();
    Send(kEventIdle);
    EXPECT_EQ(player->TopScreen(), nullptr);
    player->SetHelpPause(true);
    EXPECT_EQ(script->DoLuaString("HelpButtonDepress(0) HelpButtonDepress(2)"), 0);
    EXPECT_EQ(level_.calls.size(), 1u);
}

}  // namespace
