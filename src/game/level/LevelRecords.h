// The plain records of a level: the game-wide object settings, the stall
// descriptions of the three kinds, the per-description task counters and the
// monster spawn events. The level loader fills them; stalls, walkers, the
// level logic and the HUD read them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/String.h"
#include "core/ValueTypes.h"
#include "game/app/LevelSnapshot.h"

// A per-level value; a level beyond the list (or below 0) reads 0, so a
// description with short lists never reads past them.
inline int32_t LevelValue(const std::vector<int32_t>& list, int32_t level)
{
    return level >= 0 && static_cast<size_t>(level) < list.size() ? list[static_cast<size_t>(level)] : 0;
}

// What every level shares ("gGameObjectCommon", "gLuckyBubble" and a few
// "gMain" values of the game's info script).
struct SGameObjectCommon
{
    using TPath = std::vector<TPoint>;

    // The eight path lists, in this order.
    enum PathList : int32_t
    {
        kRightHouseIn = 0,
        kRightHouseOut,
        kLeftHouseIn,
        kLeftHouseOut,
        kRightStallIn,
        kRightStallOut,
        kLeftStallIn,
        kLeftStallOut,
        kPathListCount,
    };

    // A slot's footprint: cells (column - c + i, row - c + k) for i, k in
    // 0..2c-1 with sumMin < i + k < sumMax and subMin < i - k < subMax.
    int32_t passCnt = 0;
    int32_t sumMin = 0;
    int32_t sumMax = 0;
    int32_t subMin = 0;
    int32_t subMax = 0;
    // Offsets in cells from a slot's cell to the entrance of a right- or
    // left-facing stall.
    TPoint rightEntry;
    TPoint leftEntry;
    // Upgrade star offsets, by level.
    std::vector<TPoint> starPlaces;
    // Each list holds paths (one per service place), each a list of cells.
    std::array<std::vector<TPath>, kPathListCount> paths;
    // Progress bar offsets from an object's position.
    TPoint barFon;
    TPoint barLine;
    // One value per location index.
    std::vector<int32_t> locat;
    int32_t festSaluteTime = 600;
    int32_t festSaluteRandTime = 300;
    std::array<int32_t, 4> festSaluteRect{};
    TPoint festClockPlace;

    struct SLuckyBubble
    {
        TPoint bubble;
        TPoint text;
        int32_t textW = 0;
        int32_t textH = 0;
        TString textFont;
        int32_t textFontSize = 0;
        TFloatVector4 textColor;
    };
    SLuckyBubble luckyBubble;
};

// The caption of a won level ("gGameOverText" of the game's info script).
struct SGameOverCaption
{
    TString pattern;  // the caption text
    std::array<int32_t, 4> drawRect{};
    TString font;
    int32_t width = 0;
    int32_t height = 0;
    int32_t flag = 0;
    TFloatVector4 color;
    TFloatVector4 colorStroke;
    int32_t startSize = 0;
    int32_t middleSize = 0;
    int32_t finishSize = 0;
};

// The story texts of a level ("Story" of its info script).
struct SLevelStory
{
    int32_t startCharacter = 0;
    TString startText;
    int32_t finishCharacter = 0;
    TString finishText;
    TString moneyText;
};

// Where the mana of killed monsters gathers, and its time ("gMonsterMana").
struct SMonsterMana
{
    TFloatPoint at;
    int32_t time = 0;
};

// A stall description: the part every kind has. The kind's tail is in the
// derived record; `kind` says which one it is.
struct SStallDesc
{
    virtual ~SStallDesc() = default;

    int32_t kind = 0;  // TStallKind
    // The file's id while loading; the offering index once resolved.
    int32_t id = 0;
    bool rightSide = false;
    int32_t levelCount = 0;  // upgrade levels (entries of Money.build)
    TString name;
    bool draft = false;
    bool draftAccess = false;
    int32_t draftCost = 0;
    TString clickMask;
    TString breakImage;
    TString sellImage;

