// Helpers shared by every graphics device implementation.
#include "platform/gfx/Device.h"

GfxMatrix GfxMatrix::Identity()
{
    GfxMatrix r{};
    for (int i = 0; i < 4; ++i) r.m[i][i] = 1.0f;
    return r;
}
