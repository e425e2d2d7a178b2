// SaturateTo: truncation toward zero, clamping at each integer type's limits,
// and the NaN value, for the values scripts and data files can hold.
#include "core/Saturate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace
{

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(SaturateTest, Int32)
{
    struct Case
    {
        double value;
        int32_t expect;
    };
    const Case cases[] = {
        {0.0, 0},
        {-0.0, 0},
        {2.9, 2},
        {-2.9, -2},
        {0.5, 0},
        {-0.5, 0},
        {2147483646.9, 2147483646},
        {2147483647.0, INT32_MAX},
        {2147483647.5, INT32_MAX},
        {2147483648.0, INT32_MAX},
        {4294967297.0, INT32_MAX},  // 2^32 + 1 must not wrap to 1
        {-2147483648.0, INT32_MIN},
        {-2147483648.9, INT32_MIN},
        {-2147483649.0, INT32_MIN},
        {-4294967297.0, INT32_MIN},
        {1e300, INT32_MAX},
        {-1e300, INT32_MIN},
        {kInf, INT32_MAX},
        {-kInf, INT32_MIN},
        {std::numeric_limits<double>::denorm_min(), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(SaturateTo<int32_t>(c.value), c.expect) << c.value;
}

TEST(SaturateTest, NaNGivesTheCallersValue)
{
    EXPECT_EQ(SaturateTo<int32_t>(NAN), 0);
    EXPECT_EQ(SaturateTo<int32_t>(NAN, -7), -7);
    EXPECT_EQ(SaturateTo<uint8_t>(-NAN, 9), 9);
    EXPECT_EQ(SaturateTo<int64_t>(std::nan("1"), INT64_MAX), INT64_MAX);
    // The NaN value is used only for NaN.
    EXPECT_EQ(SaturateTo<int32_t>(kInf, -7), INT32_MAX);
}

TEST(SaturateTest, OtherWidthsAndUnsignedTypes)
{
    struct Case
    {
        double value;
        int64_t i64;
        uint64_t u64;
        uint32_t u32;
        int16_t i16;
        uint8_t u8;
    };
    const Case cases[] = {
        {3.7, 3, 3, 3, 3, 3},
        {-3.7, -3, 0, 0, -3, 0},
        {-0.9, 0, 0, 0, 0, 0},
        {255.9, 255, 255, 255, 255, 255},
        {256.0, 256, 256, 256, 256, 255},
        {32768.0, 32768, 32768, 32768, INT16_MAX, 255},
        {-32769.0, -32769, 0, 0, INT16_MIN, 0},
        {4294967295.0, 4294967295, 4294967295u, UINT32_MAX, INT16_MAX, 255},
        {4294967296.0, 4294967296, 4294967296u, UINT32_MAX, INT16_MAX, 255},
        // 2^63: the first value past int64's range, exactly representable.
        {9223372036854775808.0, INT64_MAX, 9223372036854775808u, UINT32_MAX, INT16_MAX, 255},
        {-9223372036854775808.0, INT64_MIN, 0, 0, INT16_MIN, 0},
        {18446744073709551616.0, INT64_MAX, UINT64_MAX, UINT32_MAX, INT16_MAX, 255},
        {kInf, INT64_MAX, UINT64_MAX, UINT32_MAX, INT16_MAX, 255},
        {-kInf, INT64_MIN, 0, 0, INT16_MIN, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(SaturateTo<int64_t>(c.value), c.i64);
        EXPECT_EQ(SaturateTo<uint64_t>(c.value), c.u64);
        EXPECT_EQ(SaturateTo<uint32_t>(c.value), c.u32);
        EXPECT_EQ(SaturateTo<int16_t>(c.value), c.i16);
        EXPECT_EQ(SaturateTo<uint8_t>(c.value), c.u8);
    }
}

// Usable where a constant is needed.
static_assert(SaturateTo<int8_t>(1000.0) == 127);
static_assert(SaturateTo<int8_t>(-1000.0) == -128);

}  // namespace
