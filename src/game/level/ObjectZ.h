// ObjectZ: a drawable thing on the level map, kept by the level logic in its
// depth or ground list; and the two kinds of it the level drives without
// knowing their classes: TLevelStall (stalls) and TLevelWalker (customers,
// couriers and monsters). The level reads and calls only what is here; the
// stall and walker classes derive from these and fill the rest in.
//
// Objects never keep pointers to each other: they hold ids and look the
// other up through ILevelContext each time (nothing found: it is gone).
#pragma once

#include <cstdint>
#include <functional>

#include <vector>

#include "core/Clock.h"
#include "core/String.h"
#include "core/ValueTypes.h"

struct SStallDesc;

class ObjectZ
{
public:
    virtual ~ObjectZ() = default;

    virtual void Update() = 0;
    virtual void Draw() = 0;

    // Smaller depths are drawn first; -1 until placed.
    int32_t depth = -1;
    // Given by the level from its running counter; -1 until given.
    int32_t objectId = -1;
    // The level draws (and hit-tests) depth-list objects only while set.
    bool visible = true;
    // 1 marks a slot in the ground list; -1 for everything else.
    int32_t elementTag = -1;
};

// Stall kinds, as descriptions and stalls carry them.
enum TStallKind : int32_t
{
    kStallAttraction = 0,
    kStallTrade = 1,
    kStallBonus = 2,
};

// Stall states as stalls report them to the level's action dispatcher; 10
// and the pseudo-states are reported only around an upgrade level being
// taken away (10 -> -100, -100 -> 10) and a finished crash (6 -> -1).
enum TStallState : int32_t
{
    kStateIdle = 0,
    kStateWorking = 1,
    kStateBuilding = 2,
    kStateUpgrading = 3,
    kStateBroken = 4,
    kStateRepairing = 5,
    kStateCrashing = 6,
    kStatePurchase = 7,
    kStateFindBuyer = 8,
    kStateSelling = 9,
    kStateLevelChange = 10,
    kStateLevelRemoved = -100,
    kStateGone = -1,
};

class TLevelStall : public ObjectZ
{
public:
    // Reports every change of state: (stall id, state left, state entered).
    using TStateCallback = std::function<void(int32_t stallId, int32_t finished, int32_t entered)>;
    // Draws the walker with this id (occupants and visitors).
    using TDrawWalker = std::function<void(int32_t walkerId)>;
    // A trade stall's income: (amount, stall id), bound to the economy.
    using TIncomeCallback = std::function<void(int32_t amount, int32_t stallId)>;

    // --- Fields the level, the HUD and the walkers read or write ---
    int32_t id = -1;      // stall id; every look-up uses it
    int32_t kind = kStallAttraction;
    // The description's index in its kind's list once ids are resolved.
    int32_t descriptionId = -1;
    int32_t slotIndex = -1;
    int32_t state = kStateIdle;
    int32_t level = 0;  // upgrade level, 0 at build
    int32_t x = 0;
    int32_t y = 0;
    bool rightSide = true;
    // Owned and running; false while it stands locked on its slot for sale.
    bool active = true;
    // The level deletes the stall on its next update.
    bool removeMe = false;
    bool selected = false;
    // A locked stall's purchase offer is open (set before it reports the
    // start of a purchase, so the dispatcher books it).
    bool offerOn = false;
    // A buyer was found (end of state 8); stays set until Work or Sell.
    bool buyerWaiting = false;
    // The HUD's stall info refreshes and clears it.
    bool infoChanged = false;
    // While not 0 walkers (and monsters) do not pick the stall.
    int32_t outOfService = 0;
    // The anchor cell on the walk grid; walkers walk to it.
    int32_t placeOffsetX = 0;
    int32_t placeOffsetY = 0;
    // The courier on its way here (walker id), -1 for none.
    int32_t courierId = -1;
    int32_t refund = 0;        // handed back when crashed
    int32_t offer = 0;         // what a buyer pays (sale)
    int32_t price = 0;         // purchase price of a locked stall
    int32_t coverageNeed = 0;  // bonus stalls that need coverage

    // The stall's description, set by whoever makes the stall (the record of
    // the stall's kind; owned by the level, which outlives its stalls).
    const SStallDesc* description = nullptr;

    // Paused and resumed with the level.
    TClock clock;

    TStateCallback stateChanged;
    TDrawWalker drawOccupant;
    TDrawWalker drawVisitor;
    TIncomeCallback incomeCallback;

    // --- What the level calls ---
    // Makes the pictures; id becomes the stall id.
    virtual void CreateSprites(int32_t stallId, int32_t px, int32_t py) = 0;
    // Moves the stall and its pictures; depth becomes py + 2.
    virtual void SetPosition(int32_t px, int32_t py) = 0;
    virtual void BuildServicePlaces() {}
    // True when the point is on the stall's click picture.
    virtual bool HitTest(int32_t px, int32_t py) { return (void)px, (void)py, false; }
    virtual void SetSelected(bool on) { selected = on; }
    // The attention sign while dragged.
    virtual void SetSelectImage(bool attention) { (void)attention; }
    // The selection or drag overlay, drawn beneath the depth-sorted objects.
    virtual void DrawSelection() {}

