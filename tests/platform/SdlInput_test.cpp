// The SDL event translation: key codes, modifiers, typed text with
// surrogates, control characters, mouse buttons with the activation guard,
// wheel, hover and the window events.
#include <gtest/gtest.h>

#include <SDL.h>

#include <climits>
#include <limits>
#include <string>
#include <vector>

#include "platform/Keys.h"
#include "platform/sdl/SdlInput.h"

using namespace platform;

namespace
{

SDL_Event Key(Uint32 type, SDL_Keycode sym, Uint16 mod = KMOD_NONE,
              SDL_Scancode sc = SDL_SCANCODE_UNKNOWN)
{
    SDL_Event e{};
    e.type = type;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    e.key.keysym.scancode = sc;
    return e;
}

SDL_Event Button(Uint32 type, Uint8 button, int x = 10, int y = 20)
{
    SDL_Event e{};
    e.type = type;
    e.button.button = button;
    e.button.x = x;
    e.button.y = y;
    return e;
}

SDL_Event Text(const std::string& utf8)
{
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    std::snprintf(e.text.text, sizeof e.text.text, "%s", utf8.c_str());
    return e;
}

SDL_Event WindowEvent(Uint8 which)
{
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = which;
    return e;
}

struct Fixture
{
    InputContext ctx;
    InputState st;
    Message msg;

    Message& Run(const SDL_Event& e)
    {
        TranslateSdlEvent(e, ctx, st, msg);
        return msg;
    }
};

}  // namespace

TEST(SdlInput, KeyDownCodes)
{
    struct Case
    {
        SDL_Keycode sym;
        SDL_Scancode sc;
        int32_t code;
        int32_t mods;  // with no modifier held
    };
    const Case cases[] = {
        {SDLK_a, SDL_SCANCODE_A, 'A', 0},
        {SDLK_z, SDL_SCANCODE_Z, 'Z', 0},
        {SDLK_7, SDL_SCANCODE_7, '7', 0},
        {SDLK_UP, SDL_SCANCODE_UP, kKeyUp, kModExtended},
        {SDLK_DOWN, SDL_SCANCODE_DOWN, kKeyDown, kModExtended},
        {SDLK_LEFT, SDL_SCANCODE_LEFT, kKeyLeft, kModExtended},
        {SDLK_RIGHT, SDL_SCANCODE_RIGHT, kKeyRight, kModExtended},
        {SDLK_PAGEUP, SDL_SCANCODE_PAGEUP, kKeyPageUp, kModExtended},
        {SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN, kKeyPageDown, kModExtended},
        {SDLK_DELETE, SDL_SCANCODE_DELETE, kKeyDelete, kModExtended},
        {SDLK_HOME, SDL_SCANCODE_HOME, kVkHome, kModExtended},
        {SDLK_F5, SDL_SCANCODE_F5, kVkF1 + 4, 0},
        {SDLK_SPACE, SDL_SCANCODE_SPACE, ' ', 0},
        {SDLK_KP_0, SDL_SCANCODE_KP_0, '0', 0},
        {SDLK_KP_9, SDL_SCANCODE_KP_9, '9', 0},
        {SDLK_KP_MULTIPLY, SDL_SCANCODE_KP_MULTIPLY, '*', 0},
        {SDLK_KP_PLUS, SDL_SCANCODE_KP_PLUS, '+', 0},
        {SDLK_KP_COMMA, SDL_SCANCODE_KP_COMMA, '\n', 0},
        {SDLK_KP_MINUS, SDL_SCANCODE_KP_MINUS, '-', 0},
        {SDLK_KP_PERIOD, SDL_SCANCODE_KP_PERIOD, '.', 0},
        {SDLK_KP_DIVIDE, SDL_SCANCODE_KP_DIVIDE, '/', kModExtended},
        {SDLK_SEMICOLON, SDL_SCANCODE_SEMICOLON, ';', 0},
        {SDLK_EQUALS, SDL_SCANCODE_EQUALS, '+', 0},  // equals reads as plus
        {SDLK_COMMA, SDL_SCANCODE_COMMA, ',', 0},
        {SDLK_MINUS, SDL_SCANCODE_MINUS, '-', 0},
        {SDLK_PERIOD, SDL_SCANCODE_PERIOD, '.', 0},
        {SDLK_SLASH, SDL_SCANCODE_SLASH, '/', 0},
        {SDLK_BACKQUOTE, SDL_SCANCODE_GRAVE, '`', 0},
        {SDLK_LEFTBRACKET, SDL_SCANCODE_LEFTBRACKET, '[', 0},
        {SDLK_BACKSLASH, SDL_SCANCODE_BACKSLASH, '\\', 0},
        {SDLK_RIGHTBRACKET, SDL_SCANCODE_RIGHTBRACKET, ']', 0},
        {SDLK_QUOTE, SDL_SCANCODE_APOSTROPHE, '\'', 0},
        // A key of another layout takes its US position's code.
        {0xF6 /* o with diaeresis */, SDL_SCANCODE_SEMICOLON, ';', 0},
        {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, kVkShift, 0},
        {SDLK_RCTRL, SDL_SCANCODE_RCTRL, kVkControl, kModExtended},
    };
    for (const Case& c : cases)
    {
        Fixture f;
        Message& m = f.Run(Key(SDL_KEYDOWN, c.sym, KMOD_NONE, c.sc));
        ASSERT_GE(m.count, 1) << "key " << c.sym;
        EXPECT_EQ(kEventKeyDown, m.events[0].type) << "key " << c.sym;
        EXPECT_EQ(c.code, m.events[0].data) << "key " << c.sym;
        EXPECT_EQ(c.mods, m.events[0].modifiers) << "key " << c.sym;
        EXPECT_EQ(0, m.events[0].x);

        Message& up = f.Run(Key(SDL_KEYUP, c.sym, KMOD_NONE, c.sc));
        ASSERT_EQ(1, up.count) << "key " << c.sym;
        EXPECT_EQ(kEventKeyUp, up.events[0].type);
        EXPECT_EQ(c.code, up.events[0].data);
    }
}

