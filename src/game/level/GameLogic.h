// TGameLogic: the level simulation, one object for the whole run of the game.
// It holds what lives on the level map while a level is played (stalls,
// walkers, slots, land and ground elements, effects, the monster spawn
// queue, the economy and the level's HUD), updates it in a fixed order every
// frame, takes the player's input, and books every stall's change of state.
// It is the ILevelContext of every object it makes.
//
// Objects are named by id and looked up each time; a walker or stall removed
// while the level walks a list is kept alive until the walk is over, so a
// removal from inside an object's own call never pulls it from under it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/Clock.h"
#include "core/Random.h"
#include "core/String.h"
#include "core/ValueTypes.h"
#include "game/app/CompleteLevel.h"
#include "game/app/MyParticle.h"
#include "game/app/Singleton.h"
#include "game/level/Economic.h"
#include "game/level/LevelContext.h"
#include "game/level/LevelFactory.h"
#include "game/level/LevelHud.h"
#include "game/level/LevelObjects.h"
#include "game/level/LevelRecords.h"
#include "game/level/ObjectZ.h"
#include "game/level/WalkGrid.h"

class TLevelScript;
struct SWinSequence;

class TGameLogic : public Singleton<TGameLogic>, public ILevelContext
{
public:
    // The game-wide values of the info script's "gMain" (defaults until the
    // level data reads it).
    struct SGameInfo
    {
        int32_t timeTact = 1000;
        int32_t gofTime = 5000;
        int32_t gotTact = 100;
        int32_t gofAddRadius = 3;
        float gofAddAngle = 0.02f;
        int32_t gofEmiterCnt = 4;
        int32_t gofElementTime = 50;
        int32_t shopMana = 3000;
        int32_t shopMagic = 3000;
        int32_t shopDraft = 3000;
        TFloatVector4 objectColor;
        std::vector<int32_t> attrOrder;
        std::vector<int32_t> tradeOrder;
        std::vector<int32_t> bonusOrder;
        std::vector<int32_t> protectOrder;
    };

    // The level's customers: price, check interval and the type weights.
    struct SCustomerSettings
    {
        int32_t price = 0;
        int32_t interval = 0;
        std::vector<int32_t> weights;
    };

    // Where sounds go: (full name, loop, stop). The game's sound manager
    // unless a test installs its own.
    using TSoundSink = std::function<void(const TString& name, bool loop, bool stop)>;

    // The game's level logic: its own factory, seeded from the clock.
    TGameLogic();
    // A level logic made on its own (tests, tools): its factory (null: one
    // that makes nothing) and random seed.
    TGameLogic(std::unique_ptr<ILevelFactory> factory, uint32_t seed);
    ~TGameLogic() override;

    // --- A level's life ---
    // Clears the level, then starts an empty one: running, an open walk grid,
    // a new economy (its interval the tact, the sale tick bound), the HUD from
    // the installed maker and the lightning manager. The level files fill it.
    void BeginLevel(int32_t levelNumber, int32_t location);
    // Starts level n afresh (LevelStart.cpp): the level begun, its walk grid
    // and scripts loaded, the profile's saved state of this level restored,
    // then the start notification (the intro handler when openIntro is set).
    void StartLevel(int32_t levelNumber);
    // Deletes every level object and resets the level's state.
    void ClearLevel();
    // One simulation step.
    void Update();
    void Draw();
    // Stops or starts the clocks (partial keeps the walkers walking).
    void Pause(bool pause, bool partial);
    bool IsPaused() const { return paused_; }
    bool IsPartialPause() const { return partial_; }
    // A won level plays its win sequence and then reports; a lost one reports
    // at once.
    void FinishLevel(bool won);
    void MakeResult(SCompleteLevel& result) const;
    // The win sequence's state (WinSequence.cpp); null before the first win.
    const SWinSequence* GetWinSequence() const { return win_.get(); }
    bool IsWinEffectOn() const { return winEffect_; }

    // --- A level in progress, kept in the profile (GameLogicSnapshot.cpp) ---
    // Stores the running level's snapshot in the profile (an invalid one
    // when there is nothing to resume).
    void SaveLevelState();
    // The snapshot as SaveLevelState would store it.
    LevelSnapshot MakeSnapshot() const;
    // Rebuilds the profile's held snapshot over the loaded level, then the
    // profile forgets it. Records naming nothing the level has are skipped.
    void RestoreLevelState();

