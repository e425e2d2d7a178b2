// Courier: the route by move type, the transport stall, the delivery.
#include "game/level/Courier.h"

#include <vector>

#include "core/Clock.h"
#include "core/Log.h"
#include "game/app/MyAnimSprite.h"
#include "game/app/MySprite.h"
#include "game/level/LevelContext.h"
#include "game/level/LevelRecords.h"
#include "script/LuaTable.h"

namespace
{

const char kScript[] = "scripts/game_logic/couriers/courier_%d.lua";
const char kDoneSound[] = "game_logic_audio:audio/sound/game_logic/courier_done";

// A bonus stall's bonus type and its per-level bonus value; 0 for others.
int32_t BonusTypeOf(const TLevelStall& stall)
{
    if (stall.kind != kStallBonus || stall.description == nullptr || stall.description->kind != kStallBonus)
        return 0;
    return static_cast<const SBonusStallDesc*>(stall.description)->bonusType;
}

int32_t BonusValueOf(const TLevelStall& stall)
{
    if (BonusTypeOf(stall) == 0) return 0;
    return LevelValue(static_cast<const SBonusStallDesc*>(stall.description)->bonus, stall.level);
}

}  // namespace

Courier::Courier(ILevelContext& level, int32_t courierType, int32_t targetStallId)
    : Human(level), moveType_(courierType), targetStallId_(targetStallId)
{
}

int32_t Courier::MoveTypeOfLocation() const
{
    const int32_t n = level_.GetLevelNumber();
    const int32_t index = n <= 50 ? (n - 1) / 10 : n <= 55 ? n - 51 : n - 56;
    const std::vector<int32_t>& locat = level_.GetCommon().locat;
    // Level numbers beyond the list read 0.
    const int32_t value = index >= 0 && static_cast<size_t>(index) < locat.size() ? locat[static_cast<size_t>(index)] : 0;
    return value == 1 ? 2 : value == 4 ? 3 : 0;
}

void Courier::CreateSprites(int32_t walkerId, int32_t px, int32_t py)
{
    Human::CreateSprites(walkerId, px, py);
    // The last working transport stall whose area covers the selected stall.
    const TLevelStall* selected = level_.FindStall(level_.GetSelectedStallId());
    TLevelStall* transport = nullptr;
    for (int32_t i = 0; selected != nullptr && i < level_.GetStallCount(); ++i)
    {
        TLevelStall* s = level_.GetStallAt(i);
        if (s != nullptr && s->kind == kStallBonus && s->state == kStateWorking &&
            BonusTypeOf(*s) == kTransportBonus && s->IsInArea(selected->x, selected->y))
            transport = s;
    }
    moveType_ = transport != nullptr ? 1 : MoveTypeOfLocation();
    Load();
    SetWalkAnim(direction_);
    if (transport != nullptr)
    {
        transportStallId_ = transport->id;
        transportValue_ = kTransportBonus;
        const double f = (BonusValueOf(*transport) - 100) / 100.0;
        speed_ = baseSpeed_ = static_cast<int32_t>(speed_ - speed_ * f);
    }
    if (!soundComplete_.IsEmpty()) level_.PlaySound(soundComplete_, true);
    Start();
}

void Courier::Load()
{
    ReadScript(TString::Format(kScript, moveType_), [this](const TLuaTable& main) {
        imagePattern_ = main.GetString("image_pattern_full");
        emptyPattern_ = main.GetString("image_pattern_empty");
        scriptMoveType_ = main.GetInt("move_type");
        speed_ = baseSpeed_ = main.GetInt("speed");
        soundComplete_ = main.GetString("sound_complete");
        depthOffset = main.GetInt("z_disp");
        flyHigh_ = main.GetInt("fly_high");
    });
}

void Courier::WalkCells(const std::vector<TPoint>& cells)
{
    if (cells.empty())
    {
        // A place without a path: the courier is there already.
        OnArrive();
        return;
    }
    std::vector<TGridCell> path;
    for (const TPoint& p : cells) path.push_back({p.x, p.y});
    SetPath(path);
}

void Courier::Start()
{
    if (!ViaTransport())
    {
        const std::vector<TPoint>& entries = level_.GetCustomerEntries();
        if (entries.empty())
        {
            // Nowhere to come in by: the paid goods arrive all the same.
            LogPrintf("ERROR: courier %d has no entry to come in by; its load is handed over at once", id);
            HandOver();
            if (!soundComplete_.IsEmpty()) level_.StopSound(soundComplete_);
            returning_ = true;
            done = true;
            return;
        }
        const TPoint at = entries[static_cast<size_t>(Random()) % entries.size()];
        SetPositionInt(at.x, at.y);
        ChooseTarget();
        return;
    }
    TLevelStall* transport = level_.FindStall(transportStallId_);
    if (transport == nullptr) return;
    TGridCell cell = WalkGrid::PixelToCell(transport->x, transport->y);
    if (!transport->rightSide) --cell.column;
    const TGridPixel at = WalkGrid::CellToPixel(cell.column, cell.row, true);
    visible = false;
    transport->AddVisitor(id);
    SetPositionInt(at.x, at.y);
    if (TLevelStall* target = level_.FindStall(targetStallId_)) target->courierId = id;
    WalkCells(transport->GetPlacePathOut(kTransportPlace));
}

