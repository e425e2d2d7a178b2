// TOptionsScreen (window type "OptionsScreen", dialog "options"): the
// settings dialog. Its toggles ("full_screen", "mute_sound", "game_cursor")
// and volume sliders ("sfx_slider", "music_slider") start from the current
// profile; every change is stored back into the profile and applied at once
// to the display, the game sound manager and the cursor. The music slider's
// full travel is 0.8 of the music volume. Enter and Escape press
// "ok_button". Releasing the effects slider plays a sample of the effects
// volume.
//
// Failure: a named control that is missing or of another kind is skipped;
// without a profile or a sound manager the changes go nowhere.
#pragma once

#include <cstdint>

#include "game/app/screens/GameScreen.h"

class TOptionsScreen : public TGameScreen
{
public:
    // The music volume at the music slider's full travel.
    static constexpr float kMusicTravel = 0.8f;
    // Played when a drag of the effects slider ends.
    static constexpr const char* kSliderSound = "core_audio:audio/sound/core/sfx_slider_sound";

    // Publishes "ToggleFullScreen", "ToggleSoundMute" and "ToggleGameCursor".
    TOptionsScreen();
    ~TOptionsScreen() override = default;

    ORVELLE_WINDOW_CLASS(TGameScreen);

    // The controls from the profile, "full_screen" from the display (the
    // sliders' change messages store their values back), then the screen pattern's timer, stack and focus.
    void PostInit(TWindowStyle& style) override;
    // Draws nothing itself.
    void Draw() override;
    // The sliders' value changes: stored and applied. Others: false.
    bool OnMessage(TMessage* message) override;
    // The release sound, "full_screen" set to the display's mode, then the
    // screen pattern's tick.
    bool OnTimer() override;
    bool OnMouseDown(TPoint) override { return false; }
    bool OnMouseUp(TPoint) override { return false; }
    bool OnMouseMove(TPoint) override { return false; }
    // Enter and Escape click "ok_button"; the key is never consumed.
    bool OnKeyDown(int8_t key, int32_t modifiers) override;

    // The other display mode: false (profile untouched) when the display
    // refuses or there is none; otherwise the profile keeps the new mode.
    bool ToggleFullScreen();
    void ToggleSoundMute();
    void ToggleGameCursor();
    // After a display-mode change: "full_screen" and the profile follow the
    // display.
    void RefreshFullScreen();

private:
    void PublishBindings();
    // "full_screen" ticked exactly when the display is in full screen (the
    // profile's wish without an application).
    void ShowDisplayMode();

    bool sfxDragging_ = false;  // the effects slider's drag at the last tick
};
