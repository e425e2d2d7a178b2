// The game's slider: the thumb picture's size (0 x 0 without one or when it
// does not load), a rail that is never drawn while the thumb still is, and
// the framework slider's behaviour underneath.
#include <gtest/gtest.h>

#include "core/AssetManager.h"
#include "game/app/controls/CustomSlider.h"
#include "game/app/controls/support/GameControlsTest.h"
#include "graphics/support/ImageAssets.h"
#include "graphics/support/RecordingScene.h"
#include "ui/Image.h"

using controlstest::GameControlsTest;

namespace
{

std::string Png(int w, int h, uint32_t argb)
{
    return imagefx::PngFromArgb(w, h, std::vector<uint32_t>(size_t(w) * size_t(h), argb), false);
}

int CountOf(const std::string& text, const std::string& part)
{
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

class CustomSliderTest : public GameControlsTest
{
protected:
    void SetUp() override
    {
        GameControlsTest::SetUp();
        ASSERT_TRUE(scene.Ready());
        SetGlobalAssetManager(&manager);
        assets.Put("cap.png", Png(16, 8, 0xFF2040A0u));
        assets.Put("mid.png", Png(8, 4, 0xFF40A020u));
        assets.Put("thumb.png", Png(24, 16, 0xFFC0C0C0u));
        Open("slider.lua");
    }
    void TearDown() override
    {
        GameControlsTest::TearDown();
        SetGlobalAssetManager(nullptr);
    }

    RecordingScene scene;
    TAssetManager manager;
    ImageAssets assets;
};

TEST_F(CustomSliderTest, KnowsItsThumbPicturesSize)
{
    struct Case
    {
        const char* name;
        int width, height;
    } cases[] = {
        {"volume", 24, 16},
        {"bare", 0, 0},
        {"lost", 0, 0},
    };
    for (const Case& c : cases)
    {
        auto* slider = Find<TCustomSlider>(c.name);
        ASSERT_NE(slider, nullptr) << c.name;
        EXPECT_TRUE(slider->IsKindOf(TSlider::ClassId())) << c.name;
        EXPECT_EQ(slider->GetThumbImageWidth(), c.width) << c.name;
        EXPECT_EQ(slider->GetThumbImageHeight(), c.height) << c.name;
    }
    EXPECT_EQ(CountOf(assets.Log(), "no_such"), 1) << assets.Log();
}

TEST_F(CustomSliderTest, OnlyTheThumbIsDrawn)
{
    auto* slider = Find<TCustomSlider>("volume");
    ASSERT_NE(slider, nullptr);
    // Half way along: (200 - 24) / 2.
    ASSERT_NE(slider->GetThumb(), nullptr);
    EXPECT_EQ(slider->GetThumb()->GetRect().left, 88);
    scene.Frame([&] { slider->Draw(); });
    EXPECT_TRUE(scene.device.draws.empty());
    scene.Frame(
        [&]
        {
            scene.dc->PushClipRect(TRect(0, 0, 800, 600));
            DrawTree(scene.dc, slider, kDrawNormal);
            scene.dc->PopClipRect();
        });
    EXPECT_EQ(scene.device.draws.size(), 1u);
}

}  // namespace
