// GameObject: the base of every stall on a level (attraction, trade and bonus
// stalls). A stall stands on one building slot, owns its pictures, runs one
// timed state machine on its own clock, offers service places to walkers and
// reports every change of state to the level through stateChanged; the
// level's handler books the money, mana and workers, the stall supplies the
// prices, offers and refunds.
//
// States: 0 idle, 1 working (or locked), 2 building, 3 upgrading, 4 broken,
// 5 repairing, 6 being crashed, 7 being bought, 8 looking for a buyer,
// 9 being sold. Every timed state enters the same way (report, state,
// clock restarted, timer, bar, sound) and finishes once the stall clock
// passes its timer. The pictures and drawing are in GameObjectPictures.cpp.
//
// Failure: none reaches the caller. Per-level lists shorter than the level,
// missing star offsets and missing place sets read as 0 or empty and are
// logged once per description; pictures that do not load draw nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/String.h"
#include "core/ValueTypes.h"
#include "game/level/LevelFactory.h"
#include "game/level/ObjectZ.h"

class ILevelContext;
class TMyAnimSprite;
class TMyParticle;
class TMySprite;
class TMySpritePattern;
class TTextGraphic;
struct SGameObjectCommon;
struct SStallDesc;

class GameObject : public TLevelStall
{
public:
    // The timer of a stall that never breaks.
    static constexpr int32_t kNever = 999999999;
    static constexpr int32_t kLockFadeTime = 200;
    // The key of the layer the occupants and visitors are drawn after.
    static constexpr float kPeopleLayer = -1.0f;

    // One picture layer: a still or animated picture, or a particle.
    struct SLayer
    {
        std::unique_ptr<TMySpritePattern> sprite;
        float key = 0.0f;
        // TMySpritePattern::Kind of the sprite.
        int32_t layerKind = 0;
        // From the stall's position (animations and particles; stills
        // stand on it and carry their origin).
        TPoint offset;
    };
    // A particle of the layers, restarted when the animated layer it is
    // anchored to shows its trigger frame (anchor -1: runs while working).
    struct SParticleRef
    {
        TMyParticle* particle = nullptr;
        // A layer key until SortLayers, then the layer's index (-1: none).
        int32_t anchor = -1;
        int32_t frame = 0;
    };
    struct SPlace
    {
        std::vector<TPoint> pathIn;
        std::vector<TPoint> pathOut;
        int32_t occupant = -1;
    };

    // desc outlives the stall (the level owns it).
    GameObject(ILevelContext& level, const SStallDesc& desc);
    ~GameObject() override;

    // --- Per frame ---
    void Update() override;
    void Draw() override;

    // Start values of every field (state 1, active, ids -1).
    virtual void Reset();
    // The shared pictures; subclasses call it first, then add theirs.
    void CreateSprites(int32_t stallId, int32_t px, int32_t py) override;
    void SetPosition(int32_t px, int32_t py) override;

    void PlayLayerAnims(bool on) override;
    // The visible flag of every animated layer.
    void SetLayersVisible(bool on);
    void SetSelectImage(bool attention) override;

    // --- Service places and visitors ---
    void BuildServicePlaces() override;
    int32_t FindFreePlace() const override;
    std::vector<TPoint> GetPlacePathIn(int32_t index) const override;
    std::vector<TPoint> GetPlacePathOut(int32_t index) const override;
    void AddVisitor(int32_t walkerId) override;
    void RemoveVisitor(int32_t walkerId) override;
    void OccupyPlace(int32_t walkerId, int32_t index) override;
    void FreePlace(int32_t walkerId, int32_t index) override;
    // Every occupying customer leaves the level; the places come free.
    void ReleaseAllPlaces();

    // --- Questions ---
    bool CanDoAction(int32_t action) const override;
    bool IsServiceable(int32_t need) const override;
    bool IsWorking() const override;
    virtual bool IsKindLevel(int32_t stallKind, int32_t descId, int32_t minLevel) const;
    virtual bool IsKind(int32_t stallKind, int32_t descId) const;