    // The start-level callback's answer; -1 when none is bound.
    int32_t RequestStartLevel(int32_t level);
    void OnIntroClosed();
    // The economy's payout notification: stalls at work sell and play coins.
    void OnSaleTick();

    // --- Spawning and removing ---
    void SpawnMonster(SpawnEvent event);
    void SpawnCustomer(int32_t type, int32_t a, int32_t b);
    void SpawnCourier(int32_t courierType, int32_t stallId, int32_t load, int32_t a, int32_t b);
    void RemoveMonster(int32_t walkerId);
    void RemoveCourier(int32_t walkerId);
    void AddSpawnEvent(const SpawnEvent& event) { spawnQueue_.push_back(event); }
    const std::vector<SpawnEvent>& GetSpawnQueue() const { return spawnQueue_; }

    // --- Stalls and slots ---
    // Puts the stall on the slot; with select, starts building it and
    // selects it. Null does nothing.
    void AddGameObject(std::unique_ptr<TLevelStall> stall, int32_t slotIndex, bool select);
    // Removes and deletes the stall; an unknown id does nothing.
    void DeleteGameObject(int32_t stallId);
    // x, y snap to their cell; the footprint is blocked in the grid.
    SSlot* AddSlot(int32_t x, int32_t y, int32_t manaCost, int32_t workerCost);
    SLandElem* AddLandElement(const TString& picture, int32_t x, int32_t y, int32_t ox, int32_t oy);
    SGroundElem* AddGroundElement(const TString& picture, int32_t x, int32_t y, int32_t ox, int32_t oy);
    // Appends a description to its kind's list with a zeroed counter record.
    void AddDescription(std::unique_ptr<SStallDesc> desc);
    // The description of the kind with that id; null when none.
    const SStallDesc* FindDescription(int32_t kind, int32_t id) const;
    const std::vector<std::unique_ptr<SStallDesc>>& GetDescriptions(int32_t kind) const;
    const std::vector<SStallCounters>& GetCounters(int32_t kind) const;

    // --- Level data (GameInfoLoader.cpp, StallDescLoader.cpp, LevelLoader.cpp,
    // LevelLayout.cpp, LevelResources.cpp) ---
    // Reads the game's info script ("gMain", the common settings, the lucky
    // bubble and the game-over caption); both constructors call it. A table
    // the script lacks (or a script that does not run) is logged and keeps
    // its defaults.
    void LoadGameInfo();
    // Builds the begun level (BeginLevel made its HUD and economy) from its
    // scripts: the game-wide captions again, the stall descriptions that
    // ListLevelResources flagged for it, the level info, the ids' final order
    // and the layout. While restoring, no monster wave and no pre-built stall
    // is made.
    void LoadLevel();
    // Descriptions take their offering index as id and that order; the HUD's
    // task conditions that name a stall follow.
    void ResolveDescriptionIds();
    // Appends the resource groups the level needs and records which
    // description files it uses and its location.
    void ListLevelResources(int32_t levelNumber, std::vector<TString>& groups);
    // Set by the level start when a saved state of this level comes back.
    void SetRestoring(bool on) { restoring_ = on; }
    bool IsRestoring() const { return restoring_; }
    // The use flags of the description files of a kind (0 attraction,
    // 1 trade, 2 bonus), by file number, from the last ListLevelResources.
    const std::vector<int32_t>& GetStallUse(int32_t kind) const;
    // The location the last ListLevelResources found.
    int32_t GetLevelLocation() const { return levelLocation_; }
    const SGameOverCaption& GetGameOverCaption() const { return gameOver_; }
    const std::vector<int32_t>& GetTimeFlags() const { return timeFlags_; }
    const SLevelStory& GetStory() const { return story_; }
    const SMonsterMana& GetMonsterMana() const { return monsterMana_; }
    // What each building slot of the layout costs to buy.
    int32_t GetLandWorker() const { return landWorker_; }
    int32_t GetLandMana() const { return landMana_; }
    int32_t GetGroundElementCount() const { return static_cast<int32_t>(groundElems_.size()); }
    SGroundElem* GetGroundElement(int32_t index);
    // The background picture and its snow layer; null until the layout
    // names one.
    TMySprite* GetBackground(bool snow) const { return snow ? backgroundSnow_.get() : background_.get(); }

