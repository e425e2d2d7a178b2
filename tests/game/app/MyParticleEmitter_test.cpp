// The particle emitter: the shared random source, births and their count,
// the pool, the motion of one particle against values worked out by hand,
// births along a move, and drawing on the recording device.
#include "game/app/MyParticleEmitter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "game/app/support/ParticleFixtures.h"
#include "graphics/Sprite.h"
#include "graphics/support/RecordingScene.h"

extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

using particlefx::Params;

// The shared generator's values from seed 0, worked out apart from the code.
class Draws
{
public:
    float Next(float a, float b)
    {
        seed_ = seed_ * 214013u + 2531011u;
        return a + (b - a) * (float(seed_ >> 16) / 65535.0f);
    }

private:
    uint32_t seed_ = 0;
};

class EmitterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scene_.Ready());
        SetParticleRandomSeed(0);
    }
    std::unique_ptr<TMyParticleEmitter> Make(const SParticleParams& params, bool blend = false,
                                             const float* position = nullptr,
                                             const char* image = "fx/dot")
    {
        particlefx::Put(assets_, "test", params, blend, position);
        auto e = std::make_unique<TMyParticleEmitter>("fx/test.psi", image, 20, true);
        e->Restart();
        return e;
    }

    RecordingScene scene_;
    ImageAssets assets_;
};

TEST(RandomRange, FromSeedZero)
{
    SetParticleRandomSeed(0);
    EXPECT_EQ(RandomRange(0.0f, 65535.0f), float(2531011u >> 16)) << "the first value is 38";
    EXPECT_EQ(GetParticleRandomSeed(), 2531011u);
    SetParticleRandomSeed(0);
    EXPECT_FLOAT_EQ(RandomRange(10.0f, 20.0f), 10.0f + 10.0f * (38.0f / 65535.0f));

    struct Case
    {
        uint32_t seed;
        float a, b, want;
    };
    // Seeds whose next value is 0 and 65535: the ends are reached exactly.
    const uint32_t toZero = (0u - 2531011u) * 0xB9B33155u;  // 214013^-1 mod 2^32
    const uint32_t toTop = (0xFFFF0000u - 2531011u) * 0xB9B33155u;
    const Case cases[] = {
        {0, 3.5f, 3.5f, 3.5f},      {12345, -7.0f, -7.0f, -7.0f}, {toZero, -2.0f, 2.0f, -2.0f},
        {toTop, -2.0f, 2.0f, 2.0f}, {toTop, 5.0f, 1.0f, 1.0f},  // a above b runs the other way
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.seed);
        SetParticleRandomSeed(c.seed);
        EXPECT_EQ(RandomRange(c.a, c.b), c.want);
    }
}

