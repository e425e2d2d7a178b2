// The set-up of the screens' tests: the game controls' window system with a
// script that waits in a main loop as the game's does (button commands run
// on the next event), the recording display, a private asset folder, and a
// profile in a private user folder. The game's singletons go with the
// windows.
#pragma once

#include <gtest/gtest.h>

#include "core/AssetManager.h"
#include "game/app/Player.h"
#include "game/app/Singleton.h"
#include "game/app/controls/support/GameControlsTest.h"
#include "game/app/support/ProfileFolder.h"
#include "graphics/support/ImageAssets.h"
#include "graphics/support/RecordingScene.h"

namespace screenstest
{

class ScreenTest : public controlstest::GameControlsTest
{
protected:
    void SetUp() override
    {
        GameControlsTest::SetUp();
        ASSERT_TRUE(scene.Ready());
        ASSERT_EQ(script->DoLuaString("return function() while true do WaitForMessage() end end"),
                  0);
        SetGlobalAssetManager(&manager);
        assets.Put("resources.lua", "main_menu = {}\ncore_audio = {}\n");
        player = TPlayer::GetInstance();
        ASSERT_NE(player, nullptr);
    }
    void TearDown() override
    {
        wm.reset();
        DestroySingletons();
        GameControlsTest::TearDown();
        SetGlobalAssetManager(nullptr);
    }
    // Time passes and the timers run (a pending command with them).
    void Tick(uint32_t ms = 16)
    {
        uitest::AdvanceTime(ms);
        Send(kEventIdle);
    }

    gameapptest::ProfileFolder folder;
    RecordingScene scene;
    TAssetManager manager;
    ImageAssets assets;
    TPlayer* player = nullptr;
};

}  // namespace screenstest
