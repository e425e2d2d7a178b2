// Draw-parameter combination and the textured-quad vertex fill.
#include "graphics/DrawParams.h"

#include <cstring>

TDrawParams::TDrawParams(const TFloatPoint& position, float a, float scale, uint32_t f)
    : alpha(a), flags(f)
{
    if (scale != 1.0f) matrix.Scale(scale);
    matrix.m2 = TFloatVector3(position.x, position.y, 1.0f);
}

TDrawParams TDrawParams::Combine(const TDrawParams& child, const TDrawParams& parent)
{
    TDrawParams result = child;
    result.matrix = MultiplyAffineMatrices(child.matrix, parent.matrix);
    result.alpha = child.alpha * parent.alpha;
    result.flags = child.flags ^ (parent.flags & 3u);
    if (child.blendMode == -1) result.blendMode = parent.blendMode;
    return result;
}

namespace
{

// (int)(v * 255) truncated, low 8 bits; NaN and out-of-range floats would be
// undefined in the conversion, so they are brought into int range first.
uint32_t ColourByte(float v)
{
    const float scaled = v * 255.0f;
    if (!(scaled > -2147483648.0f)) return 0;
    if (scaled >= 2147483647.0f) return 0xFF;
    return uint32_t(int32_t(scaled)) & 0xFFu;
}

}  // namespace

void FillQuadVertices(TDrawVertex out[4], const TFloatPoint& offset, TFloatPoint corners[4],
                      const TFloatPoint uv[2], const TDrawParams& params, float alpha,
                      const TFloatVector4& tint)
{
    std::memset(out, 0, sizeof(TDrawVertex) * 4);
    float scaledAlpha = alpha * 255.0f;
    int a = 0;
    if (scaledAlpha >= 255.0f)
        a = 255;
    else if (scaledAlpha > 0.0f)
        a = int(scaledAlpha);
    const uint32_t diffuse = (uint32_t(a) << 24) | (ColourByte(tint.x) << 16) |
                             (ColourByte(tint.y) << 8) | ColourByte(tint.z);
    static const int kU[4] = {0, 1, 1, 0};
    static const int kV[4] = {0, 0, 1, 1};
    for (int k = 0; k < 4; ++k)
    {
        corners[k] = TransformFloatPoint(params.matrix, corners[k]);
        TDrawVertex& v = out[k];
        v.x = corners[k].x + offset.x;
        v.y = corners[k].y + offset.y;
        v.z = 0.1f;
        v.rhw = 0.5f;
        v.diffuse = diffuse;
        v.specular = 0xFF000000u;
        v.u = uv[kU[k]].x;
        v.v = uv[kV[k]].y;
    }
}