// Births per step of 1/20 s with a life long enough to keep them all.
TEST_F(EmitterTest, BirthsPerStep)
{
    struct Case
    {
        const char* what;
        int32_t rate;
        float duration;
        int steps;
        int live;
        float remainder;
    };
    const Case cases[] = {
        {"rate 0", 0, -1.0f, 10, 0, 0.0f},
        {"one a step", 20, -1.0f, 5, 5, 0.0f},
        {"fractions carry", 30, -1.0f, 3, 4, 0.5f},
        {"the pool holds 500, the rest is lost", 12000, -1.0f, 1, 500, 0.0f},
        {"no room, no births", 12000, -1.0f, 3, 500, 0.0f},
        {"a duration of one step", 20, 0.05f, 5, 0, 0.0f},
        {"shorter than a step", 1000, 0.01f, 5, 0, 0.0f},
        {"duration 0", 1000, 0.0f, 5, 0, 0.0f},
        {"two steps' duration", 20, 0.1f, 5, 1, 0.0f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        SParticleParams p = Params();
        p.emissionRate = c.rate;
        p.duration = c.duration;
        p.lifeMin = p.lifeMax = 100.0f;
        auto e = Make(p);
        for (int i = 0; i < c.steps; ++i) e->Step(0.05f);
        EXPECT_EQ(e->GetLiveCount(), c.live);
        EXPECT_FLOAT_EQ(e->GetEmissionRemainder(), c.remainder);
        if (c.duration == -1.0f) EXPECT_EQ(e->GetEmitterTime(), -1.0f) << "endless";
    }
}

TEST_F(EmitterTest, DeathHandsTheSlotToTheLastParticle)
{
    SParticleParams p = Params();
    p.lifeMin = 0.01f;
    p.lifeMax = 0.5f;
    p.emissionRate = 200;  // ten a step
    auto e = Make(p);
    e->Step(0.05f);
    ASSERT_EQ(e->GetLiveCount(), 10);
    std::vector<float> lives;
    for (int i = 0; i < 10; ++i) lives.push_back(e->GetParticle(i).life);
    e->Stop(false);
    e->Step(0.05f);
    // Survivors keep their lives; each dead slot holds a later survivor.
    int alive = 0;
    for (float life : lives) alive += life > 0.05f;
    ASSERT_EQ(e->GetLiveCount(), alive);
    std::vector<float> expected;
    std::vector<float> order = lives;
    for (int slot = 0; slot < int(order.size());)
    {
        if (order[slot] <= 0.05f)
        {
            order[slot] = order.back();
            order.pop_back();
            continue;
        }
        ++slot;
    }
    for (int i = 0; i < alive; ++i) EXPECT_EQ(e->GetParticle(i).life, order[i]) << i;
    for (int i = 0; i < alive; ++i) EXPECT_FLOAT_EQ(e->GetParticle(i).age, 0.05f);
}

// One particle whose every range is one value, born at (100, 100) in the
// first step and moved by the second.
TEST_F(EmitterTest, OneParticleMovesAsWorkedOutByHand)
{
    SParticleParams p = Params();
    p.speedMin = p.speedMax = 2.0f;
    p.gravityMin = p.gravityMax = 4.0f;
    p.radialMin = p.radialMax = 10.0f;
    p.tangentialMin = p.tangentialMax = 6.0f;
    p.sizeStart = 1.0f;
    p.sizeEnd = 0.5f;
    p.spinStart = 2.0f;
    p.spinEnd = 4.0f;
    const float start[3] = {1.0f, 0.5f, 0.25f}, end[3] = {0.0f, 0.5f, 1.0f};
    std::memcpy(p.colourStart, start, sizeof start);
    std::memcpy(p.colourEnd, end, sizeof end);
    p.alphaStart = 1.0f;
    p.alphaEnd = 0.0f;
    const float at[2] = {100.0f, 100.0f};
    auto e = Make(p, false, at);
    EXPECT_EQ(e->GetPosition().x, 100.0f);

    e->Step(0.05f);
    ASSERT_EQ(e->GetLiveCount(), 1);
    // Fifteen draws a birth, in order: life, the place on the path, the two
    // offsets, angle, speed, gravity, radial, tangential, size, spin, red,
    // green, blue, alpha.
    Draws r;
    EXPECT_EQ(r.Next(1, 1), 1.0f);
    r.Next(0, 1);
    const float x0 = 100.0f + r.Next(-2, 2);
    const float y0 = 100.0f + r.Next(-2, 2);
    const float angle = r.Next(0, 0) + (0.0f - 1.5707964f) - 0.0f;
    const float vx0 = std::cos(angle) * r.Next(2, 2);
    const float vy0 = std::sin(angle) * 2.0f;
    const SParticle& q = e->GetParticle(0);
    EXPECT_EQ(q.x, x0);
    EXPECT_EQ(q.y, y0);
    EXPECT_EQ(q.velocityX, vx0);
    EXPECT_EQ(q.velocityY, -2.0f);
    EXPECT_EQ(q.gravity, 4.0f);
    EXPECT_EQ(q.radial, 10.0f);
    EXPECT_EQ(q.tangential, 6.0f);
    EXPECT_EQ(q.size, 1.0f);
    EXPECT_EQ(q.sizeChange, -0.5f);
    EXPECT_EQ(q.spin, 2.0f);
    EXPECT_EQ(q.spinChange, 2.0f);
    const float colour[4] = {1.0f, 0.5f, 0.25f, 1.0f}, change[4] = {-1.0f, 0.0f, 0.75f, -1.0f};
    for (int c = 0; c < 4; ++c)
    {
        EXPECT_EQ(q.colour[c], colour[c]) << c;
        EXPECT_EQ(q.colourChange[c], change[c]) << c;
    }
    EXPECT_EQ(GetParticleRandomSeed(),
              []
              {
                  uint32_t s = 0;
                  for (int i = 0; i < 15; ++i) s = s * 214013u + 2531011u;
                  return s;
              }());

    e->Step(0.05f);
    ASSERT_EQ(e->GetLiveCount(), 2) << "one more born";
    // The unit vector from the emitter by the inverse square root's bit
    // trick and one Newton step with 0.4999.
    const float dx = x0 - 100.0f, dy = y0 - 100.0f;
    const float s = dx * dx + dy * dy;
    uint32_t bits;
    std::memcpy(&bits, &s, 4);
    bits = 0x5F3759DFu - (bits >> 1);
    float inv;
    std::memcpy(&inv, &bits, 4);
    inv = inv * (1.5f - inv * (s * 0.4999f * inv));
    const float ux = dx * inv, uy = dy * inv;
    EXPECT_NEAR(std::sqrt(ux * ux + uy * uy), 1.0f, 2e-3f);
    float vx = vx0 + 0.05f * (ux * 10.0f - uy * 6.0f);
    float vy = vy0 + 0.05f * (uy * 10.0f + ux * 6.0f);
    vy += 0.05f * 4.0f;
    const SParticle& m = e->GetParticle(0);
    EXPECT_FLOAT_EQ(m.age, 0.05f);
    EXPECT_EQ(m.velocityX, vx);
    EXPECT_EQ(m.velocityY, vy);
    EXPECT_EQ(m.x, x0 + vx) << "velocities are per step: no dt";
    EXPECT_EQ(m.y, y0 + vy);
    EXPECT_FLOAT_EQ(m.spin, 2.1f);
    EXPECT_FLOAT_EQ(m.size, 0.975f);
    EXPECT_FLOAT_EQ(m.colour[0], 0.95f);
    EXPECT_FLOAT_EQ(m.colour[1], 0.5f);
    EXPECT_FLOAT_EQ(m.colour[2], 0.2875f);
    EXPECT_FLOAT_EQ(m.colour[3], 0.95f);
}

TEST_F(EmitterTest, BirthsSpreadAlongAMove)
{
    SParticleParams p = Params();
    p.emissionRate = 400;  // twenty a step
    p.lifeMin = p.lifeMax = 10.0f;
    auto e = Make(p);
    e->Stop(false);
    e->Move(500.0f, 500.0f);  // stopped: a jump
    EXPECT_EQ(e->GetPreviousPosition().x, 500.0f);
    e->Restart();
    e->Move(0.0f, 0.0f);
    e->Move(100.0f, 0.0f);  // emitting: the way from the last place
    EXPECT_EQ(e->GetPreviousPosition().x, 0.0f);
    e->Step(0.05f);
    ASSERT_EQ(e->GetLiveCount(), 20);
    float low = 1e9f, high = -1e9f;
    for (int i = 0; i < 20; ++i)
    {
        const SParticle& q = e->GetParticle(i);
        EXPECT_GE(q.x, -2.0f);
        EXPECT_LE(q.x, 102.0f);
        EXPECT_LE(std::fabs(q.y), 2.0f);
        low = std::min(low, q.x);
        high = std::max(high, q.x);
    }
    EXPECT_LT(low, 25.0f);
    EXPECT_GT(high, 75.0f);
    EXPECT_EQ(e->GetPreviousPosition().x, 100.0f) << "the step ends where the emitter is";
}

TEST_F(EmitterTest, RelativeDirectionFollowsTheMotion)
{
    SParticleParams p = Params();
    p.relative = 1;
    p.speedMin = p.speedMax = 3.0f;
    auto e = Make(p);
    e->Move(0.0f, 0.0f);
    e->Move(100.0f, 0.0f);
    e->Step(0.05f);
    ASSERT_EQ(e->GetLiveCount(), 1);
    // Direction 0 relative to a move to the right: born flying back left.
    EXPECT_NEAR(e->GetParticle(0).velocityX, -3.0f, 1e-5f);
    EXPECT_NEAR(e->GetParticle(0).velocityY, 0.0f, 1e-5f);
}

TEST_F(EmitterTest, StepsOfTheClock)
{
    SParticleParams p = Params();
    p.duration = 100.0f;
    auto e = Make(p);
    struct Case
    {
        int32_t elapsed;
        float time;
    };
    // Whole steps of 1/20 s; surplus whole steps are dropped.
    const Case cases[] = {{30, 0.0f},   {30, 0.05f},    {35, 0.05f},        {10, 0.1f},
                          {400, 0.15f}, {100000, 0.2f}, {2000000000, 0.25f}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.elapsed);
        e->Advance(c.elapsed);
        EXPECT_FLOAT_EQ(e->GetEmitterTime(), c.time);
        EXPECT_LT(e->GetStepAccumulator(), 0.05f);
    }
}

