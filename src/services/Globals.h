// Resetting the game-state services' process-wide state, for tests (called by
// the test entry before each test).
#pragma once

// Back to the state the program starts in: no board and no handlers (each
// shut down and deleted), the facade test, movie-host hooks, portal channel,
// hooks and state cleared, and the default request time limits. Never fails.
void ResetServicesGlobals();
