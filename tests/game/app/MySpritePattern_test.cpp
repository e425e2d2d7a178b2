// The game sprite layer: settings mapped onto the inner draw record for both
// kinds, the transform, Load keeping what it should, empty and hidden
// sprites, anchors, and the pixel hit test.
#include "game/app/MySpritePattern.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "core/AssetManager.h"
#include "core/AssetMap.h"
#include "core/Clock.h"
#include "core/Task.h"
#include "game/app/MyAnimSprite.h"
#include "game/app/MySprite.h"
#include "game/app/Res.h"
#include "game/app/Singleton.h"
#include "graphics/AnimationHost.h"
#include "graphics/support/AnimationFixtures.h"
#include "graphics/support/ImageAssets.h"
#include "graphics/support/ImageDisplay.h"
#include "graphics/support/RecordingScene.h"

extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

constexpr uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u;

// Two frames 10x8 side by side; the first has the point "anchor_hand".
const char kWalkXml[] =
    "<sequence name=\"walk\"><img name=\"sheet.png\"/><framelist>"
    "<frame x=\"0\" w=\"10\" h=\"8\"><anchor name=\"anchor_hand\" x=\"3\" y=\"-2\"/></frame>"
    "<frame x=\"10\" w=\"10\" h=\"8\"/>"
    "</framelist><script luascript=\"function DoAnim() delay(10); frames{1, 2} end\"/>"
    "</sequence>";

// Every entry of the two matrices equal (up to float rounding).
void ExpectMatrix(const TAffineMatrix& got, const TAffineMatrix& want)
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_FLOAT_EQ(got.Row(r)[c], want.Row(r)[c]) << "entry " << r << "," << c;
}

class TestAnimationHost final : public TAnimationHost
{
public:
    TTaskList& GetTaskList() override { return tasks; }
    uint32_t Random() override { return 0; }
    TTaskList tasks;
};

// Pictures and a resources.lua with a picture group and an animation group
// in a private asset folder; the loaders and the asset manager installed.
class SpriteAssets
{
public:
    SpriteAssets()
    {
        SetGlobalAssetManager(&manager);
        RegisterTextureAssetLoader();
        RegisterAnimatedTextureAssetLoader();
        SetAnimationHost(&host);
        assets.Put("img/one.png",
                   imagefx::PngFromArgb(4, 2, std::vector<uint32_t>(8, kRed)));
        assets.Put("img/two.png",
                   imagefx::PngFromArgb(6, 3, std::vector<uint32_t>(18, kGreen)));
        assets.Put("sheet.png",
                   imagefx::PngFromArgb(20, 8, animfx::Strip(10, 8, {kRed, kGreen})));
        assets.Put("walk.xml", kWalkXml);
        assets.Put("resources.lua", "pics = { 'img/one', 'img/two' }\nanims = { 'walk' }\n");
    }
    ~SpriteAssets()
    {
        DestroySingletons();
        host.tasks.DeleteAll();
        SetAnimationHost(nullptr);
        ClearAssetLoaders();
        SetGlobalAssetManager(nullptr);
    }
    void LoadGroups()
    {
        TRes::GetInstance()->LoadGroupNow("pics");
        TRes::GetInstance()->LoadGroupNow("anims");
    }

    ImageAssets assets;
    TAssetManager manager;
    TestAnimationHost host;
};

class SpriteLayerTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(scene_.Ready()); }

    // The draws one frame of pattern.Draw() made.
    size_t DrawCount(TMySpritePattern& pattern)
    {
        scene_.Frame([&] { pattern.Draw(); });
        return scene_.device.draws.size();
    }
    // The first corner of the one quad drawn.
    TFloatPoint FirstCorner(TMySpritePattern& pattern)
    {
        scene_.Frame([&] { pattern.Draw(); });
        if (scene_.device.draws.size() != 1) return TFloatPoint(NAN, NAN);
        const GfxVertex& v = scene_.device.draws[0].vertices[0];
        return TFloatPoint(v.x, v.y);
    }

    SpriteAssets files_;
    RecordingScene scene_;
};

