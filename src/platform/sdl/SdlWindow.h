// The SDL main window. The graphics layer draws into it through its
// SDL_Window: GetSdlWindow(window) (null when the window is not open or is
// not an SDL window).
#pragma once

#include <SDL.h>

#include "platform/Window.h"

namespace platform
{

SDL_Window* GetSdlWindow(const Window& window);

}  // namespace platform
