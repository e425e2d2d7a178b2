#include "game/level/support/FakeLevel.h"

#include <algorithm>
#include <cstdlib>

namespace
{

std::string Text(const TString& s)
{
    return std::string(s.CStr());
}

}  // namespace

// --- RecordingEffect ---

void RecordingEffect::SetExtras(std::vector<TString> texts, std::vector<TPoint> points)
{
    record_->texts = std::move(texts);
    record_->points = std::move(points);
}

void RecordingEffect::Start(const TString& script, int32_t x, int32_t y, int32_t effectTime, TClock& clock,
                            int32_t workers)
{
    record_->script = script;
    record_->x = x;
    record_->y = y;
    record_->effectTime = effectTime;
    record_->clock = &clock;
    record_->workers = workers;
    record_->started = true;
}

// --- FakeStall ---

FakeStall::FakeStall(int32_t stallId, int32_t stallKind, int32_t px, int32_t py)
{
    id = stallId;
    kind = stallKind;
    x = px;
    y = py;
    depth = py + 2;
    state = kStateWorking;
}

void FakeStall::CreateSprites(int32_t stallId, int32_t px, int32_t py)
{
    id = stallId;
    x = px;
    y = py;
    depth = py;
}

void FakeStall::SetPosition(int32_t px, int32_t py)
{
    x = px;
    y = py;
    depth = py + 2;
}

bool FakeStall::HitTest(int32_t px, int32_t py)
{
    return std::abs(px - x) <= hitHalfWidth && std::abs(py - y) <= hitHalfHeight;
}

void FakeStall::Work(bool enter)
{
    if (!enter) return;
    Report(kStateWorking);
    buyerWaiting = false;
}

void FakeStall::Build(bool enter)
{
    if (enter) Report(kStateBuilding);
}

void FakeStall::Upgrade(bool enter)
{
    if (!enter) return;
    Report(kStateUpgrading);
    ++level;
}

void FakeStall::Break(bool enter, bool noEffect)
{
    (void)noEffect;
    if (enter) Report(kStateBroken);
}

void FakeStall::Repair(bool enter)
{
    if (enter) Report(kStateRepairing);
}

void FakeStall::Crash(bool enter)
{
    if (enter) Report(kStateCrashing);
}

void FakeStall::Purchase(bool enter)
{
    if (!enter) return;
    offerOn = true;
    Report(kStatePurchase);
}

void FakeStall::FindBuyer(bool enter)
{
    if (enter) Report(kStateFindBuyer);
}

void FakeStall::Sell(bool enter)
{
    if (enter) Report(kStateSelling);
}

void FakeStall::RemoveUpgradeLevel()
{
    if (level <= 0) return;
    if (stateChanged) stateChanged(id, kStateLevelChange, kStateLevelRemoved);
    --level;
    if (stateChanged) stateChanged(id, kStateLevelRemoved, kStateLevelChange);
}

int32_t FakeStall::SellGoods(int32_t amount)
{
    goods -= amount;
    if (goods > 0) return amount;
    const int32_t left = goods;
    goods = 0;
    return left;
}

bool FakeStall::IsInArea(int32_t px, int32_t py) const
{
    if (!active) return false;
    return std::any_of(area.begin(), area.end(), [&](const TPoint& p) { return p.x == px && p.y == py; });
}

int32_t FakeStall::FindFreePlace() const
{
    for (size_t i = 0; i < occupants.size(); ++i)
        if (occupants[i] < 0) return static_cast<int32_t>(i);
    return -1;
}

void FakeStall::OccupyPlace(int32_t walkerId, int32_t index)
{
    placeCalls.push_back("occupy " + std::to_string(walkerId) + " " + std::to_string(index));
    if (index >= 0 && static_cast<size_t>(index) < occupants.size()) occupants[static_cast<size_t>(index)] = walkerId;
}

void FakeStall::FreePlace(int32_t walkerId, int32_t index)
{
    placeCalls.push_back("free " + std::to_string(walkerId) + " " + std::to_string(index));
    if (index >= 0 && static_cast<size_t>(index) < occupants.size()) occupants[static_cast<size_t>(index)] = -1;
}

void FakeStall::RemoveVisitor(int32_t walkerId)
{
    auto it = std::find(visitors.begin(), visitors.end(), walkerId);
    if (it != visitors.end()) visitors.erase(it);
}

