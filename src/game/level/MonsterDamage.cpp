// Monster damage: clicks, hits, death, the four shields and the retreat
// after a lightning strike.
#include <algorithm>

#include "core/Clock.h"
#include "game/app/MyAnimSprite.h"
#include "game/app/MyParticle.h"
#include "game/app/MySprite.h"
#include "game/level/LevelContext.h"
#include "game/level/Monster.h"
#include "graphics/DrawParams.h"
#include "script/Script.h"

namespace
{

// The click particles the game ships: stages 0 to 2.
constexpr int32_t kLastClickStage = 2;

}  // namespace

bool Monster::HitTest(int32_t px, int32_t py) const
{
    if (dying_ || IsHidden() || !clickMask_) return false;
    clickMask_->SetFlip(mainSprite_->GetFlipX(), false);
    if (!clickMask_->HitTest(px, py, kClickThreshold, TMySpritePattern::NeutralParent())) return false;
    clickPoint_ = TPoint(px, py);
    return true;
}

bool Monster::OnClick(int32_t px, int32_t py)
{
    if (dying_ || IsHidden()) return false;
    if (inAction_) return true;
    if (!HitTest(px, py)) return false;
    clickPoint_ = TPoint(px, py);
    if (shieldOn_ && shieldType_ != 3) return true;
    Hit(false, shieldOn_ && shieldType_ == 3);
    lastHitTime_ = level_.GetMainClock().GetTime();
    return true;
}

int32_t Monster::ClickStage() const
{
    if (maxHealth_ <= 0.0f) return 0;
    const int32_t stage = static_cast<int32_t>(health_ * 3.0f / maxHealth_);
    return std::clamp(stage, 0, kLastClickStage);
}

void Monster::SpawnClick(int32_t x, int32_t y)
{
    level_.SpawnMonsterClickEffect(x, y, ClickStage());
}

void Monster::Hit(bool lightning, bool shielded)
{
    if (dying_) return;
    const float health = health_ - damage_;
    if (shielded)
    {
        health_ = health;
        if (health_ <= 0.0f)
        {
            PlaySoundName(soundKill_);
            Die(false);
            return;
        }
        SpawnClick(clickPoint_.x, clickPoint_.y);
        PlaySoundName(soundShot_);
        return;
    }
    if (inAction_)
    {
        // The attack is cut short; the stall is not harmed.
        if (TLevelStall* stall = level_.FindStall(IsFlyer() ? flyerAttackId_ : targetStall_)) stall->outOfService = 0;
        flyerAttackId_ = -1;
        actionApplied_ = true;
        Human::FinishAction();
    }
    health_ = health;
    if (health_ <= 0.0f)
    {
        PlaySoundName(soundKill_);
        Die(false);
        return;
    }
    if (lightning)
    {
        Retreat(true);
        SpawnClick(static_cast<int32_t>(position_.x), static_cast<int32_t>(position_.y) - 30);
    }
    else
    {
        SetShield(true);
        SpawnClick(clickPoint_.x, clickPoint_.y);
    }
    PlaySoundName(soundShot_);
}

void Monster::Die(bool silent)
{
    if (dying_) return;
    dying_ = true;
    done = false;
    if (!silent)
    {
        level_.AddMonsterKill(type_);
        level_.SpawnManaDrop(position_, manaReward_);
    }
    if (mainSprite_) mainSprite_->visible = false;
    if (deathParticle_)
    {
        deathParticle_->SetPosition(position_.x, position_.y - 30.0f);
        deathParticle_->Start();
    }
    StartAction(kDeathTime, false, 0);
}

void Monster::SetShield(bool on)
{
    if (shieldType_ < 0 || shieldType_ > 3)
    {
        shieldOn_ = false;
        return;
    }
    shieldOn_ = on;
    if (on)
    {
        actionClock.Reset();
        actionClock.Start();
    }
    auto raise = [this] {
        shieldPatternBackup_ = imagePattern_;
        imagePattern_ = shieldImage_;
        SetWalkAnim(direction_);
    };
    auto lower = [this] {
        imagePattern_ = shieldPatternBackup_;
        SetWalkAnim(direction_);
    };
    switch (shieldType_)
    {
    case 0:
        if (on)
        {
            shieldTurned_ = true;
            shieldDelay_ = 0;
            raise();
        }
        else
        {
            lower();
        }
        return;
    case 1:
    case 2:
        if (!on)
        {
            lower();
            if (shieldType_ == 1)
            {
                walkClock.Start();
                walking_ = walkingBeforeShield_;
                return;
            }
            if (mainSprite_) mainSprite_->visible = true;
            if (GetCell() != TGridCell{targetCell_.x, targetCell_.y})
                WalkTo(targetCell_.x, targetCell_.y, true);
            else
                OnArrive();
            return;
        }
        raise();
        shieldTurned_ = false;
        {
            int32_t frames = 0;
            double delay = 0.0;
            if (mainSprite_ && mainSprite_->GetSprite())
            {
                frames = mainSprite_->GetSprite()->GetFrameCount();
                if (TScript* script = mainSprite_->GetSprite()->GetScript()) delay = script->GetGlobalNumber("delay_");
            }
            shieldDelay_ = static_cast<int32_t>(shieldTime_ - (frames + 2) * delay);
        }
        if (mainSprite_) mainSprite_->Play("DoAnim");
        walkClock.Stop();
        walkingBeforeShield_ = walking_;
        walking_ = false;
        shieldPosition_ = TPoint(static_cast<int32_t>(position_.x), static_cast<int32_t>(position_.y));
        if (shieldType_ == 2 && !path_.empty())
        {
            // The jump ahead stays on the path.
            const int32_t last = static_cast<int32_t>(path_.size()) - 1;
            const TGridCell cell = path_[static_cast<size_t>(std::clamp(shieldPlace_, 0, last))];
            const TGridPixel c = WalkGrid::CellToPixel(cell.column, cell.row, true);
            shieldPosition_ = TPoint(c.x, c.y);
        }
        return;
    case 3:
        if (on)
        {
            savedSpeed_ = speed_;
            speed_ = baseSpeed_ = static_cast<int32_t>(baseSpeed_ - shieldRiseSpeed_ * speed_);
            GoHome();
        }
        else
        {
            speed_ = baseSpeed_ = savedSpeed_;
        }
        return;
    default: return;
    }
}

void Monster::Retreat(bool on)
{
    retreating_ = on;
    if (on)
    {
        if (visited_.empty())
        {
            // Nowhere to go back to: it stays and picks its next stall.
            Retreat(false);
            return;
        }
        if (visited_.size() > 6)
            visited_.resize(visited_.size() - 6);
        else
            visited_.resize(1);
        const TGridCell back = visited_.back();
        WalkTo(back.column, back.row, true);
        return;
    }
    struck = false;
    const int32_t stallId = ChooseServiceable();
    if (stallId == -1)
    {
        GoHome();
        return;
    }
    const TLevelStall* stall = level_.FindStall(stallId);
    targetStall_ = stallId;
    targetCell_ = TargetCellOf(*stall);
    WalkTo(targetCell_.x, targetCell_.y, true);
}
