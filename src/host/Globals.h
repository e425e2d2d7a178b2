// Resetting the host library's process-wide state, for tests (called by the
// test entry before each test).
#pragma once

// Empty framework services and no start-up trace. Never fails.
void ResetHostGlobals();
