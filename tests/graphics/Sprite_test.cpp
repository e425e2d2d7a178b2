// Sprite trees: drawing order, depth, inherited parameters and bounds on the
// recording device; pixel hit tests over a headless SDL display.
#include "graphics/Sprite.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/Settings.h"
#include "graphics/support/ImageDisplay.h"
#include "graphics/support/RecordingScene.h"

extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

class SpriteTreeTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(scene_.Ready()); }

    TSpriteRef Child(const TSpriteRef& parent, int layer, const std::string& name)
    {
        TSpriteRef s = TSprite::Create(layer, scene_.Texture(name, 4, 4));
        EXPECT_TRUE(parent->AddChild(s));
        return s;
    }
    void Draw(const TSpriteRef& s, int depth = -1)
    {
        scene_.Frame([&] { s->Draw(TDrawParams(), depth); });
    }

    RecordingScene scene_;
};

TEST_F(SpriteTreeTest, ChildrenDrawInLayerOrderAroundTheParent)
{
    TSpriteRef p = TSprite::Create(0, scene_.Texture("P", 4, 4));
    Child(p, -1, "A");
    Child(p, 0, "B");
    Child(p, -5, "C");
    Child(p, 0, "D");
    TSpriteRef e = Child(p, 3, "E");
    Draw(p);
    EXPECT_EQ(scene_.Order(), "C A P B D E");

    // Equal layers keep the order they were added in, also after a re-sort.
    e->SetLayer(-1);
    Draw(p);
    EXPECT_EQ(scene_.Order(), "C A E P B D");
    p->SortChildren();
    Draw(p);
    EXPECT_EQ(scene_.Order(), "C A E P B D");
}

TEST_F(SpriteTreeTest, DepthLimitsTheLevelsDrawn)
{
    TSpriteRef p = TSprite::Create(0, scene_.Texture("P", 4, 4));
    TSpriteRef a = Child(p, 0, "A");
    Child(a, 0, "G");
    struct Case
    {
        int depth;
        const char* order;
    } const cases[] = {{0, "P"}, {1, "P A"}, {2, "P A G"}, {-1, "P A G"}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.depth);
        Draw(p, c.depth);
        EXPECT_EQ(scene_.Order(), c.order);
    }
}

TEST_F(SpriteTreeTest, InvisibleSpritesDrawNothingButKeepTheirBounds)
{
    TSpriteRef p = TSprite::Create(0, scene_.Texture("P", 4, 4));
    TSpriteRef a = Child(p, 0, "A");
    Child(a, 0, "G");
    a->SetVisible(false);
    Draw(p);
    EXPECT_EQ(scene_.Order(), "P");
    TRect r;
    a->GetBounds(r, TDrawParams(), 0);
    EXPECT_EQ(r, TRect(-2, -2, 2, 2));
    const int at[2] = {0, 0};
    EXPECT_FALSE(a->HitTest(at, TDrawParams(), -1, -1));
    EXPECT_TRUE(p->HitTest(at, TDrawParams(), -1, -1));
}

TEST_F(SpriteTreeTest, MirrorsToggleDownTheTreeAndBlendModesInherit)
{
    TSpriteRef p = TSprite::Create(0, scene_.Texture("P", 4, 4));
    TSpriteRef a = Child(p, 0, "A");
    TSpriteRef b = Child(p, 0, "B");
    p->params.flags = TDrawParams::kMirrorX;
    a->params.flags = TDrawParams::kMirrorX;  // mirrored twice: drawn plain
    p->params.blendMode = 2;
    b->params.blendMode = 0;
    Draw(p);
    ASSERT_EQ(scene_.Order(), "P A B");
    const auto& d = scene_.device.draws;
    // A mirrored quad's first corner (the image's top-left) lies right.
    EXPECT_GT(d[0].vertices[0].x, d[0].vertices[1].x);
    EXPECT_LT(d[1].vertices[0].x, d[1].vertices[1].x);
    EXPECT_GT(d[2].vertices[0].x, d[2].vertices[1].x);
    // A keeps -1 and draws with P's blend; B's own differs.
    EXPECT_EQ(d[1].srcBlend, d[0].srcBlend);
    EXPECT_EQ(d[1].destBlend, d[0].destBlend);
    EXPECT_TRUE(d[2].srcBlend != d[0].srcBlend || d[2].destBlend != d[0].destBlend);
}

