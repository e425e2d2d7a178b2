// The level scripts' reader and value shapes.
#include "game/level/LevelScript.h"

#include <cmath>
#include <limits>

#include "core/Log.h"
#include "core/StringTable.h"
#include "script/LuaTable.h"
#include "script/Script.h"
#include "ui/WindowAppLink.h"

TLevelScript::TLevelScript(const TString& fileName) : fileName_(fileName), script_(std::make_unique<TScript>())
{
    ran_ = script_->RunScript(fileName_);
    if (!ran_) LogPrintf("level data %s: not found or did not run; its tables are missing", fileName_.CStr());
}

TLevelScript::~TLevelScript() = default;

std::unique_ptr<TLuaTable> TLevelScript::Table(const char* name, bool required)
{
    if (!ran_) return nullptr;
    std::unique_ptr<TLuaTable> table = script_->GetGlobalTable(name);
    if (!table && required) Log(TString::Format("no table %s; skipped", name));
    return table;
}

std::unique_ptr<TLuaTable> TLevelScript::Array(const TLuaTable& table, const char* key, const char* tableName)
{
    std::unique_ptr<TLuaTable> list = table.GetTable(key);
    if (!list)
    {
        Log(TString::Format("no list %s.%s; skipped", tableName, key));
    }
    return list;
}

void TLevelScript::Log(const TString& line) const
{
    LogPrintf("level data %s: %s", fileName_.CStr(), line.CStr());
}

namespace levelscript
{

int Count(const TLuaTable& list, const char* what)
{
    return TLuaRows(list, what).Count();
}

int32_t Int(const TLuaTable& table, const char* key, int32_t def)
{
    return table.GetInt(key, def);
}

int32_t IntAt(const TLuaTable& table, int index, int32_t def)
{
    return table.GetIntAt(index, def);
}

float Float(const TLuaTable& table, const char* key, float def)
{
    return static_cast<float>(table.GetNumber(key, def));
}

float FloatAt(const TLuaTable& table, int index, float def)
{
    return static_cast<float>(table.GetNumberAt(index, def));
}

bool Flag(const TLuaTable& table, const char* key, bool def)
{
    const double number = table.GetNumber(key, std::numeric_limits<double>::quiet_NaN());
    if (std::isnan(number)) return def;
    if (number != 0) return true;
    // A literal true has no number and no text.
    return table.GetBool(key, false) && table.GetString(key, TString("0")).IsEmpty() && !table.GetTable(key);
}

TString Text(const TLuaTable& table, const char* key)
{
    return table.GetString(key, TString());
}

TString TextAt(const TLuaTable& table, int index)
{
    return table.GetStringAt(index, TString());
}

TString LookUpLabel(const TString& label)
{
    if (label.IsEmpty()) return label;
    if (const TStringTable* strings = GetWindowAppLink().GetStringTable()) return strings->GetString(label);
    return label;
}

TString Label(const TLuaTable& table, const char* key)
{
    return LookUpLabel(Text(table, key));
}

TFloatVector4 Color(const TLuaTable& table, const char* key)
{
    return table.GetColor(key, TFloatVector4());
}

TPoint Point(const TLuaTable& list)
{
    return {list.GetIntAt(1), list.GetIntAt(2)};
}

std::array<int32_t, 4> Rect(const TLuaTable& list)
{
    return {list.GetIntAt(1), list.GetIntAt(2), list.GetIntAt(3), list.GetIntAt(4)};
}

std::vector<int32_t> Ints(const TLuaTable& list, const char* what)
{
    std::vector<int32_t> values;
    const int count = Count(list, what);
    values.reserve(static_cast<size_t>(count));
    for (int i = 1; i <= count; ++i) values.push_back(list.GetIntAt(i));
    return values;
}

std::vector<TPoint> FlatPoints(const TLuaTable& list, const char* what)
{
    std::vector<TPoint> points;
    const int count = Count(list, what);
    points.reserve(static_cast<size_t>(count + 1) / 2);
    for (int i = 1; i <= count; i += 2)
        points.emplace_back(list.GetIntAt(i), i + 1 <= count ? list.GetIntAt(i + 1) : 0);
    return points;
}

std::vector<std::vector<TPoint>> PointLists(const TLuaTable& list, const char* what)
{
    std::vector<std::vector<TPoint>> lists;
    for (const TLuaRow& row : TLuaRows(list, what))
        lists.push_back(row.table ? FlatPoints(*row.table, what) : std::vector<TPoint>());
    return lists;
}

std::vector<int32_t> PerLevel(const TLuaTable* list, int count)
{
    std::vector<int32_t> values(static_cast<size_t>(count > 0 ? count : 0), 0);
    if (list == nullptr) return values;
    for (int i = 0; i < count; ++i) values[static_cast<size_t>(i)] = list->GetIntAt(i + 1);
    return values;
}

}  // namespace levelscript