using Maker = std::function<std::unique_ptr<TMySpritePattern>()>;

struct KindCase
{
    const char* name;
    Maker make;
};

std::vector<KindCase> Kinds()
{
    return {
        {"still", [] { return std::make_unique<TMySprite>("pics:img/one", true); }},
        {"animated", [] { return std::make_unique<TMyAnimSprite>("anims:walk", true); }},
    };
}

TEST_F(SpriteLayerTest, SettersKeepTheDrawRecordInStep)
{
    files_.LoadGroups();
    using Setter = std::function<void(TMySpritePattern&)>;
    using Check = std::function<void(const TDrawParams&)>;
    struct Case
    {
        const char* name;
        Setter set;
        Check check;
    } const cases[] = {
        {"fresh", [](TMySpritePattern&) {},
         [](const TDrawParams& p) {
             EXPECT_EQ(p.flags, 0u);
             EXPECT_EQ(p.alpha, 1.0f);
         }},
        {"origin on, then off",
         [](TMySpritePattern& s) {
             s.SetOriginEnabled(true);
             s.SetSourceRectEnabled(true);
             s.SetOriginEnabled(false);
         },
         [](const TDrawParams& p) { EXPECT_EQ(p.flags, uint32_t(TDrawParams::kSourceRect)); }},
        {"origin on",
         [](TMySpritePattern& s) { s.SetOriginEnabled(true); },
         [](const TDrawParams& p) { EXPECT_EQ(p.flags, uint32_t(TDrawParams::kUseOrigin)); }},
        {"origin written while disabled",
         [](TMySpritePattern& s) { s.SetOrigin(3, -4); },
         [](const TDrawParams& p) {
             EXPECT_EQ(p.flags & TDrawParams::kUseOrigin, 0u);
             EXPECT_EQ(p.origin.x, 3.0f);
             EXPECT_EQ(p.origin.y, -4.0f);
         }},
        {"source rectangle as x, y, width, height",
         [](TMySpritePattern& s) { s.SetSourceRect(1, 2, 5, 6); },
         [](const TDrawParams& p) { EXPECT_EQ(p.sourceRect, TRect(1, 2, 6, 8)); }},
        {"flip x only",
         [](TMySpritePattern& s) {
             s.SetFlip(true, true);
             s.SetFlip(true, false);
         },
         [](const TDrawParams& p) { EXPECT_EQ(p.flags, uint32_t(TDrawParams::kMirrorX)); }},
        {"flip y with the origin",
         [](TMySpritePattern& s) {
             s.SetOriginEnabled(true);
             s.SetFlip(false, true);
         },
         [](const TDrawParams& p) {
             EXPECT_EQ(p.flags, uint32_t(TDrawParams::kMirrorY | TDrawParams::kUseOrigin));
         }},
        {"colour as four floats",
         [](TMySpritePattern& s) { s.SetColor(TFloatVector4(0.5f, 0.25f, 1.0f, 0.75f)); },
         [](const TDrawParams& p) {
             EXPECT_EQ(p.color.x, 0.5f);
             EXPECT_EQ(p.color.y, 0.25f);
             EXPECT_EQ(p.color.z, 1.0f);
             EXPECT_EQ(p.color.w, 0.75f);
         }},
        {"alpha", [](TMySpritePattern& s) { s.SetAlpha(0.25f); },
         [](const TDrawParams& p) { EXPECT_EQ(p.alpha, 0.25f); }},
    };
    for (const KindCase& kind : Kinds())
        for (const Case& c : cases)
        {
            SCOPED_TRACE(std::string(kind.name) + ": " + c.name);
            std::unique_ptr<TMySpritePattern> s = kind.make();
            c.set(*s);
            c.check(s->GetDrawParams());
        }
}

