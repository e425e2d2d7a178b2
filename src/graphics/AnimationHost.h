// What animated sprites need of the application around them: the task list
// their script coroutines run on and its random numbers. The program installs
// one over the facade; without one, a stand-alone host keeps its own task
// list (run by nobody unless a test runs it) and generator.
#pragma once

#include <cstdint>

#include "core/Task.h"

class TAnimationHost
{
public:
    virtual ~TAnimationHost() = default;
    virtual TTaskList& GetTaskList() = 0;
    virtual uint32_t Random() = 0;
};

// Never null.
TAnimationHost& GetAnimationHost();
// Null goes back to the stand-alone host. The host is borrowed.
void SetAnimationHost(TAnimationHost* host);
