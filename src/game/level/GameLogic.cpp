// TGameLogic: state, the per-frame update, spawning and removal, pause, the
// end of a level, the sale tick and drawing.
#include "game/level/GameLogic.h"

#include <algorithm>
#include <ctime>

#include "core/Log.h"
#include "game/app/MySoundManager.h"
#include "game/level/ObjectEffect.h"
#include "game/level/WinSequence.h"

namespace
{

const char kClickParticle[] = "images/game_logic/humans/click_particle/monster_click_%d.psi";
const char kClickParticleImage[] = "images/game_logic/humans/click_particle/monster_click";

// What an empty level answers for its HUD.
ILevelHud& NoHud()
{
    static ILevelHud hud;
    return hud;
}

// A factory that makes nothing (a level logic made without one).
class TNoFactory : public ILevelFactory
{
public:
    std::unique_ptr<TLevelStall> MakeStall(ILevelContext&, int32_t, const SStallDesc&) override { return nullptr; }
    std::unique_ptr<TLevelWalker> MakeWalker(ILevelContext&, int32_t, int32_t, int32_t) override { return nullptr; }
    std::unique_ptr<TLevelManaDrop> MakeManaDrop(ILevelContext&) override { return nullptr; }
    std::unique_ptr<TLevelLightning> MakeLightning(ILevelContext&) override { return nullptr; }
    std::unique_ptr<TLevelWorkerFigure> MakeWorkerFigure(ILevelContext&, int32_t, int32_t, int32_t, TClock&) override
    {
        return nullptr;
    }
};

template <class T>
T* ById(const std::vector<std::unique_ptr<T>>& list, int32_t id)
{
    for (const auto& item : list)
        if (item->id == id) return item.get();
    return nullptr;
}

template <class T>
T* AtIndex(const std::vector<std::unique_ptr<T>>& list, int32_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= list.size()) return nullptr;
    return list[static_cast<size_t>(index)].get();
}

}  // namespace

// While alive, removed objects wait in the grave instead of being deleted.
struct TGameLogic::SWalkGuard
{
    explicit SWalkGuard(TGameLogic& level) : level_(level) { ++level_.walking_; }
    ~SWalkGuard()
    {
        if (--level_.walking_ == 0) level_.buried_.clear();
    }
    TGameLogic& level_;
};

TGameLogic::TGameLogic()
{
    Init(std::make_unique<TLevelFactory>(), static_cast<uint32_t>(std::time(nullptr)));
    LoadGameInfo();
}

TGameLogic::TGameLogic(std::unique_ptr<ILevelFactory> factory, uint32_t seed)
{
    Init(std::move(factory), seed);
    LoadGameInfo();
}

void TGameLogic::Init(std::unique_ptr<ILevelFactory> factory, uint32_t seed)
{
    factory_ = factory ? std::move(factory) : std::make_unique<TNoFactory>();
    random_.Seed(seed);
    mainClock_.Start();
    grid_ = std::make_unique<WalkGrid>();
    economic_ = std::make_unique<Economic>(*this);
}

TGameLogic::~TGameLogic()
{
    ClearLevel();
    // Objects made last go first: they may still ask the level on their way.
    buried_.clear();
}

int32_t TGameLogic::Random()
{
    return static_cast<int32_t>(random_.Next() >> 17);
}

ILevelHud& TGameLogic::GetHud()
{
    return hud_ ? *hud_ : NoHud();
}

// --- A level's life ---

void TGameLogic::BeginLevel(int32_t levelNumber, int32_t location)
{
    ClearLevel();
    levelNumber_ = levelNumber;
    location_ = location;
    running_ = true;
    mainClock_.Start();
    walkerClock_.Start();
    effectClock_.Start();
    grid_ = std::make_unique<WalkGrid>();
    economic_ = std::make_unique<Economic>(*this);
    economic_->SetPayoutInterval();
    economic_->SetPayoutInterval(info_.timeTact);
    economic_->SetPayoutNotification([this] { OnSaleTick(); });
    hud_ = MakeLevelHud(*this);
    lightning_ = factory_->MakeLightning(*this);
    nextCustomerCheck_ = 0;
}

