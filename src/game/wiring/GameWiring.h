// The one place the game's libraries are connected: the program entry and
// the whole-game tests both start the game with what WireGame fills in, so
// the tests run the game as the program does. A library above the app
// library (its window types, a level, a helper) joins the game here and
// nowhere else.
#pragma once

#include "game/app/GameMain.h"

// Sets setup's window-type rows to those of every game library, and its
// level and helper to the ones the game runs with (null: the app's
// do-nothing stand-ins). Leaves the other fields as they are. Never fails.
void WireGame(TGameSetup& setup);
