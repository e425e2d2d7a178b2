// TMainMenuScreen (window type "MainMenuScreen"): the game's main menu. It
// shows nothing and swallows keys and clicks until its resource groups are
// in (asked for on its first tick: the menu's own, the map's, the helper's,
// the core sounds and the comics due to the current player). The first menu
// of a run then shows a closed picture with a pulsing prompt until a key or
// click plays the opening flash; every later menu opens at once. Open, it
// draws its background, location picture, animations, particles and hud,
// shows "shell" and slides "profile_button" along the style's "Scroll" path.
//
// Failure: "profile_button", "shell" and "editor" are expected of the
// script; one that is missing is skipped with a log line. Missing pictures
// draw nothing. A slide of 0 ms or less puts the button at its finish.
#pragma once

#include <memory>
#include <vector>

#include "core/Clock.h"
#include "game/app/AnimatedElementList.h"
#include "game/app/screens/GameScreen.h"

class TMyAnimSprite;
class TMyParticle;
class TMySprite;
class TTextGraphic;

class TMainMenuScreen : public TGameScreen
{
public:
    // Publishes "SetCurrentPlayerName", "MainMenuButtonDepress" and
    // "StartFlash"; starts the screen clock.
    TMainMenuScreen();
    ~TMainMenuScreen() override;

    ORVELLE_WINDOW_CLASS(TGameScreen);

    // Reads the layout; the flash only on the run's first menu.
    void PostInit(TWindowStyle& style) override;
    // Nothing while the groups load; then black, background, location,
    // animations, particles, hud.
    void Draw() override;
    // The closed picture and prompt, then the flash, while it is part of
    // the menu. No cursor trail.
    void DrawOverlay() override;
    bool DrawsCursorTrail() const override { return false; }
    // Every message is the menu's.
    bool OnMessage(TMessage* message) override;
    // Swallowed while the groups load; the first one while the flash waits
    // starts it.
    bool OnMouseDown(TPoint point) override;
    bool OnMouseMove(TPoint point) override;
    // As a click while loading or waiting for the flash; then Escape presses
    // "quit" and Enter "play_button", and the key goes on.
    bool OnKeyDown(int8_t key, int32_t modifiers) override;

    bool IsFirstFrame() const { return firstFrame_; }
    bool IsFlashOn() const { return flashOn_; }
    bool IsScrolling() const { return scrolling_; }
    const TAnimatedElementList& GetFlash() const { return flash_; }
    TClock& GetScreenClock() { return screenClock_; }
    // The prompt's font size now (its base size, or one more).
    int32_t GetPressFontSize() const { return pressFontSize_; }
    size_t GetAnimCount() const { return anims_.size(); }
    size_t GetParticleCount() const { return particles_.size(); }
    // The location picture and the hud; null before the groups are in.
    TMySprite* GetLocationPicture() const { return locationPicture_.get(); }
    TMySprite* GetHud() const { return hud_.get(); }

    // "player_name" greets the current player, on one line (a long name in a
    // smaller size); with no current player it is empty.
    void SetCurrentPlayerName();
    void MainMenuButtonDepress(int32_t n);
    void StartFlash();

    // The groups the menu asks for with this many profiles and this comics
    // due (-1: none).
    static std::vector<TString> GroupsFor(int users, int comicDue);

protected:
    std::vector<TString> WantedGroups() override;
    void OnGroupsLoaded() override;
    void Tick() override;

private:
    void PublishBindings();

    struct SAnim
    {
        TString name;
        std::unique_ptr<TMyAnimSprite> sprite;
    };

    void ReadFlash(TWindowStyle& style);
    void ReadPrompt(TWindowStyle& style);
    void ReadAnimations(TWindowStyle& style);
    void ReadParticles(TWindowStyle& style);
    void ReadScroll(TWindowStyle& style);
    // A child the script must have; logged when it does not.
    TWindow* Required(const char* name);
    void StartScroll();
    void StepScroll();
    void PlayMenuMusic(const char* name);

    TClock screenClock_;
    bool firstFrame_ = true;
    std::unique_ptr<TMySprite> background_;
    std::unique_ptr<TMySprite> locationPicture_;
    std::unique_ptr<TMySprite> hud_;
    int32_t locationX_ = 0;
    int32_t locationY_ = 0;
    int32_t greetingSize_ = 0;  // the greeting's own size; 0 until first set
    std::vector<SAnim> anims_;
    std::vector<std::unique_ptr<TMyParticle>> particles_;
    bool flashOn_ = false;
    std::unique_ptr<TMySprite> closedPicture_;
    std::unique_ptr<TTextGraphic> pressText_;
    TRect pressRect_;
    int32_t pressSize_ = 0;
    int32_t pressFontSize_ = 0;
    // The prompt grows by one and back every kPulseFrames frames.
    int pulseFrames_ = 0;
    int pulseToggle_ = 0;
    TAnimatedElementList flash_;
    int32_t scrollStartX_ = 0;
    int32_t scrollStartY_ = 0;
    int32_t scrollEndX_ = 0;
    int32_t scrollEndY_ = 0;
    int32_t scrollTime_ = 0;
    bool scrolling_ = false;
    int32_t scrollStart_ = 0;
};
