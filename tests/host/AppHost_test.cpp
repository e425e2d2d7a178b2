// The platform host: application time, instance names, the settings change
// hook, activation, display forwarding without a display handler, cursors
// and the desktop services over the headless window.
#include <gtest/gtest.h>

#include <climits>

#include "HostFakes.h"
#include "core/Version.h"
#include "host/App.h"

using namespace hostfakes;

namespace
{

class AppHostTest : public BareHostTest
{
};

}  // namespace

TEST_F(AppHostTest, TimeCountsFromStartWithOffsetLessPausedTime)
{
    struct Case
    {
        uint32_t start;
        uint32_t now;
        int32_t offset;
        uint32_t paused;
        uint32_t want;
    };
    const Case cases[] = {
        {1000, 1000, 0, 0, 0},
        {1000, 1500, 0, 0, 500},
        {1000, 1500, 200, 0, 700},
        {1000, 1500, 200, 100, 600},
        {1000, 1500, -600, 0, 0xFFFFFF9C},        // wraps like 32-bit time
        {0xFFFFFF00u, 0x00000100u, 0, 0, 0x200},  // across the counter's wrap
    };
    for (const Case& c : cases)
    {
        Now() = c.start;
        TAppHost h("", true);
        auto* gs = new FakeGameState();
        gs->pausedTime = c.paused;
        h.SetGameState(gs);
        h.timeOffset = c.offset;
        Now() = c.now;
        EXPECT_EQ(c.want, h.GetTime()) << c.start << " " << c.now;
        h.SetGameState(nullptr);
        delete gs;
        delete h.GetWindowManager();
        h.SetWindowManager(nullptr);
    }
}

TEST_F(AppHostTest, InstanceNames)
{
    EXPECT_STREQ("optgamesorvelle", MakeInstanceName("/Opt/Games/Orvelle").CStr());
    EXPECT_STREQ("cgamesorvelle.exe", MakeInstanceName("C:\\Games\\Orvelle.exe").CStr());
    EXPECT_STRNE(MakeInstanceName("/a/game").CStr(), MakeInstanceName("/b/game").CStr());
    std::string deep(300, 'x');
    TString a = MakeInstanceName(("/1/" + deep).c_str());
    TString b = MakeInstanceName(("/2/" + deep).c_str());
    EXPECT_LE(a.Length(), 120);
    EXPECT_STRNE(a.CStr(), b.CStr());
}

TEST_F(AppHostTest, InitialisationReadsVersionAndEntersTheProgramFolder)
{
    SetSetting("utf8mode", "1");
    host.reset(new TAppHost("--multiple", true));
    EXPECT_TRUE(host->utf8);
    EXPECT_STREQ(GetVersionText(), host->GetVersion().CStr());
    EXPECT_STREQ(kVersionInternalName, host->GetInternalName().CStr());
    EXPECT_STREQ(kVersionProductName, host->GetProductName().CStr());
    EXPECT_EQ(std::filesystem::current_path().string(), host->GetProgramFolder().CStr());
    EXPECT_EQ(std::string(host->GetProgramFolder().CStr()) + "/assets",
              host->GetAssetsFolder().CStr());
    EXPECT_NE(nullptr, host->GetWindowManager());
    EXPECT_TRUE(host->HasSwitch("--multiple"));
    EXPECT_EQ(nullptr, host->GetWindow());

    // The product name follows the game's setting.
    SetSetting("gamename", "Named");
    TAppHost named("", true);
    EXPECT_STREQ("Named", named.GetProductName().CStr());
    delete named.GetWindowManager();
    named.SetWindowManager(nullptr);
}

