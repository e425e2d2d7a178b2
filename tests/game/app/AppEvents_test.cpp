// The game-wide pause rules around a close request, the quit question's
// "No", activation changes and display-mode changes, with a fake running
// level, the real quit and pause scripts and a profile with a saved level.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "core/Folders.h"
#include "game/app/AppEvents.h"
#include "game/app/GameHelper.h"
#include "game/app/MySoundManager.h"
#include "game/app/Player.h"
#include "game/app/RunningLevel.h"
#include "game/app/support/LoadingFixture.h"
#include "game/app/support/ProfileFolder.h"
#include "game/app/support/SoundPlaying.h"
#include "script/Binding.h"
#include "platform/null/AudioFake.h"
#include "sound/MemDataSource.h"
#include "sound/Sound.h"
#include "sound/SoundManager.h"
#include "ui/Button.h"

// The GL driver of the headless display keeps allocations past exit.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

using gameapptest::LoadingTest;
using gameapptest::ReadSource;

LevelSnapshot Snapshot(int level)
{
    LevelSnapshot s;
    s.level = level;
    s.valid = true;
    s.money = level * 100;
    s.slots.push_back({3, true, false});
    s.monsterKills = {2, 0, 5};
    return s;
}

// A level that records what the spine asks of it; its snapshot is level 12.
class FakeLevel : public IRunningLevel
{
public:
    bool running = true;
    std::vector<std::string> calls;
    bool IsRunning() const override { return running; }
    void Pause(bool pause, bool partial) override
    {
        calls.push_back(std::string(pause ? "pause" : "resume") + (partial ? " partial" : ""));
    }
    void SaveLevelState() override
    {
        calls.push_back("save");
        TPlayer::GetInstance()->SaveLevelState(Snapshot(12));
    }
    void RequestPause() override { calls.push_back("request"); }
};

class FakeHelper : public IGameHelper
{
public:
    int rebuilt = 0;
    void RebuildBubble() override { ++rebuilt; }
};

class AppEventsTest : public LoadingTest
{
protected:
    void SetUp() override
    {
        profileFolder_ = std::make_unique<gameapptest::ProfileFolder>();
        SetUpLoading("main_menu = { 'pictures/one', 'pictures/two' }\n",
                     {{"pictures/one.png", ""}, {"pictures/two.png", ""}});
        for (const char* name : {"scripts/core/quitverify.lua", "scripts/core/screen/pause.lua"})
            assets_.Put(name, ReadSource(std::string("assets/") + name));
        LuaBindFunction(script_->GetState(), "MyCloseNon", &MyCloseNon);
        player_ = TPlayer::GetInstance();
        player_->CreateNewUser("Ann");
        player_->SetCurrentUser(0);
        player_->SaveLevelState(Snapshot(7));
        SetRunningLevel(&level_);
        SetGameHelper(&helper_);
    }
    void TearDown() override
    {
        SetRunningLevel(nullptr);
        SetGameHelper(nullptr);
        LoadingTest::TearDown();
        profileFolder_.reset();
    }

    // A modal of that name on top, as its screen's script would push it.
    void Top(const char* name) { wm->PushModal(Modal(name, 800, 600)); }
    // The top modal's button, pressed as a click would.
    void Press(const char* button)
    {
        TWindow* w = wm->GetTopModal()->FindChild(button, -1);
        ASSERT_NE(w, nullptr) << button;
        ASSERT_TRUE(w->IsKindOf(TButton::ClassId()));
        static_cast<TButton*>(w)->Click();
        Pass(1);
    }
    int Count(const char* name) const
    {
        int n = 0;
        for (int d = 0; d < wm->GetModalCount(); ++d)
            if (wm->GetModal(d)->GetName() == TString(name)) ++n;
        return n;
    }
    // The saved level as the store holds it now.
    LevelSnapshot Stored()
    {
        player_->LoadLevelState();
        return player_->GetSavedLevel();
    }

