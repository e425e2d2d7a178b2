// ILevelHud and ILevelHelper: what the level logic calls of the in-level HUD
// and of the helper character, which live in a library above this one. The
// game's wiring installs the real ones (SetLevelHudMaker, SetLevelHelper);
// until then a HUD and a helper that do nothing and take no clicks stand in.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/String.h"
#include "game/app/LevelSnapshot.h"

class TGameLogic;

class ILevelHud
{
public:
    virtual ~ILevelHud() = default;

    virtual void Update() {}
    virtual void Draw() {}

    // --- Input: true when the HUD took the event ---
    virtual bool OnMouseDown(int32_t x, int32_t y) { return (void)x, (void)y, false; }
    // (400, 600) clears the hover.
    virtual bool OnMouseMove(int32_t x, int32_t y) { return (void)x, (void)y, false; }
    virtual bool OnMouseUp(int32_t x, int32_t y) { return (void)x, (void)y, false; }
    // The menu and help buttons' hover.
    virtual void UpdateButtonHover(int32_t x, int32_t y) { (void)x, (void)y; }
    // The little info window's and the task hint's hover.
    virtual void UpdateInfoHover(int32_t x, int32_t y) { (void)x, (void)y; }

    // --- Tabs: 0 mana shop, 5 the selected stall's services, 6 land ---
    virtual void SelectTab(int32_t tab, bool force) { (void)tab, (void)force; }
    // -1 when none is open.
    virtual int32_t GetCurrentTab() const { return -1; }
    virtual void RefreshButtonInfo() {}

    // --- The stall info window ---
    // Shows the stall's info at (x, y) after its delay.
    virtual void ShowStallInfo(int32_t stallId, int32_t x, int32_t y) { (void)stallId, (void)x, (void)y; }
    // -1 when the window shows no stall.
    virtual int32_t GetShownStallId() const { return -1; }
    virtual void ClearStallInfo() {}

    // --- The middle info window (slots and monsters) ---
    virtual void ShowSlotInfo(int32_t slotIndex, int32_t x, int32_t y) { (void)slotIndex, (void)x, (void)y; }
    virtual void ShowMonsterInfo(int32_t walkerId, int32_t x, int32_t y) { (void)walkerId, (void)x, (void)y; }
    // Whether it shows that slot (kind 0) or monster (kind 1).
    virtual bool IsMiddleInfoShownFor(int32_t kind, int32_t id) const { return (void)kind, (void)id, false; }
    virtual void ResetMiddleInfo() {}

    // --- Read-outs and the level clock ---
    // The level's time limit; the clock starts running against the main clock.
    virtual void StartClock(int32_t minutes, int32_t seconds) { (void)minutes, (void)seconds; }
    virtual void SetExpertTime(int32_t minutes, int32_t seconds) { (void)minutes, (void)seconds; }
    // Recomputes the dial at once (after a restored level moved the clock).
    virtual void UpdateClock() {}
    // The build tabs' new-draft marks, once the level's offers are read.
    virtual void InitDraftCounters() {}
    virtual void SetProfitBarComplete(bool complete) { (void)complete; }
    // 2 when the time ran out, 1 at least the expert time left, else 0.
    virtual int32_t GetTimeGrade() const { return 0; }
    // The fraction of the level time left.
    virtual float GetTimeLeftFraction() const { return 1.0f; }
    // The badge threshold: badges show while it is at most the level's counter.
    virtual int32_t GetBadgeThreshold() const { return 0; }
    virtual void AddMonsterKill(int32_t monsterType) { (void)monsterType; }
    // The level intro closed: the level clock starts.
    virtual void OnIntroClosed() {}

    // --- Level tasks ---
    // One condition of a level task. key is "T-C": the task number, a minus
    // and the condition's index; a is a stall kind (0 attraction, 1 trade,
    // 2 bonus) and b a stall id for the kinds that name a stall.
    virtual void AddTaskCondition(int32_t kind, int32_t value, const TString& key, int32_t a, int32_t b, int32_t c)
    {
        (void)kind, (void)value, (void)key, (void)a, (void)b, (void)c;
    }
    // Every condition of every task, in order, with its kind, stall kind (a)
    // and stall id (b); the visitor may rewrite the id (the level turns stall
    // ids into description indices once its descriptions are ordered).
    using TConditionVisitor = std::function<void(int32_t kind, int32_t stallKind, int32_t& stallId)>;
    virtual void VisitTaskConditions(const TConditionVisitor& visit) { (void)visit; }
    // The level's tasks and how many of them are complete.
    virtual int32_t GetTaskCount() const { return 0; }
    virtual int32_t GetCompletedTaskCount() const { return 0; }

    // --- What a saved level keeps of the HUD ---
    // The (stall kind, description index) pairs whose draft was paid in
    // this level.
    virtual std::vector<LevelSnapshot::PayDraft> GetPayDrafts() const { return {}; }
    virtual void SetPayDrafts(const std::vector<LevelSnapshot::PayDraft>& drafts) { (void)drafts; }
    // The monster kills, one count per monster type.
    virtual std::vector<int32_t> GetMonsterKills() const { return {}; }
    virtual void SetMonsterKills(const std::vector<int32_t>& kills) { (void)kills; }
};

class ILevelHelper
{
public:
    virtual ~ILevelHelper() = default;

    // The helper is active in this level.
    virtual bool IsActiveInLevel() const { return false; }
    // A tutorial part is shown.
    virtual bool IsTutorialRunning() const { return false; }
    // The tutorial holds the game: a resume leaves the simulation stopped.
    virtual bool IsHoldingGame() const { return false; }
    // The current tutorial part's click type.
    virtual int32_t GetClickType() const { return -1; }
    // The tutorial's click filter.
    virtual bool AllowsClick(int32_t x, int32_t y) const { return (void)x, (void)y, true; }
    virtual void ShowHint(int32_t hint) { (void)hint; }
    // False when the point is on the helper's button.
    virtual bool OnMouseMove(int32_t x, int32_t y) { return (void)x, (void)y, true; }
    virtual void Update() {}
    virtual void DrawLowerLayer() {}
    virtual void DrawUpperLayer() {}
    // The level's pictures go with the level.
    virtual void ReleaseImages() {}
    // The player closed the tutorial (its closed flag is set).
    virtual void SetTutorialClosed() {}
    // Closes the speech bubble (animated: with its closing animation).
    virtual void CloseBubble(bool animated) { (void)animated; }
};

// Makes the HUD of a level for its level logic.
using TLevelHudMaker = std::function<std::unique_ptr<ILevelHud>(TGameLogic& level)>;

// The level start asks the maker for each level's HUD; an empty maker (the
// default) gives the do-nothing HUD.
void SetLevelHudMaker(TLevelHudMaker maker);
// A new HUD: the installed maker's, or the do-nothing one (also when the
// maker answers null). Never null.
std::unique_ptr<ILevelHud> MakeLevelHud(TGameLogic& level);

// The helper the level answers to whenever it needs it; borrowed (the level
// never keeps it: the helper ends before the level logic). Null restores the
// do-nothing helper.
void SetLevelHelper(ILevelHelper* helper);
ILevelHelper& GetLevelHelper();

// Forgets the installed maker and helper (the test entry, before each test).
void ResetGameLevelGlobals();