void TGameLogic::ClearLevel()
{
    if (TMySoundManager* sounds = TMySoundManager::GetIfMade())
    {
        sounds->PauseMusic();
        sounds->ClearSoundCounts();
    }
    running_ = false;
    for (TClock* clock : {&mainClock_, &walkerClock_, &effectClock_})
    {
        clock->Stop();
        clock->Reset();
    }
    GetLevelHelper().ReleaseImages();
    {
        SWalkGuard guard(*this);
        // Stalls and walkers may reach the level while they go: the lists go
        // before the economy, grid and HUD they ask.
        depthList_.clear();
        groundList_.clear();
        for (auto* list : {&customers_, &couriers_, &monsters_})
        {
            std::vector<std::unique_ptr<TLevelWalker>> doomed;
            doomed.swap(*list);
            doomed.clear();
        }
        std::vector<std::unique_ptr<TLevelStall>> stalls;
        stalls.swap(stalls_);
        stalls.clear();
        dragged_.reset();
    }
    stallsAdded_ = 0;
    selectedStall_ = -1;
    selectedSlot_ = -1;
    dragging_ = false;
    dragVisible_ = false;
    dragDelay_ = false;
    dragDelayCount_ = 0;
    goodsSold_ = 0;
    for (int k = 0; k < 3; ++k)
    {
        descriptions_[k].clear();
        counters_[k].clear();
    }
    monstersSpawned_ = couriersSpawned_ = customersSpawned_ = 0;
    spawnQueue_.clear();
    effects_.clear();
    slots_.clear();
    landElems_.clear();
    groundElems_.clear();
    nextSlotId_ = 0;
    slotsBought_ = 0;
    nextObjectId_ = 0;
    manaDrops_.clear();
    lightning_.reset();
    hud_.reset();
    grid_ = std::make_unique<WalkGrid>();
    economic_ = std::make_unique<Economic>(*this);
    winRunning_ = false;
    winEffect_ = false;
    winReported_ = false;
    EndWinSequence(true);
    customerEntries_.clear();
    monsterEntries_.clear();
    background_.reset();
    backgroundSnow_.reset();
}

void TGameLogic::Update()
{
    SWalkGuard guard(*this);
    // 1. The win sequence runs and, when its time is up, reports.
    if (winRunning_) FinishLevel(true);

    // 2. Stalls; only the last one flagged in this pass goes now.
    int32_t doomed = -1;
    const std::vector<TLevelStall*> stalls = [this] {
        std::vector<TLevelStall*> v;
        v.reserve(stalls_.size());
        for (auto& s : stalls_) v.push_back(s.get());
        return v;
    }();
    for (TLevelStall* stall : stalls)
    {
        if (IsBuried(stall)) continue;
        stall->Update();
        if (stall->removeMe) doomed = stall->id;
    }
    if (doomed != -1) DeleteGameObject(doomed);

    // 3. At most one monster wave a frame.
    if (!winRunning_)
    {
        const uint32_t now = static_cast<uint32_t>(mainClock_.GetTime());
        for (size_t i = 0; i < spawnQueue_.size(); ++i)
        {
            if (static_cast<uint32_t>(spawnQueue_[i].dueTime) >= now) continue;
            const SpawnEvent event = spawnQueue_[i];
            spawnQueue_.erase(spawnQueue_.begin() + static_cast<std::ptrdiff_t>(i));
            SpawnMonster(event);
            break;
        }
    }

    // 4. Monsters.
    UpdateWalkers(monsters_, &TGameLogic::RemoveMonster);
    // 5. Click particles.
    UpdateEffects();
    // 6. Mana drops.
    UpdateManaDrops();
    // 7. Couriers.
    UpdateWalkers(couriers_, &TGameLogic::RemoveCourier);
    // 8. Customers come and go.
    if (!winRunning_) UpdateCustomerTraffic();
    // 9. Customers.
    UpdateWalkers(customers_, &TGameLogic::RemoveCustomer);
    // 10. Slots.
    for (auto& slot : slots_) slot->Update();
    // 11.
    SortDepthList();
    // 12.
    if (dragDelay_ && ++dragDelayCount_ >= dragDelayLimit_) dragDelay_ = false;
    // 13.
    economic_->PayIncome();
    // 14.
    GetHud().Update();
    GetLevelHelper().Update();
    if (lightning_) lightning_->Update();
}

