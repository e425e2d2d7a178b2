// The level screen on a stepped clock: the sample level's groups loaded
// through the loading screen, the intro over a paused level, input swallowed
// before the start and during the win, the in-game menu, the result in the
// profile with the game-over card, the close-tutorial answers, a restart, a
// screen gone while loading or after, and the pause dialog's resume.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "core/Event.h"
#include "game/app/Player.h"
#include "game/app/support/LoadingFixture.h"
#include "game/app/support/ProfileFolder.h"
#include "game/level/GameLogic.h"
#include "game/level/GameLogicScreen.h"
#include "game/level/support/LevelFakes.h"
#include "game/app/Singleton.h"
#include "script/Script.h"
#include "ui/Button.h"

// The GL driver of the headless display keeps allocations past exit.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

// A named modal with one button that closes it.
std::string StandIn(const char* name)
{
    return std::string("MakeDialog{ name = '") + name +
           "', Button{ name = 'close', x = 350, y = 280, w = 100, h = 40, command = function() PopModal('" + name +
           "') end } }\n";
}

class GameLogicScreenTest : public gameapptest::LoadingTest
{
protected:
    void SetUp() override
    {
        profileFolder_ = std::make_unique<gameapptest::ProfileFolder>();
        std::vector<std::pair<std::string, std::string>> files = {{"pictures/one.png", ""}};
        // The sample level and the game's level scripts.
        const std::filesystem::path root(ORVELLE_SOURCE_DIR);
        for (const char* folder : {"assets/scripts/levels", "assets/scripts/game_logic"})
            for (const auto& entry : std::filesystem::recursive_directory_iterator(root / folder))
                if (entry.is_regular_file())
                {
                    const std::string rel = std::filesystem::relative(entry.path(), root / "assets").string();
                    files.emplace_back(rel, gameapptest::ReadSource("assets/" + rel));
                }
        files.emplace_back("scripts/core/screen/game_logic.lua",
                           gameapptest::ReadSource("assets/scripts/core/screen/game_logic.lua"));
        for (const char* name : {"intro", "in_game", "help", "game_over"})
            files.emplace_back(std::string("scripts/core/screen/") + name + ".lua", StandIn(name));
        // Every group the level asks for holds one picture.
        std::vector<TString> groups;
        SetUpLoading("", files);
        {
            TGameLogic lister(nullptr, 1);
            lister.ListLevelResources(1, groups);
        }
        std::string resources;
        for (const TString& g : groups) resources += std::string(g.CStr()) + " = { 'pictures/one' }\n";
        assets_.Put("resources.lua", resources);
        DestroySingletons();
        res_ = TRes::GetInstance();
        wm->RegisterWindowType("GameLogicScreen", TGameLogicScreen::ClassId());
        player_ = TPlayer::GetInstance();
        player_->CreateNewUser("tester");
        player_->SetCurrentUser(0);
        player_->SetLevelToPlay(1);
        SetLevelHelper(&helper_);
        assets_.NewLog();
    }
    void TearDown() override
    {
        LoadingTest::TearDown();
        SetLevelHelper(nullptr);
        profileFolder_.reset();
    }
    TGameLogicScreen* Open()
    {
        EXPECT_EQ(script_->DoLuaString("PushModal('game_logic') ReadFile('scripts/core/screen/game_logic.lua') "
                                       "DoFitToChildren()"),
                  0);
        TWindow* w = wm->GetTopModal()->FindChild("game_logic_screen", -1);
        return w != nullptr && w->IsKindOf(TGameLogicScreen::ClassId()) ? static_cast<TGameLogicScreen*>(w)
                                                                          : nullptr;
    }
    // Opens the screen, loads its groups and starts the level under the intro.
    TGameLogicScreen* OpenStarted()
    {
        TGameLogicScreen* screen = Open();
        Pass(16);
        LoadAll(200);
        Pass(16);
        return screen;
    }
    // What the intro card's close does.
    void CloseIntro()
    {
        ASSERT_EQ(TopName(), "intro");
        Press("close");
        Level().OnIntroClosed();
        Level().Pause(false, false);
        Pass(16);
    }
    void Press(const char* button)
    {
        TWindow* b = wm->GetTopModal()->FindChild(button, -1);
        ASSERT_NE(b, nullptr) << button;
        ASSERT_TRUE(b->IsKindOf(TButton::ClassId()));
        static_cast<TButton*>(b)->Click();
        Pass(1);
    }
    void Frames(int n)
    {
        for (int i = 0; i < n; ++i) Pass(16);
    }
    TGameLogic& Level() { return *TGameLogic::GetInstance(); }
    int Lua(const char* text) { return script_->DoLuaString(text); }

