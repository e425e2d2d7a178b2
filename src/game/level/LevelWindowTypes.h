// The window types the level library holds, as rows for the game's wiring.
#pragma once

#include <vector>

#include "game/app/WindowTypes.h"

// "GameLogicScreen".
std::vector<TWindowTypeRow> GetLevelWindowTypes();
