// Mode sets with their refusals and fall-backs, restore, the out-of-video-
// memory path and the render settings, over the recording device.
#include <gtest/gtest.h>

#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <string>

#include "core/Settings.h"
#include "graphics/DisplayHandler.h"
#include "platform/null/GfxRecordingDevice.h"
#include "support/TestDisplayHost.h"

namespace
{

class DisplayHandlerTest : public ::testing::Test
{
protected:
    // The forcing rules are tested as a player's run meets them; the test
    // entry's windowed-only switch would hide them.
    void SetUp() override
    {
        const char* windowed = std::getenv("ORVELLE_WINDOWED");
        if (windowed) savedWindowed_ = windowed;
        unsetenv("ORVELLE_WINDOWED");
        handler_ = std::make_unique<TDisplayHandler>(&dev_, &host_);
    }
    void TearDown() override
    {
        if (!savedWindowed_.empty()) setenv("ORVELLE_WINDOWED", savedWindowed_.c_str(), 1);
    }
    void Make() { handler_ = std::make_unique<TDisplayHandler>(&dev_, &host_); }
    bool HasMessage(const std::string& part) const
    {
        for (const auto& m : host_.messages)
            if (m.find(part) != std::string::npos) return true;
        return false;
    }

    TempLog log_;
    GfxRecordingDevice dev_;
    TestDisplayHost host_;
    std::unique_ptr<TDisplayHandler> handler_;
    std::string savedWindowed_;
};

TEST_F(DisplayHandlerTest, WindowedModeSetBringsDeviceUpInDefaultState)
{
    handler_->SetDisplay({.width = 800, .height = 600});
    EXPECT_TRUE(handler_->IsReady());
    EXPECT_FALSE(handler_->IsFullscreen());
    EXPECT_EQ(GetSetting("dxbroken"), TString("0"));
    EXPECT_EQ(GetSetting("monitorfrequency"), TString("60"));
    EXPECT_EQ(host_.released, 1);
    EXPECT_EQ(host_.restored, 1);
    EXPECT_TRUE(dev_.Called("CreateDisplay window 800x600 32 0x1"));
    EXPECT_EQ(dev_.GetRenderState(GFX_RS_SRCBLEND), GFX_BLEND_SRCALPHA);
    EXPECT_EQ(dev_.GetRenderState(GFX_RS_DESTBLEND), GFX_BLEND_INVSRCALPHA);
    EXPECT_EQ(dev_.GetRenderState(GFX_RS_ALPHATESTENABLE), 1u);
    EXPECT_EQ(dev_.GetRenderState(GFX_RS_ALPHAREF), 1u);
    EXPECT_EQ(dev_.GetRenderState(GFX_RS_ALPHAFUNC), GFX_CMP_GREATEREQUAL);
    EXPECT_EQ(dev_.GetTextureStageState(0, GFX_TSS_COLOROP), GFX_TOP_MODULATE);
    EXPECT_EQ(dev_.GetTextureStageState(0, GFX_TSS_MAGFILTER), GFX_TFILTER_LINEAR);
    EXPECT_EQ(dev_.material.ambient[0], 0.5f);
    int w = 0, h = 0;
    bool fs = true;
    handler_->GetScreenSize(&w, &h, &fs);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    EXPECT_FALSE(fs);

    // The same size and kind without force only sets ready.
    dev_.ClearCalls();
    handler_->SetDisplay({.width = 800, .height = 600});
    EXPECT_TRUE(handler_->IsReady());
    EXPECT_FALSE(dev_.Called("CreateDisplay"));
}

TEST_F(DisplayHandlerTest, SmallDesktopForcesFullScreen)
{
    dev_.desktop.width = 800;
    dev_.desktop.height = 600;
    Make();
    handler_->SetDisplay({.width = 800, .height = 600});
    EXPECT_TRUE(log_.Has("SetDisplay Forcing Fullscreen (SMALL)"));
    EXPECT_TRUE(handler_->IsFullscreen());
    EXPECT_TRUE(handler_->IsReady());
    EXPECT_FALSE(handler_->SetWindowed(false));
}

// Headless runs stay in a window: a full-screen mode asked for and a switch
// give the window, quietly.
TEST_F(DisplayHandlerTest, WindowedOnlyRunRefusesFullScreenQuietly)
{
    setenv("ORVELLE_WINDOWED", "1", 1);
    handler_->SetDisplay({.width = 800, .height = 600, .fullScreen = true});
    EXPECT_TRUE(handler_->IsReady());
    EXPECT_FALSE(handler_->IsFullscreen());
    EXPECT_FALSE(handler_->SetWindowed(true));
    EXPECT_FALSE(handler_->IsFullscreen());
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_FALSE(log_.Has("ERROR"));
    unsetenv("ORVELLE_WINDOWED");
}

TEST_F(DisplayHandlerTest, SmallDesktopWithExternalParentExits)
{
    dev_.desktop.width = 800;
    dev_.desktop.height = 600;
    host_.external = true;
    Make();
    host_.now = 500000;
    handler_->SetDisplay({.width = 800, .height = 600});
    ASSERT_EQ(host_.exits.size(), 1u);
    EXPECT_EQ(host_.exits[0], -1);
    EXPECT_TRUE(HasMessage("You cannot run this application at your current screen resolution."));
}

TEST_F(DisplayHandlerTest, EmbeddedWaitsASecondAfterABreak)
{
    host_.external = true;
    host_.now = 10;  // early in the run: no break yet, so no wait
    handler_->SetDisplay({.width = 800, .height = 600});
    EXPECT_TRUE(handler_->IsReady());
    handler_->SetBroken();
    dev_.ClearCalls();
    host_.now += 999;
    handler_->SetDisplay({.width = 640, .height = 480, .force = true});
    EXPECT_FALSE(dev_.Called("CreateDisplay"));
    host_.now += 1;
    handler_->SetDisplay({.width = 640, .height = 480, .force = true});
    EXPECT_TRUE(dev_.Called("CreateDisplay window 640x480 32 0x3"));  // keeps the page's window
}

TEST_F(DisplayHandlerTest, PaletteDesktopForcesFullScreen)
{
    dev_.desktop.colourCount = 256;
    Make();
    handler_->SetDisplay({.width = 800, .height = 600});
    EXPECT_TRUE(log_.Has("SetDisplay Forcing Fullscreen (PALLETTED)"));
    EXPECT_TRUE(handler_->IsFullscreen());
}

TEST_F(DisplayHandlerTest, InactiveHostWaitsUnlessForced)
{
    host_.active = false;
    handler_->SetDisplay({.width = 800, .height = 600});
    EXPECT_FALSE(dev_.Called("CreateDisplay"));
    handler_->SetDisplay({.width = 800, .height = 600, .force = true});
    EXPECT_TRUE(handler_->IsReady());
}

TEST_F(DisplayHandlerTest, RefusedAntialiasingRetriesWithoutTheHint)
{
    handler_->SetRenderSetting("hint_antialias", "1");
    handler_->SetRenderSetting("antialias", "1");
    dev_.Fail("CreateDisplay", GFX_E_FAIL);
    handler_->SetDisplay({.width = 800, .height = 600});
    EXPECT_TRUE(dev_.Called("CreateDisplay window 800x600 32 0x5"));
    EXPECT_TRUE(handler_->IsReady());
    EXPECT_EQ(handler_->GetRenderSetting("antialias"), TString("0"));
    EXPECT_EQ(handler_->GetRenderSetting("hint_antialias"), TString("0"));
}

TEST_F(DisplayHandlerTest, FailedWindowFallsBackToFullScreenThenGivesUp)
{
    dev_.Fail("CreateDisplay", GFX_E_FAIL);
    handler_->SetDisplay({.width = 800, .height = 600});
    EXPECT_TRUE(HasMessage("Failed to initialize windowed mode. Trying full screen."));
    EXPECT_TRUE(handler_->IsFullscreen());
    EXPECT_TRUE(handler_->IsReady());

    // Both kinds failing: the second failure shows the last box and quits.
    Make();
    host_.messages.clear();
    dev_.Fail("CreateDisplay", GFX_E_FAIL);
    dev_.Fail("CreateDisplay", GFX_E_FAIL);
    handler_->SetDisplay({.width = 800, .height = 600});
    EXPECT_TRUE(log_.Has("ERROR FALLBACK FAILED"));
    EXPECT_TRUE(HasMessage("Failed to initialize window. Please try running the game again."));
    ASSERT_EQ(host_.quits.size(), 1u);
    EXPECT_EQ(host_.quits[0], 0);
    // From now on every mode set ends the process.
    handler_->SetDisplay({.width = 640, .height = 480, .fullScreen = true, .force = true});
    EXPECT_EQ(host_.exits.size(), 1u);
}

TEST_F(DisplayHandlerTest, FailureInBackgroundMarksBroken)
{
    host_.foreground = false;
    dev_.Fail("CreateDisplay", GFX_E_FAIL);
    handler_->SetDisplay({.width = 800, .height = 600});
    EXPECT_TRUE(log_.Has("SetDisplay marking DirectX Broken: ACTIVE, BACKGROUND"));
    EXPECT_TRUE(handler_->IsBroken());
    EXPECT_EQ(GetSetting("dxbroken"), TString("1"));
    EXPECT_FALSE(handler_->IsDeviceValid());
}

TEST_F(DisplayHandlerTest, TooFewColoursIsFatal)
{
    dev_.desktop.colourCount = 16;
    Make();
    handler_->SetDisplay({.width = 800, .height = 600, .fullScreen = true});
    EXPECT_TRUE(HasMessage("DirectX requires that you have your screen set to 256 color mode"));
    ASSERT_EQ(host_.exits.size(), 1u);
}

TEST_F(DisplayHandlerTest, OutOfVideoMemorySavesLowMemoryStateAndForcesFullScreen)
{
    dev_.modes = {{800, 600, 32, 60}, {800, 600, 16, 60}};
    handler_->SetDisplay({.width = 800, .height = 600});
    handler_->OutOfVideoMemory();
    EXPECT_TRUE(log_.Has("OutOfVideoMemory triggered!"));
    EXPECT_TRUE(handler_->IsBroken());
    EXPECT_EQ(handler_->GetRenderSetting("16bitmode"), TString("1"));
    std::ifstream in(log_.Dir() + "/display.xml");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("<Settings"), std::string::npos) << text;
    EXPECT_NE(text.find("LowMemoryVideo=\"1\""), std::string::npos) << text;
    EXPECT_FALSE(std::filesystem::exists(log_.Dir() + "/display.xml.tmp"));
    // Once is enough.
    handler_->OutOfVideoMemory();
    EXPECT_EQ(log_.Text().find("OutOfVideoMemory triggered!"),
              log_.Text().rfind("OutOfVideoMemory triggered!"));

