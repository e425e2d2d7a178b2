// Fake time sources for clock tests: a settable millisecond source, the same
// source counting its readings, and a coarse clock that moves only when a
// test moves it.
#pragma once

#include <cstdint>

namespace fake_clock
{

inline uint32_t gNow = 0;
inline int gReads = 0;
inline uint64_t gCoarse = 0;

inline uint32_t FakeNow()
{
    return gNow;
}

inline uint32_t CountedNow()
{
    ++gReads;
    return gNow;
}

inline uint64_t FakeCoarse()
{
    return gCoarse;
}

}  // namespace fake_clock
