// The one form of device error report, shared by the display layers.
#pragma once

#include "platform/gfx/Device.h"

// Source names the reports carry.
inline constexpr const char* kDisplayHandlerFile = ".\\dxdisplayhandler.cpp";
inline constexpr const char* kDisplaySurfacesFile = ".\\ddutil.cpp";
inline constexpr const char* kDeviceContextFile = "directx";

// Logs "DX Error: (code), File, Line". An out-of-video-memory result first
// goes to the host's out-of-video-memory report. Returns result.
GfxResult ReportDXError(GfxResult result, const char* file, int line);

// ReportDXError only when result is a failure; returns whether it succeeded.
inline bool CheckDX(GfxResult result, const char* file, int line)
{
    if (!GfxFailed(result)) return true;
    ReportDXError(result, file, line);
    return false;
}