TEST_F(SpriteTreeTest, SourceRectangleAndOriginStayWithTheirSprite)
{
    TSpriteRef p = TSprite::Create(0, scene_.Texture("P", 8, 8));
    TSpriteRef a = Child(p, 0, "A");
    p->params.flags = TDrawParams::kSourceRect | TDrawParams::kUseOrigin;
    p->params.sourceRect = TRect(0, 0, 2, 2);
    p->params.origin = TFloatPoint(0, 0);
    Draw(p);
    ASSERT_EQ(scene_.Order(), "P A");
    const auto& v = scene_.device.draws[1].vertices;
    // A: its whole 4 x 4 texture centred on the parent's origin.
    EXPECT_FLOAT_EQ(v[0].x, -2.0f);
    EXPECT_FLOAT_EQ(v[2].x, 2.0f);
    EXPECT_FLOAT_EQ(v[0].y, -2.0f);
    EXPECT_FLOAT_EQ(v[2].y, 2.0f);
    TRect r;
    p->GetBounds(r, TDrawParams(), 0);
    EXPECT_EQ(r, TRect(0, 0, 2, 2));
}

TEST_F(SpriteTreeTest, BoundsOfARotatedTree)
{
    TSpriteRef p = TSprite::Create(0);  // a group: no bounds of its own
    p->params = TDrawParams(TFloatPoint(100, 100), 1.0f, 1.0f, 0);
    p->params.matrix.Rotate(float(M_PI / 2));
    TSpriteRef a = Child(p, 0, "A");
    a->SetTexture(scene_.Texture("A20x10", 20, 10));
    a->params = TDrawParams(TFloatPoint(30, 0), 1.0f, 1.0f, 0);
    TRect r;
    p->GetBounds(r, TDrawParams(), 0);
    EXPECT_EQ(r, TRect(10000000, 10000000, -10000000, -10000000));
    p->GetBounds(r, TDrawParams(), -1);
    // A spans x 20..40, y -5..5 before the quarter turn about (100, 100).
    EXPECT_NEAR(r.left, 95, 1);
    EXPECT_NEAR(r.right, 105, 1);
    EXPECT_NEAR(r.top, 120, 1);
    EXPECT_NEAR(r.bottom, 140, 1);
}

TEST_F(SpriteTreeTest, ChildrenMoveAndCyclesAreRefused)
{
    TSpriteRef p = TSprite::Create(0), q = TSprite::Create(0), a = TSprite::Create(0);
    TSpriteRef g = TSprite::Create(0);
    ASSERT_TRUE(p->AddChild(a));
    ASSERT_TRUE(a->AddChild(g));
    EXPECT_FALSE(a->AddChild(a));
    EXPECT_FALSE(g->AddChild(p));
    EXPECT_FALSE(g->AddChild(a));
    EXPECT_FALSE(p->AddChild(nullptr));
    ASSERT_TRUE(q->AddChild(a));
    EXPECT_EQ(a->GetParent(), q.get());
    EXPECT_TRUE(p->GetChildren().empty());
    EXPECT_FALSE(p->RemoveChild(a));
    EXPECT_TRUE(q->RemoveChild(a));
    EXPECT_EQ(a->GetParent(), nullptr);
    // A dying parent leaves its children without a parent.
    q->AddChild(a);
    q.reset();
    EXPECT_EQ(a->GetParent(), nullptr);
}

