// The SDL graphics device, headless: blend factors, the alpha-capture mode,
// viewports, transforms, fills, copies and loss, checked by reading pixels back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "platform/Window.h"
#include "platform/gfx/Device.h"

// Mesa's GL driver keeps allocations past context teardown and unloads its
// module, so they cannot be suppressed by name; leak checking stays on for
// every test that does not open a GL context.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

struct Rgba
{
    int a, r, g, b;
};
Rgba Split(uint32_t p)
{
    return {int(p >> 24), int((p >> 16) & 255), int((p >> 8) & 255), int(p & 255)};
}

::testing::AssertionResult Near(uint32_t got, uint32_t want, int tol, bool checkAlpha = true)
{
    Rgba g = Split(got), w = Split(want);
    if (std::abs(g.r - w.r) <= tol && std::abs(g.g - w.g) <= tol && std::abs(g.b - w.b) <= tol &&
        (!checkAlpha || std::abs(g.a - w.a) <= tol))
        return ::testing::AssertionSuccess();
    char buf[96];
    snprintf(buf, sizeof buf, "got 0x%08X, want 0x%08X (tolerance %d)", got, want, tol);
    return ::testing::AssertionFailure() << buf;
}

class GfxDeviceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window_ = GfxCreateHiddenWindow(64, 64);
        ASSERT_NE(window_, nullptr);
        dev_ = GfxCreateSdlDevice();
        ASSERT_EQ(dev_->CreateDisplay(window_, false, 64, 64, 32, 1), GFX_OK);
    }
    void TearDown() override
    {
        dev_.reset();
        GfxDestroyWindow(window_);
        GfxQuitVideo();
    }

    uint32_t Pixel(int x, int y)
    {
        uint32_t p = 0;
        EXPECT_EQ(dev_->ReadBack({x, y, x + 1, y + 1}, &p), GFX_OK);
        return p;
    }

    // A pre-transformed quad covering [x0,x1) x [y0,y1) in pixels.
    void Quad(float x0, float y0, float x1, float y1, uint32_t argb)
    {
        GfxVertex v[4] = {{x0, y0, 0, 1, argb, 0, 0, 0},
                          {x1, y0, 0, 1, argb, 0, 1, 0},
                          {x1, y1, 0, 1, argb, 0, 1, 1},
                          {x0, y1, 0, 1, argb, 0, 0, 1}};
        // Quads are specified by edges; in this vertex space pixel centres sit on
        // integers, so edges lie half a pixel before them.
        for (auto& p : v)
        {
            p.x -= 0.5f;
            p.y -= 0.5f;
        }
        ASSERT_EQ(dev_->DrawPrimitive(GFX_PT_TRIANGLEFAN, GFX_FVF_TLVERTEX, v, 4), GFX_OK);
    }

    void Blend(bool on, uint32_t src, uint32_t dst)
    {
        dev_->SetRenderState(GFX_RS_ALPHABLENDENABLE, on ? 1 : 0);
        dev_->SetRenderState(GFX_RS_SRCBLEND, src);
        dev_->SetRenderState(GFX_RS_DESTBLEND, dst);
    }

    void* window_ = nullptr;
    std::unique_ptr<IGfxDevice> dev_;
};

TEST_F(GfxDeviceTest, ReportsRendererAndCustomBlending)
{
    GfxDeviceInfo info = dev_->GetInfo();
    EXPECT_FALSE(info.driver.empty());
    EXPECT_FALSE(info.description.empty());
    EXPECT_TRUE(info.customBlend);
    EXPECT_GE(info.maxTextureWidth, 1024);
    EXPECT_GE(info.maxTextureHeight, 1024);
}

