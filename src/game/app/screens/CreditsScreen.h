// TCreditsScreen (window type "CreditsScreen"): the credits. A column of
// text lines and pictures, centred on the 800 x 600 screen, fades in,
// holds, scrolls up until nothing is left on screen, pauses
// and starts over. A mask picture and looping animations lie over it and
// the credits music plays while it is open. The column comes from
// "scripts/core/screen/credits_list.lua"; the window style's "window_info"
// places the column's start, the mask and the animations. Enter and Escape
// press its "ok_button".
//
// Failure: a list that does not run leaves the column empty (logged); with
// no entries nothing fades or scrolls. Missing phase durations count as
// 0 ms, and a phase of 0 ms or less ends at once. A "style" outside the
// styles takes the first one (defaults without any), logged. Missing
// pictures draw nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/Clock.h"
#include "core/String.h"
#include "core/ValueTypes.h"
#include "game/app/screens/GameScreen.h"

class TMySprite;
class TMyAnimSprite;
class TTextGraphic;

class TCreditsScreen : public TGameScreen
{
public:
    static constexpr const char* kListScript = "scripts/core/screen/credits_list.lua";
    static constexpr const char* kMask = "main_menu:images/core/credits/mask";
    static constexpr const char* kMusic = "core_audio:audio/music/credits";

    enum EPhase : int32_t
    {
        kFadeIn = 0,
        kHold = 1,
        kScroll = 2,
        kPause = 3,
    };

    struct SStyle
    {
        TString font;
        int32_t size = 0;
        int32_t flag = 0;
        TFloatVector4 color{1, 1, 1, 1};
    };

    // One entry of the column.
    class SItem
    {
    public:
        explicit SItem(int32_t spacing) : spacing_(spacing) {}
        virtual ~SItem() = default;
        // Places the entry with its top at y in a column of that width;
        // returns the next entry's y.
        virtual int32_t Layout(int32_t y, int32_t width) = 0;
        virtual void Scroll(int32_t dy);
        virtual void SetAlpha(float alpha) { alpha_ = alpha; }
        // 1 when the entry lies at least partly on screen (and was drawn),
        // 0 otherwise.
        int32_t Draw();
        const TRect& GetRect() const { return rect_; }
        float GetAlpha() const { return alpha_; }

    protected:
        virtual void DrawOnScreen() = 0;

        int32_t spacing_;
        TRect rect_;
        float alpha_ = 1.0f;
    };

    TCreditsScreen();
    // Pauses the music.
    ~TCreditsScreen() override;

    ORVELLE_WINDOW_CLASS(TGameScreen);

    // The screen pattern, then mask, animations, the list and its layout,
    // the first phase and the music.
    void PostInit(TWindowStyle& style) override;
    // The entries on screen, the mask, the animations.
    void Draw() override;
    // Enter and Escape click "ok_button"; the key is never consumed.
    bool OnKeyDown(int8_t key, int32_t modifiers) override;

    int32_t GetPhase() const { return phase_; }
    int32_t GetDrawnCount() const { return drawnCount_; }
    const std::vector<std::unique_ptr<SItem>>& GetItems() const { return items_; }
    const std::vector<int32_t>& GetDurations() const { return durations_; }
    const std::vector<SStyle>& GetStyles() const { return styles_; }
    int32_t GetSpeed() const { return speed_; }
    TClock& GetPhaseClock() { return phaseClock_; }

protected:
    // One step of the phase machine.
    void Tick() override;

private:
    void LoadList();
    void LayOut();
    void SetPhase(int32_t phase);
    // The current phase's progress: 1 or more once its time is up.
    float Progress() const;
    // The fade takes the whole column: entries below the first would stand
    // at full strength under a fading title.
    void SetColumnAlpha(float alpha);

    std::unique_ptr<TMySprite> mask_;
    std::vector<SStyle> styles_;
    std::vector<std::unique_ptr<SItem>> items_;
    int32_t itemStartY_ = 0;
    int32_t textWidth_ = 100;
    TClock phaseClock_;
    std::vector<int32_t> durations_;
    int32_t phase_ = kFadeIn;
    int32_t speed_ = 0;
    int32_t drawnCount_ = 0;
    // Pixels scrolled since the scroll phase began.
    int32_t scrolled_ = 0;
    TClock animationClock_;
    std::vector<std::unique_ptr<TMyAnimSprite>> animations_;
};
