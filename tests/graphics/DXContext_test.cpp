// The device context's refusals, quirks, report and coordinate scaling.
#include <gtest/gtest.h>

#include "core/Settings.h"
#include "graphics/DXContext.h"
#include "graphics/DisplayHandler.h"
#include "platform/null/GfxRecordingDevice.h"
#include "support/TestDisplayHost.h"

namespace
{

class DXContextTest : public ::testing::Test
{
protected:
    void SetUp() override { handler_ = std::make_unique<TDisplayHandler>(&dev_, &host_); }
    TDXContext& Ctx() { return *handler_->GetContext(); }

    TempLog log_;
    GfxRecordingDevice dev_;
    TestDisplayHost host_;
    std::unique_ptr<TDisplayHandler> handler_;
};

TEST_F(DXContextTest, CreatesAndReportsTheRenderer)
{
    dev_.info.description = "Mesa llvmpipe";
    ASSERT_TRUE(Ctx().Create(nullptr, false, 800, 600, 32, 1));
    EXPECT_TRUE(Ctx().HasDevice());
    EXPECT_NE(std::string(Ctx().GetReport().CStr()).find("  Description: 'Mesa llvmpipe'\n"),
              std::string::npos);
    EXPECT_TRUE(log_.Has("Device identifier:  \n  Driver: 'recording'"));
    EXPECT_NE(std::string(Ctx().GetReport().CStr()).find("DDCAPS: 00100000"),
              std::string::npos);  // 4096, hex
    EXPECT_NE(std::string(Ctx().GetReport().CStr()).find("D3DDESC: "), std::string::npos);
    EXPECT_EQ(std::string(Ctx().GetMouseMutexName().CStr()).rfind("TDXContextMouseMutex:", 0), 0u);
    Ctx().ReleaseDevice();
    EXPECT_FALSE(Ctx().HasDevice());
    EXPECT_FALSE(dev_.HasDisplay());
}

TEST_F(DXContextTest, DesktopColourRefusals)
{
    // 256 colours: a window fails without touching the device, full screen proceeds.
    dev_.desktop.colourCount = 256;
    EXPECT_FALSE(Ctx().Create(nullptr, false, 800, 600, 32, 1));
    EXPECT_FALSE(dev_.Called("CreateDisplay"));
    EXPECT_TRUE(Ctx().Create(nullptr, true, 800, 600, 32, 1));
    EXPECT_FALSE(Ctx().HasTooFewColours());
    // 16 colours: both fail and the flag is set.
    dev_.desktop.colourCount = 16;
    EXPECT_FALSE(Ctx().Create(nullptr, true, 800, 600, 32, 1));
    EXPECT_TRUE(Ctx().HasTooFewColours());
}

TEST_F(DXContextTest, CapabilityRefusals)
{
    struct Case
    {
        const char* name;
        int maxW, maxH;
        bool customBlend, hardware;
        const char* line;
    } cases[] = {
        {"1024x512 textures", 1024, 512, true, true,
         "TDXContext::Create - context does not support 1024x1024 textures! Failing!"},
        {"512x1024 textures", 512, 1024, true, true,
         "TDXContext::Create - context does not support 1024x1024 textures! Failing!"},
        {"no custom blending", 4096, 4096, false, true,
         "The renderer does not support custom blending."},
        {"software renderer", 4096, 4096, true, false,
         "TDXContext::Create failed! Could not find a hardware renderer."},
    };
    for (const Case& c : cases)
    {
        dev_.info.maxTextureWidth = c.maxW;
        dev_.info.maxTextureHeight = c.maxH;
        dev_.info.customBlend = c.customBlend;
        dev_.info.hardware = c.hardware;
        EXPECT_FALSE(Ctx().Create(nullptr, false, 800, 600, 32, 1)) << c.name;
        EXPECT_TRUE(log_.Has(c.line)) << c.name;
        EXPECT_FALSE(dev_.HasDisplay()) << c.name;  // released again
    }
}

TEST_F(DXContextTest, DriverQuirks)
{
    dev_.info.description = "Intel(R) HD Graphics";
    EXPECT_TRUE(Ctx().Create(nullptr, false, 800, 600, 32, 1));
    EXPECT_EQ(GetSetting("brokenindexedverts"), TString("1"));
    EXPECT_FALSE(handler_->GetSplitIndexedRequest());
    dev_.info.description = "SiS Mirage 3 Graphics";
    EXPECT_TRUE(Ctx().Create(nullptr, false, 800, 600, 32, 1));
    EXPECT_TRUE(handler_->GetSplitIndexedRequest());
}

TEST_F(DXContextTest, LargeVramUsageRecreatesAt16Bits)
{
    SetSetting("largevramusage", "1");
    handler_->SetSplitIndexedRequest(true);
    EXPECT_TRUE(Ctx().Create(nullptr, true, 800, 600, 32, 1));
    EXPECT_TRUE(handler_->IsLowMemoryVideo());
    EXPECT_EQ(Ctx().GetDisplayBitsPerPixel(), 16);
}

TEST_F(DXContextTest, WindowOutOfVideoMemoryRefusesLaterWindowsAtOnce)
{
    dev_.Fail("CreateDisplay", GFX_E_OUTOFVIDEOMEMORY);
    EXPECT_FALSE(Ctx().Create(nullptr, false, 800, 600, 32, 1));
    EXPECT_TRUE(Ctx().HasNoWindowVideoMemory());
    EXPECT_GE(host_.oovm, 1);
    dev_.ClearCalls();
    EXPECT_FALSE(Ctx().Create(nullptr, false, 800, 600, 32, 1));
    EXPECT_FALSE(dev_.Called("CreateDisplay"));
    EXPECT_TRUE(Ctx().Create(nullptr, true, 800, 600, 32, 1));
}

TEST_F(DXContextTest, DeviceRefusalsShapeTheNextRequest)
{
    // The other back buffer is asked for next time.
    dev_.Fail("CreateDisplay", GFX_E_ALTBACKBUFFER);
    EXPECT_FALSE(Ctx().Create(nullptr, false, 800, 600, 32, 1));
    EXPECT_TRUE(Ctx().UsesAltBackBuffer());
    EXPECT_EQ(Ctx().GetDesktopColourCount(), -1);
    // A desktop depth that cannot take a window refuses later windows before
    // the device is asked; full screen still works.
    dev_.Fail("CreateDisplay", GFX_E_BADDESKTOPDEPTH);
    EXPECT_FALSE(Ctx().Create(nullptr, false, 800, 600, 32, 1));
    EXPECT_EQ(Ctx().GetDesktopColourCount(), 32);
    dev_.ClearCalls();
    EXPECT_FALSE(Ctx().Create(nullptr, false, 800, 600, 32, 1));
    EXPECT_FALSE(dev_.Called("CreateDisplay"));
    EXPECT_TRUE(Ctx().Create(nullptr, true, 800, 600, 32, 1));
}

TEST_F(DXContextTest, DesktopTooSmallCountsOneEdgeOneFrameAndCaption)
{
    Ctx().SetDesktopMode(-1, 806, 629);  // 800 + 2 + 4, 600 + 2 + 4 + 23
    EXPECT_FALSE(Ctx().DesktopTooSmall(800, 600));
    Ctx().SetDesktopMode(-1, 805, 629);
    EXPECT_TRUE(Ctx().DesktopTooSmall(800, 600));
    Ctx().SetDesktopMode(-1, 806, 628);
    EXPECT_TRUE(Ctx().DesktopTooSmall(800, 600));
    dev_.desktop.width = 800;
    dev_.desktop.height = 600;
    EXPECT_FALSE(Ctx().Create(nullptr, false, 800, 600, 32, 1));
}

TEST_F(DXContextTest, ToScreenRoundsFromScreenTruncates)
{
    host_.SetViewportScale(1.5f);
    int x = 0, y = 0;
    Ctx().ToScreen(3, 5, &x, &y);  // 4.5 -> 5, 7.5 -> 8
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 8);
    Ctx().FromScreen(5, 8, &x, &y);  // 3.33 -> 3, 5.33 -> 5
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, 5);
}

}  // namespace
