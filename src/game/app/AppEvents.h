// The game loop's handlers of the window's own events: the close request
// (with the quit question's "No" answer, script global "MyCloseNon"), the
// display-mode change and activation changes, with the game-wide pause
// rules. They reach the level through GetRunningLevel, the helper through
// GetGameHelper, and the profile and the resource groups when they exist.
#pragma once

#include "core/String.h"
#include "ui/WindowClass.h"

class TScript;
class TWindow;

// A close request. Unless the question ("quit") is on top already: a
// running level is stored in the profile and paused, the system cursor
// shows during loading, the profile's held clock stops. From the window
// (fromOutside false) "scripts/core/quitverify.lua" then asks; when it does
// not put up its "quit" window the game ends at once (logged). From outside
// (a signal, the session's end) nobody can answer: the game ends.
void OnQuitRequest(bool fromOutside);

// The quit question answered "No": the saved level goes back to what it was
// before the question, a level resumes unless a dialog that holds it lies
// under the question, the cursor hides again during loading, the held clock
// runs again.
void MyCloseNon();

// Activation gained: the "pause" window closes, loading resumes, the held
// clock runs. Lost: a running level pauses (and its pause handler runs)
// unless one of the level's own dialogs is on top, loading pauses, the held
// clock stops, and "scripts/core/screen/pause.lua" opens unless it is on
// top already.
void OnAppActivate(bool active);

// The display's full-screen state after a switch: kept in the profile; the
// helper's bubble is laid out again during a level.
void OnDisplayModeChange();

// The name of the window manager's top modal; "" with none.
TString GetTopModalName();

// The first window of that class on the modal stack, top modal first (each
// modal with its subtree); null when none.
TWindow* FindOnModalStack(TWindowClassId id);

// Forgets a question's kept saved level (tests).
void ResetAppEvents();