    std::unique_ptr<gameapptest::ProfileFolder> profileFolder_;
    TPlayer* player_ = nullptr;
    FakeHelper helper_;
};

TEST_F(GameLogicScreenTest, LoadsThroughTheLoadingScreenThenTheIntroHoldsTheLevel)
{
    TGameLogicScreen* screen = Open();
    ASSERT_NE(screen, nullptr);
    EXPECT_TRUE(screen->IsLoading());
    EXPECT_EQ(screen->GetLevelNumber(), 1);
    EXPECT_FALSE(Level().IsRunning());
    // A click before the start changes nothing.
    Send(kEventLeftDown, 200, 200);
    Send(kEventLeftUp, 200, 200);
    Pass(16);
    EXPECT_EQ(TopName(), "load") << "the loading screen is up";
    EXPECT_TRUE(res_->IsLoading());
    EXPECT_FALSE(Level().IsRunning());
    Send(kEventLeftDown, 200, 200);
    Send(kEventKeyDown, 0, 0, kKeyEscape);
    LoadAll(200);
    Pass(16);
    EXPECT_FALSE(screen->IsLoading());
    EXPECT_FALSE(screen->GetGroups().empty());
    EXPECT_EQ(TopName(), "intro");
    EXPECT_TRUE(Level().IsRunning());
    EXPECT_TRUE(Level().IsPaused());
    EXPECT_EQ(Level().GetStallCount(), 3) << "the sample level's stalls";
    EXPECT_EQ(screen->GetParent()->GetRect(), TRect(0, 0, 800, 600));
    const int32_t time = Level().GetMainClock().GetTime();
    Frames(10);
    EXPECT_EQ(Level().GetMainClock().GetTime(), time) << "paused under the intro";
    CloseIntro();
    EXPECT_EQ(TopName(), "game_logic");
    Frames(10);
    EXPECT_GT(Level().GetMainClock().GetTime(), time);
}

TEST_F(GameLogicScreenTest, EscapeOpensTheMenuAndNothingIsPaidUnderIt)
{
    OpenStarted();
    CloseIntro();
    Level().GetEconomic().AddIncomeSource(100, 99);
    const int32_t money = Level().GetEconomic().GetMoney();
    Send(kEventKeyDown, 0, 0, kKeyEscape);
    Pass(1);
    EXPECT_EQ(TopName(), "in_game");
    EXPECT_TRUE(Level().IsPaused());
    for (int i = 0; i < 200; ++i) Pass(16);
    EXPECT_EQ(Level().GetEconomic().GetMoney(), money);
    // A key the screen does not use is not swallowed; the menu closes.
    Press("close");
    EXPECT_EQ(TopName(), "game_logic");
}

TEST_F(GameLogicScreenTest, TheResultGoesToTheProfileUnderTheGameOverCard)
{
    OpenStarted();
    CloseIntro();
    Level().GetEconomic().SetMoney(777);
    Level().SetGoodsSold(5);
    Level().FinishLevel(false);
    Pass(1);
    EXPECT_EQ(TopName(), "game_over");
    const SCompleteLevel& r = player_->GetLastResult();
    EXPECT_EQ(r.level, 0);
    EXPECT_EQ(r.money, 777);
    EXPECT_EQ(r.goodsSold, 5);
    EXPECT_TRUE(Level().GetMainClock().IsPaused());
    // The card on top: nothing to resume.
    EXPECT_FALSE(Level().MakeSnapshot().valid);
}

TEST_F(GameLogicScreenTest, TheWinSwallowsInputAndEndsOnTheGameOverCard)
{
    OpenStarted();
    CloseIntro();
    Level().GetGameInfo().gofTime = 500;
    Level().FinishLevel(true);
    Send(kEventKeyDown, 0, 0, kKeyEscape);
    Pass(1);
    EXPECT_EQ(TopName(), "game_logic") << "Escape does nothing during the win";
    Frames(40);
    EXPECT_EQ(TopName(), "game_over");
    EXPECT_EQ(player_->GetLastResult().level, 0);
}

