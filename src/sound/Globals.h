// Resetting the sound library's process-wide state, for tests (called by the
// test entry before each test).
#pragma once

// No out-of-memory handler. Never fails.
void ResetSoundGlobals();