std::vector<TPoint> FakeStall::GetPlacePathIn(int32_t index) const
{
    if (index < 0 || static_cast<size_t>(index) >= pathsIn.size()) return {};
    return pathsIn[static_cast<size_t>(index)];
}

std::vector<TPoint> FakeStall::GetPlacePathOut(int32_t index) const
{
    if (index < 0 || static_cast<size_t>(index) >= pathsOut.size()) return {};
    return pathsOut[static_cast<size_t>(index)];
}

void FakeStall::Report(int32_t entered)
{
    const int32_t left = state;
    reports.emplace_back(left, entered);
    if (stateChanged) stateChanged(id, left, entered);
    state = entered;
}

// --- FakeWalker ---

FakeWalker::FakeWalker(int32_t walkerKind, int32_t walkerType, int32_t targetStall)
    : type(walkerType), targetStallId(targetStall)
{
    kind = walkerKind;
}

void FakeWalker::CreateSprites(int32_t walkerId, int32_t px, int32_t py)
{
    id = walkerId;
    setupX = px;
    setupY = py;
}

void FakeWalker::Spawn(int32_t walkerId, int32_t px, int32_t py, int32_t value)
{
    spawnValue = value;
    CreateSprites(walkerId, px, py);
}

void FakeWalker::SetSpawnParameters(int32_t entry, int32_t mana, float hp, float dmg)
{
    entryIndex = entry;
    manaReward = mana;
    health = hp;
    damage = dmg;
}

bool FakeWalker::OnClick(int32_t px, int32_t py)
{
    (void)px, (void)py;
    if (dying || !clickable) return false;
    ++clicks;
    return true;
}

void FakeWalker::Die(bool silent)
{
    if (dying) return;
    dying = true;
    ++deaths;
    if (silent) ++silentDeaths;
}

// --- FakeLevel ---

FakeLevel::FakeLevel()
{
    mainClock.Start();
    effectClock.Start();
    walkerClock.Start();
    random_.Seed(1);
    economic = std::make_unique<Economic>(*this);
}

FakeLevel::~FakeLevel()
{
    // Walkers and stalls may ask the level while they go; they go first.
    customers.clear();
    couriers.clear();
    monsters.clear();
    stalls.clear();
}

int32_t FakeLevel::Random()
{
    if (randomDraws.empty()) return static_cast<int32_t>(random_.Next() >> 17);
    const int32_t draw = randomDraws[nextDraw % randomDraws.size()];
    ++nextDraw;
    return draw;
}

TPoint FakeLevel::GetSlotPosition(int32_t slotIndex) const
{
    if (slotIndex < 0 || slotIndex >= GetSlotCount()) return {};
    return slots[static_cast<size_t>(slotIndex)].at;
}

bool FakeLevel::IsSlotAt(int32_t x, int32_t y) const
{
    return std::any_of(slots.begin(), slots.end(), [&](const SFakeSlot& s) { return s.at.x == x && s.at.y == y; });
}

void FakeLevel::SetSlotEffectAlpha(int32_t slotIndex, float alpha)
{
    if (slotIndex >= 0 && slotIndex < GetSlotCount()) slots[static_cast<size_t>(slotIndex)].alpha = alpha;
}

void FakeLevel::FreeSlot(int32_t slotIndex)
{
    calls.push_back("free-slot " + std::to_string(slotIndex));
    if (slotIndex >= 0 && slotIndex < GetSlotCount()) slots[static_cast<size_t>(slotIndex)].free = true;
}

void FakeLevel::ResetSlot(int32_t slotIndex)
{
    calls.push_back("reset-slot " + std::to_string(slotIndex));
    if (slotIndex >= 0 && slotIndex < GetSlotCount())
    {
        slots[static_cast<size_t>(slotIndex)].free = false;
        slots[static_cast<size_t>(slotIndex)].forSale = true;
    }
}

TLevelStall* FakeLevel::GetStallAt(int32_t index)
{
    if (index < 0 || index >= GetStallCount()) return nullptr;
    return stalls[static_cast<size_t>(index)].get();
}

TLevelStall* FakeLevel::FindStall(int32_t stallId)
{
    for (auto& s : stalls)
        if (s->id == stallId) return s.get();
    return nullptr;
}

