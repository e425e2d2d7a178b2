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
#include "core/host/HostFakes.h"
#include "game/app/FrameworkServices.h"
#include "core/Settings.h"
#include "platform/audio/AudioDevice.h"
#include "services/GameState.h"
#include "services/MetricsHandler.h"
#include "sound/SoundManager.h"
#include "ui/Screen.h"
#include "ui/WindowManager.h"

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