void TGameLogic::UpdateWalkers(std::vector<std::unique_ptr<TLevelWalker>>& list,
                               void (TGameLogic::*remove)(int32_t))
{
    std::vector<TLevelWalker*> walkers;
    walkers.reserve(list.size());
    for (auto& w : list) walkers.push_back(w.get());
    for (TLevelWalker* walker : walkers)
    {
        if (IsBuried(walker)) continue;
        walker->Update();
        if (!walker->done || IsBuried(walker)) continue;
        (this->*remove)(walker->id);
        break;
    }
}

void TGameLogic::UpdateCustomerTraffic()
{
    const int32_t now = mainClock_.GetTime();
    if (now < nextCustomerCheck_) return;
    nextCustomerCheck_ = SaturatedSum(nextCustomerCheck_, customers_settings_.interval);
    // A level without a customer price wants no customers.
    const int32_t price = customers_settings_.price;
    const int32_t target = price > 0 ? economic_->GetIncome() / price : 0;
    int32_t count = 0;
    for (auto& c : customers_)
        if (!c->IsLeaving()) ++count;
    if (count < target)
    {
        int32_t r = Random() % 100;
        const std::vector<int32_t>& weights = customers_settings_.weights;
        for (size_t type = 0; type < weights.size(); ++type)
        {
            if (r < weights[type])
            {
                SpawnCustomer(static_cast<int32_t>(type), 0, 0);
                return;
            }
            r -= weights[type];
        }
        // A draw beyond the weights names no type the level loaded: nobody
        // comes this time.
    }
    else if (count > target && !customers_.empty())
    {
        TLevelWalker& c = *customers_[static_cast<size_t>(Random()) % customers_.size()];
        if (!c.IsBusy() && !c.IsLeaving()) c.Leave();
    }
}

void TGameLogic::UpdateEffects()
{
    for (auto& e : effects_) e->Update();
    effects_.erase(std::remove_if(effects_.begin(), effects_.end(),
                                  [](const std::unique_ptr<TMyParticle>& e) { return e->IsFinished(); }),
                   effects_.end());
}

void TGameLogic::UpdateManaDrops()
{
    int32_t finished = -1;
    const int32_t now = mainClock_.GetTime();
    for (size_t i = 0; i < manaDrops_.size(); ++i)
    {
        TLevelManaDrop& drop = *manaDrops_[i];
        drop.Update(now);
        if (!drop.flying && drop.carrying)
        {
            economic_->AddMana(drop.amount);
            drop.carrying = false;
        }
        if (drop.finished) finished = static_cast<int32_t>(i);
    }
    if (finished >= 0) manaDrops_.erase(manaDrops_.begin() + finished);
}

void TGameLogic::SortDepthList()
{
    // Walkers move a little between frames, so the list is nearly in order:
    // an insertion pass (stable: equal depths keep their order) does it in
    // one sweep. A list far out of order (a fresh level, a wave of spawns)
    // goes to the merge sort once the pass has moved more than a few times
    // the list's length.
    const auto byDepth = [](const ObjectZ* a, const ObjectZ* b) { return a->depth < b->depth; };
    const size_t count = depthList_.size();
    size_t movesLeft = 4 * count;
    for (size_t i = 1; i < count; ++i)
    {
        ObjectZ* held = depthList_[i];
        size_t j = i;
        while (j > 0 && byDepth(held, depthList_[j - 1]))
        {
            if (movesLeft == 0)
            {
                depthList_[j] = held;
                std::stable_sort(depthList_.begin(), depthList_.end(), byDepth);
                return;
            }
            --movesLeft;
            depthList_[j] = depthList_[j - 1];
            --j;
        }
        depthList_[j] = held;
    }
}

void TGameLogic::EraseFromDepthList(const ObjectZ* object)
{
    auto it = std::find(depthList_.begin(), depthList_.end(), object);
    if (it != depthList_.end()) depthList_.erase(it);
}

