// Fake time sources for clock tests: a settable millisecond source, the same
// source counting its readings, and a coarse clock that moves only when a
// test moves it.
#pragma once

#include <cstdint>

namespace fake_clock
{

inline uint32_t g_now = 0;
inline int g_reads = 0;
inline uint64_t g_coarse = 0;

inline uint32_t FakeNow()
{
    return g_now;
}

inline uint32_t CountedNow()
{
    ++g_reads;
    return g_now;
}

inline uint64_t FakeCoarse()
{
    return g_coarse;
}

}  // namespace fake_clock
