// TLuaTable: a reference to a script table with typed, default-taking
// getters and traversal; the way native code reads script tables.
#pragma once

#include <cstdint>
#include <memory>

#include "core/String.h"
#include "core/ValueTypes.h"
#include "script/LuaObject.h"

// Every getter leaves the stack as it found it and reads under protection:
// when the referenced value is not a table, or an "__index" handler fails,
// the getter returns its default (null, false, 0).
class TLuaTable : public TLuaObjectWrapper
{
public:
    // Takes the value on the top of L's stack (the kind is not checked).
    explicit TLuaTable(lua_State* L);
    ~TLuaTable() override;

    // Pushes t[name] (handlers apply) and returns true when it is not nil;
    // pushes nothing and returns false otherwise (and on any failure).
    bool PushField(const char* name) const;
    bool PushIndex(double index) const;

    // The entry's text; the default when it is nil (or cannot be read). An
    // entry that has no text (a table, a boolean) gives "".
    TString GetString(const char* name, const TString& def = TString()) const;
    TString GetStringAt(double index, const TString& def = TString()) const;
    // The entry as a number (0 when it does not convert); the default when nil.
    double GetNumber(const char* name, double def = 0) const;
    double GetNumberAt(double index, double def = 0) const;
    // The entry as an integer: toward zero, clamped to the 32-bit range (0
    // when it does not convert); the default when nil or NaN.
    int32_t GetInt(const char* name, int32_t def = 0) const;
    int32_t GetIntAt(double index, int32_t def = 0) const;
    // False only for a false entry; the default when nil.
    bool GetBool(const char* name, bool def = false) const;
    // A new reference when the entry is a table, else null.
    std::unique_ptr<TLuaTable> GetTable(const char* name) const;
    std::unique_ptr<TLuaTable> GetTableAt(double index) const;
    // Entries 1 to 4 of a table entry as r, g, b, a, each defaulting to def's;
    // def itself when the entry is not a table.
    TFloatVector4 GetColor(const char* name, const TFloatVector4& def) const;
    TFloatVector4 GetColorAt(double index, const TFloatVector4& def) const;
    // GetLuaTableSize of the table; 0 when it is not a table.
    int GetCount() const;

    // One traversal step. key holds the previous key's wrapper (null to
    // start); it is deleted. On success key receives the new key's wrapper and
    // the value's wrapper is returned (the caller owns both); at the end, or
    // when the value is not a table or the key is not in it, key is null and
    // null is returned.
    TLuaObjectWrapper* Next(TLuaObjectWrapper*& key) const;

    // Hands this table to the script that owns the state
    // (TScript::FromState), which deletes it before its next run. False when no script
    // owns the state: the caller keeps it.
    bool AutoDelete();

public:
    // One pending read (internal to the getters).
    struct Lookup;

private:
    // Runs the lookup protected; on success the entry is on the stack top.
    bool PushEntry(Lookup& lookup) const;
    TString StringOf(Lookup& lookup, const TString& def) const;
    double NumberOf(Lookup& lookup, double def) const;
    bool BoolOf(Lookup& lookup, bool def) const;
    int32_t IntOf(Lookup& lookup, int32_t def) const;
    std::unique_ptr<TLuaTable> TableOf(Lookup& lookup) const;
    TFloatVector4 ColorOf(Lookup& lookup, const TFloatVector4& def) const;
};

// One entry of a list read through TLuaRows.
struct TLuaRow
{
    int index = 0;
    // The entry when it is a table, else null.
    std::unique_ptr<TLuaTable> table;
};

// Entries 1 to n of a script list, n being its count (GetCount) cut to a
// limit: a script's "n" may claim any number, and no loop, reserve or
// allocation may follow it that far. A cut is logged once per TLuaRows,
// naming what is read; a negative count reads as an empty list.
//
//     for (const TLuaRow& row : TLuaRows(*list, "credits list"))
//         if (row.table) ...
class TLuaRows
{
public:
    // Far more rows than any list or data file holds, small enough that
    // building one item per row stays cheap.
    static constexpr int kDefaultLimit = 10000;

    TLuaRows(const TLuaTable& list, const char* what, int limit = kDefaultLimit);

    // The number of entries visited (after the cut).
    int Count() const { return count_; }

    class Iterator
    {
    public:
        Iterator(const TLuaTable& list, int index) : list_(&list), index_(index) {}
        TLuaRow operator*() const { return TLuaRow{index_, list_->GetTableAt(index_)}; }
        Iterator& operator++()
        {
            ++index_;
            return *this;
        }
        bool operator==(const Iterator& other) const { return index_ == other.index_; }

    private:
        const TLuaTable* list_;
        int index_;
    };
    Iterator begin() const { return Iterator(list_, 1); }
    Iterator end() const { return Iterator(list_, count_ + 1); }

private:
    const TLuaTable& list_;
    int count_ = 0;
};