    // --- Input (GameLogicInput.cpp) ---
    bool OnMouseDown(int32_t x, int32_t y);
    bool OnMouseMove(int32_t x, int32_t y);
    bool OnMouseUp(int32_t x, int32_t y, int32_t button);
    bool OnHudMouseUp(int32_t x, int32_t y);
    void UpdateHover(int32_t x, int32_t y);
    void ShowStallInfo(const TLevelStall& stall);
    void SelectGameObject(int32_t stallIndex);
    void SelectSlot(int32_t slotIndex);
    void ClearSelectedStall();
    // The selected slot (deselected and forgotten), or null.
    SSlot* TakeSelectedSlot();
    void StartStallDrag(bool start, int32_t kind, int32_t descriptionId, int32_t a, int32_t b);
    void SetDragPosition(int32_t x, int32_t y);
    void CancelStallDrag();
    // Makes the stall of the kind for the description id and drags it;
    // false (nothing made) for a kind or id the level lacks.
    bool BuyStall(int32_t kind, int32_t descriptionId);
    void BuySlot(int32_t slotIndex, bool free);
    void OnSlotBought(int32_t slotId);

    // --- Stall actions (StallActions.cpp) ---
    void DoStallAction(int32_t stallId, int32_t finished, int32_t entered, bool pay);

    // --- ILevelContext ---
    TClock& GetMainClock() override { return mainClock_; }
    TClock& GetEffectClock() override { return effectClock_; }
    TClock& GetWalkerClock() override { return walkerClock_; }
    int32_t Random() override;
    WalkGrid& GetWalkGrid() override { return *grid_; }
    const SGameObjectCommon& GetCommon() const override { return common_; }
    const std::vector<TPoint>& GetCustomerEntries() const override { return customerEntries_; }
    const std::vector<TPoint>& GetMonsterEntries() const override { return monsterEntries_; }
    int32_t GetLevelNumber() const override { return levelNumber_; }
    int32_t GetLocationNumber() const override { return location_; }
    int32_t GetSlotCount() const override { return static_cast<int32_t>(slots_.size()); }
    TPoint GetSlotPosition(int32_t slotIndex) const override;
    bool IsSlotAt(int32_t x, int32_t y) const override;
    void SetSlotEffectAlpha(int32_t slotIndex, float alpha) override;
    void FreeSlot(int32_t slotIndex) override;
    void ResetSlot(int32_t slotIndex) override;
    int32_t GetStallCount() const override { return static_cast<int32_t>(stalls_.size()); }
    TLevelStall* GetStallAt(int32_t index) override;
    TLevelStall* FindStall(int32_t stallId) override;
    int32_t GetSelectedStallId() const override { return selectedStall_; }
    int32_t GetMonsterCount() const override { return static_cast<int32_t>(monsters_.size()); }
    TLevelWalker* GetMonsterAt(int32_t index) override;
    TLevelWalker* FindMonster(int32_t walkerId) override;
    void RemoveCustomer(int32_t walkerId) override;
    int32_t SumStallsByType(int32_t bonusType, int32_t x, int32_t y) override;
    void DrawCustomerById(int32_t walkerId) override;
    void DrawCourierById(int32_t walkerId) override;
    Economic& GetEconomic() override { return *economic_; }
    bool IsWinSequenceRunning() const override { return winRunning_; }
    std::unique_ptr<IObjectEffect> NewActionEffect() override;
    void SpawnManaDrop(TFloatPoint from, int32_t amount) override;
    void SpawnMonsterClickEffect(int32_t x, int32_t y, int32_t n) override;
    void StrikeLightning(int32_t stallId, int32_t monsterId) override;
    void ShowHint(int32_t hint) override;
    void SelectTab(int32_t tab, bool force) override;
    void RefreshButtonInfo() override;
    void SetProfitBarComplete(bool complete) override;
    float GetTimeLeftFraction() const override;
    bool IsBadgeShown() const override;
    void AddMonsterKill(int32_t monsterType) override;
    void PlaySound(const TString& name, bool loop) override;
    void StopSound(const TString& name) override;