TEST_F(GameLogicScreenTest, TheCloseTutorialAnswers)
{
    OpenStarted();
    CloseIntro();
    struct Case
    {
        int answer;
        bool resumed;
        bool closed;
    } cases[] = {{1, true, false}, {2, true, false}, {0, true, true}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.answer);
        Level().onAskCloseTutorial();
        Pass(1);
        ASSERT_EQ(TopName(), "close_tutorial");
        EXPECT_TRUE(Level().IsPaused());
        Press(c.answer == 0 ? "yes" : "no");
        if (c.answer == 2)
        {
            Level().Pause(true, false);
            EXPECT_EQ(Lua("AnswerToCloseTutorial(2)"), 0);
        }
        EXPECT_EQ(TopName(), "game_logic");
        EXPECT_EQ(Level().IsPaused(), !c.resumed);
        EXPECT_EQ(helper_.tutorialClosed, c.closed);
        EXPECT_EQ(helper_.bubbleCloses, c.closed ? std::vector<bool>{false} : std::vector<bool>{});
    }
}

TEST_F(GameLogicScreenTest, ARestartLoadsAgainAndStartsAnew)
{
    TGameLogicScreen* screen = OpenStarted();
    CloseIntro();
    SpawnEvent wave;
    wave.type = 0;
    Level().SpawnMonster(wave);
    ASSERT_EQ(Level().GetMonsterCount(), 1);
    const int32_t next = Level().GetNextObjectId();
    EXPECT_EQ(Level().RequestStartLevel(1), 1);
    EXPECT_TRUE(screen->IsLoading());
    Pass(16);
    Pass(16);
    EXPECT_FALSE(screen->IsLoading());
    EXPECT_EQ(TopName(), "intro");
    EXPECT_EQ(Level().GetMonsterCount(), 0) << "nothing of the first run";
    EXPECT_EQ(Level().GetStallCount(), 3);
    EXPECT_LT(Level().GetNextObjectId(), next);
}

TEST_F(GameLogicScreenTest, AScreenGoneWhileLoadingLeavesNothingToCall)
{
    Open();
    Pass(16);
    ASSERT_TRUE(res_->IsLoading());
    wm->PopModal(wm->GetModal(1)->GetIdString());  // the level's modal, under the loading screen
    Pass(1);
    LoadAll(200);
    Pass(16);
    EXPECT_FALSE(Level().IsRunning());
}

TEST_F(GameLogicScreenTest, AfterTheScreenIsGoneItsFunctionsAndHandlersDoNothing)
{
    OpenStarted();
    CloseIntro();
    wm->PopModal(wm->GetTopModal()->GetIdString());
    Pass(1);
    EXPECT_FALSE(Level().IsRunning()) << "the level is cleared";
    const std::string top = TopName();
    EXPECT_EQ(Lua("AnswerToCloseTutorial(0)"), 0);
    EXPECT_EQ(Lua("ResumeLevelAfterPause()"), 0);
    EXPECT_FALSE(helper_.tutorialClosed);
    Level().OpenInGameMenu();
    Level().OpenHelp();
    if (Level().onIntro) Level().onIntro();
    if (Level().onAskCloseTutorial) Level().onAskCloseTutorial();
    if (Level().onResult) Level().onResult(SCompleteLevel{});
    EXPECT_EQ(Level().RequestStartLevel(2), -1);
    Pass(1);
    EXPECT_EQ(TopName(), top);
    EXPECT_EQ(player_->GetLastResult().result, -1);
}

TEST_F(GameLogicScreenTest, ThePauseClosingResumesOnlyALevelRightUnderIt)
{
    OpenStarted();
    CloseIntro();
    Level().Pause(true, false);
    EXPECT_EQ(Lua("ResumeLevelAfterPause()"), 0);
    EXPECT_FALSE(Level().IsPaused()) << "the screen's modal is on top";

    Send(kEventKeyDown, 0, 0, kKeyEscape);
    Pass(1);
    ASSERT_EQ(TopName(), "in_game");
    EXPECT_EQ(Lua("ResumeLevelAfterPause()"), 0);
    EXPECT_TRUE(Level().IsPaused()) << "the menu holds the level";
}

}  // namespace
