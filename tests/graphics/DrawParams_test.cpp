// Draw parameters: construction, parent-child combination and the quad fill.
#include <gtest/gtest.h>

#include <cmath>

#include "graphics/DrawParams.h"

namespace
{

TEST(DrawParams, ConstructorScalesThenPlaces)
{
    TDrawParams p(TFloatPoint(10, 20), 0.5f, 2.0f, 3);
    const TFloatPoint q = TransformFloatPoint(p.matrix, TFloatPoint(1, 1));
    EXPECT_FLOAT_EQ(q.x, 12.0f);
    EXPECT_FLOAT_EQ(q.y, 22.0f);
    EXPECT_EQ(p.alpha, 0.5f);
    EXPECT_EQ(p.flags, 3u);
    EXPECT_EQ(p.blendMode, -1);
    EXPECT_EQ(p.color.w, 1.0f);
    EXPECT_EQ(p.sourceRect, TRect());
}

TEST(DrawParams, CombineMultipliesTogglesMirrorsAndInheritsBlend)
{
    struct Case
    {
        uint32_t child, parent, expected;
        int childBlend, parentBlend, expectedBlend;
    } const cases[] = {
        {1, 1, 0, -1, 3, 3},        // a mirrored child of a mirrored parent is unmirrored
        {0, 2, 2, 1, 3, 1},         // the child's own blend mode wins
        {0, 4 | 8, 0, -1, -1, -1},  // source rectangle and origin never inherit
        {4 | 8 | 2, 3, 4 | 8 | 1, 2, 0, 2},
    };
    for (const Case& c : cases)
    {
        TDrawParams child(TFloatPoint(1, 0), 0.5f, 1.0f, c.child),
            parent(TFloatPoint(10, 0), 0.5f, 2.0f, c.parent);
        child.blendMode = c.childBlend;
        parent.blendMode = c.parentBlend;
        const TDrawParams r = TDrawParams::Combine(child, parent);
        EXPECT_EQ(r.flags, c.expected);
        EXPECT_EQ(r.blendMode, c.expectedBlend);
        EXPECT_FLOAT_EQ(r.alpha, 0.25f);
        // The child's transform first, then the parent's: (0,0) -> (1,0) -> (12,0).
        EXPECT_FLOAT_EQ(TransformFloatPoint(r.matrix, TFloatPoint(0, 0)).x, 12.0f);
    }
}

TEST(DrawParams, FillQuadVerticesTransformsAndPacksColours)
{
    TDrawParams p(TFloatPoint(100, 50), 1.0f, 1.0f, 0);
    p.matrix.Rotate(float(M_PI / 2));
    TFloatPoint corners[4] = {{0, 0}, {10, 0}, {10, 5}, {0, 5}};
    const TFloatPoint uv[2] = {{0.25f, 0.5f}, {0.75f, 1.0f}};
    TDrawVertex v[4];
    FillQuadVertices(v, TFloatPoint(0.5f, 0), corners, uv, p, 0.5f,
                     TFloatVector4(1.0f, 0.5f, 2.0f, 0.0f));
    EXPECT_NEAR(v[1].x, 100.5f, 1e-4);  // (10, 0) turned a quarter lands below the origin
    EXPECT_NEAR(v[1].y, 60.0f, 1e-4);
    EXPECT_NEAR(corners[1].y, 60.0f, 1e-4);  // corners are updated in place
    for (const TDrawVertex& q : v)
    {
        EXPECT_FLOAT_EQ(q.z, 0.1f);
        EXPECT_FLOAT_EQ(q.rhw, 0.5f);
        EXPECT_EQ(q.specular, 0xFF000000u);
        // alpha 127, red 255, green 127, blue (int)(510) & 0xFF
        EXPECT_EQ(q.diffuse, 0x7FFF7FFEu);
    }
    const float u[4] = {0.25f, 0.75f, 0.75f, 0.25f}, vv[4] = {0.5f, 0.5f, 1.0f, 1.0f};
    for (int k = 0; k < 4; ++k)
    {
        EXPECT_EQ(v[k].u, u[k]);
        EXPECT_EQ(v[k].v, vv[k]);
    }
}

TEST(DrawParams, AlphaIsClampedAndOddTintsStayDefined)
{
    TDrawParams p;
    TFloatPoint corners[4];
    const TFloatPoint uv[2];
    TDrawVertex v[4];
    FillQuadVertices(v, TFloatPoint(), corners, uv, p, 7.0f, TFloatVector4(NAN, 1e30f, -1e30f, 0));
    EXPECT_EQ(v[0].diffuse >> 24, 0xFFu);
    FillQuadVertices(v, TFloatPoint(), corners, uv, p, -1.0f, TFloatVector4(0, 0, 0, 0));
    EXPECT_EQ(v[0].diffuse >> 24, 0u);
}

}  // namespace
