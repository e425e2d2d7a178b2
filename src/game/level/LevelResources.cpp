// TGameLogic::ListLevelResources: the resource groups a level needs, worked
// out from its scripts, with the description files it uses and its location.
#include <algorithm>
#include <cctype>

#include "core/Log.h"
#include "game/level/GameLogic.h"
#include "game/level/LevelFiles.h"
#include "game/level/LevelScript.h"
#include "script/LuaTable.h"

namespace
{

using namespace levelscript;

const char* const kFixedGroups[] = {"helper",       "game_over",        "game_logic_common", "hud",
                                    "effect",       "window_audio",     "game_logic_audio",  "core_audio"};
const char* const kStallGroups[3] = {"attr_stall_%d", "trade_stall_%d", "bonus_stall_%d"};

}  // namespace

void TGameLogic::ListLevelResources(int32_t levelNumber, std::vector<TString>& groups)
{
    for (const char* group : kFixedGroups) groups.emplace_back(group);
    for (auto& use : stallUse_) use.clear();
    levelLocation_ = 0;

    {
        TLevelScript info(TString::Format("scripts/levels/level_%d_info.lua", levelNumber));
        const std::pair<int32_t, const char*> kinds[] = {
            {kStallAttraction, "Attr"}, {kStallTrade, "Trade"}, {kStallBonus, "Bonus"}};
        for (const auto& [kind, name] : kinds)
        {
            const std::unique_ptr<TLuaTable> table = info.Table(name);
            if (!table) continue;
            std::vector<int32_t>& use = stallUse_[static_cast<size_t>(kind)];
            for (const TLuaRow& row : TLuaRows(*table, name))
            {
                use.push_back(0);
                const bool draft = row.table && Flag(*row.table, "is_draft");
                const bool access = row.table && Flag(*row.table, "is_draft_access");
                // A draft the player may not buy is not loaded.
                if (draft && !access) continue;
                groups.push_back(TString::Format(kStallGroups[kind], row.index - 1));
                use.back() = 1;
            }
        }
        if (auto customer = info.Table("Customer"))
            if (auto prob = info.Array(*customer, "prob", "Customer"))
                for (const TLuaRow& row : TLuaRows(*prob, "Customer.prob"))
                    if (prob->GetIntAt(row.index) != 0) groups.push_back(TString::Format("customer_%d", row.index - 1));
        if (auto waves = info.Table("Monsters"))
        {
            std::vector<int32_t> seen;
            for (const TLuaRow& row : TLuaRows(*waves, "Monsters"))
            {
                const int32_t type = row.table ? IntAt(*row.table, 1) : 0;
                if (std::find(seen.begin(), seen.end(), type) != seen.end()) continue;
                seen.push_back(type);
                groups.push_back(TString::Format("monster_%d", type));
            }
        }
        for (int i = 0; i < 4; ++i) groups.push_back(TString::Format("employee_%d", i));
    }

    TLevelScript layout(LevelLayoutFileName(kShippedLevelFolder, levelNumber));
    if (auto resources = layout.Table("Resources"))
        for (const TLuaRow& row : TLuaRows(*resources, "Resources"))
        {
            const TString group = TextAt(*resources, row.index);
            if (row.index == 1 && !group.IsEmpty())
            {
                // The location is the first group's last digit (0 for none).
                const char last = group.CStr()[group.Length() - 1];
                levelLocation_ = std::isdigit(static_cast<unsigned char>(last)) ? last - '0' : 0;
            }
            groups.push_back(group);
        }
    if (auto slots = layout.Table("Slot"))
        for (const TLuaRow& row : TLuaRows(*slots, "Slot"))
        {
            if (!row.table) continue;
            const TLevelLayout::SSlotRow values = ReadSlotRow(*row.table);
            if (!values.hasStall) continue;
            const int32_t kind = values.stallKind;
            const int32_t id = values.stallNumber;
            if (kind < 0 || kind > 2 || id < 0 || static_cast<size_t>(id) >= stallUse_[static_cast<size_t>(kind)].size())
            {
                layout.Log(TString::Format("the stall of kind %d and id %d is not offered by the level; skipped", kind,
                                           id));
                continue;
            }
            stallUse_[static_cast<size_t>(kind)][static_cast<size_t>(id)] = 1;
            groups.push_back(TString::Format(kStallGroups[kind], id));
        }
}
