// Monster: a walker that harms stalls. A walking monster comes out of a
// portal at its entry, walks to a stall its action can hit, attacks, applies
// the action and goes back into the portal; a flying one flies in from
// beyond the screen edge and attacks on its way out, again and again. Clicks
// and lightning cost it health; shields, retreats and death are in
// MonsterDamage.cpp.
//
// The monster keeps stall ids only: a walker's target (applied in
// FinishAction) apart from a flyer's aim and the stall a flyer attacks on
// its way out; a stall gone by then is not touched.
#pragma once

#include <cstdint>
#include <memory>

#include "core/String.h"
#include "core/ValueTypes.h"
#include "game/level/Human.h"

class TMyParticle;

class Monster : public Human
{
public:
    // Actions on the target stall.
    enum : int32_t
    {
        kSellOff = 0,
        kBreak = 1,
        kDowngrade = 2,
        kDowngradeOrBreak = 3,
        kDestroy = 4,
        kDestroyAndReset = 5,
    };
    static constexpr int32_t kPortalTime = 2000;
    static constexpr int32_t kDeathTime = 1000;
    // Click mask alpha threshold.
    static constexpr int kClickThreshold = 200;

    Monster(ILevelContext& level, int32_t type);
    ~Monster() override;

    void Update() override;
    void Draw() override;
    void Reset() override;
    // "scripts/game_logic/monsters/monster_<type>.lua": Main, then BubbleInfo.
    void Load() override;
    void SetPosition(float px, float py) override;
    void OnArrive() override;
    void FinishAction() override;

    // value: the spawn event's fifth value (time at home, a flyer's sleep).
    void Spawn(int32_t walkerId, int32_t px, int32_t py, int32_t value) override;
    void CreateSprites(int32_t walkerId, int32_t px, int32_t py) override { Spawn(walkerId, px, py, 0); }
    void SetSpawnParameters(int32_t entryIndex, int32_t manaReward, float health, float damage) override;
    void SetManaReward(int32_t amount) { manaReward_ = amount; }

    int32_t GetTargetStallId() const override;
    void ForgetTargetStall() override;
    TFloatPoint GetPosition() const override { return position_; }

    // --- Damage (MonsterDamage.cpp) ---
    bool HitTest(int32_t px, int32_t py) const override;
    bool OnClick(int32_t px, int32_t py) override;
    void Hit(bool lightning, bool shielded) override;
    void Die(bool silent) override;
    void SetShield(bool on);
    void Retreat(bool on);
    bool IsDying() const override { return dying_; }
    bool IsShieldOn() const override { return shieldOn_; }
    // The monster's action on the stall, with its hint (nothing when the
    // stall is gone).
    void ApplyAction(int32_t stallId);
    // The click particle's stage for the health left: 0 to 2.
    int32_t ClickStage() const;

    // --- Read by tests, the HUD bubble ---
    int32_t GetType() const { return type_; }
    int32_t GetMoveType() const { return moveType_; }
    int32_t GetActionId() const { return actionId_; }
    float GetHealth() const { return health_; }
    float GetMaxHealth() const { return maxHealth_; }
    bool IsInAction() const { return inAction_; }
    bool IsAtPortal() const { return atPortal_; }
    bool IsRetreating() const { return retreating_; }
    bool IsHidden() const;
    int32_t GetShieldType() const { return shieldType_; }
    TPoint GetTargetCell() const { return targetCell_; }
    TPoint GetClickPoint() const { return clickPoint_; }
    TPoint GetBubblePlace() const { return bubblePlace_; }
    const TString& GetDisplayName() const { return displayName_; }
    int32_t GetAtHomeTime() const { return atHomeTime_; }
    TMyAnimSprite* GetAttackSprite() const { return attackSprite_.get(); }
    TMySprite* GetClickMask() const { return clickMask_.get(); }
    const TString& GetClickMaskName() const { return clickMaskName_; }
    const TString& GetAttackImage() const { return attackImage_; }
    const TString& GetActionImage() const { return actionImage_; }
    const TString& GetShieldImage() const { return shieldImage_; }

private:
    bool IsFlyer() const { return moveType_ == 1; }
    void Appear();
    void Approach();
    void FlyIn();
    void FlyOut();
    void GoHome();
    void Leave();
    void StartAttack(TLevelStall& stall, bool flyer);
    // A uniformly drawn stall the action can hit; -1 for none.
    int32_t ChooseServiceable();
    // The walker's way to a stall: its anchor cell (a rising shield's
    // monster stands off it).
    TPoint TargetCellOf(const TLevelStall& stall) const;
    bool EntryPoint(TPoint* at) const;
    // The main animation has played out (without a picture: once applied).
    bool PlayedOut() const;
    void RestoreWalkPattern();
    void UpdateShield();
    void UpdatePortal();
    void PlaySoundName(const TString& name);
    void SpawnClick(int32_t x, int32_t y);
    // The steps from p along d that stay on the playfield.
    static int32_t StepsInside(TPoint* p, TPoint d);

    int32_t type_ = 0;
    int32_t savedSpeed_ = 0;
    int32_t moveType_ = 0;
    // A walker's target (the stall it walks to and attacks).
    int32_t targetStall_ = -1;
    // A flyer's aim, and the stall it attacks on its way out.
    int32_t targetId_ = -1;
    int32_t flyerAttackId_ = -1;
    int32_t lastHitTime_ = 0;
    float maxHealth_ = 0.0f;
    float health_ = 0.0f;
    float damage_ = 0.0f;
    bool dying_ = false;
    TPoint flight_;
    int32_t flyHigh_ = 0;
    int32_t flySleep_ = 0;
    int32_t manaReward_ = 0;
    int32_t entryIndex_ = 0;
    bool atPortal_ = false;
    std::unique_ptr<TMyAnimSprite> attackSprite_;
    TString attackImage_;
    TString walkPatternBackup_;
    TString actionImage_;
    int32_t actionTime_ = 1000;
    int32_t postActionTime_ = 1000;
    int32_t atHomeTime_ = 5000;
    int32_t actionId_ = 1;
    bool actionApplied_ = false;
    bool inAction_ = false;
    bool attacking_ = false;
    std::unique_ptr<TMySprite> clickMask_;
    TString clickMaskName_;
    TString soundAttack_;
    TString soundKill_;
    TString soundShot_;
    mutable TPoint clickPoint_;
    std::unique_ptr<TMyParticle> deathParticle_;
    std::unique_ptr<TMyParticle> portalParticle_;
    bool portalOpened_ = false;
    bool appearAction_ = false;
    bool leaveAction_ = false;
    TPoint targetCell_;
    bool shieldOn_ = false;
    int32_t shieldType_ = -1;
    int32_t shieldTime_ = 0;
    int32_t shieldPlace_ = 0;
    TPoint shieldPosition_;
    bool shieldTurned_ = false;
    int32_t shieldDelay_ = 0;
    TString shieldImage_;
    TString shieldPatternBackup_;
    float shieldRiseSpeed_ = 0.5f;
    bool walkingBeforeShield_ = false;
    bool retreating_ = false;
    TPoint bubblePlace_;
    TString displayName_;
};
