// Virtual-key codes (the numbering the game's key handling was written for)
// and their translation into the framework's key codes.
#pragma once

#include <cstdint>

namespace platform
{

// The virtual-key numbers the backends produce for physical keys.
enum VirtualKey : int32_t
{
    kVkBack = 0x08,
    kVkTab = 0x09,
    kVkReturn = 0x0D,
    kVkShift = 0x10,
    kVkControl = 0x11,
    kVkMenu = 0x12,  // Alt
    kVkPause = 0x13,
    kVkCapital = 0x14,
    kVkEscape = 0x1B,
    kVkSpace = 0x20,
    kVkPrior = 0x21,  // Page Up
    kVkNext = 0x22,   // Page Down
    kVkEnd = 0x23,
    kVkHome = 0x24,
    kVkLeft = 0x25,
    kVkUp = 0x26,
    kVkRight = 0x27,
    kVkDown = 0x28,
    kVkSnapshot = 0x2C,
    kVkInsert = 0x2D,
    kVkDelete = 0x2E,
    kVkLWin = 0x5B,
    kVkRWin = 0x5C,
    kVkApps = 0x5D,
    kVkNumpad0 = 0x60,  // to 0x69
    kVkMultiply = 0x6A,
    kVkAdd = 0x6B,
    kVkSeparator = 0x6C,
    kVkSubtract = 0x6D,
    kVkDecimal = 0x6E,
    kVkDivide = 0x6F,
    kVkF1 = 0x70,  // to F24 = 0x87
    kVkF4 = 0x73,
    kVkF10 = 0x79,
    kVkNumLock = 0x90,
    kVkScroll = 0x91,
    kVkOem1 = 0xBA,  // ; on a US layout
    kVkOemPlus = 0xBB,
    kVkOemComma = 0xBC,
    kVkOemMinus = 0xBD,
    kVkOemPeriod = 0xBE,
    kVkOem2 = 0xBF,  // /
    kVkOem3 = 0xC0,  // `
    kVkOem4 = 0xDB,  // [
    kVkOem5 = 0xDC,  // backslash
    kVkOem6 = 0xDD,  // ]
    kVkOem7 = 0xDE,  // '
    kVkOem102 = 0xE2,
};

// The key code of a key event without Alt: arrows, Insert, Page Up/Down and
// Delete become the negative codes, the numeric pad and the punctuation keys
// their characters; every other virtual key is its own code. Never fails.
int32_t TranslateVirtualKey(int32_t vk);

}  // namespace platform
