// Render-state rules over the recording device: the blend table with its
// texture-stage set-ups, state sets, viewport arithmetic and the pixel
// projection.
#include <gtest/gtest.h>

#include <cmath>

#include "graphics/DisplayHandler.h"
#include "platform/null/GfxRecordingDevice.h"
#include "support/TestDisplayHost.h"

namespace
{

class RenderStatesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        handler_ = std::make_unique<TDisplayHandler>(&dev_, &host_);
        handler_->SetDisplay({.width = 800, .height = 600});
        ASSERT_TRUE(handler_->IsReady());
        dev_.ClearCalls();
    }
    uint32_t RS(GfxRenderState s) const { return dev_.GetRenderState(s); }
    uint32_t TSS(GfxStageState s) const { return dev_.GetTextureStageState(0, s); }
    GfxViewport VP() const { return dev_.GetViewport(); }

    TempLog log_;
    GfxRecordingDevice dev_;
    TestDisplayHost host_;
    std::unique_ptr<TDisplayHandler> handler_;
};

TEST_F(RenderStatesTest, BlendTableOnScreenAndIntoTextureAlpha)
{
    GfxTexture* target = dev_.CreateTexture(64, 64, GFX_TEXTURE_TARGET);
    struct Case
    {
        int mode;
        bool targetAlpha, newSubtractive;
        uint32_t enable, src, dst;
    } cases[] = {
        {0, false, false, 1, GFX_BLEND_SRCALPHA, GFX_BLEND_INVSRCALPHA},
        {0, true, false, 1, GFX_BLEND_SRCALPHA, GFX_BLEND_ONE},
        {2, false, false, 1, GFX_BLEND_SRCALPHA, GFX_BLEND_ONE},
        {2, true, false, 1, GFX_BLEND_SRCALPHA, GFX_BLEND_ONE},
        {3, false, true, 1, GFX_BLEND_ZERO, GFX_BLEND_INVSRCCOLOR},
        {3, true, true, 1, GFX_BLEND_ONE, GFX_BLEND_ONE},
        {3, true, false, 1, GFX_BLEND_SRCALPHA, GFX_BLEND_INVSRCALPHA},
        {4, false, false, 1, GFX_BLEND_ZERO, GFX_BLEND_SRCCOLOR},
        {4, true, false, 1, GFX_BLEND_ZERO, GFX_BLEND_SRCCOLOR},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " target-alpha " << c.targetAlpha);
        handler_->SetRenderSetting("new_subtractive", c.newSubtractive ? "1" : "0");
        if (c.targetAlpha)
        {
            ASSERT_TRUE(handler_->BeginRenderTarget(target, 4));
        }
        handler_->SetBlendMode(c.mode);
        EXPECT_EQ(RS(GFX_RS_ALPHABLENDENABLE), c.enable);
        EXPECT_EQ(RS(GFX_RS_SRCBLEND), c.src);
        EXPECT_EQ(RS(GFX_RS_DESTBLEND), c.dst);
        if (c.targetAlpha)
        {
            EXPECT_EQ(TSS(GFX_TSS_ALPHAARG1), GFX_TA_TFACTOR);
            EXPECT_EQ(TSS(GFX_TSS_ALPHAOP), GFX_TOP_SELECTARG1);
            handler_->EndRenderTarget();
        }
    }
    // Opaque only switches blending off; the factors stay.
    handler_->SetBlendMode(4);
    handler_->SetBlendMode(1);
    EXPECT_EQ(RS(GFX_RS_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(RS(GFX_RS_DESTBLEND), GFX_BLEND_SRCCOLOR);
    EXPECT_EQ(TSS(GFX_TSS_ALPHAARG1), GFX_TA_TFACTOR);
    // An unknown mode changes no blend state but is remembered.
    dev_.ClearCalls();
    handler_->SetBlendMode(9);
    EXPECT_EQ(handler_->GetBlendMode(), 9);
    EXPECT_EQ(RS(GFX_RS_ALPHABLENDENABLE), 0u);
    dev_.DestroyTexture(target);
}

TEST_F(RenderStatesTest, StageSetupFollowsTextureAndNewRenderBlend)
{
    GfxTexture* tex = dev_.CreateTexture(8, 8, GFX_TEXTURE_STATIC);
    GfxTexture* target = dev_.CreateTexture(64, 64, GFX_TEXTURE_TARGET);
    handler_->SetBlendMode(0);
    EXPECT_EQ(TSS(GFX_TSS_COLORARG1), GFX_TA_TEXTURE);
    EXPECT_EQ(TSS(GFX_TSS_COLOROP), GFX_TOP_MODULATE);
    EXPECT_EQ(TSS(GFX_TSS_ALPHAARG1), GFX_TA_TEXTURE);
    EXPECT_EQ(TSS(GFX_TSS_ALPHAOP), GFX_TOP_MODULATE);
    EXPECT_EQ(RS(GFX_RS_TEXTUREFACTOR), 0xFFFFFFFFu);

    ASSERT_TRUE(handler_->BeginRenderTarget(target, 4));
    host_.current = tex;
    handler_->SetTexture(tex);
    EXPECT_EQ(TSS(GFX_TSS_COLORARG1), GFX_TA_TEXTURE | GFX_TA_ALPHAREPLICATE);
    EXPECT_EQ(TSS(GFX_TSS_COLOROP), GFX_TOP_SELECTARG1);
    handler_->SetRenderSetting("new_render_blend", "1");
    handler_->SetBlendMode(0);
    EXPECT_EQ(TSS(GFX_TSS_COLORARG2), GFX_TA_DIFFUSE | GFX_TA_ALPHAREPLICATE);
    EXPECT_EQ(TSS(GFX_TSS_COLOROP), GFX_TOP_MODULATE);
    host_.current = nullptr;
    handler_->SetTexture(nullptr);
    EXPECT_EQ(TSS(GFX_TSS_COLORARG1), GFX_TA_DIFFUSE | GFX_TA_ALPHAREPLICATE);
    EXPECT_EQ(TSS(GFX_TSS_COLOROP), GFX_TOP_SELECTARG1);
    handler_->SetRenderSetting("new_subtractive", "1");
    handler_->SetBlendMode(3);
    EXPECT_EQ(TSS(GFX_TSS_COLORARG1), GFX_TA_TFACTOR);
    handler_->EndRenderTarget();
    dev_.DestroyTexture(tex);
    dev_.DestroyTexture(target);
}

TEST_F(RenderStatesTest, StateSetsAndSimpleStates)
{
    handler_->Begin3dStates();
    EXPECT_EQ(RS(GFX_RS_ZENABLE), 1u);
    EXPECT_EQ(RS(GFX_RS_CULLMODE), GFX_CULL_CCW);
    EXPECT_EQ(TSS(GFX_TSS_ADDRESSU), GFX_TADDRESS_WRAP);
    EXPECT_EQ(RS(GFX_RS_CLIPPING), 1u);
    handler_->Begin2dStates();
    EXPECT_EQ(RS(GFX_RS_ZENABLE), 0u);
    EXPECT_EQ(RS(GFX_RS_ZWRITEENABLE), 0u);
    EXPECT_EQ(RS(GFX_RS_CULLMODE), GFX_CULL_NONE);
    EXPECT_EQ(RS(GFX_RS_SPECULARENABLE), 0u);
    EXPECT_EQ(TSS(GFX_TSS_ADDRESSV), GFX_TADDRESS_CLAMP);
    EXPECT_EQ(handler_->GetBlendMode(), 0);
    // Ending the 2D block empties both the context's texture and the stage.
    GfxTexture* tex = dev_.CreateTexture(4, 4, GFX_TEXTURE_STATIC);
    host_.current = tex;
    handler_->SetTexture(tex);
    ASSERT_EQ(dev_.CurrentTexture(), tex);
    handler_->End2dStates();
    EXPECT_EQ(host_.current, nullptr);
    EXPECT_EQ(dev_.CurrentTexture(), nullptr);
    dev_.DestroyTexture(tex);

    struct
    {
        int kind;
        uint32_t cull, shade;
    } kinds[] = {{2, GFX_CULL_CW, GFX_SHADE_GOURAUD},
                 {3, GFX_CULL_CCW, GFX_SHADE_FLAT},
                 {7, GFX_CULL_NONE, GFX_SHADE_FLAT}};
    for (auto k : kinds)
    {
        handler_->SetCullMode(k.kind);
        handler_->SetShadeMode(k.kind);
        EXPECT_EQ(RS(GFX_RS_CULLMODE), k.cull) << k.kind;
        EXPECT_EQ(RS(GFX_RS_SHADEMODE), k.shade) << k.kind;
    }
    handler_->SetTextureAddress(2, 5);
    EXPECT_EQ(TSS(GFX_TSS_ADDRESSU), GFX_TADDRESS_MIRROR);
    EXPECT_EQ(TSS(GFX_TSS_ADDRESSV), GFX_TADDRESS_CLAMP);
    handler_->SetTextureFilter(0);
    EXPECT_EQ(TSS(GFX_TSS_MAGFILTER), GFX_TFILTER_POINT);
    handler_->SetTextureFilter(7);
    EXPECT_EQ(TSS(GFX_TSS_MAGFILTER), GFX_TFILTER_POINT);
    handler_->SetAmbient(TFloatVector4(1, 0.5f, 0, 1));
    EXPECT_EQ(RS(GFX_RS_AMBIENT), 0xFFFF7F00u);
    // Out-of-range components are held at 0 and 1 rather than wrapped.
    handler_->SetAmbient(TFloatVector4(1.5f, -0.5f, std::nanf(""), 2));
    EXPECT_EQ(RS(GFX_RS_AMBIENT), 0xFFFF0000u);
    struct
    {
        int kind;
        uint32_t fvf, lighting;
    } vk[] = {{0, GFX_FVF_VERTEX, 1},
              {1, GFX_FVF_LVERTEX, 0},
              {2, GFX_FVF_LVERTEX, 0},
              {3, GFX_FVF_TLVERTEX, 0},
              {9, GFX_FVF_VERTEX, 1}};
    for (auto v : vk)
    {
        EXPECT_EQ(handler_->SetVertexKind(v.kind), v.fvf) << v.kind;
        EXPECT_EQ(RS(GFX_RS_LIGHTING), v.lighting) << v.kind;
    }
}

TEST_F(RenderStatesTest, ViewportArithmetic)
{
    struct Case
    {
        const char* name;
        TRect rect;
        int tw, th;
        GfxViewport want;
    } cases[] = {
        {"plain", {10, 20, 110, 220}, 800, 600, {10, 20, 100, 200, 0, 1}},
        {"negative origin raised", {-5, -7, 50, 60}, 800, 600, {0, 0, 50, 60, 0, 1}},
        {"inverted right raised", {30, 30, 10, 10}, 800, 600, {30, 30, 0, 0, 0, 1}},
        {"right beyond target", {700, 500, 900, 700}, 800, 600, {700, 500, 100, 100, 0, 1}},
        {"left beyond target", {900, 0, 1000, 10}, 800, 600, {799, 0, 0, 10, 0, 1}},
        {"top beyond target", {0, 650, 10, 700}, 800, 600, {0, 599, 10, 0, 0, 1}},
    };
    for (const Case& c : cases)
    {
        handler_->ApplyViewportRect(c.rect, c.tw, c.th);
        GfxViewport v = VP();
        EXPECT_EQ(v.x, c.want.x) << c.name;
        EXPECT_EQ(v.y, c.want.y) << c.name;
        EXPECT_EQ(v.width, c.want.width) << c.name;
        EXPECT_EQ(v.height, c.want.height) << c.name;
    }
}

TEST_F(RenderStatesTest, ViewportStackClipAndRefusal)
{
    handler_->PushViewport(100, 100, 300, 200);
    EXPECT_EQ(VP().x, 100);
    EXPECT_EQ(VP().width, 200);
    handler_->SetClipRect(TRect(150, 0, 800, 150));
    EXPECT_EQ(VP().x, 150);
    EXPECT_EQ(VP().y, 100);
    EXPECT_EQ(VP().width, 150);
    EXPECT_EQ(VP().height, 50);
    handler_->SetClipRect(TRect(0, 0, 800, 600));

    dev_.Fail("SetViewport", GFX_E_INVALIDARG);
    handler_->SetViewport(1, 2, 3, 4);
    EXPECT_TRUE(log_.Has("Bad viewport: 1, 2, 3, 4"));
    int x = 0, y = 0, r = 0, b = 0;
    handler_->GetViewport(&x, &y, &r, &b);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(r, 300);

    handler_->PopViewport();
    handler_->GetViewport(&x, &y, &r, &b);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(b, 600);
    dev_.ClearCalls();
    handler_->PopViewport();  // empty stack: nothing
    EXPECT_FALSE(dev_.Called("SetViewport"));
    handler_->GetViewport(&x, &y, &r, &b);
    EXPECT_EQ(r, 800);
}

TEST_F(RenderStatesTest, PixelProjectionCarriesTheOffsetAndIsResentEveryDraw)
{
    handler_->Begin2dStates();
    handler_->SetVertexKind(2);
    // left 0.5, right w + 0.5, top 0.5, bottom h + 0.5: x' = 2(x - 0.5)/w - 1.
    const GfxMatrix& p = dev_.transforms[GFX_TRANSFORM_PROJECTION];
    EXPECT_FLOAT_EQ(p.m[0][0], 2.0f / 800);
    EXPECT_FLOAT_EQ(p.m[1][1], -2.0f / 600);
    EXPECT_FLOAT_EQ(p.m[3][0], -(0.5f + 800.5f) / 800);
    EXPECT_FLOAT_EQ(p.m[3][1], (0.5f + 600.5f) / 600);
    EXPECT_FLOAT_EQ(p.m[2][2], 1.0f);
    EXPECT_FLOAT_EQ(p.m[3][2], 0.0f);
    EXPECT_FLOAT_EQ(p.m[3][3], 1.0f);
    dev_.ClearCalls();
    handler_->SetVertexKind(2);
    EXPECT_TRUE(dev_.Called("SetTransform 2"));
    // Kind 3 needs no projection; outside 2D the projection is left alone.
    dev_.ClearCalls();
    handler_->SetVertexKind(3);
    EXPECT_FALSE(dev_.Called("SetTransform"));
    host_.is2d = false;
    handler_->SetVertexKind(2);
    EXPECT_FALSE(dev_.Called("SetTransform"));
}

TEST_F(RenderStatesTest, PerspectiveNarrowsTheFieldForAClippedViewport)
{
    handler_->SetPerspective(0.1f, 1000.0f, 0.7853982f, 0.0f);
    const GfxMatrix full = dev_.transforms[GFX_TRANSFORM_PROJECTION];
    EXPECT_NEAR(full.m[1][1], 1.0f / std::tan(0.7853982f / 2), 1e-4);
    EXPECT_NEAR(full.m[0][0], full.m[1][1] * 0.75f, 1e-4);  // aspect = h / w
    handler_->SetClipRect(TRect(0, 0, 800, 300));
    handler_->SetPerspective(0.1f, 1000.0f, 0.7853982f, 0.0f);
    const GfxMatrix half = dev_.transforms[GFX_TRANSFORM_PROJECTION];
    EXPECT_GT(half.m[1][1], full.m[1][1]);
    EXPECT_NE(half.m[2][1], 0.0f);  // off-centre
}

}  // namespace
