// TGameLogic: a level in progress kept in the profile. Saving fills the
// snapshot from the running level; restoring replays it over the freshly
// loaded level, building every stall again through the action dispatcher
// without paying, so income, coverage and targets come out as in play.
#include <algorithm>

#include "core/Log.h"
#include "game/app/AppEvents.h"
#include "game/app/Player.h"
#include "game/level/GameLogic.h"

LevelSnapshot TGameLogic::MakeSnapshot() const
{
    LevelSnapshot s;
    s.Clear();
    s.level = levelNumber_;
    // Nothing to resume: no level, a level won or being won, or its result
    // card up.
    if (!hud_ || !economic_) return s;
    const int32_t tasks = hud_->GetTaskCount();
    if (tasks > 0 && hud_->GetCompletedTaskCount() >= tasks) return s;
    if (winRunning_ || winReported_) return s;
    if (GetTopModalName() == TString("game_over")) return s;
    s.valid = true;

    s.levelTime = mainClock_.GetTime();
    s.money = economic_->GetMoney();
    s.mana = economic_->GetMana();
    s.workers = economic_->GetWorkers();

    // The slots of stalls being destroyed are free for building, as the
    // destruction leaves them.
    std::vector<int32_t> destroyedOn;
    for (const auto& stall : stalls_)
        if (stall->IsDestroying()) destroyedOn.push_back(stall->slotIndex);
    for (size_t i = 0; i < slots_.size(); ++i)
    {
        const SSlot& slot = *slots_[i];
        const bool freed = std::find(destroyedOn.begin(), destroyedOn.end(), static_cast<int32_t>(i)) !=
                           destroyedOn.end();
        if (slot.beingBought || freed)
            s.slots.push_back({slot.id, false, true});
        else
            s.slots.push_back({slot.id, slot.forSale, slot.free});
    }

    for (const auto& stall : stalls_)
    {
        if (stall->IsDestroying()) continue;
        LevelSnapshot::GameObject o;
        o.kind = stall->kind;
        o.description = stall->descriptionId;
        o.slotIndex = stall->slotIndex;
        // Owned, or paid for already (being bought) or being sold.
        o.placed = stall->active || stall->state == kStateSelling || stall->state == kStatePurchase;
        o.upgradeLevel = stall->level;
        o.broken = stall->state == kStateBroken;
        if (stall->kind == kStallTrade)
        {
            // The load on its way is paid for: the stall comes back with it
            // in stock.
            int64_t coming = 0;
            for (const auto& c : couriers_)
                if (c->GetTargetStallId() == stall->id) coming += std::max(0, c->GetLoad());
            o.goodsRoom = static_cast<int32_t>(std::max<int64_t>(0, stall->GetGoodsRoom() - coming));
        }
        s.gameObjects.push_back(o);
    }

    s.payDrafts = hud_->GetPayDrafts();
    s.tradeTasks = counters_[kStallTrade];
    s.bonusTasks = counters_[kStallBonus];
    s.attrTasks = counters_[kStallAttraction];
    s.goodsSold = goodsSold_;
    s.slotsBought = slotsBought_;
    for (const SpawnEvent& e : spawnQueue_) s.monsters.push_back(e.ToSnapshot());
    s.monsterKills = hud_->GetMonsterKills();
    return s;
}

void TGameLogic::SaveLevelState()
{
    TPlayer* player = TPlayer::GetIfMade();
    if (player == nullptr) return;
    const LevelSnapshot s = MakeSnapshot();
    LogPrintf("SaveLevelState: level %d, %s", s.level, s.valid ? "saved" : "nothing to resume");
    player->SaveLevelState(s);
}

