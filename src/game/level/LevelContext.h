// ILevelContext: the one door through which stalls, walkers, mana drops and
// effects reach the level they live on. The level logic implements it and
// hands it to every object it makes (objects never ask the singleton); tests
// hand them FakeLevel (tests/game/level/support/FakeLevel.h).
//
// Look-ups by id answer null when nothing matches: the object is gone.
// Pointers answered here are for the moment of the call only; keep the id.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/String.h"
#include "core/ValueTypes.h"

class Economic;
class IObjectEffect;
class TClock;
class TLevelStall;
class TLevelWalker;
class WalkGrid;
struct SGameObjectCommon;

class ILevelContext
{
public:
    virtual ~ILevelContext() = default;

    // --- Time and chance ---
    // The simulation's clock (spawns, payouts, mana drops, the slots' signs).
    virtual TClock& GetMainClock() = 0;
    // The win sequence's clock; stalls' one-shot effect animations run on it.
    virtual TClock& GetEffectClock() = 0;
    // The walkers' particle effects; a partial pause leaves it running.
    virtual TClock& GetWalkerClock() = 0;
    // The level's one random source: 0 to 32767.
    virtual int32_t Random() = 0;

    // --- Map ---
    virtual WalkGrid& GetWalkGrid() = 0;
    virtual const SGameObjectCommon& GetCommon() const = 0;
    // The entry points of customers and of monsters (pixels).
    virtual const std::vector<TPoint>& GetCustomerEntries() const = 0;
    virtual const std::vector<TPoint>& GetMonsterEntries() const = 0;
    // The n of the level's files, and its location number.
    virtual int32_t GetLevelNumber() const = 0;
    virtual int32_t GetLocationNumber() const = 0;
    virtual int32_t GetSlotCount() const = 0;
    // A slot's position (pixels, its cell's top-left corner); (0, 0) for an
    // index that has no slot.
    virtual TPoint GetSlotPosition(int32_t slotIndex) const = 0;
    // True when a slot stands exactly at (x, y).
    virtual bool IsSlotAt(int32_t x, int32_t y) const = 0;
    // The slot's own rule for an effect's fade: its base picture takes the
    // alpha, its slot picture too except on locations 1 and 4.
    virtual void SetSlotEffectAlpha(int32_t slotIndex, float alpha) = 0;
    // The stall on the slot is gone (crashed, destroyed): the slot is free
    // for building and shows its pictures again.
    virtual void FreeSlot(int32_t slotIndex) = 0;
    // The slot becomes an empty, unbought one (for sale again).
    virtual void ResetSlot(int32_t slotIndex) = 0;

    // --- Objects ---
    virtual int32_t GetStallCount() const = 0;
    virtual TLevelStall* GetStallAt(int32_t index) = 0;
    virtual TLevelStall* FindStall(int32_t stallId) = 0;
    // -1 when no stall is selected.
    virtual int32_t GetSelectedStallId() const = 0;
    virtual int32_t GetMonsterCount() const = 0;
    virtual TLevelWalker* GetMonsterAt(int32_t index) = 0;
    virtual TLevelWalker* FindMonster(int32_t walkerId) = 0;
    // Removes and deletes the customer; safe while the level walks its lists.
    virtual void RemoveCustomer(int32_t walkerId) = 0;
    // The sum of the bonus amounts of the working bonus stalls of the type,
    // only those whose area holds (x, y) unless both are 0.
    virtual int32_t SumStallsByType(int32_t bonusType, int32_t x, int32_t y) = 0;
    // Draw the walker with this id (stalls draw their occupants and visitors).
    virtual void DrawCustomerById(int32_t walkerId) = 0;
    virtual void DrawCourierById(int32_t walkerId) = 0;

    // --- Economy ---
    virtual Economic& GetEconomic() = 0;
    virtual bool IsWinSequenceRunning() const = 0;

    // --- Effects ---
    // A fresh, empty action effect (its figures come from the level's factory).
    virtual std::unique_ptr<IObjectEffect> NewActionEffect() = 0;
    virtual void SpawnManaDrop(TFloatPoint from, int32_t amount) = 0;
    // Monster click particle n at (x, y).
    virtual void SpawnMonsterClickEffect(int32_t x, int32_t y, int32_t n) = 0;
    virtual void StrikeLightning(int32_t stallId, int32_t monsterId) = 0;

    // --- HUD and helper ---
    virtual void ShowHint(int32_t hint) = 0;
    virtual void SelectTab(int32_t tab, bool force) = 0;
    virtual void RefreshButtonInfo() = 0;
    virtual void SetProfitBarComplete(bool complete) = 0;
    // The fraction of the level time left (1 at the start; 1 without a clock).
    virtual float GetTimeLeftFraction() const = 0;
    // Whether stalls show their badges now.
    virtual bool IsBadgeShown() const = 0;
    // One more kill of the monster type.
    virtual void AddMonsterKill(int32_t monsterType) = 0;

    // --- Sound ---
    // By full "group:path" name, in the effects group.
    virtual void PlaySound(const TString& name, bool loop) = 0;
    virtual void StopSound(const TString& name) = 0;
};