    // --- Lock, level and life ---
    void SetActive(bool on, bool instant) override;
    void SwitchLock(bool toggle, bool instant);
    void SetLockBlend(float t, bool gold);
    void AddUpgradeLevel() override;
    void RemoveUpgradeLevel() override;
    void SetTimerNever() override;
    void Destroy() override;
    bool IsDestroying() const override { return crashRunning_; }

    // --- States ---
    void SetIdle(bool enter);
    void Work(bool enter) override;
    void Build(bool enter) override;
    void Upgrade(bool enter) override;
    void Break(bool enter, bool noEffect) override;
    void Repair(bool enter) override;
    void Crash(bool enter) override;
    void Purchase(bool enter) override;
    void FindBuyer(bool enter) override;
    void Sell(bool enter) override;

    // --- Pictures ---
    // Called back by the running action effect.
    void SetGroupAlpha(int32_t group, float value);
    void SetSelected(bool on) override { selected = on; }
    bool HitTest(int32_t px, int32_t py) override;
    void PlayCoin() override;
    virtual void PlayEffect(int32_t effectKind);
    void StopEffect();
    void ShowProgressBar(bool on) { barShown_ = on; }
    void SetProgress(float fraction);
    void SortLayers();
    void DrawSelection() override;
    virtual void DrawBadge() {}

    // --- Prices ---
    // 50% to 150% of base in tenths, rounded down to a multiple of 100.
    int32_t RandomizePrice(int32_t base);
    int32_t RandomizeOffer(int32_t base) { return RandomizePrice(base); }

    // --- Read by the level, the HUD and tests ---
    const SStallDesc& GetDesc() const { return desc_; }
    int32_t GetMaxLevel() const { return maxLevel_; }
    int32_t GetTimerTarget() const { return timerTarget_; }
    bool IsBarShown() const { return barShown_; }
    int32_t GetSleepRounds() const { return sleepRounds_; }
    int32_t GetRepairCount() const { return repairCount_; }
    bool IsGoodsOut() const { return goodsOut_; }
    bool IsLockGold() const { return lockGold_; }
    bool IsLockFading() const { return lockFading_; }
    float GetFadeAlpha() const { return fadeAlpha_; }
    bool IsLevelDownRunning() const { return levelDownRunning_; }
    int32_t GetBonusValue() const { return bonusValue_; }
    const std::vector<SPlace>& GetPlaces() const { return places_; }
    const std::vector<int32_t>& GetVisitors() const { return visitors_; }
    const std::vector<SLayer>& GetLayers() const { return layers_; }
    const std::vector<SParticleRef>& GetParticles() const { return particles_; }
    const std::vector<std::unique_ptr<TMySprite>>& GetStars() const { return stars_; }
    TMySprite* GetOverlay() const { return overlay_.get(); }
    TMySprite* GetSilverLock() const { return silverLock_.get(); }
    TMySprite* GetGoldLock() const { return goldLock_.get(); }
    TMySprite* GetSelection() const { return selection_.get(); }
    TMySprite* GetBarBack() const { return barBack_.get(); }
    TMySprite* GetBarFront() const { return barFront_.get(); }
    TMyAnimSprite* GetCoin() const { return coin_.get(); }
    TMyAnimSprite* GetEffectAnim() const { return effect_.get(); }
    TMyParticle* GetCrashParticle() const { return crashParticle_.get(); }
    TMyParticle* GetLevelDownParticle() const { return levelDown_.get(); }
    IObjectEffect* GetAction() const { return action_.get(); }
    const TRect& GetHoverRect() const { return hoverRect_; }

protected:
    // --- The shared steps of the subclasses' set-up ---
    // Description id, click mask, side, layers (sorted), times, break and
    // sell pictures, coin.
    void CreateDescSprites();
    // Static layers at (x, y); animated layers and particles at (x, y) plus
    // their offsets.
    void PlaceLayers();
    // The trade stall's picks of the common places: the house set, or the
    // stall set when second.
    void BuildPlaces(bool second);
    // The cost table all three kinds share (level -1: the current one).
    int32_t DescCost(int32_t costKind, int32_t type, int32_t atLevel) const;
    // The purchase price at the level, randomised when asked.
    int32_t DescPrice(bool randomise);
    // The refund of the trade and attraction stalls.
    int32_t ManaRefund() const;
    // A per-level value; beyond the list it reads 0 and the description's
    // short list is logged once.
    int32_t At(const std::vector<int32_t>& list, int32_t atLevel, const char* what) const;

