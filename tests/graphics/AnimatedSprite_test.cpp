// Animated sprites on a test clock through a task list: the animation
// library's functions, waits and pauses, stops from inside the coroutine,
// run{...}, Random, queries over a subtree, clocks, and the resume error.
#include "graphics/AnimatedSprite.h"

#include <gtest/gtest.h>

#include "core/AssetManager.h"
#include "core/Clock.h"
#include "graphics/AnimationHost.h"
#include "graphics/support/AnimationFixtures.h"
#include "graphics/support/ImageAssets.h"
#include "graphics/support/RecordingScene.h"
#include "script/Script.h"

namespace
{

uint32_t gNow = 1000;
uint32_t Now()
{
    return gNow;
}

class TestAnimationHost final : public TAnimationHost
{
public:
    TTaskList& GetTaskList() override { return tasks; }
    uint32_t Random() override { return randoms.empty() ? 0 : randoms[next++ % randoms.size()]; }

    TTaskList tasks;
    std::vector<uint32_t> randoms;
    size_t next = 0;
};

std::string Description(const std::string& script)
{
    return "<sequence name=\"s\"><img name=\"sheet.png\"/><framelist>"
           "<frame x=\"0\" w=\"40\" h=\"30\" regx=\"10\" regy=\"5\"/>"
           "<frame x=\"40\" w=\"40\" h=\"30\"/><frame x=\"80\" w=\"40\" h=\"30\"/>"
           "</framelist><script luascript=\"" +
           script + "\"/></sequence>";
}

class AnimatedSpriteTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scene_.Ready());
        SetGlobalAssetManager(&manager_);
        SetClockTimeSource(&Now);
        SetAnimationHost(&host_);
        assets_.Put("sheet.png", imagefx::PngFromArgb(120, 30, animfx::Strip(40, 30, {1, 2, 3})));
    }
    void TearDown() override
    {
        host_.tasks.DeleteAll();
        SetAnimationHost(nullptr);
        SetClockTimeSource(nullptr);
        SetGlobalAssetManager(nullptr);
    }
    // A sprite showing anim.xml whose script is text.
    TAnimatedSpriteRef Sprite(const std::string& script, const std::string& name = "anim.xml")
    {
        assets_.Put(name, Description(script));
        TAnimatedSpriteRef s = TAnimatedSprite::Create(0);
        s->SetTexture(TAnimatedTexture::Get(name.c_str(), "", ""));
        EXPECT_NE(s->GetAnimation(), nullptr);
        return s;
    }
    void Pass(uint32_t advance)
    {
        gNow += advance;
        host_.tasks.RunTasks(TaskPhaseIdle);
    }
    double Global(TAnimatedSprite& s, const char* name)
    {
        return s.GetScript()->GetGlobalNumber(name);
    }
    std::string NewLog() { return assets_.NewLog(); }

    TestAnimationHost host_;
    ImageAssets assets_;
    TAssetManager manager_;
    RecordingScene scene_;
};

TEST_F(AnimatedSpriteTest, FramesStepWithTheFrameDelay)
{
    TAnimatedSpriteRef s = Sprite("function DoAnim() delay(10); frames{3, 1, 2} end");
    s->Play("DoAnim");
    EXPECT_EQ(s->GetCurrentFrame(), 2);
    EXPECT_TRUE(s->IsPlaying(0));
    EXPECT_FALSE(s->IsDone(0));
    const int expected[][2] = {{5, 2}, {5, 0}, {9, 0}, {1, 1}, {10, 1}};
    for (const auto& step : expected)
    {
        Pass(uint32_t(step[0]));
        EXPECT_EQ(s->GetCurrentFrame(), step[1]) << "at " << gNow;
    }
    EXPECT_FALSE(s->IsPlaying(0));
    EXPECT_EQ(s->GetAnimation()->GetFrame(), 1);
}

TEST_F(AnimatedSpriteTest, FadeoutFallsInEqualSteps)
{
    TAnimatedSpriteRef s =
        Sprite("function DoAnim() delay(10); fadeout(4); frames{1, 1, 1, 1, 1, 1} end");
    s->Play("DoAnim");
    const float expected[] = {0.75f, 0.5f, 0.25f, 0.0f, 0.0f};
    EXPECT_FLOAT_EQ(s->params.alpha, expected[0]);
    for (int i = 1; i < 5; ++i)
    {
        Pass(10);
        EXPECT_NEAR(s->params.alpha, expected[i], 1e-6) << i;
    }
    EXPECT_EQ(Global(*s, "alphadelta"), 0.0);
    EXPECT_EQ(Global(*s, "alphacount"), 0.0);
}