TEST_F(EmitterTest, MissingFilesGiveAnEmitterThatNeverDraws)
{
    assets_.Put("fx/short.psi", std::string(100, '\0'));
    for (const char* name : {"fx/none.psi", "fx/short.psi"})
    {
        SCOPED_TRACE(name);
        TMyParticleEmitter e(name, "fx/dot", 20, true);
        e.Restart();
        for (int i = 0; i < 5; ++i) e.Step(0.05f);
        EXPECT_EQ(e.GetLiveCount(), 0);
        EXPECT_EQ(e.GetTexture(), nullptr);
        scene_.Frame([&] { e.Draw(); });
        EXPECT_TRUE(scene_.device.draws.empty());
    }
    EXPECT_TRUE(assets_.LogHas("ERROR: particle file fx/none.psi cannot be opened"));
}

// --- drawing on the recording device ---

// Centre of a drawn quad.
TFloatPoint Centre(const GfxRecordingDevice::TDraw& d)
{
    float x = 0, y = 0;
    for (const GfxVertex& v : d.vertices)
    {
        x += v.x;
        y += v.y;
    }
    return {x / float(d.vertices.size()), y / float(d.vertices.size())};
}

TEST_F(EmitterTest, OneDrawPerLiveParticleInSlotOrder)
{
    SParticleParams p = Params();
    p.emissionRate = 100;  // five a step
    p.sizeStart = p.sizeEnd = 2.0f;
    const float at[2] = {50.0f, 40.0f};
    auto e = Make(p, false, at);
    e->Step(0.05f);
    ASSERT_EQ(e->GetLiveCount(), 5);
    scene_.Frame([&] { e->Draw(); });
    ASSERT_EQ(scene_.device.draws.size(), 5u);
    for (int i = 0; i < 5; ++i)
    {
        SCOPED_TRACE(i);
        const auto& d = scene_.device.draws[i];
        const SParticle& q = e->GetParticle(i);
        // Centred on the particle (the device's half-pixel offset aside).
        EXPECT_NEAR(Centre(d).x, q.x, 0.51f);
        EXPECT_NEAR(Centre(d).y, q.y, 0.51f);
        // The 4-pixel picture at size 2.
        EXPECT_NEAR(std::fabs(d.vertices[2].x - d.vertices[0].x), 8.0f, 1e-3f);
        EXPECT_EQ(d.texture, scene_.device.draws[0].texture);
    }
}

