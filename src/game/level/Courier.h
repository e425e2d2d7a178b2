// Courier: a walker that carries goods to one stall and leaves. It walks in
// from an entry point, or, when a working transport bonus stall covers the
// selected stall, comes out of that stall (faster by its bonus) and goes back
// into it afterwards. Couriers of the location-bound kinds load their own
// scripts and travel as the walking kind does.
#pragma once

#include <cstdint>

#include "core/String.h"
#include "game/level/Human.h"

class Courier : public Human
{
public:
    // The bonus type of transport stalls.
    static constexpr int32_t kTransportBonus = 6;
    // The service place a courier uses inside a transport stall.
    static constexpr int32_t kTransportPlace = 2;

    // courierType is replaced by the courier's own move type.
    Courier(ILevelContext& level, int32_t courierType, int32_t targetStallId);

    void CreateSprites(int32_t walkerId, int32_t px, int32_t py) override;
    // "scripts/game_logic/couriers/courier_<move type>.lua".
    void Load() override;
    void Draw() override;
    void OnArrive() override;
    void FinishAction() override;

    void SetLoad(int32_t amount) override { load_ = amount; }
    int32_t GetLoad() const override { return load_; }
    // The stall the courier brings goods to; -1 once delivered.
    int32_t GetTargetStallId() const override { return returning_ ? -1 : targetStallId_; }
    void ForgetTargetStall() override { targetStallId_ = -1; }
    // 0 at the start of the walk to the target, rising to 1 on arrival.
    float GetProgress() const;

    int32_t GetMoveType() const { return moveType_; }
    int32_t GetScriptMoveType() const { return scriptMoveType_; }
    int32_t GetTransportStallId() const { return transportStallId_; }
    int32_t GetStage() const { return stage_; }
    bool IsReturning() const { return returning_; }
    int32_t GetFlyHigh() const { return flyHigh_; }
    const TString& GetEmptyPattern() const { return emptyPattern_; }

private:
    // 1 through a transport stall; every other kind walks from an entry.
    bool ViaTransport() const { return moveType_ == 1; }
    void Start();
    void ChooseTarget();
    void WalkToTarget();
    // Heads for a random entry; false (and done) when the level has none.
    bool WalkToExit();
    void HandOver();
    void FinishDelivery();
    void WalkCells(const std::vector<TPoint>& cells);
    int32_t MoveTypeOfLocation() const;

    int32_t moveType_ = 0;
    int32_t scriptMoveType_ = 0;
    int32_t targetStallId_ = -1;
    int32_t transportStallId_ = -1;
    int32_t transportValue_ = 0;
    TString emptyPattern_;
    TString soundComplete_;
    int32_t load_ = 0;
    bool returning_ = false;
    int32_t stage_ = 0;
    int32_t flyHigh_ = 0;
    int32_t totalTime_ = 0;
};
