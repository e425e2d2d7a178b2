// Points, colours, rectangles and matrices.
#include "core/ValueTypes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{

constexpr float kPi = 3.14159265358979f;

TEST(ValueTypesTest, PointsAndVectors)
{
    TFloatPoint p(1.5f, -2.0f);
    p += TFloatPoint(0.5f, 1.0f);
    EXPECT_FLOAT_EQ(p.x, 2.0f);
    EXPECT_FLOAT_EQ(p.y, -1.0f);
    TFloatPoint n = -p;
    EXPECT_FLOAT_EQ(n.x, -2.0f);
    EXPECT_FLOAT_EQ(n.y, 1.0f);
    TFloatPoint sum = AddFloatPoints(p, TFloatPoint(1.0f, 1.0f));
    EXPECT_FLOAT_EQ(sum.x, 3.0f);
    EXPECT_FLOAT_EQ(sum.y, 0.0f);
    p.Clear();
    EXPECT_EQ(p.x, 0.0f);
    TFloatPoint zero;
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    TFloatVector3 v(TFloatPoint(3.0f, 4.0f), 1.0f);
    EXPECT_EQ(v[0], 3.0f);
    EXPECT_EQ(v[1], 4.0f);
    EXPECT_EQ(v[2], 1.0f);
    TFloatVector4 w(1, 2, 3, 4);
    w.Clear();
    EXPECT_EQ(w[3], 0.0f);
}

TEST(ValueTypesTest, ColorFromFloatsTruncatesAndClamps)
{
    struct Case
    {
        float r, g, b, a;
        uint32_t argb;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {1.0f, 0.5f, 0.0f, 1.0f, 0xFFFF7F00u},  // 127.5 truncates to 127
        {0.0f, 0.0f, 0.0f, 0.0f, 0x00000000u},
        {1.0f, 1.0f, 1.0f, 1.0f, 0xFFFFFFFFu},
        {0.999f, 0.004f, 0.0039f, 0.5f, 0x7FFE0100u},
        // Out of range: each channel stays in its own byte.
        {2.0f, -1.0f, 1e30f, 0.0f, 0x00FF00FFu},
        {nan, inf, -inf, 1.5f, 0xFF00FF00u},
    };
    for (const Case& k : cases)
        EXPECT_EQ(TColor(k.r, k.g, k.b, k.a).argb, k.argb) << std::hex << k.argb;
}

TEST(ValueTypesTest, ColorFromIntegersAndByteAccess)
{
    EXPECT_EQ(TColor().argb, 0u);
    EXPECT_EQ(TColor(0x12, 0x34, 0x56, 0x78).argb, 0x78123456u);
    EXPECT_EQ(TColor(0x112, -1, 0x100, 0x1FF).argb, 0xFF12FF00u);  // low 8 bits of each
    TColor c(0x80FF4020u);
    EXPECT_EQ(c.GetAlpha(), 0x80);
    EXPECT_EQ(c.GetRed(), 0xFF);
    EXPECT_EQ(c.GetGreen(), 0x40);
    EXPECT_EQ(c.GetBlue(), 0x20);
    c.SetRed(0x101);
    EXPECT_EQ(c.argb, 0x80014020u);
    c.SetAlpha(0);
    c.SetGreen(0xAB);
    c.SetBlue(-2);
    EXPECT_EQ(c.argb, 0x0001ABFEu);
}

TEST(ValueTypesTest, RectStartsZeroedAndContainsExcludesFarEdges)
{
    TRect empty;
    EXPECT_EQ(empty, TRect(0, 0, 0, 0));
    EXPECT_FALSE(empty.Contains(0, 0));
    TRect r(10, 20, 30, 40);
    struct Case
    {
        int x, y;
        bool inside;
    };
    const Case cases[] = {{10, 20, true}, {29, 39, true},  {30, 25, false}, {15, 40, false},
                          {9, 25, false}, {15, 19, false}, {-5, -5, false}};
    for (const Case& k : cases) EXPECT_EQ(r.Contains(k.x, k.y), k.inside) << k.x << "," << k.y;
}

TEST(ValueTypesTest, RectUnionAndIntersect)
{
    TRect a(0, 0, 10, 10);
    TRect b(5, -5, 20, 8);
    TRect u;
    u.Union(a, b);
    EXPECT_EQ(u, TRect(0, -5, 20, 10));
    TRect i;
    i.Intersect(a, b);
    EXPECT_EQ(i, TRect(5, 0, 10, 8));
    // Disjoint: no emptiness test, right ends left of left.
    TRect far(50, 50, 60, 60);
    i.Intersect(a, far);
    EXPECT_EQ(i, TRect(50, 50, 10, 10));
    EXPECT_LT(i.right, i.left);
    // The result may be one of the operands.
    a.Union(a, far);
    EXPECT_EQ(a, TRect(0, 0, 60, 60));
}

void ExpectPoint(const TFloatPoint& p, float x, float y)
{
    EXPECT_NEAR(p.x, x, 1e-4f);
    EXPECT_NEAR(p.y, y, 1e-4f);
}