    struct SGround
    {
        TString name;
        TPoint at;
    };
    struct SLayer
    {
        TString name;
        int32_t layer = 0;
        TPoint at;
    };
    struct SParticle
    {
        TString file;
        TString image;
        int32_t layer = 0;
        TPoint at;
        int32_t number = 0;
        TPoint at2;
    };
    std::vector<SGround> ground;
    std::vector<SLayer> images;
    std::vector<SLayer> anims;
    std::vector<SParticle> particles;
    TString icon;
    TString iconDisabled;

    struct STimes
    {
        // From the stall file.
        int32_t build = 0;
        int32_t upgrade = 0;
        int32_t repair = 0;
        int32_t crash = 0;
        int32_t pay = 0;
        int32_t preBuy = 0;
        int32_t buy = 0;
        // From the level's info.
        int32_t breakTime = 0;
        int32_t breakRand = 0;
        int32_t sleep = 0;
        int32_t sleepRand = 5000;
        int32_t offer = 0;
        int32_t offerRand = 5000;
    };
    STimes time;

    // Per upgrade level (read with LevelValue).
    struct SMoney
    {
        std::vector<int32_t> build, repair, sell, pay;
    };
    struct SAmounts
    {
        std::vector<int32_t> build, repair, sell;
    };
    SMoney money;
    SAmounts mana;
    SAmounts workers;
    // Bonus stalls only; empty otherwise.
    std::vector<int32_t> lucky;
    std::vector<int32_t> good;
};

struct STradeStallDesc : SStallDesc
{
    STradeStallDesc() { kind = 1; }

    int32_t tradeType = 0;
    std::vector<int32_t> profit;
    std::vector<int32_t> goodStore;
    std::vector<int32_t> goodSub;  // sold per sale tick
    std::vector<int32_t> goodLimit;
    std::vector<int32_t> goodCost;
};

struct SBonusStallDesc : SStallDesc
{
    SBonusStallDesc() { kind = 2; }

    bool local = false;
    int32_t bonusType = 0;
    // Written by the stall itself (values while it works, zeros while locked).
    std::vector<int32_t> bonus;
    std::vector<TString> bonusName;
    std::vector<TString> bonusValueName;
    TString bonusPattern;
    int32_t festWait = 0;
    int32_t festWaitRand = 0;
    int32_t festDuration = 0;
    int32_t festDurationRand = 0;
};

struct SAttrStallDesc : SStallDesc
{
    SAttrStallDesc() { kind = 0; }

    std::vector<int32_t> profit;
    std::vector<int32_t> customerCount;  // FunCustomer.cnt
};

// The seven task counters of one description, as the snapshot stores them.
using SStallCounters = LevelSnapshot::TaskCounters;
enum TStallCounter : int32_t
{
    kCountBuilt = 0,
    kCountUpgraded,
    kCountBroken,
    kCountRepaired,
    kCountCrashed,
    kCountPurchased,
    kCountSold,
};

// A monster wave, its eight values in the snapshot's order.
struct SpawnEvent
{
    int32_t dueTime = 0;          // ms of the main clock
    int32_t repeatInterval = -1;  // -1: once
    int32_t type = 0;             // n of monster_%d.lua
    int32_t entryIndex = 0;       // parameter 1
    int32_t manaReward = 0;       // parameter 2
    int32_t health = 0;           // parameter 3 (handed on as a float)
    int32_t damage = 0;           // parameter 4 (handed on as a float)
    int32_t value = 0;            // parameter 5, to the monster's set-up

    LevelSnapshot::Monster ToSnapshot() const
    {
        return {dueTime, repeatInterval, type, entryIndex, manaReward, health, damage, value};
    }
    static SpawnEvent FromSnapshot(const LevelSnapshot::Monster& m)
    {
        return {m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7]};
    }
    bool operator==(const SpawnEvent&) const = default;
};