TEST_F(AnimatedSpriteTest, WaitsForZeroAndForever)
{
    TAnimatedSpriteRef zero =
        Sprite("function DoAnim() SetCurrentFrame(1); WaitLuaNextFrame(0); SetCurrentFrame(2) end");
    zero->Play("DoAnim");
    EXPECT_EQ(zero->GetCurrentFrame(), 1);
    Pass(0);
    EXPECT_EQ(zero->GetCurrentFrame(), 2);

    TAnimatedSpriteRef ever =
        Sprite("function DoAnim() SetCurrentFrame(1); WaitLuaNextFrame(); SetCurrentFrame(2) end",
               "ever.xml");
    ever->Play("DoAnim");
    Pass(100000);
    EXPECT_EQ(ever->GetCurrentFrame(), 1);
    EXPECT_TRUE(ever->IsPlaying(0));
    ever->Pause(false, 0);
    Pass(1);
    EXPECT_EQ(ever->GetCurrentFrame(), 2);
}

TEST_F(AnimatedSpriteTest, PauseHoldsTheSubtree)
{
    const char* script = "function DoAnim() delay(10); loop(5, {1, 2}) end";
    TAnimatedSpriteRef parent = Sprite(script);
    TAnimatedSpriteRef child = Sprite(script, "child.xml");
    parent->AddChild(child);
    parent->Play("DoAnim");
    child->Play("DoAnim");
    parent->Pause(true, -1);
    Pass(50);
    EXPECT_EQ(parent->GetCurrentFrame(), 0);
    EXPECT_EQ(child->GetCurrentFrame(), 0);
    parent->Pause(false, 0);  // the child stays paused
    Pass(1);
    EXPECT_EQ(parent->GetCurrentFrame(), 1);
    EXPECT_EQ(child->GetCurrentFrame(), 0);
    // From the script: halt() pauses the whole tree below it.
    TAnimatedSpriteRef self = Sprite(
        "function DoAnim() SetCurrentFrame(1); halt(); "
        "coroutine.yield(); SetCurrentFrame(2) end",
        "halt.xml");
    self->Play("DoAnim");
    Pass(1000);
    EXPECT_EQ(self->GetCurrentFrame(), 1);
}

TEST_F(AnimatedSpriteTest, DieFromInsideRetiresTheRunningCoroutine)
{
    TAnimatedSpriteRef s =
        Sprite("function DoAnim() SetCurrentFrame(1); die(); die(); SetCurrentFrame(2) end");
    s->Play("DoAnim");
    EXPECT_EQ(s->GetCurrentFrame(), 2);  // the coroutine ran on to its end
    EXPECT_TRUE(s->IsDone(0));
    EXPECT_FALSE(s->IsPlaying(0));
    EXPECT_EQ(host_.tasks.Count(), 0);
    // Playing again makes a new environment; the old one goes then.
    s->Play("DoAnim");
    EXPECT_EQ(s->GetCurrentFrame(), 2);
}

TEST_F(AnimatedSpriteTest, RemoveSpriteFromItsOwnCoroutine)
{
    TSpriteRef parent = TSprite::Create(0);
    std::weak_ptr<TAnimatedSprite> weak;
    {
        TAnimatedSpriteRef s = Sprite(
            "function DoAnim() WaitLuaNextFrame(10); RemoveSprite(); "
            "SetCurrentFrame(2); WaitLuaNextFrame(10) end");
        parent->AddChild(s);
        s->Play("DoAnim");
        weak = s;
    }
    Pass(10);  // the parent lets go mid-resume; the sprite finishes its step
    TAnimatedSpriteRef alive = weak.lock();
    ASSERT_NE(alive, nullptr);
    EXPECT_TRUE(parent->GetChildren().empty());
    EXPECT_EQ(alive->GetCurrentFrame(), 2);
    alive.reset();
    Pass(1);
    EXPECT_TRUE(weak.expired());
    // Without a parent it does nothing.
    TAnimatedSpriteRef lone =
        Sprite("function DoAnim() RemoveSprite(); SetCurrentFrame(1) end", "lone.xml");
    lone->Play("DoAnim");
    EXPECT_EQ(lone->GetCurrentFrame(), 1);
}

TEST_F(AnimatedSpriteTest, RunLoadsAnotherAnimationAndCallsIt)
{
    assets_.Put("other.xml",
                "<sequence><img name=\"sheet.png\"/><framelist><frame w=\"5\"/>"
                "<frame w=\"6\"/></framelist><script luascript=\"function Go() "
                "SetCurrentFrame(1) end\"/></sequence>");
    TAnimatedSpriteRef s = Sprite("function DoAnim() run{'other.xml', anim = 'Go'} end");
    s->Play("DoAnim");
    ASSERT_NE(s->GetAnimation(), nullptr);
    EXPECT_STREQ(s->GetAnimation()->GetFileName().CStr(), "other.xml");
    EXPECT_EQ(s->GetCurrentFrame(), 1);
    EXPECT_EQ(s->GetFrameCount(), 2);
    // A name that cannot be had leaves the sprite without a texture.
    TAnimatedSpriteRef none = Sprite("function DoAnim() ok = Load('nothing', '', '') end", "n.xml");
    none->Play("DoAnim");
    EXPECT_EQ(none->GetAnimation(), nullptr);
    EXPECT_EQ(none->GetSpriteTexture(), nullptr);
    EXPECT_EQ(Global(*none, "ok"), 0.0);
}