TEST_F(EmitterTest, TintRotationAndAlphaReachTheQuad)
{
    SParticleParams p = Params();
    p.spinStart = p.spinEnd = 1.5707964f;  // a quarter turn at 1 s
    p.colourStart[0] = p.colourEnd[0] = 1.0f;
    p.colourStart[1] = p.colourEnd[1] = 0.0f;
    p.colourStart[2] = p.colourEnd[2] = 0.0f;
    p.alphaStart = p.alphaEnd = 0.5f;
    p.lifeMin = p.lifeMax = 10.0f;
    auto e = Make(p);
    e->Step(0.05f);
    e->Stop(false);
    for (int i = 0; i < 19; ++i) e->Step(0.05f);
    ASSERT_NEAR(e->GetParticle(0).age, 0.95f, 1e-5f);
    e->Step(0.05f);
    scene_.Frame([&] { e->Draw(); });
    ASSERT_EQ(scene_.device.draws.size(), 1u);
    const auto& v = scene_.device.draws[0].vertices;
    // Diffuse: alpha x 255 in the top byte, the tint below: half-opaque red.
    EXPECT_EQ(v[0].diffuse >> 24, 127u);
    EXPECT_EQ(v[0].diffuse & 0x00FFFFFFu, 0x00FF0000u);
    // A quarter turn: the image's top edge (corner 0 to 1) runs down the
    // screen.
    EXPECT_NEAR(v[1].x - v[0].x, 0.0f, 1e-2f);
    EXPECT_GT(v[1].y - v[0].y, 3.9f);
}

