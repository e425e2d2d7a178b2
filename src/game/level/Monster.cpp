// Monster: its script, the portal, the walker's and the flyer's routes, the
// attack and the actions on the stall.
#include "game/level/Monster.h"

#include <vector>

#include "core/Clock.h"
#include "core/Log.h"
#include "core/Saturate.h"
#include "core/StringTable.h"
#include "game/app/MyAnimSprite.h"
#include "game/app/MyParticle.h"
#include "game/app/MySprite.h"
#include "game/level/LevelContext.h"
#include "script/LuaTable.h"
#include "ui/WindowAppLink.h"

namespace
{

const char kScript[] = "scripts/game_logic/monsters/monster_%d.lua";
const char kDeathFile[] = "images/game_logic/humans/monster_dead/monster_dead.psi";
const char kDeathImage[] = "images/game_logic/humans/monster_dead/monster_dead";
const char kPortalFile[] = "images/game_logic/humans/monster_dead/monster_portal.psi";
const char kPortalImage[] = "images/game_logic/humans/monster_dead/monster_portal";
const char kPortalSound[] = "game_logic_audio:audio/sound/game_logic/monster/portal_open";
// The portal opens this long before the appearance ends.
constexpr int32_t kPortalOpenAhead = 1800;
// The portal and the death show this far above the feet.
constexpr int32_t kRaise = 30;
// A flight step; a flyer steps at most this often to leave the screen.
constexpr int32_t kFlightStepX = 20;
constexpr int32_t kFlightStepY = -10;
constexpr int32_t kMaxFlightSteps = 200;

}  // namespace

Monster::Monster(ILevelContext& level, int32_t type) : Human(level), type_(type) {}

Monster::~Monster() = default;

void Monster::Reset()
{
    Human::Reset();
    manaReward_ = 0;
    attackSprite_.reset();
    clickMask_.reset();
    deathParticle_.reset();
    portalParticle_.reset();
    inAction_ = false;
}

void Monster::SetSpawnParameters(int32_t entryIndex, int32_t manaReward, float health, float damage)
{
    entryIndex_ = entryIndex;
    manaReward_ = manaReward;
    health_ = health;
    damage_ = damage;
}

void Monster::Spawn(int32_t walkerId, int32_t px, int32_t py, int32_t value)
{
    Human::CreateSprites(walkerId, px, py);
    maxHealth_ = health_;
    targetId_ = -1;
    attackSprite_ = std::make_unique<TMyAnimSprite>(TString(), true);
    attackSprite_->SetClock(&animClock);
    attackSprite_->visible = false;
    clickMask_ = std::make_unique<TMySprite>(TString(), true);
    Load();
    SetWalkAnim(direction_);
    int32_t w = 0;
    int32_t h = 0;
    clickMask_->GetSize(&w, &h);
    clickMask_->SetOriginEnabled(true);
    clickMask_->SetOrigin(w / 2, h);
    atHomeTime_ = flySleep_ = value;
    deathParticle_ = std::make_unique<TMyParticle>(kDeathFile, kDeathImage);
    deathParticle_->SetClock(&level_.GetWalkerClock());
    portalParticle_ = std::make_unique<TMyParticle>(kPortalFile, kPortalImage);
    portalParticle_->SetClock(&level_.GetWalkerClock());
    if (mainSprite_) mainSprite_->visible = false;
    Appear();
}

