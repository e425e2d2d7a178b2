// Feeds arbitrary bytes to the input translation as a stream of SDL events
// (typed text, keys, buttons, wheel, window events) and to the command-line
// readers, checking that every event stays within its message.
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "host/CommandLine.h"
#include "platform/sdl/SdlInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    platform::InputContext ctx;
    platform::InputState st;
    platform::Message msg;
    size_t i = 0;
    while (i + 8 <= size)
    {
        const uint8_t* p = data + i;
        i += 8;
        SDL_Event e;
        std::memset(&e, 0, sizeof e);
        ctx.now += p[7];
        ctx.utf8 = (p[6] & 1) != 0;
        ctx.moviePlaying = (p[6] & 2) != 0;
        ctx.movieInput = (p[6] & 4) != 0;
        ctx.shiftDown = (p[6] & 8) != 0;
        ctx.scaleX = (p[6] & 16) ? 0.0f : 1.5f;
        switch (p[0] % 8)
        {
            case 0:
            {
                e.type = SDL_TEXTINPUT;
                size_t n = p[1] % sizeof e.text.text;
                if (n > size - i) n = size - i;
                std::memcpy(e.text.text, data + i, n);
                e.text.text[sizeof e.text.text - 1] = '\0';
                i += n;
                break;
            }
            case 1:
            case 2:
                e.type = p[0] % 8 == 1 ? SDL_KEYDOWN : SDL_KEYUP;
                e.key.keysym.sym =
                    static_cast<SDL_Keycode>(p[1] | (p[2] << 8) | ((p[3] & 0x40) << 24));
                e.key.keysym.scancode = static_cast<SDL_Scancode>(p[4] % SDL_NUM_SCANCODES);
                e.key.keysym.mod = static_cast<Uint16>(p[5] | (p[3] << 8));
                break;
            case 3:
            case 4:
                e.type = p[0] % 8 == 3 ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
                e.button.button = p[1];
                e.button.x = static_cast<int16_t>(p[2] | (p[3] << 8)) * 4096;
                e.button.y = static_cast<int16_t>(p[4] | (p[5] << 8));
                break;
            case 5:
                e.type = SDL_MOUSEWHEEL;
                e.wheel.x = static_cast<int8_t>(p[1]);
                e.wheel.y = static_cast<int8_t>(p[2]);
                e.wheel.direction = p[3] & 1;
                break;
            case 6:
                e.type = SDL_WINDOWEVENT;
                e.window.event = p[1];
                break;
            default:
                e.type = SDL_MOUSEMOTION;
                e.motion.x = static_cast<int16_t>(p[1] | (p[2] << 8));
                e.motion.y = static_cast<int16_t>(p[3] | (p[4] << 8));
                break;
        }
        platform::TranslateSdlEvent(e, ctx, st, msg);
        if (msg.count < 0 || msg.count > platform::kMaxMessageEvents) __builtin_trap();
        platform::CheckHover(ctx, st, msg);
    }

    std::string text(reinterpret_cast<const char*>(data), size);
    TString cmd(text.c_str());
    ParseOptions(cmd);
    CheatCodeOf(cmd);
    WordAfterSwitch(cmd, "-url=");
    return 0;
}
