// The graphics library's process-wide state put back as the program starts
// with it.
#include "graphics/Globals.h"

#include "graphics/DisplaySurfaces.h"
#include "graphics/DrawContext.h"
#include "graphics/FontRegistry.h"

void ResetGraphicsGlobals()
{
    TDrawContext::Destroy();
    TDrawContext::ForgetDevice();
    CDisplay::ResetCreatedOnceForTests();
    GetFontRegistry().Clear();
}