    handler_->SetDisplay({.width = 800, .height = 600, .force = true});
    EXPECT_TRUE(HasMessage("Reconfiguring: Your video card doesn't have enough memory"));
    EXPECT_TRUE(log_.Has("SetDisplay Forcing Fullscreen (MEMORY)"));
    EXPECT_TRUE(handler_->IsFullscreen());
    EXPECT_TRUE(dev_.Called("CreateDisplay full 800x600 16"));
    EXPECT_FALSE(handler_->SetWindowed(false));

    // The next run starts in the low-memory state.
    Make();
    EXPECT_TRUE(handler_->IsLowMemoryVideo());
    EXPECT_TRUE(log_.Has("Low memory video card setting enabled!"));
    host_.pq = true;
    Make();
    EXPECT_FALSE(handler_->IsLowMemoryVideo());
}

TEST_F(DisplayHandlerTest, UnreadableDisplaySettingsLeaveLowMemoryOff)
{
    for (const char* body :
         {"", "<Settings LowMemoryVideo=", "\x01\x02garbage", "<Other LowMemoryVideo=\"1\"/>"})
    {
        std::ofstream(log_.Dir() + "/display.xml") << body;
        Make();
        EXPECT_FALSE(handler_->IsLowMemoryVideo()) << body;
    }
}

