// Resetting the window system's process-wide state, for tests (called by the
// test entry before each test).
#pragma once

// Back to the state the program starts in: window ids from 0, no swallowed
// character, the default application link, no window-script hook and no
// movie-host factory. Windows and a window manager that still exist are left
// to their owners. Never fails.
void ResetUiGlobals();
