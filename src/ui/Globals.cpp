// The window system's process-wide state put back as the program starts
// with it.
#include "ui/Globals.h"

#include "ui/MovieHost.h"
#include "ui/Window.h"
#include "ui/WindowAppLink.h"
#include "ui/WindowManager.h"

void ResetUiGlobals()
{
    ResetWindowIdCounter();
    SetSwallowNextChar(false);
    SetWindowAppLink(nullptr);
    SetWindowScriptHook(nullptr);
    SetMovieHostFactory(nullptr);
}
