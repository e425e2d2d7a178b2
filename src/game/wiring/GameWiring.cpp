// The game's libraries connected for a run.
#include "game/wiring/GameWiring.h"

#include "game/app/WindowTypes.h"

void WireGame(TGameSetup& setup)
{
    setup.windowTypes = GetAppWindowTypes();
    // No level or helper library offers its object yet: the app's stand-ins
    // answer until one does.
    setup.level = nullptr;
    setup.helper = nullptr;
}
