// TMyParticle: the particle kind of the game sprite layer. It owns one
// particle emitter and advances it on a clock: owners call Update once a
// frame and Draw when they draw.
//
// Failure: as the emitter's (a missing or short file gives a particle that
// never draws). Without a clock the time reads 0.
#pragma once

#include <memory>

#include "game/app/MyParticleEmitter.h"
#include "game/app/MySpritePattern.h"

class TClock;

class TMyParticle : public TMySpritePattern
{
public:
    // The emitter steps 20 times a second and reads the file's records.
    TMyParticle(const TString& particleFile, const TString& imageName);
    ~TMyParticle() override;

    // Answered for the setters of the layer; drawing does not use it.
    TDrawParams& GetDrawParams() override { return params_; }
    void GetSize(int32_t* width, int32_t* height) override;
    void Load(const TString& name, bool fromGroup) override;
    bool HitTest(int32_t x, int32_t y, int alphaThreshold, const TDrawParams& parent) override;
    // The particles; the visible flag is not consulted.
    void Draw() override;
    // Stores the position and moves the emitter.
    void SetPosition(float x, float y) override;

    // The time source (not owned), set before Start and Update.
    void SetClock(TClock* clock) { clock_ = clock; }
    // Emission from its beginning; the first Update sees 400 ms passed.
    void Start();
    // No more births; with atOnce the particles go too and updates stop,
    // else they live out their lives.
    void Stop(bool atOnce);
    // No particle lives.
    bool IsFinished() const { return emitter_->GetLiveCount() == 0; }
    // Advances the emitter by the time since the last update and returns the
    // ms since the start; 0 while inactive. Goes inactive once more than 999
    // ms have passed since the start and no particle lives.
    int32_t Update();
    bool IsActive() const { return active_; }

    TMyParticleEmitter& GetEmitter() { return *emitter_; }

private:
    int32_t Now() const;

    std::unique_ptr<TMyParticleEmitter> emitter_;
    int32_t lastUpdate_ = 0;
    bool active_ = false;
    TClock* clock_ = nullptr;
    int32_t startTime_ = 0;
    TDrawParams params_;
};
