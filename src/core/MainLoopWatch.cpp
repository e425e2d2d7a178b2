// The main loop's termination check and pass counter.
#include "core/MainLoopWatch.h"

namespace
{

TTerminationCheck gTerminationCheck = nullptr;
uint32_t gEventPasses = 0;

}  // namespace

void SetTerminationCheck(TTerminationCheck check)
{
    gTerminationCheck = check;
}

bool IsTerminationPending()
{
    return gTerminationCheck != nullptr && gTerminationCheck();
}

void MarkEventPass()
{
    ++gEventPasses;
}

uint32_t GetEventPassCount()
{
    return gEventPasses;
}

void ResetMainLoopWatch()
{
    gTerminationCheck = nullptr;
    gEventPasses = 0;
}
