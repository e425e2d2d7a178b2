// Layout values are any 32-bit numbers the script gives; sums of them are
// taken in 64 bits and brought back into range.
#pragma once

#include <algorithm>
#include <cstdint>

inline int32_t SatInt(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}
