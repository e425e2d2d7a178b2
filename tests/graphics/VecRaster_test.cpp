// The rasteriser core and the drawer's target writing, without a device.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/FontRegistry.h"
#include "graphics/VecDraw.h"
#include "graphics/VecRaster.h"

namespace
{

// A shape builder: commands with s16 coordinates in 1/128 pixel.
struct Shape
{
    std::vector<uint8_t> bytes;
    Shape& Op(uint8_t op)
    {
        bytes.push_back(op);
        return *this;
    }
    Shape& Fill(uint8_t n) { return Op(2).Op(n); }
    Shape& Pt(int op, std::initializer_list<int> values)
    {
        Op(uint8_t(op));
        for (int v : values)
        {
            bytes.push_back(uint8_t(uint16_t(v) & 255));
            bytes.push_back(uint8_t(uint16_t(v) >> 8));
        }
        return *this;
    }
    // A closed axis-aligned rectangle, in pixels at scale 1.
    Shape& Rect(float x0, float y0, float x1, float y1)
    {
        const int a = int(x0 * 128), b = int(y0 * 128), c = int(x1 * 128), d = int(y1 * 128);
        return Pt(4, {a, b}).Pt(5, {c, b}).Pt(5, {c, d}).Pt(5, {a, d}).Pt(5, {a, b});
    }
    const uint8_t* begin() const { return bytes.data(); }
    const uint8_t* end() const { return bytes.data() + bytes.size(); }
};

std::vector<TVecSpan> Spans(TVecRaster& r, const Shape& s, int px, int py, const TVecTransform& t,
                            bool* cached = nullptr)
{
    int n = 0;
    const TVecSpan* p = r.Render(s.begin(), s.end(), px, py, t, &n, cached);
    return std::vector<TVecSpan>(p, p + n);
}

TVecTransform Unit()
{
    return TVecTransform();  // scale 4: one shape pixel is one pixel
}

// Coverage per pixel of one layer over a small grid around the origin.
std::vector<int> Coverage(const std::vector<TVecSpan>& spans, int layer, int w, int h, int ox = 8,
                          int oy = 8)
{
    std::vector<int> c(size_t(w * h), 0);
    for (const TVecSpan& s : spans)
        if (s.layer == layer)
            for (int x = s.x0; x < s.x1; ++x)
                if (x + ox >= 0 && x + ox < w && s.y + oy >= 0 && s.y + oy < h)
                    c[size_t((s.y + oy) * w + x + ox)] = s.level;
    return c;
}

bool SameSpans(const std::vector<TVecSpan>& a, const std::vector<TVecSpan>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(TVecSpan)) == 0;
}

}  // namespace

TEST(VecRaster, OnePixelSquareAtPhasesZeroAndTwo)
{
    TVecRaster r;
    Shape s;
    s.Fill(1).Rect(0, 0, 1, 1).Op(8);
    struct Case
    {
        int px;
        std::vector<TVecSpan> want;
    } cases[] = {
        {0, {{0, 1, 0, 16, 3}}},
        {2, {{0, 2, 0, 8, 3}}},
    };
    for (const Case& c : cases)
    {
        const std::vector<TVecSpan> got = Spans(r, s, c.px, 0, Unit());
        ASSERT_EQ(got.size(), c.want.size()) << "phase " << c.px;
        for (size_t i = 0; i < got.size(); ++i)
        {
            EXPECT_EQ(got[i].x0, c.want[i].x0) << "phase " << c.px;
            EXPECT_EQ(got[i].x1, c.want[i].x1) << "phase " << c.px;
            EXPECT_EQ(got[i].y, c.want[i].y) << "phase " << c.px;
            EXPECT_EQ(got[i].level, c.want[i].level) << "phase " << c.px;
            EXPECT_EQ(got[i].layer, c.want[i].layer) << "phase " << c.px;
        }
    }
}

TEST(VecRaster, CurveIsThreeSegmentsAndReplayEqualsFreshRasterisation)
{
    TVecRaster r;
    Shape s;
    s.Fill(1).Pt(4, {0, 0}).Pt(6, {640, 0, 640, 640}).Pt(5, {0, 640}).Pt(5, {0, 0}).Op(8);
    bool cached = true;
    const std::vector<TVecSpan> first = Spans(r, s, 1, 3, Unit(), &cached);
    EXPECT_FALSE(cached);
    EXPECT_EQ(r.GetLastSegmentCount(), 3 + 2);
    const std::vector<TVecSpan> again = Spans(r, s, 1, 3, Unit(), &cached);
    EXPECT_TRUE(cached);
    EXPECT_TRUE(SameSpans(first, again));
    Spans(r, s, 2, 3, Unit(), &cached);
    EXPECT_FALSE(cached) << "another phase is rasterised again";
    TVecRaster fresh;
    fresh.SetCacheEnabled(false);
    EXPECT_TRUE(SameSpans(first, Spans(fresh, s, 1, 3, Unit())));
}

