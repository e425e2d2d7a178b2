// TDrawParams: the per-draw record every textured thing is drawn from
// (transform, origin, tint, alpha, source rectangle, mirror bits, blend
// mode), its parent-child combination and the quad fill textures use.
// Nothing here fails.
#pragma once

#include <cstdint>

#include "core/ValueTypes.h"
#include "graphics/VertexSet.h"

struct TDrawParams
{
    enum : uint32_t
    {
        kMirrorX = 1,     // mirror horizontally
        kMirrorY = 2,     // mirror vertically
        kSourceRect = 4,  // sourceRect is used
        kUseOrigin = 8,   // origin is used
    };

    TAffineMatrix matrix;
    TFloatPoint origin;
    TFloatVector4 color{1.0f, 1.0f, 1.0f, 1.0f};
    float alpha = 1.0f;
    TRect sourceRect;
    uint32_t flags = 0;
    int32_t blendMode = -1;  // -1 keeps the drawing context's blend mode

    TDrawParams() = default;
    // Identity scaled by scale (when not 1), translated to position.
    TDrawParams(const TFloatPoint& position, float alpha, float scale, uint32_t flags);

    // child's record with matrix child x parent, alpha multiplied, the parent's
    // mirror bits toggling the child's, and the parent's blend mode when the
    // child keeps -1.
    static TDrawParams Combine(const TDrawParams& child, const TDrawParams& parent);
};

// Fills four pre-transformed vertices for a textured quad: each corner
// (updated in place) is transformed by params.matrix and moved by offset;
// z 0.1, rhw 0.5, diffuse (alpha x 255, tint x 255), specular opaque black;
// texture coordinates from uv[0] and uv[1] as (0,0), (1,0), (1,1), (0,1).
void FillQuadVertices(TDrawVertex out[4], const TFloatPoint& offset, TFloatPoint corners[4],
                      const TFloatPoint uv[2], const TDrawParams& params, float alpha,
                      const TFloatVector4& tint);
