// The level scripts' one reader: a script file run in a fresh script
// environment of its own, released when the reader goes (whatever happens
// in between), and the value shapes the level data uses, each with its
// default. Numbers truncate toward zero into 32 bits; every list is read
// through the row bound (TLuaRows: at most 10,000 entries, a larger claim
// logged), so no "n" a script claims drives a loop or an allocation.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/String.h"
#include "core/ValueTypes.h"

class TLuaTable;
class TScript;

class TLevelScript
{
public:
    // Runs the file; a missing file or one that does not run is logged once
    // and then answers no table.
    explicit TLevelScript(const TString& fileName);
    ~TLevelScript();
    TLevelScript(const TLevelScript&) = delete;
    TLevelScript& operator=(const TLevelScript&) = delete;

    bool Ran() const { return ran_; }
    const TString& FileName() const { return fileName_; }

    // A global table. Null when absent; a required one is logged (one line
    // naming the file and the table), unless the file did not run at all.
    std::unique_ptr<TLuaTable> Table(const char* name, bool required = true);
    // A table's array (or sub-table) key; null, logged, when absent.
    std::unique_ptr<TLuaTable> Array(const TLuaTable& table, const char* key, const char* tableName);
    // One log line naming the file.
    void Log(const TString& line) const;

private:
    TString fileName_;
    std::unique_ptr<TScript> script_;
    bool ran_ = false;
};

namespace levelscript
{

// The bounded number of entries of a list (logged when cut).
int Count(const TLuaTable& list, const char* what);

int32_t Int(const TLuaTable& table, const char* key, int32_t def = 0);
int32_t IntAt(const TLuaTable& table, int index, int32_t def = 0);
float Float(const TLuaTable& table, const char* key, float def = 0.0f);
float FloatAt(const TLuaTable& table, int index, float def = 0.0f);
// A number, non-zero for true (a literal true counts too).
bool Flag(const TLuaTable& table, const char* key, bool def = false);
TString Text(const TLuaTable& table, const char* key);
TString TextAt(const TLuaTable& table, int index);
// A text looked up in the string table; an absent or empty label stays
// empty and is not looked up.
TString Label(const TLuaTable& table, const char* key);
TString LookUpLabel(const TString& label);
// Entries 1 to 4 as floats, 0 each by default (also when the key is absent).
TFloatVector4 Color(const TLuaTable& table, const char* key);
// Entries 1 and 2 of the list.
TPoint Point(const TLuaTable& list);
// Entries 1 to 4.
std::array<int32_t, 4> Rect(const TLuaTable& list);
// Every entry as an integer.
std::vector<int32_t> Ints(const TLuaTable& list, const char* what);
// x1, y1, x2, y2 ...; an odd last value pairs with y 0.
std::vector<TPoint> FlatPoints(const TLuaTable& list, const char* what);
// A list of flat point lists (an entry that is no list gives an empty one).
std::vector<std::vector<TPoint>> PointLists(const TLuaTable& list, const char* what);
// Exactly count entries (a missing one is 0); a null list gives count zeros.
std::vector<int32_t> PerLevel(const TLuaTable* list, int count);

}  // namespace levelscript