TEST(ValueTypesTest, AffineTransformAndProduct)
{
    TAffineMatrix identity;
    ExpectPoint(TransformFloatPoint(identity, TFloatPoint(3, 4)), 3, 4);
    TAffineMatrix m(2, 1, 0, 0, 3, 0, 5, 7, 1);
    // x' = x m00 + y m10 + m20, y' = x m01 + y m11 + m21
    ExpectPoint(TransformFloatPoint(m, TFloatPoint(1, 2)), 2 + 0 + 5, 1 + 6 + 7);

    TAffineMatrix scale(2, 0, 0, 0, 2, 0, 0, 0, 1);
    TAffineMatrix move(1, 0, 0, 0, 1, 0, 10, 0, 1);
    TAffineMatrix scaleThenMove = MultiplyAffineMatrices(scale, move);
    TAffineMatrix moveThenScale = MultiplyAffineMatrices(move, scale);
    ExpectPoint(TransformFloatPoint(scaleThenMove, TFloatPoint(1, 1)), 12, 2);
    ExpectPoint(TransformFloatPoint(moveThenScale, TFloatPoint(1, 1)), 22, 2);
    // The product transforms as a, then b.
    TFloatPoint p(0.3f, -1.7f);
    ExpectPoint(TransformFloatPoint(MultiplyAffineMatrices(m, move), p),
                TransformFloatPoint(move, TransformFloatPoint(m, p)).x,
                TransformFloatPoint(move, TransformFloatPoint(m, p)).y);
}

TEST(ValueTypesTest, LinearProductKeepsTranslation)
{
    TAffineMatrix a(1, 2, 9, 3, 4, 9, 10, 20, 1);
    TAffineMatrix b(5, 6, 0, 7, 8, 0, 100, 200, 1);
    TAffineMatrix r = MultiplyAffineLinear(a, b);
    EXPECT_FLOAT_EQ(r.m0.x, 1 * 5 + 2 * 7);
    EXPECT_FLOAT_EQ(r.m0.y, 1 * 6 + 2 * 8);
    EXPECT_FLOAT_EQ(r.m1.x, 3 * 5 + 4 * 7);
    EXPECT_FLOAT_EQ(r.m1.y, 3 * 6 + 4 * 8);
    EXPECT_EQ(r.m0.z, 0.0f);
    EXPECT_EQ(r.m1.z, 0.0f);
    EXPECT_EQ(r.m2.x, 10.0f);
    EXPECT_EQ(r.m2.y, 20.0f);
    EXPECT_EQ(r.m2.z, 1.0f);
}

TEST(ValueTypesTest, RotateAndScaleLeaveTranslation)
{
    TAffineMatrix m(1, 0, 0, 0, 1, 0, 10, 0, 1);
    m.Rotate(kPi / 2);
    EXPECT_FLOAT_EQ(m.m2.x, 10.0f);
    EXPECT_FLOAT_EQ(m.m2.y, 0.0f);
    ExpectPoint(TransformFloatPoint(m, TFloatPoint(1, 0)), 10, 1);
    // The scale applies after the rotation: the rotated x axis (0, 1) becomes (0, 3).
    m.Scale(2.0f, 3.0f);
    ExpectPoint(TransformFloatPoint(m, TFloatPoint(1, 0)), 10, 3);
    ExpectPoint(TransformFloatPoint(m, TFloatPoint(0, 1)), 10 - 2, 0);
    m.Scale(0.5f);
    ExpectPoint(TransformFloatPoint(m, TFloatPoint(1, 0)), 10, 1.5f);
    m.SetIdentity();
    ExpectPoint(TransformFloatPoint(m, TFloatPoint(7, 8)), 7, 8);
}

TEST(ValueTypesTest, PerspectiveProjection)
{
    TMatrix4x4 m;
    m.SetPerspective(1.0f, 101.0f, kPi / 2, 0.75f, TFloatPoint(0, 0));
    EXPECT_NEAR(m.m0.x, 0.75f, 1e-5f);  // cot(45 degrees) = 1
    EXPECT_NEAR(m.m1.y, 1.0f, 1e-5f);
    EXPECT_EQ(m.m2.x, 0.0f);
    EXPECT_EQ(m.m2.y, 0.0f);
    EXPECT_FLOAT_EQ(m.m2.z, 101.0f / 100.0f);
    EXPECT_EQ(m.m2.w, 1.0f);
    EXPECT_FLOAT_EQ(m.m3.z, -101.0f / 100.0f);
    EXPECT_EQ(m.m3.w, 0.0f);
    EXPECT_EQ(m.m0.y, 0.0f);
    EXPECT_EQ(m.m1.x, 0.0f);

    m.SetPerspective(1.0f, 2.0f, kPi / 2, 1.0f, TFloatPoint(0.5f, 0.5f));
    EXPECT_FLOAT_EQ(m.m2.x, -1.0f);  // the x term is negated
    EXPECT_FLOAT_EQ(m.m2.y, 1.0f);   // the y term is not
    m.SetPerspective(1.0f, 2.0f, kPi / 2, 1.0f, TFloatPoint(-1.0f, 1.0f));
    EXPECT_EQ(m.m2.x, -10000.0f);
    EXPECT_EQ(m.m2.y, -10000.0f);
}

}  // namespace
