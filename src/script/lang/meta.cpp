// Event names and metamethod lookup, with the per-type tables standing in for
// the metatable of every value that has none of its own.
#include "script/lang/meta.h"

#include "script/lang/state.h"
#include "script/lang/strings.h"
#include "script/lang/table.h"

const char* const kEventNames[TM_N] = {"__index", "__newindex", "__gc",  "__mode",   "__eq",
                                       "__add",   "__sub",      "__mul", "__div",    "__pow",
                                       "__unm",   "__lt",       "__le",  "__concat", "__call"};

void MetaInit(lua_State* L)
{
    for (int i = 0; i < TM_N; i++)
    {
        G(L)->tmname[i] = StrNewZ(L, kEventNames[i]);
        StrFix(G(L)->tmname[i]);
    }
}

const TValue* MetaGetFromTable(Table* events, TMS event, LString* ename)
{
    const TValue* tm = TableGetStr(events, ename);
    if (tm->IsNil())
    {
        if (event <= TM_EQ) events->flags |= static_cast<lu_byte>(1u << event);
        return nullptr;
    }
    return tm;
}

const TValue* MetaLookup(lua_State* L, Table* events, TMS event)
{
    return MetaGetFromTable(events, event, G(L)->tmname[event]);
}

TValue* TypeSlot(lua_State* L, int tt)
{
    return &G(L)->typemt[tt];
}

const TValue* MetaGetByObj(lua_State* L, const TValue* o, TMS event)
{
    Table* mt;
    switch (o->tt)
    {
        case LUA_TTABLE:
            mt = o->Tbl()->metatable;
            break;
        case LUA_TUSERDATA:
            mt = o->Ud()->metatable;
            break;
        default:
            // Every other kind answers with its per-type table, whatever the event.
            return TypeSlot(L, o->tt);
    }
    if (mt == nullptr) return &kNilObject;
    return TableGetStr(mt, G(L)->tmname[event]);
}

const TValue* MetatableValueOf(lua_State* L, const TValue* o, TValue* scratch)
{
    switch (o->tt)
    {
        case LUA_TNIL:
            return nullptr;
        case LUA_TTABLE:
        case LUA_TUSERDATA:
        {
            Table* mt = o->IsTable() ? o->Tbl()->metatable : o->Ud()->metatable;
            if (mt == nullptr) return nullptr;
            scratch->SetTbl(mt);
            return scratch;
        }
        default:
        {
            const TValue* slot = TypeSlot(L, o->tt);
            return slot->IsNil() ? nullptr : slot;
        }
    }
}

Table* DefaultMetatableFor(lua_State* L, int tt)
{
    const TValue* slot = TypeSlot(L, tt);
    if (slot->IsTable()) return slot->Tbl();
    return G(L)->defaultmeta;
}
