// The stand-alone display host: platform time, the global asset manager and
// message boxes through the platform layer.
#include "graphics/DisplayHost.h"

#include <cstdlib>

#include "core/AssetManager.h"
#include "core/Log.h"
#include "graphics/DisplayHandler.h"
#include "platform/MessageBox.h"
#include "platform/Time.h"

uint32_t TDisplayHost::GetTime()
{
    return platform::GetTickMs();
}

void TDisplayHost::Sleep(uint32_t ms)
{
    platform::SleepMs(ms);
}

void TDisplayHost::ReleaseAllAssets()
{
    if (TAssetManager* m = GetGlobalAssetManager()) m->ReleaseAll();
}

void TDisplayHost::RestoreAllAssets()
{
    if (TAssetManager* m = GetGlobalAssetManager()) m->RestoreAll();
}

int TDisplayHost::GetAssetCount()
{
    TAssetManager* m = GetGlobalAssetManager();
    return m ? m->GetCount() : 0;
}

void TDisplayHost::ReportOutOfVideoMemory()
{
    if (TDisplayHandler* h = GetDisplayHandler()) h->OutOfVideoMemory();
}

void TDisplayHost::ShowMessage(const char* text, const char* caption)
{
    platform::ShowMessageBox(caption, text);
}

void TDisplayHost::ExitProcess(int code)
{
    LogPrintf("Exiting with code %d", code);
    std::exit(code);
}

void TDisplayHost::PostQuit(int code)
{
    (void)code;
}
