// Human: walking a cell path, the direction and walk-image table, actions.
#include "game/level/Human.h"

#include <cmath>

#include "core/Clock.h"
#include "core/FileNames.h"
#include "core/Log.h"
#include "game/app/MyAnimSprite.h"
#include "game/app/MySprite.h"
#include "game/app/TextFormat.h"
#include "game/level/LevelContext.h"
#include "script/LuaTable.h"
#include "script/Script.h"

namespace
{

const char kDefaultPattern[] = "customer_0:images/game_logic/humans/customer_0/%s%d";
const char kShadow[] = "game_logic_common:images/game_logic/shade";

void Place(TMySpritePattern* pattern, float x, float y)
{
    if (pattern != nullptr) pattern->MoveTo(x, y);
}

}  // namespace

Human::Human(ILevelContext& level) : level_(level), grid_(level.GetWalkGrid())
{
    Reset();
}

Human::~Human() = default;

void Human::Reset()
{
    id = -1;
    imagePattern_ = TString();
    mainSprite_.reset();
    shadow_.reset();
    segmentStart_ = position_ = segmentEnd_ = segmentOffset_ = segmentVector_ = TFloatPoint();
    path_.clear();
    walking_ = false;
    direction_ = 0;
    actionRunning_ = false;
    actionDuration_ = 0;
}

int32_t Human::Random() const
{
    return level_.Random();
}

bool Human::IsMirrored(int32_t dir)
{
    // Directions 2 to 5 and 7 show their walk image mirrored.
    return dir >= 2 && dir != 6;
}

int32_t Human::DirectionOf(int32_t dx, int32_t dy)
{
    if (dx > 0) return dy < 0 ? 0 : dy > 0 ? 1 : 6;
    if (dx < 0) return dy < 0 ? 2 : dy > 0 ? 3 : 7;
    return dy < 0 ? 4 : dy > 0 ? 5 : -1;
}

bool Human::ReadScript(const TString& file, const std::function<void(const TLuaTable& main)>& read,
                       const char* second, const std::function<void(const TLuaTable&)>& readSecond)
{
    TScript env;
    if (!FileExists(file) || !env.RunScript(file))
    {
        LogPrintf("ERROR: walker script %s did not load", file.CStr());
        return false;
    }
    const std::unique_ptr<TLuaTable> main = env.GetGlobalTable("Main");
    if (!main)
    {
        LogPrintf("ERROR: walker script %s has no table Main", file.CStr());
        return false;
    }
    read(*main);
    if (second != nullptr && readSecond)
    {
        if (const std::unique_ptr<TLuaTable> table = env.GetGlobalTable(second))
            readSecond(*table);
        else
            LogPrintf("ERROR: walker script %s has no table %s", file.CStr(), second);
    }
    return true;
}

TString Human::WalkAnimName(int32_t index) const
{
    return FormatDataText(imagePattern_, {TDataArg("walk_"), TDataArg(index)});
}

TGridCell Human::GetCell() const
{
    return WalkGrid::PixelToCell(static_cast<int>(position_.x), static_cast<int>(position_.y));
}

void Human::CreateSprites(int32_t walkerId, int32_t px, int32_t py)
{
    id = walkerId;
    walkClock.Reset();
    actionClock.Reset();
    animClock.Reset();
    animClock.Start();
    position_ = TFloatPoint(static_cast<float>(px), static_cast<float>(py));
    segmentOffset_ = TFloatPoint();
    depth = py;
    speed_ = baseSpeed_ = kDefaultSpeed;
    imagePattern_ = kDefaultPattern;
    mainSprite_ = std::make_unique<TMyAnimSprite>(WalkAnimName(direction_), true);
    mainSprite_->SetClock(&animClock);
    Place(mainSprite_.get(), position_.x, position_.y);
    shadow_ = std::make_unique<TMySprite>(kShadow, true);
    Place(shadow_.get(), position_.x, position_.y);
}

void Human::SetPosition(float px, float py)
{
    position_ = TFloatPoint(px, py);
    depth = static_cast<int32_t>(py) + depthOffset;
    Place(mainSprite_.get(), px, py);
    Place(shadow_.get(), px, py);
}

void Human::SetPositionInt(int32_t px, int32_t py)
{
    SetPosition(static_cast<float>(px), static_cast<float>(py));
}

void Human::SetWalkAnim(int32_t dir)
{
    if (!mainSprite_) return;
    if (dir >= 0 && dir <= 7)
    {
        const TString name = WalkAnimName(WalkImageOf(dir));
        const int frame = mainSprite_->GetSprite() ? mainSprite_->GetSprite()->GetCurrentFrame() : 0;
        mainSprite_->Load(name, true);
        if (mainSprite_->GetSprite()) mainSprite_->GetSprite()->SetCurrentFrame(frame);
        // A reload drops the flips.
        mainSprite_->SetFlip(IsMirrored(dir), false);
    }
    mainSprite_->visible = true;
    mainSprite_->SetAlpha(1.0f);
}

