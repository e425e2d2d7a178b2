// ILevelFactory: makes the level's stalls, walkers and effect figures, whose
// classes the level logic does not know; and the small interfaces of those
// figures (the object effect, its worker figure, mana drops, the lightning
// manager). TLevelFactory is the game's own factory; tests hand the level a
// fake whose objects report scripted states.
//
// Every Make may answer null (a kind not built, a description it cannot
// use): callers skip what they do not get.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/String.h"
#include "core/ValueTypes.h"
#include "game/level/ObjectZ.h"

class ILevelContext;
class TClock;
struct SStallDesc;

// A timed sequence of pictures, particles, actions and a worker figure
// described by an effect script (slot purchase, stall build, upgrade,
// repair, crash).
class IObjectEffect
{
public:
    // (action kind, value), called while an action of the script runs.
    using TActionCallback = std::function<void(int32_t kind, float value)>;

    virtual ~IObjectEffect() = default;

    // What the script may refer to as "dop_str_n" and "dop_point_n"; set
    // before Start.
    virtual void SetExtras(std::vector<TString> texts, std::vector<TPoint> points) = 0;
    // Loads the script and starts its time line (effectTime ms long) on the
    // clock, which must outlive the effect; workers is the worker figure's
    // kind (its count, capped at 6). A script that does not load leaves the
    // effect empty (one log line).
    virtual void Start(const TString& script, int32_t x, int32_t y, int32_t effectTime, TClock& clock,
                       int32_t workers) = 0;
    virtual void SetActionCallback(TActionCallback callback) = 0;
    // Nothing while empty.
    virtual void Update() = 0;
    virtual void Draw() = 0;
};

// The workers that stand around an object while an effect runs.
class TLevelWorkerFigure
{
public:
    virtual ~TLevelWorkerFigure() = default;
    // Plays the named animation on every worker ("Loop" starts the sequence).
    virtual void PlayAnim(const TString& name) = 0;
    virtual void Update() = 0;
    virtual void Draw() = 0;
};

// The glow a killed monster leaves, flying to the mana counter.
class TLevelManaDrop
{
public:
    virtual ~TLevelManaDrop() = default;
    // Times are ms of the level's main clock.
    virtual void Start(TFloatPoint from, TFloatPoint to, int32_t startTime, int32_t duration, int32_t amount) = 0;
    virtual void Update(int32_t now) = 0;
    virtual void Draw() = 0;

    int32_t amount = 0;
    bool flying = false;
    // The mana is not yet credited; the level clears it when it credits.
    bool carrying = true;
    bool finished = false;
};

// The bolts with which protecting bonus stalls strike monsters.
class TLevelLightning
{
public:
    virtual ~TLevelLightning() = default;
    // Strikes the monster from the stall (both by id; either gone: nothing).
    virtual void Strike(int32_t stallId, int32_t monsterId) = 0;
    virtual void Update() = 0;
    virtual void Draw() = 0;
};

class ILevelFactory
{
public:
    virtual ~ILevelFactory() = default;

    // A stall of the kind (TStallKind) for the description, which outlives it.
    virtual std::unique_ptr<TLevelStall> MakeStall(ILevelContext& level, int32_t kind, const SStallDesc& desc) = 0;
    // A walker of the kind (TWalkerKind) and type (the n of its script); a
    // courier serves the stall with targetStallId.
    virtual std::unique_ptr<TLevelWalker> MakeWalker(ILevelContext& level, int32_t kind, int32_t type,
                                                     int32_t targetStallId) = 0;
    virtual std::unique_ptr<TLevelManaDrop> MakeManaDrop(ILevelContext& level) = 0;
    virtual std::unique_ptr<TLevelLightning> MakeLightning(ILevelContext& level) = 0;
    // The workers of an effect at (x, y), their count capped at 6 (below 0:
    // none), timed by the effect's clock.
    virtual std::unique_ptr<TLevelWorkerFigure> MakeWorkerFigure(ILevelContext& level, int32_t x, int32_t y,
                                                                 int32_t workers, TClock& clock) = 0;
};

// The game's factory.
class TLevelFactory : public ILevelFactory
{
public:
    std::unique_ptr<TLevelStall> MakeStall(ILevelContext& level, int32_t kind, const SStallDesc& desc) override;
    std::unique_ptr<TLevelWalker> MakeWalker(ILevelContext& level, int32_t kind, int32_t type,
                                             int32_t targetStallId) override;
    std::unique_ptr<TLevelManaDrop> MakeManaDrop(ILevelContext& level) override;
    std::unique_ptr<TLevelLightning> MakeLightning(ILevelContext& level) override;
    std::unique_ptr<TLevelWorkerFigure> MakeWorkerFigure(ILevelContext& level, int32_t x, int32_t y,
                                                         int32_t workers, TClock& clock) override;
};
