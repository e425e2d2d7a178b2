// Per-type table slots and the table element count used by call adapters.
#include "script/lang/TypeTable.h"

#include "script/lang/do.h"
#include "script/lang/meta.h"
#include "script/lang/state.h"
#include "script/lang/strings.h"
#include "script/lang/table.h"

void PushTypeMetatable(lua_State* L, int tag)
{
    if (tag < 0 || tag >= NUM_TYPE_SLOTS)
    {
        lua_pushnil(L);
        return;
    }
    *L->top = *TypeSlot(L, tag);
    DoIncrTop(L);
}

void SetTypeMetatable(lua_State* L, int tag)
{
    const TValue* v = L->top - 1;
    if (v->IsTable() && tag >= 0 && tag < NUM_TYPE_SLOTS) *TypeSlot(L, tag) = *v;
    L->top--;
}

int GetLuaTableSize(lua_State* L, int idx)
{
    if (lua_type(L, idx) != LUA_TTABLE) return 0;
    lua_pushvalue(L, idx);
    Table* t = (L->top - 1)->Tbl();
    L->top--;
    const TValue* n = TableGetStr(t, StrNewZ(L, "n"));
    if (n->IsNumber()) return NumberToInt32(n->Num());
    lua_Number count = 0;
    for (int i = t->sizearray; i > 0; i--)
    {
        if (!t->array[i - 1].IsNil())
        {
            count = i;
            break;
        }
    }
    for (int i = 0; i < t->SizeNode(); i++)
    {
        const Node* node = &t->node[i];
        if (node->key.IsNumber() && !node->val.IsNil() && node->key.Num() > count)
            count = node->key.Num();
    }
    return NumberToInt32(count);
}
