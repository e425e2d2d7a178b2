// The fakes a level logic made on its own is tested with: a factory whose
// stalls and walkers answer what the test scripts (FakeStall, FakeWalker),
// mana drops the test lands, and a HUD and helper that record what the level
// asked of them. Each records into plain public fields.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/level/LevelFactory.h"
#include "game/level/LevelHud.h"
#include "game/level/support/FakeLevel.h"

// A drop that flies until the test lands it.
class FakeManaDrop : public TLevelManaDrop
{
public:
    void Start(TFloatPoint from, TFloatPoint to, int32_t startTime, int32_t duration, int32_t n) override
    {
        start = from;
        target = to;
        startedAt = startTime;
        flightTime = duration;
        amount = n;
        flying = true;
    }
    void Update(int32_t now) override
    {
        lastUpdate = now;
        ++updates;
    }
    void Draw() override {}

    TFloatPoint start;
    TFloatPoint target;
    int32_t startedAt = 0;
    int32_t flightTime = 0;
    int32_t lastUpdate = 0;
    int32_t updates = 0;
};

class FakeLightning : public TLevelLightning
{
public:
    void Strike(int32_t stallId, int32_t monsterId) override { strikes.emplace_back(stallId, monsterId); }
    void Update() override { ++updates; }
    void Draw() override {}
    std::vector<std::pair<int32_t, int32_t>> strikes;
    int32_t updates = 0;
};

class FakeWorkerFigure : public TLevelWorkerFigure
{
public:
    void PlayAnim(const TString& name) override { played.push_back(name.CStr()); }
    void Update() override { ++updates; }
    void Draw() override {}
    std::vector<std::string> played;
    int32_t updates = 0;
};

class FakeFactory : public ILevelFactory
{
public:
    std::unique_ptr<TLevelStall> MakeStall(ILevelContext& level, int32_t kind, const SStallDesc& desc) override;
    std::unique_ptr<TLevelWalker> MakeWalker(ILevelContext& level, int32_t kind, int32_t type,
                                             int32_t targetStallId) override;
    std::unique_ptr<TLevelManaDrop> MakeManaDrop(ILevelContext& level) override;
    std::unique_ptr<TLevelLightning> MakeLightning(ILevelContext& level) override;
    std::unique_ptr<TLevelWorkerFigure> MakeWorkerFigure(ILevelContext& level, int32_t x, int32_t y,
                                                         int32_t workers, TClock& clock) override;

    // What was made, in order (owned by the level; valid while it keeps them).
    std::vector<FakeStall*> stalls;
    std::vector<FakeWalker*> walkers;
    std::vector<FakeManaDrop*> drops;
    FakeLightning* lightning = nullptr;
    std::vector<FakeWorkerFigure*> figures;
    std::vector<int32_t> figureWorkers;
    // Stalls made destroyed so far.
    int32_t stallDeaths = 0;
    // The stock (and limit) every trade stall made starts with.
    int32_t tradeStock = 0;
};

class FakeHud : public ILevelHud
{
public:
    bool OnMouseDown(int32_t x, int32_t y) override;
    bool OnMouseMove(int32_t x, int32_t y) override;
    bool OnMouseUp(int32_t, int32_t) override { return takesUps; }
    void SelectTab(int32_t tab, bool force) override;
    int32_t GetCurrentTab() const override { return tab; }
    void RefreshButtonInfo() override { calls.push_back("refresh"); }
    void ShowStallInfo(int32_t stallId, int32_t, int32_t) override;
    int32_t GetShownStallId() const override { return shownStall; }
    void ClearStallInfo() override { shownStall = -1; }
    void StartClock(int32_t minutes, int32_t seconds) override
    {
        calls.push_back("clock " + std::to_string(minutes) + ":" + std::to_string(seconds));
    }
    void SetExpertTime(int32_t minutes, int32_t seconds) override
    {
        calls.push_back("expert " + std::to_string(minutes) + ":" + std::to_string(seconds));
    }
    void UpdateClock() override { calls.push_back("update clock"); }
    void InitDraftCounters() override { calls.push_back("drafts"); }
    void SetProfitBarComplete(bool complete) override { profitComplete = complete; }
    int32_t GetTimeGrade() const override { return timeGrade; }
    float GetTimeLeftFraction() const override { return timeLeft; }
    int32_t GetBadgeThreshold() const override { return badgeThreshold; }
    void AddMonsterKill(int32_t type) override { calls.push_back("kill " + std::to_string(type)); }
    void OnIntroClosed() override { started = true; }
    void Update() override { ++updates; }
    void AddTaskCondition(int32_t kind, int32_t value, const TString& key, int32_t a, int32_t b, int32_t c) override
    {
        conditions.push_back({kind, value, key.CStr(), a, b, c});
    }
    void VisitTaskConditions(const TConditionVisitor& visit) override
    {
        for (SCondition& condition : conditions) visit(condition.kind, condition.a, condition.b);
    }
    int32_t GetTaskCount() const override { return taskCount; }
    int32_t GetCompletedTaskCount() const override { return completedTasks; }
    std::vector<LevelSnapshot::PayDraft> GetPayDrafts() const override { return drafts; }
    void SetPayDrafts(const std::vector<LevelSnapshot::PayDraft>& d) override { drafts = d; }
    std::vector<int32_t> GetMonsterKills() const override { return kills; }
    void SetMonsterKills(const std::vector<int32_t>& k) override { kills = k; }

    // Clicks inside this band (y >= hudTop) are the HUD's.
    int32_t hudTop = 10000;
    bool takesUps = false;
    int32_t tab = -1;
    int32_t shownStall = -1;
    bool profitComplete = false;
    int32_t timeGrade = 0;
    float timeLeft = 1.0f;
    int32_t badgeThreshold = 0;
    bool started = false;
    int32_t updates = 0;
    std::vector<std::string> calls;
    int32_t taskCount = 0;
    int32_t completedTasks = 0;
    std::vector<LevelSnapshot::PayDraft> drafts;
    std::vector<int32_t> kills;
    // The task conditions as added (the visitor rewrites b in place).
    struct SCondition
    {
        int32_t kind = 0;
        int32_t value = 0;
        std::string key;
        int32_t a = 0;
        int32_t b = 0;
        int32_t c = 0;
        bool operator==(const SCondition&) const = default;
    };
    std::vector<SCondition> conditions;
};

class FakeHelper : public ILevelHelper
{
public:
    bool IsActiveInLevel() const override { return active; }
    bool IsTutorialRunning() const override { return tutorial; }
    bool IsHoldingGame() const override { return holding; }
    int32_t GetClickType() const override { return clickType; }
    bool AllowsClick(int32_t, int32_t) const override { return allows; }
    void ShowHint(int32_t hint) override { hints.push_back(hint); }
    bool OnMouseMove(int32_t, int32_t) override { return moveAnswer; }
    void Update() override { ++updates; }
    void ReleaseImages() override { ++releases; }
    void SetTutorialClosed() override { tutorialClosed = true; }
    void CloseBubble(bool animated) override { bubbleCloses.push_back(animated); }

    bool active = false;
    bool tutorial = false;
    bool holding = false;
    int32_t clickType = -1;
    bool allows = true;
    bool moveAnswer = true;
    std::vector<int32_t> hints;
    int32_t updates = 0;
    int32_t releases = 0;
    bool tutorialClosed = false;
    std::vector<bool> bubbleCloses;
};
