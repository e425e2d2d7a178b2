// The SDL window on the offscreen driver: it opens hidden at the asked
// size, hands the graphics layer its SDL_Window, and translates events that
// SDL itself delivers.
#include <gtest/gtest.h>

#include <SDL.h>

#include "platform/sdl/SdlWindow.h"

using namespace platform;

TEST(SdlWindow, OpensAndExposesItsSdlWindow)
{
    auto window = CreateSdlWindow();
    EXPECT_EQ(nullptr, GetSdlWindow(*window));
    WindowParams params;
    params.title = "Corvantis";
    ASSERT_TRUE(window->Create(params));
    SDL_Window* sdl = GetSdlWindow(*window);
    ASSERT_NE(nullptr, sdl);
    EXPECT_STREQ("Corvantis", SDL_GetWindowTitle(sdl));
    EXPECT_NE(0u, window->GetId());
    int w = 0, h = 0;
    window->GetClientSize(w, h);
    EXPECT_EQ(480, w);
    EXPECT_EQ(360, h);
    EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_HIDDEN);
    EXPECT_FALSE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_RESIZABLE);
    window->SetClientSize(800, 600);
    window->GetClientSize(w, h);
    EXPECT_EQ(800, w);
    EXPECT_EQ(600, h);
    window->SetTitle("Other");
    EXPECT_STREQ("Other", SDL_GetWindowTitle(sdl));
    window->Destroy();
    EXPECT_FALSE(window->IsOpen());
    EXPECT_EQ(nullptr, GetSdlWindow(*window));
}

TEST(SdlWindow, PolledEventsAreTranslated)
{
    auto window = CreateSdlWindow();
    ASSERT_TRUE(window->Create(WindowParams()));
    InputContext ctx;
    ctx.utf8 = true;
    InputState st;
    Message msg;
    while (window->PollMessage(ctx, st, msg))
    {
        // drain what the window system queued on opening
    }
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = window->GetId();
    e.key.keysym.sym = SDLK_ESCAPE;
    e.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
    ASSERT_EQ(1, SDL_PushEvent(&e));
    SDL_Event t{};
    t.type = SDL_TEXTINPUT;
    t.text.windowID = window->GetId();
    SDL_strlcpy(t.text.text, "h\xC3\xA9", sizeof t.text.text);
    ASSERT_EQ(1, SDL_PushEvent(&t));
    SDL_Event q{};
    q.type = SDL_QUIT;
    ASSERT_EQ(1, SDL_PushEvent(&q));

    ASSERT_TRUE(window->PollMessage(ctx, st, msg));
    ASSERT_EQ(2, msg.count);
    EXPECT_EQ(kEventKeyDown, msg.events[0].type);
    EXPECT_EQ(27, msg.events[0].data);
    EXPECT_EQ(kEventCharUtf8, msg.events[1].type);
    EXPECT_EQ(27, msg.events[1].data);
    ASSERT_TRUE(window->PollMessage(ctx, st, msg));
    ASSERT_EQ(2, msg.count);
    EXPECT_EQ('h', msg.events[0].data);
    EXPECT_EQ(0xE9, msg.events[1].data);
    // A quit from outside the window is a close nobody can answer.
    ASSERT_TRUE(window->PollMessage(ctx, st, msg));
    EXPECT_EQ(WindowSignal::TerminateRequest, msg.signal);

    EXPECT_TRUE(window->SetClipboardText("copied \xE2\x82\xAC"));
    EXPECT_EQ("copied \xE2\x82\xAC", window->GetClipboardText());
}

TEST(SdlWindow, ClosedWindowRefusesQuietly)
{
    auto window = CreateSdlWindow();
    InputContext ctx;
    InputState st;
    Message msg;
    EXPECT_FALSE(window->PollMessage(ctx, st, msg));
    EXPECT_FALSE(window->SetClipboardText("x"));
    EXPECT_EQ("", window->GetClipboardText());
    EXPECT_FALSE(window->SetFullScreen(true));
    window->SetTitle("x");
    window->Raise();
    window->WarpMouse(1, 1);
}
