// The program's subsystem registrations: the sound manager the facade
// starts and activation switches, the sound registrations of the facade's
// constructor, the sound device's out-of-memory report, and the game-state
// board with its metrics handler.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "core/AssetMap.h"
#include "core/FileNames.h"
#include "host/HostFakes.h"
#include "game/app/FrameworkServices.h"
#include "core/Settings.h"
#include "platform/audio/AudioDevice.h"
#include "services/GameState.h"
#include "services/MetricsHandler.h"
#include "sound/SoundManager.h"
#include "script/lib/auxlib.h"
#include "ui/MovieHost.h"
#include "ui/Screen.h"
#include "ui/WindowManager.h"
#include "ui/WindowScript.h"

using namespace hostfakes;

namespace
{

class FrameworkServicesTest : public HostTest
{
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        RegisterFrameworkServices();
    }
    void TearDown() override
    {
        delete app;
        app = nullptr;
        ClearAssetLoaders();
        HostTest::TearDown();
    }
    void MakeApp() { app = new TApp(new TAppHost("", true)); }

    static std::string ReadLog()
    {
        std::ifstream in(GetLogPath().CStr());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Runs text in the script, then gives its global r as text.
    static std::string Eval(TWindowScript& script, const std::string& text)
    {
        EXPECT_EQ(0, script.DoLuaString(("r = nil; " + text).c_str())) << text;
        lua_State* L = script.GetState();
        lua_pushstring(L, "r");
        lua_gettable(L, LUA_GLOBALSINDEX);
        std::string out = "nil";
        if (lua_type(L, -1) == LUA_TBOOLEAN)
            out = lua_toboolean(L, -1) ? "true" : "false";
        else if (lua_type(L, -1) == LUA_TSTRING)
            out = lua_tostring(L, -1);
        lua_pop(L, 1);
        return out;
    }

    TApp* app = nullptr;
};

}  // namespace

TEST_F(FrameworkServicesTest, SoundManagerIsStartedAndFollowsActivation)
{
    MakeApp();
    EXPECT_EQ(nullptr, TSoundManager::Current());
    app->StartSound();  // a device may be missing; the manager exists anyway
    TSoundManager* sound = TSoundManager::Current();
    ASSERT_NE(nullptr, sound);
    EXPECT_TRUE(sound->IsEnabled());
    app->GetHost()->OnActivateApp(false);
    EXPECT_FALSE(sound->IsEnabled());
    app->GetHost()->OnActivateApp(true);
    EXPECT_TRUE(sound->IsEnabled());
    delete app;
    app = nullptr;
    EXPECT_EQ(nullptr, TSoundManager::Current());
}

TEST_F(FrameworkServicesTest, FacadeRegistersTheOggBuilderAndTheSoundLoader)
{
    SetLogFolder((Dir() + "/log").c_str());
    MakeApp();
    // Not an Ogg stream: the builder tries it and the sound loader reports
    // that no sound came of it. Without either registration the asset map
    // would only say that it cannot load the file.
    static const char kNotOgg[] = "RIFF....WAVEfmt nothing to decode here";
    RegisterMemoryFileByName("beep.ogg", kNotOgg, sizeof kNotOgg - 1);
    TAssetMap map;
    map.AddAsset("beep");
    const std::string log = ReadLog();
    EXPECT_NE(std::string::npos, log.find("OGG file could not be opened")) << log;
    EXPECT_NE(std::string::npos, log.find("TSound::Get: No valid sound file found: beep.ogg"))
        << log;
}

TEST_F(FrameworkServicesTest, SoundOutOfMemoryReachesTheDisplayOnce)
{
    // No facade yet: nothing to tell, and nothing breaks.
    TSoundManager::ReportDeviceError(kAudioErrOutOfMemory, "test", 1);

    RegisterFrameworkServices();  // a fresh report
    FakeDisplay display;
    MakeApp();
    app->GetHost()->SetDisplay(&display);
    TSoundManager::ReportDeviceError(kAudioErrOutOfMemory, "test", 2);
    TSoundManager::ReportDeviceError(kAudioErrOutOfMemory, "test", 3);
    EXPECT_EQ(1, display.outOfMemoryReports);
    app->GetHost()->SetDisplay(nullptr);
}

