// Cost of the script host: calls through the binding adapters against the
// same work in a plain lua_CFunction, and making and closing a TScript with
// its libraries against a bare state.
#include <benchmark/benchmark.h>

#include "core/String.h"
#include "script/Binding.h"
#include "script/LuaTable.h"
#include "script/Script.h"
#include "script/lib/auxlib.h"

namespace
{

constexpr int kCalls = 1000000;

double gSink = 0;

int PlainAdd(lua_State* L)
{
    lua_pushnumber(L, lua_tonumber(L, 1) + lua_tonumber(L, 2));
    return 1;
}
double BoundAdd(double a, double b)
{
    return a + b;
}

int PlainLength(lua_State* L)
{
    const char* s = lua_tostring(L, 1);
    TString t = s != nullptr ? TString(s) : TString();
    lua_pushnumber(L, t.Length());
    return 1;
}
int BoundLength(TString s)
{
    return s.Length();
}
int PlainRawLength(lua_State* L)
{
    lua_pushnumber(L, static_cast<lua_Number>(lua_strlen(L, 1)));
    return 1;
}

int PlainWidth(lua_State* L)
{
    lua_pushstring(L, "width");
    lua_gettable(L, 1);
    lua_Number w = lua_tonumber(L, -1);
    lua_pop(L, 1);
    lua_pushnumber(L, w);
    return 1;
}
double BoundWidth(TLuaTable* t)
{
    return t->GetNumber("width", 0);
}

struct Counter : TScriptObject
{
    int Step(int by)
    {
        value += by;
        return value;
    }
    int value = 0;
};

// An object argument: the plain function takes the pointer unchecked, as
// the adapters did before objects were checked against the live set.
int PlainSteps(lua_State* L)
{
    auto* c = static_cast<Counter*>(lua_touserdata(L, 1));
    lua_pushnumber(L, c != nullptr ? c->value : 0);
    return 1;
}
int BoundSteps(Counter* c)
{
    return c != nullptr ? c->value : 0;
}
Counter gCounter;
void SetCounterGlobal(lua_State* L)
{
    lua_pushstring(L, "counter");
    LuaPushObject(L, &gCounter);
    lua_settable(L, LUA_GLOBALSINDEX);
}

// Runs "for i = 1, kCalls do f(...) end" with f the global name and x a
// local set to value; call gives the argument list.
void RunLoop(benchmark::State& state, TScript& s, const char* name, const char* value,
             const char* call = "i, x")
{
    lua_State* L = s.GetState();
    TString text = TString::Format("local f = %s local x = %s for i = 1, %d do f(%s) end", name,
                                   value, kCalls, call);
    for (auto _ : state)
    {
        if (luaL_loadbuffer(L, text.CStr(), static_cast<size_t>(text.Length()), "bench") != 0 ||
            lua_pcall(L, 0, 0, 0) != 0)
        {
            state.SkipWithError(lua_tostring(L, -1));
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kCalls);
}

void BM_CallNumbers_Plain(benchmark::State& state)
{
    TScript s;
    lua_register(s.GetState(), "Add", PlainAdd);
    RunLoop(state, s, "Add", "2");
}
void BM_CallNumbers_Bound(benchmark::State& state)
{
    TScript s;
    LuaBindFunction(s.GetState(), "Add", &BoundAdd);
    RunLoop(state, s, "Add", "2");
}
void BM_CallMember_Bound(benchmark::State& state)
{
    TScript s;
    Counter c;
    LuaBindMember(s.GetState(), "Step", &c, &Counter::Step);
    RunLoop(state, s, "Step", "1");
    gSink += c.value;
}
void BM_CallObject_Plain(benchmark::State& state)
{
    TScript s;
    lua_register(s.GetState(), "Steps", PlainSteps);
    SetCounterGlobal(s.GetState());
    RunLoop(state, s, "Steps", "counter", "x");
}
void BM_CallObject_Bound(benchmark::State& state)
{
    TScript s;
    LuaBindFunction(s.GetState(), "Steps", &BoundSteps);
    SetCounterGlobal(s.GetState());
    RunLoop(state, s, "Steps", "counter", "x");
}
void BM_CallString_Plain(benchmark::State& state)
{
    TScript s;
    lua_register(s.GetState(), "Length", PlainLength);
    RunLoop(state, s, "Length", "'some text'", "x");
}
void BM_CallString_PlainNoCopy(benchmark::State& state)
{
    TScript s;
    lua_register(s.GetState(), "Length", PlainRawLength);
    RunLoop(state, s, "Length", "'some text'", "x");
}
void BM_CallString_Bound(benchmark::State& state)
{
    TScript s;
    LuaBindFunction(s.GetState(), "Length", &BoundLength);
    RunLoop(state, s, "Length", "'some text'", "x");
}
// The table is the first argument here: f(t) reads t.width. The calls run in
// runs of perRun calls each (the script's pending argument tables are freed
// before each run): one run of a million holds a million references at its
// end; a run of a thousand is a frame's worth of work.
void RunTableLoop(benchmark::State& state, TScript& s, int perRun)
{
    lua_State* L = s.GetState();
    TString text =
        TString::Format("local f = Width local t = {width = 3} for i = 1, %d do f(t) end", perRun);
    const int runs = kCalls / perRun;
    for (auto _ : state)
    {
        for (int r = 0; r < runs; ++r)
        {
            if (luaL_loadbuffer(L, text.CStr(), static_cast<size_t>(text.Length()), "bench") != 0 ||
                s.RunFunction(0, 0) != 0)
            {
                state.SkipWithError("run failed");
                return;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kCalls);
}
void BM_CallTable_Plain(benchmark::State& state)
{
    TScript s;
    lua_register(s.GetState(), "Width", PlainWidth);
    RunTableLoop(state, s, static_cast<int>(state.range(0)));
}
void BM_CallTable_Bound(benchmark::State& state)
{
    TScript s;
    LuaBindFunction(s.GetState(), "Width", &BoundWidth);
    RunTableLoop(state, s, static_cast<int>(state.range(0)));
}

void BM_State_Bare(benchmark::State& state)
{
    for (auto _ : state)
    {
        lua_State* L = lua_open();
        benchmark::DoNotOptimize(L);
        lua_close(L);
    }
}
void BM_State_Script(benchmark::State& state)
{
    for (auto _ : state)
    {
        auto* s = new TScript;
        benchmark::DoNotOptimize(s->GetState());
        delete s;
    }
}

}  // namespace

BENCHMARK(BM_CallNumbers_Plain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CallNumbers_Bound)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CallMember_Bound)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CallObject_Plain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CallObject_Bound)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CallString_Plain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CallString_PlainNoCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CallString_Bound)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CallTable_Plain)->Arg(kCalls)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CallTable_Bound)->Arg(kCalls)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_State_Bare)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_State_Script)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