TEST_F(DisplayHandlerTest, RestoreWithFewFramesRecreatesOtherwiseRestoresSurfaces)
{
    // Before any mode set there is nothing to restore: no 0 x 0 display is
    // attempted, so no fall-back can end the program.
    EXPECT_FALSE(handler_->GetPlatformData()->Restore());
    EXPECT_FALSE(dev_.Called("CreateDisplay"));
    EXPECT_TRUE(host_.exits.empty());
    EXPECT_TRUE(host_.quits.empty());
    handler_->SetDisplay({.width = 800, .height = 600});
    TPlatformData* d = handler_->GetPlatformData();
    d->workingCount = 2;
    dev_.ClearCalls();
    EXPECT_TRUE(d->Restore());
    EXPECT_TRUE(
        log_.Has("TPlatformData::Restore: Working count too small (2). Calling SetDisplay()"));
    EXPECT_TRUE(dev_.Called("CreateDisplay"));

    d->workingCount = 5;
    handler_->SetBroken();
    dev_.lost = true;
    dev_.ClearCalls();
    const int restoredBefore = host_.restored;
    EXPECT_TRUE(d->Restore());
    EXPECT_FALSE(dev_.Called("CreateDisplay"));
    EXPECT_TRUE(dev_.Called("RestoreSurfaces"));
    EXPECT_EQ(host_.restored, restoredBefore + 1);
    EXPECT_FALSE(handler_->IsBroken());
    EXPECT_EQ(GetSetting("dxbroken"), TString("0"));
    EXPECT_EQ(d->workingCount, 0);

    // A failed surface restore re-creates the display.
    d->workingCount = 5;
    dev_.Fail("RestoreSurfaces", GFX_E_FAIL);
    dev_.ClearCalls();
    EXPECT_TRUE(d->Restore());
    EXPECT_TRUE(log_.Has("RestoreAllSurfaces failed!"));
    EXPECT_TRUE(dev_.Called("CreateDisplay"));
}

