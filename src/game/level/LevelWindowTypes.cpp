#include "game/level/LevelWindowTypes.h"

#include "game/level/GameLogicScreen.h"

std::vector<TWindowTypeRow> GetLevelWindowTypes()
{
    return {{"GameLogicScreen", TGameLogicScreen::ClassId()}};
}