TEST_F(AnimatedSpriteTest, RandomStaysInItsRange)
{
    host_.randoms = {0, 1, 2, 3, 4, 1};
    TAnimatedSpriteRef s = Sprite(
        "function DoAnim() r0 = random(5, 8); r1 = random(5, 8); r2 = random(5, 8); "
        "r3 = random(5, 8); same = Random(4, 4); wrap = Random(8, 5) end");
    s->Play("DoAnim");
    EXPECT_EQ(Global(*s, "r0"), 5.0);
    EXPECT_EQ(Global(*s, "r1"), 6.0);
    EXPECT_EQ(Global(*s, "r2"), 7.0);
    EXPECT_EQ(Global(*s, "r3"), 5.0);
    EXPECT_EQ(Global(*s, "same"), 4.0);
    EXPECT_EQ(Global(*s, "wrap"), 12.0);  // 8 + 4 mod (5 - 8 as unsigned)
}

TEST_F(AnimatedSpriteTest, PlayingAndDoneOverASubtree)
{
    TAnimatedSpriteRef parent = TAnimatedSprite::Create(0);
    TAnimatedSpriteRef child = Sprite("function DoAnim() WaitLuaNextFrame(10) end");
    parent->AddChild(child);
    EXPECT_TRUE(parent->IsDone(-1));
    child->Play("DoAnim");
    EXPECT_FALSE(parent->IsPlaying(0));
    EXPECT_TRUE(parent->IsPlaying(-1));
    EXPECT_TRUE(parent->IsDone(0));
    EXPECT_FALSE(parent->IsDone(-1));
    // Without an animation nothing plays and nothing is logged.
    NewLog();
    parent->Play("DoAnim");
    EXPECT_EQ(NewLog(), "");
    EXPECT_TRUE(parent->IsDone(0));
    EXPECT_EQ(parent->GetFrameCount(), 1);
}

TEST_F(AnimatedSpriteTest, APausedClockFreezesTheAnimation)
{
    TClock clock;
    clock.Start();
    TAnimatedSpriteRef s = Sprite("function DoAnim() delay(10); frames{1, 2, 3} end");
    s->SetClock(&clock);
    s->Play("DoAnim");
    clock.Stop();
    Pass(100);
    EXPECT_EQ(s->GetCurrentFrame(), 0);
    clock.Start();
    Pass(10);
    EXPECT_EQ(s->GetCurrentFrame(), 1);
    // Moving to the application time keeps the wait.
    s->SetClock(nullptr);
    Pass(10);
    EXPECT_EQ(s->GetCurrentFrame(), 2);
}

TEST_F(AnimatedSpriteTest, AFailingResumeIsLogged)
{
    TAnimatedSpriteRef s = Sprite("function DoAnim() end");
    NewLog();
    s->Play("Missing");
    EXPECT_NE(NewLog().find("TAnimatedSprite::Play: lua_resume error: '"), std::string::npos);
    s->Play("Missing");
    const std::string log = assets_.Log();
    EXPECT_NE(log.find("when attempting to call function 'Missing' in 'anim.xml'"),
              std::string::npos)
        << log;
}

TEST_F(AnimatedSpriteTest, FramesOutsideTheAnimation)
{
    TAnimatedSpriteRef s = Sprite("");
    s->SetCurrentFrame(1);
    s->SetCurrentFrame(-2);
    EXPECT_EQ(s->GetCurrentFrame(), 1);
    s->SetCurrentFrame(7);
    EXPECT_EQ(s->GetCurrentFrame(), 7);
    EXPECT_EQ(s->GetAnimation()->GetFrame(), 1);
    // Bounds follow the frame the texture draws (frame 1 of 40 x 30, its
    // registration point (10, 5) inherited).
    TRect r;
    s->GetBounds(r, TDrawParams(), 0);
    EXPECT_EQ(r, TRect(-10, -5, 30, 25));
    EXPECT_EQ(s->params.flags & TDrawParams::kUseOrigin, 0u);
    s->params.flags = TDrawParams::kMirrorX;
    s->GetBounds(r, TDrawParams(), 0);
    EXPECT_EQ(r, TRect(-30, -5, 10, 25));
    // The sprite draws the frame it asked for, whatever the texture shows.
    s->SetCurrentFrame(0);
    s->GetAnimation()->SetFrame(2);
    scene_.Frame([&] { s->Draw(TDrawParams(), 0); });
    EXPECT_EQ(s->GetAnimation()->GetFrame(), 0);
}

}  // namespace
