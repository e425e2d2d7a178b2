// The SDL event translation table.
#include "platform/sdl/SdlInput.h"

#include "platform/Keys.h"

namespace platform
{

namespace
{

int32_t ScancodeToVirtualKey(SDL_Scancode sc)
{
    if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return 'A' + (sc - SDL_SCANCODE_A);
    if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return '1' + (sc - SDL_SCANCODE_1);
    switch (sc)
    {
        case SDL_SCANCODE_0:
            return '0';
        case SDL_SCANCODE_SEMICOLON:
            return kVkOem1;
        case SDL_SCANCODE_EQUALS:
            return kVkOemPlus;
        case SDL_SCANCODE_COMMA:
            return kVkOemComma;
        case SDL_SCANCODE_MINUS:
            return kVkOemMinus;
        case SDL_SCANCODE_PERIOD:
            return kVkOemPeriod;
        case SDL_SCANCODE_SLASH:
            return kVkOem2;
        case SDL_SCANCODE_GRAVE:
            return kVkOem3;
        case SDL_SCANCODE_LEFTBRACKET:
            return kVkOem4;
        case SDL_SCANCODE_BACKSLASH:
            return kVkOem5;
        case SDL_SCANCODE_RIGHTBRACKET:
            return kVkOem6;
        case SDL_SCANCODE_APOSTROPHE:
            return kVkOem7;
        case SDL_SCANCODE_NONUSBACKSLASH:
            return kVkOem102;
        default:
            return 0;
    }
}

}  // namespace

int32_t SdlKeyToVirtualKey(const SDL_Keysym& key, bool* extended)
{
    bool ext = false;
    int32_t vk = 0;
    SDL_Keycode k = key.sym;
    if (k >= 'a' && k <= 'z')
    {
        vk = 'A' + (k - 'a');
    }
    else if (k >= '0' && k <= '9')
    {
        vk = k;
    }
    else if (k >= SDLK_F1 && k <= SDLK_F12)
    {
        vk = kVkF1 + (k - SDLK_F1);
    }
    else if (k >= SDLK_F13 && k <= SDLK_F24)
    {
        vk = kVkF1 + 12 + (k - SDLK_F13);
    }
    else if (k >= SDLK_KP_1 && k <= SDLK_KP_9)
    {
        vk = kVkNumpad0 + 1 + (k - SDLK_KP_1);
    }
    else
    {
        switch (k)
        {
            case SDLK_BACKSPACE:
                vk = kVkBack;
                break;
            case SDLK_TAB:
                vk = kVkTab;
                break;
            case SDLK_RETURN:
                vk = kVkReturn;
                break;
            case SDLK_ESCAPE:
                vk = kVkEscape;
                break;
            case SDLK_SPACE:
                vk = kVkSpace;
                break;
            case SDLK_LSHIFT:
            case SDLK_RSHIFT:
                vk = kVkShift;
                break;
            case SDLK_LCTRL:
                vk = kVkControl;
                break;
            case SDLK_RCTRL:
                vk = kVkControl;
                ext = true;
                break;
            case SDLK_LALT:
                vk = kVkMenu;
                break;
            case SDLK_RALT:
                vk = kVkMenu;
                ext = true;
                break;
            case SDLK_LGUI:
                vk = kVkLWin;
                ext = true;
                break;
            case SDLK_RGUI:
                vk = kVkRWin;
                ext = true;
                break;
            case SDLK_APPLICATION:
                vk = kVkApps;
                ext = true;
                break;
            case SDLK_PAUSE:
                vk = kVkPause;
                break;
            case SDLK_CAPSLOCK:
                vk = kVkCapital;
                break;
            case SDLK_NUMLOCKCLEAR:
                vk = kVkNumLock;
                ext = true;
                break;
            case SDLK_SCROLLLOCK:
                vk = kVkScroll;
                break;
            case SDLK_PRINTSCREEN:
                vk = kVkSnapshot;
                ext = true;
                break;
            case SDLK_PAGEUP:
                vk = kVkPrior;
                ext = true;
                break;
            case SDLK_PAGEDOWN:
                vk = kVkNext;
                ext = true;
                break;
            case SDLK_END:
                vk = kVkEnd;
                ext = true;
                break;
            case SDLK_HOME:
                vk = kVkHome;
                ext = true;
                break;
            case SDLK_LEFT:
                vk = kVkLeft;
                ext = true;
                break;
            case SDLK_UP:
                vk = kVkUp;
                ext = true;
                break;
            case SDLK_RIGHT:
                vk = kVkRight;
                ext = true;
                break;
            case SDLK_DOWN:
                vk = kVkDown;
                ext = true;
                break;
            case SDLK_INSERT:
                vk = kVkInsert;
                ext = true;
                break;
            case SDLK_DELETE:
                vk = kVkDelete;
                ext = true;
                break;
            case SDLK_KP_0:
                vk = kVkNumpad0;
                break;
            case SDLK_KP_MULTIPLY:
                vk = kVkMultiply;
                break;
            case SDLK_KP_PLUS:
                vk = kVkAdd;
                break;
            case SDLK_KP_COMMA:
                vk = kVkSeparator;
                break;
            case SDLK_KP_MINUS:
                vk = kVkSubtract;
                break;
            case SDLK_KP_PERIOD:
            case SDLK_KP_DECIMAL:
                vk = kVkDecimal;
                break;
            case SDLK_KP_DIVIDE:
                vk = kVkDivide;
                ext = true;
                break;
            case SDLK_KP_ENTER:
                vk = kVkReturn;
                ext = true;
                break;
            case SDLK_SEMICOLON:
                vk = kVkOem1;
                break;
            case SDLK_EQUALS:
                vk = kVkOemPlus;
                break;
            case SDLK_COMMA:
                vk = kVkOemComma;
                break;
            case SDLK_MINUS:
                vk = kVkOemMinus;
                break;
            case SDLK_PERIOD:
                vk = kVkOemPeriod;
                break;
            case SDLK_SLASH:
                vk = kVkOem2;
                break;
            case SDLK_BACKQUOTE:
                vk = kVkOem3;
                break;
            case SDLK_LEFTBRACKET:
                vk = kVkOem4;
                break;
            case SDLK_BACKSLASH:
                vk = kVkOem5;
                break;
            case SDLK_RIGHTBRACKET:
                vk = kVkOem6;
                break;
            case SDLK_QUOTE:
                vk = kVkOem7;
                break;
            default:
                // Keys of other layouts (accented letters and the like) take the
                // code of their position on the US layout.
                vk = ScancodeToVirtualKey(key.scancode);
                break;
        }
    }
    if (extended) *extended = ext;
    return vk;
}

namespace
{

int32_t MouseModifiers(const InputContext& ctx)
{
    return (ctx.shiftDown ? kModShift : 0) | (ctx.controlDown ? kModControl : 0);
}

void TranslateWindowEvent(const SDL_WindowEvent& w, const InputContext& ctx, InputState& st,
                          Message& out)
{
    switch (w.event)
    {
        case SDL_WINDOWEVENT_CLOSE:
            out.signal = WindowSignal::CloseRequest;
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            out.signal = WindowSignal::AppActivated;
            // Stands in for the mouse activation: a click on the inactive window
            // gives the focus with the pointer over it.
            if (!ctx.embedded && st.pointerInside)
            {
                st.activationGuard = true;
                st.activationStamp = ctx.now;
            }
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            out.signal = WindowSignal::AppDeactivated;
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            out.signal = WindowSignal::Minimised;
            break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
            out.signal = WindowSignal::Restored;
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            out.signal = WindowSignal::Exposed;
            out.Add(kEventRedraw, 0, 0, 0, 0);
            st.hoverArmed = false;
            break;
        case SDL_WINDOWEVENT_ENTER:
            st.pointerInside = true;
            break;
        case SDL_WINDOWEVENT_LEAVE:
            st.pointerInside = false;
            st.hoverArmed = false;
            st.leaveArmed = false;
            out.signal = WindowSignal::MouseLeft;
            break;
        default:
            break;
    }
}

void TranslateKeyDown(const SDL_KeyboardEvent& k, const InputContext& ctx, Message& out)
{
    bool extended = false;
    int32_t vk = SdlKeyToVirtualKey(k.keysym, &extended);
    if (vk == 0) return;
    bool control = (k.keysym.mod & KMOD_CTRL) != 0;
    // Alt together with Control is how some layouts type characters; only
    // Alt without Control makes a system key.
    bool alt = (k.keysym.mod & KMOD_ALT) != 0 && !control;
    int32_t mods = (control ? kModControl : 0) | ((k.keysym.mod & KMOD_SHIFT) ? kModShift : 0) |
                   (extended ? kModExtended : 0);
    if (alt)
    {
        if (vk == kVkReturn)
        {
            out.action = HostAction::ToggleFullScreen;
            return;
        }
        if (vk == kVkF1)
        {
            out.action = HostAction::ToggleOverlay;
            return;
        }
        out.Add(kEventKeyDown, 0, 0, vk, mods | kModAlt);
        return;
    }
    if (vk == kVkInsert && (mods & (kModShift | kModControl)) != kModShift) return;
    out.Add(kEventKeyDown, 0, 0, TranslateVirtualKey(vk), mods);
    // These keys type a character of their own, which SDL does not report
    // as text.
    if (int32_t ch = ControlCharacterFor(vk, control, (k.keysym.mod & KMOD_ALT) != 0))
        out.Add(ctx.utf8 ? kEventCharUtf8 : kEventChar, 0, 0, ch, 0);
}

void TranslateKeyUp(const SDL_KeyboardEvent& k, Message& out)
{
    bool extended = false;
    int32_t vk = SdlKeyToVirtualKey(k.keysym, &extended);
    // Releases with Alt held, of Alt itself and of F10 are system keys, which
    // carry nothing for the game.
    bool systemKey = (k.keysym.mod & KMOD_ALT) && !(k.keysym.mod & KMOD_CTRL);
    if (vk == 0 || vk == kVkMenu || vk == kVkF10 || systemKey) return;
    int32_t mods = ((k.keysym.mod & KMOD_CTRL) ? kModControl : 0) |
                   ((k.keysym.mod & KMOD_SHIFT) ? kModShift : 0) | (extended ? kModExtended : 0);
    out.Add(kEventKeyUp, 0, 0, TranslateVirtualKey(vk), mods);
}

void TranslateButton(const SDL_MouseButtonEvent& b, bool down, const InputContext& ctx,
                     InputState& st, Message& out)
{
    int x, y;
    MapToGame(ctx, b.x, b.y, x, y);
    st.mouseX = x;
    st.mouseY = y;
    if (b.button == SDL_BUTTON_RIGHT) out.rightButton = true;
    // Releases of the extra buttons have no event, so they take no part in
    // the guard either.
    if (!down && (b.button == SDL_BUTTON_X1 || b.button == SDL_BUTTON_X2)) return;
    if (!PassesActivationGuard(!down, ctx, st)) return;
    int32_t mods = MouseModifiers(ctx);
    switch (b.button)
    {
        case SDL_BUTTON_LEFT:
            if (down)
                out.Add(kEventLeftDown, x, y, 0, mods);
            else
                out.Add(kEventLeftUp, x, y, 0, 0);
            break;
        case SDL_BUTTON_RIGHT:
            out.Add(kEventButton, x, y, down ? kButtonRightDown : kButtonRightUp, down ? mods : 0);
            break;
        case SDL_BUTTON_MIDDLE:
            out.Add(kEventButton, x, y, down ? kButtonMiddleDown : kButtonMiddleUp,
                    down ? mods : 0);
            break;
        case SDL_BUTTON_X1:
            out.Add(kEventButton, x, y, kButtonExtra1Down, 0);
            break;
        case SDL_BUTTON_X2:
            out.Add(kEventButton, x, y, kButtonExtra2Down, 0);
            break;
        default:
            break;
    }
}

}  // namespace

void ReadModifierState(Uint16 mod, InputContext& ctx)
{
    ctx.shiftDown = (mod & KMOD_SHIFT) != 0;
    ctx.controlDown = (mod & KMOD_CTRL) != 0;
    ctx.altDown = (mod & KMOD_LALT) != 0;
}

void TranslateSdlEvent(const SDL_Event& event, const InputContext& ctx, InputState& st,
                       Message& out)
{
    out.Clear();
    switch (event.type)
    {
        case SDL_QUIT:
            // A termination request from outside (SIGTERM, SIGINT, session end)
            // is a close request that nobody is there to answer: marked so the
            // game ends without asking.
            out.signal = WindowSignal::TerminateRequest;
            break;
        case SDL_WINDOWEVENT:
            TranslateWindowEvent(event.window, ctx, st, out);
            break;
        case SDL_MOUSEMOTION:
        {
            int x, y;
            MapToGame(ctx, event.motion.x, event.motion.y, x, y);
            st.mouseX = x;
            st.mouseY = y;
            st.pointerInside = true;
            st.lastMoveTime = ctx.now;
            out.Add(kEventMouseMove, x, y, 0, 0);
            out.signal = WindowSignal::MouseMoved;
            st.hoverArmed = true;
            st.leaveArmed = true;
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
            TranslateButton(event.button, true, ctx, st, out);
            break;
        case SDL_MOUSEBUTTONUP:
            TranslateButton(event.button, false, ctx, st, out);
            break;
        case SDL_MOUSEWHEEL:
        {
            // Smooth-scrolling devices report turns of less than one notch only
            // in the precise amounts; their sign is the direction, as a small
            // wheel delta is on other systems.
            const SDL_MouseWheelEvent& w = event.wheel;
            int32_t dy = w.y != 0 ? w.y : (w.preciseY > 0.0f ? 1 : (w.preciseY < 0.0f ? -1 : 0));
            bool sideways = w.x != 0 || w.preciseX != 0.0f;
            if (w.direction == SDL_MOUSEWHEEL_FLIPPED) dy = -dy;
            // A purely sideways turn is another message, without an event.
            if (dy == 0 && sideways) break;
            if (!PassesActivationGuard(false, ctx, st)) break;
            out.Add(kEventButton, st.mouseX, st.mouseY,
                    dy > 0 ? kButtonWheelAway : kButtonWheelToward, MouseModifiers(ctx));
            break;
        }
        case SDL_KEYDOWN:
            TranslateKeyDown(event.key, ctx, out);
            break;
        case SDL_KEYUP:
            TranslateKeyUp(event.key, out);
            break;
        case SDL_TEXTINPUT:
            // Alt (without Control) makes system characters, which the game
            // never sees.
            if (!(ctx.altDown && !ctx.controlDown)) AddTextEvents(event.text.text, ctx, st, out);
            break;
        default:
            break;
    }
}

}  // namespace platform
