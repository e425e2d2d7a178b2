// The fade visitor over a screen: texts and pictures take the alpha, also
// inside texts, pictures and buttons; plain windows and sliders keep theirs
// and so does everything below them.
#include <gtest/gtest.h>

#include "core/AssetManager.h"
#include "game/app/controls/WindowProcess1.h"
#include "game/app/controls/support/GameControlsTest.h"
#include "graphics/support/ImageAssets.h"
#include "graphics/support/RecordingScene.h"
#include "ui/Image.h"
#include "ui/Slider.h"
#include "ui/Text.h"

using controlstest::GameControlsTest;

namespace
{

class FadeTest : public GameControlsTest
{
protected:
    void SetUp() override
    {
        GameControlsTest::SetUp();
        ASSERT_TRUE(scene.Ready());
        SetGlobalAssetManager(&manager);
        assets.Put("dot.png", imagefx::PngFromArgb(4, 4, std::vector<uint32_t>(16, 0xFFFFFFFFu)));
        Open("fade.lua");
    }
    void TearDown() override
    {
        GameControlsTest::TearDown();
        SetGlobalAssetManager(nullptr);
    }
    // The alpha of a text or a picture.
    float AlphaOf(TWindow* w)
    {
        if (w->IsKindOf(TText::ClassId())) return static_cast<TText*>(w)->GetAlpha();
        if (w->IsKindOf(TImage::ClassId())) return static_cast<TImage*>(w)->GetAlpha();
        ADD_FAILURE() << w->GetName().CStr() << " is neither";
        return -1;
    }

    RecordingScene scene;
    TAssetManager manager;
    ImageAssets assets;
};

TEST_F(FadeTest, FadesTextsAndPicturesThroughButtonsOnly)
{
    TWindow* screen = wm->GetTopModal()->FindChild("screen", -1);
    ASSERT_NE(screen, nullptr);
    auto* slider = static_cast<TSlider*>(screen->FindChild("slider", -1));
    ASSERT_NE(slider->GetThumb(), nullptr);

    TWindowProcess1 fade(0.25f);
    EXPECT_TRUE(fade.Visit(nullptr));
    screen->VisitChildren(fade);

    struct Case
    {
        TWindow* window;
        float alpha;
    } cases[] = {
        {screen->FindChild("title", -1), 0.25f},
        {screen->FindChild("picture", -1), 0.25f},
        {screen->FindChild("image0", -1), 0.25f},  // the button's picture
        {screen->FindChild("label", -1), 0.25f},   // and its label
        {screen->FindChild("edit", -1), 0.25f},
        {screen->FindChild("grouped", -1), 1.0f},  // below a plain window
        {slider->GetThumb(), 1.0f},
    };
    for (const Case& c : cases)
    {
        ASSERT_NE(c.window, nullptr);
        EXPECT_EQ(AlphaOf(c.window), c.alpha) << c.window->GetName().CStr();
    }
}

}  // namespace
