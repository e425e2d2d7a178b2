// Reads arbitrary bytes as every list text of a saved level, then writes
// what was read and reads it again: the second writing must equal the
// first (what the game writes, it reads back unchanged).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "game/app/LevelSnapshot.h"

namespace
{

TString WriteAll(const LevelSnapshot& s)
{
    return SlotListText(s) + "|" + GameObjectListText(s) + "|" + PayDraftListText(s) + "|" +
           TaskListText(s.tradeTasks) + "|" + MonsterListText(s) + "|" + MonsterKillText(s);
}

void ReadAll(const TString& text, LevelSnapshot& s)
{
    ReadSlotList(text, s);
    ReadGameObjectList(text, s);
    ReadPayDraftList(text, s);
    ReadTaskList(text, s.tradeTasks);
    ReadMonsterList(text, s);
    ReadMonsterKills(text, s);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 16) return 0;
    const TString text(reinterpret_cast<const char*>(data), static_cast<int>(size));
    LevelSnapshot first;
    ReadAll(text, first);

    LevelSnapshot second;
    ReadSlotList(SlotListText(first), second);
    ReadGameObjectList(GameObjectListText(first), second);
    ReadPayDraftList(PayDraftListText(first), second);
    ReadTaskList(TaskListText(first.tradeTasks), second.tradeTasks);
    ReadMonsterList(MonsterListText(first), second);
    ReadMonsterKills(MonsterKillText(first), second);
    if (!(first == second) || WriteAll(first) != WriteAll(second)) std::abort();

    const SavedGroups groups = ParseSavedList(text);
    if (ParseSavedList(SavedListText(groups)) != groups) std::abort();
    return 0;
}
