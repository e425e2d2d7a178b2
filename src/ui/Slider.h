// TSlider: a horizontal or vertical slider with a value from 0 to 1: a rail
// drawn from three images (start cap, stretched middle, end cap) and a
// draggable thumb image with a rollover picture. Tells its parent about
// value changes, the end of a drag and presses beside the thumb. Made from
// Lua tables under the type name "Slider".
#pragma once

#include <cstdint>
#include <memory>

#include "graphics/Texture.h"
#include "ui/Window.h"

class TImage;

// Main thread only.
class TSlider : public TWindow
{
public:
    TSlider();
    ORVELLE_WINDOW_CLASS(TWindow);
    // The thumb goes with the tree once it is a child; before that, here.
    ~TSlider() override;
    // Keys "scale", "yoffset", "sliderimage", "sliderrollimage", "value"
    // (set silently), "railtop", "railmid", "railbot", "hslider" (absent: w
    // > h). A second Init only repeats the window's name and placement.
    void Init(TWindowStyle& style) override;
    // The rail; the thumb draws itself as a child.
    void Draw() override;
    // On the thumb: starts a drag. Beside it: kSliderPageUp (before it) or
    // kSliderPageDown, the value unchanged.
    bool OnMouseDown(TPoint point) override;
    // Ends a drag: kSliderMouseUp.
    bool OnMouseUp(TPoint point) override;
    // During a drag the value follows the point over the whole length.
    bool OnMouseMove(TPoint point) override;
    // A running drag keeps going.
    bool OnMouseLeave() override;

    float GetValue() const { return value_; }
    // Clamped to 0..1 (NaN counts as 0); unless silent, kSliderValChanged.
    void SetValue(float value, bool silent);
    // Any may be empty; recomputes the thickness.
    void SetRails(const TTextureRef& top, const TTextureRef& middle, const TTextureRef& bottom);
    // The thumb shows normal at the slider's scale and joins the slider.
    void SetThumbImages(const TTextureRef& normal, const TTextureRef& rollover);

    bool IsHorizontal() const { return horizontal_; }
    bool IsDragging() const { return drag_ != 0; }
    // Null once the thumb is gone.
    TImage* GetThumb() const;
    float GetRailAlpha() const { return railAlpha_; }
    void SetRailAlpha(float alpha) { railAlpha_ = alpha; }

private:
    void PlaceThumb();
    // Makes the thumb a child when it is none.
    void AttachThumb();
    void UpdateSize();
    void ShowThumb(bool rollover);
    bool InThumb(TPoint point) const;
    void Notify(int32_t kind);
    void DrawRailPiece(const TTextureRef& image, float start, float length);

    int32_t drag_ = 0;
    bool initialised_ = false;
    // Ours until the tree takes it; after that the tree's, and known by its
    // handle, since scripts may delete it.
    std::unique_ptr<TImage> looseThumb_;
    TScriptHandle thumb_;
    TTextureRef thumbImage_, thumbRollImage_;
    TTextureRef rails_[3];
    float value_ = 0.0f;
    float scale_ = 1.0f;
    float railAlpha_ = 1.0f;
    int32_t crossOffset_ = 0;
    int32_t thickness_ = 0;
    bool horizontal_ = false;
};
