// The game's window types: one table (WindowTypes.cpp) names every type in
// the game's fixed order and holds the app library's classes; each library
// above the app offers the rows of the classes it holds, and the game's
// wiring registers them all with the window manager in the table's order.
#pragma once

#include <vector>

#include "ui/WindowClass.h"

struct TWindowTypeRow
{
    const char* typeName;
    TWindowClassId classId;
};

// The table's type names (21), in the order they are registered.
const std::vector<const char*>& GetWindowTypeOrder();

// The table's rows of the app library's own classes, in its order.
std::vector<TWindowTypeRow> GetAppWindowTypes();

// Registers with the live window manager, in the order above, every named
// type that rows offer; names no row offers (their library is not built yet)
// are skipped, rows of names outside the order are registered last, in their
// order. Nothing without a window manager.
void RegisterWindowTypes(const std::vector<TWindowTypeRow>& rows);
