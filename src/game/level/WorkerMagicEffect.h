// WorkerMagicEffect: the workers that stand around a stall while it is built,
// upgraded or repaired; they wave, send sparks from their hands into the
// stall, and a burst follows. The object effect gets it from the level's
// factory and runs it on its own clock, so the workers freeze with it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/ValueTypes.h"
#include "game/level/LevelFactory.h"

class ILevelContext;
class TClock;
class TMyAnimSprite;
class TMyParticle;

class WorkerMagicEffect : public TLevelWorkerFigure
{
public:
    static constexpr int32_t kMaxWorkers = 6;

    // (x, y) is the stall's position; workers is clamped to 0..6. The clock
    // must outlive the effect.
    WorkerMagicEffect(ILevelContext& level, int32_t x, int32_t y, int32_t workers, TClock& clock);
    ~WorkerMagicEffect() override;

    void PlayAnim(const TString& name) override;
    void Update() override;
    void Draw() override;

    int32_t GetCount() const { return count_; }
    int32_t GetStep() const { return step_; }
    bool IsRunning() const { return running_; }
    TPoint GetPosition() const { return {x_, y_}; }
    const std::vector<TPoint>& GetPlaces() const { return places_; }
    const std::vector<TPoint>& GetSparkStarts() const { return sparkStarts_; }
    TMyAnimSprite& GetWorker(int32_t i) const { return *workers_[static_cast<size_t>(i)]; }
    TMyAnimSprite& GetHand(int32_t i) const { return *hands_[static_cast<size_t>(i)]; }
    TMyParticle& GetSpark(int32_t i) const { return *sparks_[static_cast<size_t>(i)]; }
    TMyParticle& GetBurst() const { return *burst_; }

private:
    void Advance();
    // A global number of the first worker's animation script; 0 without one.
    double ScriptNumber(const char* name) const;
    uint32_t Now() const;

    TClock& clock_;
    int32_t x_ = 0;
    int32_t y_ = 0;
    int32_t count_ = 0;
    std::vector<TPoint> places_;
    std::vector<std::unique_ptr<TMyAnimSprite>> workers_;
    std::vector<std::unique_ptr<TMyAnimSprite>> hands_;
    std::vector<std::unique_ptr<TMyParticle>> sparks_;
    std::vector<TPoint> sparkStarts_;
    std::unique_ptr<TMyParticle> burst_;
    int32_t step_ = 0;
    uint32_t flyStart_ = 0;
    uint32_t deadline_ = 0;  // or, in step 5, the fly time
    bool running_ = false;
};
