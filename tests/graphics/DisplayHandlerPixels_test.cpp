// The display handler over the real SDL device, headless: blend modes,
// render-target modes, viewport and clip, fills, loss and restore, and the
// pixel-offset calibration, checked by reading the back buffer.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/Settings.h"
#include "graphics/DisplayHandler.h"
#include "platform/gfx/Device.h"
#include "support/TestDisplayHost.h"

// Mesa's GL driver keeps allocations past context teardown and unloads its
// module, so they cannot be suppressed by name; the recording-device tests
// keep leak checking.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

constexpr int kW = 160, kH = 120;

::testing::AssertionResult Near(uint32_t got, uint32_t want, int tol)
{
    for (int s = 0; s < 24; s += 8)
    {
        int g = int((got >> s) & 255), w = int((want >> s) & 255);
        if (std::abs(g - w) > tol)
        {
            char buf[80];
            snprintf(buf, sizeof buf, "got 0x%08X, want 0x%08X (+-%d)", got, want, tol);
            return ::testing::AssertionFailure() << buf;
        }
    }
    return ::testing::AssertionSuccess();
}

class DevicePixelsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        host_.window = GfxCreateHiddenWindow(kW, kH);
        ASSERT_NE(host_.window, nullptr);
        dev_ = GfxCreateSdlDevice();
        handler_ = std::make_unique<TDisplayHandler>(dev_.get(), &host_);
        handler_->SetDisplay({.width = kW, .height = kH, .force = true});
        ASSERT_TRUE(handler_->IsReady());
    }
    void TearDown() override
    {
        for (GfxTexture* t : textures_) dev_->DestroyTexture(t);
        handler_.reset();
        dev_.reset();
        GfxDestroyWindow(host_.window);
        GfxQuitVideo();
    }

    GfxTexture* Texture(int w, int h, uint32_t fill)
    {
        GfxTexture* t = dev_->CreateTexture(w, h, GFX_TEXTURE_TARGET);
        uint32_t* px = dev_->LockTexture(t);
        for (int i = 0; i < w * h; ++i) px[i] = fill;
        dev_->UnlockTexture(t);
        textures_.push_back(t);
        return t;
    }

    uint32_t Pixel(int x, int y)
    {
        uint32_t p = 0;
        EXPECT_EQ(dev_->ReadBack({x, y, x + 1, y + 1}, &p), GFX_OK);
        return p;
    }

    // A kind-2 quad in viewport pixels, through the pixel projection.
    void Quad(float l, float t, float r, float b, uint32_t argb)
    {
        TDrawVertex v[4] = {{l, t, 0, 0, argb, 0, 0, 0},
                            {r, t, 0, 0, argb, 0, 1, 0},
                            {r, b, 0, 0, argb, 0, 1, 1},
                            {l, b, 0, 0, argb, 0, 0, 1}};
        TVertexSet s;
        s.kind = 2;
        s.vertices = v;
        s.count = 4;
        handler_->DrawVertices(GFX_PT_TRIANGLEFAN, s);
    }

    void UseTexture(GfxTexture* t)
    {
        host_.current = t;
        handler_->SetTexture(t);
    }

    TempLog log_;
    TestDisplayHost host_;
    std::unique_ptr<IGfxDevice> dev_;
    std::unique_ptr<TDisplayHandler> handler_;
    std::vector<GfxTexture*> textures_;
};

