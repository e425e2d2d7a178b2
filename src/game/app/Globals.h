// Resetting the game application library's process-wide state, for tests
// (called by the test entry before each test).
#pragma once

// Ends every singleton still alive, newest first. Never fails.
void ResetGameAppGlobals();
