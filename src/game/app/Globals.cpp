// The game application library's process-wide state put back as the program
// starts with it.
#include "game/app/Globals.h"

#include "game/app/AppEvents.h"
#include "game/app/GameHelper.h"
#include "game/app/MyParticleEmitter.h"
#include "game/app/RunningLevel.h"
#include "game/app/Singleton.h"

void ResetGameAppGlobals()
{
    DestroySingletons();
    SetRunningLevel(nullptr);
    SetGameHelper(nullptr);
    ResetAppEvents();
    SetParticleRandomSeed(0);
}
