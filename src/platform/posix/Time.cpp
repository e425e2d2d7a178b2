// Monotonic milliseconds and sleeping over std::chrono.
#include "platform/Time.h"

#include <chrono>
#include <thread>

namespace platform
{

uint32_t GetTickMs()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SleepMs(uint32_t ms)
{
    if (ms == 0)
        std::this_thread::yield();
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace platform
