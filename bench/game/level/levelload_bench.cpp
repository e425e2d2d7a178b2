// The level data loaders over the shipped level 1: ListLevelResources,
// BeginLevel and LoadLevel, against a baseline in the same run that begins
// the level the same way and runs the same thirteen script files (the two
// level files twice, the game's info script, the eight descriptions), each
// in a fresh script, without reading a table: what is left is the loaders'
// own cost (reading, labels, descriptions, slots, elements, stalls).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "core/AssetIndex.h"
#include "core/Log.h"
#include "core/StringTable.h"
#include "game/level/GameLogic.h"
#include "script/Script.h"
#include "ui/WindowAppLink.h"

namespace
{

// A stall that only stands there.
class TStandingStall : public TLevelStall
{
public:
    void Update() override {}
    void Draw() override {}
    void CreateSprites(int32_t stallId, int32_t px, int32_t py) override
    {
        id = stallId;
        x = px;
        y = py;
    }
    void SetPosition(int32_t px, int32_t py) override
    {
        x = px;
        y = py;
        depth = py + 2;
    }
    void Work(bool) override {}
};

class TStallFactory : public ILevelFactory
{
public:
    std::unique_ptr<TLevelStall> MakeStall(ILevelContext&, int32_t, const SStallDesc&) override
    {
        return std::make_unique<TStandingStall>();
    }
    std::unique_ptr<TLevelWalker> MakeWalker(ILevelContext&, int32_t, int32_t, int32_t) override { return nullptr; }
    std::unique_ptr<TLevelManaDrop> MakeManaDrop(ILevelContext&) override { return nullptr; }
    std::unique_ptr<TLevelLightning> MakeLightning(ILevelContext&) override { return nullptr; }
    std::unique_ptr<TLevelWorkerFigure> MakeWorkerFigure(ILevelContext&, int32_t, int32_t, int32_t, TClock&) override
    {
        return nullptr;
    }
};

class TStringsLink : public TWindowAppLink
{
public:
    TStringTable* GetStringTable() const override { return const_cast<TStringTable*>(&strings); }
    TStringTable strings;
};

TStringsLink& Setup()
{
    static TStringsLink link;
    static bool done = false;
    if (!done)
    {
        done = true;
        std::filesystem::create_directories("/tmp/orvelle-bench-log");
        SetLogFolder("/tmp/orvelle-bench-log");
        std::filesystem::current_path(ORVELLE_SOURCE_DIR);
        ClearAssetIndex();
        ScanAssetFolder("assets", "");
        link.strings.LoadFile("strings.xml");
        SetWindowAppLink(&link);
    }
    return link;
}

const char* const kFiles[] = {
    "scripts/levels/level_1_info.lua",       "scripts/levels/level_1_gr.lua",
    "scripts/game_logic/game_logic_info.lua", "scripts/game_logic/stall/stall_0.lua",
    "scripts/game_logic/stall/stall_1.lua",   "scripts/game_logic/stall/stall_2.lua",
    "scripts/game_logic/bonus/bonus_0.lua",   "scripts/game_logic/bonus/bonus_1.lua",
    "scripts/game_logic/bonus/bonus_2.lua",   "scripts/game_logic/attr/attr_0.lua",
    "scripts/game_logic/attr/attr_1.lua",     "scripts/levels/level_1_info.lua",
    "scripts/levels/level_1_gr.lua",
};

void BM_LoadLevel(benchmark::State& state)
{
    Setup();
    TGameLogic level(std::make_unique<TStallFactory>(), 1);
    std::vector<TString> groups;
    for (auto _ : state)
    {
        groups.clear();
        level.ListLevelResources(1, groups);
        level.BeginLevel(1, level.GetLevelLocation());
        level.LoadLevel();
        benchmark::DoNotOptimize(level.GetSlotCount());
    }
    if (level.GetStallCount() != 3 || level.GetSlotCount() != 6) state.SkipWithError("the sample level did not load");
}
BENCHMARK(BM_LoadLevel)->Unit(benchmark::kMicrosecond);

void BM_RunTheFilesOnly(benchmark::State& state)
{
    Setup();
    TGameLogic level(std::make_unique<TStallFactory>(), 1);
    for (auto _ : state)
    {
        level.BeginLevel(1, 0);
        for (const char* name : kFiles)
        {
            TScript script;
            benchmark::DoNotOptimize(script.RunScript(name));
        }
    }
}
BENCHMARK(BM_RunTheFilesOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
