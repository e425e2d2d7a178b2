// TAnimatedElementList: a group of resource-group sprites sharing one clock
// and one position, each running through a timed "in" phase and "out" phase
// in which its rotation, scale and alpha follow straight lines; played once
// or looped. The main menu's flash and pieces and the career map's
// selection rings are such lists.
//
// Nothing here fails: a sprite whose picture is not loaded draws nothing,
// and a list without a clock stands still. Phases and fades of 0 ms are
// complete at once.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/String.h"

class TClock;
class TMySprite;

class TAnimatedElementList
{
public:
    // The caller's description of one phase.
    struct SStep
    {
        int32_t duration = 0;  // ms
        TString name;          // picture; only the in step's is used
        float turns = 0.0f;    // full turns over the phase, negative the other way
        float scaleStart = 1.0f;
        float scaleEnd = 1.0f;
        float alphaFraction = 0.0f;  // share of the phase over which the alpha changes
    };

    enum Phase : int32_t
    {
        kNotStarted = -1,
        kIn = 0,
        kOut = 1,
        kDone = 2,
    };

    struct SElement
    {
        TString name;  // "group:path" of the picture
        std::unique_ptr<TMySprite> sprite;
        int32_t phase = kNotStarted;
        int32_t phaseStart = 0;  // clock time the phase began
        int32_t inDuration = 0;
        float inRotation = 0.0f;  // radians reached at the end of the in phase
        float inScaleStart = 1.0f;
        float inScaleDelta = 0.0f;
        float restartAlpha = 0.0f;  // written when a loop goes back to the in phase
        int32_t inAlphaDelay = 0;
        int32_t inAlphaDuration = 0;
        int32_t outDuration = 0;
        float outRotation = 0.0f;
        float outScaleStart = 1.0f;
        float outScaleDelta = 0.0f;
        float outStartAlpha = 1.0f;  // written when the out phase begins
        int32_t outAlphaDelay = 0;
        int32_t outAlphaDuration = 0;
    };

    // Turns to radians: the factor the animations were made with, not 2 pi.
    static constexpr float kRadiansPerTurn = 6.28f;

    TAnimatedElementList();
    ~TAnimatedElementList();
    TAnimatedElementList(const TAnimatedElementList&) = delete;
    TAnimatedElementList& operator=(const TAnimatedElementList&) = delete;

    // Appends an element made from the two phases, with an empty sprite.
    void AddElement(SStep in, SStep out);
    // Loads every element's sprite from its name (resource groups), then
    // keeps clock (not owned) as the time source.
    void SetClock(TClock* clock);
    void SetPosition(int32_t x, int32_t y);
    void SetAlphaEnabled(bool enabled) { alphaEnabled_ = enabled; }
    void SetScaleEnabled(bool enabled) { scaleEnabled_ = enabled; }
    // Every element into its in phase from now.
    void Start(bool loop);
    // One animation step; the owner calls it once a frame.
    void Update();
    void Draw();

    int32_t GetCount() const { return static_cast<int32_t>(elements_.size()); }
    // The first element's phase; kNotStarted for an empty list.
    int32_t GetFirstPhase() const;
    // After a start whose elements have all reached kDone.
    bool HasEnded() const { return !running_ && !idle_; }
    const SElement& GetElement(int32_t index) const { return elements_[index]; }

private:
    int32_t Now() const;

    std::vector<SElement> elements_;
    int32_t count_ = 0;
    bool loop_ = false;
    bool running_ = false;
    bool idle_ = true;
    TClock* clock_ = nullptr;
    bool alphaEnabled_ = true;
    bool scaleEnabled_ = true;
};
