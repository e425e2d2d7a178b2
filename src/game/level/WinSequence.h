// The win sequence's state: the gof particles, the flash, the fade of the
// second background layer, the monsters sent away one by one, and the win
// caption that appears, grows, shrinks, stays and fades. TGameLogic owns it
// from the first won level on and drives it (WinSequence.cpp).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/ValueTypes.h"
#include "game/app/MyAnimSprite.h"
#include "game/app/MyParticle.h"
#include "game/app/MySprite.h"
#include "graphics/TextGraphic.h"

// One burst of the gof particles.
struct SGofEffect
{
    std::unique_ptr<TMyParticle> particle;
    TFloatPoint at;
    int32_t reference = 0;
    float value = 0.0f;  // the game's "gof_add_angel"
};

struct SWinSequence
{
    // The caption's states: hidden, growing, shrinking, standing, fading,
    // and done (nothing drawn).
    static constexpr int32_t kCaptionDone = 5;
    static constexpr int32_t kRemovalInterval = 300;
    static constexpr int32_t kBackgroundFadeSteps = 50;

    std::vector<SGofEffect> gofs;
    std::unique_ptr<TMyAnimSprite> flash;

    // The second background layer's fade.
    bool backgroundFading = false;
    int32_t backgroundStep = 0;

    // The monsters told to die, one per interval of the effect clock.
    bool removing = false;
    int32_t lastRemoval = 0;

    // The caption: the fill pass and the outline passes.
    std::unique_ptr<TTextGraphic> caption;
    std::unique_ptr<TTextGraphic> captionOutline;
    std::unique_ptr<TMySprite> backdrop;
    TFloatVector4 fill;
    TFloatVector4 outline;
    int32_t state = kCaptionDone;
    int32_t stateStart = 0;
    int32_t size = 0;
    // The time of each state 0 to 4 (ms of the effect clock).
    std::array<int32_t, 5> durations{};
};
