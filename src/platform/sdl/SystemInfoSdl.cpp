// The SDL part of the machine's description: the drivers in use.
#include <SDL.h>

#include "platform/SystemInfo.h"

namespace platform
{

void ReadSdlDriverNames(SystemInfo& info)
{
    if (const char* video = SDL_GetCurrentVideoDriver()) info.videoDriver = video;
    if (const char* audio = SDL_GetCurrentAudioDriver()) info.audioDriver = audio;
    // Output opens the default device; backends that cannot name it leave
    // the field empty.
    char* name = nullptr;
    SDL_AudioSpec spec;
    if (SDL_WasInit(SDL_INIT_AUDIO) && SDL_GetDefaultAudioInfo(&name, &spec, 0) == 0 && name)
    {
        info.audioDevice = name;
        SDL_free(name);
    }
}

}  // namespace platform