TEST_F(AppHostTest, SecondInstanceExitsWithZero)
{
    EXPECT_EXIT(
        {
            TAppHost first("", false);
            // A second host in another process finds the lock taken.
            pid_t child = fork();
            if (child == 0)
            {
                TAppHost second("", false);
                _exit(5);  // not reached when the rule holds
            }
            int status = 0;
            waitpid(child, &status, 0);
            _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 9);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(AppHostTest, MainWindowIsMadeHiddenWithItsTitle)
{
    host.reset(new TAppHost("", true));
    ASSERT_TRUE(host->CreateMainWindow());
    platform::NullWindow* w = services.window;
    EXPECT_EQ("Corvantis", w->title);
    EXPECT_EQ(480, w->width);
    EXPECT_EQ(360, w->height);
    EXPECT_FALSE(w->visible);
    EXPECT_STREQ("1", GetSetting("hwnd").CStr());

    // Without a display handler, the host sizes and shows the window itself.
    host->SetDisplayMode(800, 600, false);
    EXPECT_EQ(800, w->width);
    EXPECT_EQ(600, w->height);
    EXPECT_TRUE(w->visible);
    int width = 0, height = 0;
    bool full = true;
    host->GetDisplaySize(width, height, full);
    EXPECT_EQ(800, width);
    EXPECT_EQ(600, height);
    EXPECT_FALSE(full);
    EXPECT_TRUE(host->Flags().displayModeChanged);
    EXPECT_TRUE(host->SetFullScreen(true));
    EXPECT_TRUE(host->IsFullScreen());
    w->fullScreenWorks = false;
    EXPECT_FALSE(host->SetFullScreen(false));
    EXPECT_TRUE(host->IsFullScreen());

    host->SetWindowTitle("Title \xC3\xA9");
    EXPECT_EQ("Title \xC3\xA9", w->title);
    EXPECT_TRUE(host->SetClipboardText("clip"));
    EXPECT_STREQ("clip", host->GetClipboardText().CStr());
    w->clipboardWorks = false;
    EXPECT_FALSE(host->SetClipboardText("other"));
    host->SetMousePosition(10, 20);
    EXPECT_EQ(10, w->warpX);
    EXPECT_EQ(20, w->warpY);
    w->focus = false;
    EXPECT_FALSE(host->IsForeground());

    // With "-pq=" the full-screen wish is only remembered.
    host->SetCommandLine("-pq=1");
    host->SetDisplayMode(800, 600, true);
    EXPECT_TRUE(host->IsFullScreen());
}

TEST_F(AppHostTest, DisplayModeForwardsToTheDisplayHandler)
{
    host.reset(new TAppHost("", true));
    ASSERT_TRUE(host->CreateMainWindow());
    FakeDisplay display;
    host->SetDisplay(&display);
    Journal().clear();
    host->SetDisplayMode(800, 600, true);
    host->SetDisplayMode(1024, 768, false);
    const std::vector<std::string> want = {"display:mode 800x600 full", "display:after first",
                                           "display:mode 1024x768 windowed", "display:after"};
    EXPECT_EQ(want, Journal());
    float scale = 0;
    EXPECT_FALSE(host->GetViewportScale(scale));
    EXPECT_FLOAT_EQ(1.0f, scale);

    // Inside a host page (here the test page, which is the main window
    // itself) the picture is scaled to the page and never full screen.
    DeleteHostManagers(*host);
    host.reset(new TAppHost("--axtest", true));
    host->embedded = true;
    host->activeXTest = true;
    ASSERT_TRUE(host->CreateMainWindow());
    ASSERT_EQ(960, services.window->width);
    host->SetDisplay(&display);
    Journal().clear();
    host->SetDisplayMode(800, 600, true);
    EXPECT_EQ("display:mode 800x600 windowed", Journal().front());
    EXPECT_TRUE(host->GetViewportScale(scale));
    EXPECT_FLOAT_EQ(1.2f, scale);
    host->SetDisplay(nullptr);
}

TEST_F(AppHostTest, NoWindowSystemMeansNoWindow)
{
    services.windowFails = true;
    host.reset(new TAppHost("", true));
    EXPECT_FALSE(host->CreateMainWindow());
    EXPECT_EQ(nullptr, host->GetWindow());
    EXPECT_FALSE(host->SetClipboardText("x"));
    EXPECT_STREQ("", host->GetClipboardText().CStr());
    EXPECT_FALSE(host->IsForeground());
    host->SetDisplayMode(800, 600, false);  // harmless
}

TEST_F(AppHostTest, ActivationRules)
{
    host.reset(new TAppHost("", true));
    auto* sound = new FakeSound();
    host->SetSoundManager(sound);
    auto& f = host->Flags();

    // Windowed, not forced: only the sound follows.
    Journal().clear();
    host->SetActiveState(false, false);
    EXPECT_TRUE(f.active);
    EXPECT_FALSE(f.activationChanged);
    EXPECT_EQ(std::vector<std::string>{"sound:off"}, Journal());

    // The same state again does nothing at all.
    Journal().clear();
    host->SetActiveState(true, true);
    EXPECT_TRUE(Journal().empty());

    host->OnActivateApp(false);
    EXPECT_FALSE(f.active);
    EXPECT_FALSE(f.appActive);
    EXPECT_TRUE(f.activationChanged);
    EXPECT_TRUE(f.appActivationChanged);
    EXPECT_FALSE(f.suspended);   // suspended only in full screen
    host->OnActivateApp(false);  // no change
    host->OnActivateApp(true);
    EXPECT_TRUE(f.active);
    EXPECT_TRUE(f.appActive);
    EXPECT_FALSE(f.activationChanged);  // toggled twice

    host->SetSoundManager(nullptr);
    delete sound;
}

TEST_F(AppHostTest, SettingsReachTheHostOnlyThroughTheFacade)
{
    host.reset(new TAppHost("", true));
    float scale = 0;
    // No facade yet: the hook does not run.
    SetSetting("viewportscale", "2.5");
    EXPECT_FALSE(host->GetViewportScale(scale));
    EXPECT_FLOAT_EQ(1.0f, scale);

    TAppHost* raw = host.release();
    {
        TApp app(raw);
        SetSetting("viewportscale", "1.5");
        raw->GetViewportScale(scale);
        EXPECT_FLOAT_EQ(1.5f, scale);
        SetSetting("memorymax", "1234");
        EXPECT_EQ(1234, GetLogMemoryLimit());
        // Texts that make no usable factor leave the scale alone.
        for (const char* bad : {"0", "-2", "abc", "nan", "1e39"})
        {
            SetSetting("viewportscale", bad);
            raw->GetViewportScale(scale);
            EXPECT_FLOAT_EQ(1.5f, scale) << bad;
        }
        // A huge factor still puts the pointer somewhere an int can name.
        ASSERT_TRUE(raw->CreateMainWindow());
        SetSetting("viewportscale", "1e30");
        raw->SetMousePosition(10, -20);
        EXPECT_EQ(INT32_MAX, services.window->warpX);
        EXPECT_EQ(INT32_MIN, services.window->warpY);
    }
    // The facade is gone and took the host with it; the hook is unhooked.
    EXPECT_EQ(nullptr, GetApp());
    SetSetting("viewportscale", "3");
}
