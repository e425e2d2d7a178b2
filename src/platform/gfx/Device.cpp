// Helpers shared by every graphics device implementation.
#include "platform/gfx/Device.h"

#include <utility>

GfxMatrix GfxMatrix::Identity()
{
    GfxMatrix r{};
    for (int i = 0; i < 4; ++i) r.m[i][i] = 1.0f;
    return r;
}

void GfxLineListToQuads(const GfxVertex* vertices, int count, const uint16_t* indices,
                        int indexCount, std::vector<GfxVertex>& out)
{
    out.clear();
    const int n = indices ? indexCount : count;
    for (int i = 0; i + 1 < n; i += 2)
    {
        const int ia = indices ? indices[i] : i, ib = indices ? indices[i + 1] : i + 1;
        if (ia >= count || ib >= count) continue;
        GfxVertex a = vertices[ia], b = vertices[ib];
        if (b.x < a.x) std::swap(a, b);
        b.y = a.y;
        GfxVertex corner[4] = {a, b, b, a};
        corner[0].y = corner[1].y = a.y - 0.5f;
        corner[2].y = corner[3].y = a.y + 0.5f;
        const int order[6] = {0, 1, 2, 0, 2, 3};
        for (int k : order) out.push_back(corner[k]);
    }
}