TEST_F(FrameworkServicesTest, TheWindowManagerIsRegisteredAndGetsAScreenOfTheDisplaySize)
{
    MakeApp();
    auto* wm = dynamic_cast<TWindowManager*>(app->GetWindowManager());
    ASSERT_NE(nullptr, wm);
    EXPECT_EQ(wm, GetWindowManager());
    EXPECT_FALSE(wm->HasRootWindow());
    app->SetDisplayMode(800, 600, false);
    TScreen* screen = wm->GetScreen();
    ASSERT_NE(nullptr, screen);
    EXPECT_EQ(TRect(0, 0, 800, 600), screen->GetRect());
    EXPECT_EQ(screen, wm->GetTopModal());
    delete app;
    app = nullptr;
    EXPECT_EQ(nullptr, GetWindowManager());
}

TEST_F(FrameworkServicesTest, FacadeMakesTheBoardAndListsTheMetricsHandler)
{
    SetSetting("postmetrics", "1");
    MakeApp();
    TGameState* board = TGameState::Peek();
    ASSERT_NE(nullptr, board);
    ASSERT_EQ(1u, TGameState::GetHandlers().size());
    EXPECT_NE(nullptr, dynamic_cast<TPostMetricsHandler*>(TGameState::GetHandlers()[0]));
    app->GetHost()->GetGameState()->SetState("level", "3");
    EXPECT_STREQ("3", board->GetState("level").CStr());
    delete app;
    app = nullptr;
    EXPECT_EQ(nullptr, TGameState::Peek());
    EXPECT_TRUE(TGameState::GetHandlers().empty());
}

TEST_F(FrameworkServicesTest, MovieHostsAreMadeButNeverPlay)
{
    SetLogFolder((Dir() + "/log").c_str());
    MakeApp();
    std::unique_ptr<TMovieHost> host = MakeMovieHost("intro.swf");
    ASSERT_NE(nullptr, host);
    for (bool translate : {false, true})
        for (bool allowInput : {false, true})
        {
            EXPECT_FALSE(host->Play(0, translate, allowInput));
            EXPECT_FALSE(host->IsPlaying());
        }
    host->Stop();
    host.reset();

    auto* wm = dynamic_cast<TWindowManager*>(app->GetWindowManager());
    ASSERT_NE(nullptr, wm);
    auto* script = dynamic_cast<TWindowScript*>(wm->GetScript());
    ASSERT_NE(nullptr, script);
    EXPECT_EQ("false", Eval(*script, "r = StartMovie('intro.swf', true, false)"));
    EXPECT_EQ("false", Eval(*script, "r = IsMoviePlaying()"));
    EXPECT_FALSE(wm->IsMoviePlaying());
    EXPECT_FALSE(wm->IsMovieInput());
    EXPECT_EQ(0, script->DoLuaString("StopMovie()"));
    wm->StopMovieIfPlaying();
}

TEST_F(FrameworkServicesTest, TheWindowScriptReachesTheBoard)
{
    MakeApp();
    auto* wm = dynamic_cast<TWindowManager*>(app->GetWindowManager());
    ASSERT_NE(nullptr, wm);
    auto* script = dynamic_cast<TWindowScript*>(wm->GetScript());
    ASSERT_NE(nullptr, script);
    for (const char* name :
         {"GetState", "_SetState", "QueryMuteGame", "QueryRestartMode", "QueryJumpToMenu"})
        EXPECT_EQ("true", Eval(*script, std::string("r = type(") + name + ") == 'function'"))
            << name;
    EXPECT_EQ("level 3",
              Eval(*script, "_SetState('progress', 'level 3'); r = GetState('progress')"));
    ASSERT_NE(nullptr, TGameState::Peek());
    EXPECT_STREQ("level 3", TGameState::Peek()->GetState("progress").CStr());
    EXPECT_EQ("false", Eval(*script, "r = QueryRestartMode()"));
}
