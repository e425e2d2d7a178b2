// The particle emitter: stepping, births, motion and drawing. The float
// arithmetic follows the particle files' makers to the letter (the random
// formula, 0.4999 in the inverse square root, pi/2 as 1.5707964), so that
// every file moves as it was made to.
#include "game/app/MyParticleEmitter.h"

#include <cmath>
#include <cstring>

#include "graphics/DrawContext.h"
#include "graphics/DrawParams.h"

namespace
{

uint32_t gSeed = 0;

constexpr float kHalfPi = 1.5707964f;

// One Newton step from the bit-trick guess, with 0.4999 where the textbook
// has 0.5.
float FastInverseSqrt(float s)
{
    uint32_t i;
    std::memcpy(&i, &s, 4);
    i = 0x5F3759DFu - (i >> 1);
    float y;
    std::memcpy(&y, &i, 4);
    return y * (1.5f - y * (s * 0.4999f * y));
}

// Random value between start and start + (end - start) x variation.
float Varied(float start, float end, float variation)
{
    return RandomRange(start, start + (end - start) * variation);
}

}  // namespace

float RandomRange(float a, float b)
{
    gSeed = gSeed * 214013u + 2531011u;
    return a + (b - a) * (float(gSeed >> 16) / 65535.0f);
}

void SetParticleRandomSeed(uint32_t seed)
{
    gSeed = seed;
}

uint32_t GetParticleRandomSeed()
{
    return gSeed;
}

TMyParticleEmitter::TMyParticleEmitter(const TString& fileName, const TString& imageName,
                                       int stepsPerSecond, bool readRecords)
    : stepInterval_(stepsPerSecond != 0 ? 1.0f / float(stepsPerSecond) : 0.0f),
      fileName_(fileName),
      imageName_(imageName)
{
    if (!ReadParticleFile(fileName, readRecords, file_)) return;
    if (file_.hasPosition)
    {
        previousX_ = currentX_ = file_.positionX;
        previousY_ = currentY_ = file_.positionY;
    }
    texture_ = TTexture::Get(imageName, 0);
}

void TMyParticleEmitter::Restart()
{
    emitterTime_ = file_.params.duration == -1.0f ? kEndless : 0.0f;
    stepAccumulator_ = 0;
}

void TMyParticleEmitter::Stop(bool atOnce)
{
    emitterTime_ = kStopped;
    if (atOnce) liveCount_ = 0;
}

void TMyParticleEmitter::Advance(int32_t elapsedMs)
{
    const float t = float(elapsedMs) / 1000.0f;
    if (stepInterval_ == 0.0f)
    {
        Step(t);
        return;
    }
    stepAccumulator_ += t;
    if (stepAccumulator_ < stepInterval_) return;
    Step(stepInterval_);
    // Surplus whole steps are dropped. Far above the interval a float minus
    // the interval is the float again, so the remainder is taken at once.
    if (stepAccumulator_ > stepInterval_ * 1024.0f)
        stepAccumulator_ = std::fmod(stepAccumulator_, stepInterval_);
    while (stepAccumulator_ >= stepInterval_) stepAccumulator_ -= stepInterval_;
}

void TMyParticleEmitter::Move(SParticle& p, float dt) const
{
    const float dx = p.x - currentX_;
    const float dy = p.y - currentY_;
    const float inverse = FastInverseSqrt(dx * dx + dy * dy);
    const float ux = dx * inverse;
    const float uy = dy * inverse;
    const float ax = ux * p.radial - uy * p.tangential;
    const float ay = uy * p.radial + ux * p.tangential;
    p.velocityX += dt * ax;
    p.velocityY += dt * ay;
    p.velocityY += dt * p.gravity;
    p.x += p.velocityX;
    p.y += p.velocityY;
    p.spin += dt * p.spinChange;
    p.size += dt * p.sizeChange;
    for (int c = 0; c < 4; ++c) p.colour[c] += dt * p.colourChange[c];
}

