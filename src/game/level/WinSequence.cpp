// TGameLogic: the win sequence. Started by the first won FinishLevel, stepped
// by every FinishLevel while it runs (on the effect clock), drawn over the
// level, and cleared when the result goes out or the level is cleared.
#include <algorithm>

#include "core/Log.h"
#include "game/level/GameLogic.h"
#include "game/level/WinSequence.h"

namespace
{

const char kGofParticle[] = "images/game_logic/gof/gof.psi";
const char kGofImage[] = "images/game_logic/gof/sprite";
const char kFlash[] = "effect:images/game_logic/gof/flash";
const char kCaptionBackdrop[] = "game_logic_common:images/game_logic/you_win_fon";
const TFloatPoint kEffectPoint{400.0f, 250.0f};
// The outline passes: right, left, down, up and the four diagonals.
const TFloatPoint kOutline[] = {{3, 0}, {-3, 0}, {0, 3}, {0, -3}, {3, 3}, {-3, 3}, {3, -3}, {-3, -3}};

TFloatVector4 WithAlpha(TFloatVector4 c, float alpha)
{
    c.w = alpha;
    return c;
}

}  // namespace

void TGameLogic::StartWinEffect()
{
    // 1.
    winEffect_ = true;
    effectClock_.Reset();
    effectClock_.Start();
    win_ = std::make_unique<SWinSequence>();
    SWinSequence& win = *win_;
    const int32_t now = effectClock_.GetTime();

    // 2. One burst of gof particles.
    SGofEffect gof;
    gof.particle = std::make_unique<TMyParticle>(kGofParticle, kGofImage);
    gof.particle->SetClock(&mainClock_);
    gof.particle->SetPosition(kEffectPoint.x, kEffectPoint.y);
    gof.particle->Start();
    gof.at = kEffectPoint;
    gof.value = info_.gofAddAngle;
    win.gofs.push_back(std::move(gof));

    // 3. The flash.
    win.flash = std::make_unique<TMyAnimSprite>(kFlash, true);
    win.flash->SetClock(&mainClock_);
    win.flash->SetPosition(kEffectPoint.x, kEffectPoint.y);
    win.flash->UpdateTransform();
    win.flash->Play("DoAnim");

    // 4. No wave is left for after the win.
    spawnQueue_.clear();
    // 5.
    win.backgroundFading = true;
    win.backgroundStep = 0;
    // 6. No stall breaks any more.
    for (auto& s : stalls_) s->SetTimerNever();
    // 7. The snow melts.
    for (auto& e : landElems_)
        if (!e->FadeDone() && !e->fading) e->StartFade();
    for (auto& e : groundElems_)
        if (!e->FadeDone() && !e->fading) e->StartFade();
    for (auto& slot : slots_)
        if (slot->mayFade) slot->StartCrossfade(info_.gofElementTime / 3);
    // 8.
    if (!monsters_.empty())
    {
        win.removing = true;
        win.lastRemoval = now;
    }
    // 9.
    for (auto& c : customers_) c->BeHappy();

    // 10. The caption, hidden until its first state ends. A time list
    // shorter than the five states gives the missing ones no time.
    for (size_t i = 0; i < win.durations.size(); ++i)
        win.durations[i] = i < timeFlags_.size() ? std::max(0, timeFlags_[i]) : 0;
    const SGameOverCaption& c = gameOver_;
    win.fill = WithAlpha(c.color, 0.0f);
    win.outline = WithAlpha(c.colorStroke, 0.0f);
    win.state = 0;
    win.stateStart = now;
    win.size = c.startSize;
    win.caption = TTextGraphic::Create(c.pattern, c.width, c.height, c.flag, c.font, c.startSize,
                                       WithAlpha(c.color, 1.0f));
    win.captionOutline = TTextGraphic::Create(c.pattern, c.width, c.height, c.flag, c.font, c.startSize,
                                              WithAlpha(c.colorStroke, 1.0f));
    win.backdrop = std::make_unique<TMySprite>(kCaptionBackdrop, true);
    const int32_t left = c.drawRect[0];
    const int32_t top = c.drawRect[1];
    const int32_t right = c.drawRect[2];
    const int32_t bottom = c.drawRect[3];
    win.backdrop->SetPosition(static_cast<float>(left + (right - left) / 2),
                              static_cast<float>(top + (bottom - top) / 2));
    win.backdrop->UpdateTransform();
    win.backdrop->visible = false;
}

