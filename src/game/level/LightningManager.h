// LightningManager: the bolts with which protecting bonus stalls strike
// monsters. A strike hits the monster at once and shows a bolt of pieces
// from the stall to the monster that flickers (redraws its pieces) every
// 150 ms and is gone after its fourth picture. A strike keeps nothing of
// its stall or monster.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/ValueTypes.h"
#include "game/level/LevelFactory.h"

class ILevelContext;
class TClock;
class TLevelStall;
class TMySprite;

class LightningManager : public TLevelLightning
{
public:
    static constexpr int32_t kFlickerInterval = 150;
    static constexpr int32_t kFlickerLimit = 4;
    static constexpr int32_t kPieceKinds = 9;

    struct SStrike
    {
        std::vector<std::unique_ptr<TMySprite>> pieces;
        int32_t lastFlicker = 0;
        int32_t flickers = 0;
    };

    explicit LightningManager(ILevelContext& level);
    ~LightningManager() override;

    void Strike(int32_t stallId, int32_t monsterId) override;
    // The bolt from a source to a target point for a piece height: the
    // pieces' count, angle and step (no pieces for a height of 5 or less).
    struct SBolt
    {
        int32_t count = 0;
        float angle = 0.0f;
        int32_t step = 0;
    };
    static SBolt PlanBolt(TPoint source, TPoint target, int32_t pieceHeight);
    void Update() override;
    void Draw() override;

    size_t GetStrikeCount() const { return strikes_.size(); }
    const SStrike& GetStrike(size_t i) const { return *strikes_[i]; }

private:
    TString PieceName();

    ILevelContext& level_;
    TClock& clock_;
    std::vector<std::unique_ptr<SStrike>> strikes_;
};

// A protecting bonus stall's watch over its area: once a second (on the
// level's main clock) it looks through the level's monsters in list order,
// skipping raised shields, and strikes the first one inside one of the area
// rectangles that it has not struck yet; a monster found outside every
// rectangle may be struck again when it comes back. Only a working, active
// stall of the lightning bonus type watches. The stall owns one and calls
// Update from its own update.
class LightningWatch
{
public:
    static constexpr int32_t kLightningBonus = 10;
    static constexpr int32_t kInterval = 1000;

    // The scan interval starts now (the stall's set-up).
    void Start(int32_t now) { lastScan = now; }
    // The monster struck by this call (its walker id), -1 for none.
    int32_t Update(ILevelContext& level, const TLevelStall& stall, int32_t bonusType,
                   const std::vector<TRect>& areaRects);

    int32_t lastScan = 0;
    int32_t interval = kInterval;
};