    // --- What the HUD, the helper, the level screen and tests read ---
    bool IsRunning() const { return running_; }
    void SetRunning(bool on) { running_ = on; }
    // Not running and not being won (a new level screen).
    void ClearRunningFlags()
    {
        running_ = false;
        winRunning_ = false;
    }
    bool HasEconomic() const { return economic_ != nullptr; }
    ILevelHud& GetHud();
    SSlot* GetSlot(int32_t index);
    int32_t GetSelectedSlot() const { return selectedSlot_; }
    bool IsDragging() const { return dragging_; }
    bool IsDragDelayed() const { return dragDelay_; }
    TLevelStall* GetDraggedStall() const { return dragged_.get(); }
    TPoint GetDragPosition() const { return {dragX_, dragY_}; }
    TPoint GetDragValues() const { return {dragA_, dragB_}; }
    TPoint GetLastMouse() const { return lastMouse_; }
    int32_t GetGoodsSold() const { return goodsSold_; }
    void SetGoodsSold(int32_t n) { goodsSold_ = n; }
    int32_t GetSlotsBought() const { return slotsBought_; }
    int32_t GetCustomerCount() const { return static_cast<int32_t>(customers_.size()); }
    int32_t GetCourierCount() const { return static_cast<int32_t>(couriers_.size()); }
    TLevelWalker* GetCustomerAt(int32_t index);
    TLevelWalker* GetCourierAt(int32_t index);
    int32_t GetEffectCount() const { return static_cast<int32_t>(effects_.size()); }
    int32_t GetManaDropCount() const { return static_cast<int32_t>(manaDrops_.size()); }
    int32_t GetLandElementCount() const { return static_cast<int32_t>(landElems_.size()); }
    SLandElem* GetLandElement(int32_t index);
    // The depth list in drawing order.
    const std::vector<ObjectZ*>& GetDepthList() const { return depthList_; }
    int32_t GetNextObjectId() const { return nextObjectId_; }

    SGameInfo& GetGameInfo() { return info_; }
    SGameObjectCommon& GetCommonForLoading() { return common_; }
    SGameOverCaption& GetGameOverCaptionForLoading() { return gameOver_; }
    std::vector<int32_t>& GetTimeFlagsForLoading() { return timeFlags_; }
    SCustomerSettings& GetCustomerSettings() { return customers_settings_; }
    // The next customer check is due at this main clock time.
    void SetNextCustomerCheck(int32_t ms) { nextCustomerCheck_ = ms; }
    std::vector<TPoint>& GetCustomerEntriesForLoading() { return customerEntries_; }
    std::vector<TPoint>& GetMonsterEntriesForLoading() { return monsterEntries_; }
    void SetManaTarget(TFloatPoint target, int32_t flightTime);

    // --- Callbacks the level screen binds ---
    std::function<void()> onOpenMenu;
    std::function<void()> onOpenHelp;
    std::function<void(const SCompleteLevel&)> onResult;
    std::function<void()> onIntro;
    std::function<int32_t(int32_t)> onStartLevel;
    std::function<void()> onAskCloseTutorial;
    // The level screen's pause-request handler (the app reaches it through
    // the running level).
    std::function<void()> onPauseRequest;
    // Set by the level screen before it starts a level.
    bool openIntro = false;

    void OpenInGameMenu();
    void OpenHelp();
    void RequestPause();

    void SetSoundSink(TSoundSink sink) { soundSink_ = std::move(sink); }

private:
    struct SWalkGuard;

    void Init(std::unique_ptr<ILevelFactory> factory, uint32_t seed);
    void SortDepthList();
    void EraseFromDepthList(const ObjectZ* object);
    // Takes the walker out of its list and the depth list; deleted now, or
    // at the end of the walk under way.
    void RemoveWalker(std::vector<std::unique_ptr<TLevelWalker>>& list, int32_t walkerId);
    void Bury(std::unique_ptr<ObjectZ> object);
    bool IsBuried(const ObjectZ* object) const;
    void AddWalker(std::vector<std::unique_ptr<TLevelWalker>>& list, std::unique_ptr<TLevelWalker> walker,
                   int32_t kind, int32_t& spawned);
    // Updates the walkers of a list until the first one done, which goes.
    void UpdateWalkers(std::vector<std::unique_ptr<TLevelWalker>>& list, void (TGameLogic::*remove)(int32_t));
    void UpdateCustomerTraffic();
    void UpdateEffects();
    void UpdateManaDrops();
    void StartWinEffect();
    void StepEffects();
    void StepCaption();
    void DrawWinSequence();
    // Deletes the win particles and the flash; with caption, the rest too.
    void EndWinSequence(bool caption);
    void RestoreStall(const LevelSnapshot::GameObject& record);
    void BindStall(TLevelStall& stall);
    int32_t IndexOfStall(int32_t stallId) const;
    void Sound(const TString& name, bool loop, bool stop);
    void DeleteDragged();
    // Level data steps.
    void ReadGameCaptions(TLevelScript& script, bool monsterMana);
    void LoadDescriptions();
    void ReadLevelInfo(TLevelScript& script);
    void LoadLayout();
    void BuildPrebuiltStall(int32_t slotIndex, int32_t kind, int32_t stallId, int32_t upgrades, bool broken,
                            bool inactive);
    // Stall actions.
    void ApplyActionRow(TLevelStall& stall, int32_t kind, int32_t state, bool finishedSide, int32_t finished,
                        int32_t entered, bool pay);
    void CountTask(const TLevelStall& stall, int32_t counter);
    int32_t Discount(const TLevelStall& stall);

