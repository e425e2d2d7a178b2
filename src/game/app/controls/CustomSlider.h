// TCustomSlider (window type "CustomSlider"): the game's slider. Its rail is
// part of the screen's background, so it draws nothing itself; only its
// thumb (a child picture) shows. It knows the size of its thumb picture.
#pragma once

#include <cstdint>

#include "ui/Slider.h"

// Main thread only.
class TCustomSlider : public TSlider
{
public:
    TCustomSlider() = default;
    ORVELLE_WINDOW_CLASS(TSlider);
    ~TCustomSlider() override = default;

    // The slider's keys, then the size of the "sliderimage" picture. An
    // empty name gives 0 x 0; so does a picture that does not load, with
    // one log line.
    void Init(TWindowStyle& style) override;
    // Nothing: the thumb draws itself as a child.
    void Draw() override {}

    // 0 until Init.
    int32_t GetThumbImageWidth() const { return thumbWidth_; }
    int32_t GetThumbImageHeight() const { return thumbHeight_; }

private:
    int32_t thumbWidth_ = 0;
    int32_t thumbHeight_ = 0;
};
