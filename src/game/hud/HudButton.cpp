#include "game/hud/HudButton.h"

#include <algorithm>
#include <cstdlib>

#include "game/app/MyParticle.h"
#include "game/app/MySoundManager.h"
#include "game/app/MySprite.h"
#include "game/app/TextFormat.h"
#include "core/Saturate.h"
#include "graphics/DrawParams.h"
#include "graphics/TextGraphic.h"

namespace
{

constexpr int32_t kIconOffsetX = 11;
constexpr int32_t kIconOffsetY = -2;
constexpr int32_t kProgressOffsetY = 5;
constexpr int32_t kCostGap = 5;
constexpr int32_t kCostTextWidth = 100;
constexpr int32_t kCostTextHeight = 20;
constexpr int32_t kCostTextFlags = 4;
constexpr int32_t kCostFontSize = 16;
const char* const kCostFont = "fonts/tnr.mvec";

// The cost text's number: digits after an optional "~" (which asks for the
// "~%d" format); anything else reads as far as it is a number.
int32_t ReadAmount(const TString& text, bool* estimate)
{
    const char* s = text.CStr();
    *estimate = s[0] == '~';
    if (*estimate) ++s;
    const long long n = std::strtoll(s, nullptr, 10);
    return ClampToInt32(n);
}

int32_t TextWidth(const TTextGraphic& text)
{
    const TRect b = text.GetTextBounds(1.0f);
    return std::max(0, b.right - b.left);
}

}  // namespace

HudButton::HudButton()
    : frame_(std::make_unique<TMySprite>(TString(), true)),
      icon_(std::make_unique<TMySprite>(TString(), true)),
      overlay_(std::make_unique<TMySprite>(TString(), true)),
      pulse_(std::make_unique<TMySprite>(TString(), true)),
      progressSprite_(std::make_unique<TMySprite>(TString(), true))
{
    overlay_->visible = false;
    progressSprite_->SetSourceRectEnabled(true);
}

HudButton::~HudButton() = default;

void HudButton::SetStateImages(const std::vector<TString>& names)
{
    stateImages_ = names;
    ApplyState();
}

void HudButton::SetIconImages(const std::vector<TString>& names)
{
    iconImages_ = names;
    ApplyState();
}

void HudButton::SetState(int32_t state)
{
    state_ = state;
    ApplyState();
}

void HudButton::ApplyState()
{
    if (state_ >= 0 && static_cast<size_t>(state_) < stateImages_.size())
        frame_->Load(stateImages_[static_cast<size_t>(state_)], true);
    if (!iconImages_.empty())
    {
        const size_t i = std::min(static_cast<size_t>(std::max(state_, 0)), iconImages_.size() - 1);
        icon_->Load(iconImages_[i], true);
    }
}

void HudButton::SetPosition(int32_t x, int32_t y)
{
    x_ = x;
    y_ = y;
    frame_->MoveTo(x, y);
    icon_->MoveTo(ClampToInt32(int64_t{x} + kIconOffsetX), ClampToInt32(int64_t{y} + kIconOffsetY));
    overlay_->MoveTo(x, y);
    pulse_->MoveTo(x, y);
    progressOffX_ = 0;
    progressOffY_ = kProgressOffsetY;
    progressSprite_->MoveTo(x, ClampToInt32(int64_t{y} + kProgressOffsetY));
    if (progressOn_) SetProgress(progress_);
    if (!costAmounts_.empty()) LayoutCosts();
}

void HudButton::GetSize(int32_t* width, int32_t* height) const
{
    frame_->GetSize(width, height);
}

void HudButton::SetOverlay(const TString& enabledName, const TString& disabledName, int32_t order)
{
    overlayNames_[0] = enabledName;
    overlayNames_[1] = disabledName.IsEmpty() ? enabledName : disabledName;
    overlayOrder_ = order;
    overlay_->Load(enabledName, true);
    overlay_->visible = !enabledName.IsEmpty();
}

void HudButton::SetEnabled(bool enabled, int32_t hintId)
{
    if (enabled)
    {
        if (state_ == kDisabled) SetState(kNormal);
        if (overlay_->visible) overlay_->Load(overlayNames_[0], true);
        return;
    }
    if (progressOn_)
    {
        // A running progress keeps the icon lit: the disabled frame, the
        // first icon, and the hint as it was.
        state_ = kDisabled;
        if (stateImages_.size() > static_cast<size_t>(kDisabled)) frame_->Load(stateImages_[kDisabled], true);
        if (!iconImages_.empty()) icon_->Load(iconImages_[0], true);
        return;
    }
    if (state_ != kDisabled) SetState(kDisabled);
    hintId_ = hintId;
    if (overlay_->visible) overlay_->Load(overlayNames_[1], true);
}