void TGameLogic::Bury(std::unique_ptr<ObjectZ> object)
{
    if (walking_ > 0)
        buried_.push_back(std::move(object));
    // else it goes here, at the end of this scope.
}

bool TGameLogic::IsBuried(const ObjectZ* object) const
{
    for (const auto& b : buried_)
        if (b.get() == object) return true;
    return false;
}

void TGameLogic::Pause(bool pause, bool partial)
{
    paused_ = pause;
    partial_ = partial;
    auto partialSet = [this](bool stop) {
        auto apply = [stop](TClock& c) {
            if (stop)
                c.Stop();
            else
                c.Start();
        };
        apply(mainClock_);
        apply(effectClock_);
        for (auto& m : monsters_)
        {
            apply(m->walkClock);
            apply(m->actionClock);
            apply(m->animClock);
        }
        for (auto& s : stalls_) apply(s->clock);
        for (auto& slot : slots_)
            if (slot->beingBought) apply(slot->purchaseClock);
    };
    auto walkers = [this](bool stop) {
        auto apply = [stop](TClock& c) {
            if (stop)
                c.Stop();
            else
                c.Start();
        };
        apply(walkerClock_);
        for (auto* list : {&customers_, &couriers_})
            for (auto& w : *list)
            {
                apply(w->walkClock);
                apply(w->actionClock);
                apply(w->animClock);
            }
    };
    ILevelHelper& helper = GetLevelHelper();
    const bool held = helper.IsTutorialRunning() && helper.IsHoldingGame();
    if (pause)
    {
        partialSet(true);
        if (!partial) walkers(true);
        return;
    }
    if (!partial) walkers(false);
    if (!held) partialSet(false);
}

void TGameLogic::FinishLevel(bool won)
{
    if (!won)
    {
        if (winRunning_) return;
        SCompleteLevel result;
        MakeResult(result);
        if (onResult) onResult(result);
        return;
    }
    if (!winRunning_)
    {
        // A won level is reported once: a later win of the same level
        // starts nothing.
        if (winReported_) return;
        winRunning_ = true;
        winStart_ = static_cast<uint32_t>(mainClock_.GetTime());
        StartWinEffect();
    }
    StepEffects();
    const uint32_t now = static_cast<uint32_t>(mainClock_.GetTime());
    if (now - winStart_ < static_cast<uint32_t>(std::max(0, info_.gofTime))) return;
    winRunning_ = false;
    winEffect_ = false;
    winReported_ = true;
    EndWinSequence(false);
    SCompleteLevel result;
    MakeResult(result);
    if (onResult) onResult(result);
}

void TGameLogic::MakeResult(SCompleteLevel& result) const
{
    result.level = levelNumber_ - 1;
    result.result = hud_ ? hud_->GetTimeGrade() : 0;
    result.income = economic_->GetIncome();
    result.money = economic_->GetMoney();
    result.totalMoney = 0;
    result.coverage = economic_->GetCoverage();
    result.goodsSold = goodsSold_;
}

int32_t TGameLogic::RequestStartLevel(int32_t level)
{
    return onStartLevel ? onStartLevel(level) : -1;
}

void TGameLogic::OnIntroClosed()
{
    GetHud().OnIntroClosed();
}

void TGameLogic::OpenInGameMenu()
{
    if (onOpenMenu) onOpenMenu();
}

void TGameLogic::OpenHelp()
{
    if (onOpenHelp) onOpenHelp();
}

void TGameLogic::RequestPause()
{
    if (onPauseRequest) onPauseRequest();
}

void TGameLogic::OnSaleTick()
{
    SWalkGuard guard(*this);
    for (auto& stall : stalls_)
    {
        if (stall->state != kStateWorking || !stall->active) continue;
        if (stall->kind == kStallTrade && stall->GetGoods() > 0 && stall->description != nullptr &&
            stall->description->kind == kStallTrade)
        {
            const auto& desc = static_cast<const STradeStallDesc&>(*stall->description);
            const int32_t before = stall->GetGoods();
            stall->SellGoods(LevelValue(desc.goodSub, stall->level));
            // What the stock lost, never a negative amount.
            goodsSold_ = SaturatedSum(goodsSold_, std::max<int64_t>(0, static_cast<int64_t>(before) - stall->GetGoods()));
            if (stall->GetGoods() > 0) stall->PlayCoin();
        }
        else if (stall->kind == kStallAttraction)
        {
            stall->PlayCoin();
        }
    }
    if (GetHud().GetCurrentTab() == 5) GetHud().RefreshButtonInfo();
}

