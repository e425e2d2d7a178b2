// A look at the shipped stalls: every stall description level 1 uses is made
// by the game's factory on the level, put in a state that shows its pictures
// (working, upgraded with its stars and badge, locked, broken, building with
// its bar), and drawn on the headless display. Each shows something of
// itself; the frame of them all is saved beside the test's log (and, with
// ORVELLE_KEEP_FRAME set, copied there) for a person to look at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/AssetManager.h"
#include "game/app/Res.h"
#include "game/app/Singleton.h"
#include "game/level/GameObject.h"
#include "game/level/LevelFactory.h"
#include "game/level/support/LevelDataFixture.h"
#include "graphics/Texture.h"
#include "graphics/support/ImageDisplay.h"
#include "graphics/support/ImageFixtures.h"

extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

class StallLookTest : public LevelDataFixture
{
protected:
    ~StallLookTest() override
    {
        stalls_.clear();
        level_.reset();
        DestroySingletons();
        ClearAssetLoaders();
        SetGlobalAssetManager(nullptr);
    }

    TAssetManager manager_;
    std::vector<std::unique_ptr<TLevelStall>> stalls_;
};

TEST_F(StallLookTest, TheShippedStallsAsDrawn)
{
    ImageDisplay display(800, 600);
    ASSERT_TRUE(display.Ready());
    UseShippedAssets();
    SetGlobalAssetManager(&manager_);
    RegisterTextureAssetLoader();
    RegisterAnimatedTextureAssetLoader();
    Make();
    std::vector<TString> groups;
    level_->ListLevelResources(1, groups);
    for (const TString& group : groups)
    {
        const std::string name = group.CStr();
        if (name.find("_stall_") != std::string::npos || name == "game_logic_common" || name == "effect")
            TRes::GetInstance()->LoadGroupNow(group);
    }
    level_->BeginLevel(1, level_->GetLevelLocation());
    level_->LoadLevel();

    TLevelFactory factory;
    int n = 0;
    for (int32_t kind = 0; kind < 3; ++kind)
        for (const auto& desc : level_->GetDescriptions(kind))
        {
            if (desc->levelCount == 0) continue;  // not used by the level
            std::unique_ptr<TLevelStall> made = factory.MakeStall(*level_, kind, *desc);
            ASSERT_TRUE(made) << "kind " << kind;
            auto& s = static_cast<GameObject&>(*made);
            const TPoint at{110 + (n % 5) * 145, 170 + (n / 5) * 190};
            s.CreateSprites(100 + n, at.x, at.y);
            s.SetPosition(at.x, at.y);
            s.Work(true);
            switch (n % 5)
            {
            case 1:
                s.AddUpgradeLevel();
                s.AddUpgradeLevel();
                break;
            case 2: s.SetActive(false, true); break;
            case 3: s.Break(true, false); break;
            case 4:
                s.Build(true);
                fake_clock::gNow += 1500;
                s.Update();
                break;
            default: break;
            }
            stalls_.push_back(std::move(made));
            ++n;
        }
    ASSERT_GT(n, 0) << "level 1 uses stalls";

    auto draw = [&](const std::vector<TLevelStall*>& which) {
        display.Clear();
        ASSERT_TRUE(display.dc->BeginDraw(false));
        ASSERT_TRUE(display.dc->Begin2d());
        for (TLevelStall* s : which) s->Draw();
        display.dc->End2d();
        display.dc->EndDraw(false);
    };
    // Each alone: something of it is on screen.
    for (size_t i = 0; i < stalls_.size(); ++i)
    {
        draw({stalls_[i].get()});
        int lit = 0;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) lit += display.Pixel(x, y) != 0 ? 1 : 0;
        EXPECT_GT(lit, 300) << "stall " << i << " hardly shows";
    }
    std::vector<TLevelStall*> all;
    for (auto& s : stalls_) all.push_back(s.get());
    draw(all);

    std::vector<uint32_t> frame(800 * 600, 0);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) frame[static_cast<size_t>(y * 800 + x)] = 0xFF000000u | display.Pixel(x, y);
    const std::filesystem::path saved = tree_.Root() / "stalls.png";
    std::ofstream(saved, std::ios::binary) << imagefx::PngFromArgb(800, 600, frame);
    if (const char* keep = std::getenv("ORVELLE_KEEP_FRAME"))
        std::filesystem::copy_file(saved, keep, std::filesystem::copy_options::overwrite_existing);

}

}  // namespace