TEST(SdlInput, ModifierBits)
{
    Fixture f;
    Message& m = f.Run(Key(SDL_KEYDOWN, SDLK_LEFT, KMOD_LSHIFT | KMOD_RCTRL));
    ASSERT_GE(m.count, 1);
    EXPECT_EQ(kModShift | kModControl | kModExtended, m.events[0].modifiers);
    EXPECT_EQ(kKeyLeft, m.events[0].data);
}

TEST(SdlInput, AltKeysCarryTheRawCodeAndBitTwo)
{
    Fixture f;
    Message& m = f.Run(Key(SDL_KEYDOWN, SDLK_UP, KMOD_LALT | KMOD_LSHIFT));
    ASSERT_EQ(1, m.count);
    EXPECT_EQ(kVkUp, m.events[0].data);  // untranslated
    EXPECT_EQ(kModAlt | kModShift | kModExtended, m.events[0].modifiers);

    // Alt+Enter and Alt+F1 are host actions with no event of their own.
    Message& enter = f.Run(Key(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT));
    EXPECT_EQ(0, enter.count);
    EXPECT_EQ(HostAction::ToggleFullScreen, enter.action);
    Message& f1 = f.Run(Key(SDL_KEYDOWN, SDLK_F1, KMOD_RALT));
    EXPECT_EQ(0, f1.count);
    EXPECT_EQ(HostAction::ToggleOverlay, f1.action);

    // Releases with Alt, of Alt itself and of F10 give nothing.
    EXPECT_EQ(0, f.Run(Key(SDL_KEYUP, SDLK_a, KMOD_LALT)).count);
    EXPECT_EQ(0, f.Run(Key(SDL_KEYUP, SDLK_LALT, KMOD_NONE)).count);
    EXPECT_EQ(0, f.Run(Key(SDL_KEYUP, SDLK_F10, KMOD_NONE)).count);
}

TEST(SdlInput, ControlAltIsNotASystemKey)
{
    // Control with Alt types characters on some layouts: a plain key event
    // with the control bit, and its text comes through.
    Fixture f;
    Message& m = f.Run(Key(SDL_KEYDOWN, SDLK_q, KMOD_LCTRL | KMOD_RALT));
    ASSERT_EQ(1, m.count);  // no control character either
    EXPECT_EQ('Q', m.events[0].data);
    EXPECT_EQ(kModControl, m.events[0].modifiers);
    EXPECT_EQ(1, f.Run(Key(SDL_KEYUP, SDLK_q, KMOD_LCTRL | KMOD_RALT)).count);
    f.ctx.altDown = true;
    f.ctx.controlDown = true;
    EXPECT_EQ(1, f.Run(Text("@")).count);
    // Alt alone: its text is a system character and gives nothing.
    f.ctx.controlDown = false;
    EXPECT_EQ(0, f.Run(Text("a")).count);
}

