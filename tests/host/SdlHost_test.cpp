// The host over the real SDL window (offscreen driver): events SDL itself
// delivers travel through the fetch to the game's events.
#include <gtest/gtest.h>

#include <SDL.h>

#include "HostFakes.h"
#include "host/GetNextEvent.h"
#include "platform/sdl/SdlWindow.h"

using namespace hostfakes;

namespace
{

class SdlHostTest : public BareHostTest
{
protected:
    void SetUp() override
    {
        BareHostTest::SetUp();
        GetFrameworkServices().makeWindow = nullptr;  // the SDL window
        host.reset(new TAppHost("", true));
        ASSERT_TRUE(host->CreateMainWindow());
        host->firstFetchDone = true;
        sdl = platform::GetSdlWindow(*host->GetWindow());
        ASSERT_NE(nullptr, sdl);
        // Whatever the window system queued on opening.
        for (int i = 0; i < 50 && Fetch().type != kEventIdle; ++i)
        {
        }
    }
    void Push(SDL_Event e) { ASSERT_EQ(1, SDL_PushEvent(&e)); }

    SDL_Window* sdl = nullptr;
};

}  // namespace

TEST_F(SdlHostTest, CloseRequestBecomesTheCloseEvent)
{
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SDL_GetWindowID(sdl);
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    Push(e);
    EXPECT_EQ(kEventEmpty, Fetch().type);
    EXPECT_EQ(kEventClose, Fetch().type);
    EXPECT_EQ(kEventIdle, Fetch().type);
    // The window stays: the game decides what a close means.
    EXPECT_TRUE(host->GetWindow()->IsOpen());
}

TEST_F(SdlHostTest, TypedTextAndKeysInUtf8Mode)
{
    host->utf8 = true;
    SDL_Event k{};
    k.type = SDL_KEYDOWN;
    k.key.windowID = SDL_GetWindowID(sdl);
    k.key.keysym.sym = SDLK_BACKSPACE;
    k.key.keysym.scancode = SDL_SCANCODE_BACKSPACE;
    Push(k);
    SDL_Event t{};
    t.type = SDL_TEXTINPUT;
    t.text.windowID = SDL_GetWindowID(sdl);
    SDL_strlcpy(t.text.text, "\xF0\x9F\x98\x80!", sizeof t.text.text);
    Push(t);

    TEvent ev = Fetch();
    EXPECT_EQ(kEventKeyDown, ev.type);
    EXPECT_EQ(8, ev.data);
    ev = Fetch();
    EXPECT_EQ(kEventCharUtf8, ev.type);
    EXPECT_EQ(8, ev.data);
    ev = Fetch();
    EXPECT_EQ(kEventCharUtf8, ev.type);
    EXPECT_EQ(0x1F600, ev.data);
    ev = Fetch();
    EXPECT_EQ('!', ev.data);
}

TEST_F(SdlHostTest, DisplayModeSizesTheWindowAndQuitEnds)
{
    host->SetDisplayMode(800, 600, false);
    int w = 0, h = 0;
    SDL_GetWindowSize(sdl, &w, &h);
    EXPECT_EQ(800, w);
    EXPECT_EQ(600, h);
    EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_SHOWN);
    EXPECT_EQ(kEventDisplayModeChanged, Fetch().type);
    host->PostQuit(0);
    TEvent ev;
    for (int i = 0; i < 50 && ev.type != kEventQuit; ++i) ev = Fetch();
    EXPECT_EQ(kEventQuit, ev.type);
}
