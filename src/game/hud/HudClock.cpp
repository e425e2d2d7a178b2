// The level clock, the time and profit bars of the HUD.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/Saturate.h"
#include "game/app/MySprite.h"
#include "game/app/TextFormat.h"
#include "game/hud/Hud.h"
#include "game/level/GameLogic.h"
#include "graphics/TextGraphic.h"

namespace
{

constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;
constexpr int32_t kClockTextWidth = 100;
constexpr int32_t kClockTextHeight = 20;
constexpr int32_t kClockTextFlags = 5;
constexpr int32_t kClockTextSize = 18;
const char* const kClockFont = "fonts/comic_sans.mvec";
const char* const kRedPea = "hud:images/game_logic/hud/clock/pea_red";
const char* const kProfitComplete = "hud:images/game_logic/hud/profit_bar/layer_1";
const char* const kProfitIncomplete = "hud:images/game_logic/hud/profit_bar/layer_1_dop";

int32_t Millis(int32_t minutes, int32_t seconds)
{
    const int64_t ms = static_cast<int64_t>(minutes) * 60000 + static_cast<int64_t>(seconds) * 1000;
    return ClampToInt32(ms);
}

// "m:s" of a time in ms, no zero padding.
TString MinutesSeconds(int32_t ms)
{
    const int32_t minutes = ms / 60000;
    const int32_t seconds = (ms - minutes * 60000) / 1000;
    return FormatDataText("%d:%d", {minutes, seconds});
}

// Shows the left part of the picture: width x fraction (0..1).
void ShowFraction(TMySprite& sprite, float fraction)
{
    if (!(fraction >= 0.0f)) fraction = 0.0f;
    fraction = std::min(fraction, 1.0f);
    int32_t w = 0;
    int32_t h = 0;
    sprite.GetSize(&w, &h);
    sprite.SetSourceRect(0, 0, static_cast<int32_t>(static_cast<float>(w) * fraction), h);
}

// The fading alpha of the pea the hand passes: gone after two thirds.
float FadingAlpha(float angle, float step, int32_t k)
{
    const float a = 1.0f - ((angle - step * static_cast<float>(k)) / step) * 1.5f;
    return a < 0.0f ? 0.0f : a;
}

}  // namespace

float HUD::PeaStep() const
{
    const int32_t half = static_cast<int32_t>(peas_.size()) / 2;
    return half > 0 ? std::numbers::pi_v<float> / static_cast<float>(half) : 0.0f;
}

void HUD::StartClock(int32_t minutes, int32_t seconds)
{
    clockRunning_ = true;
    slideOut_ = false;
    timeLimit_ = Millis(minutes, seconds);
    const int32_t now = Now();
    timeLeft_ = timeLimit_ - now;
    clockText_ = TTextGraphic::Create(MinutesSeconds(now), kClockTextWidth, kClockTextHeight, kClockTextFlags,
                                      kClockFont, kClockTextSize, TFloatVector4(1.0f, 1.0f, 1.0f, 1.0f));
    if (timeLimit_ <= 0)
    {
        // No time at all: out of time at once.
        clockRunning_ = false;
        fractionLeft_ = 0.0f;
        elapsed_ = 1.0f;
    }
}

void HUD::SetExpertTime(int32_t minutes, int32_t seconds)
{
    expertTime_ = Millis(minutes, seconds);
    const float ratio =
        timeLimit_ > 0 ? static_cast<float>(expertTime_) / static_cast<float>(timeLimit_) : 1.0f;
    if (timeBar_[1] && timeBar_[2])
    {
        int32_t w = 0;
        int32_t h = 0;
        timeBar_[2]->GetSize(&w, &h);
        const TFloatPoint bar = timeBar_[2]->GetPosition();
        const float x = bar.x + static_cast<float>(static_cast<int32_t>(ratio * static_cast<float>(w)));
        timeBar_[1]->SetPosition(x, timeBar_[1]->GetPosition().y);
        timeBar_[1]->UpdateTransform();
    }
    const float angle = (1.0f - ratio) * kTwoPi;
    if (expertHand_)
    {
        expertHand_->SetRotation(angle);
        expertHand_->UpdateTransform();
    }
    const float step = PeaStep();
    if (step <= 0.0f) return;
    const float first = std::trunc(angle / step + 1.0f);
    for (size_t i = first < 0.0f ? 0 : static_cast<size_t>(first); i < peas_.size(); ++i)
        peas_[i]->Load(kRedPea, true);
}