    // --- Hooks of the kinds ---
    // A trade stall without goods crashes as a broken one.
    virtual bool IsOutOfGoods() const { return false; }

    // State 1's entry (report, animations, the break or sleep timer) and its
    // per-frame step (lock fade, break, offer cycle).
    void EnterWork();
    void WorkStep();

    // --- The timed-state pattern ---
    void Notify(int32_t left, int32_t entered);
    // Report, state, clock restarted, timer, bar shown.
    void EnterTimed(int32_t newState, int32_t duration);
    // The per-frame step: the bar and the action effect; true (the bar
    // hidden) once the clock has passed the timer.
    bool StepTimed();
    void RestartClock();
    void StartAction(const char* script, int32_t workers, std::vector<TString> texts = {},
                     std::vector<TPoint> points = {});
    // An effect sound by its full name.
    void Sound(const char* name);
    int32_t RandomPart(int32_t range);
    bool IsSelectedOne() const { return selected; }
    void ReopenPanel();
    void SetLayersAlpha(float alpha);
    void OverlayImage(const TString& name, float alpha);
    TMySprite* LastStar() const { return stars_.empty() ? nullptr : stars_.back().get(); }
    TPoint StarOffset(int32_t atLevel) const;
    void DrawPeople();

    ILevelContext& level_;
    const SStallDesc& desc_;
    const SGameObjectCommon& common_;

    std::unique_ptr<TMySprite> selection_;
    std::unique_ptr<TMySprite> clickMask_;
    std::vector<SLayer> layers_;
    std::vector<SParticleRef> particles_;
    std::vector<std::unique_ptr<TMySprite>> stars_;
    int32_t maxLevel_ = 0;
    std::unique_ptr<TMySprite> silverLock_;
    std::unique_ptr<TMySprite> goldLock_;
    bool lockFading_ = false;
    bool lockGold_ = true;
    int32_t lockFadeTime_ = kLockFadeTime;
    int32_t repairCount_ = 0;
    std::vector<SPlace> places_;
    std::vector<int32_t> visitors_;
    int32_t timerTarget_ = 0;
    int32_t buildTime_ = 0;
    int32_t upgradeTime_ = 0;
    int32_t repairTime_ = 0;
    int32_t crashTime_ = 0;
    int32_t findBuyerTime_ = 0;
    int32_t sellTime_ = 0;
    int32_t sleepTime_ = 0;
    int32_t sleepRand_ = 0;
    int32_t offerTime_ = 0;
    int32_t offerRand_ = 0;
    int32_t purchaseTime_ = 0;
    int32_t breakTime_ = 0;
    int32_t breakRand_ = 0;
    std::unique_ptr<IObjectEffect> action_;
    TString breakImage_;
    TString breakEffectImage_;
    std::unique_ptr<TMySprite> overlay_;
    TString sellImage_;
    TString sellOverlayImage_;
    std::unique_ptr<TMyParticle> levelDown_;
    bool levelDownRunning_ = false;
    std::unique_ptr<TMyParticle> crashParticle_;
    bool crashRunning_ = false;
    float fadeAlpha_ = 1.0f;
    float fadeStep_ = 0.03f;
    std::unique_ptr<TMyAnimSprite> coin_;
    std::unique_ptr<TMyAnimSprite> effect_;
    bool barShown_ = false;
    std::unique_ptr<TMySprite> barBack_;
    std::unique_ptr<TMySprite> barFront_;
    std::unique_ptr<TTextGraphic> nameText_;
    TRect hoverRect_;
    int32_t sleepRounds_ = 0;
    bool goodsOut_ = false;
    int32_t bonusValue_ = 0;
};

// Forgets which descriptions were logged as short (a new game, a test).
void ResetStallLogs();