void TGameLogic::StepEffects()
{
    if (!win_ || effectClock_.IsPaused()) return;
    SWinSequence& win = *win_;
    // 1. Land and ground elements (the level update steps the slots).
    for (auto& e : landElems_) e->Update();
    for (auto& e : groundElems_) e->Update();
    // 2.
    for (SGofEffect& gof : win.gofs) gof.particle->Update();
    // 3.
    if (win.backgroundFading)
    {
        ++win.backgroundStep;
        if (backgroundSnow_)
            backgroundSnow_->SetAlpha(1.0f - static_cast<float>(win.backgroundStep) /
                                                 static_cast<float>(SWinSequence::kBackgroundFadeSteps));
        if (win.backgroundStep >= SWinSequence::kBackgroundFadeSteps) win.backgroundFading = false;
    }
    // 4. One monster a removal interval.
    const int32_t now = effectClock_.GetTime();
    if (win.removing && now - win.lastRemoval >= SWinSequence::kRemovalInterval)
    {
        if (monsters_.empty())
        {
            win.removing = false;
        }
        else
        {
            for (auto& m : monsters_)
            {
                if (m->IsDying()) continue;
                m->Die(false);
                break;
            }
            win.lastRemoval = now;
        }
    }
    // 5.
    StepCaption();
}

void TGameLogic::StepCaption()
{
    SWinSequence& win = *win_;
    const SGameOverCaption& c = gameOver_;
    const int32_t now = effectClock_.GetTime();
    const auto setSize = [&](int32_t size) {
        win.size = size;
        if (win.caption) win.caption->SetFontSize(size);
        if (win.captionOutline) win.captionOutline->SetFontSize(size);
        const float scale = c.finishSize != 0 ? static_cast<float>(size) / static_cast<float>(c.finishSize) : 0.0f;
        win.backdrop->SetScale(scale, scale);
        win.backdrop->UpdateTransform();
    };
    // A state of 0 ms ends at once, so several may pass in one step.
    while (win.state < SWinSequence::kCaptionDone)
    {
        const int32_t duration = win.durations[static_cast<size_t>(win.state)];
        const float p = duration > 0 ? static_cast<float>(now - win.stateStart) / static_cast<float>(duration) : 1.0f;
        if (p < 1.0f)
        {
            if (win.state == 1)
                setSize(static_cast<int32_t>(static_cast<float>(c.startSize) +
                                             p * static_cast<float>(c.middleSize - c.startSize)));
            else if (win.state == 2)
                setSize(static_cast<int32_t>(static_cast<float>(c.middleSize) -
                                             p * static_cast<float>(c.middleSize - c.finishSize)));
            else if (win.state == 4)
            {
                win.fill.w = win.outline.w = 1.0f - p;
                win.backdrop->SetAlpha(1.0f - p);
            }
            return;
        }
        if (win.state == 0)
        {
            win.fill.w = win.outline.w = 1.0f;
            win.backdrop->visible = true;
            win.backdrop->SetScale(0.0f, 0.0f);
            win.backdrop->UpdateTransform();
        }
        else if (win.state == 4)
        {
            win.fill.w = win.outline.w = 0.0f;
            win.backdrop->visible = false;
        }
        ++win.state;
        win.stateStart = now;
    }
}

void TGameLogic::DrawWinSequence()
{
    if (!win_) return;
    SWinSequence& win = *win_;
    for (SGofEffect& gof : win.gofs) gof.particle->Draw();
    if (win.flash) win.flash->Draw();
    if (win.state >= SWinSequence::kCaptionDone) return;
    if (win.backdrop) win.backdrop->Draw();
    const TFloatPoint at(static_cast<float>(gameOver_.drawRect[0]), static_cast<float>(gameOver_.drawRect[1]));
    const int32_t height = gameOver_.drawRect[3] - gameOver_.drawRect[1];
    if (win.captionOutline)
        for (const TFloatPoint& d : kOutline)
            win.captionOutline->Draw(TFloatPoint(at.x + d.x, at.y + d.y), height, 1.0f, 0.0f, win.outline.w);
    if (win.caption) win.caption->Draw(at, height, 1.0f, 0.0f, win.fill.w);
}

void TGameLogic::EndWinSequence(bool caption)
{
    if (!win_) return;
    win_->gofs.clear();
    win_->flash.reset();
    if (!caption) return;
    win_.reset();
}