TEST_F(SpriteTreeTest, LiveCountIsPublished)
{
    const int before = TSprite::GetLiveCount();
    {
        TSpriteRef a = TSprite::Create(0), b = TSprite::Create(1);
        EXPECT_EQ(GetSetting("current_sprite_count").ToInt(), before + 2);
    }
    EXPECT_EQ(GetSetting("current_sprite_count").ToInt(), before);
    // A layer set on a parentless sprite is only stored.
    TSpriteRef s = TSprite::Create(0);
    s->SetLayer(4);
    EXPECT_EQ(s->GetLayer(), 4);
}

// --- pixel hit tests on the SDL device ---

class SpriteHitTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(display_.Ready());
        ClearSettings();
    }
    // 8 x 8: opaque left half, alpha 128 in the right half's top, clear below.
    TTextureRef Picture()
    {
        TTextureRef t = TTexture::CreateEmpty(8, 8, true);
        {
            const TLockedPixels locked(t);
            EXPECT_TRUE(locked);
            uint32_t* const px = locked.GetPixels();
            const int pitch = locked.GetPitch();
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    px[y * pitch + x] = x < 4 ? 0xFFFF0000u : (y < 4 ? 0x80FF0000u : 0u);
        }
        return t;
    }
    bool Hit(const TSpriteRef& s, int x, int y, int threshold)
    {
        const int at[2] = {x, y};
        return s->HitTest(at, TDrawParams(), threshold, -1);
    }

    ImageDisplay display_{64, 64};
};

TEST_F(SpriteHitTest, ThresholdsAgainstThePixelUnderThePoint)
{
    TSpriteRef s = TSprite::Create(0, Picture());
    s->params = TDrawParams(TFloatPoint(20, 20), 1.0f, 1.0f, 0);  // spans 16..24
    struct Case
    {
        int x, y, threshold;
        bool hit;
    } const cases[] = {
        {17, 17, 255, true}, {21, 17, 128, true}, {21, 17, 129, false},
        {21, 21, 1, false},  {21, 21, 0, true},   {21, 21, -1, true},
        {30, 20, -1, false}, {24, 20, -1, false}, {16, 16, 255, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y) + " " +
                     std::to_string(c.threshold));
        EXPECT_EQ(Hit(s, c.x, c.y, c.threshold), c.hit);
    }
}

TEST_F(SpriteHitTest, SixteenBitModeRoundsHighThresholdsDown)
{
    TTextureRef t = TTexture::CreateEmpty(4, 4, true);
    {
        const TLockedPixels locked(t);
        ASSERT_TRUE(locked);
        uint32_t* const px = locked.GetPixels();
        const int pitch = locked.GetPitch();
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) px[y * pitch + x] = 0xF5FFFFFFu;  // alpha 245
    }
    TSpriteRef s = TSprite::Create(0, t);
    s->params = TDrawParams(TFloatPoint(10, 10), 1.0f, 1.0f, 0);
    EXPECT_FALSE(Hit(s, 10, 10, 250));
    display_.dc->GetDisplayHandler()->SetLowMemoryVideo(true);
    EXPECT_TRUE(Hit(s, 10, 10, 250));  // compared as 240
    EXPECT_FALSE(Hit(s, 10, 10, 246 + 16));
    display_.dc->GetDisplayHandler()->SetLowMemoryVideo(false);
}

TEST_F(SpriteHitTest, GroupsHitThroughTheirChildrenOnlyWhenAsked)
{
    TSpriteRef group = TSprite::Create(0);
    TSpriteRef child = TSprite::Create(0, Picture());
    group->AddChild(child);
    group->params = TDrawParams(TFloatPoint(20, 20), 1.0f, 1.0f, 0);
    EXPECT_FALSE(Hit(group, 17, 17, 128));
    SetSetting("hittestchildren", "1");
    EXPECT_TRUE(Hit(group, 17, 17, 128));
    EXPECT_FALSE(Hit(group, 21, 21, 128));
    // Inside a frame the render target is refused.
    ASSERT_TRUE(display_.dc->BeginDraw(false));
    EXPECT_FALSE(Hit(group, 17, 17, 128));
    display_.dc->EndDraw(false);
}

}  // namespace
