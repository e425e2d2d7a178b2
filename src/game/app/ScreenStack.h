// What every game screen and the game's dialog window do around the
// profile's screen stack and the top of the frame.
#pragma once

class TWindow;

// Takes window off the profile's screen stack (by its name) and gives the
// keyboard focus to the new top screen, when there is one that still lives.
// Nothing when no profile exists (a window deleted in the framework's own
// teardown must not bring one back to life).
void LeaveScreenStack(TWindow* window);

// The cursor trail over the frame, in 2D drawing (begun and ended here when
// the caller has not begun it). Nothing without a drawing context or
// before the game has made the trail.
void DrawCursorTrail();
