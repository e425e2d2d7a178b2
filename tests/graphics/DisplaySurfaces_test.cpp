// Display creation over the recording device, the depth choice and the
// window placement arithmetic.
#include <gtest/gtest.h>

#include "graphics/DisplayHandler.h"
#include "graphics/DisplaySurfaces.h"
#include "platform/null/GfxRecordingDevice.h"
#include "support/TestDisplayHost.h"

namespace
{

TEST(ChooseDisplayDepth, PrefersRequestedThenSixteen)
{
    struct Case
    {
        const char* name;
        std::vector<GfxDisplayMode> modes;
        int requested, want;
    } cases[] = {
        {"requested available", {{800, 600, 16, 60}, {800, 600, 32, 60}}, 32, 32},
        {"only 16 and 24 offered", {{800, 600, 24, 60}, {800, 600, 16, 60}}, 32, 16},
        {"first counting mode kept", {{800, 600, 24, 60}}, 32, 24},
        {"other sizes and 8 bits skipped", {{1024, 768, 32, 60}, {800, 600, 8, 60}}, 32, 32},
        {"first mode is requested", {{800, 600, 16, 60}, {800, 600, 24, 60}}, 16, 16},
        {"no modes", {}, 32, 32},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseDisplayDepth(c.modes, 800, 600, c.requested), c.want) << c.name;
}

TEST(ClampRectToMonitor, ShiftsCentresOrLeavesAlone)
{
    const GfxMonitor mon{{0, 0, 1920, 1080}, {0, 40, 1920, 1080}};
    struct Case
    {
        const char* name;
        GfxRect in;
        uint32_t flags;
        GfxRect want;
    } cases[] = {
        {"inside stays", {100, 100, 900, 700}, 0, {100, 100, 900, 700}},
        {"left of the area", {-50, 100, 750, 700}, 0, {0, 100, 800, 700}},
        {"beyond the right", {1500, 100, 2300, 700}, 0, {1120, 100, 1920, 700}},
        {"above the work area", {10, 0, 810, 600}, 2, {10, 40, 810, 640}},
        {"centred on monitor", {0, 0, 800, 600}, 1, {560, 240, 1360, 840}},
        {"centred in work area", {0, 0, 800, 600}, 3, {560, 260, 1360, 860}},
        {"too wide is kept", {-10, 0, 2000, 600}, 1, {-10, 0, 2000, 600}},
    };
    for (const Case& c : cases)
    {
        GfxRect r = ClampRectToMonitor(c.in, c.flags, mon);
        EXPECT_EQ(r.left, c.want.left) << c.name;
        EXPECT_EQ(r.top, c.want.top) << c.name;
        EXPECT_EQ(r.right, c.want.right) << c.name;
        EXPECT_EQ(r.bottom, c.want.bottom) << c.name;
    }
}

TEST(MonitorFromRect, NearestMonitorOrPseudoPrimary)
{
    std::vector<GfxMonitor> mons = {{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}},
                                    {{1920, 0, 3200, 1024}, {1920, 0, 3200, 1024}}};
    EXPECT_EQ(MonitorFromRect(mons, {1800, 10, 2600, 610}, 0, 0).bounds.left,
              1920);  // larger overlap
    EXPECT_EQ(MonitorFromRect(mons, {4000, 0, 4100, 100}, 0, 0).bounds.left, 1920);  // nearest
    GfxMonitor pseudo = MonitorFromRect({}, {0, 0, 10, 10}, 1280, 720);
    EXPECT_EQ(pseudo.bounds.right, 1280);
    EXPECT_EQ(pseudo.work.bottom, 720);
}

TEST(ClampWindowToMonitor, MovesWindowOnlyWhenNeeded)
{
    GfxRecordingDevice dev;
    dev.windowRect = {-100, 500, 700, 1100};
    ClampWindowToMonitor(&dev, 0);
    EXPECT_TRUE(dev.Called("MoveWindow 0 480"));
    dev.ClearCalls();
    ClampWindowToMonitor(&dev, 0);
    EXPECT_FALSE(dev.Called("MoveWindow"));
}

class CDisplayTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CDisplay::ResetCreatedOnceForTests();
        handler_ = std::make_unique<TDisplayHandler>(&dev_, &host_);
    }
    TempLog log_;
    GfxRecordingDevice dev_;
    TestDisplayHost host_;
    std::unique_ptr<TDisplayHandler> handler_;
};

TEST_F(CDisplayTest, FullScreenWalksAdaptersThenGivesUpWithOneBox)
{
    dev_.adapterCount = 2;
    dev_.Fail("CreateDisplay", GFX_E_FAIL);
    CDisplay display(&dev_);
    EXPECT_EQ(display.CreateFullScreenDisplay(nullptr, 800, 600, 32, 0), GFX_OK);
    EXPECT_TRUE(dev_.Called("CreateDisplay full 800x600 32 0x10000"));
    EXPECT_TRUE(log_.Has("Failed to create screen at 32 bpp."));
    EXPECT_TRUE(log_.Has("Created screen at 32 bpp."));
    EXPECT_FALSE(display.IsWindowed());
    EXPECT_TRUE(host_.messages.empty());

    // A later failure on every adapter shows no box, since a display was made.
    dev_.Fail("CreateDisplay", GFX_E_FAIL);
    dev_.Fail("CreateDisplay", GFX_E_FAIL);
    EXPECT_EQ(display.CreateFullScreenDisplay(nullptr, 800, 600, 32, 0), GFX_E_FAIL);
    EXPECT_TRUE(log_.Has("Failed to create a DirectDraw device after trying all GUIDs"));
    EXPECT_TRUE(host_.messages.empty());
}

TEST_F(CDisplayTest, NoAdapterEverShowsTheIncompatibleBox)
{
    dev_.Fail("CreateDisplay", GFX_E_FAIL);
    CDisplay display(&dev_);
    EXPECT_EQ(display.CreateFullScreenDisplay(nullptr, 800, 600, 32, 0), GFX_E_FAIL);
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_NE(host_.messages[0].find("isn't compatible with your display"), std::string::npos);
}

TEST_F(CDisplayTest, SmallVideoMemoryDropsFullScreenTo16Bits)
{
    dev_.info.videoMemory = 8 << 20;
    dev_.modes = {{800, 600, 16, 60}, {800, 600, 32, 60}};
    CDisplay display(&dev_);
    EXPECT_EQ(display.CreateFullScreenDisplay(nullptr, 800, 600, 32, 0), GFX_OK);
    EXPECT_EQ(dev_.createDepth, 16);
    EXPECT_TRUE(log_.Has("Created screen at 16 bpp."));
}

TEST_F(CDisplayTest, WindowedMovesOntoWorkAreaAndPresentsRetryingAndRestoring)
{
    dev_.windowRect = {-30, 10, 770, 610};
    CDisplay display(&dev_);
    EXPECT_EQ(display.CreateWindowedDisplay(nullptr, nullptr, 800, 600, false, 1), GFX_OK);
    EXPECT_TRUE(dev_.Called("MoveWindow 0 10"));
    EXPECT_TRUE(display.IsWindowed());
    EXPECT_EQ(display.GetScreenRect().left, 0);

    dev_.Fail("Present", GFX_E_WASSTILLDRAWING);
    dev_.Fail("Present", GFX_E_WASSTILLDRAWING);
    EXPECT_EQ(display.Present(), GFX_OK);
    EXPECT_EQ(dev_.CountCalls("Present"), 3);
    dev_.lost = true;
    EXPECT_EQ(display.Present(), GFX_E_SURFACELOST);
    EXPECT_FALSE(dev_.lost);  // surfaces restored
    display.DestroyObjects();
    EXPECT_EQ(display.Present(), GFX_E_POINTER);
}

}  // namespace
