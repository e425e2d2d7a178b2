// The image window: sizing to the texture, the opaque rule, the Init keys,
// and the draw parameters (mirror bits, top-left origin, the quarter turn).
#include <gtest/gtest.h>

#include <cmath>

#include "core/AssetManager.h"
#include "graphics/support/ImageAssets.h"
#include "graphics/support/ImageDisplay.h"
#include "graphics/Texture.h"
#include "script/LuaTable.h"
#include "script/Script.h"
#include "ui/Image.h"
#include "ui/WindowStyle.h"
#include "ui/support/UiTestSupport.h"

using namespace uitest;

// The GL driver of the headless display keeps allocations past exit.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

class DisplayLink : public FakeAppLink
{
public:
    int width = 800, height = 600;
    void GetDisplaySize(int& w, int& h) const override { w = width, h = height; }
};

class ImageTest : public ::testing::Test
{
protected:
    void SetUp() override { SetWindowAppLink(&app); }
    void TearDown() override { SetWindowAppLink(nullptr); }

    // Init from a Lua table text, e.g. "{ image = 'a.png' }".
    void InitFrom(TImage& image, const char* table)
    {
        ASSERT_EQ(script.DoLuaString(TString::Format("gT = %s", table)), 0);
        lua_State* L = script.GetState();
        lua_pushstring(L, "gT");
        lua_gettable(L, LUA_GLOBALSINDEX);
        TLuaTable t(L);
        TWindowStyle style(L, &t);
        image.Init(style);
    }

    ImageAssets assets;
    DisplayLink app;
    TScript script;
};

const uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u;

