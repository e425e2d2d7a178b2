// TGameLogic: the player's mouse on the level, selection, dragging a new
// stall onto a slot, buying stalls and slots.
#include <algorithm>

#include "game/level/GameLogic.h"

namespace
{

// The drag position stays on the map's playing field.
constexpr int32_t kDragLeft = 80;
constexpr int32_t kDragRight = 720;
constexpr int32_t kDragTop = 60;
constexpr int32_t kDragBottom = 460;
// Below this line the pointer is over the HUD's strip.
constexpr int32_t kHudTop = 450;
// Where the HUD's hover is cleared.
constexpr int32_t kNoHoverX = 400;
constexpr int32_t kNoHoverY = 600;
// The button code that cancels a drag.
constexpr int32_t kCancelButton = 1;

const char kSelectStallSound[] = "game_logic_audio:audio/sound/game_logic/select_game_object";
const char kSelectSlotSound[] = "game_logic_audio:audio/sound/game_logic/select_slot";

bool Clickable(const SSlot& slot)
{
    return slot.forSale || slot.free || slot.beingBought;
}

}  // namespace

bool TGameLogic::OnMouseDown(int32_t x, int32_t y)
{
    if (winRunning_) return true;
    ILevelHelper& helper = GetLevelHelper();
    const bool tutorial = helper.IsTutorialRunning();
    if (tutorial)
    {
        const int32_t clickType = helper.GetClickType();
        if (clickType >= 0 && clickType <= 2)
        {
            GetHud().OnMouseDown(x, y);
            return true;
        }
        if (!helper.AllowsClick(x, y)) return true;
    }
    else if (GetHud().OnMouseDown(x, y))
    {
        return true;
    }

    if (dragging_)
    {
        if (dragDelay_) return true;
        for (size_t i = 0; i < slots_.size(); ++i)
        {
            SSlot& slot = *slots_[i];
            if (!slot.HitTest(x, y)) continue;
            if (slot.free)
            {
                AddGameObject(std::move(dragged_), static_cast<int32_t>(i), true);
                return true;
            }
            ShowHint(2);
        }
        if (!tutorial)
        {
            CancelStallDrag();
            GetHud().OnMouseMove(kNoHoverX, kNoHoverY);
        }
        return true;
    }

    for (auto it = monsters_.rbegin(); it != monsters_.rend(); ++it)
    {
        if (!(*it)->OnClick(x, y)) continue;
        SelectTab(0, false);
        return true;
    }
    for (size_t i = 0; i < stalls_.size(); ++i)
    {
        if (!stalls_[i]->HitTest(x, y)) continue;
        if (SSlot* slot = GetSlot(selectedSlot_)) slot->selected = false;
        selectedSlot_ = -1;
        SelectGameObject(static_cast<int32_t>(i));
        return true;
    }
    for (size_t i = 0; i < slots_.size(); ++i)
    {
        if (!Clickable(*slots_[i]) || !slots_[i]->HitTest(x, y)) continue;
        ClearSelectedStall();
        SelectSlot(static_cast<int32_t>(i));
        return true;
    }
    return false;
}

bool TGameLogic::OnMouseMove(int32_t x, int32_t y)
{
    lastMouse_ = {x, y};
    ILevelHelper& helper = GetLevelHelper();
    if (helper.IsActiveInLevel())
    {
        UpdateHover(x, y);
        if (!helper.OnMouseMove(x, y)) return false;
    }
    ILevelHud& hud = GetHud();
    if (dragging_ && dragged_)
    {
        if (!dragDelay_)
        {
            for (auto& slot : slots_)
            {
                if (!slot->free || !slot->HitTest(x, y)) continue;
                dragged_->SetPosition(slot->x, slot->y);
                dragged_->SetSelectImage(false);
                hud.OnMouseMove(x, y);
                return true;
            }
        }
        SetDragPosition(x, y);
        dragged_->SetPosition(dragX_, dragY_);
        dragged_->SetSelectImage(true);
        if (y > kHudTop)
        {
            hud.OnMouseMove(x, y);
            return true;
        }
    }
    else if (!dragging_)
    {
        UpdateHover(x, y);
    }
    hud.UpdateButtonHover(x, y);
    if (y < kHudTop + 1)
        hud.ClearStallInfo();
    else if (hud.OnMouseMove(x, y))
        return true;
    return false;
}

bool TGameLogic::OnMouseUp(int32_t x, int32_t y, int32_t button)
{
    (void)x, (void)y;
    if (GetLevelHelper().IsActiveInLevel() || button != kCancelButton || !dragging_) return false;
    if (dragDelay_) return true;
    CancelStallDrag();
    GetHud().OnMouseMove(kNoHoverX, kNoHoverY);
    return true;
}

bool TGameLogic::OnHudMouseUp(int32_t x, int32_t y)
{
    return GetHud().OnMouseUp(x, y);
}

