// What every game screen and the game's dialog window do around the
// profile's screen stack and the top of the frame.
#pragma once

class TWindow;

// Takes window off the profile's screen stack (by its name) and gives the
// keyboard focus to the new top screen, when there is one that still lives.
// Nothing when no profile exists (a window deleted in the framework's own
// teardown must not bring one back to life).
void LeaveScreenStack(TWindow* window);

// The window whose overlay draws the cursor trail this frame: of the game
// windows that draw it (dialog windows and the screens that keep it), the
// one drawn last, so the trail lies on top of every layer that draws one.
// Visible windows only, and only those the drawing does not clip away
// whole. Modals are searched from the top; null when none draws it.
TWindow* CursorTrailWindow();

// The cursor trail over the frame, in 2D drawing (begun and ended here when
// the caller has not begun it), when caller is CursorTrailWindow(): a dialog
// over a screen and the screen below it each ask, and only one may draw, or
// the trail is drawn (and advanced) twice a frame. It is drawn on the whole
// display, not in the caller's rectangle: the pointer's position is the
// display's. Nothing without a drawing context or before the game has made
// the trail.
void DrawCursorTrail(const TWindow* caller);
