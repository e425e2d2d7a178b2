// Input translation shared by every backend: what one polled message becomes
// (events for the game, a signal for the host's window procedure, an action
// the host must carry out), and the pure rules behind it that need no
// display: the activation-click guard, the character units of the utf8 and
// narrow modes with surrogate pairs, and the hover stillness timer.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/Event.h"

namespace platform
{

// What the translation reads from the host for one message.
struct InputContext
{
    uint32_t now = 0;           // application time, ms
    bool utf8 = false;          // character events are code points (14), else bytes (13)
    bool embedded = false;      // the program runs inside a host page
    bool moviePlaying = false;  // the window manager's movie flags
    bool movieInput = false;
    bool shiftDown = false;  // keyboard state when a message arrives
    bool controlDown = false;
    bool altDown = false;  // Alt as the system key (typed text is dropped)
    // Window pixels to game coordinates: game = (pixel - origin) / scale.
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    int originX = 0;
    int originY = 0;
};

// Translation state the host keeps between messages.
struct InputState
{
    bool activationGuard = false;  // set when a click activates the window
    uint32_t activationStamp = 0;
    uint16_t pendingHighSurrogate = 0;
    bool hoverArmed = false;
    bool leaveArmed = false;
    bool pointerInside = false;
    uint32_t lastMoveTime = 0;  // restarts the hover stillness timer
    int mouseX = 0;             // last pointer position, game coordinates
    int mouseY = 0;
};

// The host's side of a message (its window procedure).
enum class WindowSignal : uint8_t
{
    None,
    CloseRequest,      // the window's close button
    TerminateRequest,  // from outside the window: signal, session end
    AppActivated,
    AppDeactivated,
    Minimised,
    Restored,
    Exposed,
    MouseMoved,
    MouseLeft,
};

// Something the host must do before it can finish the message's event.
enum class HostAction : uint8_t
{
    None,
    ToggleFullScreen,  // Alt+Enter: the event is 19 with the new state, or empty
    ToggleOverlay,     // Alt+F1: no event
};

inline constexpr int kMaxMessageEvents = 40;

struct Message
{
    WindowSignal signal = WindowSignal::None;
    HostAction action = HostAction::None;
    bool rightButton = false;  // a right-button message, kept from embedded hosts
    int count = 0;             // no events: the message gives the empty event
    TEvent events[kMaxMessageEvents];

    void Clear() { *this = Message(); }
    // Appends an event; false (event dropped) when the message is full.
    bool Add(int32_t type, int32_t x, int32_t y, int32_t data, int32_t mods);
};

inline constexpr uint32_t kActivationGuardMs = 400;
inline constexpr uint32_t kHoverMs = 400;

// Whether a mouse-button message may produce its event. A click that has just
// activated the window is swallowed for kActivationGuardMs; button-up
// messages end the guard. While a movie takes the input, nothing passes.
bool PassesActivationGuard(bool buttonUp, const InputContext& ctx, InputState& st);

// Feeds one UTF-16 unit of typed text: appends its character event (type 14
// with the code point; a high surrogate waits for its low half, and a lone
// low half gives nothing). Returns whether an event was added.
bool AddUtf8ModeUnit(uint16_t unit, InputState& st, Message& out);

// Appends the character events of typed UTF-8 text: in utf8 mode one type-14
// event per code point (surrogates written into the text pair up as above),
// in narrow mode one type-13 event per character with its byte value, '?'
// for characters beyond one byte. Malformed bytes are skipped.
void AddTextEvents(std::string_view utf8, const InputContext& ctx, InputState& st, Message& out);

// The character event that typing a control key gives (Enter 13, Ctrl+Enter
// 10, Escape 27, Tab 9, Backspace 8, Ctrl+Backspace 127, Ctrl+letter 1..26),
// or 0 when the key types nothing. Alt keys never type.
int32_t ControlCharacterFor(int32_t vk, bool control, bool alt);

// Hover: when the pointer has been still inside the window for kHoverMs
// while hover tracking is armed, fills the hover event at the pointer and
// restarts the timer. False when no hover is due.
bool CheckHover(const InputContext& ctx, InputState& st, Message& out);

// Window pixels to game coordinates.
void MapToGame(const InputContext& ctx, int px, int py, int& gx, int& gy);

}  // namespace platform