TEST_F(SpriteLayerTest, TheTransformChangesOnlyAtUpdateTransform)
{
    files_.LoadGroups();
    TMySprite s("pics:img/one", true);  // 4x2, centred on its position
    const TFloatPoint before = FirstCorner(s);
    EXPECT_FLOAT_EQ(before.x, -2.0f);
    EXPECT_FLOAT_EQ(before.y, -1.0f);

    s.SetPosition(100.0f, 50.0f);
    s.SetScale(2.0f, 3.0f);
    s.SetRotation(0.5f);
    const TFloatPoint still = FirstCorner(s);
    EXPECT_EQ(still.x, before.x);
    EXPECT_EQ(still.y, before.y);

    s.UpdateTransform();
    TAffineMatrix want;
    want.Rotate(0.5f);
    want.Scale(2.0f, 3.0f);
    want.m2 = TFloatVector3(100.0f, 50.0f, 1.0f);
    ExpectMatrix(s.GetDrawParams().matrix, want);

    // Rotation 0 and scale (1, 1) leave a pure translation.
    s.SetRotation(0.0f);
    s.SetScale(1.0f, 1.0f);
    s.SetPosition(-7.5f, 3.0f);
    s.UpdateTransform();
    TAffineMatrix translation;
    translation.m2 = TFloatVector3(-7.5f, 3.0f, 1.0f);
    ExpectMatrix(s.GetDrawParams().matrix, translation);
    const TFloatPoint moved = FirstCorner(s);
    EXPECT_FLOAT_EQ(moved.x, -9.5f);
    EXPECT_FLOAT_EQ(moved.y, 2.0f);
}

TEST_F(SpriteLayerTest, LoadKeepsTheSettingsButNotFlipsAndColour)
{
    files_.LoadGroups();
    TClock clock;
    for (const KindCase& kind : Kinds())
    {
        SCOPED_TRACE(kind.name);
        std::unique_ptr<TMySpritePattern> s = kind.make();
        s->SetOriginEnabled(true);
        s->SetOrigin(2, 1);
        s->SetSourceRectEnabled(true);
        s->SetSourceRect(0, 0, 3, 2);
        s->SetAlpha(0.5f);
        s->SetFlip(true, true);
        s->SetColor(TFloatVector4(0.5f, 0.5f, 0.5f, 0.5f));
        s->SetPosition(30.0f, 40.0f);
        s->SetScale(2.0f, 2.0f);
        s->UpdateTransform();
        const TDrawParams& old = s->GetDrawParams();
        const TAffineMatrix matrix = old.matrix;

        s->Load(s->GetKind() == TMySpritePattern::kStill ? "pics:img/two" : "anims:walk", true);
        const TDrawParams& p = s->GetDrawParams();
        EXPECT_NE(&p, &old);  // a new inner object
        EXPECT_EQ(p.flags, uint32_t(TDrawParams::kUseOrigin | TDrawParams::kSourceRect));
        EXPECT_EQ(p.origin.x, 2.0f);
        EXPECT_EQ(p.origin.y, 1.0f);
        EXPECT_EQ(p.sourceRect, TRect(0, 0, 3, 2));
        EXPECT_EQ(p.alpha, 0.5f);
        ExpectMatrix(p.matrix, matrix);
        EXPECT_EQ(p.color.x, 1.0f);  // the new object's default
        // The pattern still remembers them; only the screen forgot.
        EXPECT_TRUE(s->GetFlipX());
        EXPECT_EQ(s->GetColor().x, 0.5f);
    }

    // The still kind shows the new picture; an empty Load leaves nothing.
    TMySprite still("pics:img/one", true);
    still.Load("pics:img/two", true);
    int32_t w = 0, h = 0;
    still.GetSize(&w, &h);
    EXPECT_EQ(w, 6);
    EXPECT_EQ(h, 3);
    still.Load("", false);
    still.GetSize(&w, &h);
    EXPECT_EQ(w, 0);

    // The animated kind takes its clock along and plays "DoAnim" again.
    TMyAnimSprite anim("anims:walk", true);
    anim.SetClock(&clock);
    anim.Play("DoAnim");
    ASSERT_TRUE(anim.GetSprite()->IsPlaying(0));
    anim.Load("anims:walk", false);  // from the groups whatever the flag says
    EXPECT_NE(anim.GetSprite()->GetAnimation(), nullptr);
    EXPECT_EQ(anim.GetSprite()->GetClock(), &clock);
    EXPECT_TRUE(anim.GetSprite()->IsPlaying(0));
    EXPECT_TRUE(anim.playing);
}

