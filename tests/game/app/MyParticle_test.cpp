// The particle kind of the sprite layer on a stepped clock: start, the
// first update, long pauses, stops and going quiet; its slot operations;
// and one particle drawn on a headless display, read back.
#include "game/app/MyParticle.h"

#include <gtest/gtest.h>

#include "core/Clock.h"
#include "game/app/support/ParticleFixtures.h"
#include "graphics/support/ImageDisplay.h"
#include "graphics/support/RecordingScene.h"

extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

using particlefx::Params;

class MyParticleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scene_.Ready());
        SetParticleRandomSeed(0);
        clock_.SetTime(5000);
    }
    std::unique_ptr<TMyParticle> Make(const SParticleParams& params)
    {
        particlefx::Put(assets_, "test", params);
        auto p = std::make_unique<TMyParticle>("fx/test.psi", "fx/dot");
        p->SetClock(&clock_);
        return p;
    }
    int32_t At(TMyParticle& p, int32_t ms)
    {
        clock_.SetTime(ms);
        return p.Update();
    }

    RecordingScene scene_;
    ImageAssets assets_;
    TClock clock_;
};

TEST_F(MyParticleTest, ConstructionAndSlotOperations)
{
    auto p = Make(Params());
    EXPECT_EQ(p->GetKind(), TMySpritePattern::kParticle);
    EXPECT_FALSE(p->IsActive());
    EXPECT_EQ(p->GetEmitter().GetEmitterTime(), TMyParticleEmitter::kStopped);
    EXPECT_EQ(p->Update(), 0) << "inactive";
    int32_t w = 1, h = 1;
    p->GetSize(&w, &h);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    EXPECT_FALSE(p->HitTest(0, 0, 10, TDrawParams()));
    EXPECT_EQ(p->GetDrawParams().flags & (TDrawParams::kUseOrigin | TDrawParams::kSourceRect), 0u);
    p->SetColor(TFloatVector4(1, 0, 0, 1));
    EXPECT_EQ(p->GetDrawParams().color.y, 0.0f) << "its own record takes the settings";
    p->Load("anything", true);  // does nothing

    // Moved through the layer's base class, the emitter moves too.
    TMySpritePattern& base = *p;
    base.SetPosition(30.0f, 40.0f);
    EXPECT_EQ(p->GetEmitter().GetPosition().x, 30.0f);
    EXPECT_EQ(p->GetEmitter().GetPosition().y, 40.0f);
    EXPECT_EQ(p->GetPosition().x, 30.0f);
}