void Monster::Load()
{
    if (!attackSprite_) attackSprite_ = std::make_unique<TMyAnimSprite>(TString(), true);
    if (!clickMask_) clickMask_ = std::make_unique<TMySprite>(TString(), true);
    ReadScript(
        TString::Format(kScript, type_),
        [this](const TLuaTable& main) {
            imagePattern_ = main.GetString("image_pattern");
            attackImage_ = main.GetString("image_attack");
            attackSprite_->Load(attackImage_, true);
            attackSprite_->visible = false;
            clickMaskName_ = main.GetString("click_mask");
            clickMask_->Load(clickMaskName_, true);
            moveType_ = main.GetInt("move_type");
            speed_ = baseSpeed_ = main.GetInt("speed");
            actionImage_ = main.GetString("image_action");
            actionTime_ = main.GetInt("action_time", 1000);
            postActionTime_ = main.GetInt("post_action_time", 1000);
            atHomeTime_ = main.GetInt("at_home_time", 5000);
            actionId_ = main.GetInt("action_id", 1);
            depthOffset = main.GetInt("z_disp");
            flyHigh_ = main.GetInt("fly_high");
            flySleep_ = main.GetInt("fly_sleep");
            soundAttack_ = main.GetString("sound_attack");
            soundKill_ = main.GetString("sound_kill");
            soundShot_ = main.GetString("sound_shot");
            shieldType_ = main.GetInt("shield_type", -1);
            shieldImage_ = main.GetString("shield_image");
            shieldTime_ = main.GetInt("shield_time");
            shieldPlace_ = main.GetInt("shield_disp_place");
            shieldRiseSpeed_ = static_cast<float>(main.GetNumber("shield_rise_speed", 0.5));
        },
        "BubbleInfo",
        [this](const TLuaTable& bubble) {
            bubblePlace_ = TPoint(bubble.GetInt("place_x"), bubble.GetInt("place_y"));
            const TString label = bubble.GetString("name");
            displayName_ = label;
            if (const TStringTable* strings = GetWindowAppLink().GetStringTable())
                if (!label.IsEmpty()) displayName_ = strings->GetString(label);
        });
}

void Monster::SetPosition(float px, float py)
{
    Human::SetPosition(px, py);
    if (clickMask_)
    {
        clickMask_->SetPosition(px, py);
        clickMask_->UpdateTransform();
    }
}

int32_t Monster::GetTargetStallId() const
{
    if (targetStall_ != -1) return targetStall_;
    if (flyerAttackId_ != -1) return flyerAttackId_;
    return targetId_;
}

void Monster::ForgetTargetStall()
{
    targetStall_ = targetId_ = flyerAttackId_ = -1;
}

bool Monster::IsHidden() const
{
    return !mainSprite_ || !mainSprite_->visible;
}

void Monster::PlaySoundName(const TString& name)
{
    if (!name.IsEmpty()) level_.PlaySound(name, false);
}

bool Monster::EntryPoint(TPoint* at) const
{
    const std::vector<TPoint>& entries = level_.GetMonsterEntries();
    if (entryIndex_ < 0 || static_cast<size_t>(entryIndex_) >= entries.size()) return false;
    *at = entries[static_cast<size_t>(entryIndex_)];
    return true;
}

int32_t Monster::ChooseServiceable()
{
    std::vector<int32_t> ids;
    for (int32_t i = 0; i < level_.GetStallCount(); ++i)
    {
        const TLevelStall* stall = level_.GetStallAt(i);
        if (stall != nullptr && stall->IsServiceable(actionId_)) ids.push_back(stall->id);
    }
    if (ids.empty()) return -1;
    return ids[static_cast<size_t>(Random()) % ids.size()];
}

TPoint Monster::TargetCellOf(const TLevelStall& stall) const
{
    TPoint cell(stall.placeOffsetX, stall.placeOffsetY);
    if (shieldType_ == 3)
    {
        cell.y -= 5;
        cell.x += stall.rightSide ? -5 : 5;
    }
    return cell;
}

