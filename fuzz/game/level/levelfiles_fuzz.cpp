// Runs arbitrary script text (under an instruction budget and a memory cap)
// and reads its tables as a level layout and a walk grid: every input must
// end in a read or a refusal, never a crash or a hang. A layout that reads
// and can be written, with its entries on the grid, must read back from its
// own text to that same text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "../../script/ScriptFuzz.h"
#include "game/level/LevelFiles.h"
#include "game/level/WalkGrid.h"
#include "script/LuaTable.h"
#include "script/Script.h"

namespace
{

bool EntriesOnTheGrid(const TLevelLayout& layout)
{
    for (const auto* list : {&layout.customerEntries, &layout.monsterEntries})
        for (const TGridCell& cell : *list)
            if (cell.column < 0 || cell.column >= WalkGrid::kColumns || cell.row < 0 ||
                cell.row >= WalkGrid::kRows)
                return false;
    return true;
}

// Runs text in a fresh script and reads its layout; the pass table too when
// grid is given.
bool Read(const std::string& text, TLevelLayout& layout, WalkGrid* grid)
{
    TScript script;
    if (!script.GetState()) return false;
    lua_sethook(script.GetState(), FuzzStopAfterBudget, LUA_MASKCOUNT, 20000);
    script.DoLuaString(TString(text.data(), static_cast<int>(text.size())),
                       static_cast<int>(text.size()));
    if (grid)
    {
        const std::unique_ptr<TLuaTable> pass(script.GetGlobalTable("Pass"));
        if (pass) grid->ReadPass(*pass);
    }
    return ReadLevelLayout(script, "fuzz", layout);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Precompiled chunks belong to the chunk reader's target.
    if (size > 65536 || (size > 0 && data[0] == 27)) return 0;
    FuzzBudget budget{32u << 20};
    lua_setallocator(FuzzBudget::Alloc, &budget);
    {
        WalkGrid grid;
        TLevelLayout layout;
        std::string written;
        const bool read =
            Read(std::string(reinterpret_cast<const char*>(data), size), layout, &grid);
        (void)BuildPassText(grid);
        if (read && BuildLayoutText(layout, written) && EntriesOnTheGrid(layout))
        {
            TLevelLayout back;
            std::string again;
            if (!Read(written, back, nullptr) || !BuildLayoutText(back, again) || again != written)
            {
                // Only running out of memory may excuse a failed read-back.
                if (budget.inUse < budget.cap / 2)
                {
                    std::fprintf(stderr, "layout text does not read back:\n%s\n", written.c_str());
                    std::abort();
                }
            }
        }
    }
    lua_setallocator(nullptr, nullptr);
    return 0;
}
