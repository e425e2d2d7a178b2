// Resetting the platform layer's process-wide state, for tests (called by
// the test entry before each test).
#pragma once

// No audio-device factory (the real device) and message boxes shown as the
// program starts with them. Never fails.
void ResetPlatformGlobals();