void Monster::Appear()
{
    inAction_ = attacking_ = appearAction_ = leaveAction_ = false;
    struck = false;
    retreating_ = false;
    portalOpened_ = false;
    const int32_t stallId = ChooseServiceable();
    TPoint entry;
    const bool hasEntry = IsFlyer() || EntryPoint(&entry);
    if (stallId == -1 || !hasEntry)
    {
        // Nothing to attack, or no portal to come out of: the monster never
        // shows and is gone (no mana, no kill).
        if (!hasEntry) LogPrintf("ERROR: monster %d has no entry %d; it is gone", id, entryIndex_);
        dying_ = true;
        done = true;
        return;
    }
    const TLevelStall* stall = level_.FindStall(stallId);
    if (!IsFlyer())
    {
        targetStall_ = stallId;
        targetCell_ = TargetCellOf(*stall);
        SetPositionInt(entry.x, entry.y);
        atPortal_ = true;
    }
    else
    {
        targetCell_ = TPoint(stall->x, stall->y);
    }
    appearAction_ = true;
    StartAction(kPortalTime, false, 0);
}

void Monster::Approach()
{
    if (IsFlyer())
    {
        FlyIn();
        return;
    }
    WalkTo(targetCell_.x, targetCell_.y, true);
    atPortal_ = false;
    if (mainSprite_) mainSprite_->visible = true;
}

int32_t Monster::StepsInside(TPoint* p, TPoint d)
{
    int32_t steps = 0;
    while (steps < kMaxFlightSteps && p->x >= 0 && p->x <= 800 && p->y >= 0 && p->y <= 600)
    {
        p->x += d.x;
        p->y += d.y;
        ++steps;
    }
    return steps;
}

void Monster::FlyIn()
{
    flight_ = TPoint(Random() % 2 == 1 ? kFlightStepX : -kFlightStepX, kFlightStepY);
    TPoint aim;
    if (level_.GetStallCount() > 0)
    {
        const TLevelStall* stall = level_.GetStallAt(Random() % level_.GetStallCount());
        if (stall != nullptr)
        {
            targetId_ = stall->id;
            const int32_t s = flight_.x < 1 ? 20 : -20;
            aim = TPoint(stall->x - s * (13 - speed_ / 50) - 10, stall->y + (speed_ / 50) * 10 - 135);
        }
    }
    TPoint entry = aim;
    int32_t steps = aim.x < 0 ? 0 : StepsInside(&entry, flight_);
    if (steps == 0)
    {
        entry = TPoint(aim.x + 3 * flight_.x, aim.y + 3 * flight_.y);
        steps = 3;
    }
    baseSpeed_ = SaturateTo<int32_t>(static_cast<double>(speed_) * steps);
    SetPositionInt(entry.x, entry.y);
    const TGridCell cell = WalkGrid::PixelToCell(aim.x, aim.y);
    SetPath({cell});
}

void Monster::FlyOut()
{
    flight_ = TPoint(-flight_.x, -flight_.y);
    targetId_ = -1;
    SetWalkAnim(direction_);
    TPoint end(static_cast<int32_t>(position_.x), static_cast<int32_t>(position_.y));
    const int32_t steps = StepsInside(&end, flight_);
    end = TPoint(end.x + 4 * flight_.x, end.y + 4 * flight_.y);
    baseSpeed_ = SaturateTo<int32_t>(static_cast<double>(speed_) * (steps + 4));
    SetPath({WalkGrid::PixelToCell(end.x, end.y)});
}

void Monster::GoHome()
{
    attacking_ = false;
    if (IsFlyer())
    {
        FlyOut();
        return;
    }
    atPortal_ = true;
    targetStall_ = targetId_ = -1;
    TPoint entry;
    if (!EntryPoint(&entry))
    {
        OnArrive();
        return;
    }
    const TGridCell home = WalkGrid::PixelToCell(entry.x, entry.y);
    targetCell_ = TPoint(home.column, home.row);
    if (GetCell() == home)
        OnArrive();
    else
        WalkTo(home.column, home.row, true);
}

void Monster::Leave()
{
    atPortal_ = true;
    if (mainSprite_) mainSprite_->visible = false;
    // A rising shield's monster comes out again; the others are gone
    // (leaving gives no mana).
    if (!(shieldType_ == 3 && shieldOn_)) dying_ = true;
    leaveAction_ = true;
    atHomeTime_ = kPortalTime;
    StartAction(kPortalTime, false, 0);
}