void HUD::StepClock()
{
    const int32_t now = Now();
    timeLeft_ = timeLimit_ - now;
    if (readOuts_.size() > static_cast<size_t>(kTime))
    {
        HudText& text = *readOuts_[kTime];
        text.SetText(FormatDataText(text.text, {MinutesSeconds(now)}));
    }
    if (timeLimit_ <= 0)
    {
        fractionLeft_ = 0.0f;
        elapsed_ = 1.0f;
        clockRunning_ = false;
    }
    else
    {
        fractionLeft_ = static_cast<float>(timeLeft_) / static_cast<float>(timeLimit_);
        elapsed_ = 1.0f - fractionLeft_;
    }
    if (timeBar_[2]) ShowFraction(*timeBar_[2], elapsed_);

    if (timeLeft_ < 1 && clockRunning_)
    {
        if (!slideOut_)
        {
            slideOut_ = true;
            slideStart_ = now;
        }
        else
        {
            // A slide of no length ends at once.
            const float t = layout_.moveTime > 0
                                ? static_cast<float>(now - slideStart_) / static_cast<float>(layout_.moveTime)
                                : 1.0f;
            const float y = layout_.clock.y - 2.0f * layout_.clock.y * std::min(t, 1.0f);
            auto place = [&](TMySprite* s) {
                if (s == nullptr) return;
                s->SetPosition(layout_.clock.x, y);
                s->UpdateTransform();
            };
            place(clockFace_.get());
            place(expertHand_.get());
            place(hand_.get());
            for (auto& pea : peas_) place(pea.get());
            if (t >= 1.0f) clockRunning_ = false;
        }
    }
    if (clockRunning_ && !slideOut_)
    {
        const float angle = elapsed_ * kTwoPi;
        if (hand_)
        {
            hand_->SetRotation(angle);
            hand_->UpdateTransform();
        }
        FadePeas(angle);
    }
}

void HUD::FadePeas(float angle)
{
    const float step = PeaStep();
    if (step <= 0.0f) return;
    const float kf = std::trunc(angle / step);
    if (kf < 0.0f || kf >= static_cast<float>(peas_.size())) return;
    const int32_t k = static_cast<int32_t>(kf);
    peas_[static_cast<size_t>(k)]->SetAlpha(FadingAlpha(angle, step, k));
}

void HUD::UpdateClock()
{
    timeLeft_ = timeLimit_ - Now();
    if (timeLeft_ <= 0 || timeLimit_ <= 0)
    {
        clockRunning_ = false;
        return;
    }
    fractionLeft_ = static_cast<float>(timeLeft_) / static_cast<float>(timeLimit_);
    elapsed_ = 1.0f - fractionLeft_;
    const float angle = elapsed_ * kTwoPi;
    const float step = PeaStep();
    if (step <= 0.0f) return;
    const float kf = std::trunc(angle / step);
    const size_t k = kf < 0.0f ? 0 : static_cast<size_t>(std::min(kf, static_cast<float>(peas_.size())));
    for (size_t i = 0; i < k && i < peas_.size(); ++i) peas_[i]->SetAlpha(0.0f);
    FadePeas(angle);
}

int32_t HUD::GetTimeGrade() const
{
    if (timeLeft_ < 0) return 2;
    return timeLeft_ >= expertTime_ ? 1 : 0;
}

void HUD::StepProfitBar()
{
    if (!profitBar_[1] || !owner_.HasEconomic()) return;
    const Economic& eco = owner_.GetEconomic();
    const int32_t interval = eco.GetPayoutInterval();
    float fraction = 0.0f;
    if (interval > 0)
    {
        const int32_t since = Now() - static_cast<int32_t>(eco.GetLastPayoutTime());
        fraction = static_cast<float>(since) / static_cast<float>(interval);
    }
    ShowFraction(*profitBar_[1], fraction);
}

void HUD::SetProfitBarComplete(bool complete)
{
    if (profitBar_[1]) profitBar_[1]->Load(complete ? kProfitComplete : kProfitIncomplete, true);
}
