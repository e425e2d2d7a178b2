// Customer: the choice of a stall or a wander, the visit through a service
// place, and leaving.
#include "game/level/Customer.h"

#include <vector>

#include "core/Clock.h"
#include "core/Log.h"
#include "game/app/MyAnimSprite.h"
#include "game/level/LevelContext.h"
#include "script/LuaTable.h"

namespace
{

const char kScript[] = "scripts/game_logic/customers/customer_%d.lua";

std::vector<TGridCell> ToCells(const std::vector<TPoint>& points)
{
    std::vector<TGridCell> cells;
    cells.reserve(points.size());
    for (const TPoint& p : points) cells.push_back({p.x, p.y});
    return cells;
}

}  // namespace

Customer::Customer(ILevelContext& level, int32_t type) : Human(level), type_(type) {}

void Customer::CreateSprites(int32_t walkerId, int32_t px, int32_t py)
{
    Human::CreateSprites(walkerId, px, py);
    Load();
    SetWalkAnim(direction_);
    Start();
}

void Customer::Load()
{
    ReadScript(TString::Format(kScript, type_), [this](const TLuaTable& main) {
        imagePattern_ = main.GetString("image_pattern");
        happyPattern_ = main.GetString("happy_pattern");
        speed_ = baseSpeed_ = main.GetInt("speed");
    });
}

void Customer::Start()
{
    visitState_ = kFree;
    const std::vector<TPoint>& entries = level_.GetCustomerEntries();
    if (entries.empty())
    {
        LogPrintf("ERROR: customer %d has no entry to come in by; it is gone", id);
        done = true;
        return;
    }
    const TPoint at = entries[static_cast<size_t>(Random()) % entries.size()];
    SetPositionInt(at.x, at.y);
    ChooseTarget();
}

bool Customer::WalkToExit()
{
    const std::vector<TPoint>& entries = level_.GetCustomerEntries();
    if (entries.empty())
    {
        LogPrintf("ERROR: customer %d has no entry to leave by; it is gone", id);
        done = true;
        return false;
    }
    const TPoint at = entries[static_cast<size_t>(Random()) % entries.size()];
    WalkTo(at.x, at.y, false);
    return true;
}

bool Customer::ChooseStall()
{
    std::vector<int32_t> candidates;
    for (int32_t i = 0; i < level_.GetStallCount(); ++i)
    {
        const TLevelStall* stall = level_.GetStallAt(i);
        if (stall != nullptr && stall->id != lastStallId_ && stall->IsWorking()) candidates.push_back(i);
    }
    const TGridCell here = GetCell();
    while (!candidates.empty())
    {
        const size_t k = static_cast<size_t>(Random()) % candidates.size();
        TLevelStall* stall = level_.GetStallAt(candidates[k]);
        const bool onOwnCell = stall != nullptr && stall->placeOffsetX == here.column &&
                               stall->placeOffsetY == here.row;
        if (stall != nullptr && !onOwnCell && stall->FindFreePlace() != -1)
        {
            targetStallId_ = lastStallId_ = stall->id;
            WalkTo(stall->placeOffsetX, stall->placeOffsetY, true);
            return true;
        }
        candidates.erase(candidates.begin() + static_cast<std::ptrdiff_t>(k));
    }
    return false;
}

void Customer::Wander()
{
    const TGridCell here = GetCell();
    auto isFree = [&](int32_t column, int32_t row) {
        return !(column == here.column && row == here.row) && grid_.GetCell(column, row) == 0;
    };
    bool found = false;
    int32_t column = 0;
    int32_t row = 0;
    for (int32_t i = 0; i < kWanderDraws && !found; ++i)
    {
        column = (Random() % 800) / WalkGrid::kCellWidth;
        row = (Random() % 600) / WalkGrid::kCellHeight;
        found = isFree(column, row);
    }
    if (!found)
    {
        // Few free cells: look through the whole grid from a drawn cell.
        const int32_t count = WalkGrid::kColumns * WalkGrid::kRows;
        const int32_t start = Random() % count;
        for (int32_t i = 0; i < count && !found; ++i)
        {
            const int32_t cell = (start + i) % count;
            column = cell % WalkGrid::kColumns;
            row = cell / WalkGrid::kColumns;
            found = isFree(column, row);
        }
    }
    targetStallId_ = -1;
    lastStallId_ = -1;
    if (!found)
    {
        // Nowhere to wander to: the customer goes home.
        exiting_ = true;
        WalkToExit();
        return;
    }
    WalkTo(column, row, true);
}

void Customer::WalkPlacePath(bool in)
{
    TLevelStall* stall = level_.FindStall(targetStallId_);
    const std::vector<TPoint> path =
        stall == nullptr ? std::vector<TPoint>() : in ? stall->GetPlacePathIn(place_) : stall->GetPlacePathOut(place_);
    if (!path.empty())
        SetPath(ToCells(path));
    else
        OnArrive();
}

void Customer::ChooseTarget()
{
    if (done) return;
    switch (visitState_)
    {
    case kFree:
        if (leaving_)
        {
            exiting_ = true;
            lastStallId_ = -1;
            WalkToExit();
            return;
        }
        // Six times in ten the customer looks for a stall first.
        if (Random() % 10 > 3 && ChooseStall()) return;
        Wander();
        return;
    case kGoingIn:
        if (TLevelStall* stall = level_.FindStall(targetStallId_)) stall->OccupyPlace(id, place_);
        WalkPlacePath(true);
        return;
    case kGoingOut: WalkPlacePath(false); return;
    default: return;
    }
}

void Customer::OnArrive()
{
    if (done) return;
    switch (visitState_)
    {
    case kFree:
    {
        if (exiting_)
        {
            done = true;
            return;
        }
        TLevelStall* stall = lastStallId_ != -1 ? level_.FindStall(lastStallId_) : nullptr;
        const int32_t place = stall != nullptr && stall->IsWorking() ? stall->FindFreePlace() : -1;
        if (place != -1)
        {
            place_ = place;
            visible = false;
            targetStallId_ = lastStallId_;
            visitState_ = kGoingIn;
        }
        ChooseTarget();
        return;
    }
    case kGoingIn:
        visitState_ = kGoingOut;
        ChooseTarget();
        return;
    case kGoingOut:
        if (TLevelStall* stall = level_.FindStall(targetStallId_)) stall->FreePlace(id, place_);
        visitState_ = kFree;
        visible = true;
        ChooseTarget();
        return;
    default: return;
    }
}

void Customer::OnPathFailed()
{
    walking_ = false;
    done = true;
}

void Customer::BeHappy()
{
    walking_ = false;
    walkClock.Stop();
    animClock.Reset();
    animClock.Start();
    if (mainSprite_) mainSprite_->Load(happyPattern_, true);
}
