// The built-in pointer picture: a 32x32 palette PNG carried in the program,
// registered as "__systemcursor__.png" when the assets have none.
#pragma once

extern const unsigned char kSystemCursorPng[];
extern const unsigned kSystemCursorPngSize;

inline constexpr const char* kSystemCursorName = "__systemcursor__.png";
