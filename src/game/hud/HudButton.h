// HudButton: the button of the in-level HUD (tab buttons, the menu and help
// buttons). Not a window: its owner places it, updates and draws it and hands
// it the mouse. It draws a frame and an icon chosen by its state, an optional
// overlay badge, an attention pulse, a progress bar filling upwards, a
// caption and a row of costs, and calls its callback when released on it.
//
// States: 0 normal, 1 select (hover), 2 down, 3 disabled.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "core/Clock.h"
#include "core/String.h"
#include "core/ValueTypes.h"

class TMySprite;
class TMyParticle;
class TTextGraphic;

class HudButton
{
public:
    enum State : int32_t
    {
        kNormal = 0,
        kSelect = 1,
        kDown = 2,
        kDisabled = 3,
    };

    // One cost of the row: an icon (resource-group name) and its amount text
    // ("~" before the digits marks an estimate).
    using TCost = std::pair<TString, TString>;

    HudButton();
    ~HudButton();
    HudButton(const HudButton&) = delete;
    HudButton& operator=(const HudButton&) = delete;

    // Normal, select, down, disable.
    void SetStateImages(const std::vector<TString>& names);
    void SetIconImages(const std::vector<TString>& names);
    void SetState(int32_t state);
    int32_t GetState() const { return state_; }

    void SetPosition(int32_t x, int32_t y);
    TPoint GetPosition() const { return {x_, y_}; }
    void GetSize(int32_t* width, int32_t* height) const;

    // An empty disabled name takes the enabled one; order 0 draws the overlay
    // under the icon, 1 over it.
    void SetOverlay(const TString& enabledName, const TString& disabledName, int32_t order);
    void SetEnabled(bool enabled, int32_t hintId);
    int32_t GetHintId() const { return hintId_; }

    void SetProgressImage(const TString& name);
    // Clamped to 0..1; 0 turns the progress off and the button back to normal.
    void SetProgress(float fraction);
    float GetProgress() const { return progress_; }
    bool IsProgressOn() const { return progressOn_; }

    // The pulse runs on its own clock: every interval ms the alpha moves by
    // step and turns back at 0 and 1.
    void StartPulse(int32_t intervalMs, float step);
    void StopPulse() { pulseOn_ = false; }
    bool IsPulsing() const { return pulseOn_; }

    void SetPressSound(const TString& name) { pressSound_ = name; }
    // Where the press sound goes; unset, the game's sound manager.
    void SetSoundSink(std::function<void(const TString&)> sink) { soundSink_ = std::move(sink); }
    // Asked to show the hint of a disabled button that was pressed.
    void SetHintSink(std::function<void(int32_t)> sink) { hintSink_ = std::move(sink); }

    void SetCaption(const TString& text, int32_t width, int32_t height, int32_t flags, const TString& font,
                    int32_t size, const TFloatVector4& color);
    TTextGraphic* GetCaption() const { return caption_.get(); }
    TPoint GetCaptionSize() const { return {captionW_, captionH_}; }

    void SetCosts(const std::vector<TCost>& costs);
    // Index outside the row: nothing.
    void SetCostAmount(int32_t index, int32_t amount);
    // 0 outside the row.
    int32_t GetCostAmount(int32_t index) const;
    void SetCostColour(int32_t index, bool affordable);
    void ClearCosts();
    int32_t GetCostCount() const { return static_cast<int32_t>(costAmounts_.size()); }
    // The shown text of cost index ("" outside the row).
    TString GetCostText(int32_t index) const;
    TRect GetCostRect(int32_t index) const;
    void SetCostColours(const TFloatVector4& affordable, const TFloatVector4& notAffordable);

    // Runs the particle at the button until it is done (owned).
    void StartParticle(std::unique_ptr<TMyParticle> particle);
    bool IsParticleRunning() const { return particleOn_; }

    void SetAlphaThreshold(int32_t alpha) { threshold_ = alpha; }
    void SetCallback(std::function<void()> callback) { callback_ = std::move(callback); }
    void SetId(int32_t id) { id_ = id; }
    int32_t GetId() const { return id_; }

    void Update();
    void Draw();

    // True when the point is on the button (frame picture, alpha threshold).
    bool HitTest(int32_t x, int32_t y) const;
    bool UpdateHover(int32_t x, int32_t y);
    bool OnPress(int32_t x, int32_t y);
    bool OnRelease(int32_t x, int32_t y);

    // The parts, for owners that lay things out and for tests.
    TMySprite& Frame() const { return *frame_; }
    TMySprite& Icon() const { return *icon_; }
    TMySprite& Overlay() const { return *overlay_; }
    TMySprite& Pulse() const { return *pulse_; }
    TMySprite& ProgressBar() const { return *progressSprite_; }
    const TString& GetOverlayName(int32_t which) const { return overlayNames_[which != 0 ? 1 : 0]; }
    int32_t GetOverlayOrder() const { return overlayOrder_; }

private:
    void ApplyState();
    void LayoutCosts();
    void PlayPressSound();
    void ShowHint(int32_t id);

    std::vector<TString> stateImages_;
    std::vector<TString> iconImages_;
    std::unique_ptr<TMySprite> frame_;
    std::unique_ptr<TMySprite> icon_;
    std::unique_ptr<TMySprite> overlay_;
    std::unique_ptr<TMySprite> pulse_;
    std::unique_ptr<TMySprite> progressSprite_;
    TString overlayNames_[2];
    int32_t overlayOrder_ = 0;
    bool progressVisible_ = false;
    bool progressOn_ = false;
    float progress_ = 0.0f;
    bool pulseOn_ = false;
    TClock pulseClock_;
    int32_t pulseInterval_ = 0;
    int32_t pulseLast_ = 0;
    float pulseAlpha_ = 0.0f;
    float pulseStep_ = 0.0f;
    int32_t state_ = kNormal;
    int32_t x_ = 0;
    int32_t y_ = 0;
    std::unique_ptr<TTextGraphic> caption_;
    int32_t captionW_ = 0;
    int32_t captionH_ = 0;
    int32_t hintId_ = -1;
    TString pressSound_;
    std::vector<std::unique_ptr<TTextGraphic>> costTexts_;
    std::vector<TRect> costRects_;
    std::vector<std::unique_ptr<TMySprite>> costIcons_;
    std::vector<int32_t> costAmounts_;
    TFloatVector4 affordable_{1.0f, 1.0f, 1.0f, 1.0f};
    TFloatVector4 notAffordable_{1.0f, 0.2f, 0.2f, 1.0f};
    int32_t progressOffX_ = 0;
    int32_t progressOffY_ = 0;
    std::unique_ptr<TMyParticle> particle_;
    bool particleOn_ = false;
    int32_t threshold_ = 200;
    int32_t id_ = 0;
    std::function<void()> callback_;
    std::function<void(const TString&)> soundSink_;
    std::function<void(int32_t)> hintSink_;
};