TEST_F(GfxDeviceTest, BlendFactorsOverKnownBackground)
{
    // Background (R 0.8, G 0.4, B 0.2), source (R 0.2, G 0.6, B 1.0) at alpha 0.5.
    const uint32_t bg = 0xFFCC6633u, src = 0x803399FFu;
    struct Case
    {
        const char* name;
        bool on;
        uint32_t s, d;
        uint32_t want;
    } cases[] = {
        {"alpha", true, GFX_BLEND_SRCALPHA, GFX_BLEND_INVSRCALPHA, 0xC07F8099u},
        {"opaque", false, GFX_BLEND_SRCALPHA, GFX_BLEND_INVSRCALPHA, 0x803399FFu},
        {"additive", true, GFX_BLEND_SRCALPHA, GFX_BLEND_ONE, 0xFFE5B3B3u},
        {"subtractive", true, GFX_BLEND_ZERO, GFX_BLEND_INVSRCCOLOR, 0x80A32900u},
        {"multiply", true, GFX_BLEND_ZERO, GFX_BLEND_SRCCOLOR, 0x80293D33u},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(dev_->ColorFill(nullptr, {0, 0, 64, 64}, bg), GFX_OK);
        Blend(c.on, c.s, c.d);
        Quad(8, 8, 24, 24, src);
        // Alpha is blended with the same factors as the colour.
        EXPECT_TRUE(Near(Pixel(10, 10), c.want, 2, false));
        EXPECT_EQ(Pixel(30, 30), bg);
    }
}

TEST_F(GfxDeviceTest, TransparentTexelsLeaveMultiplyAndSubtractiveAlone)
{
    GfxTexture* t = dev_->CreateTexture(2, 1, GFX_TEXTURE_STATIC);
    ASSERT_NE(t, nullptr);
    uint32_t* px = dev_->LockTexture(t);
    ASSERT_NE(px, nullptr);
    px[0] = 0x00000000u;  // transparent black
    px[1] = 0xFF808080u;  // opaque grey
    dev_->UnlockTexture(t);
    dev_->SetTexture(0, t);
    dev_->SetTextureStageState(0, GFX_TSS_MAGFILTER, GFX_TFILTER_POINT);
    dev_->SetRenderState(GFX_RS_ALPHATESTENABLE, 1);
    for (uint32_t dst : {uint32_t(GFX_BLEND_SRCCOLOR), uint32_t(GFX_BLEND_INVSRCCOLOR)})
    {
        ASSERT_EQ(dev_->ColorFill(nullptr, {0, 0, 64, 64}, 0xFFC8C8C8u), GFX_OK);
        Blend(true, GFX_BLEND_ZERO, dst);
        Quad(0, 0, 32, 16, 0xFFFFFFFFu);
        EXPECT_TRUE(Near(Pixel(4, 4), 0xFFC8C8C8u, 1, false)) << "transparent half, factor " << dst;
        EXPECT_TRUE(
            Near(Pixel(20, 4), dst == GFX_BLEND_SRCCOLOR ? 0xFF646464u : 0xFF636363u, 2, false));
    }
    dev_->SetTexture(0, nullptr);
    dev_->DestroyTexture(t);
}

TEST_F(GfxDeviceTest, AlphaTestDropsDrawsFadedToZeroAlpha)
{
    // The default alpha test (alpha >= 1) with vertex alpha 0: a faded-out
    // quad leaves the picture alone even under blends that ignore alpha.
    dev_->SetRenderState(GFX_RS_ALPHATESTENABLE, 1);
    dev_->SetRenderState(GFX_RS_ALPHAREF, 1);
    dev_->SetRenderState(GFX_RS_ALPHAFUNC, GFX_CMP_GREATEREQUAL);
    struct Case
    {
        const char* name;
        uint32_t alphaOp, alphaArg1, s, d, vertex;
        uint32_t want;  // at the quad
    } cases[] = {
        {"multiply faded out", GFX_TOP_MODULATE, GFX_TA_TEXTURE, GFX_BLEND_ZERO, GFX_BLEND_SRCCOLOR,
         0x00404040u, 0xFFC8C8C8u},
        {"subtractive faded out", GFX_TOP_MODULATE, GFX_TA_TEXTURE, GFX_BLEND_ZERO,
         GFX_BLEND_INVSRCCOLOR, 0x00FFFFFFu, 0xFFC8C8C8u},
        {"multiply barely visible", GFX_TOP_MODULATE, GFX_TA_TEXTURE, GFX_BLEND_ZERO,
         GFX_BLEND_SRCCOLOR, 0x01808080u, 0x01646464u},
        // Alpha from the texture factor: the vertex alpha decides nothing.
        {"opaque at alpha 0", GFX_TOP_SELECTARG1, GFX_TA_TFACTOR, GFX_BLEND_ONE, GFX_BLEND_ZERO,
         0x00FF0000u, 0x00FF0000u},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        dev_->SetTextureStageState(0, GFX_TSS_ALPHAOP, c.alphaOp);
        dev_->SetTextureStageState(0, GFX_TSS_ALPHAARG1, c.alphaArg1);
        dev_->SetTextureStageState(0, GFX_TSS_ALPHAARG2, GFX_TA_CURRENT);
        ASSERT_EQ(dev_->ColorFill(nullptr, {0, 0, 64, 64}, 0xFFC8C8C8u), GFX_OK);
        Blend(c.s != GFX_BLEND_ONE, c.s, c.d);
        Quad(8, 8, 24, 24, c.vertex);
        EXPECT_TRUE(Near(Pixel(10, 10), c.want, 2, false));
    }
}