// Each row: clock times of successive updates after a start at 5000, and
// the emitter time after each (duration 10 s, so time counts the steps).
TEST_F(MyParticleTest, UpdatesStepTheEmitterOnTheClock)
{
    struct Case
    {
        const char* what;
        std::vector<int32_t> times;
        std::vector<float> emitterTimes;
        std::vector<int32_t> returned;
    };
    const Case cases[] = {
        {"the first update sees 400 ms", {5000}, {0.05f}, {0}},
        {"no time, no step", {5000, 5000}, {0.05f, 0.05f}, {0, 0}},
        // 0.4 s less eight float intervals leaves just under one interval.
        {"frames of 20 ms",
         {5000, 5020, 5040, 5060, 5080},
         {0.05f, 0.1f, 0.1f, 0.15f, 0.15f},
         {0, 20, 40, 60, 80}},
        {"a long pause runs one step", {5000, 65000}, {0.05f, 0.1f}, {0, 60000}},
        {"late first update: still one step", {9000}, {0.05f}, {4000}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        SParticleParams k = Params();
        k.duration = 10.0f;
        auto p = Make(k);
        clock_.SetTime(5000);
        p->Start();
        EXPECT_TRUE(p->IsActive());
        EXPECT_EQ(p->GetEmitter().GetEmitterTime(), 0.0f);
        for (size_t i = 0; i < c.times.size(); ++i)
        {
            SCOPED_TRACE(c.times[i]);
            EXPECT_EQ(At(*p, c.times[i]), c.returned[i]);
            EXPECT_FLOAT_EQ(p->GetEmitter().GetEmitterTime(), c.emitterTimes[i]);
        }
    }
}

TEST_F(MyParticleTest, EndlessUntilStoppedThenTheParticlesLiveOut)
{
    SParticleParams k = Params();
    k.lifeMin = k.lifeMax = 0.2f;
    auto p = Make(k);
    p->Start();
    EXPECT_EQ(p->GetEmitter().GetEmitterTime(), TMyParticleEmitter::kEndless);
    int32_t t = 5000;
    for (; t <= 8000; t += 50) At(*p, t);
    EXPECT_EQ(p->GetEmitter().GetEmitterTime(), TMyParticleEmitter::kEndless);
    EXPECT_EQ(p->GetEmitter().GetLiveCount(), 4) << "one born a step, each living 4 steps";

    p->Stop(false);
    EXPECT_TRUE(p->IsActive());
    EXPECT_FALSE(p->IsFinished());
    int steps = 0;
    for (; !p->IsFinished(); t += 50, ++steps) At(*p, t);
    EXPECT_EQ(steps, 4);
    EXPECT_FALSE(p->IsActive()) << "more than 999 ms since the start and nothing alive";
    EXPECT_EQ(At(*p, t + 50), 0);
}

TEST_F(MyParticleTest, StopAtOnceRemovesEverything)
{
    auto p = Make(Params());
    p->Start();
    At(*p, 5000);
    At(*p, 5050);
    ASSERT_EQ(p->GetEmitter().GetLiveCount(), 2);
    p->Stop(true);
    EXPECT_TRUE(p->IsFinished());
    EXPECT_FALSE(p->IsActive());
    EXPECT_EQ(At(*p, 5100), 0);
    EXPECT_EQ(p->GetEmitter().GetLiveCount(), 0);
}

TEST_F(MyParticleTest, GoesQuietOnlyAfter999Ms)
{
    SParticleParams k = Params();
    k.emissionRate = 0;
    auto p = Make(k);
    p->Start();
    EXPECT_EQ(At(*p, 5999), 999);
    EXPECT_TRUE(p->IsActive());
    EXPECT_EQ(At(*p, 6000), 1000);
    EXPECT_FALSE(p->IsActive());
    EXPECT_EQ(At(*p, 7000), 0);
    // A start wakes it again.
    p->Start();
    EXPECT_TRUE(p->IsActive());
}

TEST_F(MyParticleTest, DrawIgnoresTheVisibleFlag)
{
    auto p = Make(Params());
    p->Start();
    At(*p, 5000);
    p->visible = false;
    scene_.Frame([&] { p->Draw(); });
    EXPECT_EQ(scene_.device.draws.size(), 1u);
}

// One red particle of size 2 over the 4-pixel white picture, on the real
// device, read back.
TEST(MyParticlePixels, OneParticleInItsPlaceSizeAndColour)
{
    ImageDisplay display;
    ASSERT_TRUE(display.Ready());
    ImageAssets assets;
    SetParticleRandomSeed(0);
    SParticleParams k = Params();
    k.sizeStart = k.sizeEnd = 2.0f;
    for (float* c : {&k.colourStart[1], &k.colourStart[2], &k.colourEnd[1], &k.colourEnd[2]})
        *c = 0.0f;
    const float at[2] = {60.0f, 50.0f};
    particlefx::Put(assets, "red", k, false, at);
    TMyParticle particle("fx/red.psi", "fx/dot");
    TClock clock;
    particle.SetClock(&clock);
    particle.Start();
    particle.Update();
    ASSERT_EQ(particle.GetEmitter().GetLiveCount(), 1);
    const SParticle& q = particle.GetEmitter().GetParticle(0);
    const int cx = int(std::floor(q.x)), cy = int(std::floor(q.y));

    display.Clear();
    ASSERT_TRUE(display.dc->BeginDraw(false));
    ASSERT_TRUE(display.dc->Begin2d());
    particle.Draw();
    display.dc->End2d();
    display.dc->EndDraw(false);

    // An 8 x 8 red square centred on the particle; black around it.
    EXPECT_TRUE(RgbNear(display.Pixel(cx, cy), 0xFF0000));
    EXPECT_TRUE(RgbNear(display.Pixel(cx - 3, cy - 3), 0xFF0000));
    EXPECT_TRUE(RgbNear(display.Pixel(cx + 2, cy + 2), 0xFF0000));
    EXPECT_TRUE(RgbNear(display.Pixel(cx - 6, cy), 0x000000));
    EXPECT_TRUE(RgbNear(display.Pixel(cx + 6, cy), 0x000000));
    EXPECT_TRUE(RgbNear(display.Pixel(cx, cy - 6), 0x000000));
    EXPECT_TRUE(RgbNear(display.Pixel(cx, cy + 6), 0x000000));
}

}  // namespace