    std::unique_ptr<gameapptest::ProfileFolder> profileFolder_;
    TPlayer* player_ = nullptr;
    FakeLevel level_;
    FakeHelper helper_;
};

TEST_F(AppEventsTest, CloseDuringALevelStoresAndPausesItBeforeAsking)
{
    OnQuitRequest(false);
    EXPECT_EQ(level_.calls, (std::vector<std::string>{"save", "pause"}));
    EXPECT_EQ(TopName(), "quit");
    EXPECT_EQ(Stored().level, 12);
    EXPECT_TRUE(app.quits.empty());

    // Asked already: a second close neither stores nor asks again.
    level_.calls.clear();
    OnQuitRequest(false);
    EXPECT_TRUE(level_.calls.empty());
    EXPECT_EQ(Count("quit"), 1);

    Press("yes");
    EXPECT_EQ(app.quits, std::vector<int>{0});
    EXPECT_EQ(Stored().level, 12);
}

// "No" lets the level go on only when nothing that holds it lies under the
// question, and always takes back the store the close made.
TEST_F(AppEventsTest, NoResumesOnlyOverAFreeLevelAndPutsTheSavedLevelBack)
{
    struct Case
    {
        const char* under;
        bool resumes;
    } cases[] = {
        {"map", true},      {"main_menu", true}, {"intro", false},
        {"in_game", false}, {"help", false},     {"game_over", false},
        {"close_tutorial", false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.under);
        Top(c.under);
        level_.calls.clear();
        OnQuitRequest(false);
        ASSERT_EQ(TopName(), "quit");
        Press("no");
        EXPECT_EQ(TopName(), c.under);
        std::vector<std::string> expected = {"save", "pause"};
        if (c.resumes) expected.push_back("resume");
        EXPECT_EQ(level_.calls, expected);
        const LevelSnapshot stored = Stored();
        EXPECT_EQ(stored, Snapshot(7));
        EXPECT_TRUE(app.quits.empty());
        wm->PopTopModal();
        Pass(1);
    }
}

// The effects pause with the level at a close and play on when "No" lets
// the level go on.
TEST_F(AppEventsTest, EffectsPauseAndResumeWithTheLevel)
{
    const std::shared_ptr<TFakeAudio> fake = TFakeAudio::Install();
    auto framework = std::make_unique<TSoundManager>();
    ASSERT_TRUE(framework->Init());
    auto click = std::make_shared<TSound>();
    click->GetData()->source =
        std::make_shared<TMemDataSource>(std::vector<uint8_t>(44100, 1), 1, 22050);
    TMySoundManager* sounds = TMySoundManager::GetInstance();
    sounds->AddSound("fx:click?group=1000", click);
    auto playing = [&] { return gameapptest::IsPlaying(click); };
    for (const auto& [under, resumes] : {std::pair{"map", true}, {"in_game", false}})
    {
        SCOPED_TRACE(under);
        Top(under);
        sounds->PlaySound("fx:click", true);
        ASSERT_TRUE(playing());
        OnQuitRequest(false);
        EXPECT_FALSE(playing());
        Press("no");
        EXPECT_EQ(playing(), resumes);
        wm->PopTopModal();
        Pass(1);
    }
    // Without a running level a close leaves the effects alone.
    level_.running = false;
    sounds->PlaySound("fx:click", true);
    OnQuitRequest(false);
    EXPECT_TRUE(playing());
    Press("no");

    sounds->RemoveSounds("");
    click.reset();
    framework.reset();
    TFakeAudio::Uninstall();
}

TEST_F(AppEventsTest, CloseWithoutAWorkingQuestionQuitsAtOnce)
{
    for (const char* text : {"", "PushModal('not the question')", "this is not a script ("})
    {
        SCOPED_TRACE(text);
        if (*text == '\0')
            assets_.Remove("scripts/core/quitverify.lua");
        else
            assets_.Put("scripts/core/quitverify.lua", text);
        app.quits.clear();
        OnQuitRequest(false);
        EXPECT_EQ(app.quits, std::vector<int>{0});
        EXPECT_NE(assets_.NewLog().find("did not put up its \"quit\" window"), std::string::npos);
        while (wm->GetTopModal() != wm->GetScreen()) wm->PopTopModal();
    }
}

