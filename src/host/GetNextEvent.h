// The event fetch: turns the window's messages and the host's window-state
// flags into the framework's event stream, one TEvent per call; with no
// message waiting, the call is the idle pass (sound update, task list phase
// 0, a 1 ms wait, the idle event).
#pragma once

#include "core/Event.h"

class TAppHost;

// Fills ev (never fails; the empty event 2 stands for a handled message).
// Main thread only.
void GetNextEvent(TAppHost& host, TEvent& ev);
