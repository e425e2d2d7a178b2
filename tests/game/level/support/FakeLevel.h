// FakeLevel: a level for the stall, walker and effect tests. It answers
// ILevelContext from plain public fields the test sets (slots, stalls,
// monsters, entries, scripted random draws) and records every call that
// reaches the HUD, the helper, the sounds and the effects, so a test checks
// what an object asked of its level. FakeStall and FakeWalker are level
// objects whose answers the test scripts; RecordingEffect is the action
// effect NewActionEffect hands out.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "core/Random.h"
#include "core/String.h"
#include "core/ValueTypes.h"
#include "game/level/Economic.h"
#include "game/level/LevelContext.h"
#include "game/level/LevelFactory.h"
#include "game/level/LevelRecords.h"
#include "game/level/ObjectZ.h"
#include "game/level/WalkGrid.h"

// What an action effect was started with, and its traffic; outlives the
// effect so a test can look after the object deleted it.
struct SEffectRecord
{
    TString script;
    int32_t x = 0;
    int32_t y = 0;
    int32_t effectTime = 0;
    TClock* clock = nullptr;
    int32_t workers = 0;
    std::vector<TString> texts;
    std::vector<TPoint> points;
    IObjectEffect::TActionCallback callback;
    int32_t updates = 0;
    int32_t draws = 0;
    bool started = false;
    bool alive = true;
};

class RecordingEffect : public IObjectEffect
{
public:
    explicit RecordingEffect(std::shared_ptr<SEffectRecord> record) : record_(std::move(record)) {}
    ~RecordingEffect() override { record_->alive = false; }

    void SetExtras(std::vector<TString> texts, std::vector<TPoint> points) override;
    void Start(const TString& script, int32_t x, int32_t y, int32_t effectTime, TClock& clock,
               int32_t workers) override;
    void SetActionCallback(TActionCallback callback) override { record_->callback = std::move(callback); }
    void Update() override { ++record_->updates; }
    void Draw() override { ++record_->draws; }

private:
    std::shared_ptr<SEffectRecord> record_;
};

// A stall whose questions answer what the test set.
class FakeStall : public TLevelStall
{
public:
    FakeStall(int32_t stallId, int32_t stallKind, int32_t px = 0, int32_t py = 0);

    void Update() override { ++updates; }
    void Draw() override { ++draws; }
    void CreateSprites(int32_t stallId, int32_t px, int32_t py) override;
    void SetPosition(int32_t px, int32_t py) override;
    bool HitTest(int32_t px, int32_t py) override;
    // The state entries report as a stall does (notify, then the state);
    // an upgrade's entry raises the level after its report, as a stall's.
    void Work(bool enter) override;
    void Build(bool enter) override;
    void Upgrade(bool enter) override;
    void Break(bool enter, bool noEffect) override;
    void Repair(bool enter) override;
    void Crash(bool enter) override;
    void Purchase(bool enter) override;
    void FindBuyer(bool enter) override;
    void Sell(bool enter) override;
    void RemoveUpgradeLevel() override;
    void AddUpgradeLevel() override { ++addedLevels; }
    void SetTimerNever() override { ++timerNever; }
    void SetSelectImage(bool attention) override { attentionShown = attention; }

    bool CanDoAction(int32_t) const override { return true; }
    bool IsServiceable(int32_t) const override { return serviceable; }
    bool IsWorking() const override { return active && state == kStateWorking; }
    int32_t GetGoods() const override { return goods; }
    int32_t GetGoodsRoom() const override { return goodsLimit - goods; }
    // Returns what TradeStall's sale returns: the amount, or the stock left
    // when the sale empties it.
    int32_t SellGoods(int32_t amount) override;
    void AddGoods(int32_t amount) override { goods += amount; }
    bool IsInArea(int32_t px, int32_t py) const override;
    int32_t FindFreePlace() const override;
    void OccupyPlace(int32_t walkerId, int32_t index) override;
    void FreePlace(int32_t walkerId, int32_t index) override;
    void AddVisitor(int32_t walkerId) override { visitors.push_back(walkerId); }
    void RemoveVisitor(int32_t walkerId) override;
    std::vector<TPoint> GetPlacePathIn(int32_t index) const override;
    std::vector<TPoint> GetPlacePathOut(int32_t index) const override;
    void Destroy() override { destroyed = true; }
    bool IsDestroying() const override { return destroyed; }
    void PlayCoin() override { ++coins; }
    void PlayLayerAnims(bool on) override { layerAnims.push_back(on); }

    // Reports a state change as a stall does: notify, then the new state.
    void Report(int32_t entered);