TEST_F(AppEventsTest, CloseFromOutsideStoresTheLevelAndQuitsWithoutAsking)
{
    OnQuitRequest(true);
    EXPECT_EQ(level_.calls, (std::vector<std::string>{"save", "pause"}));
    EXPECT_EQ(app.quits, std::vector<int>{0});
    EXPECT_EQ(Count("quit"), 0);
    EXPECT_EQ(Stored().level, 12);

    // With the question up, the store was made already.
    level_.calls.clear();
    app.quits.clear();
    OnQuitRequest(false);
    OnQuitRequest(true);
    EXPECT_EQ(level_.calls, (std::vector<std::string>{"save", "pause"}));
    EXPECT_EQ(app.quits, std::vector<int>{0});
}

TEST_F(AppEventsTest, LostFocusPausesTheLevelUnlessItsOwnDialogIsOnTop)
{
    struct Case
    {
        const char* top;
        bool pausesLevel;
        bool opensPause;
    } cases[] = {
        {"map", true, true},      {"quit", false, true},      {"pause", false, false},
        {"load", false, true},    {"game_over", false, true}, {"intro", false, true},
        {"options", false, true}, {"in_game", false, true},   {"help", false, true},
        {"close_tutorial", false, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.top);
        Top(c.top);
        level_.calls.clear();
        OnAppActivate(false);
        EXPECT_EQ(level_.calls, c.pausesLevel ? (std::vector<std::string>{"pause", "request"})
                                              : std::vector<std::string>{});
        EXPECT_EQ(TopName(), c.opensPause || std::string(c.top) == "pause" ? "pause" : c.top);
        EXPECT_EQ(Count("pause"), c.opensPause || std::string(c.top) == "pause" ? 1 : 0);
        // Regaining the focus closes the pause but leaves the level paused.
        level_.calls.clear();
        OnAppActivate(true);
        Pass(1);
        EXPECT_TRUE(level_.calls.empty());
        if (std::string(c.top) != "pause") EXPECT_EQ(TopName(), c.top);
        while (wm->GetTopModal() != wm->GetScreen()) wm->PopTopModal();
        Pass(1);
    }
}

TEST_F(AppEventsTest, FocusAndQuestionHoldLoadingAndTheHeldClock)
{
    level_.running = false;
    TClock clock;
    clock.Start();
    player_->SetHeldClock(&clock);
    Request({"main_menu"});
    ASSERT_TRUE(res_->IsLoading());
    ASSERT_NE(res_->GetLoadScreen(), nullptr);

    OnAppActivate(false);
    EXPECT_TRUE(res_->GetLoadScreen()->IsPaused());
    EXPECT_TRUE(clock.IsPaused());
    const int loaded = res_->GetLoadedFiles();
    for (int i = 0; i < 5; ++i) Pass(10);
    EXPECT_EQ(res_->GetLoadedFiles(), loaded);
    OnAppActivate(true);
    EXPECT_FALSE(res_->GetLoadScreen()->IsPaused());
    EXPECT_FALSE(clock.IsPaused());

    OnQuitRequest(false);
    EXPECT_TRUE(clock.IsPaused());
    Press("no");
    EXPECT_FALSE(clock.IsPaused());
    EXPECT_TRUE(level_.calls.empty());
    LoadAll();
    EXPECT_EQ(done_, 1);
    player_->SetHeldClock(nullptr);
}

TEST_F(AppEventsTest, DisplayModeChangeRebuildsTheBubbleOnlyDuringALevel)
{
    OnDisplayModeChange();
    EXPECT_EQ(helper_.rebuilt, 1);
    level_.running = false;
    OnDisplayModeChange();
    EXPECT_EQ(helper_.rebuilt, 1);
}

}  // namespace