TEST(VecRaster, ItalicShearsByAThirdOfY)
{
    // A one-pixel square one pixel above the baseline (y -1..0): sheared by
    // y / 3 its left edge sits between 1/3 and 0 pixels right.
    TVecRaster r;
    Shape s;
    s.Fill(1).Rect(0, -3, 1, 0).Op(8);
    TVecTransform t = Unit();
    t.italic = true;
    const std::vector<int> c = Coverage(Spans(r, s, 0, 0, t), 3, 16, 16);
    // Row -3 (y from -3 to -2) moves right by about 0.83 pixels: most of its
    // ink is in pixel 1; the bottom row (y -1..0) stays mostly in pixel 0.
    EXPECT_GT(c[size_t(5 * 16 + 9)], c[size_t(5 * 16 + 8)]);
    EXPECT_GT(c[size_t(7 * 16 + 8)], c[size_t(7 * 16 + 9)]);
}

TEST(VecRaster, EdgeArrayDoublesAndTheShapeIsDrawnCompletely)
{
    TVecRaster r;
    EXPECT_EQ(r.GetEdgeCapacity(), 512u);
    Shape s;
    s.Fill(1);
    // 300 separate squares: 600 edges, drawn at twice the shape's size.
    for (int i = 0; i < 300; ++i) s.Op(1).Fill(1).Rect(float(i) - 150.0f, 0, float(i) - 149.5f, 1);
    s.Op(8);
    TVecTransform t = Unit();
    t.scaleX = t.scaleY = 8.0f;
    const std::vector<int> c = Coverage(Spans(r, s, 0, 0, t), 3, 700, 4, 350, 0);
    EXPECT_EQ(r.GetEdgeCapacity(), 1024u);
    int full = 0;
    for (int v : c) full += v == 16;
    EXPECT_EQ(full, 600);
}

TEST(VecRaster, OutlinesLieUnderTheFillInTheirLayers)
{
    TVecRaster r;
    Shape s;
    s.Fill(1).Rect(0, 0, 4, 4).Op(8);
    TVecTransform t = Unit();
    t.outline[0] = 2.0f;
    t.outline[1] = 1.0f;
    const std::vector<TVecSpan> spans = Spans(r, s, 0, 0, t);
    const std::vector<int> fill = Coverage(spans, 3, 16, 16);
    const std::vector<int> outer = Coverage(spans, 0, 16, 16);
    const std::vector<int> inner = Coverage(spans, 1, 16, 16);
    EXPECT_EQ(fill[size_t(9 * 16 + 9)], 16);     // inside: the fill only
    EXPECT_EQ(outer[size_t(9 * 16 + 9)], 0);
    EXPECT_EQ(inner[size_t(8 * 16 + 7)], 16);    // one pixel out: the second outline
    EXPECT_EQ(outer[size_t(8 * 16 + 6)], 16);    // two pixels out: only the first
    EXPECT_EQ(inner[size_t(8 * 16 + 6)], 0);
    EXPECT_EQ(outer[size_t(8 * 16 + 5)], 0);     // beyond both
}

TEST(VecRaster, TouchingGroupsUniteWhileOneGroupToggles)
{
    // Two overlapping squares: in one group the overlap cancels, in two
    // groups it stays filled.
    Shape one, two;
    one.Fill(1).Rect(0, 0, 4, 4).Rect(2, 0, 6, 4).Op(8);
    two.Op(1).Fill(1).Rect(0, 0, 4, 4).Op(1).Fill(1).Rect(2, 0, 6, 4).Op(8);
    TVecRaster r;
    EXPECT_EQ(Coverage(Spans(r, one, 0, 0, Unit()), 3, 16, 16)[size_t(9 * 16 + 11)], 0);
    EXPECT_EQ(Coverage(Spans(r, two, 0, 0, Unit()), 3, 16, 16)[size_t(9 * 16 + 11)], 16);
}

TEST(VecRaster, ReadsStopAtTheEndAndHugeShapesStayInsideTheWindow)
{
    TVecRaster r;
    Shape s;
    s.Fill(1).Rect(0, 0, 1, 1);  // no end command: the end pointer stops it
    s.bytes.push_back(5);        // a line command cut short
    s.bytes.push_back(0x10);
    EXPECT_FALSE(Spans(r, s, 0, 0, Unit()).empty());

    Shape big;
    big.Fill(1).Rect(-200, -200, 200, 200).Op(8);
    TVecTransform t = Unit();
    t.scaleX = t.scaleY = 4.0e6f;  // a font tag or draw scale gone wild
    const std::vector<TVecSpan> spans = Spans(r, big, 0, 0, t);
    ASSERT_FALSE(spans.empty());
    for (const TVecSpan& sp : spans)
    {
        ASSERT_GE(sp.y, -TVecRaster::kWindow);
        ASSERT_LE(sp.y, TVecRaster::kWindow);
        ASSERT_GE(sp.x0, -TVecRaster::kWindow);
        ASSERT_LE(sp.x1, TVecRaster::kWindow + 1);
    }
    EXPECT_LE(spans.size(), size_t(2 * TVecRaster::kWindow + 2));
}