    TClock mainClock_;
    TClock walkerClock_;
    TClock effectClock_;
    TMersenneTwister random_;
    std::unique_ptr<ILevelFactory> factory_;
    SGameInfo info_;
    SGameObjectCommon common_;

    int32_t levelNumber_ = 0;
    int32_t location_ = 0;
    bool running_ = false;
    std::vector<TPoint> customerEntries_;
    std::vector<TPoint> monsterEntries_;

    std::vector<std::unique_ptr<SStallDesc>> descriptions_[3];
    std::vector<SStallCounters> counters_[3];

    std::vector<std::unique_ptr<TLevelStall>> stalls_;
    int32_t stallsAdded_ = 0;
    int32_t selectedStall_ = -1;  // stall id
    int32_t selectedSlot_ = -1;   // slot index

    bool dragging_ = false;
    bool dragVisible_ = false;
    std::unique_ptr<TLevelStall> dragged_;
    int32_t dragX_ = 0;
    int32_t dragY_ = 0;
    bool dragDelay_ = false;
    int32_t dragDelayCount_ = 0;
    int32_t dragDelayLimit_ = 4;
    int32_t dragA_ = 0;
    int32_t dragB_ = 0;
    TPoint lastMouse_;
    int32_t goodsSold_ = 0;

    std::vector<SpawnEvent> spawnQueue_;
    std::vector<std::unique_ptr<TLevelWalker>> monsters_;
    int32_t monstersSpawned_ = 0;
    std::vector<std::unique_ptr<TLevelWalker>> couriers_;
    int32_t couriersSpawned_ = 0;
    std::vector<std::unique_ptr<TLevelWalker>> customers_;
    int32_t customersSpawned_ = 0;
    SCustomerSettings customers_settings_;
    int32_t nextCustomerCheck_ = 0;

    std::vector<std::unique_ptr<TMyParticle>> effects_;
    std::vector<std::unique_ptr<SSlot>> slots_;
    int32_t nextSlotId_ = 0;
    int32_t slotsBought_ = 0;
    std::vector<std::unique_ptr<SLandElem>> landElems_;
    std::vector<std::unique_ptr<SGroundElem>> groundElems_;
    // Ground elements and slots, drawn before the depth list.
    std::vector<ObjectZ*> groundList_;
    std::vector<ObjectZ*> depthList_;
    int32_t nextObjectId_ = 0;

    std::unique_ptr<Economic> economic_;
    std::unique_ptr<WalkGrid> grid_;
    std::unique_ptr<ILevelHud> hud_;
    std::unique_ptr<TLevelLightning> lightning_;
    std::vector<std::unique_ptr<TLevelManaDrop>> manaDrops_;
    TFloatPoint manaTarget_;
    int32_t manaFlightTime_ = 1000;

    bool winRunning_ = false;
    uint32_t winStart_ = 0;
    bool winEffect_ = false;
    // The won level's result went out; cleared with the level.
    bool winReported_ = false;
    std::unique_ptr<SWinSequence> win_;

    bool paused_ = false;
    bool partial_ = false;

    // Objects removed while a walk is under way, deleted when it ends.
    int32_t walking_ = 0;
    std::vector<std::unique_ptr<ObjectZ>> buried_;
    TSoundSink soundSink_;

    // Level data.
    bool restoring_ = false;
    std::array<std::vector<int32_t>, 3> stallUse_;
    int32_t levelLocation_ = 0;
    SGameOverCaption gameOver_;
    std::vector<int32_t> timeFlags_;
    SLevelStory story_;
    SMonsterMana monsterMana_;
    int32_t landWorker_ = 1;
    int32_t landMana_ = 100;
    std::unique_ptr<TMySprite> background_;
    std::unique_ptr<TMySprite> backgroundSnow_;
};
