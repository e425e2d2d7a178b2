// Colours as the device takes them: four float components packed into
// 0xAARRGGBB.
#pragma once

#include <cstdint>

#include "core/ValueTypes.h"

// c limited to 0..1; NaN counts as 0, so every conversion below is defined.
inline float UnitComponent(float c)
{
    return c > 0.0f ? (c < 1.0f ? c : 1.0f) : 0.0f;
}

inline uint32_t PackByte(float c)
{
    return uint32_t(UnitComponent(c) * 255.0f);
}

// x red, y green, z blue, w alpha; each component truncated to 8 bits.
inline uint32_t PackArgb(const TFloatVector4& c)
{
    return (PackByte(c.w) << 24) | (PackByte(c.x) << 16) | (PackByte(c.y) << 8) | PackByte(c.z);
}