void TGameLogic::UpdateHover(int32_t x, int32_t y)
{
    ILevelHud& hud = GetHud();
    hud.UpdateInfoHover(x, y);
    bool stallFound = false;
    for (auto& stall : stalls_)
    {
        if (!stall->HitTest(x, y)) continue;
        stallFound = true;
        if (hud.GetShownStallId() != stall->id || stall->infoChanged) ShowStallInfo(*stall);
        break;
    }
    if (!stallFound) hud.ClearStallInfo();

    for (size_t i = 0; i < slots_.size(); ++i)
    {
        SSlot& slot = *slots_[i];
        if (!Clickable(slot) || !slot.HitTest(x, y)) continue;
        if (!hud.IsMiddleInfoShownFor(0, static_cast<int32_t>(i))) hud.ShowSlotInfo(static_cast<int32_t>(i), slot.x, slot.y);
        return;
    }
    for (auto& m : monsters_)
    {
        if (!m->HitTest(x, y)) continue;
        if (!hud.IsMiddleInfoShownFor(1, m->id)) hud.ShowMonsterInfo(m->id, x, y);
        return;
    }
    hud.ResetMiddleInfo();
}

void TGameLogic::ShowStallInfo(const TLevelStall& stall)
{
    GetHud().ShowStallInfo(stall.id, stall.x, stall.y);
}

void TGameLogic::SelectGameObject(int32_t stallIndex)
{
    TLevelStall* stall = GetStallAt(stallIndex);
    if (stall == nullptr) return;
    ClearSelectedStall();
    stall->SetSelected(true);
    selectedStall_ = stall->id;
    PlaySound(kSelectStallSound, false);
    SelectTab(5, false);
}

void TGameLogic::SelectSlot(int32_t slotIndex)
{
    if (SSlot* old = GetSlot(selectedSlot_)) old->selected = false;
    SSlot* slot = GetSlot(slotIndex);
    if (slot == nullptr)
    {
        selectedSlot_ = -1;
        return;
    }
    selectedSlot_ = slotIndex;
    slot->selected = true;
    PlaySound(kSelectSlotSound, false);
    SelectTab(slot->free ? 0 : 6, false);
}

void TGameLogic::ClearSelectedStall()
{
    if (TLevelStall* stall = FindStall(selectedStall_)) stall->SetSelected(false);
    selectedStall_ = -1;
}

SSlot* TGameLogic::TakeSelectedSlot()
{
    SSlot* slot = GetSlot(selectedSlot_);
    if (slot != nullptr) slot->selected = false;
    selectedSlot_ = -1;
    return slot;
}

void TGameLogic::StartStallDrag(bool start, int32_t kind, int32_t descriptionId, int32_t a, int32_t b)
{
    if (start)
    {
        dragA_ = a;
        dragB_ = b;
        dragDelay_ = true;
        dragDelayCount_ = 0;
        dragDelayLimit_ = 4;
        if (BuyStall(kind, descriptionId))
        {
            SetDragPosition(lastMouse_.x, lastMouse_.y);
            dragged_->SetPosition(dragX_, dragY_);
            dragged_->SetSelectImage(true);
            dragVisible_ = true;
        }
    }
    if (dragDelay_ && ++dragDelayCount_ >= dragDelayLimit_) dragDelay_ = false;
}

void TGameLogic::SetDragPosition(int32_t x, int32_t y)
{
    dragX_ = std::clamp(x, kDragLeft, kDragRight);
    dragY_ = std::clamp(y, kDragTop, kDragBottom);
}

void TGameLogic::DeleteDragged()
{
    // Forgotten with the deletion, so no later path deletes it again.
    dragged_.reset();
    dragging_ = false;
    dragVisible_ = false;
}

void TGameLogic::CancelStallDrag()
{
    if (dragging_) DeleteDragged();
}

bool TGameLogic::BuyStall(int32_t kind, int32_t descriptionId)
{
    if (kind < 0 || kind > 2) return false;
    const auto& list = descriptions_[kind];
    int32_t index = -1;
    for (size_t i = 0; i < list.size(); ++i)
    {
        if (list[i]->id != descriptionId) continue;
        index = static_cast<int32_t>(i);
        break;
    }
    // An id the kind lacks (a layout's -1) builds nothing.
    if (index < 0) return false;
    const SStallDesc& desc = *list[static_cast<size_t>(index)];
    std::unique_ptr<TLevelStall> stall = factory_->MakeStall(*this, kind, desc);
    if (!stall) return false;
    stall->kind = kind;
    stall->description = &desc;
    stall->descriptionId = index;
    const int32_t id = nextObjectId_++;
    stall->objectId = id;
    stall->CreateSprites(id, dragX_, dragY_);
    BindStall(*stall);
    stall->state = kStateIdle;
    DeleteDragged();
    dragged_ = std::move(stall);
    dragging_ = true;
    return true;
}

void TGameLogic::BuySlot(int32_t slotIndex, bool free)
{
    SSlot* slot = GetSlot(slotIndex);
    if (slot == nullptr) return;
    if (free)
    {
        slot->forSale = false;
        slot->free = true;
        slot->beingBought = false;
        slot->SwitchPictures();
        return;
    }
    economic_->SubMana(slot->manaCost);
    economic_->SubFreeWorkers(slot->workerCost);
    slot->StartPurchase();
}

void TGameLogic::OnSlotBought(int32_t slotId)
{
    ++slotsBought_;
    for (size_t i = 0; i < slots_.size(); ++i)
    {
        SSlot& slot = *slots_[i];
        if (slot.id != slotId) continue;
        economic_->AddWorkers(slot.workerCost, false);
        if (selectedSlot_ == static_cast<int32_t>(i) && GetHud().GetCurrentTab() == 6) SelectTab(0, false);
        return;
    }
}