void HudButton::SetProgressImage(const TString& name)
{
    progressSprite_->Load(name, true);
    progressVisible_ = true;
    progressSprite_->visible = true;
}

void HudButton::SetProgress(float fraction)
{
    // Outside 0..1 the source rectangle would leave the picture.
    if (!(fraction >= 0.0f)) fraction = 0.0f;
    if (fraction > 1.0f) fraction = 1.0f;
    progress_ = fraction;
    if (fraction == 0.0f)
    {
        progressOn_ = false;
        SetState(kNormal);
    }
    else
    {
        progressOn_ = true;
    }
    int32_t w = 0;
    int32_t h = 0;
    progressSprite_->GetSize(&w, &h);
    const int32_t row = h - static_cast<int32_t>(static_cast<float>(h) * fraction);
    progressSprite_->SetSourceRect(0, row, w, h - row);
    progressSprite_->MoveTo(ClampToInt32(int64_t{x_} + progressOffX_), ClampToInt32(int64_t{y_} + progressOffY_ + row));
}

void HudButton::StartPulse(int32_t intervalMs, float step)
{
    pulseOn_ = true;
    pulseInterval_ = intervalMs;
    pulseStep_ = step;
    pulseAlpha_ = 0.0f;
    pulseClock_.Reset();
    pulseClock_.Start();
    pulseLast_ = pulseClock_.GetTime();
    pulse_->SetAlpha(pulseAlpha_);
}

void HudButton::SetCaption(const TString& text, int32_t width, int32_t height, int32_t flags, const TString& font,
                           int32_t size, const TFloatVector4& color)
{
    caption_ = TTextGraphic::Create(text, width, height, flags, font, size, color);
    captionW_ = width;
    captionH_ = height;
}

void HudButton::SetCostColours(const TFloatVector4& affordable, const TFloatVector4& notAffordable)
{
    affordable_ = affordable;
    notAffordable_ = notAffordable;
}

void HudButton::SetCosts(const std::vector<TCost>& costs)
{
    ClearCosts();
    for (const TCost& cost : costs)
    {
        auto icon = std::make_unique<TMySprite>(cost.first, true);
        int32_t w = 0;
        int32_t h = 0;
        icon->GetSize(&w, &h);
        icon->SetOriginEnabled(true);
        icon->SetOrigin(0, h / 2);
        bool estimate = false;
        const int32_t amount = ReadAmount(cost.second, &estimate);
        costAmounts_.push_back(amount);
        costTexts_.push_back(TTextGraphic::Create(FormatThousands(amount, estimate ? "~%d" : "%d"), kCostTextWidth,
                                                  kCostTextHeight, kCostTextFlags, kCostFont, kCostFontSize,
                                                  affordable_));
        costIcons_.push_back(std::move(icon));
        costRects_.emplace_back();
    }
    LayoutCosts();
}

void HudButton::LayoutCosts()
{
    int32_t bw = 0;
    int32_t bh = 0;
    GetSize(&bw, &bh);
    int32_t total = 0;
    for (size_t i = 0; i < costIcons_.size(); ++i)
    {
        int32_t w = 0;
        int32_t h = 0;
        costIcons_[i]->GetSize(&w, &h);
        total += w + TextWidth(*costTexts_[i]) + (i > 0 ? kCostGap : 0);
    }
    // The button is placed by its centre; the row runs along its lower part,
    // centred on it.
    int32_t x = ClampToInt32(int64_t{x_} - total / 2);
    const int32_t rowY = ClampToInt32(int64_t{y_} + bh / 4);
    for (size_t i = 0; i < costIcons_.size(); ++i)
    {
        int32_t w = 0;
        int32_t h = 0;
        costIcons_[i]->GetSize(&w, &h);
        costIcons_[i]->MoveTo(x, rowY);
        x = ClampToInt32(int64_t{x} + w);
        const int32_t tw = TextWidth(*costTexts_[i]);
        costRects_[i] = TRect(x, ClampToInt32(int64_t{rowY} - kCostTextHeight / 2), ClampToInt32(int64_t{x} + tw),
                              ClampToInt32(int64_t{rowY} + kCostTextHeight / 2));
        x = ClampToInt32(int64_t{x} + tw + kCostGap);
    }
}

void HudButton::SetCostAmount(int32_t index, int32_t amount)
{
    if (index < 0 || index >= GetCostCount()) return;
    const size_t i = static_cast<size_t>(index);
    costAmounts_[i] = amount;
    const TString before = costTexts_[i]->GetText();
    const TString text = FormatThousands(amount, "%d");
    costTexts_[i]->SetText(text);
    if (before.Length() != text.Length()) LayoutCosts();
}

