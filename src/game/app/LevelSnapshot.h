// LevelSnapshot: a level in progress as the profile stores it, and the list
// text its lists are stored in: every integer as "%d," and "#" after each
// element ("3,1,0,#7,0,0,#"; an empty list is ""), except the monster-kill
// list, which is one element followed by a single "#" ("2,0,5,#"; no kills
// is "#").
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/String.h"

struct LevelSnapshot
{
    struct Slot
    {
        int32_t id = 0;
        bool forSale = false;
        bool freeForBuilding = false;
        bool operator==(const Slot&) const = default;
    };
    struct GameObject
    {
        int32_t kind = 0;
        int32_t description = 0;
        int32_t slotIndex = 0;
        bool placed = false;
        int32_t upgradeLevel = 0;
        bool broken = false;
        int32_t goodsRoom = 0;
        bool operator==(const GameObject&) const = default;
    };
    struct PayDraft
    {
        int32_t stallKind = 0;
        int32_t description = 0;
        bool operator==(const PayDraft&) const = default;
    };
    // The seven counters of one stall description.
    using TaskCounters = std::array<int32_t, 7>;
    // A pending monster spawn: due time, repeat interval (-1 none), monster
    // type, then the five monster parameters.
    using Monster = std::array<int32_t, 8>;
    // What a stored monster lacking its last value reads back with: the
    // level loader's default for that parameter.
    static constexpr int32_t kDefaultMonsterParam5 = 5000;

    int32_t level = 0;
    bool valid = false;
    int32_t levelTime = 0;  // ms of the level's main clock
    int32_t money = 0;
    int32_t mana = 0;
    int32_t workers = 0;
    std::vector<Slot> slots;
    std::vector<GameObject> gameObjects;
    std::vector<PayDraft> payDrafts;
    std::vector<TaskCounters> tradeTasks;
    std::vector<TaskCounters> bonusTasks;
    std::vector<TaskCounters> attrTasks;
    int32_t goodsSold = 0;
    int32_t slotsBought = 0;
    std::vector<Monster> monsters;
    std::vector<int32_t> monsterKills;

    // Every scalar 0, not valid, every list empty.
    void Clear();
    bool operator==(const LevelSnapshot&) const = default;
};

using SavedGroups = std::vector<std::vector<int32_t>>;

// Parses a stored list text into its groups. "" gives none; each "#" ends a
// group (the text's end ends the last one); "," separates fields, each read
// as an optionally signed decimal (no digits read 0, out-of-range values
// saturate); an empty group ("#") is kept as an empty group. Never fails.
SavedGroups ParseSavedList(const TString& text);
// The list text of groups: "%d," per value and "#" after each group.
TString SavedListText(const SavedGroups& groups);

// The stored texts of each list of a snapshot.
TString SlotListText(const LevelSnapshot& s);
TString GameObjectListText(const LevelSnapshot& s);
TString PayDraftListText(const LevelSnapshot& s);
TString TaskListText(const std::vector<LevelSnapshot::TaskCounters>& tasks);
// All eight values of each spawn.
TString MonsterListText(const LevelSnapshot& s);
TString MonsterKillText(const LevelSnapshot& s);

// Reading back: each list is replaced by one element per group. Missing
// fields read 0 (a monster's missing last value reads kDefaultMonsterParam5);
// surplus fields are ignored; a bool is true for any value but 0.
void ReadSlotList(const TString& text, LevelSnapshot& s);
void ReadGameObjectList(const TString& text, LevelSnapshot& s);
void ReadPayDraftList(const TString& text, LevelSnapshot& s);
void ReadTaskList(const TString& text, std::vector<LevelSnapshot::TaskCounters>& tasks);
void ReadMonsterList(const TString& text, LevelSnapshot& s);
// The first group's values; "" or "#" give no kills.
void ReadMonsterKills(const TString& text, LevelSnapshot& s);
