// The set-up of the resource group and loading screen tests: a window
// manager whose script waits in a main loop as the game's does, the loading
// screen's window type, the picture loaders over a private asset folder
// holding the real loading script, and TRes made on it.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "core/AssetManager.h"
#include "core/AssetMap.h"
#include "game/app/Res.h"
#include "game/app/Singleton.h"
#include "game/app/screens/LoadScreen.h"
#include "graphics/AnimatedTexture.h"
#include "graphics/support/ImageAssets.h"
#include "ui/WindowScript.h"
#include "ui/support/UiTestSupport.h"

namespace gameapptest
{

// A file of the repository.
inline std::string ReadSource(const std::string& rel)
{
    std::ifstream in(std::string(ORVELLE_SOURCE_DIR) + "/" + rel, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class LoadingTest : public uitest::UiTest
{
protected:
    // resources: the text of "resources.lua"; files: names and bytes to put
    // into the asset folder first.
    void SetUpLoading(const std::string& resources,
                      const std::vector<std::pair<std::string, std::string>>& files)
    {
        UiTest::SetUp();
        SetGlobalAssetManager(&manager_);
        RegisterTextureAssetLoader();
        RegisterAnimatedTextureAssetLoader();
        for (const auto& [name, bytes] : files) assets_.Put(name, bytes);
        assets_.Put("scripts/core/screen/load.lua",
                    ReadSource("assets/scripts/core/screen/load.lua"));
        assets_.Put("resources.lua", resources);
        MakeScreen();
        wm->CreateWindowScript();
        wm->RegisterWindowType("LoadScreen", TLoadScreen::ClassId());
        script_ = static_cast<TWindowScript*>(wm->GetScript());
        ASSERT_EQ(script_->DoLuaString("return function() while true do WaitForMessage() end end"),
                  0);
        res_ = TRes::GetInstance();
        ASSERT_NE(res_, nullptr);
        assets_.NewLog();
    }
    void TearDown() override
    {
        // The windows (a loading screen among them) go before TRes.
        wm.reset();
        DestroySingletons();
        ClearAssetLoaders();
        SetGlobalAssetManager(nullptr);
        UiTest::TearDown();
    }

    // One idle pass of the host after ms: the window timers, then the tasks.
    void Pass(uint32_t ms)
    {
        uitest::AdvanceTime(ms);
        Send(kEventIdle);
        app.tasks.RunTasks(TaskPhaseIdle);
    }
    // Asks for groups for the screen, counting the callbacks in done_.
    void Request(const std::vector<TString>& groups)
    {
        res_->SetRequester(wm->GetScreen(), [this] { ++done_; });
        res_->LoadGroups(groups);
    }
    // Passes of 10 ms until the request is done (at most limit).
    void LoadAll(int limit = 50)
    {
        for (int i = 0; i < limit && res_->IsLoading(); ++i) Pass(10);
    }
    std::string TopName() const
    {
        TWindow* top = wm->GetTopModal();
        return top != nullptr ? top->GetName().CStr() : "";
    }

    ImageAssets assets_;
    TAssetManager manager_;
    TWindowScript* script_ = nullptr;
    TRes* res_ = nullptr;
    int done_ = 0;
};

}  // namespace gameapptest