TEST_F(DevicePixelsTest, EachBlendModeOverAKnownBackground)
{
    // Background (0.8, 0.4, 0.2); the texture is (0.2, 0.6, 1.0) at alpha 0.5,
    // with a transparent texel column on its left half.
    GfxTexture* tex = Texture(2, 1, 0x803399FFu);
    tex->pixels[0] = 0x00000000u;
    dev_->LockTexture(tex);
    dev_->UnlockTexture(tex);
    struct Case
    {
        int mode;
        uint32_t want;
    } cases[] = {
        {0, 0xFF7F8099u},  // alpha blend
        {1, 0xFF3399FFu},  // opaque
        {2, 0xFFE5B3B3u},  // additive
        {3, 0xFFA32900u},  // subtractive: background times (1 - source)
        {4, 0xFF293D33u},  // multiply
    };
    ASSERT_TRUE(handler_->BeginDraw(true));
    handler_->Begin2dStates();
    handler_->SetTextureFilter(0);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode);
        ASSERT_TRUE(handler_->FillRect(0, 0, kW, kH, TFloatVector4(0.8f, 0.4f, 0.2f, 1), nullptr));
        UseTexture(tex);
        handler_->SetBlendMode(c.mode);
        Quad(10, 10, 30, 20, 0xFFFFFFFFu);
        EXPECT_TRUE(Near(Pixel(25, 15), c.want, 2));
        // The transparent half changes nothing but in opaque mode.
        EXPECT_TRUE(Near(Pixel(15, 15), c.mode == 1 ? 0x00000000u : 0xFFCC6633u, 2));
        EXPECT_TRUE(Near(Pixel(35, 15), 0xFFCC6633u, 0));
    }
    handler_->EndDraw(true);
}

TEST_F(DevicePixelsTest, ViewportAndClipBoundDrawing)
{
    ASSERT_TRUE(handler_->BeginDraw(true));
    handler_->Begin2dStates();
    handler_->FillRect(0, 0, kW, kH, TFloatVector4(0, 0, 0, 1), nullptr);
    handler_->SetViewport(20, 20, 120, 100);
    handler_->SetClipRect(TRect(50, 0, kW, kH));
    handler_->SetBlendMode(1);
    Quad(0, 0, 100, 80, 0xFF00FF00u);  // the whole viewport, in its own coordinates
    EXPECT_EQ(Pixel(49, 50), 0xFF000000u);
    EXPECT_EQ(Pixel(50, 20), 0xFF00FF00u);
    EXPECT_EQ(Pixel(119, 99), 0xFF00FF00u);
    EXPECT_EQ(Pixel(120, 50), 0xFF000000u);
    EXPECT_EQ(Pixel(60, 100), 0xFF000000u);
    EXPECT_EQ(Pixel(60, 19), 0xFF000000u);
    // Fills outside a drawing block use the clip too.
    EXPECT_TRUE(handler_->FillRect(0, 0, 60, 10, TFloatVector4(1, 0, 0, 1), nullptr));
    EXPECT_EQ(Pixel(49, 5), 0xFF000000u);
    EXPECT_EQ(Pixel(55, 5), 0xFFFF0000u);
    handler_->EndDraw(true);
}

TEST_F(DevicePixelsTest, FillsConvertColoursExactly)
{
    ASSERT_TRUE(handler_->BeginDraw(true));
    struct Case
    {
        TFloatVector4 c;
        uint32_t want;
    } cases[] = {{{1, 0.5f, 0, 1}, 0xFFFF7F00u},
                 {{0.2f, 0.4f, 0.6f, 1}, 0xFF336699u},
                 {{0, 0, 0, 1}, 0xFF000000u}};
    for (const Case& c : cases)
    {
        ASSERT_TRUE(handler_->FillRect(3, 4, 13, 14, c.c, nullptr));
        EXPECT_EQ(Pixel(3, 4), c.want);
        EXPECT_EQ(Pixel(12, 13), c.want);
    }
    handler_->EndDraw(true);
}

TEST_F(DevicePixelsTest, RenderTargetModes)
{
    ASSERT_TRUE(handler_->BeginDraw(true));
    handler_->FillRect(0, 0, kW, kH, TFloatVector4(0, 0, 1, 1), nullptr);
    handler_->EndDraw(false);
    GfxTexture* src = Texture(4, 4, 0xFFFF0000u);
    struct Case
    {
        int mode;
        uint32_t drawnTexel;      // the texel under the drawn quad
        uint32_t untouchedTexel;  // a texel outside it
    } cases[] = {
        {0, 0xFFFF0000u, 0xFF0000FFu},  // the back buffer's area, made opaque
        {1, 0xFFFF0000u, 0xFF0000FFu},
        {2, 0xFFFF0000u, 0xFF00FF00u},  // starts from the texture's own picture
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode);
        GfxTexture* t = Texture(16, 16, 0xFF00FF00u);
        ASSERT_TRUE(handler_->BeginRenderTarget(t, c.mode));
        handler_->Begin2dStates();
        UseTexture(src);
        handler_->SetBlendMode(0);
        Quad(0, 0, 8, 8, 0xFFFFFFFFu);
        handler_->End2dStates();
        handler_->EndRenderTarget();
        const uint32_t* px = dev_->LockTexture(t);
        EXPECT_EQ(px[3 * 16 + 3], c.drawnTexel);
        EXPECT_EQ(px[12 * 16 + 12], c.untouchedTexel);
        dev_->UnlockTexture(t);
    }
}

