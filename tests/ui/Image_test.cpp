// The image window: sizing to the texture, the opaque rule, the Init keys,
// and the draw parameters (mirror bits, top-left origin, the quarter turn).
#include <gtest/gtest.h>

#include <cmath>

#include "core/FileTestSupport.h"
#include "core/AssetIndex.h"
#include "graphics/Texture.h"
#include "script/LuaTable.h"
#include "script/Script.h"
#include "ui/Image.h"
#include "ui/WindowStyle.h"
#include "ui/support/UiTestSupport.h"

using namespace uitest;

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

    filetest::TempTree tree;
    DisplayLink app;
    TScript script;
};

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

TEST_F(ImageTest, NothingDrawsWithoutTexture)
{
    TImage image;
    image.Draw();  // no drawing context, no texture: no effect, no crash
    SUCCEED();
}

}  // namespace
