// Floating-point to integer without undefined behaviour: numbers that come
// from scripts and data files may be NaN, infinite or far out of range, and a
// plain cast of those is undefined.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <type_traits>

// value truncated toward zero, clamped to T's range (infinities included);
// ifNaN for NaN.
template <class T>
constexpr T SaturateTo(double value, T ifNaN = T{})
{
    static_assert(std::is_integral_v<T> && !std::is_same_v<T, bool>, "an integer type");
    using Limits = std::numeric_limits<T>;
    if (value != value) return ifNaN;
    // Both bounds are powers of two (or 0), so they are exact as doubles:
    // min itself, and max + 1 computed without overflowing T.
    constexpr double kLow = static_cast<double>(Limits::min());
    constexpr double kPastHigh = 2.0 * static_cast<double>(Limits::max() / 2 + 1);
    if (value <= kLow) return Limits::min();
    if (value >= kPastHigh) return Limits::max();
    return static_cast<T>(value);
}

// A 64-bit sum or product of 32-bit values brought back into 32 bits.
constexpr int32_t ClampToInt32(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}