TEST_F(DevicePixelsTest, AlphaRenderTargetReplacesOnlyAlpha)
{
    GfxTexture* shape = Texture(4, 4, 0x80FFFFFFu);
    GfxTexture* t = Texture(16, 16, 0xFF123456u);
    ASSERT_TRUE(handler_->BeginRenderTarget(t, 4));
    handler_->Begin2dStates();
    UseTexture(shape);
    handler_->SetBlendMode(0);  // adds the source alpha
    Quad(0, 0, 8, 8, 0xFFFFFFFFu);
    Quad(0, 0, 4, 4, 0xFFFFFFFFu);
    handler_->End2dStates();
    handler_->EndRenderTarget();
    const uint32_t* px = dev_->LockTexture(t);
    EXPECT_EQ(px[1 * 16 + 1] >> 24, 0xFFu);  // two layers saturate
    EXPECT_TRUE(Near(px[6 * 16 + 6] >> 24, 0x80, 2)) << std::hex << px[6 * 16 + 6];
    EXPECT_EQ(px[12 * 16 + 12] >> 24, 0u);
    for (int i : {0, 17, 6 * 16 + 6, 255}) EXPECT_EQ(px[i] & 0x00FFFFFFu, 0x123456u) << i;
    dev_->UnlockTexture(t);
}

TEST_F(DevicePixelsTest, LossBreaksThenRestoreBringsDrawingBack)
{
    for (int i = 0; i < 3; ++i)
    {
        ASSERT_TRUE(handler_->BeginDraw(true));
        handler_->EndDraw(true);
    }
    dev_->SimulateLoss();
    EXPECT_FALSE(handler_->BeginDraw(true));
    EXPECT_EQ(GetSetting("dxbroken"), TString("1"));
    const int restoredBefore = host_.restored;
    EXPECT_TRUE(handler_->GetPlatformData()->Restore());
    EXPECT_EQ(GetSetting("dxbroken"), TString("0"));
    EXPECT_EQ(host_.restored, restoredBefore + 1);
    ASSERT_TRUE(handler_->BeginDraw(true));
    EXPECT_EQ(Pixel(5, 5), 0xFF000000u);
    ASSERT_TRUE(handler_->FillRect(0, 0, 10, 10, TFloatVector4(1, 1, 1, 1), nullptr));
    EXPECT_EQ(Pixel(5, 5), 0xFFFFFFFFu);

    // Lost while drawing: the present notices and restores at once.
    for (int i = 0; i < 3; ++i)
    {
        handler_->EndDraw(true);
        ASSERT_TRUE(handler_->BeginDraw(true));
    }
    dev_->SimulateLoss();
    EXPECT_EQ(handler_->EndDraw(true), GFX_E_SURFACELOST);
    EXPECT_EQ(host_.restored, restoredBefore + 2);
    EXPECT_FALSE(handler_->IsBroken());
    EXPECT_TRUE(handler_->BeginDraw(true));
    handler_->EndDraw(true);
}

TEST_F(DevicePixelsTest, CalibrationKeepsTheHalfPixelOffsetAndClearsTheScreen)
{
    handler_->SetPixelOffset(0.3f);
    ASSERT_TRUE(handler_->BeginDraw(true));
    handler_->FillRect(0, 0, kW, kH, TFloatVector4(1, 1, 1, 1), nullptr);
    handler_->EndDraw(false);
    handler_->CalibratePixelOffset();
    EXPECT_FLOAT_EQ(handler_->GetPixelOffset(), -0.5f);
    ASSERT_TRUE(handler_->BeginDraw(true));
    EXPECT_EQ(Pixel(kW - 1, kH - 1), 0xFF000000u);
    handler_->EndDraw(true);
}

}  // namespace