void TGameLogic::RestoreStall(const LevelSnapshot::GameObject& record)
{
    if (record.kind < kStallAttraction || record.kind > kStallBonus)
    {
        LogPrintf("RestoreLevelState: a stall of kind %d skipped", record.kind);
        return;
    }
    const auto& descriptions = descriptions_[record.kind];
    SSlot* slot = GetSlot(record.slotIndex);
    if (record.description < 0 || static_cast<size_t>(record.description) >= descriptions.size() ||
        slot == nullptr)
    {
        LogPrintf("RestoreLevelState: the stall of kind %d, description %d on slot %d names nothing here; skipped",
                  record.kind, record.description, record.slotIndex);
        return;
    }
    // 1.
    slot->forSale = false;
    slot->beingBought = false;
    slot->free = true;
    // 2.
    const SStallDesc& desc = *descriptions[static_cast<size_t>(record.description)];
    if (!BuyStall(record.kind, desc.id)) return;
    slot->SetPictureAlpha(0.0f);
    AddGameObject(std::move(dragged_), record.slotIndex, false);
    TLevelStall* stall = stalls_.back().get();
    const int32_t id = stall->id;
    // 3.
    if (!record.placed) stall->SetActive(false, false);
    // 4.
    DoStallAction(id, kStateIdle, kStateBuilding, false);
    DoStallAction(id, kStateBuilding, kStateIdle, false);
    // 5. No more upgrades than the description has levels.
    const int32_t most = std::max(0, desc.levelCount - 1);
    const int32_t upgrades = std::clamp(record.upgradeLevel, 0, most);
    if (upgrades != record.upgradeLevel)
        LogPrintf("RestoreLevelState: upgrade level %d of the stall on slot %d taken as %d", record.upgradeLevel,
                  record.slotIndex, upgrades);
    for (int32_t i = 0; i < upgrades; ++i)
    {
        DoStallAction(id, kStateIdle, kStateUpgrading, false);
        if (TLevelStall* s = FindStall(id)) s->AddUpgradeLevel();
        DoStallAction(id, kStateUpgrading, kStateIdle, false);
    }
    stall = FindStall(id);
    if (stall == nullptr) return;
    // 6.
    if (record.broken)
    {
        stall->Break(true, false);
    }
    else
    {
        stall->state = kStateWorking;
        stall->Work(true);
    }
    // 7. The stock as it was, within the stall's room.
    if (record.kind == kStallTrade && stall->kind == kStallTrade)
    {
        const int32_t capacity = stall->GetGoods() + stall->GetGoodsRoom();
        const int32_t room = std::clamp(record.goodsRoom, 0, std::max(0, capacity));
        if (room > 0) stall->SellGoods(room);
    }
}

void TGameLogic::RestoreLevelState()
{
    TPlayer* player = TPlayer::GetIfMade();
    if (player == nullptr) return;
    // 1.
    const LevelSnapshot s = player->GetSavedLevel();
    LogPrintf("RestoreLevelState: level %d", s.level);
    // 2.
    mainClock_.SetTime(s.levelTime);
    economic_->SetMoney(s.money);
    economic_->SetMana(s.mana);
    economic_->SetWorkers(s.workers, false);
    // 3.
    for (const LevelSnapshot::Slot& record : s.slots)
    {
        SSlot* slot = nullptr;
        for (auto& candidate : slots_)
            if (candidate->id == record.id) slot = candidate.get();
        if (slot == nullptr)
        {
            LogPrintf("RestoreLevelState: no slot %d; skipped", record.id);
            continue;
        }
        slot->forSale = record.forSale;
        slot->free = record.freeForBuilding;
        slot->beingBought = false;
        slot->SwitchPictures();
    }
    // 4.
    for (const LevelSnapshot::GameObject& record : s.gameObjects) RestoreStall(record);
    // 5.
    std::vector<LevelSnapshot::PayDraft> drafts;
    for (const LevelSnapshot::PayDraft& d : s.payDrafts)
    {
        if (d.stallKind < kStallAttraction || d.stallKind > kStallBonus || d.description < 0 ||
            static_cast<size_t>(d.description) >= descriptions_[d.stallKind].size())
        {
            LogPrintf("RestoreLevelState: paid draft %d of kind %d names no description; skipped", d.description,
                      d.stallKind);
            continue;
        }
        descriptions_[d.stallKind][static_cast<size_t>(d.description)]->draft = false;
        drafts.push_back(d);
    }
    GetHud().SetPayDrafts(drafts);
    // 6. Counters for the descriptions the level has; none for the rest.
    const std::vector<LevelSnapshot::TaskCounters>* tables[3] = {&s.attrTasks, &s.tradeTasks, &s.bonusTasks};
    for (int32_t kind = 0; kind < 3; ++kind)
    {
        const auto& stored = *tables[kind];
        if (stored.size() != counters_[kind].size())
            LogPrintf("RestoreLevelState: %zu counter records for %zu descriptions of kind %d", stored.size(),
                      counters_[kind].size(), kind);
        for (size_t i = 0; i < counters_[kind].size(); ++i)
            counters_[kind][i] = i < stored.size() ? stored[i] : SStallCounters{};
    }
    slotsBought_ = s.slotsBought;
    goodsSold_ = s.goodsSold;
    spawnQueue_.clear();
    for (const LevelSnapshot::Monster& m : s.monsters) spawnQueue_.push_back(SpawnEvent::FromSnapshot(m));
    GetHud().SetMonsterKills(s.monsterKills);
    // 7.
    player->ForgetSavedLevel();
}