// Left half red, right half green.
std::vector<uint32_t> Halves(int w, int h, uint32_t alpha = 0xFF000000u)
{
    std::vector<uint32_t> px(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            px[size_t(y) * w + x] = ((x < w / 2 ? kRed : kGreen) & 0xFFFFFFu) | alpha;
    return px;
}

// Pictures loaded from files, drawn on a headless display.
class ImageFileTest : public ImageTest
{
protected:
    void SetUp() override
    {
        ImageTest::SetUp();
        ASSERT_TRUE(display.Ready());
        SetGlobalAssetManager(&manager);
        assets.Put("opaque.png", imagefx::PngFromArgb(100, 50, Halves(100, 50), false));
        assets.Put("alpha.png", imagefx::PngFromArgb(100, 50, Halves(100, 50, 0x80000000u), true));
        assets.Put("mask.png", imagefx::PngFromArgb(100, 50, Halves(100, 50), false));
    }
    void TearDown() override
    {
        SetGlobalAssetManager(nullptr);
        ImageTest::TearDown();
    }
    void DrawOnce(TImage& image)
    {
        display.Clear();
        ASSERT_TRUE(display.dc->BeginDraw(false));
        display.dc->SetTextureFilter(0);
        image.Draw();
        display.dc->EndDraw(false);
    }

    TAssetManager manager;
    ImageDisplay display{160, 120};
};

TEST_F(ImageFileTest, InitKeysAsATable)
{
    struct Case
    {
        const char* table;
        int w, h;
        bool texture, opaque;
    } cases[] = {
        {"{ image = 'opaque.png' }", 100, 50, true, true},
        {"{ image = 'opaque.png', scale = 1.5 }", 150, 75, true, true},
        {"{ image = 'opaque.png', scale = 1.5, rotate = true }", 75, 150, true, true},
        {"{ image = 'alpha.png', alpha = true }", 100, 50, true, false},
        {"{ image = 'opaque.png', alpha = true }", 100, 50, true, false},
        // Fits the 800 x 600 display: sy = 12 is above 1, so it wins.
        {"{ image = 'opaque.png', autoscale = true }", 1200, 600, true, true},
        {"{ image = 'opaque.png', autoscale = true, scale = 2 }", 200, 100, true, true},
        {"{ mask = 'mask.png', w = 7, h = 7 }", 7, 7, false, true},
        {"{ image = 'opaque.png', mask = 'mask.png' }", 100, 50, true, true},
        {"{ image = 'opaque.png', mipmap = true }", 100, 50, true, true},
        {"{ image = 'nothing.png', w = 9, h = 3 }", 9, 3, false, true},
    };
    for (const Case& c : cases)
    {
        TImage image;
        InitFrom(image, c.table);
        EXPECT_EQ(image.GetWidth(), c.w) << c.table;
        EXPECT_EQ(image.GetHeight(), c.h) << c.table;
        EXPECT_EQ(image.GetTexture() != nullptr, c.texture) << c.table;
        EXPECT_EQ((image.GetFlags() & kWindowOpaque) != 0, c.opaque) << c.table;
    }
    TImage alpha;
    InitFrom(alpha, "{ image = 'alpha.png', alpha = true }");
    alpha.SetAlpha(1.0f);
    EXPECT_FALSE(alpha.GetFlags() & kWindowOpaque);
}

TEST_F(ImageFileTest, DrawsMirroredAndTurned)
{
    TImage image;
    InitFrom(image, "{ image = 'opaque.png' }");
    DrawOnce(image);
    EXPECT_TRUE(RgbNear(display.Pixel(10, 10), 0xFF0000));
    EXPECT_TRUE(RgbNear(display.Pixel(90, 40), 0x00FF00));
    EXPECT_EQ(display.Pixel(110, 10), 0u);

    image.SetFlip(TDrawParams::kMirrorX);
    DrawOnce(image);
    EXPECT_TRUE(RgbNear(display.Pixel(10, 10), 0x00FF00));
    EXPECT_TRUE(RgbNear(display.Pixel(90, 40), 0xFF0000));

    // A quarter turn: 50 wide and 100 high, the halves now one above the other.
    image.SetFlip(0);
    image.SetRotate(true);
    DrawOnce(image);
    EXPECT_EQ(display.Pixel(70, 10), 0u);
    EXPECT_NE(display.Pixel(25, 10), 0u);
    EXPECT_NE(display.Pixel(25, 90), 0u);
    EXPECT_FALSE(RgbNear(display.Pixel(25, 10), display.Pixel(25, 90)));
}

TEST_F(ImageTest, SizesToTheScaledTextureAndTurns)
{
    struct Case
    {
        float scale;
        bool rotate;
        int w, h;
    } cases[] = {{1.0f, false, 128, 64}, {1.5f, false, 192, 96}, {1.5f, true, 96, 192},
                 {0.333f, false, 43, 21}};
    for (const Case& c : cases)
    {
        TImage image;
        image.SetRotate(c.rotate);
        image.SetTexture(TTexture::CreateEmpty(128, 64, false), c.scale);
        EXPECT_EQ(image.GetWidth(), c.w) << c.scale << c.rotate;
        EXPECT_EQ(image.GetHeight(), c.h) << c.scale << c.rotate;
    }
    TImage image;
    image.SetTexture(TTexture::CreateEmpty(128, 64, false), 1.0f);
    image.SetRotate(true);
    EXPECT_EQ(image.GetWidth(), 64);
    EXPECT_EQ(image.GetHeight(), 128);
}

TEST_F(ImageTest, OpaqueOnlyWithFullAlphaOverAnOpaqueTexture)
{
    TImage image;
    EXPECT_TRUE(image.GetFlags() & kWindowOpaque);
    EXPECT_TRUE(image.GetFlags() & kWindowScreenLayer);
    EXPECT_FALSE(TImage(false).GetFlags() & kWindowScreenLayer);
    struct Case
    {
        bool alphaTexture;
        bool texture;
        float alpha;
        bool opaque;
    } cases[] = {{false, true, 1.0f, true},
                 {false, true, 0.5f, false},
                 {true, true, 1.0f, false},
                 {false, false, 1.0f, false}};
    for (const Case& c : cases)
    {
        TImage i;
        if (c.texture) i.SetTexture(TTexture::CreateEmpty(8, 8, c.alphaTexture), 1.0f);
        i.SetAlpha(c.alpha);
        EXPECT_EQ((i.GetFlags() & kWindowOpaque) != 0, c.opaque)
            << c.alphaTexture << c.texture << c.alpha;
    }
}

TEST_F(ImageTest, InitKeys)
{
    // No file behind the names: nothing loads, the window keeps its style size.
    TImage masked;
    InitFrom(masked, "{ mask = 'm.png', w = 10, h = 10 }");
    EXPECT_EQ(masked.GetTexture(), nullptr);
    EXPECT_EQ(masked.GetWidth(), 10);

    TImage alpha;
    InitFrom(alpha, "{ image = 'missing.png', alpha = true, hflip = true, vflip = true, rotate = true }");
    EXPECT_FALSE(alpha.GetFlags() & kWindowOpaque);
    EXPECT_EQ(alpha.GetFlip(), 3);
    EXPECT_TRUE(alpha.GetRotate());
}

TEST_F(ImageTest, DrawParametersCarryMirrorBitsOriginAndTurn)
{
    TImage image;
    image.SetTexture(TTexture::CreateEmpty(128, 64, false), 2.0f);
    image.SetFlip(TDrawParams::kMirrorX);
    TDrawParams p = image.MakeDrawParams();
    EXPECT_EQ(p.flags, uint32_t(TDrawParams::kMirrorX | TDrawParams::kUseOrigin));
    EXPECT_FLOAT_EQ(p.matrix.m0.x, 2.0f);

    image.SetRotate(true);
    p = image.MakeDrawParams();
    // Every corner of the turned picture lies inside the 128 x 256 window.
    const TFloatPoint corners[4] = {{0, 0}, {128, 0}, {128, 64}, {0, 64}};
    for (const TFloatPoint& c : corners)
    {
        TFloatPoint q = TransformFloatPoint(p.matrix, c);
        EXPECT_GE(q.x, -0.01f);
        EXPECT_LE(q.x, 128.01f);
        EXPECT_GE(q.y, -0.01f);
        EXPECT_LE(q.y, 256.01f);
    }
    EXPECT_EQ(image.GetWidth(), 128);
    EXPECT_EQ(image.GetHeight(), 256);
}


}  // namespace
