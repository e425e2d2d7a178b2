// Frame, render-target and primitive rules over the recording device.
#include <gtest/gtest.h>

#include <cmath>

#include "core/Settings.h"
#include "graphics/DisplayHandler.h"
#include "platform/null/GfxRecordingDevice.h"
#include "support/TestDisplayHost.h"

namespace
{

class DeviceFramesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        handler_ = std::make_unique<TDisplayHandler>(&dev_, &host_);
        handler_->SetDisplay({.width = 800, .height = 600});
        ASSERT_TRUE(handler_->IsReady());
        dev_.ClearCalls();
    }
    TVertexSet Set(int n)
    {
        verts_.assign(size_t(n), TDrawVertex{0, 0, 0, 1, 0xFFFFFFFFu, 0, 0, 0});
        for (int i = 0; i < n; ++i) verts_[size_t(i)].x = float(i);
        TVertexSet s;
        s.kind = 3;
        s.vertices = verts_.data();
        s.count = n;
        return s;
    }

    TempLog log_;
    GfxRecordingDevice dev_;
    TestDisplayHost host_;
    std::unique_ptr<TDisplayHandler> handler_;
    std::vector<TDrawVertex> verts_;
};

TEST_F(DeviceFramesTest, FrameCountsAndPresents)
{
    ASSERT_TRUE(handler_->BeginDraw(true));
    EXPECT_EQ(handler_->GetPlatformData()->workingCount, 1);
    EXPECT_TRUE(dev_.Called("ClearDepth 2"));
    EXPECT_EQ(handler_->EndDraw(true), GFX_OK);
    EXPECT_EQ(dev_.presents, 1);
    // Ending twice does nothing more.
    EXPECT_EQ(handler_->EndDraw(true), GFX_OK);
    EXPECT_EQ(dev_.presents, 1);
}

TEST_F(DeviceFramesTest, FlipStillRunningSkipsTheFrameUncounted)
{
    dev_.flipStillDrawing = 1;
    EXPECT_FALSE(handler_->BeginDraw(true));
    EXPECT_EQ(handler_->GetPlatformData()->workingCount, 0);
    EXPECT_FALSE(dev_.Called("BeginScene"));
}

TEST_F(DeviceFramesTest, LostSurfaceBreaksOnlyInTheForeground)
{
    dev_.lost = true;
    host_.foreground = false;
    EXPECT_FALSE(handler_->BeginDraw(true));
    EXPECT_FALSE(handler_->IsBroken());
    host_.foreground = true;
    EXPECT_FALSE(handler_->BeginDraw(true));
    EXPECT_TRUE(handler_->IsBroken());
    EXPECT_EQ(GetSetting("dxbroken"), TString("1"));
    EXPECT_FALSE(handler_->BeginDraw(true));  // broken: refused at once
}

TEST_F(DeviceFramesTest, LostAtPresentRunsTheRestore)
{
    ASSERT_TRUE(handler_->BeginDraw(true));
    dev_.Fail("Present", GFX_E_SURFACELOST);
    EXPECT_EQ(handler_->EndDraw(true), GFX_E_SURFACELOST);
    EXPECT_TRUE(log_.Has("TPlatform::EndDraw: DDERR_SURFACELOST on UpdateFrame or EndScene"));
    // One frame is too few to trust the surfaces: the display is made again.
    EXPECT_TRUE(log_.Has("Working count too small (1)"));
    EXPECT_TRUE(dev_.Called("CreateDisplay"));
    EXPECT_TRUE(handler_->IsReady());
}

TEST_F(DeviceFramesTest, SceneEndFailureBreaksWithoutPresenting)
{
    ASSERT_TRUE(handler_->BeginDraw(true));
    dev_.Fail("EndScene", GFX_E_SCENE_END_FAILED);
    EXPECT_EQ(handler_->EndDraw(true), GFX_E_SCENE_END_FAILED);
    EXPECT_TRUE(handler_->IsBroken());
    EXPECT_EQ(dev_.presents, 0);
}

