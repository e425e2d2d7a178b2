// TGameLogic: a level's layout file built into the map: entry points, the
// background, ground and land elements, and building slots with the stalls
// that stand on them from the start.
#include <algorithm>

#include "core/Log.h"
#include "game/level/GameLogic.h"
#include "game/level/LevelFiles.h"
#include "game/level/LevelScript.h"
#include "script/LuaTable.h"

namespace
{

using namespace levelscript;

std::unique_ptr<TMySprite> MakeBackground(const TString& name, int32_t x, int32_t y)
{
    auto sprite = std::make_unique<TMySprite>(name, true);
    sprite->SetPosition(static_cast<float>(x), static_cast<float>(y));
    sprite->UpdateTransform();
    return sprite;
}

}  // namespace

SGroundElem* TGameLogic::GetGroundElement(int32_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= groundElems_.size()) return nullptr;
    return groundElems_[static_cast<size_t>(index)].get();
}

void TGameLogic::LoadLayout()
{
    TLevelScript script(LevelLayoutFileName(kShippedLevelFolder, levelNumber_));
    if (auto entry = script.Table("Entry"))
    {
        if (auto customer = script.Array(*entry, "customer", "Entry"))
            customerEntries_ = FlatPoints(*customer, "Entry.customer");
        if (auto monster = script.Array(*entry, "monster", "Entry"))
            monsterEntries_ = FlatPoints(*monster, "Entry.monster");
    }

    if (auto elements = script.Table("LandElement"))
        for (const TLuaRow& row : TLuaRows(*elements, "LandElement"))
        {
            if (!row.table) continue;
            const TLevelLayout::SLandRow land = ReadLandRow(*row.table);
            switch (land.type)
            {
                case 0:
                    background_ = MakeBackground(land.image, land.x, land.y);
                    backgroundSnow_ = MakeBackground(land.image + "_snow", land.x, land.y);
                    break;
                case 1:
                    AddGroundElement(land.image, land.x, land.y, land.originX, land.originY);
                    break;
                case 2:
                    AddLandElement(land.image, land.x, land.y, land.originX, land.originY);
                    break;
                default:
                    break;
            }
        }

    if (auto slots = script.Table("Slot"))
        for (const TLuaRow& row : TLuaRows(*slots, "Slot"))
        {
            if (!row.table) continue;
            const TLevelLayout::SSlotRow values = ReadSlotRow(*row.table);
            SSlot* slot = AddSlot(values.x, values.y, landMana_, landWorker_);
            const int32_t slotIndex = static_cast<int32_t>(slots_.size()) - 1;
            slot->forSaleName = values.firstImage;
            slot->replacementName = values.secondImage;
            // A slot the level does not open must be bought first.
            slot->forSale = true;
            if (values.access)
            {
                slot->forSale = false;
                slot->free = true;
                slot->beingBought = false;
            }
            if (!restoring_ && values.hasStall)
                BuildPrebuiltStall(slotIndex, values.stallKind, values.stallNumber, values.stallLevel, values.broken,
                                   values.enemy);
            if (SSlot* built = GetSlot(slotIndex)) built->SwitchPictures();
        }
}

void TGameLogic::BuildPrebuiltStall(int32_t slotIndex, int32_t kind, int32_t stallId, int32_t upgrades, bool broken,
                                    bool inactive)
{
    SSlot* slot = GetSlot(slotIndex);
    if (slot == nullptr) return;
    slot->forSale = false;
    slot->free = true;
    slot->beingBought = false;

    const std::vector<int32_t>* orders[3] = {&info_.attrOrder, &info_.tradeOrder, &info_.bonusOrder};
    int32_t index = -1;
    if (kind >= 0 && kind <= 2)
    {
        const std::vector<int32_t>& order = *orders[kind];
        const auto it = std::find(order.begin(), order.end(), stallId);
        if (it != order.end()) index = static_cast<int32_t>(it - order.begin());
    }
    // Nothing made (no such kind or description): the slot stays a plain
    // open one, and no step acts on another stall.
    if (!BuyStall(kind, index))
    {
        LogPrintf("level layout: no stall of kind %d and id %d for slot %d; the slot stays open", kind, stallId,
                  slotIndex);
        return;
    }
    slot->SetPictureAlpha(0.0f);
    AddGameObject(std::move(dragged_), slotIndex, false);
    const int32_t id = stalls_.back()->id;
    const SStallDesc* desc = stalls_.back()->description;
    if (inactive) stalls_.back()->SetActive(false, true);
    DoStallAction(id, kStateIdle, kStateBuilding, false);
    DoStallAction(id, kStateBuilding, kStateIdle, false);

    // A stall has no more upgrades than its description has levels.
    const int32_t most = std::max(0, (desc != nullptr ? desc->levelCount : 0) - 1);
    if (upgrades > most)
    {
        LogPrintf("level layout: %d upgrades asked of the stall on slot %d, which has %d; %d made", upgrades,
                  slotIndex, most, most);
        upgrades = most;
    }
    for (int32_t i = 0; i < upgrades; ++i)
    {
        DoStallAction(id, kStateIdle, kStateUpgrading, false);
        if (TLevelStall* stall = FindStall(id)) stall->AddUpgradeLevel();
        DoStallAction(id, kStateUpgrading, kStateIdle, false);
    }
    TLevelStall* stall = FindStall(id);
    if (stall == nullptr) return;
    if (!broken)
    {
        stall->state = kStateWorking;
        stall->Work(true);
    }
    else
    {
        stall->Break(true, false);
    }
}