bool Courier::WalkToExit()
{
    const std::vector<TPoint>& entries = level_.GetCustomerEntries();
    if (entries.empty())
    {
        LogPrintf("ERROR: courier %d has no entry to leave by; it is gone", id);
        done = true;
        return false;
    }
    const TPoint at = entries[static_cast<size_t>(Random()) % entries.size()];
    WalkTo(at.x, at.y, false);
    return true;
}

void Courier::WalkToTarget()
{
    TLevelStall* target = level_.FindStall(targetStallId_);
    if (target == nullptr)
    {
        // The stall is gone: nothing to deliver, the courier leaves.
        returning_ = true;
        FinishDelivery();
        return;
    }
    target->courierId = id;
    WalkTo(target->placeOffsetX, target->placeOffsetY, true);
    totalTime_ = (static_cast<int32_t>(path_.size()) + 1) * speed_;
}

void Courier::ChooseTarget()
{
    if (done) return;
    if (!ViaTransport())
    {
        if (stage_ != 0) return;
        if (!returning_)
            WalkToTarget();
        else
            WalkToExit();
        return;
    }
    if (!returning_)
    {
        if (stage_ == 1) WalkToTarget();
        return;
    }
    if (stage_ == 0)
    {
        const TLevelStall* home = nullptr;
        for (int32_t i = 0; i < level_.GetStallCount() && home == nullptr; ++i)
        {
            const TLevelStall* s = level_.GetStallAt(i);
            if (s != nullptr && s->kind == kStallBonus && BonusTypeOf(*s) == transportValue_) home = s;
        }
        if (home != nullptr)
        {
            targetStallId_ = home->id;
            WalkTo(home->placeOffsetX, home->placeOffsetY, true);
        }
        else
        {
            targetStallId_ = -1;
            WalkToExit();
        }
        return;
    }
    TLevelStall* home = level_.FindStall(targetStallId_);
    if (home != nullptr && home->state != kStateCrashing)
    {
        transportStallId_ = home->id;
        visible = false;
        home->AddVisitor(id);
        WalkCells(home->GetPlacePathIn(kTransportPlace));
        return;
    }
    targetStallId_ = -1;
    WalkToExit();
}

void Courier::HandOver()
{
    TLevelStall* target = level_.FindStall(targetStallId_);
    if (target == nullptr) return;
    if (target->courierId == id) target->courierId = -1;
    level_.PlaySound(kDoneSound, false);
    target->AddGoods(load_);
}

void Courier::FinishDelivery()
{
    if (!soundComplete_.IsEmpty()) level_.StopSound(soundComplete_);
    imagePattern_ = emptyPattern_;
    // No direction: the next step reloads the walk with the empty pattern.
    direction_ = -1;
    stage_ = 0;
    ChooseTarget();
}

void Courier::OnArrive()
{
    if (done) return;
    if (!ViaTransport())
    {
        if (stage_ != 0) return;
        if (returning_)
        {
            done = true;
            return;
        }
        HandOver();
        returning_ = true;
        FinishDelivery();
        return;
    }
    if (!returning_)
    {
        if (stage_ == 0)
        {
            visible = true;
            if (TLevelStall* transport = level_.FindStall(transportStallId_)) transport->RemoveVisitor(id);
            transportStallId_ = -1;
            stage_ = 1;
            ChooseTarget();
            return;
        }
        returning_ = true;
        HandOver();
        FinishDelivery();
        return;
    }
    if (stage_ == 0)
    {
        if (targetStallId_ != -1)
        {
            stage_ = 1;
            ChooseTarget();
        }
        else
        {
            done = true;
        }
        return;
    }
    // Inside the transport stall, or the stall went while the courier
    // walked in: it has no visitor entry left to remove.
    if (TLevelStall* transport = level_.FindStall(transportStallId_)) transport->RemoveVisitor(id);
    transportStallId_ = -1;
    visible = true;
    done = true;
}

void Courier::FinishAction()
{
    actionRunning_ = false;
    StopAnimation();
}

float Courier::GetProgress() const
{
    if (totalTime_ == 0) return 0.0f;
    const double left = (static_cast<double>(path_.size()) + 1.0) * speed_ - walkClock.GetTime();
    return static_cast<float>(1.0 - left / totalTime_);
}

void Courier::Draw()
{
    // A courier that flies: its shadow on the ground, itself above it.
    if (flyHigh_ == 0)
        Human::Draw();
    else
        DrawRaised(flyHigh_);
}
