// Milliseconds of a monotonic clock, and sleeping.
#pragma once

#include <cstdint>

namespace platform
{

// Milliseconds since an arbitrary start, wrapping at 2^32; never fails.
uint32_t GetTickMs();
// Sleeps at least ms milliseconds (0 yields).
void SleepMs(uint32_t ms);

}  // namespace platform