TEST_F(DeviceFramesTest, BrokenIndexedVertsGoThroughTheIndexedPath)
{
    SetSetting("brokenindexedverts", "1");
    handler_->DrawVertices(GFX_PT_TRIANGLELIST, Set(3));
    EXPECT_TRUE(dev_.Called("DrawIndexedPrimitive 4 0x1c4 3 3"));
    ASSERT_EQ(dev_.lastIndices.size(), 3u);
    EXPECT_EQ(dev_.lastIndices[2], 2);
    EXPECT_EQ(handler_->GetPlatformData()->indexBuffer.size(), 4u);
    handler_->DrawVertices(GFX_PT_TRIANGLELIST, Set(9));
    EXPECT_EQ(handler_->GetPlatformData()->indexBuffer.size(), 16u);
    EXPECT_EQ(handler_->GetPlatformData()->indexBuffer[15], 15);
    // An empty list draws nothing and is no device error.
    dev_.ClearCalls();
    handler_->DrawVertices(GFX_PT_TRIANGLELIST, Set(0));
    EXPECT_FALSE(dev_.Called("DrawIndexedPrimitive"));
    EXPECT_FALSE(log_.Has("DX Error"));
}

TEST_F(DeviceFramesTest, SplitRequestExpandsIndexedDraws)
{
    handler_->SetSplitIndexedRequest(true);
    TVertexSet s = Set(4);
    const uint16_t idx[6] = {0, 1, 2, 0, 2, 3};
    handler_->DrawIndexedVertices(GFX_PT_TRIANGLELIST, s, idx, 6);
    EXPECT_TRUE(dev_.Called("DrawPrimitive 4 0x1c4 6"));
    ASSERT_EQ(dev_.lastVertices.size(), 6u);
    EXPECT_EQ(dev_.lastVertices[5].x, 3.0f);
    // An index past the list is refused instead of read.
    const uint16_t bad[3] = {0, 1, 4};
    dev_.ClearCalls();
    handler_->DrawIndexedVertices(GFX_PT_TRIANGLELIST, s, bad, 3);
    EXPECT_FALSE(dev_.Called("DrawPrimitive"));
    // Without the request the indices reach the device as they are.
    handler_->SetSplitIndexedRequest(false);
    handler_->DrawIndexedVertices(GFX_PT_TRIANGLELIST, s, idx, 6);
    EXPECT_TRUE(dev_.Called("DrawIndexedPrimitive 4 0x1c4 4 6"));
}

TEST_F(DeviceFramesTest, DrawFailuresBreakOrGoLowMemory)
{
    dev_.Fail("DrawPrimitive", GFX_E_FAIL);
    handler_->DrawVertices(GFX_PT_TRIANGLELIST, Set(3));
    EXPECT_TRUE(handler_->IsBroken());
    dev_.ClearCalls();
    handler_->DrawVertices(GFX_PT_TRIANGLELIST, Set(3));  // broken: skipped
    EXPECT_FALSE(dev_.Called("DrawPrimitive"));

    handler_->SetDisplay({.width = 800, .height = 600, .force = true});
    dev_.Fail("DrawPrimitive", GFX_E_OUTOFVIDEOMEMORY);
    handler_->DrawVertices(GFX_PT_TRIANGLELIST, Set(3));
    EXPECT_TRUE(log_.Has("DrawVertices out of video memory"));
    EXPECT_TRUE(handler_->IsLowMemoryVideo());
}

