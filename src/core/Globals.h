// Resetting the core's process-wide state, for tests: every test program
// calls it (through the test entry) before each test, so no test sees what
// another left behind.
#pragma once

// Back to the state the program starts in: no settings, setting hook, asset
// index, first-peek mode, asset loaders, packed archives or global asset
// manager; no data folders; the system clock; no log; no prefs save hook; no termination check.
// Never fails.
void ResetCoreGlobals();
