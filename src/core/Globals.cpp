// The core's process-wide state put back as the program starts with it.
#include "core/Globals.h"

#include "core/Archive.h"
#include "core/AssetIndex.h"
#include "core/AssetManager.h"
#include "core/AssetMap.h"
#include "core/Clock.h"
#include "core/Folders.h"
#include "core/Log.h"
#include "core/MainLoopWatch.h"
#include "core/Prefs.h"
#include "core/Settings.h"

void ResetCoreGlobals()
{
    SetSettingChangeHook(nullptr);
    ClearSettings();
    ClearAssetIndex();
    SetFirstPeekMode(false);
    ClearAssetLoaders();
    ClearPackedArchives();
    SetGlobalAssetManager(nullptr);
    SetUserDataFolder("");
    SetCommonDataFolder("");
    SetDesktopFolder("");
    SetClockTimeSource(nullptr);
    SetLogFolder(nullptr);
    TPrefs::SetSaveHookForTest(nullptr);
    ResetMainLoopWatch();
}
