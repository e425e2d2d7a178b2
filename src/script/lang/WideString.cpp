// Wide-string helpers over the engine's interned 16-bit strings.
#include "script/lang/WideString.h"

#include "script/lang/api.h"
#include "script/lang/do.h"
#include "script/lang/gc.h"
#include "script/lang/state.h"
#include "script/lang/strings.h"
#include "script/lang/vm.h"

size_t GetWideLength(const lua_WChar* text)
{
    size_t n = 0;
    while (text[n] != 0) n++;
    return n;
}

bool NumberToWide(lua_State* L, TValue* value)
{
    if (value == nullptr || !value->IsNumber()) return false;
    return VMToWide(L, value);
}

const lua_WChar* ToWideString(lua_State* L, int idx)
{
    // Every acceptable index works, pseudo-indices included, as for
    // lua_tostring.
    TValue* o = ApiIndexToSlot(L, idx);
    if (o == nullptr) return nullptr;
    if (o->IsNumber() && !NumberToWide(L, o)) return nullptr;
    if (!o->IsWString()) return nullptr;
    return o->Str()->WData();
}

void PushWideStringLen(lua_State* L, const lua_WChar* text, size_t count)
{
    GCCheck(L);
    static const lua_WChar kEmpty[1] = {0};
    L->top->SetStr(StrNewWide(L, count ? text : kEmpty, count));
    DoIncrTop(L);
}

void PushWideString(lua_State* L, const lua_WChar* text)
{
    if (text == nullptr)
    {
        lua_pushnil(L);
        return;
    }
    PushWideStringLen(L, text, GetWideLength(text));
}