TEST(SdlInput, TextTypedWithAltGrReachesTheGame)
{
    // The keyboard state read when the text arrives decides: left Alt is the
    // system key (its text is a system character), right Alt is AltGr on
    // most layouts and types characters of its own.
    struct Case
    {
        Uint16 mod;
        bool typed;
    };
    const Case cases[] = {
        {KMOD_NONE, true},
        {KMOD_LALT, false},
        {KMOD_RALT, true},
        {KMOD_MODE, true},
        {KMOD_LCTRL | KMOD_LALT, true},
        {KMOD_LALT | KMOD_RALT, false},
    };
    for (const Case& c : cases)
    {
        Fixture f;
        f.ctx.utf8 = true;
        ReadModifierState(c.mod, f.ctx);
        Message& m = f.Run(Text("@"));
        EXPECT_EQ(c.typed ? 1 : 0, m.count) << "mod " << c.mod;
    }
    Fixture f;
    ReadModifierState(KMOD_RSHIFT | KMOD_RCTRL, f.ctx);
    EXPECT_TRUE(f.ctx.shiftDown);
    EXPECT_TRUE(f.ctx.controlDown);
    EXPECT_FALSE(f.ctx.altDown);
}

TEST(SdlInput, InsertNeedsShiftAlone)
{
    struct Case
    {
        Uint16 mod;
        bool event;
    };
    const Case cases[] = {
        {KMOD_NONE, false},
        {KMOD_LSHIFT, true},
        {KMOD_LCTRL, false},
        {KMOD_LSHIFT | KMOD_LCTRL, false},
    };
    for (const Case& c : cases)
    {
        Fixture f;
        Message& m = f.Run(Key(SDL_KEYDOWN, SDLK_INSERT, c.mod));
        EXPECT_EQ(c.event ? 1 : 0, m.count) << "mod " << c.mod;
        if (c.event)
        {
            EXPECT_EQ(kKeyInsert, m.events[0].data);
            EXPECT_EQ(kModShift | kModExtended, m.events[0].modifiers);
        }
    }
}

TEST(SdlInput, ControlKeysTypeTheirCharacters)
{
    struct Case
    {
        SDL_Keycode sym;
        Uint16 mod;
        int32_t ch;  // 0: no character event
    };
    const Case cases[] = {
        {SDLK_RETURN, KMOD_NONE, 13},   {SDLK_RETURN, KMOD_LCTRL, 10},
        {SDLK_KP_ENTER, KMOD_NONE, 13}, {SDLK_ESCAPE, KMOD_NONE, 27},
        {SDLK_TAB, KMOD_NONE, 9},       {SDLK_TAB, KMOD_LCTRL, 0},
        {SDLK_BACKSPACE, KMOD_NONE, 8}, {SDLK_BACKSPACE, KMOD_LCTRL, 127},
        {SDLK_a, KMOD_LCTRL, 1},        {SDLK_z, KMOD_RCTRL, 26},
        {SDLK_a, KMOD_NONE, 0},         {SDLK_1, KMOD_LCTRL, 0},
    };
    for (bool utf8 : {false, true})
    {
        for (const Case& c : cases)
        {
            Fixture f;
            f.ctx.utf8 = utf8;
            Message& m = f.Run(Key(SDL_KEYDOWN, c.sym, c.mod));
            ASSERT_GE(m.count, 1);
            EXPECT_EQ(kEventKeyDown, m.events[0].type);
            if (c.ch == 0)
            {
                EXPECT_EQ(1, m.count) << "key " << c.sym;
                continue;
            }
            ASSERT_EQ(2, m.count) << "key " << c.sym;
            EXPECT_EQ(utf8 ? kEventCharUtf8 : kEventChar, m.events[1].type);
            EXPECT_EQ(c.ch, m.events[1].data) << "key " << c.sym;
        }
    }
}

TEST(SdlInput, TextGivesOneEventPerCodePoint)
{
    Fixture f;
    f.ctx.utf8 = true;
    // a, e-acute, euro sign, G clef (beyond 16 bits).
    Message& m = f.Run(Text("a\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E"));
    ASSERT_EQ(4, m.count);
    const int32_t expected[] = {'a', 0xE9, 0x20AC, 0x1D11E};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(kEventCharUtf8, m.events[i].type);
        EXPECT_EQ(expected[i], m.events[i].data);
        EXPECT_EQ(0, m.events[i].modifiers);
    }
    EXPECT_EQ(0, f.st.pendingHighSurrogate);
}

