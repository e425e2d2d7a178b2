// A look at the shipped level 1: its groups loaded, the level drawn once on
// the headless display, the frame saved beside the test's log for a person
// to look at, and a few of its pixels checked (the background's grass, a
// tree, a slot for sale).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/AssetManager.h"
#include "game/app/Res.h"
#include "game/app/Singleton.h"
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

class SampleLevelLookTest : public LevelDataFixture
{
protected:
    ~SampleLevelLookTest() override
    {
        level_.reset();
        DestroySingletons();
        ClearAssetLoaders();
        SetGlobalAssetManager(nullptr);
    }

    // The shipped assets, their string table and the level's own groups
    // loaded; the level logic made with the given factory.
    bool LoadGroups(std::unique_ptr<ILevelFactory> factory)
    {
        UseShippedAssets();
        SetGlobalAssetManager(&manager_);
        RegisterTextureAssetLoader();
        level_ = std::make_unique<TGameLogic>(std::move(factory), kSeed);
        std::vector<TString> groups;
        level_->ListLevelResources(1, groups);
        // The level's own groups (the HUD's and the helper's come with them).
        for (const TString& group : groups)
        {
            const std::string name = group.CStr();
            if (name.rfind("location_", 0) == 0 || name.find("_stall_") != std::string::npos ||
                name == "game_logic_common" || name == "effect")
                TRes::GetInstance()->LoadGroupNow(group);
        }
        return TRes::GetInstance()->IsGroupLoaded("location_0");
    }
    void DrawOnce(ImageDisplay& display)
    {
        display.Clear();
        ASSERT_TRUE(display.dc->BeginDraw(false));
        ASSERT_TRUE(display.dc->Begin2d());
        level_->Draw();
        display.dc->End2d();
        display.dc->EndDraw(false);
    }
    // The frame as a picture in the test's folder (and where
    // ORVELLE_KEEP_FRAME names, for a person to look at).
    void SaveFrame(ImageDisplay& display, const std::string& name)
    {
        std::vector<uint32_t> frame(800 * 600, 0);
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                frame[static_cast<size_t>(y * 800 + x)] = 0xFF000000u | display.Pixel(x, y);
        const std::filesystem::path saved = tree_.Root() / name;
        std::ofstream(saved, std::ios::binary) << imagefx::PngFromArgb(800, 600, frame);
        if (const char* keep = std::getenv("ORVELLE_KEEP_FRAME"))
            std::filesystem::copy_file(saved, std::string(keep) + name,
                                       std::filesystem::copy_options::overwrite_existing);
    }

    TAssetManager manager_;
};

TEST_F(SampleLevelLookTest, TheLevelIsDrawnWithItsPictures)
{
    ImageDisplay display(800, 600);
    ASSERT_TRUE(display.Ready());
    ASSERT_TRUE(LoadGroups(std::make_unique<FakeFactory>()));
    level_->BeginLevel(1, level_->GetLevelLocation());
    level_->LoadLevel();
    DrawOnce(display);
    SaveFrame(display, "level_1.png");

    // The meadow's grass, off the path and the elements.
    EXPECT_TRUE(RgbNear(display.Pixel(450, 560), 0x7CC35A, 12));
    // The sky band along the top.
    EXPECT_TRUE(RgbNear(display.Pixel(300, 20), 0x8FE3DA, 12));
    // Above a tree's foot (100, 150): its crown, not the grass.
    EXPECT_FALSE(RgbNear(display.Pixel(100, 86), 0x7CC35A, 12));
    // The slot for sale at (340, 160): its dark plot above its centre.
    EXPECT_TRUE(RgbNear(display.Pixel(340, 148), 0x5A9A3E, 12));
}

TEST_F(SampleLevelLookTest, TheGamesStallsStandOnTheirSlots)
{
    ImageDisplay display(800, 600);
    ASSERT_TRUE(display.Ready());
    ASSERT_TRUE(LoadGroups(std::make_unique<TLevelFactory>()));
    level_->BeginLevel(1, level_->GetLevelLocation());
    level_->LoadLevel();
    ASSERT_EQ(level_->GetStallCount(), 3);
    EXPECT_EQ(level_->GetStallAt(0)->state, kStateWorking);
    EXPECT_EQ(level_->GetStallAt(1)->state, kStateBroken);
    EXPECT_FALSE(level_->GetStallAt(2)->active);
    DrawOnce(display);
    SaveFrame(display, "level_1_stalls.png");
    EXPECT_EQ(Log().find("ERROR"), std::string::npos) << Log();
}

}  // namespace