void TMyParticleEmitter::Step(float dt)
{
    const SParticleParams& params = file_.params;
    if (emitterTime_ >= 0.0f)
    {
        emitterTime_ += dt;
        if (params.duration <= emitterTime_) emitterTime_ = kStopped;
    }

    for (int slot = 0; slot < liveCount_;)
    {
        SParticle& p = particles_[slot];
        p.age += dt;
        if (p.life <= p.age)
        {
            // The last live particle takes the slot, which is looked at again.
            p = particles_[--liveCount_];
            continue;
        }
        Move(p, dt);
        ++slot;
    }

    if (emitterTime_ != kStopped)
    {
        const float acc = dt * float(params.emissionRate) + emissionRemainder_;
        const float whole = std::trunc(acc);
        emissionRemainder_ = acc - whole;
        // Only as many as the pool holds can be born; the rest is lost.
        const int births = whole > 0.0f ? int(std::fmin(whole, float(kPoolSize))) : 0;
        for (int born = 0; born < births && liveCount_ < kPoolSize; ++born) Birth();
    }

    previousX_ = currentX_;
    previousY_ = currentY_;
}

void TMyParticleEmitter::Birth()
{
    const SParticleParams& k = file_.params;
    SParticle& p = particles_[liveCount_];
    p = SParticle();
    p.age = 0;
    p.life = RandomRange(k.lifeMin, k.lifeMax);
    // A life that overflowed to NaN would never end.
    if (std::isnan(p.life)) p.life = 0;

    const float f = RandomRange(0.0f, 1.0f);
    p.x = previousX_ + (currentX_ - previousX_) * f;
    p.y = previousY_ + (currentY_ - previousY_) * f;
    p.x += RandomRange(-2.0f, 2.0f);
    p.y += RandomRange(-2.0f, 2.0f);

    float angle = RandomRange(0.0f, k.spread) + (k.direction - kHalfPi) - k.spread * 0.5f;
    if (k.relative != 0)
        angle += std::atan2(previousY_ - currentY_, previousX_ - currentX_) + kHalfPi;
    const float speed = RandomRange(k.speedMin, k.speedMax);
    p.velocityX = std::cos(angle) * speed;
    p.velocityY = std::sin(angle) * speed;

    p.gravity = RandomRange(k.gravityMin, k.gravityMax);
    p.radial = RandomRange(k.radialMin, k.radialMax);
    p.tangential = RandomRange(k.tangentialMin, k.tangentialMax);

    p.size = Varied(k.sizeStart, k.sizeEnd, k.sizeVariation);
    p.sizeChange = (k.sizeEnd - p.size) / p.life;
    p.spin = Varied(k.spinStart, k.spinEnd, k.spinVariation);
    p.spinChange = (k.spinEnd - p.spin) / p.life;

    for (int c = 0; c < 3; ++c)
        p.colour[c] = Varied(k.colourStart[c], k.colourEnd[c], k.colourVariation);
    p.colour[3] = Varied(k.alphaStart, k.alphaEnd, k.alphaVariation);
    for (int c = 0; c < 3; ++c) p.colourChange[c] = (k.colourEnd[c] - p.colour[c]) / p.life;
    p.colourChange[3] = (k.alphaEnd - p.colour[3]) / p.life;

    ++liveCount_;
}

void TMyParticleEmitter::Move(float x, float y)
{
    if (emitterTime_ != kStopped)
    {
        previousX_ = currentX_;
        previousY_ = currentY_;
    }
    else
    {
        previousX_ = x;
        previousY_ = y;
    }
    currentX_ = x;
    currentY_ = y;
}

void TMyParticleEmitter::Draw()
{
    if (!texture_) return;
    TDrawContext* dc = TDrawContext::GetIfMade();
    const bool blend = file_.blend;
    // A blended particle is a batch of its own, begun afresh so that its
    // blend mode does not leak into what the batch holds.
    auto breakBatch = [&]
    {
        if (!blend || !dc) return;
        dc->End2d();
        dc->Begin2d();
    };
    const TDrawParams neutral(TFloatPoint(0.0f, 0.0f), 1.0f, 1.0f, 0);
    breakBatch();
    for (int slot = 0; slot < liveCount_; ++slot)
    {
        const SParticle& p = particles_[slot];
        breakBatch();
        TDrawParams params = neutral;
        params.matrix.Rotate(p.spin * p.age);
        params.matrix.Scale(p.size, p.size);
        params.matrix.m2 = TFloatVector3(p.x, p.y, 1.0f);
        params.color = TFloatVector4(p.colour[0], p.colour[1], p.colour[2], p.colour[3]);
        params.alpha = p.colour[3];
        if (blend) params.blendMode = 2;
        texture_->Draw(params);
    }
    breakBatch();
}
