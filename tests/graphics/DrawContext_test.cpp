// The drawing context over a headless SDL display: block rules with their
// refusal lines, clip and viewport handling, the current texture, render
// targets, the frame-rate ring and the overlay switch.
#include <gtest/gtest.h>

#include <functional>

#include "core/Settings.h"
#include "graphics/DrawContext.h"
#include "graphics/support/ImageAssets.h"
#include "graphics/support/ImageDisplay.h"

// Mesa keeps allocations past context teardown; leak checking stays on in
// the tests that do not open a display.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

class DrawContextTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(display_.Ready()); }

    std::string NewLog() { return assets_.NewLog(); }

    ImageAssets assets_;
    ImageDisplay display_{400, 300};
    TDrawContext* dc_ = display_.dc;
};

TEST_F(DrawContextTest, RefusedBlocksLogTheirLineAndKeepState)
{
    struct Case
    {
        const char* what;
        std::function<void(TDrawContext*)> setup;
        std::function<bool(TDrawContext*)> call;  // returns the call's result (true for void calls)
        const char* line;
        bool in2d, in3d;
        const char* absent = nullptr;  // text the line must not carry
    } const cases[] = {
        {"Begin2d twice", [](TDrawContext* d) { d->BeginDraw(false), d->Begin2d(); },
         [](TDrawContext* d) { return d->Begin2d(); },
         "Begin2d called when already in Begin2d state", true, false},
        {"Begin2d in 3D", [](TDrawContext* d) { d->BeginDraw(false), d->Begin3d(); },
         [](TDrawContext* d) { return d->Begin2d(); },
         "Begin2d called when already in Begin3d state", false, true},
        {"Begin2d outside a frame", [](TDrawContext*) {},
         [](TDrawContext* d) { return d->Begin2d(); },
         "ERROR: Calling Begin2d outside of a BeginDraw or BeginRenderTarget block!", false, false},
        {"Begin3d in 2D", [](TDrawContext* d) { d->BeginDraw(false), d->Begin2d(); },
         [](TDrawContext* d) { return d->Begin3d(); },
         "Begin3d called when already in Begin2d state", true, false},
        {"Begin3d twice", [](TDrawContext* d) { d->BeginDraw(false), d->Begin3d(); },
         [](TDrawContext* d) { return d->Begin3d(); },
         "Begin3d called when already in Begin3d state", false, true},
        {"Begin3d outside a frame", [](TDrawContext*) {},
         [](TDrawContext* d) { return d->Begin3d(); },
         "ERROR: Calling Begin3d outside of a BeginDraw or BeginRenderTarget block!", false, false},
        {"End2d without a block", [](TDrawContext* d) { d->BeginDraw(false); },
         [](TDrawContext* d) { return d->End2d(), true; }, "End2d called when not in Begin2d state",
         false, false},
        {"End3d without a block", [](TDrawContext* d) { d->BeginDraw(false); },
         [](TDrawContext* d) { return d->End3d(), true; }, "End3d called when not in Begin3d state",
         false, false},
        {"End2d after EndDraw",
         [](TDrawContext* d) { d->BeginDraw(false), d->Begin2d(), d->EndDraw(false); },
         [](TDrawContext* d) { return d->End2d(), true; },
         "ERROR: Calling End2d after EndDraw or EndRenderTarget!", false, false},
        {"End3d after EndDraw",
         [](TDrawContext* d) { d->BeginDraw(false), d->Begin3d(), d->EndDraw(false); },
         [](TDrawContext* d) { return d->End3d(), true; },
         "Calling End3d after EndDraw or EndRenderTarget!", false, false, "ERROR: Calling End3d"},
        {"DrawVertices outside a block", [](TDrawContext* d) { d->BeginDraw(false); },
         [](TDrawContext* d)
         {
             TVertexSet s;
             return d->DrawVertices(6, s), true;
         },
         "DrawVertices called when not in Begin2d or Begin3d state", false, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        c.setup(dc_);
        NewLog();
        const bool result = c.call(dc_);
        const std::string log = NewLog();
        EXPECT_NE(log.find(c.line), std::string::npos) << log;
        if (c.absent)
        {
            EXPECT_EQ(log.find(c.absent), std::string::npos) << log;
        }
        if (std::string(c.what).rfind("Begin", 0) == 0)
        {
            EXPECT_FALSE(result);
        }
        EXPECT_EQ(dc_->Is2d(), c.in2d);
        EXPECT_EQ(dc_->Is3d(), c.in3d);
        // Close whatever the case left open, quietly.
        if (dc_->Is2d()) dc_->End2d();
        if (dc_->Is3d()) dc_->End3d();
        if (dc_->IsDrawing()) dc_->EndDraw(false);
    }
}

TEST_F(DrawContextTest, EndDrawLeavesAnOpenBlockOpenForTheNextFrameToTripOver)
{
    ASSERT_TRUE(dc_->BeginDraw(false));
    ASSERT_TRUE(dc_->Begin2d());
    dc_->EndDraw(false);
    EXPECT_TRUE(dc_->Is2d());
    EXPECT_FALSE(dc_->IsDrawing());
    ASSERT_TRUE(dc_->BeginDraw(false));
    NewLog();
    EXPECT_FALSE(dc_->Begin2d());
    EXPECT_NE(NewLog().find("Begin2d called when already in Begin2d state"), std::string::npos);
    dc_->End2d();
    dc_->EndDraw(false);
}

TEST_F(DrawContextTest, ClipStackKeepsItsLastEntry)
{
    EXPECT_EQ(dc_->GetClipRect(), TRect(0, 0, 0, 0));
    dc_->PopClipRect();  // empty: nothing happens
    dc_->PushClipRect(TRect(1, 2, 30, 40));
    dc_->PushClipRect(TRect(5, 6, 7, 8));
    EXPECT_EQ(dc_->GetClipRect(), TRect(5, 6, 7, 8));
    dc_->PopClipRect();
    EXPECT_EQ(dc_->GetClipRect(), TRect(1, 2, 30, 40));
    dc_->PopClipRect();
    EXPECT_EQ(dc_->GetClipRect(), TRect(1, 2, 30, 40));
    EXPECT_EQ(dc_->GetState().clipStack.size(), 1u);
}

TEST_F(DrawContextTest, TheClipRectangleLimitsDrawing)
{
    display_.Clear();
    // A frame starts on the whole viewport; clips are pushed inside it.
    ASSERT_TRUE(dc_->BeginDraw(false));
    dc_->PushClipRect(TRect(0, 0, 400, 300));
    dc_->PushClipRect(TRect(50, 40, 150, 140));
    ASSERT_TRUE(dc_->Begin2d());
    dc_->FillRect(TRect(0, 0, 400, 300), TFloatVector4(1, 1, 1, 1), TTextureRef());
    dc_->End2d();
    dc_->EndDraw(false);
    EXPECT_TRUE(RgbNear(display_.Pixel(60, 50), 0xFFFFFF));
    EXPECT_TRUE(RgbNear(display_.Pixel(149, 139), 0xFFFFFF));
    EXPECT_TRUE(RgbNear(display_.Pixel(40, 50), 0x000000));
    EXPECT_TRUE(RgbNear(display_.Pixel(200, 200), 0x000000));
    dc_->PopClipRect();
    EXPECT_EQ(dc_->GetClipRect(), TRect(0, 0, 400, 300));
}

TEST_F(DrawContextTest, FpsIsRecomputedEveryFifteenthFrame)
{
    uint32_t now = 5000;
    for (int frame = 1; frame <= 30; ++frame)
    {
        display_.host.SetFixedTime(true, now);
        dc_->BeginDraw(false);
        dc_->EndDraw(false);
        now += 20;
        if (frame < 15)
        {
            EXPECT_EQ(dc_->GetState().fps, 0.0f) << frame;
        }
        if (frame == 15)
        {
            EXPECT_NEAR(dc_->GetState().fps, 53.57f, 0.01f);
        }
    }
    EXPECT_NEAR(dc_->GetState().fps, 53.57f, 0.01f);
    // A frame that takes longer shows only at the next multiple of 15.
    for (int frame = 31; frame <= 45; ++frame)
    {
        display_.host.SetFixedTime(true, now);
        dc_->EndDraw(false);
        now += 40;
        if (frame < 45)
        {
            EXPECT_NEAR(dc_->GetState().fps, 53.57f, 0.01f);
        }
    }
    EXPECT_LT(dc_->GetState().fps, 53.0f);
}

TEST_F(DrawContextTest, FramesAtTheSameMillisecondDoNotDivideByZero)
{
    display_.host.SetFixedTime(true, 7);
    for (int i = 0; i < 30; ++i) dc_->EndDraw(false);
    EXPECT_EQ(dc_->GetState().fps, 0.0f);
}

TEST_F(DrawContextTest, ToggleDebugOverlayReportsHidden)
{
    EXPECT_FALSE(dc_->ToggleDebugOverlay());
    EXPECT_TRUE(dc_->GetState().overlayVisible);
    // The overlay draws in its own 2D block at the end of the frame.
    ASSERT_TRUE(dc_->BeginDraw(false));
    dc_->EndDraw(false);
    EXPECT_FALSE(dc_->Is2d());
    EXPECT_NE(dc_->GetState().overlayText, nullptr);
    EXPECT_TRUE(dc_->ToggleDebugOverlay());
}

TEST_F(DrawContextTest, FillRectWithoutTextureIsRelativeToTheViewport)
{
    display_.Clear();
    dc_->PushViewport(TRect(100, 50, 400, 300));
    EXPECT_EQ(dc_->GetViewport(), TRect(100, 50, 400, 300));
    ASSERT_TRUE(dc_->BeginDraw(false));
    ASSERT_TRUE(dc_->Begin2d());
    dc_->FillRect(TRect(0, 0, 10, 10), TFloatVector4(0, 1, 0, 1), TTextureRef());
    dc_->End2d();
    dc_->EndDraw(false);
    dc_->PopViewport();
    EXPECT_TRUE(RgbNear(display_.Pixel(100, 50), 0x00FF00));
    EXPECT_TRUE(RgbNear(display_.Pixel(109, 59), 0x00FF00));
    EXPECT_TRUE(RgbNear(display_.Pixel(110, 60), 0x000000));
    EXPECT_TRUE(RgbNear(display_.Pixel(5, 5), 0x000000));
}

TEST_F(DrawContextTest, SimpleTexturesAreNeverCurrentOrRenderTargets)
{
    assets_.Put("s.png", imagefx::PngFromArgb(4, 4, std::vector<uint32_t>(16, 0xFFFF0000u)));
    TTextureRef simple = TTexture::GetCursorImage("s.png");
    ASSERT_NE(simple, nullptr);
    ASSERT_TRUE(simple->IsSimple());
    TTextureRef target = TTexture::CreateEmpty(16, 16, true);
    ASSERT_NE(target, nullptr);

    NewLog();
    EXPECT_FALSE(dc_->BeginRenderTarget(simple, 0));
    ASSERT_TRUE(dc_->BeginDraw(false));
    EXPECT_FALSE(dc_->BeginRenderTarget(target, 0));  // a frame is open
    ASSERT_TRUE(dc_->Begin2d());
    dc_->SetTexture(target);
    EXPECT_EQ(dc_->GetTexture(), target);
    dc_->SetTexture(simple);
    EXPECT_EQ(dc_->GetTexture(), nullptr);
    dc_->SetTexture(target);
    dc_->End2d();
    EXPECT_EQ(dc_->GetTexture(), nullptr);  // ending the block clears it
    dc_->EndDraw(false);
    EXPECT_EQ(NewLog(), "");
}

TEST_F(DrawContextTest, RenderTargetDrawsIntoTheTexture)
{
    TTextureRef target = TTexture::CreateEmpty(32, 32, true);
    ASSERT_NE(target, nullptr);
    ASSERT_TRUE(dc_->BeginRenderTarget(target, 1));
    EXPECT_TRUE(dc_->IsDrawing());
    ASSERT_TRUE(dc_->Begin2d());
    dc_->FillRect(TRect(0, 0, 32, 32), TFloatVector4(0, 0, 0, 1), TTextureRef());
    dc_->FillRect(TRect(8, 8, 16, 16), TFloatVector4(1, 0, 0, 1), TTextureRef());
    dc_->End2d();
    dc_->EndRenderTarget();
    EXPECT_FALSE(dc_->IsDrawing());

    {
        const TLockedPixels locked(target);
        ASSERT_TRUE(locked);
        uint32_t* const px = locked.GetPixels();
        const int pitch = locked.GetPitch();
        EXPECT_EQ(pitch, 32);
        EXPECT_TRUE(RgbNear(px[10 * pitch + 10] & 0xFFFFFF, 0xFF0000));
        EXPECT_TRUE(RgbNear(px[2 * pitch + 2] & 0xFFFFFF, 0x000000));
    }
}

TEST_F(DrawContextTest, RenderSettingsGoThroughTheDisplayHandler)
{
    dc_->OnSettingChanged("new_subtractive", "1");
    EXPECT_STREQ(dc_->GetRenderSetting("new_subtractive").CStr(), "1");
    dc_->OnSettingChanged("new_subtractive", "0");
    EXPECT_STREQ(dc_->GetRenderSetting("new_subtractive").CStr(), "0");
    EXPECT_STREQ(dc_->GetRenderSetting("16bitmode").CStr(), "0");
    EXPECT_STREQ(dc_->GetRenderSetting("unknown").CStr(), "");
    EXPECT_FALSE(dc_->RequiresSquareTextures());
}

TEST(DrawContextWithoutDisplay, AFailedBeginDrawRefusesEveryBlock)
{
    ImageAssets assets;
    ImageTestHost host;
    TDrawContext::UseDevice(nullptr, &host);
    TDrawContext* dc = TDrawContext::GetInstance();
    EXPECT_FALSE(dc->BeginDraw(false));
    EXPECT_FALSE(dc->Begin2d());
    {
        TScoped2d guard;
        EXPECT_FALSE(guard.began);
    }
    dc->EndDraw(false);  // still counts the frame
    EXPECT_EQ(dc->GetState().frameIndex, 1u);
    EXPECT_TRUE(
        assets.LogHas("ERROR: Calling Begin2d outside of a BeginDraw or BeginRenderTarget block!"));
    EXPECT_FALSE(assets.LogHas("End2d called"));
    TDrawContext::Destroy();
    TDrawContext::UseDevice(nullptr, nullptr);
    EXPECT_EQ(TDrawContext::GetIfMade(), nullptr);
}

}  // namespace

#ifndef NDEBUG
// Made before its device is chosen, the context would open an SDL device of
// its own; debug builds stop there instead.
TEST(DrawContextDeathTest, GetBeforeUseDeviceAsserts)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(TDrawContext::GetInstance(), "UseDevice must come first");
}
#endif