TEST_F(DisplayHandlerTest, BrokenThrottleAndSettings)
{
    handler_->SetBroken();
    const uint32_t first = host_.now;
    handler_->GetPlatformData()->dxBroken = false;
    host_.now = first + 200;
    handler_->SetBrokenThrottled();
    EXPECT_FALSE(handler_->IsBroken());
    host_.now = first + 300;
    handler_->SetBrokenThrottled();
    EXPECT_TRUE(handler_->IsBroken());

    struct Case
    {
        const char* key;
        const char* value;
        const char* read;
    } cases[] = {{"antialias", "1", "1"},       {"antialias", "0", "0"},
                 {"hint_antialias", "2", "1"},  {"new_subtractive", "-1", "0"},
                 {"new_subtractive", "1", "1"}, {"unknown", "1", ""}};
    for (const Case& c : cases)
    {
        handler_->SetRenderSetting(c.key, c.value);
        EXPECT_EQ(handler_->GetRenderSetting(c.key), TString(c.read)) << c.key << "=" << c.value;
    }
    EXPECT_EQ(handler_->GetRenderSetting("16bitmode"), TString("0"));
}

TEST_F(DisplayHandlerTest, VsyncReachesTheDevice)
{
    handler_->SetDisplay({.width = 800, .height = 600});
    handler_->SetVsync(true);
    EXPECT_TRUE(dev_.vsync);
    handler_->SetVsync(false);
    EXPECT_FALSE(dev_.vsync);
}

}  // namespace
