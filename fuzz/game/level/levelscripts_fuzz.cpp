// Runs arbitrary text as one of a level's scripts (the first byte picks
// which: the game's info script, the level info, the layout, or a trade,
// bonus or attraction description) beside small well-formed others, and
// lists, begins and loads the level: every input must end in a loaded
// level or a logged refusal, never a crash or a hang. Scripts run under a
// short time budget and a memory cap.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../../script/ScriptFuzz.h"
#include "core/AssetIndex.h"
#include "core/Log.h"
#include "core/Settings.h"
#include "core/SettingKeys.h"
#include "game/level/GameLogic.h"

namespace
{

const char* const kFiles[] = {
    "assets/scripts/game_logic/game_logic_info.lua", "assets/scripts/levels/level_1_info.lua",
    "assets/scripts/levels/level_1_gr.lua",          "assets/scripts/game_logic/stall/stall_0.lua",
    "assets/scripts/game_logic/bonus/bonus_0.lua",   "assets/scripts/game_logic/attr/attr_0.lua",
};

const char kDescription[] =
    "Main = { id = 0, name = \"\" }\nSprite = { ground = {{\"g\", 1, 2}}, image = {{\"i\", 1, 0, 0}}, anim = {},"
    " particle = {{\"p\", \"q\", 1, 2, 3, 4, 5, 6}} }\nTime = { build = 10 }\n"
    "Money = { build = {1, 2}, profit = {1, 2}, repair = {1, 2}, sell = {1, 2}, pay = {1, 2} }\n"
    "Mana = { build = {1, 2}, repair = {1, 2}, sell = {1, 2} }\nWorker = { build = {1, 2}, repair = {1, 2}, sell = {1, 2} }\n"
    "Good = { store = {1, 2}, sub = {1, 2}, limit = {1, 2}, cost = {1, 2}, build = {1} }\nLucky = { build = {1} }\n"
    "FunCustomer = { cnt = {1, 2} }\nBonus = { type = 8, bonus = {1, 2}, bonus_name = {\"\", \"\"} }\n";

const char* const kBase[] = {
    "gMain = { attr_stall = {0}, trade_stall = {0}, bonus_stall = {0}, protect_stall = {} }\n"
    "gGameObjectCommon = { PassCnt = 1, SumMax = 3, SubMin = -2, SubMax = 2, right_entry = {1, 1}, left_entry = {-1, 1},"
    " star_place = {1, 2}, right_stall_in = {{0, 0, 1, 0}}, locat = {0} }\n"
    "gLuckyBubble = {}\ngGameOverText = { draw_rect = {}, time_flag = {1} }\ngMonsterMana = { x = 1 }\n",
    "Trade = {{}}\nBonus = {{}}\nAttr = {{}}\nMain = { time_min = 1, task = {{5, 1, 1, 0, \"1-0\"}} }\n"
    "Monsters = {{0, 100, 10}}\nCustomer = { price = 1, time = 10, prob = {1} }\n",
    "Entry = { customer = {10, 10}, monster = {30, 30} }\n"
    "LandElement = { {0, \"a:images/b\", 1, 1}, {1, \"a:images/g\", 2, 2}, {2, \"a:images/c\", 5, 5, 1, 1} }\n"
    "Slot = { {20, 20, \"x\", \"y\", 1, 1, 0, 1, 0}, {60, 60, \"x\", \"y\", 0, 0, 0, 0, 1, 1} }\n"
    "Resources = { \"location_0\" }\n",
    kDescription,
    kDescription,
    kDescription,
};

std::string gRoot;

void Write(const char* name, const char* data, size_t size)
{
    const std::string path = gRoot + "/" + name;
    if (FILE* f = std::fopen(path.c_str(), "wb"))
    {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
}

void SetUp()
{
    if (!gRoot.empty()) return;
    char pattern[] = "/tmp/orvelle-levelscripts-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr) std::abort();
    gRoot = made;
    for (const char* dir : {"/assets", "/assets/scripts", "/assets/scripts/game_logic", "/assets/scripts/levels",
                            "/assets/scripts/game_logic/stall", "/assets/scripts/game_logic/bonus",
                            "/assets/scripts/game_logic/attr", "/log"})
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
    const size_t which = data[0] % 6;
    for (size_t i = 0; i < 6; ++i)
    {
        if (i == which)
            Write(kFiles[i], reinterpret_cast<const char*>(data + 1), size - 1);
        else
            Write(kFiles[i], kBase[i], std::char_traits<char>::length(kBase[i]));
    }
    ClearAssetIndex();
    ScanAssetFolder("assets", "");

    FuzzBudget budget{32u << 20};
    lua_setallocator(FuzzBudget::Alloc, &budget);
    {
        TGameLogic level(nullptr, 1);
        std::vector<TString> groups;
        level.ListLevelResources(1, groups);
        level.BeginLevel(1, level.GetLevelLocation());
        level.LoadLevel();
        level.ClearLevel();
    }
    lua_setallocator(nullptr, nullptr);
    return 0;
}