// --- Spawning and removing ---

void TGameLogic::AddWalker(std::vector<std::unique_ptr<TLevelWalker>>& list, std::unique_ptr<TLevelWalker> walker,
                           int32_t kind, int32_t& spawned)
{
    walker->kind = kind;
    walker->objectId = nextObjectId_++;
    depthList_.push_back(walker.get());
    list.push_back(std::move(walker));
    ++spawned;
    SortDepthList();
}

void TGameLogic::SpawnMonster(SpawnEvent event)
{
    if (event.repeatInterval != -1)
    {
        SpawnEvent again = event;
        again.dueTime = static_cast<int32_t>(static_cast<uint32_t>(event.dueTime) +
                                             static_cast<uint32_t>(event.repeatInterval));
        spawnQueue_.push_back(again);
    }
    std::unique_ptr<TLevelWalker> monster = factory_->MakeWalker(*this, kWalkerMonster, event.type, -1);
    if (!monster) return;
    monster->SetSpawnParameters(event.entryIndex, event.manaReward, static_cast<float>(event.health),
                                static_cast<float>(event.damage));
    monster->Spawn(monstersSpawned_, -1, -1, event.value);
    AddWalker(monsters_, std::move(monster), kWalkerMonster, monstersSpawned_);
}

void TGameLogic::SpawnCustomer(int32_t type, int32_t a, int32_t b)
{
    std::unique_ptr<TLevelWalker> customer = factory_->MakeWalker(*this, kWalkerCustomer, type, -1);
    if (!customer) return;
    customer->CreateSprites(customersSpawned_, a, b);
    AddWalker(customers_, std::move(customer), kWalkerCustomer, customersSpawned_);
}

void TGameLogic::SpawnCourier(int32_t courierType, int32_t stallId, int32_t load, int32_t a, int32_t b)
{
    std::unique_ptr<TLevelWalker> courier = factory_->MakeWalker(*this, kWalkerCourier, courierType, stallId);
    if (!courier) return;
    // The load first: a courier that cannot set out hands it over at once.
    courier->SetLoad(load);
    courier->CreateSprites(couriersSpawned_, a, b);
    AddWalker(couriers_, std::move(courier), kWalkerCourier, couriersSpawned_);
}

void TGameLogic::RemoveWalker(std::vector<std::unique_ptr<TLevelWalker>>& list, int32_t walkerId)
{
    auto it = std::find_if(list.begin(), list.end(), [walkerId](const auto& w) { return w->id == walkerId; });
    if (it == list.end()) return;
    std::unique_ptr<TLevelWalker> walker = std::move(*it);
    list.erase(it);
    EraseFromDepthList(walker.get());
    Bury(std::move(walker));
}

void TGameLogic::RemoveMonster(int32_t walkerId)
{
    RemoveWalker(monsters_, walkerId);
}

void TGameLogic::RemoveCourier(int32_t walkerId)
{
    RemoveWalker(couriers_, walkerId);
}

void TGameLogic::RemoveCustomer(int32_t walkerId)
{
    RemoveWalker(customers_, walkerId);
}

// --- Stalls and slots ---

void TGameLogic::BindStall(TLevelStall& stall)
{
    stall.stateChanged = [this](int32_t id, int32_t finished, int32_t entered) {
        DoStallAction(id, finished, entered, true);
    };
    stall.drawOccupant = [this](int32_t walkerId) { DrawCustomerById(walkerId); };
    stall.drawVisitor = [this](int32_t walkerId) { DrawCourierById(walkerId); };
    if (stall.kind == kStallTrade)
        stall.incomeCallback = [this](int32_t amount, int32_t key) { economic_->AddIncomeSource(amount, key); };
}

