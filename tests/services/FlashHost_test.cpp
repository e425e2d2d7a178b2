// The movie host without a player: Play refuses for every argument set,
// gives up the mouse only for exclusive movies, leaves the cursor alone and
// says once per run why; Stop undoes what a movie would have changed.
#include "services/FlashHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/FileTestSupport.h"
#include "core/Settings.h"

namespace
{

std::vector<std::string> gCalls;
bool gCursorShown = true;

void InstallRecordingHooks()
{
    TFlashHostHooks hooks;
    hooks.releaseMouseCapture = [] { gCalls.push_back("release"); };
    hooks.clearMovieFlags = [](bool exclusive)
    { gCalls.push_back(exclusive ? "clear exclusive" : "clear"); };
    hooks.resetMouseImage = [] { gCalls.push_back("mouse"); };
    hooks.fillRootWindow = [] { gCalls.push_back("fill"); };
    hooks.isSystemCursorShown = [] { return gCursorShown; };
    hooks.showSystemCursor = [](bool shown)
    {
        gCursorShown = shown;
        gCalls.push_back(shown ? "cursor on" : "cursor off");
    };
    SetFlashHostHooks(hooks);
}

size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(FlashHostTest, PlayRefusesEveryArgumentSetAndLogsOnce)
{
    filetest::TempTree tree;
    InstallRecordingHooks();

    // A broken display refuses before anything is said.
    SetSetting("dxbroken", "1");
    {
        TFlashHost host("intro.swf");
        gCalls.clear();
        EXPECT_FALSE(host.Play(false, true, true));
        EXPECT_EQ((std::vector<std::string>{"release"}), gCalls);
    }
    EXPECT_EQ(0u, Count(tree.Log(), "cannot play"));
    SetSetting("dxbroken", "0");

    for (int bits = 0; bits < 8; ++bits)
    {
        const bool loop = bits & 1, start = bits & 2, exclusive = bits & 4;
        gCursorShown = bits % 3 != 0;
        const bool cursorBefore = gCursorShown;
        TFlashHost host("intro.swf");
        gCalls.clear();
        EXPECT_FALSE(host.Play(loop, start, exclusive)) << bits;
        EXPECT_FALSE(host.IsPlaying());
        EXPECT_EQ(exclusive ? std::vector<std::string>{"release"} : std::vector<std::string>{},
                  gCalls)
            << bits;
        EXPECT_EQ(cursorBefore, gCursorShown);

        gCalls.clear();
        host.Stop();
        EXPECT_EQ((std::vector<std::string>{"clear", "mouse", "fill", "mouse",
                                            cursorBefore ? "cursor on" : "cursor off"}),
                  gCalls)
            << bits;
    }
    EXPECT_EQ(1u, Count(tree.Log(), "TFlashHost: movies cannot play on this platform"));
    SetFlashHostHooks(TFlashHostHooks());
}

TEST(FlashHostTest, StopGivesBackTheCursorFlagOfConstruction)
{
    filetest::TempTree tree;
    InstallRecordingHooks();
    gCursorShown = false;
    {
        TFlashHost host("menu.swf");
        EXPECT_EQ("menu.swf", host.GetMovieName());
        gCursorShown = true;  // the game showed its cursor meanwhile
        gCalls.clear();
    }  // the destructor stops
    EXPECT_EQ("cursor off", gCalls.back());
    EXPECT_FALSE(gCursorShown);
    SetFlashHostHooks(TFlashHostHooks());
}
