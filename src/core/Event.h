// TEvent: the record the event fetch hands to the game loop and the window
// manager, with the numbers of its types, modifier bits and special key codes.
#pragma once

#include <cstdint>

enum TEventType : int32_t
{
    kEventIdle = 1,
    kEventEmpty = 2,  // a message was handled with nothing for the game
    kEventClose = 3,  // close request
    kEventQuit = 4,
    kEventLeftDown = 5,
    kEventButton = 6,  // other mouse button or wheel; data is a button code
    kEventLeftUp = 7,
    kEventMouseMove = 8,
    kEventMouseLeave = 9,  // left the window or lost the capture
    kEventHover = 10,
    kEventKeyDown = 11,
    kEventKeyUp = 12,
    kEventChar = 13,      // narrow mode: data is the character byte
    kEventCharUtf8 = 14,  // utf8 mode: data is the code point
    kEventRedraw = 15,
    kEventDisplayModeChanged = 17,
    kEventActivate = 18,          // data 1 active, 0 inactive
    kEventFullScreenToggle = 19,  // data 1 full screen, 0 windowed
};

// Data of kEventClose: 0 for the window's close button, which asks the
// player; kCloseFromOutside for a termination request (signal, session end)
// that nobody can answer, which ends the game without a question.
inline constexpr int32_t kCloseFromOutside = 1;

// Button codes of kEventButton.
enum TButtonCode : int32_t
{
    kButtonRightUp = 0,
    kButtonRightDown = 1,
    kButtonMiddleUp = 2,
    kButtonMiddleDown = 3,
    kButtonExtra1Down = 4,
    kButtonExtra2Down = 5,
    kButtonWheelAway = 6,
    kButtonWheelToward = 7,
};

// Bits of TEvent::modifiers.
enum TEventModifier : int32_t
{
    kModShift = 1,
    kModControl = 2,
    kModAlt = 4,
    kModExtended = 8,
};

// Key codes that differ from the virtual-key code of the key.
enum TKeyCode : int32_t
{
    kKeyUp = -128,
    kKeyDown = -127,
    kKeyLeft = -126,
    kKeyRight = -125,
    kKeyInsert = -124,
    kKeyPageUp = -123,
    kKeyPageDown = -122,
    kKeyDelete = -1,
};

// The keys a dialog answers, as both their key code and their character.
enum TDialogKey : int32_t
{
    kKeyEnter = 13,
    kKeyEscape = 27,
};

struct TEvent
{
    int32_t type = 0;
    int32_t data = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t modifiers = 0;

    // Positions travel as signed 16-bit values, as the window messages carry
    // them; wider values wrap.
    void Set(int32_t eventType, int32_t px, int32_t py, int32_t eventData, int32_t mods)
    {
        type = eventType;
        x = static_cast<int16_t>(static_cast<uint16_t>(px));
        y = static_cast<int16_t>(static_cast<uint16_t>(py));
        data = eventData;
        modifiers = mods;
    }
};