void Monster::StartAttack(TLevelStall& stall, bool flyer)
{
    walkPatternBackup_ = imagePattern_;
    imagePattern_ = actionImage_;
    bool mirrored = false;
    if (flyer)
    {
        flyerAttackId_ = stall.id;
        FlyOut();
        mirrored = direction_ == 3;
    }
    else
    {
        direction_ = -1;
        if (mainSprite_) mainSprite_->Load(WalkAnimName(0), true);
        mirrored = !stall.rightSide == (shieldType_ == 3);
        if (mainSprite_) mainSprite_->SetFlip(mirrored, false);
    }
    inAction_ = true;
    attacking_ = true;
    actionApplied_ = false;
    if (mainSprite_) mainSprite_->Play("DoAnim");
    attackSprite_->SetFlip(mirrored, false);
    attackSprite_->SetPosition(position_.x, position_.y);
    attackSprite_->UpdateTransform();
    attackSprite_->visible = true;
    attackSprite_->Play("DoAnim");
    stall.outOfService = 1;
    if (flyer)
    {
        actionClock.Reset();
        actionClock.Start();
        return;
    }
    StartAction(actionTime_, true, -1);
    PlaySoundName(soundAttack_);
}

void Monster::ApplyAction(int32_t stallId)
{
    TLevelStall* stall = level_.FindStall(stallId);
    if (stall == nullptr) return;
    stall->outOfService = 0;
    auto downgrade = [&] {
        stall->RemoveUpgradeLevel();
        level_.ShowHint(4);
    };
    auto destroy = [&] {
        const int32_t slot = stall->slotIndex;
        stall->Destroy();
        level_.FreeSlot(slot);
        return slot;
    };
    switch (actionId_)
    {
    case kSellOff:
        if (stall->kind != kStallTrade) return;
        stall->SellGoods(stall->GetGoods());
        level_.ShowHint(3);
        return;
    case kBreak:
        stall->Break(true, false);
        level_.ShowHint(5);
        return;
    case kDowngrade:
        if (stall->level > 0) downgrade();
        return;
    case kDowngradeOrBreak:
        if (stall->level > 0)
        {
            downgrade();
            return;
        }
        stall->Break(true, false);
        level_.ShowHint(5);
        return;
    case kDestroy:
        destroy();
        level_.ShowHint(5);
        return;
    case kDestroyAndReset: level_.ResetSlot(destroy()); return;
    default: return;
    }
}

bool Monster::PlayedOut() const
{
    if (!mainSprite_ || !mainSprite_->GetSprite() || !mainSprite_->GetSprite()->GetAnimation())
        return actionApplied_;
    return mainSprite_->GetSprite()->IsDone(0);
}

void Monster::RestoreWalkPattern()
{
    imagePattern_ = walkPatternBackup_;
    SetWalkAnim(direction_);
}

void Monster::Update()
{
    if (!attackSprite_) return;  // not spawned
    Human::Update();
    if (portalParticle_) portalParticle_->Update();
    if (done) return;
    if (inAction_)
    {
        const int32_t t = actionClock.GetTime();
        if (t < actionTime_)
        {
            attackSprite_->SetPosition(position_.x, position_.y);
            attackSprite_->UpdateTransform();
        }
        // A flyer's attack lands on its way out; a walker's in FinishAction.
        if (flyerAttackId_ != -1 && t >= postActionTime_)
        {
            actionClock.Stop();
            ApplyAction(flyerAttackId_);
            actionApplied_ = true;
            flyerAttackId_ = -1;
        }
        if (PlayedOut())
        {
            inAction_ = false;
            RestoreWalkPattern();
        }
    }
    UpdateShield();
    UpdatePortal();
    if (dying_ && deathParticle_) deathParticle_->Update();
    if (attackSprite_->visible && attackSprite_->GetSprite() && attackSprite_->GetSprite()->IsDone(0))
        attackSprite_->visible = false;
}