    // State entries (true enters, false is the per-frame step).
    virtual void Work(bool enter) = 0;
    virtual void Build(bool enter) { (void)enter; }
    virtual void Upgrade(bool enter) { (void)enter; }
    virtual void Break(bool enter, bool noEffect) { (void)enter, (void)noEffect; }
    virtual void Repair(bool enter) { (void)enter; }
    virtual void Crash(bool enter) { (void)enter; }
    virtual void Purchase(bool enter) { (void)enter; }
    virtual void FindBuyer(bool enter) { (void)enter; }
    virtual void Sell(bool enter) { (void)enter; }
    // Breaks the stall without an effect picture and fades it out; it then
    // flags itself for removal.
    virtual void Destroy() {}
    // True from Destroy until the stall is removed.
    virtual bool IsDestroying() const { return false; }
    virtual void AddUpgradeLevel() {}
    virtual void RemoveUpgradeLevel() {}
    // Stops the break timer (protection, the win sequence).
    virtual void SetTimerNever() {}
    virtual void SetActive(bool on, bool instant) { (void)instant, active = on; }
    virtual void UpdatePrice(bool randomise) { (void)randomise; }
    virtual void UpdateRefund() {}
    virtual void PlayCoin() {}
    virtual void PlayLayerAnims(bool on) { (void)on; }

    // --- Questions ---
    // Whether numbered action (1 to 8) is allowed now.
    virtual bool CanDoAction(int32_t action) const { return (void)action, false; }
    virtual bool IsServiceable(int32_t need) const { return (void)need, false; }
    virtual bool IsWorking() const { return false; }
    virtual int32_t GetCost(int32_t costKind, int32_t type, int32_t atLevel) const
    {
        return (void)costKind, (void)type, (void)atLevel, 0;
    }

    // --- Kind-specific: a stall that does not trade has no goods, sells
    // nothing and has no room; one that is no bonus stall covers nothing ---
    virtual int32_t GetGoods() const { return 0; }
    virtual int32_t GetGoodsRoom() const { return 0; }
    // Returns the amount sold, or the (0 or negative) stock left when this
    // sale empties the stall.
    virtual int32_t SellGoods(int32_t amount) { return (void)amount, 0; }
    virtual void AddGoods(int32_t amount) { (void)amount; }
    // A bonus stall's area (the slot points it covers while active).
    virtual bool IsInArea(int32_t px, int32_t py) const { return (void)px, (void)py, false; }

    // --- Service places and visitors (walkers) ---
    virtual int32_t FindFreePlace() const { return -1; }
    virtual void OccupyPlace(int32_t walkerId, int32_t index) { (void)walkerId, (void)index; }
    virtual void FreePlace(int32_t walkerId, int32_t index) { (void)walkerId, (void)index; }
    virtual void AddVisitor(int32_t walkerId) { (void)walkerId; }
    virtual void RemoveVisitor(int32_t walkerId) { (void)walkerId; }
    // The cells (column, row) a walker walks from the anchor cell into the
    // service place and back out; empty for a place the stall does not have.
    virtual std::vector<TPoint> GetPlacePathIn(int32_t index) const { return (void)index, std::vector<TPoint>(); }
    virtual std::vector<TPoint> GetPlacePathOut(int32_t index) const { return (void)index, std::vector<TPoint>(); }
};

// Walker kinds.
enum TWalkerKind : int32_t
{
    kWalkerCustomer = 0,
    kWalkerCourier = 1,
    kWalkerMonster = 2,
};

class TLevelWalker : public ObjectZ
{
public:
    int32_t id = -1;  // walker id
    int32_t kind = kWalkerCustomer;
    // The level removes the walker once it is set after its update.
    bool done = false;
    // A monster a protecting stall's lightning struck and that has not yet
    // left its area (the stall's scan sets and clears it too).
    bool struck = false;

    // Paused and resumed with the level (monsters with the partial set,
    // customers and couriers only with a full pause).
    TClock walkClock;
    TClock actionClock;
    TClock animClock;

    // Set-up: the kind's count spawned so far and two values.
    virtual void CreateSprites(int32_t walkerId, int32_t px, int32_t py) = 0;
    // A monster's set-up with its spawn event's fifth value; the others
    // ignore the value.
    virtual void Spawn(int32_t walkerId, int32_t px, int32_t py, int32_t value)
    {
        (void)value;
        CreateSprites(walkerId, px, py);
    }
    virtual void OnArrive() {}
    // Where the walker stands (pixels).
    virtual TFloatPoint GetPosition() const { return TFloatPoint(); }

    // The stall the walker is bound for (courier, monster), -1 for none.
    virtual int32_t GetTargetStallId() const { return -1; }
    // The stall is gone: the walker stops counting on it.
    virtual void ForgetTargetStall() {}

    // Customer.
    virtual bool IsLeaving() const { return false; }
    // A customer in the middle of a visit.
    virtual bool IsBusy() const { return false; }
    virtual void Leave() {}
    virtual void BeHappy() {}

    // Courier: the goods it brings.
    virtual void SetLoad(int32_t load) { (void)load; }
    virtual int32_t GetLoad() const { return 0; }

    // Monster: parameters 1 to 4 of its spawn event.
    virtual void SetSpawnParameters(int32_t entryIndex, int32_t manaReward, float health, float damage)
    {
        (void)entryIndex, (void)manaReward, (void)health, (void)damage;
    }
    virtual bool IsDying() const { return false; }
    // A raised shield: lightning leaves the monster alone.
    virtual bool IsShieldOn() const { return false; }
    // A hit of one click's damage: by lightning (a retreat follows) or by a
    // click, shielded when a rising shield takes it.
    virtual void Hit(bool lightning, bool shielded) { (void)lightning, (void)shielded; }
    // The player's click: false while dying or off the monster, else the
    // monster reacts to it and answers true.
    virtual bool OnClick(int32_t px, int32_t py) { return (void)px, (void)py, false; }
    // Hover test only.
    virtual bool HitTest(int32_t px, int32_t py) const { return (void)px, (void)py, false; }
    // Silent: no mana and no kill counted.
    virtual void Die(bool silent) { (void)silent; }
};