TEST(SdlInput, NarrowModeGivesBytes)
{
    Fixture f;
    Message& m = f.Run(Text("a\xC3\xA9\xE2\x82\xAC"));
    ASSERT_EQ(3, m.count);
    EXPECT_EQ(kEventChar, m.events[0].type);
    EXPECT_EQ('a', m.events[0].data);
    EXPECT_EQ(0xE9, m.events[1].data);
    EXPECT_EQ('?', m.events[2].data);  // beyond one byte
}

TEST(SdlInput, SurrogateHalves)
{
    // Halves spelt one by one (as some input methods deliver them) pair up
    // across messages; a lone low half and a lone high half give nothing.
    Fixture f;
    f.ctx.utf8 = true;
    EXPECT_EQ(0, f.Run(Text("\xED\xA0\xB4")).count);  // high half D834
    EXPECT_EQ(0xD834, f.st.pendingHighSurrogate);
    // A plain character in between does not forget the high half.
    Message& mid = f.Run(Text("x"));
    ASSERT_EQ(1, mid.count);
    EXPECT_EQ('x', mid.events[0].data);
    Message& low = f.Run(Text("\xED\xB4\x9E"));  // low half DD1E
    ASSERT_EQ(1, low.count);
    EXPECT_EQ(0x1D11E, low.events[0].data);
    EXPECT_EQ(0, f.st.pendingHighSurrogate);
    EXPECT_EQ(0, f.Run(Text("\xED\xB4\x9E")).count);  // low half alone
}

TEST(SdlInput, MalformedTextIsSkipped)
{
    Fixture f;
    f.ctx.utf8 = true;
    // A stray continuation byte, a truncated sequence, an overlong form.
    Message& m =
        f.Run(Text("\x80"
                   "b\xC0\xAF"
                   "c\xE2\x82"));
    ASSERT_EQ(2, m.count);
    EXPECT_EQ('b', m.events[0].data);
    EXPECT_EQ('c', m.events[1].data);
}

TEST(SdlInput, MouseButtons)
{
    struct Case
    {
        Uint32 type;
        Uint8 button;
        int32_t eventType;
        int32_t data;
        bool carriesMods;
    };
    const Case cases[] = {
        {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, kEventLeftDown, 0, true},
        {SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, kEventLeftUp, 0, false},
        {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, kEventButton, kButtonRightDown, true},
        {SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, kEventButton, kButtonRightUp, false},
        {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, kEventButton, kButtonMiddleDown, true},
        {SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, kEventButton, kButtonMiddleUp, false},
        {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, kEventButton, kButtonExtra1Down, false},
        {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X2, kEventButton, kButtonExtra2Down, false},
    };
    for (const Case& c : cases)
    {
        Fixture f;
        f.ctx.shiftDown = true;
        f.ctx.controlDown = true;
        Message& m = f.Run(Button(c.type, c.button, 30, 40));
        ASSERT_EQ(1, m.count) << int(c.button);
        EXPECT_EQ(c.eventType, m.events[0].type);
        EXPECT_EQ(c.data, m.events[0].data);
        EXPECT_EQ(30, m.events[0].x);
        EXPECT_EQ(40, m.events[0].y);
        EXPECT_EQ(c.carriesMods ? (kModShift | kModControl) : 0, m.events[0].modifiers);
        EXPECT_EQ(c.button == SDL_BUTTON_RIGHT, m.rightButton);
    }
    Fixture f;
    EXPECT_EQ(0, f.Run(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_X1)).count);
}

