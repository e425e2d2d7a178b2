// The game's libraries connected for a run.
#include "game/wiring/GameWiring.h"

#include "game/app/WindowTypes.h"
#include "game/hud/Hud.h"
#include "game/level/LevelWindowTypes.h"
#include "game/level/RunningLevelLink.h"

void WireGame(TGameSetup& setup)
{
    // One link for the whole program: it holds no state of its own, it only
    // forwards to the level logic of the moment.
    static TRunningLevelLink gLevelLink;
    setup.windowTypes = GetAppWindowTypes();
    for (const TWindowTypeRow& row : GetLevelWindowTypes()) setup.windowTypes.push_back(row);
    setup.level = &gLevelLink;
    // Every level's HUD.
    SetLevelHudMaker(MakeGameHud);
    // No helper library offers its object yet: the app's stand-in answers.
    setup.helper = nullptr;
}
