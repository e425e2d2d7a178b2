// Monotonic milliseconds (the core's counter) and sleeping over std::chrono.
#include "platform/Time.h"

#include <chrono>
#include <thread>

#include "core/MonotonicMs.h"

namespace platform
{

uint32_t GetTickMs()
{
    return MonotonicMs();
}

void SleepMs(uint32_t ms)
{
    if (ms == 0)
        std::this_thread::yield();
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace platform
