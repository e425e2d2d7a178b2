// TGameScreen: the pattern every game screen shares. A screen X lives in
// XScreen.{h,cpp}; one whose script calls functions of it publishes them
// from its constructor with PublishBindings(), which XScreenBindings.cpp
// holds beside those functions, through Bindings() (an earlier binding of a
// name is replaced; the screen's own are taken back when it goes). PostInit starts a repeating window timer whose tick
// advances the screen and asks for a redraw, pushes the screen on the
// profile's screen stack and makes it the focus window. A screen that needs
// resource groups names them in WantedGroups: they are asked of TRes on the
// first tick, and OnGroupsLoaded runs when they are in (at once when they
// were loaded already). The destructor gives back TRes's request when it is
// still this screen's, leaves the screen stack and hands the focus to the
// new top screen. The cursor trail is drawn over the screen.
//
// Failure: without a modal above it the timer cannot run (the window logs
// it) and the screen stays as built.
#pragma once

#include <cstdint>
#include <vector>

#include "core/String.h"
#include "script/ScriptFunctions.h"
#include "ui/Window.h"

class TGameScreen : public TWindow
{
public:
    // The tick of the game's screens.
    static constexpr int32_t kTickMs = 16;

    // timerMs: the tick, 10 or kTickMs.
    explicit TGameScreen(int32_t timerMs);
    ~TGameScreen() override;

    ORVELLE_WINDOW_CLASS(TWindow);

    // The base PostInit, then the timer, the screen stack and the focus.
    void PostInit(TWindowStyle& style) override;
    // The cursor trail over everything the screen drew, when no window drawn
    // later draws it (DrawCursorTrail).
    void DrawOverlay() override;
    // Whether DrawOverlay draws the cursor trail: true unless a screen's own
    // overlay replaces it.
    virtual bool DrawsCursorTrail() const { return true; }
    // The first tick asks for the groups; every tick then advances the
    // screen (Tick) and invalidates the frame. Always true.
    bool OnTimer() override;

    // True once the wanted groups are in (at once for a screen that wants
    // none, after the first tick).
    bool AreGroupsLoaded() const { return groupsLoaded_; }

    // Shows or hides window (nothing for null), keeping its other flags.
    static void ShowWindow(TWindow* window, bool show);
    // Clicks the named child when it is a button; nothing otherwise.
    void PressButton(const char* name);

protected:
    TScriptFunctions& Bindings() { return bindings_; }
    // The groups to load before the screen shows; none by default.
    virtual std::vector<TString> WantedGroups() { return {}; }
    // The wanted groups are in: build what needs them.
    virtual void OnGroupsLoaded() {}
    // One tick of the screen after the first.
    virtual void Tick() {}
    // The next tick asks for WantedGroups() anew (TRes unloads what the new
    // list drops) and OnGroupsLoaded runs again once they are in.
    void RequestGroupsAgain();

private:
    void RequestGroups();
    void GroupsArrived();

    TScriptFunctions bindings_;
    int32_t timerMs_;
    bool requested_ = false;
    bool groupsLoaded_ = false;
};