TEST_F(GfxDeviceTest, AlphaCaptureWritesOnlyDestinationAlpha)
{
    ASSERT_EQ(dev_->ColorFill(nullptr, {0, 0, 64, 64}, 0x00336699u), GFX_OK);
    // Colour from the replicated alpha, alpha from the texture factor.
    dev_->SetTextureStageState(0, GFX_TSS_COLORARG1, GFX_TA_DIFFUSE | GFX_TA_ALPHAREPLICATE);
    dev_->SetTextureStageState(0, GFX_TSS_ALPHAARG1, GFX_TA_TFACTOR);
    Blend(true, GFX_BLEND_SRCALPHA, GFX_BLEND_ONE);
    Quad(0, 0, 16, 16, 0x40FFFFFFu);
    Quad(0, 0, 8, 8, 0x40FFFFFFu);
    EXPECT_TRUE(Near(Pixel(4, 4), 0x80336699u, 2));
    EXPECT_TRUE(Near(Pixel(12, 12), 0x40336699u, 2));
    EXPECT_EQ(Pixel(20, 20), 0x00336699u);
}

TEST_F(GfxDeviceTest, AlphaCaptureOfOneSelectedArgumentIgnoresTheOther)
{
    GfxTexture* t = dev_->CreateTexture(1, 1, GFX_TEXTURE_STATIC);
    ASSERT_NE(t, nullptr);
    uint32_t* px = dev_->LockTexture(t);
    ASSERT_NE(px, nullptr);
    px[0] = 0x80102030u;
    dev_->UnlockTexture(t);
    dev_->SetTexture(0, t);
    dev_->SetTextureStageState(0, GFX_TSS_COLOROP, GFX_TOP_SELECTARG1);
    dev_->SetTextureStageState(0, GFX_TSS_ALPHAOP, GFX_TOP_SELECTARG1);
    dev_->SetTextureStageState(0, GFX_TSS_ALPHAARG1, GFX_TA_TFACTOR);
    struct Case
    {
        const char* name;
        uint32_t arg1, s, d;
        uint32_t want;
    } cases[] = {
        // The texel's alpha alone: the vertex alpha 0x40 does not scale it.
        {"texture", GFX_TA_TEXTURE | GFX_TA_ALPHAREPLICATE, GFX_BLEND_SRCALPHA, GFX_BLEND_ONE,
         0x80336699u},
        // The white factor: the whole quad, whatever the texel's alpha.
        {"factor", GFX_TA_TFACTOR, GFX_BLEND_ONE, GFX_BLEND_ONE, 0xFF336699u},
        // The vertex's alpha alone, even with a texture still bound.
        {"diffuse", GFX_TA_DIFFUSE | GFX_TA_ALPHAREPLICATE, GFX_BLEND_SRCALPHA, GFX_BLEND_ONE,
         0x40336699u},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(dev_->ColorFill(nullptr, {0, 0, 64, 64}, 0x00336699u), GFX_OK);
        dev_->SetTextureStageState(0, GFX_TSS_COLORARG1, c.arg1);
        Blend(true, c.s, c.d);
        Quad(0, 0, 16, 16, 0x40FFFFFFu);
        EXPECT_TRUE(Near(Pixel(4, 4), c.want, 2));
        EXPECT_EQ(Pixel(20, 20), 0x00336699u);
    }
    dev_->SetTexture(0, nullptr);
    dev_->DestroyTexture(t);
}

