// SObjectEffect: the timed sequence an effect script describes (a slot
// purchase, a stall's build, upgrade, repair or crash): animation steps,
// particle steps, actions handed to the owner's callback, and the texts its
// worker figure plays, all on the time line of the clock it is started with.
//
// Bad scripts never fail the level: a script that does not run or lacks a
// table is logged and plays what it has; references to steps or extras that
// do not exist are ignored (an end of 0, no anchor, no extra).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/String.h"
#include "core/ValueTypes.h"
#include "game/app/MySpritePattern.h"
#include "game/level/LevelFactory.h"

class ILevelContext;
class TLuaTable;

class SObjectEffect : public IObjectEffect
{
public:
    // The worker figure comes from factory (null: none).
    SObjectEffect(ILevelContext& level, ILevelFactory* factory);
    ~SObjectEffect() override;

    void SetExtras(std::vector<TString> texts, std::vector<TPoint> points) override;
    // Stores name, (x, y - 13), the time and the clock; makes the worker
    // figure at (x, y) with workers capped to 0..6; loads the script.
    void Start(const TString& script, int32_t x, int32_t y, int32_t effectTime, TClock& clock,
               int32_t workers) override;
    void SetActionCallback(TActionCallback callback) override { callback_ = std::move(callback); }
    void Update() override;
    void Draw() override;

    // Reads the script's Anim, Paricle, Action and Worker tables.
    void LoadDescription(const TString& script);

    struct SStep
    {
        int32_t value1 = 0;
        float depth = 0.0f;
        TString name;  // the animation an animation step plays
        int32_t start = 0;
        int32_t end = 0;
        bool on = false;  // shown (animation) or active (particle)
        bool done = false;
        bool hasAnchor = false;
        int32_t anchorStep = -1;
        TString anchorName;
        std::unique_ptr<TMySpritePattern> sprite;
    };
    struct SAction
    {
        int32_t code = 0;
        int32_t value2 = 0;
        float value3 = 0.0f;
        int32_t start = 0;
        int32_t end = 0;
        bool done = false;
    };
    struct SWorkerText
    {
        int32_t time = 0;
        TString text;
    };

    const TString& GetScriptName() const { return script_; }
    TPoint GetPosition() const { return {x_, y_}; }
    const std::vector<SStep>& GetAnimSteps() const { return anims_; }
    const std::vector<SStep>& GetParticleSteps() const { return particles_; }
    const std::vector<SAction>& GetActions() const { return actions_; }
    const std::vector<SWorkerText>& GetWorkerTexts() const { return workerTexts_; }
    int32_t GetNextWorkerText() const { return nextWorker_; }
    // The steps' sprites in drawing order.
    const std::vector<TMySpritePattern*>& GetSprites() const { return sprites_; }
    TLevelWorkerFigure* GetWorkerFigure() const { return figure_.get(); }

private:
    void ReadAnims(const TLuaTable& table);
    void ReadParticles(const TLuaTable& table);
    void ReadActions(const TLuaTable& table);
    void ReadWorkers(const TLuaTable& table);
    int32_t StartOf(int32_t fromEnd, int32_t offset) const;
    // The start of animation step n; 0 when there is none.
    int32_t AnimStart(int64_t n) const;
    // The anchor of animation step n's sprite; false when the step or its
    // frame lacks it.
    bool AnchorOf(int32_t n, const TString& name, TPoint* at) const;
    void Step();

    ILevelContext& level_;
    ILevelFactory* factory_;
    TString script_;
    int32_t x_ = 0;
    int32_t y_ = 0;
    int32_t effectTime_ = 0;
    TClock* clock_ = nullptr;
    std::vector<SStep> anims_;
    std::vector<SStep> particles_;
    std::vector<SAction> actions_;
    std::vector<TMySpritePattern*> sprites_;
    std::vector<TString> extraTexts_;
    std::vector<TPoint> extraPoints_;
    std::vector<SWorkerText> workerTexts_;
    int32_t nextWorker_ = 0;
    std::unique_ptr<TLevelWorkerFigure> figure_;
    TActionCallback callback_;
};