void Human::StopAnimation()
{
    if (!mainSprite_) return;
    if (mainSprite_->GetSprite()) mainSprite_->GetSprite()->StopAnimation();
    mainSprite_->playing = false;
}

bool Human::WalkTo(int32_t x, int32_t y, bool isCell)
{
    const TGridCell start = GetCell();
    const TGridCell destination = isCell ? TGridCell{x, y} : WalkGrid::PixelToCell(x, y);
    path_.clear();
    TPathResult result = grid_.GetPath(start, destination);
    if (!result.Ok())
    {
        OnPathFailed();
        return false;
    }
    path_.assign(result.cells.begin(), result.cells.end());
    NextPathStep();
    if (mainSprite_) mainSprite_->Play("DoAnim");
    return true;
}

void Human::SetPath(const std::vector<TGridCell>& cells)
{
    path_.assign(cells.begin(), cells.end());
    NextPathStep();
    if (mainSprite_) mainSprite_->Play("DoAnim");
}

bool Human::NextPathStep()
{
    if (path_.empty())
    {
        StopAnimation();
        return false;
    }
    const TGridCell current = GetCell();
    const TGridCell next = path_.front();
    visited_.push_back(next);
    segmentStart_ = position_;
    const TGridPixel end = WalkGrid::CellToPixel(next.column, next.row, true);
    segmentEnd_ = TFloatPoint(static_cast<float>(end.x), static_cast<float>(end.y));
    path_.pop_front();
    segmentVector_ = TFloatPoint(segmentEnd_.x - segmentStart_.x, segmentEnd_.y - segmentStart_.y);
    const double dx = segmentVector_.x;
    const double dy = segmentVector_.y;
    const int32_t distance = static_cast<int32_t>(std::sqrt(dx * dx + dy * dy));
    segmentDuration_ =
        static_cast<int32_t>(static_cast<double>(distance) / kSpeedDistance * static_cast<double>(speed_));
    walking_ = true;
    walkClock.Reset();
    walkClock.Start();
    const int32_t dir = DirectionOf(next.column - current.column, next.row - current.row);
    if (dir >= 0 && dir != direction_)
    {
        direction_ = dir;
        SetWalkAnim(direction_);
    }
    return true;
}

void Human::WalkStep()
{
    const int32_t t = walkClock.GetTime();
    if (t >= segmentDuration_)
    {
        SetPosition(segmentEnd_.x, segmentEnd_.y);
        walking_ = false;
        walkClock.Stop();
        if (!NextPathStep()) OnArrive();
        return;
    }
    const float fraction = static_cast<float>(t) / static_cast<float>(segmentDuration_);
    segmentOffset_ = TFloatPoint(segmentVector_.x * fraction, segmentVector_.y * fraction);
    SetPosition(segmentStart_.x + segmentOffset_.x, segmentStart_.y + segmentOffset_.y);
}

void Human::Update()
{
    if (actionRunning_)
    {
        if (actionClock.GetTime() >= actionDuration_) FinishAction();
    }
    else if (walking_)
    {
        WalkStep();
    }
}

void Human::DrawBody()
{
    if (!mainSprite_ || !mainSprite_->visible) return;
    if (shadow_) shadow_->Draw();
    mainSprite_->Draw();
}

void Human::DrawRaised(int32_t height)
{
    if (!mainSprite_ || !mainSprite_->visible) return;
    mainSprite_->SetColor(TFloatVector4(0.0f, 0.0f, 0.0f, 1.0f));
    mainSprite_->SetAlpha(0.5f);
    mainSprite_->Draw();
    Place(mainSprite_.get(), position_.x, position_.y - static_cast<float>(height));
    mainSprite_->SetColor(TFloatVector4(1.0f, 1.0f, 1.0f, 1.0f));
    mainSprite_->SetAlpha(1.0f);
    mainSprite_->Draw();
    Place(mainSprite_.get(), position_.x, position_.y);
}

void Human::Draw()
{
    DrawBody();
}

void Human::OnArrive()
{
    if (mainSprite_ && mainSprite_->GetSprite()) mainSprite_->GetSprite()->SetCurrentFrame(1);
    if (arrivalCallback) arrivalCallback(id);
}

void Human::StartAction(int32_t duration, bool keepAnimating, int32_t mode)
{
    actionRunning_ = true;
    actionDuration_ = duration;
    actionClock.Reset();
    actionClock.Start();
    if (!keepAnimating)
        StopAnimation();
    else if (mode == -1 && mainSprite_)
        mainSprite_->Play("DoAnim");
}

void Human::FinishAction()
{
    actionRunning_ = false;
    actionClock.Stop();
}
