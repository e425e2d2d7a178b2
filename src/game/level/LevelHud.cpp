// The installed HUD maker and helper, and the stand-ins used until the
// game's wiring installs the real ones.
#include "game/level/LevelHud.h"

#include "game/level/GameObject.h"

namespace
{

ILevelHelper gNoHelper;
ILevelHelper* gHelper = nullptr;
TLevelHudMaker gHudMaker;

}  // namespace

void SetLevelHudMaker(TLevelHudMaker maker)
{
    gHudMaker = std::move(maker);
}

std::unique_ptr<ILevelHud> MakeLevelHud(TGameLogic& level)
{
    std::unique_ptr<ILevelHud> hud;
    if (gHudMaker) hud = gHudMaker(level);
    if (!hud) hud = std::make_unique<ILevelHud>();
    return hud;
}

void SetLevelHelper(ILevelHelper* helper)
{
    gHelper = helper;
}

ILevelHelper& GetLevelHelper()
{
    return gHelper != nullptr ? *gHelper : gNoHelper;
}

void ResetGameLevelGlobals()
{
    gHudMaker = nullptr;
    gHelper = nullptr;
    ResetStallLogs();
}
