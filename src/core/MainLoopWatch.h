// What a long run of script code needs to know about the main loop it holds
// up: whether the program was asked to end from outside (a signal, the window
// closed), and whether the event loop has taken a turn since (a modal loop
// run from inside a script).
#pragma once

#include <cstdint>

// Asks the window system whether a termination request waits. Main thread.
using TTerminationCheck = bool (*)();

// Installs the check (null: none; the platform host sets it with its window).
void SetTerminationCheck(TTerminationCheck check);
// The installed check's answer; false without one.
bool IsTerminationPending();

// Counts the event loop's passes.
void MarkEventPass();
uint32_t GetEventPassCount();

// Back to no check and no passes, for tests.
void ResetMainLoopWatch();
