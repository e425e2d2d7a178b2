// TMyParticleEmitter: one particle system as a particle-system file
// describes it, advancing in whole steps (1/20 s for the game's particles),
// keeping at most 500 live particles in a fixed pool and drawing each as a
// rotated, scaled and tinted copy of one texture. RandomRange is the one
// random source of every emitter.
//
// Failure: a file that cannot be opened or whose parameter block is short
// leaves the emitter empty (all parameters 0, no texture): it never draws
// anything. A missing texture only stops the drawing. Both are logged by
// their loaders.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/String.h"
#include "game/app/ParticleFile.h"
#include "graphics/Texture.h"

// One live particle.
struct SParticle
{
    float x = 0;
    float y = 0;
    float velocityX = 0;  // pixels per step
    float velocityY = 0;
    float gravity = 0;     // added to velocityY, times the step time, each step
    float radial = 0;      // acceleration away from the emitter
    float tangential = 0;  // acceleration at right angles to that
    float spin = 0;        // drawn rotation = spin x age
    float spinChange = 0;  // per second
    float size = 0;        // drawn scale on both axes
    float sizeChange = 0;
    float colour[4] = {0, 0, 0, 0};  // red, green, blue, alpha
    float colourChange[4] = {0, 0, 0, 0};
    float age = 0;   // seconds
    float life = 0;  // the particle dies when its age reaches its life
};

// a + (b - a) x the next of the shared 16-bit random values, in [a, b].
// The seed is shared by every emitter, 0 at start and never reseeded.
float RandomRange(float a, float b);
// Test seam: puts the shared seed back (to 0 at program start).
void SetParticleRandomSeed(uint32_t seed);
uint32_t GetParticleRandomSeed();

class TMyParticleEmitter
{
public:
    static constexpr int kPoolSize = 500;
    // Emitter times that are not ages.
    static constexpr float kEndless = -1.0f;
    static constexpr float kStopped = -2.0f;

    // Reads fileName (with its tagged records when readRecords) and loads
    // imageName. stepsPerSecond 0 steps by whatever time is given.
    TMyParticleEmitter(const TString& fileName, const TString& imageName, int stepsPerSecond,
                       bool readRecords);
    TMyParticleEmitter(const TMyParticleEmitter&) = delete;
    TMyParticleEmitter& operator=(const TMyParticleEmitter&) = delete;

    // Emission from its beginning (endless when the duration is -1); the
    // live particles stay.
    void Restart();
    // No more births; with atOnce the live particles go too.
    void Stop(bool atOnce);
    // Advances by elapsed ms: at most one step, surplus whole steps dropped.
    void Advance(int32_t elapsedMs);
    // One step of dt seconds: ages, moves and kills, then births.
    void Step(float dt);
    // While emitting, the next step's births spread along the way from the
    // old position; while stopped the emitter simply jumps.
    void Move(float x, float y);
    // Every live particle in slot order, the blend kind each in a 2D batch of
    // its own; nothing without a texture. Inside a 2D block.
    void Draw();

    int GetLiveCount() const { return liveCount_; }
    const SParticle& GetParticle(int slot) const { return particles_[slot]; }
    float GetEmitterTime() const { return emitterTime_; }
    float GetEmissionRemainder() const { return emissionRemainder_; }
    float GetStepAccumulator() const { return stepAccumulator_; }
    TFloatPoint GetPosition() const { return {currentX_, currentY_}; }
    TFloatPoint GetPreviousPosition() const { return {previousX_, previousY_}; }
    const SParticleFile& GetFile() const { return file_; }
    bool IsBlended() const { return file_.blend; }
    const TTextureRef& GetTexture() const { return texture_; }

private:
    void Birth();
    void Move(SParticle& p, float dt) const;

    float stepInterval_;
    float stepAccumulator_ = 0;
    float emitterTime_ = kStopped;
    float emissionRemainder_ = 0;
    float previousX_ = 0, previousY_ = 0;
    float currentX_ = 0, currentY_ = 0;
    int liveCount_ = 0;
    std::array<SParticle, kPoolSize> particles_{};
    // The parameter block, the kept point lists and path values, the blend
    // flag.
    SParticleFile file_;
    TString fileName_;
    TString imageName_;
    TTextureRef texture_;
};
