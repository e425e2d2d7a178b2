// The saved level's list texts: writing each list of a snapshot and reading
// it back.
#include "game/app/LevelSnapshot.h"

#include <cstddef>
#include <string>

namespace
{

// Optionally signed decimal at the start of [begin, end), after blanks;
// saturates at the 32-bit limits; 0 without digits.
int32_t FieldValue(const char* begin, const char* end)
{
    const char* p = begin;
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-'))
    {
        negative = *p == '-';
        ++p;
    }
    int64_t value = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p)
    {
        value = value * 10 + (*p - '0');
        if (value > INT64_C(0x80000000)) value = INT64_C(0x80000000);
    }
    if (negative) value = -value;
    if (value > INT32_MAX) value = INT32_MAX;
    return static_cast<int32_t>(value);
}

void AppendValue(std::string& out, int32_t value)
{
    out += std::to_string(value);
    out += ',';
}

TString ToText(const std::string& text)
{
    return TString(text.data(), static_cast<int>(text.size()));
}

// Value i of a group, or def when the group is shorter.
int32_t At(const std::vector<int32_t>& group, size_t i, int32_t def = 0)
{
    return i < group.size() ? group[i] : def;
}

}  // namespace

void LevelSnapshot::Clear()
{
    *this = LevelSnapshot();
}

SavedGroups ParseSavedList(const TString& text)
{
    SavedGroups groups;
    const char* p = text.CStr();
    const char* const end = p + text.Length();
    while (p < end)
    {
        const char* groupEnd = p;
        while (groupEnd < end && *groupEnd != '#') ++groupEnd;
        std::vector<int32_t>& group = groups.emplace_back();
        while (p < groupEnd)
        {
            const char* fieldEnd = p;
            while (fieldEnd < groupEnd && *fieldEnd != ',') ++fieldEnd;
            // "," with nothing before it is a separator, not a value: the
            // writer never produces one, and "5,#,#" must read as (5), ().
            if (fieldEnd > p) group.push_back(FieldValue(p, fieldEnd));
            p = fieldEnd < groupEnd ? fieldEnd + 1 : fieldEnd;
        }
        p = groupEnd < end ? groupEnd + 1 : groupEnd;
    }
    return groups;
}

TString SavedListText(const SavedGroups& groups)
{
    std::string out;
    for (const std::vector<int32_t>& group : groups)
    {
        for (int32_t value : group) AppendValue(out, value);
        out += '#';
    }
    return ToText(out);
}

TString SlotListText(const LevelSnapshot& s)
{
    SavedGroups groups;
    for (const LevelSnapshot::Slot& slot : s.slots)
        groups.push_back({slot.id, slot.forSale, slot.freeForBuilding});
    return SavedListText(groups);
}

TString GameObjectListText(const LevelSnapshot& s)
{
    SavedGroups groups;
    for (const LevelSnapshot::GameObject& o : s.gameObjects)
        groups.push_back(
            {o.kind, o.description, o.slotIndex, o.placed, o.upgradeLevel, o.broken, o.goodsRoom});
    return SavedListText(groups);
}

TString PayDraftListText(const LevelSnapshot& s)
{
    SavedGroups groups;
    for (const LevelSnapshot::PayDraft& d : s.payDrafts)
        groups.push_back({d.stallKind, d.description});
    return SavedListText(groups);
}

TString TaskListText(const std::vector<LevelSnapshot::TaskCounters>& tasks)
{
    SavedGroups groups;
    for (const LevelSnapshot::TaskCounters& t : tasks) groups.emplace_back(t.begin(), t.end());
    return SavedListText(groups);
}

TString MonsterListText(const LevelSnapshot& s)
{
    SavedGroups groups;
    for (const LevelSnapshot::Monster& m : s.monsters) groups.emplace_back(m.begin(), m.end());
    return SavedListText(groups);
}

TString MonsterKillText(const LevelSnapshot& s)
{
    return SavedListText({s.monsterKills});
}

void ReadSlotList(const TString& text, LevelSnapshot& s)
{
    s.slots.clear();
    for (const std::vector<int32_t>& g : ParseSavedList(text))
        s.slots.push_back({At(g, 0), At(g, 1) != 0, At(g, 2) != 0});
}

void ReadGameObjectList(const TString& text, LevelSnapshot& s)
{
    s.gameObjects.clear();
    for (const std::vector<int32_t>& g : ParseSavedList(text))
        s.gameObjects.push_back(
            {At(g, 0), At(g, 1), At(g, 2), At(g, 3) != 0, At(g, 4), At(g, 5) != 0, At(g, 6)});
}

void ReadPayDraftList(const TString& text, LevelSnapshot& s)
{
    s.payDrafts.clear();
    for (const std::vector<int32_t>& g : ParseSavedList(text))
        s.payDrafts.push_back({At(g, 0), At(g, 1)});
}

void ReadTaskList(const TString& text, std::vector<LevelSnapshot::TaskCounters>& tasks)
{
    tasks.clear();
    for (const std::vector<int32_t>& g : ParseSavedList(text))
    {
        LevelSnapshot::TaskCounters& t = tasks.emplace_back();
        for (size_t i = 0; i < t.size(); ++i) t[i] = At(g, i);
    }
}

void ReadMonsterList(const TString& text, LevelSnapshot& s)
{
    s.monsters.clear();
    for (const std::vector<int32_t>& g : ParseSavedList(text))
    {
        LevelSnapshot::Monster& m = s.monsters.emplace_back();
        for (size_t i = 0; i + 1 < m.size(); ++i) m[i] = At(g, i);
        // Files from before the last value was stored hold seven.
        m[7] = At(g, 7, LevelSnapshot::kDefaultMonsterParam5);
    }
}

void ReadMonsterKills(const TString& text, LevelSnapshot& s)
{
    const SavedGroups groups = ParseSavedList(text);
    s.monsterKills = groups.empty() ? std::vector<int32_t>() : groups.front();
}
