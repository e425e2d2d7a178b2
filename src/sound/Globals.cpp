// The sound library's process-wide state put back as the program starts
// with it.
#include "sound/Globals.h"

#include "sound/SoundManager.h"

void ResetSoundGlobals()
{
    TSoundManager::SetOutOfMemoryHandler(nullptr);
}
