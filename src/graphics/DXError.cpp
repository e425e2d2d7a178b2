// Device error reports.
#include "graphics/DXError.h"

#include "core/Log.h"
#include "graphics/DisplayHandler.h"

GfxResult ReportDXError(GfxResult result, const char* file, int line)
{
    if (result == GFX_E_OUTOFVIDEOMEMORY)
    {
        if (TDisplayHandler* h = GetDisplayHandler()) h->GetHost()->ReportOutOfVideoMemory();
    }
    LogDeviceError(static_cast<unsigned>(result), file, line);
    return result;
}