void TGameLogic::AddGameObject(std::unique_ptr<TLevelStall> stall, int32_t slotIndex, bool select)
{
    if (!stall) return;
    LogPrintf("\t\tAddGameObject id=%d", stallsAdded_);
    SSlot* slot = GetSlot(slotIndex);
    TPoint base;
    if (slot != nullptr)
    {
        const TGridCell cell = WalkGrid::PixelToCell(slot->x, slot->y);
        const TGridPixel corner = WalkGrid::CellToPixel(cell.column, cell.row, false);
        base = {corner.x, corner.y};
        slot->free = false;
    }
    if (selectedSlot_ >= 0)
        if (SSlot* s = GetSlot(selectedSlot_)) s->selected = false;
    selectedSlot_ = -1;

    TLevelStall& s = *stall;
    s.slotIndex = slotIndex;
    // The entrance is counted in cells from the slot's cell.
    const TGridCell cell = WalkGrid::PixelToCell(base.x, base.y);
    const TPoint entry = s.rightSide ? common_.rightEntry : common_.leftEntry;
    s.placeOffsetX = cell.column + entry.x;
    s.placeOffsetY = cell.row + entry.y;
    s.SetPosition(base.x, base.y);
    s.BuildServicePlaces();
    depthList_.push_back(&s);
    stalls_.push_back(std::move(stall));
    ++stallsAdded_;
    if (select)
    {
        s.Build(true);
        SelectGameObject(static_cast<int32_t>(stalls_.size()) - 1);
        SelectTab(5, true);
        s.active = true;
    }
    SortDepthList();
    dragging_ = false;
    dragVisible_ = false;
    dragged_.reset();
    LogPrintf("\t\tAddGameObject id=%d done", stallsAdded_);
}

int32_t TGameLogic::IndexOfStall(int32_t stallId) const
{
    for (size_t i = 0; i < stalls_.size(); ++i)
        if (stalls_[i]->id == stallId) return static_cast<int32_t>(i);
    return -1;
}

void TGameLogic::DeleteGameObject(int32_t stallId)
{
    const int32_t index = IndexOfStall(stallId);
    if (index < 0) return;
    LogPrintf("\t\tDeleteGameObject id=%d", stallId);
    TLevelStall& stall = *stalls_[static_cast<size_t>(index)];
    int32_t reselect = -1;
    if (stall.selected || selectedStall_ == stallId)
    {
        reselect = stall.slotIndex;
        stall.SetSelected(false);
        selectedStall_ = -1;
        SelectTab(0, false);
    }
    if (SSlot* slot = GetSlot(stall.slotIndex); slot != nullptr && slot->enabled) slot->Vacate();
    for (auto& m : monsters_)
        if (m->GetTargetStallId() == stallId) m->ForgetTargetStall();
    // Every courier serving the stall hands over at once.
    std::vector<TLevelWalker*> serving;
    for (auto& c : couriers_)
        if (c->GetTargetStallId() == stallId) serving.push_back(c.get());
    for (TLevelWalker* c : serving)
    {
        c->ForgetTargetStall();
        c->OnArrive();
    }
    std::unique_ptr<TLevelStall> doomed = std::move(stalls_[static_cast<size_t>(index)]);
    stalls_.erase(stalls_.begin() + index);
    EraseFromDepthList(doomed.get());
    Bury(std::move(doomed));
    if (reselect >= 0) SelectSlot(reselect);
    LogPrintf("\t\tDeleteGameObject id=%d done", stallId);
}

SSlot* TGameLogic::AddSlot(int32_t x, int32_t y, int32_t manaCost, int32_t workerCost)
{
    auto slot = std::make_unique<SSlot>(*this, nextSlotId_, x, y, common_);
    slot->manaCost = manaCost;
    slot->workerCost = workerCost;
    slot->onBought = [this](int32_t id) { OnSlotBought(id); };
    const TGridCell cell = WalkGrid::PixelToCell(slot->x, slot->y);
    BlockSlotFootprint(*grid_, cell.column, cell.row, common_);
    SSlot* raw = slot.get();
    groundList_.push_back(raw);
    slots_.push_back(std::move(slot));
    ++nextSlotId_;
    return raw;
}

