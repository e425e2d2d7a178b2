// TCustomWindow (window type "CustomWindow"): the plain window of the game's
// dialogs. It joins the profile's screen stack, takes the keyboard focus (or
// gives it to the child its "FocusWindow" names), redraws every frame, draws
// the cursor trail over everything, and presses named buttons for keys
// ("HotKey").
#pragma once

#include <cstdint>
#include <vector>

#include "core/String.h"
#include "script/ScriptObject.h"
#include "ui/Window.h"

// Main thread only.
class TCustomWindow : public TWindow
{
public:
    struct SHotKey
    {
        TString button;
        uint8_t key = 0;
    };

    TCustomWindow();
    ORVELLE_WINDOW_CLASS(TWindow);
    // Leaves the screen stack; the new top screen takes the focus.
    ~TCustomWindow() override;

    // "HotKey": rows {button name, key code}; "FocusWindow": {name = ...},
    // the child taking the focus (a name no child has is logged and the
    // window takes the focus itself). Then: the screen stack, the system
    // cursor on, a 16 ms repeating timer, the window's name and placement
    // once more, and the focus, given again on the first tick.
    void PostInit(TWindowStyle& style) override;
    // The cursor trail, in 2D drawing (begun here when nobody has), when no
    // window drawn later draws it (DrawCursorTrail).
    void DrawOverlay() override;
    // The pending focus on the first tick; a redraw every tick. True.
    bool OnTimer() override;
    // Every hot key of this key presses its button (a TButton of that name
    // anywhere below; other names are skipped). False: the key travels on.
    bool OnKeyDown(int8_t key, int32_t modifiers) override;

    const std::vector<SHotKey>& GetHotKeys() const { return hotKeys_; }
    // Null when the window it named is gone.
    TWindow* GetFocusTarget() const;
    bool IsFocusPending() const { return focusPending_; }

private:
    std::vector<SHotKey> hotKeys_;
    bool focusPending_ = false;
    // By handle: the child may be deleted before the first tick.
    TScriptHandle focusTarget_;
};
