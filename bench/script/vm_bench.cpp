// Interpreter throughput on small workloads typical of window and animation
// scripts (calls, table fields, arrays, string building, host calls), each
// beside a native C++ baseline doing the same work in the same run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "script/lang/lua.h"

namespace
{

struct Reader
{
    const char* text;
    bool done;
    static const char* Read(lua_State*, void* ud, size_t* size)
    {
        Reader* r = static_cast<Reader*>(ud);
        if (r->done)
        {
            *size = 0;
            return nullptr;
        }
        r->done = true;
        *size = std::strlen(r->text);
        return r->text;
    }
};

// A state holding the function `src` returns under the global name "f".
lua_State* StateWith(const char* src)
{
    lua_State* L = lua_open();
    Reader r{src, false};
    if (lua_load(L, Reader::Read, &r, "=bench") != 0 || lua_pcall(L, 0, 1, 0) != 0) abort();
    lua_pushstring(L, "f");
    lua_insert(L, -2);
    lua_settable(L, LUA_GLOBALSINDEX);
    return L;
}

double CallF(lua_State* L, double arg)
{
    lua_pushstring(L, "f");
    lua_gettable(L, LUA_GLOBALSINDEX);
    lua_pushnumber(L, arg);
    if (lua_pcall(L, 1, 1, 0) != 0) abort();
    double r = lua_tonumber(L, -1);
    lua_pop(L, 1);
    return r;
}

// --- recursive calls -------------------------------------------------------

void BM_ScriptFib(benchmark::State& state)
{
    lua_State* L = StateWith(
        "local function fib(n) if n < 2 then return n end return fib(n - 1) + fib(n - 2) end "
        "return fib");
    for (auto _ : state) benchmark::DoNotOptimize(CallF(L, 20));
    lua_close(L);
}
BENCHMARK(BM_ScriptFib);

__attribute__((noinline)) double NativeFib(double n)
{
    return n < 2 ? n : NativeFib(n - 1) + NativeFib(n - 2);
}

void BM_NativeFib(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(NativeFib(20));
}
BENCHMARK(BM_NativeFib);

// --- array fill and sum ----------------------------------------------------

void BM_ScriptArray(benchmark::State& state)
{
    lua_State* L = StateWith(
        "return function(n) local t = {} for i = 1, n do t[i] = i * 2 end "
        "local s = 0 for i = 1, n do s = s + t[i] end return s end");
    for (auto _ : state) benchmark::DoNotOptimize(CallF(L, 10000));
    lua_close(L);
}
BENCHMARK(BM_ScriptArray);

void BM_NativeArray(benchmark::State& state)
{
    for (auto _ : state)
    {
        std::vector<double> t;
        for (int i = 1; i <= 10000; i++) t.push_back(i * 2.0);
        double s = 0;
        for (double v : t) s += v;
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_NativeArray);

// --- named fields and method calls -----------------------------------------

void BM_ScriptFields(benchmark::State& state)
{
    lua_State* L = StateWith(
        "local Sprite = {} "
        "function Sprite.move(self, dx, dy) self.x = self.x + dx self.y = self.y + dy end "
        "return function(n) local s = {x = 0, y = 0, move = Sprite.move} "
        "for i = 1, n do s:move(1, 2) end return s.x + s.y end");
    for (auto _ : state) benchmark::DoNotOptimize(CallF(L, 10000));
    lua_close(L);
}
BENCHMARK(BM_ScriptFields);

struct NativeSprite
{
    std::unordered_map<std::string, double> fields;
    __attribute__((noinline)) void Move(double dx, double dy)
    {
        fields["x"] += dx;
        fields["y"] += dy;
    }
};

void BM_NativeFields(benchmark::State& state)
{
    // Baseline: fields looked up by name, as a script must.
    for (auto _ : state)
    {
        NativeSprite s;
        s.fields["x"] = 0;
        s.fields["y"] = 0;
        for (int i = 0; i < 10000; i++) s.Move(1, 2);
        benchmark::DoNotOptimize(s.fields["x"] + s.fields["y"]);
    }
}
BENCHMARK(BM_NativeFields);

// --- string building -------------------------------------------------------

void BM_ScriptStrings(benchmark::State& state)
{
    lua_State* L = StateWith(
        "return function(n) local t = {} for i = 1, n do t['key' .. i] = i end "
        "local s = 0 for i = 1, n do s = s + t['key' .. i] end return s end");
    for (auto _ : state) benchmark::DoNotOptimize(CallF(L, 1000));
    lua_close(L);
}
BENCHMARK(BM_ScriptStrings);

void BM_NativeStrings(benchmark::State& state)
{
    for (auto _ : state)
    {
        std::unordered_map<std::string, double> t;
        for (int i = 1; i <= 1000; i++) t["key" + std::to_string(i)] = i;
        double s = 0;
        for (int i = 1; i <= 1000; i++) s += t["key" + std::to_string(i)];
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_NativeStrings);

// --- host function calls from scripts --------------------------------------

int Add(lua_State* L)
{
    lua_pushnumber(L, lua_tonumber(L, 1) + lua_tonumber(L, 2));
    return 1;
}

void BM_ScriptCallsHost(benchmark::State& state)
{
    lua_State* L =
        StateWith("return function(n) local s = 0 for i = 1, n do s = add(s, i) end return s end");
    lua_register(L, "add", Add);
    for (auto _ : state) benchmark::DoNotOptimize(CallF(L, 10000));
    lua_close(L);
}
BENCHMARK(BM_ScriptCallsHost);

__attribute__((noinline)) double NativeAdd(double a, double b)
{
    return a + b;
}

void BM_NativeCalls(benchmark::State& state)
{
    for (auto _ : state)
    {
        double s = 0;
        for (int i = 1; i <= 10000; i++) s = NativeAdd(s, i);
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_NativeCalls);

// --- state creation ----------------------------------------------------------

void BM_OpenClose(benchmark::State& state)
{
    for (auto _ : state)
    {
        lua_State* L = lua_open();
        lua_close(L);
    }
}
BENCHMARK(BM_OpenClose);

}  // namespace

BENCHMARK_MAIN();