TEST_F(DeviceFramesTest, FillRectClipsConvertsAndRefusesEmpty)
{
    struct Case
    {
        const char* name;
        float l, t, r, b;
        bool ok;
        const char* call;
    } cases[] = {
        {"inside", 10, 20, 30, 40, true, "ColorFill back 10 20 30 40 0xff7f00ff"},
        {"clipped to screen", -10, -10, 900, 700, true, "ColorFill back 0 0 800 600 0xff7f00ff"},
        {"wholly outside", 900, 0, 950, 50, false, nullptr},
        {"inverted", 30, 40, 10, 20, false, nullptr},
        {"far beyond the integer range", -1e20f, -1e20f, 1e20f, 1e20f, true,
         "ColorFill back 0 0 800 600 0xff7f00ff"},
        {"not a number", std::nanf(""), 0, 10, 10, false, nullptr},
    };
    for (const Case& c : cases)
    {
        dev_.ClearCalls();
        EXPECT_EQ(handler_->FillRect(c.l, c.t, c.r, c.b, TFloatVector4(0.5f, 0, 1, 1), nullptr),
                  c.ok)
            << c.name;
        if (c.call)
            EXPECT_TRUE(dev_.Called(c.call))
                << c.name << ": " << (dev_.calls.empty() ? "" : dev_.calls.back());
        else
            EXPECT_FALSE(dev_.Called("ColorFill")) << c.name;
    }
    // Components outside 0..1 are held at its ends; NaN counts as 0.
    dev_.ClearCalls();
    EXPECT_TRUE(handler_->FillRect(0, 0, 1, 1, TFloatVector4(std::nanf(""), 2, -1, 1), nullptr));
    EXPECT_TRUE(dev_.Called("ColorFill back 0 0 1 1 0xff00ff00"));
    handler_->SetClipRect(TRect(0, 0, 100, 100));
    EXPECT_FALSE(handler_->FillRect(200, 200, 300, 300, TFloatVector4(1, 1, 1, 1), nullptr));
    // A texture target bounds the fill by its own size, not the clip.
    GfxTexture* t = dev_.CreateTexture(256, 256, GFX_TEXTURE_TARGET);
    dev_.ClearCalls();
    EXPECT_TRUE(handler_->FillRect(200, 200, 300, 300, TFloatVector4(1, 1, 1, 2), t));
    EXPECT_TRUE(dev_.Called("ColorFill tex 200 200 256 256 0xffffffff"));
    dev_.DestroyTexture(t);
}

TEST_F(DeviceFramesTest, FillRectWhileDrawingUsesGeometryAndKeepsTheTexture)
{
    GfxTexture* tex = dev_.CreateTexture(8, 8, GFX_TEXTURE_STATIC);
    host_.drawing = true;
    host_.current = tex;
    handler_->SetViewport(100, 50, 400, 300);
    dev_.ClearCalls();
    EXPECT_TRUE(handler_->FillRect(110, 60, 120, 70, TFloatVector4(1, 0, 0, 0.25f), nullptr));
    EXPECT_TRUE(dev_.Called("DrawPrimitive 6 0x1e2 4"));
    ASSERT_EQ(dev_.lastVertices.size(), 4u);
    EXPECT_EQ(dev_.lastVertices[0].x, 10.0f);
    EXPECT_EQ(dev_.lastVertices[2].y, 20.0f);
    EXPECT_EQ(dev_.lastVertices[0].diffuse, 0xFFFF0000u);  // alpha 1 outside alpha targets
    EXPECT_EQ(host_.current, tex);
    EXPECT_EQ(dev_.CurrentTexture(), tex);
    dev_.DestroyTexture(tex);
}

