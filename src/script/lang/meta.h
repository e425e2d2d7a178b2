// Event names and metamethod lookup. Tables and full userdata search their
// metatable; every other value answers with the per-type table of its tag.
//
// Lookups never fail: an absent handler is &kNilObject (or a nil slot).
#pragma once

#include "script/lang/object.h"

// Order matters: the first ones are cached as absent in Table::flags.
enum TMS
{
    TM_INDEX,
    TM_NEWINDEX,
    TM_GC,
    TM_MODE,
    TM_EQ,  // last event with a fast absence cache
    TM_ADD,
    TM_SUB,
    TM_MUL,
    TM_DIV,
    TM_POW,
    TM_UNM,
    TM_LT,
    TM_LE,
    TM_CONCAT,
    TM_CALL,
    TM_N
};

extern const char* const kEventNames[TM_N];

// Interns the event names (fixed strings); part of making a state.
void MetaInit(lua_State* L);

// The handler of event in the metatable events, caching absence for the
// fast events; NULL when absent.
const TValue* MetaGetFromTable(Table* events, TMS event, LString* ename);
// MetaGetFromTable for events with the state's name of event.
const TValue* MetaLookup(lua_State* L, Table* events, TMS event);
// Fast form: NULL when events is NULL or the cache says absent, which is
// answered inline.
inline const TValue* MetaFast(lua_State* L, Table* events, TMS event)
{
    if (events == nullptr || (events->flags & (1u << event))) return nullptr;
    return MetaLookup(L, events, event);
}
// The handler of a value: its metatable's entry for a table or userdata, the
// per-type table of its tag (whatever the event) for any other value.
const TValue* MetaGetByObj(lua_State* L, const TValue* o, TMS event);
// The metatable of a value as lua_getmetatable reports it, or NULL (nil).
// For other kinds the per-type slot, which is a table value or nil.
const TValue* MetatableValueOf(lua_State* L, const TValue* o, TValue* scratch);
// The per-type slot of tag tt (0..10).
TValue* TypeSlot(lua_State* L, int tt);
// Metatable for a new table or userdata: the per-type table of tt when it is a
// table, else the shared default metatable.
Table* DefaultMetatableFor(lua_State* L, int tt);