    // Scripted answers.
    bool serviceable = true;
    int32_t goods = 0;
    int32_t goodsLimit = 0;
    // Points IsInArea holds (while active).
    std::vector<TPoint> area;
    // Service places: each place's in and out path; a place is free while
    // no walker occupies it.
    std::vector<std::vector<TPoint>> pathsIn;
    std::vector<std::vector<TPoint>> pathsOut;
    std::vector<int32_t> occupants;  // by place, -1 free
    // Every occupy and free: "occupy WALKER PLACE", "free WALKER PLACE".
    std::vector<std::string> placeCalls;
    // Walkers inside (couriers of a transport stall).
    std::vector<int32_t> visitors;
    bool destroyed = false;
    // Hit box around (x, y): |dx| <= hitHalfWidth, |dy| <= hitHalfHeight.
    int32_t hitHalfWidth = 30;
    int32_t hitHalfHeight = 13;

    // Traffic.
    int32_t updates = 0;
    int32_t draws = 0;
    int32_t coins = 0;
    int32_t timerNever = 0;
    // AddUpgradeLevel calls (the level field is the state entries').
    int32_t addedLevels = 0;
    bool attentionShown = false;
    std::vector<bool> layerAnims;
    // Every (left, entered) this stall reported.
    std::vector<std::pair<int32_t, int32_t>> reports;
    // Counts destructions into the given counter, if any.
    int32_t* deaths = nullptr;
    ~FakeStall() override
    {
        if (deaths != nullptr) ++*deaths;
    }
};

// A walker whose finished flag and answers the test sets.
class FakeWalker : public TLevelWalker
{
public:
    FakeWalker(int32_t walkerKind, int32_t walkerType, int32_t targetStall = -1);

    void Update() override { ++updates; }
    void Draw() override { ++draws; }
    void CreateSprites(int32_t walkerId, int32_t px, int32_t py) override;
    void Spawn(int32_t walkerId, int32_t px, int32_t py, int32_t value) override;
    void OnArrive() override { ++arrivals; }
    int32_t GetTargetStallId() const override { return targetStallId; }
    void ForgetTargetStall() override { targetStallId = -1; }
    bool IsLeaving() const override { return leaving; }
    bool IsBusy() const override { return busy; }
    void Leave() override { leaving = true; }
    void BeHappy() override { happy = true; }
    void SetLoad(int32_t n) override { load = n; }
    int32_t GetLoad() const override { return load; }
    void SetSpawnParameters(int32_t entry, int32_t mana, float hp, float dmg) override;
    bool IsDying() const override { return dying; }
    TFloatPoint GetPosition() const override { return position; }
    bool IsShieldOn() const override { return shieldOn; }
    void Hit(bool lightning, bool shielded) override { hits.emplace_back(lightning, shielded); }
    bool OnClick(int32_t px, int32_t py) override;
    bool HitTest(int32_t px, int32_t py) const override { return (void)px, (void)py, clickable; }
    void Die(bool silent) override;

    int32_t type = 0;
    int32_t targetStallId = -1;
    bool leaving = false;
    bool busy = false;
    bool happy = false;
    bool dying = false;
    bool clickable = false;
    int32_t load = 0;
    // Set-up as the level called it.
    int32_t setupX = 0;
    int32_t setupY = 0;
    int32_t spawnValue = 0;
    int32_t entryIndex = 0;
    int32_t manaReward = 0;
    float health = 0.0f;
    float damage = 0.0f;
    int32_t updates = 0;
    int32_t draws = 0;
    int32_t arrivals = 0;
    int32_t clicks = 0;
    int32_t deaths = 0;
    int32_t silentDeaths = 0;
    TFloatPoint position;
    bool shieldOn = false;
    std::vector<std::pair<bool, bool>> hits;  // (lightning, shielded)
};

class FakeLevel : public ILevelContext
{
public:
    // Clocks started at 0 (on whatever time source the test installed), an
    // open 40 x 60 grid, an economy with nothing in it.
    FakeLevel();
    ~FakeLevel() override;