TEST_F(DeviceFramesTest, RenderTargetModesCopyTheDrawnArea)
{
    GfxTexture* t = dev_.CreateTexture(32, 16, GFX_TEXTURE_TARGET);
    uint32_t* px = dev_.LockTexture(t);
    for (int i = 0; i < 32 * 16; ++i) px[i] = 0x20123456u;
    dev_.UnlockTexture(t);
    dev_.ColorFill(nullptr, {0, 0, 800, 600}, 0x80ABCDEFu);

    // Mode 1 copies the area as it is, alpha included.
    ASSERT_TRUE(handler_->BeginRenderTarget(t, 1));
    EXPECT_EQ(host_.GetViewportScale(), 1.0f);
    EXPECT_EQ(dev_.GetViewport().width, 32);
    handler_->EndRenderTarget();
    EXPECT_EQ(t->pixels[0], 0x80ABCDEFu);
    EXPECT_EQ(dev_.GetViewport().width, 800);

    // Mode 0 makes it opaque.
    ASSERT_TRUE(handler_->BeginRenderTarget(t, 0));
    handler_->EndRenderTarget();
    EXPECT_EQ(t->pixels[0], 0xFFABCDEFu);

    // Mode 2 starts from the texture's own picture.
    px = dev_.LockTexture(t);
    px[5] = 0x11223344u;
    dev_.UnlockTexture(t);
    ASSERT_TRUE(handler_->BeginRenderTarget(t, 2));
    EXPECT_EQ(dev_.BackPixel(5, 0), 0x11223344u);
    handler_->EndRenderTarget();
    EXPECT_EQ(t->pixels[5], 0xFF223344u);

    // Mode 4 clears the area and replaces only the alpha.
    dev_.ColorFill(nullptr, {0, 0, 800, 600}, 0xFFFFFFFFu);
    ASSERT_TRUE(handler_->BeginRenderTarget(t, 4));
    EXPECT_EQ(dev_.BackPixel(0, 0), 0u);
    EXPECT_EQ(dev_.BackPixel(40, 0), 0xFFFFFFFFu);
    dev_.ColorFill(nullptr, {0, 0, 4, 4}, 0x7F000000u);
    handler_->EndRenderTarget();
    EXPECT_EQ(t->pixels[0], 0x7FABCDEFu);
    EXPECT_EQ(t->pixels[5], 0x00223344u);
    dev_.DestroyTexture(t);
}

TEST_F(DeviceFramesTest, FailedRenderTargetStartLeavesStateAsItWas)
{
    GfxTexture* t = dev_.CreateTexture(32, 16, GFX_TEXTURE_TARGET);
    host_.SetViewportScale(1.5f);
    dev_.Fail("CopyTextureToBack", GFX_E_FAIL);
    EXPECT_FALSE(handler_->BeginRenderTarget(t, 3));
    EXPECT_TRUE(log_.Has("BeginRenderTarget failed because of the above DX error."));
    EXPECT_TRUE(handler_->GetPlatformData()->viewportStack.empty());
    EXPECT_EQ(dev_.GetViewport().width, 800);
    EXPECT_EQ(handler_->GetPlatformData()->renderTargetTexture, nullptr);
    EXPECT_FALSE(handler_->BeginRenderTarget(nullptr, 0));
    EXPECT_TRUE(handler_->IsBroken());
    dev_.DestroyTexture(t);
}

TEST_F(DeviceFramesTest, FrameCaptureCopiesTheFinishedFrameOnce)
{
    GfxTexture* t = dev_.CreateTexture(16, 16, GFX_TEXTURE_TARGET);
    host_.capture = t;
    ASSERT_TRUE(handler_->BeginDraw(true));
    dev_.ColorFill(nullptr, {0, 0, 800, 600}, 0x00010203u);
    handler_->EndDraw(true);
    EXPECT_EQ(t->pixels[0], 0xFF010203u);
    EXPECT_EQ(host_.capture, nullptr);
    EXPECT_FALSE(host_.captureReturned);
    dev_.DestroyTexture(t);
}

TEST_F(DeviceFramesTest, CalibrationWithoutTexturesKeepsTheDefaultAndClears)
{
    dev_.Fail("CreateTexture", GFX_E_FAIL);
    dev_.Fail("CreateTexture", GFX_E_FAIL);
    handler_->CalibratePixelOffset();
    EXPECT_EQ(handler_->GetPixelOffset(), -0.5f);
    EXPECT_TRUE(dev_.Called("ColorFill back 0 0 800 600 0xff000000"));
}

}  // namespace