SLandElem* TGameLogic::AddLandElement(const TString& picture, int32_t x, int32_t y, int32_t ox, int32_t oy)
{
    auto elem = std::make_unique<SLandElem>(picture, x, y, ox, oy, info_.gofElementTime);
    elem->index = static_cast<int32_t>(landElems_.size());
    elem->objectId = nextObjectId_++;
    SLandElem* raw = elem.get();
    depthList_.push_back(raw);
    landElems_.push_back(std::move(elem));
    SortDepthList();
    return raw;
}

SGroundElem* TGameLogic::AddGroundElement(const TString& picture, int32_t x, int32_t y, int32_t ox, int32_t oy)
{
    auto elem = std::make_unique<SGroundElem>(picture, x, y, ox, oy, info_.gofElementTime);
    SGroundElem* raw = elem.get();
    groundList_.push_back(raw);
    groundElems_.push_back(std::move(elem));
    return raw;
}

void TGameLogic::AddDescription(std::unique_ptr<SStallDesc> desc)
{
    if (!desc || desc->kind < 0 || desc->kind > 2) return;
    const int32_t kind = desc->kind;
    counters_[kind].push_back(SStallCounters{});
    descriptions_[kind].push_back(std::move(desc));
}

const SStallDesc* TGameLogic::FindDescription(int32_t kind, int32_t id) const
{
    if (kind < 0 || kind > 2) return nullptr;
    for (const auto& d : descriptions_[kind])
        if (d->id == id) return d.get();
    return nullptr;
}

const std::vector<std::unique_ptr<SStallDesc>>& TGameLogic::GetDescriptions(int32_t kind) const
{
    static const std::vector<std::unique_ptr<SStallDesc>> none;
    return kind >= 0 && kind <= 2 ? descriptions_[kind] : none;
}

const std::vector<SStallCounters>& TGameLogic::GetCounters(int32_t kind) const
{
    static const std::vector<SStallCounters> none;
    return kind >= 0 && kind <= 2 ? counters_[kind] : none;
}

// --- ILevelContext ---

TPoint TGameLogic::GetSlotPosition(int32_t slotIndex) const
{
    const SSlot* slot = AtIndex(slots_, slotIndex);
    return slot != nullptr ? TPoint(slot->x, slot->y) : TPoint();
}

bool TGameLogic::IsSlotAt(int32_t x, int32_t y) const
{
    for (const auto& s : slots_)
        if (s->x == x && s->y == y) return true;
    return false;
}

void TGameLogic::SetSlotEffectAlpha(int32_t slotIndex, float alpha)
{
    for (auto& s : slots_)
        if (s->id == slotIndex) s->SetPictureAlpha(alpha);
}

void TGameLogic::FreeSlot(int32_t slotIndex)
{
    if (SSlot* slot = GetSlot(slotIndex)) slot->Vacate();
}

void TGameLogic::ResetSlot(int32_t slotIndex)
{
    SSlot* slot = GetSlot(slotIndex);
    if (slot == nullptr) return;
    slot->covered = false;
    slot->free = false;
    slot->forSale = true;
    slot->SwitchPictures();
}

SSlot* TGameLogic::GetSlot(int32_t index)
{
    return AtIndex(slots_, index);
}

TLevelStall* TGameLogic::GetStallAt(int32_t index)
{
    return AtIndex(stalls_, index);
}

TLevelStall* TGameLogic::FindStall(int32_t stallId)
{
    return ById(stalls_, stallId);
}

TLevelWalker* TGameLogic::GetMonsterAt(int32_t index)
{
    return AtIndex(monsters_, index);
}

TLevelWalker* TGameLogic::FindMonster(int32_t walkerId)
{
    return ById(monsters_, walkerId);
}

TLevelWalker* TGameLogic::GetCustomerAt(int32_t index)
{
    return AtIndex(customers_, index);
}

TLevelWalker* TGameLogic::GetCourierAt(int32_t index)
{
    return AtIndex(couriers_, index);
}

SLandElem* TGameLogic::GetLandElement(int32_t index)
{
    return AtIndex(landElems_, index);
}

