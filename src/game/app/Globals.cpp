// The game application library's process-wide state put back as the program
// starts with it.
#include "game/app/Globals.h"

#include "game/app/Singleton.h"

void ResetGameAppGlobals()
{
    DestroySingletons();
}
