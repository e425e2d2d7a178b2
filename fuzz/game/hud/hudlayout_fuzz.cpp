// Runs arbitrary text as the HUD's layout script "scripts/game_logic/hud.lua"
// (the first byte picks the level number, for the title plates) and builds a
// level's HUD from it, then drives it a little: the clock, a frame, presses,
// hovers and tab changes. Every input must end in a HUD built from whatever
// the script gave (defaults for the rest), never a crash or a hang. Scripts
// run under a short time budget and a memory cap.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../../script/ScriptFuzz.h"
#include "core/AssetIndex.h"
#include "core/Log.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "game/hud/Hud.h"
#include "game/level/GameLogic.h"

namespace
{

std::string gRoot;

void SetUp()
{
    if (!gRoot.empty()) return;
    char pattern[] = "/tmp/orvelle-hudlayout-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr) std::abort();
    gRoot = made;
    for (const char* dir : {"/assets", "/assets/scripts", "/assets/scripts/game_logic", "/log"})
        (void)mkdir((gRoot + dir).c_str(), 0755);
    if (chdir(gRoot.c_str()) != 0) std::abort();
    SetLogFolder((gRoot + "/log").c_str());
    // A script that loops stops within a few milliseconds.
    SetSetting(kSettingScriptTimeBudget, "0.02");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Precompiled chunks belong to the chunk reader's target.
    if (size < 1 || size > 65536 || (size > 1 && data[1] == 27)) return 0;
    SetUp();
    if (FILE* f = std::fopen("assets/scripts/game_logic/hud.lua", "wb"))
    {
        std::fwrite(data + 1, 1, size - 1, f);
        std::fclose(f);
    }
    ClearAssetIndex();
    ScanAssetFolder("assets", "");

    FuzzBudget budget{32u << 20};
    lua_setallocator(FuzzBudget::Alloc, &budget);
    SetLevelHudMaker(MakeGameHud);
    {
        TGameLogic level(nullptr, 1);
        level.BeginLevel(static_cast<int32_t>(data[0] % 64), 0);
        ILevelHud& hud = level.GetHud();
        hud.StartClock(0, data[0] % 3);
        hud.SetExpertTime(0, 1);
        hud.UpdateClock();
        hud.Update();
        for (int32_t y : {10, 500, 560})
            for (int32_t x : {20, 400, 700})
            {
                hud.OnMouseMove(x, y);
                hud.OnMouseDown(x, y);
                hud.OnMouseUp(x, y);
            }
        for (int32_t tab : {1, 2, 5, 6, 8, 9, 0}) hud.SelectTab(tab, tab == 0);
        hud.Update();
        hud.Draw();
        level.ClearLevel();
    }
    SetLevelHudMaker(nullptr);
    lua_setallocator(nullptr, nullptr);
    return 0;
}
