// The game's window types: each library above the window system offers the
// rows of the classes it holds, and the main function registers them with
// the window manager under their type names, in the game's fixed order.
#pragma once

#include <vector>

#include "ui/WindowClass.h"

struct TWindowTypeRow
{
    const char* typeName;
    TWindowClassId classId;
};

// The 21 type names in the order they are registered.
const std::vector<const char*>& GetWindowTypeOrder();

// The rows of the app library's own classes.
std::vector<TWindowTypeRow> GetAppWindowTypes();

// Registers with the live window manager, in the order above, every named
// type that rows offer; names no row offers (their library is not built yet)
// are skipped, rows of names outside the order are registered last, in their
// order. Nothing without a window manager.
void RegisterWindowTypes(const std::vector<TWindowTypeRow>& rows);