TEST(VecRaster, CacheEmptiesPastItsCapAndRefills)
{
    TVecRaster r;
    r.SetMaxCacheBlocks(1);
    Shape s;
    s.Fill(1).Rect(0, 0, 40, 40).Op(8);
    TVecTransform t = Unit();
    // A scale that changes every frame makes a new entry every time.
    for (int i = 0; i < 400; ++i)
    {
        t.scaleX = t.scaleY = 4.0f + 0.01f * float(i);
        int n = 0;
        r.Render(s.begin(), s.end(), 0, 0, t, &n);
        ASSERT_LE(r.GetCacheBlocks(), 2);
    }
    EXPECT_GT(r.GetCacheClears(), 0);
    bool cached = false;
    Spans(r, s, 0, 0, t, &cached);
    EXPECT_TRUE(cached);
}

TEST(VecDrawTarget, RampsAndWritingModes)
{
    uint32_t ramp[32];
    BuildCoverageRamp(TFloatVector4(1, 0, 0, 1), 1.0f, ramp);
    EXPECT_EQ(ramp[15], 0xFFFF0000u);
    EXPECT_EQ(ramp[7] >> 24, 127u);
    BuildCoverageRamp(TFloatVector4(1, 0, 0, 1), 0.5f, ramp);
    EXPECT_EQ(ramp[15] >> 24, 127u);
    EXPECT_EQ(ramp[16] >> 24, 126u);

    TVecRamps ramps;
    BuildCoverageRamp(TFloatVector4(1, 1, 1, 1), 1.0f, ramps.ramp[3]);
    const TVecSpan spans[] = {{0, 2, 0, 16, 3}, {2, 4, 0, 8, 3}, {4, 5, 0, 1, 3}};
    struct Case
    {
        int mode;
        uint32_t dst;
        uint32_t want[5];
    } cases[] = {
        {kVecCopy, 0x80102030u, {0xFFFFFFFFu, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x7FFFFFFFu, 0x0FFFFFFFu}},
        {kVecBlendOver, 0xFF000000u, {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFF7F7F7Fu, 0xFF7F7F7Fu, 0xFF0F0F0Fu}},
        {kVecAccumulate, 0x00000000u, {0xFFFFFFFFu, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x7FFFFFFFu, 0x0FFFFFFFu}},
    };
    for (const Case& c : cases)
    {
        uint32_t px[5];
        for (uint32_t& p : px) p = c.dst;
        WriteVecSpans(spans, 3, 0, 0, ramps, px, 5, 1, 5, c.mode);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(px[i], c.want[i]) << "mode " << c.mode << " pixel " << i;
    }
}

TEST(VecDrawTarget, AccumulateSkipsAFaintSpanAndWritesTheRest)
{
    TVecRamps ramps;
    BuildCoverageRamp(TFloatVector4(1, 1, 1, 0.02f), 1.0f, ramps.ramp[3]);  // alpha 5
    const TVecSpan spans[] = {{0, 1, 0, 1, 3}, {1, 2, 0, 16, 3}};           // alpha 0, then 4
    uint32_t px[2] = {0, 0};
    WriteVecSpans(spans, 2, 0, 0, ramps, px, 2, 1, 2, kVecAccumulate);
    EXPECT_EQ(px[0], 0u);
    EXPECT_NE(px[1], 0u);
}

TEST(VecDrawTarget, DrawerWritesGlyphsIntoAPixelBlockAndReplays)
{
    std::unique_ptr<TVecFont> font = TFontRegistry::MakeBuiltInFont();
    ASSERT_TRUE(font->IsUsable());
    const int g = font->FindGlyph('A');
    std::vector<uint32_t> a(64 * 64, 0xFF000000u), b(64 * 64, 0xFF000000u);
    TQvMiniVecDraw d;
    d.SetColor(1, TFloatVector4(1, 1, 1, 1), 1.0f);
    d.transform.scaleX = d.transform.scaleY = 4.0f * 32.0f / 128.0f;
    d.BeginPixelTarget(10.25f, 40.0f, a.data(), 64, 64, 64);
    d.Render(font->GetGlyphShape(g), font->GetImageEnd(), 0, 0);
    EXPECT_EQ(d.GetRaster().GetCacheEntries(), 1u);
    d.BeginPixelTarget(10.25f, 40.0f, b.data(), 64, 64, 64);
    d.Render(font->GetGlyphShape(g), font->GetImageEnd(), 0, 0);
    EXPECT_EQ(d.GetRaster().GetCacheEntries(), 1u);
    EXPECT_EQ(a, b);
    int lit = 0;
    for (uint32_t p : a) lit += (p & 0xFF) > 128;
    EXPECT_GT(lit, 40);
    EXPECT_EQ(d.ReadPixel(-1, 0), 0u);
}
