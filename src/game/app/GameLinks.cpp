// The installed level and helper, and the stand-ins used until the program
// entry installs the real ones.
#include "game/app/GameHelper.h"
#include "game/app/RunningLevel.h"

namespace
{

IRunningLevel gNoLevel;
IGameHelper gNoHelper;
IRunningLevel* gLevel = nullptr;
IGameHelper* gHelper = nullptr;

}  // namespace

IRunningLevel& GetRunningLevel()
{
    return gLevel != nullptr ? *gLevel : gNoLevel;
}

void SetRunningLevel(IRunningLevel* level)
{
    gLevel = level;
}

IGameHelper& GetGameHelper()
{
    return gHelper != nullptr ? *gHelper : gNoHelper;
}

void SetGameHelper(IGameHelper* helper)
{
    gHelper = helper;
}