TEST_F(GfxDeviceTest, ViewportOffsetsAndClipsPretransformedVertices)
{
    ASSERT_EQ(dev_->ColorFill(nullptr, {0, 0, 64, 64}, 0xFF000000u), GFX_OK);
    ASSERT_EQ(dev_->SetViewport({10, 10, 20, 20, 0, 1}), GFX_OK);
    Blend(false, GFX_BLEND_ONE, GFX_BLEND_ZERO);
    Quad(0, 0, 64, 64, 0xFFFF0000u);
    EXPECT_EQ(Pixel(9, 9), 0xFF000000u);
    EXPECT_EQ(Pixel(10, 10), 0xFFFF0000u);
    EXPECT_EQ(Pixel(29, 29), 0xFFFF0000u);
    EXPECT_EQ(Pixel(30, 30), 0xFF000000u);
    // The device refuses a viewport beyond the back buffer and keeps the old one.
    EXPECT_NE(dev_->SetViewport({50, 50, 20, 20, 0, 1}), GFX_OK);
    EXPECT_EQ(dev_->GetViewport().x, 10);
}

TEST_F(GfxDeviceTest, DrawsInsideOrAcrossTheViewportCoverTheSamePixelsInAnyOrder)
{
    // Inside draws skip the viewport (so they batch); crossing draws clip.
    // Alternating them, in several viewports, must still put every quad
    // exactly where the viewport allows.
    ASSERT_EQ(dev_->ColorFill(nullptr, {0, 0, 64, 64}, 0xFF000000u), GFX_OK);
    Blend(false, GFX_BLEND_ONE, GFX_BLEND_ZERO);
    const struct
    {
        GfxViewport vp;
        float x0, y0, x1, y1;
        uint32_t argb;
    } draws[] = {
        {{0, 0, 16, 16, 0, 1}, 0, 0, 16, 16, 0xFFFF0000u},    // exactly the viewport
        {{16, 0, 16, 16, 0, 1}, 10, 4, 40, 12, 0xFF00FF00u},  // crosses both sides
        {{32, 0, 16, 16, 0, 1}, 36, 4, 44, 12, 0xFF0000FFu},  // well inside
        {{48, 0, 16, 16, 0, 1}, 48, 0, 64, 17, 0xFFFFFF00u},  // one row too tall
    };
    for (const auto& d : draws)
    {
        ASSERT_EQ(dev_->SetViewport(d.vp), GFX_OK);
        Quad(d.x0, d.y0, d.x1, d.y1, d.argb);
    }
    EXPECT_EQ(Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(Pixel(15, 15), 0xFFFF0000u);
    EXPECT_EQ(Pixel(0, 16), 0xFF000000u);
    EXPECT_EQ(Pixel(15, 4), 0xFFFF0000u);  // the green quad was clipped at 16
    EXPECT_EQ(Pixel(16, 4), 0xFF00FF00u);
    EXPECT_EQ(Pixel(31, 11), 0xFF00FF00u);
    EXPECT_EQ(Pixel(32, 4), 0xFF000000u);  // and at 32
    EXPECT_EQ(Pixel(35, 4), 0xFF000000u);
    EXPECT_EQ(Pixel(36, 4), 0xFF0000FFu);
    EXPECT_EQ(Pixel(43, 11), 0xFF0000FFu);
    EXPECT_EQ(Pixel(44, 11), 0xFF000000u);
    EXPECT_EQ(Pixel(63, 15), 0xFFFFFF00u);
    EXPECT_EQ(Pixel(63, 16), 0xFF000000u);
}

TEST_F(GfxDeviceTest, OrthographicProjectionWithHalfPixelOffsetIsPixelExact)
{
    // Texel-exact 2D: left 0.5, right w + 0.5, top 0.5, bottom h + 0.5.
    const float w = 64, h = 64, l = 0.5f, r = w + 0.5f, t = 0.5f, b = h + 0.5f;
    GfxMatrix p{};
    p.m[0][0] = 2 / (r - l);
    p.m[1][1] = 2 / (t - b);
    p.m[2][2] = 1;
    p.m[3][0] = (l + r) / (l - r);
    p.m[3][1] = (t + b) / (b - t);
    p.m[3][3] = 1;
    dev_->SetTransform(GFX_TRANSFORM_PROJECTION, p);
    GfxTexture* tex = dev_->CreateTexture(4, 4, GFX_TEXTURE_STATIC);
    uint32_t* px = dev_->LockTexture(tex);
    for (int i = 0; i < 16; ++i) px[i] = (i % 2) ? 0xFFFFFFFFu : 0xFF000000u;
    dev_->UnlockTexture(tex);
    dev_->SetTexture(0, tex);
    dev_->SetTextureStageState(0, GFX_TSS_MAGFILTER, GFX_TFILTER_POINT);
    Blend(false, GFX_BLEND_ONE, GFX_BLEND_ZERO);
    GfxVertex v[4] = {{8, 8, 0, 0, 0xFFFFFFFFu, 0, 0, 0},
                      {12, 8, 0, 0, 0xFFFFFFFFu, 0, 1, 0},
                      {12, 12, 0, 0, 0xFFFFFFFFu, 0, 1, 1},
                      {8, 12, 0, 0, 0xFFFFFFFFu, 0, 0, 1}};
    ASSERT_EQ(dev_->DrawPrimitive(GFX_PT_TRIANGLEFAN, GFX_FVF_LVERTEX, v, 4), GFX_OK);
    for (int x = 8; x < 12; ++x) EXPECT_EQ(Pixel(x, 9), (x % 2) ? 0xFFFFFFFFu : 0xFF000000u) << x;
    EXPECT_EQ(Pixel(12, 9), 0xFF000000u);
    dev_->SetTexture(0, nullptr);
    dev_->DestroyTexture(tex);
}

TEST_F(GfxDeviceTest, EveryPrimitiveFormCoversTheSameQuad)
{
    // Corners in fan order: top-left, top-right, bottom-right, bottom-left.
    const GfxVertex c[4] = {{1.5f, 1.5f, 0, 1, 0xFFFF0000u, 0, 0, 0},
                            {9.5f, 1.5f, 0, 1, 0xFFFF0000u, 0, 0, 0},
                            {9.5f, 9.5f, 0, 1, 0xFFFF0000u, 0, 0, 0},
                            {1.5f, 9.5f, 0, 1, 0xFFFF0000u, 0, 0, 0}};
    const GfxVertex listV[6] = {c[0], c[1], c[2], c[0], c[2], c[3]};
    const GfxVertex stripV[4] = {c[0], c[1], c[3], c[2]};
    const uint16_t listI[6] = {0, 1, 2, 0, 2, 3}, fanI[4] = {0, 1, 2, 3}, stripI[4] = {0, 1, 3, 2};
    struct Case
    {
        const char* name;
        GfxPrimitive type;
        const GfxVertex* v;
        int count;
        const uint16_t* idx;
        int idxCount;
    } cases[] = {
        {"list", GFX_PT_TRIANGLELIST, listV, 6, nullptr, 0},
        {"fan", GFX_PT_TRIANGLEFAN, c, 4, nullptr, 0},
        {"strip", GFX_PT_TRIANGLESTRIP, stripV, 4, nullptr, 0},
        {"indexed list", GFX_PT_TRIANGLELIST, c, 4, listI, 6},
        {"indexed fan", GFX_PT_TRIANGLEFAN, c, 4, fanI, 4},
        {"indexed strip", GFX_PT_TRIANGLESTRIP, c, 4, stripI, 4},
    };
    Blend(false, GFX_BLEND_ONE, GFX_BLEND_ZERO);
    for (const Case& k : cases)
    {
        SCOPED_TRACE(k.name);
        ASSERT_EQ(dev_->ColorFill(nullptr, {0, 0, 64, 64}, 0xFF000000u), GFX_OK);
        const GfxResult r = k.idx ? dev_->DrawIndexedPrimitive(k.type, GFX_FVF_TLVERTEX, k.v,
                                                               k.count, k.idx, k.idxCount)
                                  : dev_->DrawPrimitive(k.type, GFX_FVF_TLVERTEX, k.v, k.count);
        ASSERT_EQ(r, GFX_OK);
        for (int y : {1, 2, 5, 9, 10})
            for (int x : {1, 2, 5, 9, 10})
            {
                const bool inside = x >= 2 && x < 10 && y >= 2 && y < 10;
                EXPECT_EQ(Pixel(x, y), inside ? 0xFFFF0000u : 0xFF000000u) << x << "," << y;
            }
    }
}

TEST_F(GfxDeviceTest, IndexedDrawAndCopiesBetweenBackBufferAndTexture)
{
    ASSERT_EQ(dev_->ColorFill(nullptr, {0, 0, 64, 64}, 0xFF000000u), GFX_OK);
    Blend(false, GFX_BLEND_ONE, GFX_BLEND_ZERO);
    GfxVertex v[4] = {{-0.5f, -0.5f, 0, 1, 0xFF00FF00u, 0, 0, 0},
                      {7.5f, -0.5f, 0, 1, 0xFF00FF00u, 0, 0, 0},
                      {7.5f, 7.5f, 0, 1, 0xFF00FF00u, 0, 0, 0},
                      {-0.5f, 7.5f, 0, 1, 0xFF00FF00u, 0, 0, 0}};
    uint16_t idx[6] = {0, 1, 2, 0, 2, 3};
    ASSERT_EQ(dev_->DrawIndexedPrimitive(GFX_PT_TRIANGLELIST, GFX_FVF_TLVERTEX, v, 4, idx, 6),
              GFX_OK);
    uint16_t bad[3] = {0, 1, 9};
    EXPECT_EQ(dev_->DrawIndexedPrimitive(GFX_PT_TRIANGLELIST, GFX_FVF_TLVERTEX, v, 4, bad, 3),
              GFX_E_INVALIDARG);

    GfxTexture* t = dev_->CreateTexture(16, 16, GFX_TEXTURE_TARGET);
    ASSERT_EQ(dev_->CopyBackToTexture({0, 0, 16, 16}, t), GFX_OK);
    uint32_t* px = dev_->LockTexture(t);
    EXPECT_EQ(px[0], 0xFF00FF00u);
    EXPECT_EQ(px[7 * 16 + 7], 0xFF00FF00u);
    EXPECT_EQ(px[8 * 16 + 8], 0xFF000000u);
    px[15 * 16 + 15] = 0xFF0000FFu;
    dev_->UnlockTexture(t);
    ASSERT_EQ(dev_->ColorFill(nullptr, {0, 0, 64, 64}, 0xFFFFFFFFu), GFX_OK);
    ASSERT_EQ(dev_->CopyTextureToBack(t, {0, 0, 40, 40}), GFX_OK);  // clipped to the texture
    EXPECT_EQ(Pixel(0, 0), 0xFF00FF00u);
    EXPECT_EQ(Pixel(15, 15), 0xFF0000FFu);
    EXPECT_EQ(Pixel(16, 16), 0xFFFFFFFFu);
    // A fill of a texture writes its copy; an empty area is no error.
    EXPECT_EQ(dev_->ColorFill(t, {14, 14, 99, 99}, 0x12345678u), GFX_OK);
    EXPECT_EQ(dev_->ColorFill(t, {5, 5, 2, 2}, 0u), GFX_OK);
    px = dev_->LockTexture(t);
    EXPECT_EQ(px[15 * 16 + 15], 0x12345678u);
    EXPECT_EQ(px[0], 0xFF00FF00u);
    dev_->UnlockTexture(t);
    dev_->DestroyTexture(t);
}

TEST_F(GfxDeviceTest, LossRefusesDrawingUntilRestoredAndClearsBackBuffer)
{
    ASSERT_EQ(dev_->ColorFill(nullptr, {0, 0, 64, 64}, 0xFFFFFFFFu), GFX_OK);
    dev_->SimulateLoss();
    EXPECT_EQ(dev_->TestLost(), GFX_E_SURFACELOST);
    EXPECT_EQ(dev_->BeginScene(), GFX_E_SURFACELOST);
    EXPECT_EQ(dev_->Present(), GFX_E_SURFACELOST);
    EXPECT_EQ(dev_->RestoreSurfaces(), GFX_OK);
    EXPECT_EQ(dev_->TestLost(), GFX_OK);
    EXPECT_EQ(Pixel(3, 3), 0xFF000000u);
    EXPECT_EQ(dev_->BeginScene(), GFX_OK);
    EXPECT_EQ(dev_->EndScene(), GFX_OK);
    EXPECT_EQ(dev_->Present(), GFX_OK);
}

TEST_F(GfxDeviceTest, FullScreenPresentsAndModeChangeKeepsTextures)
{
    GfxTexture* t = dev_->CreateTexture(2, 2, GFX_TEXTURE_STATIC);
    uint32_t* px = dev_->LockTexture(t);
    for (int i = 0; i < 4; ++i) px[i] = 0xFF102030u;
    dev_->UnlockTexture(t);
    ASSERT_EQ(dev_->CreateDisplay(window_, true, 32, 24, 32, 1), GFX_OK);
    int w = 0, h = 0;
    ASSERT_TRUE(dev_->GetBackBufferSize(&w, &h));
    EXPECT_EQ(w, 32);
    EXPECT_EQ(h, 24);
    ASSERT_EQ(dev_->CopyTextureToBack(t, {0, 0, 2, 2}), GFX_OK);
    EXPECT_EQ(Pixel(1, 1), 0xFF102030u);
    dev_->SetVsync(false);
    EXPECT_EQ(dev_->Present(), GFX_OK);
    dev_->DestroyTexture(t);
    EXPECT_EQ(dev_->CreateDisplay(nullptr, false, 32, 24, 32, 1), GFX_E_POINTER);
    EXPECT_FALSE(dev_->HasDisplay());
}

// The main window opens centred at a small size and is then given the
// picture's size by the mode set: it must lie on the display again.
TEST(GfxDeviceWindow, AWindowGivenANewSizeLiesCentredOnItsDisplay)
{
    struct Case
    {
        const char* name;
        int openWidth, openHeight;  // as the window opens, centred
        bool movedFirst;            // placed by hand before the mode set
        int width, height;          // the mode set's size
    };
    const Case cases[] = {
        {"grows", 480, 360, false, 800, 600},
        {"shrinks", 800, 600, false, 480, 360},
        {"moved, then given a new size", 480, 360, true, 800, 600},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        auto window = platform::CreateSdlWindow();
        platform::WindowParams params;
        params.width = c.openWidth;
        params.height = c.openHeight;
        ASSERT_TRUE(window->Create(params));
        auto dev = GfxCreateSdlDevice();
        const std::vector<GfxMonitor> monitors = dev->GetMonitors();
        ASSERT_FALSE(monitors.empty());
        const GfxRect display = monitors[0].bounds;
        ASSERT_GE(display.right - display.left, c.width);
        ASSERT_GE(display.bottom - display.top, c.height);
        ASSERT_EQ(dev->CreateDisplay(window->GetNativeHandle(), false, c.openWidth,
                                     c.openHeight, 32, 1),
                  GFX_OK);
        if (c.movedFirst) dev->MoveWindow(display.left + 7, display.top + 5);
        ASSERT_EQ(dev->CreateDisplay(window->GetNativeHandle(), false, c.width, c.height, 32, 1),
                  GFX_OK);
        const GfxRect r = dev->GetWindowClientRect();
        EXPECT_EQ(r.right - r.left, c.width);
        EXPECT_EQ(r.bottom - r.top, c.height);
        EXPECT_EQ(r.left - display.left, display.right - r.right);
        EXPECT_EQ(r.top - display.top, display.bottom - r.bottom);
        dev.reset();
        window.reset();
    }
    GfxQuitVideo();
}

// A window that keeps its size keeps the place the player gave it.
TEST(GfxDeviceWindow, AWindowKeepingItsSizeStaysWhereItWasPut)
{
    auto window = platform::CreateSdlWindow();
    ASSERT_TRUE(window->Create(platform::WindowParams()));
    auto dev = GfxCreateSdlDevice();
    ASSERT_EQ(dev->CreateDisplay(window->GetNativeHandle(), false, 480, 360, 32, 1), GFX_OK);
    dev->MoveWindow(11, 13);
    ASSERT_EQ(dev->CreateDisplay(window->GetNativeHandle(), false, 480, 360, 32, 1), GFX_OK);
    const GfxRect r = dev->GetWindowClientRect();
    EXPECT_EQ(r.left, 11);
    EXPECT_EQ(r.top, 13);
    dev.reset();
    window.reset();
    GfxQuitVideo();
}

}  // namespace