TEST_F(SpriteLayerTest, WithoutAPictureOrHiddenNothingIsDrawn)
{
    files_.LoadGroups();
    struct Case
    {
        const char* name;
        Maker make;
        bool hidden;
        size_t draws;
        int32_t width;
    } const cases[] = {
        {"empty name", [] { return std::make_unique<TMySprite>("", false); }, false, 0, 0},
        {"empty name from a group", [] { return std::make_unique<TMySprite>("", true); }, false,
         0, 0},
        {"group not loaded", [] { return std::make_unique<TMySprite>("nogroup:img/one", true); },
         false, 0, 0},
        {"missing file", [] { return std::make_unique<TMySprite>("img/none.png", false); }, false,
         0, 0},
        {"by file name", [] { return std::make_unique<TMySprite>("img/one.png", false); }, false,
         1, 4},
        {"still, hidden", [] { return std::make_unique<TMySprite>("pics:img/one", true); }, true,
         0, 4},
        {"animated", [] { return std::make_unique<TMyAnimSprite>("anims:walk", true); }, false,
         1, 10},
        {"animated, hidden", [] { return std::make_unique<TMyAnimSprite>("anims:walk", true); },
         true, 0, 10},
        {"animated, group not loaded",
         [] { return std::make_unique<TMyAnimSprite>("nogroup:walk", true); }, false, 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::unique_ptr<TMySpritePattern> s = c.make();
        s->visible = !c.hidden;
        EXPECT_EQ(DrawCount(*s), c.draws);
        int32_t w = -1, h = -1;
        s->GetSize(&w, &h);
        EXPECT_EQ(w, c.width);
        if (c.width == 0)
        {
            EXPECT_EQ(h, 0);
        }
    }
}

TEST_F(SpriteLayerTest, AnchorsOfTheCurrentFrame)
{
    files_.LoadGroups();
    TMyAnimSprite anim("anims:walk", true);
    EXPECT_EQ(anim.GetAnchor("anchor_hand"), TPoint(3, -2));
    EXPECT_EQ(anim.GetAnchor("anchor_foot"), TPoint(-999, -999));
    anim.GetSprite()->SetCurrentFrame(1);  // the second frame has no points
    EXPECT_EQ(anim.GetAnchor("anchor_hand"), TPoint(-999, -999));

    TMyAnimSprite none("nogroup:walk", true);
    EXPECT_EQ(none.GetAnchor("anchor_hand"), TPoint(-999, -999));
    TMySprite still("pics:img/one", true);
    EXPECT_EQ(still.GetAnchor("anchor_hand"), TPoint(-999, -999));
}

// The pixel test runs on the SDL device: the picture is found where its
// position and origin put it.
TEST(SpriteLayerHitTest, HitsWhereThePictureIsDrawn)
{
    SpriteAssets files;
    ImageDisplay display(160, 120);
    ASSERT_TRUE(display.Ready());
    files.LoadGroups();
    TMySprite s("pics:img/one", true);  // 4x2, opaque
    s.SetOriginEnabled(true);
    s.SetOrigin(0, 0);
    s.SetPosition(50.0f, 20.0f);
    s.UpdateTransform();
    const TDrawParams neutral(TFloatPoint(0.0f, 0.0f), 1.0f, 1.0f, 0);
    struct Case
    {
        int x, y;
        bool hit;
    } const cases[] = {{50, 20, true}, {53, 21, true}, {54, 20, false}, {50, 22, false},
                       {49, 20, false}, {1, 1, false}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        EXPECT_EQ(s.HitTest(c.x, c.y, 100, neutral), c.hit);
    }
    TMySprite empty("", false);
    EXPECT_FALSE(empty.HitTest(0, 0, 10, neutral));
}

}  // namespace
