// TGameLogic::LoadLevel: a begun level built from its scripts, in six steps.
#include <algorithm>
#include <climits>

#include "core/Saturate.h"
#include "game/level/GameLogic.h"
#include "game/level/LevelScript.h"
#include "script/LuaTable.h"

namespace
{

using namespace levelscript;

const char kGameInfoFile[] = "scripts/game_logic/game_logic_info.lua";
const char kLevelInfoFile[] = "scripts/levels/level_%d_info.lua";

// The level's settings of one description (its entry of Trade, Bonus or Attr).
void ReadDescriptionSettings(const TLuaTable& entry, SStallDesc& desc)
{
    desc.draft = Flag(entry, "is_draft");
    desc.draftAccess = Flag(entry, "is_draft_access");
    SStallDesc::STimes& t = desc.time;
    t.breakTime = Int(entry, "time_break");
    t.breakRand = Int(entry, "time_break_rand");
    t.sleep = Int(entry, "time_sleep");
    t.sleepRand = Int(entry, "time_sleep_rand", 5000);
    t.offer = Int(entry, "time_pay");
    t.offerRand = Int(entry, "time_pay_rand", 5000);
    if (desc.kind != kStallBonus) return;
    auto& bonus = static_cast<SBonusStallDesc&>(desc);
    bonus.festWait = Int(entry, "fest_time_wait", 500000);
    bonus.festWaitRand = Int(entry, "fest_time_wait_rand", 10);
    bonus.festDuration = Int(entry, "fest_time_do", 10);
    bonus.festDurationRand = Int(entry, "fest_time_do_rand", 10);
}

}  // namespace

void TGameLogic::LoadLevel()
{
    timeFlags_.clear();
    // What a level info without its tables leaves: the defaults, never the
    // previous level's values.
    landWorker_ = 1;
    landMana_ = 100;
    customers_settings_ = SCustomerSettings();
    nextCustomerCheck_ = 0;
    {
        TLevelScript info(kGameInfoFile);
        ReadGameCaptions(info, true);
    }
    LoadDescriptions();
    {
        TLevelScript level(TString::Format(kLevelInfoFile, levelNumber_));
        ReadLevelInfo(level);
    }
    ResolveDescriptionIds();
    LoadLayout();
}

void TGameLogic::ReadLevelInfo(TLevelScript& script)
{
    const std::pair<int32_t, const char*> kinds[] = {{kStallTrade, "Trade"}, {kStallBonus, "Bonus"},
                                                     {kStallAttraction, "Attr"}};
    for (const auto& [kind, name] : kinds)
    {
        const std::unique_ptr<TLuaTable> table = script.Table(name);
        if (!table) continue;
        auto& list = descriptions_[kind];
        for (const TLuaRow& row : TLuaRows(*table, name))
        {
            const size_t i = static_cast<size_t>(row.index - 1);
            if (i >= list.size()) break;
            if (row.table) ReadDescriptionSettings(*row.table, *list[i]);
        }
    }

    if (auto main = script.Table("Main"))
    {
        const int32_t sec = Int(*main, "time_sec");
        GetHud().StartClock(Int(*main, "time_min"), sec);
        const int32_t expSec = Int(*main, "time_exp_sec");
        GetHud().SetExpertTime(Int(*main, "time_exp_min"), expSec);
        if (auto tasks = script.Array(*main, "task", "Main"))
            for (const TLuaRow& row : TLuaRows(*tasks, "Main.task"))
            {
                if (!row.table) continue;
                const TLuaTable& t = *row.table;
                const int length = t.GetCount();
                if (length < 3 || length > 6) continue;
                const int32_t a = length >= 4 ? IntAt(t, 3, -1) : -1;
                const int32_t b = length >= 5 ? IntAt(t, 4, -1) : -1;
                const int32_t c = length >= 6 ? IntAt(t, 5, -1) : -1;
                GetHud().AddTaskCondition(IntAt(t, 1, -1), IntAt(t, 2, -1), t.GetStringAt(length, TString("0-0")), a,
                                          b, c);
            }
        economic_->SetMoney(Int(*main, "start_gold"));
        economic_->SetMana(Int(*main, "start_mana"));
        economic_->SetWorkers(Int(*main, "start_worker"), true);
        landWorker_ = Int(*main, "land_worker", 1);
        landMana_ = Int(*main, "land_mana", 100);
    }

    if (auto story = script.Table("Story", false))
    {
        story_.startCharacter = Int(*story, "start_character");
        story_.startText = Label(*story, "start_text");
        story_.finishCharacter = Int(*story, "finish_character");
        story_.finishText = Label(*story, "finish_text");
        story_.moneyText = Label(*story, "money_text_text");
    }

    if (!restoring_)
        if (auto waves = script.Table("Monsters"))
            for (const TLuaRow& row : TLuaRows(*waves, "Monsters"))
            {
                if (!row.table) continue;
                const TLuaTable& w = *row.table;
                const int32_t spread = IntAt(w, 3);
                // A spread of 0 or less adds nothing to the base time.
                const int64_t extra = spread > 0 ? Random() % spread : 0;
                const int64_t due = ClampToInt32(int64_t{IntAt(w, 2)} + extra);
                SpawnEvent event;
                event.dueTime = static_cast<int32_t>(due);
                event.repeatInterval = IntAt(w, 9, 30000);
                event.type = IntAt(w, 1);
                event.entryIndex = IntAt(w, 4);
                event.manaReward = IntAt(w, 5, 100);
                event.health = IntAt(w, 6, 100);
                event.damage = IntAt(w, 7, 20);
                event.value = IntAt(w, 8, 5000);
                AddSpawnEvent(event);
            }

    if (auto customer = script.Table("Customer"))
    {
        customers_settings_.price = Int(*customer, "price");
        customers_settings_.interval = Int(*customer, "time");
        nextCustomerCheck_ = customers_settings_.interval;
        customers_settings_.weights.clear();
        if (auto prob = script.Array(*customer, "prob", "Customer")) customers_settings_.weights = Ints(*prob, "prob");
    }
}