void Monster::UpdateShield()
{
    if (!shieldOn_) return;
    const int32_t t = actionClock.GetTime();
    // Types 1 and 2 turn (and a type 2 jumps ahead) once the delay is over.
    if ((shieldType_ == 1 || shieldType_ == 2) && !shieldTurned_ && t >= shieldDelay_)
    {
        shieldTurned_ = true;
        SetPosition(static_cast<float>(shieldPosition_.x), static_cast<float>(shieldPosition_.y));
        if (mainSprite_) mainSprite_->Play("DoAnimBack");
    }
    if (t >= shieldTime_) SetShield(false);
}

void Monster::UpdatePortal()
{
    if (IsFlyer() || !atPortal_ || !portalParticle_) return;
    const bool idle = !portalParticle_->IsActive();
    if (appearAction_ && actionRunning_)
    {
        if (!portalOpened_ && actionDuration_ - actionClock.GetTime() <= kPortalOpenAhead && idle)
        {
            portalOpened_ = true;
            portalParticle_->SetPosition(position_.x, position_.y - kRaise);
            portalParticle_->Start();
            level_.PlaySound(kPortalSound, false);
        }
        return;
    }
    if (walking_ && path_.size() <= 2 && idle)
    {
        TFloatPoint at = position_;
        if (!path_.empty())
        {
            const TGridPixel c = WalkGrid::CellToPixel(path_.back().column, path_.back().row, true);
            at = TFloatPoint(static_cast<float>(c.x), static_cast<float>(c.y));
        }
        portalParticle_->SetPosition(at.x, at.y - kRaise);
        portalParticle_->Start();
    }
}

void Monster::OnArrive()
{
    if (dying_ || done) return;
    if (IsFlyer())
    {
        if (targetId_ == -1)
        {
            StartAction(flySleep_, false, 0);
            return;
        }
        TLevelStall* stall = level_.FindStall(targetId_);
        if (stall != nullptr && stall->IsServiceable(actionId_))
            StartAttack(*stall, true);
        else
            FlyOut();
        return;
    }
    if (retreating_)
    {
        Retreat(false);
        return;
    }
    if (!atPortal_ && targetStall_ != -1)
    {
        TLevelStall* stall = level_.FindStall(targetStall_);
        if (stall != nullptr && stall->IsServiceable(actionId_))
        {
            StartAttack(*stall, false);
            return;
        }
    }
    if (atPortal_)
    {
        Leave();
        return;
    }
    GoHome();
}

void Monster::FinishAction()
{
    actionRunning_ = false;
    if (dying_)
    {
        done = true;
        return;
    }
    if (leaveAction_)
    {
        leaveAction_ = false;
        if (shieldType_ == 3)
        {
            if (shieldOn_) SetShield(false);
            Appear();
        }
        return;
    }
    if (appearAction_)
    {
        appearAction_ = false;
        if (mainSprite_) mainSprite_->visible = true;
        Approach();
        return;
    }
    if (!IsFlyer())
    {
        if (!attacking_) return;
        if (actionApplied_)
        {
            inAction_ = false;
            RestoreWalkPattern();
            if (mainSprite_) mainSprite_->visible = true;
            GoHome();
            return;
        }
        ApplyAction(targetStall_);
        actionApplied_ = true;
        StartAction(postActionTime_, true, 1);
        return;
    }
    if (flyerAttackId_ != -1)
    {
        ApplyAction(flyerAttackId_);
        actionApplied_ = true;
        flyerAttackId_ = -1;
        return;
    }
    if (mainSprite_) mainSprite_->visible = true;
    FlyIn();
}

void Monster::Draw()
{
    if (shieldType_ == 3)
    {
        attackSprite_->Draw();
        DrawRaised(flyHigh_);
    }
    else
    {
        Human::Draw();
        if (attackSprite_) attackSprite_->Draw();
    }
    if (portalParticle_) portalParticle_->Draw();
    if (dying_ && deathParticle_) deathParticle_->Draw();
}