void TGameLogic::DrawCustomerById(int32_t walkerId)
{
    if (winRunning_) return;
    if (TLevelWalker* w = ById(customers_, walkerId)) w->Draw();
}

void TGameLogic::DrawCourierById(int32_t walkerId)
{
    if (TLevelWalker* w = ById(couriers_, walkerId)) w->Draw();
}

std::unique_ptr<IObjectEffect> TGameLogic::NewActionEffect()
{
    return std::make_unique<SObjectEffect>(*this, factory_.get());
}

void TGameLogic::SetManaTarget(TFloatPoint target, int32_t flightTime)
{
    manaTarget_ = target;
    manaFlightTime_ = flightTime;
}

void TGameLogic::SpawnManaDrop(TFloatPoint from, int32_t amount)
{
    std::unique_ptr<TLevelManaDrop> drop = factory_->MakeManaDrop(*this);
    if (!drop) return;
    drop->Start(from, manaTarget_, mainClock_.GetTime(), manaFlightTime_, amount);
    manaDrops_.push_back(std::move(drop));
}

void TGameLogic::SpawnMonsterClickEffect(int32_t x, int32_t y, int32_t n)
{
    auto particle = std::make_unique<TMyParticle>(TString::Format(kClickParticle, n), kClickParticleImage);
    particle->SetClock(&mainClock_);
    particle->SetPosition(static_cast<float>(x), static_cast<float>(y));
    particle->Start();
    effects_.push_back(std::move(particle));
}

void TGameLogic::StrikeLightning(int32_t stallId, int32_t monsterId)
{
    if (lightning_) lightning_->Strike(stallId, monsterId);
}

void TGameLogic::ShowHint(int32_t hint)
{
    GetLevelHelper().ShowHint(hint);
}

void TGameLogic::SelectTab(int32_t tab, bool force)
{
    GetHud().SelectTab(tab, force);
}

void TGameLogic::RefreshButtonInfo()
{
    GetHud().RefreshButtonInfo();
}

void TGameLogic::SetProfitBarComplete(bool complete)
{
    GetHud().SetProfitBarComplete(complete);
}

float TGameLogic::GetTimeLeftFraction() const
{
    return hud_ ? hud_->GetTimeLeftFraction() : 1.0f;
}

bool TGameLogic::IsBadgeShown() const
{
    // Badges show while the HUD's threshold is at most the level's counter,
    // the level number.
    return !hud_ || hud_->GetBadgeThreshold() <= levelNumber_;
}

void TGameLogic::AddMonsterKill(int32_t monsterType)
{
    GetHud().AddMonsterKill(monsterType);
}

void TGameLogic::Sound(const TString& name, bool loop, bool stop)
{
    if (soundSink_)
    {
        soundSink_(name, loop, stop);
        return;
    }
    TMySoundManager* sounds = TMySoundManager::GetIfMade();
    if (sounds == nullptr) return;
    if (stop)
        sounds->StopSound(name);
    else
        sounds->PlaySound(name, loop);
}

void TGameLogic::PlaySound(const TString& name, bool loop)
{
    Sound(name, loop, false);
}

void TGameLogic::StopSound(const TString& name)
{
    Sound(name, false, true);
}

// --- Drawing ---

void TGameLogic::Draw()
{
    for (TMySprite* back : {background_.get(), backgroundSnow_.get()})
        if (back != nullptr) back->Draw();
    for (ObjectZ* o : groundList_) o->Draw();
    if (TLevelStall* selected = FindStall(selectedStall_)) selected->DrawSelection();
    GetLevelHelper().DrawLowerLayer();
    for (ObjectZ* o : depthList_)
        if (o->visible) o->Draw();
    if (lightning_) lightning_->Draw();
    for (auto& e : effects_) e->Draw();
    GetHud().Draw();
    for (auto& d : manaDrops_) d->Draw();
    if (dragging_ && dragVisible_ && dragged_)
    {
        dragged_->DrawSelection();
        dragged_->Draw();
    }
    if (winRunning_) DrawWinSequence();
    GetLevelHelper().DrawUpperLayer();
}
