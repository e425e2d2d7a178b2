// Customer: a walker that enters at an entry point, visits working stalls one
// after another (taking a service place, walking in and out of it), wanders
// between free cells when it finds none, and leaves through an entry when
// the level sends it away.
#pragma once

#include <cstdint>

#include "core/String.h"
#include "game/level/Human.h"

class Customer : public Human
{
public:
    // Visit states.
    enum : int32_t
    {
        kFree = 0,
        kGoingIn = 1,
        kGoingOut = 2,
    };
    // Random cells drawn for a wander before the grid is scanned.
    static constexpr int32_t kWanderDraws = 64;

    Customer(ILevelContext& level, int32_t type);

    void CreateSprites(int32_t walkerId, int32_t px, int32_t py) override;
    // "scripts/game_logic/customers/customer_<type>.lua".
    void Load() override;
    void OnArrive() override;
    void Start();
    void ChooseTarget();

    bool IsLeaving() const override { return leaving_; }
    bool IsBusy() const override { return visitState_ != kFree; }
    void Leave() override { leaving_ = true; }
    void BeHappy() override;

    int32_t GetType() const { return type_; }
    int32_t GetVisitState() const { return visitState_; }
    int32_t GetTargetStallId() const override { return targetStallId_; }
    int32_t GetLastStallId() const { return lastStallId_; }
    int32_t GetPlace() const { return place_; }
    bool IsExiting() const { return exiting_; }
    const TString& GetHappyPattern() const { return happyPattern_; }

protected:
    void OnPathFailed() override;

private:
    // Heads for a random entry; false (and done) when the level has none.
    bool WalkToExit();
    // Picks a working stall with a free place; false when none.
    bool ChooseStall();
    void Wander();
    // Walks a stall's place path, or arrives at once when it is empty.
    void WalkPlacePath(bool in);

    int32_t type_ = 0;
    int32_t lastStallId_ = -1;
    int32_t targetStallId_ = -1;
    int32_t place_ = -1;
    int32_t visitState_ = kFree;
    bool leaving_ = false;
    bool exiting_ = false;
    TString happyPattern_;
};
