// SDL events to the framework's messages: a pure translation (no window,
// no SDL state read) so that every rule can be tested with hand-made events.
#pragma once

#include <SDL.h>

#include "platform/Input.h"

namespace platform
{

// The virtual-key code of a key (letters upper case, digits as characters,
// punctuation as the OEM codes of its US-layout position), or 0 for keys
// the game has no code for. extended reports the keys that carry the
// extended-key bit (arrows and the block above them, right Control and Alt,
// the pad's Enter and divide).
int32_t SdlKeyToVirtualKey(const SDL_Keysym& key, bool* extended);

// The keyboard state a message is translated with, from SDL's modifier
// state: Shift, Control, and Alt as the system key. Right Alt does not count
// as Alt here: on most layouts it is AltGr, whose typed characters ('@', '{',
// the euro sign...) must reach the game as text. Never fails.
void ReadModifierState(Uint16 mod, InputContext& ctx);

// Translates one SDL event. The message is cleared first. Mouse positions
// are mapped to game coordinates with ctx.
void TranslateSdlEvent(const SDL_Event& event, const InputContext& ctx, InputState& st,
                       Message& out);

}  // namespace platform
