// TLoadScreen: the window the loading script opens (window type
// "LoadScreen") while TRes loads a request. Its 10 ms timer loads one file
// per tick and moves a progress bar; the first loading of a run shows the
// first-time pictures.
//
// Failure: a picture that does not load is simply not drawn; a style
// without the position keys puts the bar and the overlay at 0.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "game/app/MySprite.h"
#include "ui/Window.h"

class TLoadScreen : public TWindow
{
public:
    // Registers itself with TRes as its loading screen.
    TLoadScreen();
    // Drops the pictures, unloads the group "load" and withdraws the
    // registration (when still its own).
    ~TLoadScreen() override;

    ORVELLE_WINDOW_CLASS(TWindow);

    // Opaque, the 10 ms timer, name and placement, the focus, and the
    // picture set TRes's first-load flag chooses. Keys "load_x", "load_y"
    // (the bar's top-left corner), "up_x", "up_y" (the overlay's centre) and
    // the same with "first_" for the first loading.
    void Init(TWindowStyle& style) override;
    // Background, bar, overlay.
    void Draw() override;
    // Unless paused: one file, then the bar (full once 90 % of the files are
    // in; full at once when nothing was queued).
    bool OnTimer() override;

    // Shows the left fraction (0 to 1) of the bar with a soft right edge over
    // its last 80 columns. The edge is faded into the screen's own copy of
    // the bar from the picture's own alpha; the shared picture is never
    // written.
    void DrawProgress(float fraction);

    void SetPaused(bool paused) { paused_ = paused; }
    bool IsPaused() const { return paused_; }
    float GetProgress() const { return progress_; }
    TMySprite* GetBackground() const { return background_.get(); }
    TMySprite* GetBar() const { return bar_.get(); }
    TMySprite* GetOverlay() const { return overlay_.get(); }

    // Columns the soft edge fades, and the alpha (0 to 255) it gives column
    // k counted from the edge (1 = the last visible column).
    static constexpr int kSoftEdge = 80;
    static int EdgeAlpha(int k);

private:
    // The bar over a private copy of the picture, or over the picture itself
    // when no copy can be made (then without the soft edge).
    std::unique_ptr<TMySprite> MakeBar(const TString& name);

    std::unique_ptr<TMySprite> background_;
    std::unique_ptr<TMySprite> bar_;
    std::unique_ptr<TMySprite> overlay_;
    float progress_ = 0.0f;
    bool paused_ = false;

    // The bar picture's own pixels (rows packed) behind the copy.
    TTextureRef barCopy_;
    std::vector<uint32_t> barPixels_;
    int barWidth_ = 0;
    int barHeight_ = 0;
};
