// ManaDrop: the glow a killed monster leaves. It flies on a curve from the
// monster to the mana counter and bursts there; the level credits its amount
// once it no longer flies and removes it when the burst is over.
#pragma once

#include <cstdint>
#include <memory>

#include "core/ValueTypes.h"
#include "game/level/LevelFactory.h"

class ILevelContext;
class TMyParticle;

class ManaDrop : public TLevelManaDrop
{
public:
    explicit ManaDrop(ILevelContext& level);
    ~ManaDrop() override;

    void Start(TFloatPoint from, TFloatPoint to, int32_t startTime, int32_t duration, int32_t n) override;
    void Update(int32_t now) override;
    void Draw() override;

    TFloatPoint GetCurrent() const { return current_; }
    TFloatPoint GetControl() const { return control_; }
    TMyParticle& GetFlyParticle() const { return *fly_; }
    TMyParticle& GetBoomParticle() const { return *boom_; }

private:
    ILevelContext& level_;
    TFloatPoint start_;
    TFloatPoint target_;
    TFloatPoint control_;
    TFloatPoint current_;
    int32_t startTime_ = 0;
    int32_t duration_ = 0;
    std::unique_ptr<TMyParticle> fly_;
    std::unique_ptr<TMyParticle> boom_;
};
