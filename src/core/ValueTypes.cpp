// Colour packing, rectangle and matrix operations.
#include "core/ValueTypes.h"

#include <cmath>

TFloatPoint AddFloatPoints(const TFloatPoint& a, const TFloatPoint& b)
{
    return TFloatPoint(a.x + b.x, a.y + b.y);
}

namespace
{

// Out-of-range float-to-int conversion is undefined, so the channel is
// clamped before it is converted.
uint32_t ColorChannel(float v)
{
    float scaled = v * 255.0f;
    if (!(scaled > 0.0f)) return 0;  // also NaN
    if (scaled >= 255.0f) return 255;
    return static_cast<uint32_t>(scaled);
}

}  // namespace

TColor::TColor(float red, float green, float blue, float alpha)
    : argb(ColorChannel(alpha) << 24 | ColorChannel(red) << 16 | ColorChannel(green) << 8 |
           ColorChannel(blue))
{
}

TColor::TColor(int red, int green, int blue, int alpha)
    : argb((static_cast<uint32_t>(alpha) & 0xFFu) << 24 |
           (static_cast<uint32_t>(red) & 0xFFu) << 16 |
           (static_cast<uint32_t>(green) & 0xFFu) << 8 | (static_cast<uint32_t>(blue) & 0xFFu))
{
}

void TRect::Set(int32_t l, int32_t t, int32_t r, int32_t b)
{
    left = l;
    top = t;
    right = r;
    bottom = b;
}

void TRect::Union(const TRect& a, const TRect& b)
{
    Set(a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
        a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom);
}

void TRect::Intersect(const TRect& a, const TRect& b)
{
    Set(a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
        a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom);
}

TFloatPoint TransformFloatPoint(const TAffineMatrix& m, const TFloatPoint& p)
{
    return TFloatPoint(p.x * m.m0.x + p.y * m.m1.x + m.m2.x, p.x * m.m0.y + p.y * m.m1.y + m.m2.y);
}

TAffineMatrix MultiplyAffineMatrices(const TAffineMatrix& a, const TAffineMatrix& b)
{
    TAffineMatrix r;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            r.Row(row)[col] = a.Row(row)[0] * b.Row(0)[col] + a.Row(row)[1] * b.Row(1)[col] +
                              a.Row(row)[2] * b.Row(2)[col];
    return r;
}

TAffineMatrix MultiplyAffineLinear(const TAffineMatrix& a, const TAffineMatrix& b)
{
    TAffineMatrix r;
    for (int row = 0; row < 2; ++row)
    {
        for (int col = 0; col < 2; ++col)
            r.Row(row)[col] = a.Row(row)[0] * b.Row(0)[col] + a.Row(row)[1] * b.Row(1)[col];
        r.Row(row)[2] = 0.0f;
    }
    r.m2 = a.m2;
    return r;
}

void TAffineMatrix::Rotate(float angle)
{
    float c = std::cos(angle);
    float s = std::sin(angle);
    *this = MultiplyAffineLinear(*this, TAffineMatrix(c, s, 0.0f, -s, c, 0.0f, 0.0f, 0.0f, 1.0f));
}

void TAffineMatrix::Scale(float sx, float sy)
{
    *this = MultiplyAffineLinear(*this,
                                 TAffineMatrix(sx, 0.0f, 0.0f, 0.0f, sy, 0.0f, 0.0f, 0.0f, 1.0f));
}

void TMatrix4x4::SetPerspective(float nearZ, float farZ, float fov, float aspect,
                                const TFloatPoint& v)
{
    float a = std::cos(fov * 0.5f) / std::sin(fov * 0.5f);
    m0 = TFloatVector4(a * aspect, 0.0f, 0.0f, 0.0f);
    m1 = TFloatVector4(0.0f, a, 0.0f, 0.0f);
    float vx = std::fabs(v.x) == 1.0f ? -10000.0f : -v.x / (1.0f - std::fabs(v.x));
    float vy = std::fabs(v.y) == 1.0f ? -10000.0f : v.y / (1.0f - std::fabs(v.y));
    m2 = TFloatVector4(vx, vy, farZ / (farZ - nearZ), 1.0f);
    m3 = TFloatVector4(0.0f, 0.0f, -nearZ * farZ / (farZ - nearZ), 0.0f);
}