int32_t HudButton::GetCostAmount(int32_t index) const
{
    if (index < 0 || index >= GetCostCount()) return 0;
    return costAmounts_[static_cast<size_t>(index)];
}

TString HudButton::GetCostText(int32_t index) const
{
    if (index < 0 || index >= GetCostCount()) return TString();
    return costTexts_[static_cast<size_t>(index)]->GetText();
}

TRect HudButton::GetCostRect(int32_t index) const
{
    if (index < 0 || index >= GetCostCount()) return TRect();
    return costRects_[static_cast<size_t>(index)];
}

void HudButton::SetCostColour(int32_t index, bool affordable)
{
    if (index < 0 || index >= GetCostCount()) return;
    costTexts_[static_cast<size_t>(index)]->SetColor(affordable ? affordable_ : notAffordable_);
}

void HudButton::ClearCosts()
{
    costTexts_.clear();
    costRects_.clear();
    costIcons_.clear();
    costAmounts_.clear();
}

void HudButton::StartParticle(std::unique_ptr<TMyParticle> particle)
{
    particle_ = std::move(particle);
    particleOn_ = particle_ != nullptr;
    if (!particle_) return;
    particle_->SetPosition(static_cast<float>(x_), static_cast<float>(y_));
    particle_->Start();
}

void HudButton::Update()
{
    if (pulseOn_)
    {
        const int32_t now = pulseClock_.GetTime();
        if (now - pulseLast_ >= pulseInterval_)
        {
            pulseLast_ = now;
            pulseAlpha_ += pulseStep_;
            if (pulseAlpha_ <= 0.0f || pulseAlpha_ >= 1.0f)
            {
                pulseStep_ = -pulseStep_;
                pulseAlpha_ += pulseStep_;
            }
            pulse_->SetAlpha(pulseAlpha_);
        }
    }
    if (particleOn_ && particle_)
    {
        particle_->Update();
        if (!particle_->IsActive())
        {
            particle_.reset();
            particleOn_ = false;
        }
    }
}

void HudButton::Draw()
{
    frame_->Draw();
    if (pulseOn_) pulse_->Draw();
    if (overlayOrder_ == 0) overlay_->Draw();
    if (progressVisible_) progressSprite_->Draw();
    icon_->Draw();
    if (overlayOrder_ == 1) overlay_->Draw();
    if (caption_)
        caption_->Draw(TFloatPoint(static_cast<float>(x_), static_cast<float>(y_)), captionH_, 1.0f);
    for (size_t i = 0; i < costIcons_.size(); ++i)
    {
        costIcons_[i]->Draw();
        const TRect& r = costRects_[i];
        costTexts_[i]->Draw(TFloatPoint(static_cast<float>(r.left), static_cast<float>(r.top)), r.bottom - r.top,
                            1.0f);
    }
    if (particleOn_ && particle_) particle_->Draw();
}

bool HudButton::HitTest(int32_t x, int32_t y) const
{
    return frame_->HitTest(x, y, threshold_, TMySpritePattern::NeutralParent());
}

bool HudButton::UpdateHover(int32_t x, int32_t y)
{
    if (HitTest(x, y))
    {
        if (state_ == kNormal) SetState(kSelect);
        return true;
    }
    if (state_ == kSelect || state_ == kDown) SetState(kNormal);
    return false;
}

bool HudButton::OnPress(int32_t x, int32_t y)
{
    if (!HitTest(x, y)) return false;
    if (state_ != kDisabled)
    {
        SetState(kDown);
        if (!pressSound_.IsEmpty()) PlayPressSound();
    }
    else if (hintId_ != -1)
    {
        ShowHint(hintId_);
    }
    return true;
}

bool HudButton::OnRelease(int32_t x, int32_t y)
{
    if (!HitTest(x, y)) return false;
    if (state_ == kSelect || state_ == kDown)
    {
        SetState(kSelect);
        // The callback may rebuild the owner's buttons, this one among them.
        if (callback_)
        {
            const std::function<void()> callback = callback_;
            callback();
        }
    }
    return true;
}

void HudButton::PlayPressSound()
{
    if (soundSink_)
    {
        soundSink_(pressSound_);
        return;
    }
    if (TMySoundManager* sounds = TMySoundManager::GetIfMade()) sounds->PlaySound(pressSound_, false);
}

void HudButton::ShowHint(int32_t id)
{
    if (hintSink_) hintSink_(id);
}
