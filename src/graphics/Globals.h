// Resetting the graphics library's process-wide state, for tests (called by
// the test entry before each test).
#pragma once

// No drawing context and no device chosen for the next one, no overlay text
// hook, and display surfaces never made. Never fails.
void ResetGraphicsGlobals();