TLevelWalker* FakeLevel::GetMonsterAt(int32_t index)
{
    if (index < 0 || index >= GetMonsterCount()) return nullptr;
    return monsters[static_cast<size_t>(index)].get();
}

TLevelWalker* FakeLevel::FindMonster(int32_t walkerId)
{
    for (auto& m : monsters)
        if (m->id == walkerId) return m.get();
    return nullptr;
}

void FakeLevel::RemoveCustomer(int32_t walkerId)
{
    calls.push_back("remove-customer " + std::to_string(walkerId));
    auto it = std::find_if(customers.begin(), customers.end(), [&](const auto& c) { return c->id == walkerId; });
    if (it != customers.end()) customers.erase(it);
}

int32_t FakeLevel::SumStallsByType(int32_t bonusType, int32_t x, int32_t y)
{
    int32_t sum = 0;
    for (auto& s : stalls)
    {
        if (s->kind != kStallBonus || !s->active || s->state != kStateWorking || s->description == nullptr) continue;
        const auto& desc = static_cast<const SBonusStallDesc&>(*s->description);
        if (desc.bonusType != bonusType) continue;
        if ((x != 0 || y != 0) && !s->IsInArea(x, y)) continue;
        sum += LevelValue(desc.bonus, s->level);
    }
    return sum;
}

std::unique_ptr<IObjectEffect> FakeLevel::NewActionEffect()
{
    effects.push_back(std::make_shared<SEffectRecord>());
    return std::make_unique<RecordingEffect>(effects.back());
}

void FakeLevel::SpawnManaDrop(TFloatPoint from, int32_t amount)
{
    calls.push_back("mana " + std::to_string(static_cast<int>(from.x)) + "," +
                    std::to_string(static_cast<int>(from.y)) + " " + std::to_string(amount));
}

void FakeLevel::SpawnMonsterClickEffect(int32_t x, int32_t y, int32_t n)
{
    calls.push_back("click " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(n));
}

void FakeLevel::StrikeLightning(int32_t stallId, int32_t monsterId)
{
    calls.push_back("strike " + std::to_string(stallId) + " " + std::to_string(monsterId));
}

void FakeLevel::ShowHint(int32_t hint)
{
    calls.push_back("hint " + std::to_string(hint));
}

void FakeLevel::SelectTab(int32_t tab, bool force)
{
    calls.push_back("tab " + std::to_string(tab) + (force ? " force" : " -"));
}

void FakeLevel::RefreshButtonInfo()
{
    calls.push_back("refresh");
}

void FakeLevel::AddMonsterKill(int32_t monsterType)
{
    calls.push_back("kill " + std::to_string(monsterType));
    if (monsterType < 0) return;
    if (kills.size() <= static_cast<size_t>(monsterType)) kills.resize(static_cast<size_t>(monsterType) + 1, 0);
    ++kills[static_cast<size_t>(monsterType)];
}

void FakeLevel::PlaySound(const TString& name, bool loop)
{
    calls.push_back((loop ? "loop " : "sound ") + Text(name));
}

void FakeLevel::StopSound(const TString& name)
{
    calls.push_back("stop " + Text(name));
}

FakeStall& FakeLevel::AddStall(int32_t stallId, int32_t kind, int32_t x, int32_t y)
{
    stalls.push_back(std::make_unique<FakeStall>(stallId, kind, x, y));
    return static_cast<FakeStall&>(*stalls.back());
}

FakeWalker& FakeLevel::AddWalker(int32_t walkerId, int32_t kind)
{
    auto walker = std::make_unique<FakeWalker>(kind, 0);
    walker->id = walkerId;
    FakeWalker& w = *walker;
    if (kind == kWalkerMonster)
        monsters.push_back(std::move(walker));
    else if (kind == kWalkerCourier)
        couriers.push_back(std::move(walker));
    else
        customers.push_back(std::move(walker));
    return w;
}

void FakeLevel::AddSlot(int32_t x, int32_t y)
{
    SFakeSlot slot;
    slot.at = {x, y};
    slots.push_back(slot);
}

std::vector<std::string> FakeLevel::CallsOf(const std::string& prefix) const
{
    std::vector<std::string> out;
    for (const std::string& c : calls)
        if (c.compare(0, prefix.size(), prefix) == 0) out.push_back(c);
    return out;
}