    // --- ILevelContext ---
    TClock& GetMainClock() override { return mainClock; }
    TClock& GetEffectClock() override { return effectClock; }
    TClock& GetWalkerClock() override { return walkerClock; }
    // The scripted draws in turn, round and round; without any, a
    // generator seeded once with 1.
    int32_t Random() override;
    WalkGrid& GetWalkGrid() override { return grid; }
    const SGameObjectCommon& GetCommon() const override { return common; }
    const std::vector<TPoint>& GetCustomerEntries() const override { return customerEntries; }
    const std::vector<TPoint>& GetMonsterEntries() const override { return monsterEntries; }
    int32_t GetLevelNumber() const override { return levelNumber; }
    int32_t GetLocationNumber() const override { return locationNumber; }
    int32_t GetSlotCount() const override { return static_cast<int32_t>(slots.size()); }
    TPoint GetSlotPosition(int32_t slotIndex) const override;
    bool IsSlotAt(int32_t x, int32_t y) const override;
    void SetSlotEffectAlpha(int32_t slotIndex, float alpha) override;
    void FreeSlot(int32_t slotIndex) override;
    void ResetSlot(int32_t slotIndex) override;
    int32_t GetStallCount() const override { return static_cast<int32_t>(stalls.size()); }
    TLevelStall* GetStallAt(int32_t index) override;
    TLevelStall* FindStall(int32_t stallId) override;
    int32_t GetSelectedStallId() const override { return selectedStallId; }
    int32_t GetMonsterCount() const override { return static_cast<int32_t>(monsters.size()); }
    TLevelWalker* GetMonsterAt(int32_t index) override;
    TLevelWalker* FindMonster(int32_t walkerId) override;
    void RemoveCustomer(int32_t walkerId) override;
    int32_t SumStallsByType(int32_t bonusType, int32_t x, int32_t y) override;
    void DrawCustomerById(int32_t walkerId) override { drawnCustomers.push_back(walkerId); }
    void DrawCourierById(int32_t walkerId) override { drawnCouriers.push_back(walkerId); }
    Economic& GetEconomic() override { return *economic; }
    bool IsWinSequenceRunning() const override { return winRunning; }
    std::unique_ptr<IObjectEffect> NewActionEffect() override;
    void SpawnManaDrop(TFloatPoint from, int32_t amount) override;
    void SpawnMonsterClickEffect(int32_t x, int32_t y, int32_t n) override;
    void StrikeLightning(int32_t stallId, int32_t monsterId) override;
    void ShowHint(int32_t hint) override;
    void SelectTab(int32_t tab, bool force) override;
    void RefreshButtonInfo() override;
    void SetProfitBarComplete(bool complete) override { profitBarComplete = complete; }
    float GetTimeLeftFraction() const override { return timeLeftFraction; }
    bool IsBadgeShown() const override { return badgeShown; }
    void AddMonsterKill(int32_t monsterType) override;
    void PlaySound(const TString& name, bool loop) override;
    void StopSound(const TString& name) override;

    // --- Helpers for tests ---
    // Adds a stall it owns and answers for; returns it.
    FakeStall& AddStall(int32_t stallId, int32_t kind, int32_t x = 0, int32_t y = 0);
    // Adds a walker of the kind it owns (monsters answer GetMonster*).
    FakeWalker& AddWalker(int32_t walkerId, int32_t kind);
    // Adds a slot at (x, y).
    void AddSlot(int32_t x, int32_t y);
    // The recorded calls in order, one text each: "sound NAME", "loop NAME",
    // "stop NAME", "hint N", "tab N force|-", "refresh", "kill TYPE",
    // "mana X,Y AMOUNT", "click X,Y N", "strike STALL MONSTER",
    // "remove-customer ID", "free-slot N", "reset-slot N".
    std::vector<std::string> calls;
    // Only the calls that begin with prefix ("sound ", "hint ", ...).
    std::vector<std::string> CallsOf(const std::string& prefix) const;

    // --- State the test sets and reads ---
    TClock mainClock;
    TClock effectClock;
    TClock walkerClock;
    std::vector<int32_t> randomDraws;
    size_t nextDraw = 0;
    WalkGrid grid;
    SGameObjectCommon common;
    std::vector<TPoint> customerEntries;
    std::vector<TPoint> monsterEntries;
    int32_t levelNumber = 1;
    int32_t locationNumber = 0;

    struct SFakeSlot
    {
        TPoint at;
        float alpha = 1.0f;
        bool free = false;
        bool forSale = false;
    };
    std::vector<SFakeSlot> slots;
    std::vector<std::unique_ptr<TLevelStall>> stalls;
    std::vector<std::unique_ptr<TLevelWalker>> monsters;
    std::vector<std::unique_ptr<TLevelWalker>> customers;
    std::vector<std::unique_ptr<TLevelWalker>> couriers;
    int32_t selectedStallId = -1;
    std::unique_ptr<Economic> economic;
    bool winRunning = false;
    bool profitBarComplete = false;
    float timeLeftFraction = 1.0f;
    bool badgeShown = true;
    std::vector<int32_t> kills;  // by monster type
    std::vector<std::shared_ptr<SEffectRecord>> effects;
    std::vector<int32_t> drawnCustomers;
    std::vector<int32_t> drawnCouriers;

private:
    TMersenneTwister random_;
};