TEST(SdlInput, PositionsAreMappedToGameCoordinates)
{
    Fixture f;
    f.ctx.scaleX = 2.0f;
    f.ctx.scaleY = 2.0f;
    f.ctx.originX = 100;
    f.ctx.originY = 0;
    Message& m = f.Run(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 300, 50));
    ASSERT_EQ(1, m.count);
    EXPECT_EQ(100, m.events[0].x);
    EXPECT_EQ(25, m.events[0].y);
    // Left of the picture gives negative coordinates, not a wrapped value.
    Message& left = f.Run(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 50, 0));
    EXPECT_EQ(-25, left.events[0].x);

    // Degenerate scales: none is undefined arithmetic.
    struct Case
    {
        float scale;
        int gx;
    };
    const Case cases[] = {
        {0.0f, 200},
        {-2.0f, 200},
        {std::numeric_limits<float>::quiet_NaN(), 200},
        {std::numeric_limits<float>::infinity(), 200},
        {1e-30f, INT32_MAX},
    };
    for (const Case& c : cases)
    {
        int gx = 0, gy = 0;
        f.ctx.scaleX = c.scale;
        MapToGame(f.ctx, 300, 50, gx, gy);
        EXPECT_EQ(c.gx, gx) << c.scale;
    }
}

TEST(SdlInput, ActivationClickIsSwallowedFor400ms)
{
    Fixture f;
    f.st.pointerInside = true;
    f.ctx.now = 1000;
    Message& act = f.Run(WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED));
    EXPECT_EQ(WindowSignal::AppActivated, act.signal);
    EXPECT_TRUE(f.st.activationGuard);

    f.ctx.now = 1399;
    EXPECT_EQ(0, f.Run(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT)).count);
    EXPECT_EQ(0, f.Run(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT)).count);
    EXPECT_EQ(0, f.Run(
                      []
                      {
                          SDL_Event e{};
                          e.type = SDL_MOUSEWHEEL;
                          e.wheel.y = 1;
                          return e;
                      }())
                     .count);
    // The release ends the guard and comes through itself.
    EXPECT_EQ(1, f.Run(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT)).count);
    EXPECT_FALSE(f.st.activationGuard);
    EXPECT_EQ(1, f.Run(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT)).count);

    // Without a release, the guard lapses after 400 ms.
    f.ctx.now = 5000;
    f.Run(WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED));
    f.ctx.now = 5400;
    EXPECT_EQ(1, f.Run(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT)).count);
}

TEST(SdlInput, ActivationGuardAndMovies)
{
    // A playing movie switches the guard off; its input flag blocks every
    // button, releases included.
    Fixture f;
    f.st.pointerInside = true;
    f.ctx.now = 1000;
    f.Run(WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED));
    f.ctx.moviePlaying = true;
    EXPECT_EQ(1, f.Run(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT)).count);
    f.ctx.movieInput = true;
    EXPECT_EQ(0, f.Run(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT)).count);
    EXPECT_EQ(0, f.Run(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT)).count);

    // Focus coming from the keyboard (pointer elsewhere) or to an embedded
    // game arms no guard.
    Fixture g;
    g.Run(WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED));
    EXPECT_FALSE(g.st.activationGuard);
    Fixture h;
    h.st.pointerInside = true;
    h.ctx.embedded = true;
    h.Run(WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED));
    EXPECT_FALSE(h.st.activationGuard);
}

TEST(SdlInput, Wheel)
{
    struct Case
    {
        Sint32 x, y;
        Uint32 direction;
        int count;
        int32_t code;
        float preciseX = 0, preciseY = 0;
    };
    const Case cases[] = {
        {0, 1, SDL_MOUSEWHEEL_NORMAL, 1, kButtonWheelAway},
        {0, -2, SDL_MOUSEWHEEL_NORMAL, 1, kButtonWheelToward},
        {0, 1, SDL_MOUSEWHEEL_FLIPPED, 1, kButtonWheelToward},
        {0, 0, SDL_MOUSEWHEEL_NORMAL, 1, kButtonWheelToward},  // zero delta
        {3, 0, SDL_MOUSEWHEEL_NORMAL, 0, 0},                   // sideways only
        // Less than a notch: the precise amount gives the direction.
        {0, 0, SDL_MOUSEWHEEL_NORMAL, 1, kButtonWheelAway, 0.0f, 0.25f},
        {0, 0, SDL_MOUSEWHEEL_NORMAL, 1, kButtonWheelToward, 0.0f, -0.25f},
        {0, 0, SDL_MOUSEWHEEL_FLIPPED, 1, kButtonWheelToward, 0.0f, 0.25f},
        {0, 0, SDL_MOUSEWHEEL_NORMAL, 0, 0, 0.5f, 0.0f},  // a little sideways
    };
    for (const Case& c : cases)
    {
        Fixture f;
        f.st.mouseX = 7;
        f.st.mouseY = 8;
        f.ctx.controlDown = true;
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.x = c.x;
        e.wheel.y = c.y;
        e.wheel.direction = c.direction;
        e.wheel.preciseX = c.preciseX;
        e.wheel.preciseY = c.preciseY;
        Message& m = f.Run(e);
        ASSERT_EQ(c.count, m.count);
        if (c.count)
        {
            EXPECT_EQ(kEventButton, m.events[0].type);
            EXPECT_EQ(c.code, m.events[0].data);
            EXPECT_EQ(7, m.events[0].x);
            EXPECT_EQ(kModControl, m.events[0].modifiers);
        }
    }
}