TEST_F(EmitterTest, BlendedParticlesAreBatchesOfTheirOwnInBlendMode2)
{
    SParticleParams p = Params();
    p.emissionRate = 60;  // three a step
    auto plain = Make(p, false);
    auto blended = Make(p, true);
    plain->Step(0.05f);
    blended->Step(0.05f);
    TSpriteRef after = TSprite::Create(0, scene_.Texture("after", 4, 4));

    // SetTransform calls between draws: ending and beginning a 2D batch set
    // the world and view transforms twice.
    auto transformsBetweenDraws = [&](TMyParticleEmitter& e)
    {
        scene_.device.ClearCalls();
        scene_.Frame(
            [&]
            {
                e.Draw();
                after->Draw(TDrawParams(), -1);
            });
        std::vector<int> counts(1, 0);
        for (const std::string& call : scene_.device.calls)
        {
            if (call.rfind("DrawPrimitive", 0) == 0) counts.push_back(0);
            if (call.rfind("SetTransform", 0) == 0) ++counts.back();
        }
        return counts;
    };
    const std::vector<int> base = transformsBetweenDraws(*plain);
    const std::vector<int> with = transformsBetweenDraws(*blended);
    ASSERT_EQ(base.size(), 5u);  // before the first, between, after "after"
    ASSERT_EQ(with.size(), 5u);
    // Two breaks before the first particle, one before each of the others,
    // one after the last.
    EXPECT_EQ(with[0] - base[0], 8);
    EXPECT_EQ(with[1] - base[1], 4);
    EXPECT_EQ(with[2] - base[2], 4);
    EXPECT_EQ(with[3] - base[3], 4);

    const auto& d = scene_.device.draws;
    ASSERT_EQ(d.size(), 4u);
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(d[i].srcBlend, uint32_t(GFX_BLEND_SRCALPHA)) << i;
        EXPECT_EQ(d[i].destBlend, uint32_t(GFX_BLEND_ONE)) << i;
    }
    // What is drawn after the particles is back to the ordinary blend.
    EXPECT_EQ(d[3].destBlend, uint32_t(GFX_BLEND_INVSRCALPHA));
}

TEST_F(EmitterTest, WithoutATextureNothingIsDrawn)
{
    auto e = Make(Params(), true, nullptr, "fx/no_such_picture");
    e->Step(0.05f);
    EXPECT_EQ(e->GetLiveCount(), 1) << "the particles still live";
    scene_.device.ClearCalls();
    scene_.Frame([&] { e->Draw(); });
    EXPECT_TRUE(scene_.device.draws.empty());
}

}  // namespace