TEST(SdlInput, MoveArmsHoverAndLeaveDisarms)
{
    Fixture f;
    f.ctx.now = 100;
    SDL_Event move{};
    move.type = SDL_MOUSEMOTION;
    move.motion.x = 5;
    move.motion.y = 6;
    Message& m = f.Run(move);
    ASSERT_EQ(1, m.count);
    EXPECT_EQ(kEventMouseMove, m.events[0].type);
    EXPECT_EQ(WindowSignal::MouseMoved, m.signal);
    EXPECT_TRUE(f.st.hoverArmed);

    // Still for less than 400 ms: no hover; at 400 ms: hover at the pointer,
    // and again 400 ms later.
    Message out;
    f.ctx.now = 499;
    EXPECT_FALSE(CheckHover(f.ctx, f.st, out));
    f.ctx.now = 500;
    ASSERT_TRUE(CheckHover(f.ctx, f.st, out));
    EXPECT_EQ(kEventHover, out.events[0].type);
    EXPECT_EQ(5, out.events[0].x);
    EXPECT_EQ(6, out.events[0].y);
    EXPECT_FALSE(CheckHover(f.ctx, f.st, out));
    f.ctx.now = 900;
    EXPECT_TRUE(CheckHover(f.ctx, f.st, out));

    // A redraw and leaving the window both disarm it.
    Message& expose = f.Run(WindowEvent(SDL_WINDOWEVENT_EXPOSED));
    ASSERT_EQ(1, expose.count);
    EXPECT_EQ(kEventRedraw, expose.events[0].type);
    EXPECT_EQ(WindowSignal::Exposed, expose.signal);
    f.ctx.now = 5000;
    EXPECT_FALSE(CheckHover(f.ctx, f.st, out));
    f.Run(move);
    Message& leave = f.Run(WindowEvent(SDL_WINDOWEVENT_LEAVE));
    EXPECT_EQ(WindowSignal::MouseLeft, leave.signal);
    EXPECT_EQ(0, leave.count);
    f.ctx.now = 9000;
    EXPECT_FALSE(CheckHover(f.ctx, f.st, out));
}

TEST(SdlInput, WindowEvents)
{
    struct Case
    {
        Uint32 type;
        Uint8 which;
        WindowSignal signal;
    };
    const Case cases[] = {
        {SDL_WINDOWEVENT, SDL_WINDOWEVENT_CLOSE, WindowSignal::CloseRequest},
        {SDL_QUIT, 0, WindowSignal::TerminateRequest},
        {SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_LOST, WindowSignal::AppDeactivated},
        {SDL_WINDOWEVENT, SDL_WINDOWEVENT_MINIMIZED, WindowSignal::Minimised},
        {SDL_WINDOWEVENT, SDL_WINDOWEVENT_RESTORED, WindowSignal::Restored},
        {SDL_WINDOWEVENT, SDL_WINDOWEVENT_MAXIMIZED, WindowSignal::Restored},
        {SDL_WINDOWEVENT, SDL_WINDOWEVENT_MOVED, WindowSignal::None},
    };
    for (const Case& c : cases)
    {
        Fixture f;
        SDL_Event e{};
        e.type = c.type;
        e.window.event = c.which;
        Message& m = f.Run(e);
        EXPECT_EQ(c.signal, m.signal) << int(c.which);
        EXPECT_EQ(0, m.count);
    }
}

TEST(SdlInput, TEventSetWrapsPositionsToSixteenBits)
{
    TEvent ev;
    ev.Set(kEventMouseMove, 70000, -70000, 3, 4);
    EXPECT_EQ(static_cast<int16_t>(70000 & 0xFFFF), ev.x);
    EXPECT_EQ(static_cast<int16_t>((-70000) & 0xFFFF), ev.y);
    EXPECT_EQ(3, ev.data);
    EXPECT_EQ(4, ev.modifiers);
}
