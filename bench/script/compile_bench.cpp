// Speed of the script compiler on a generated script of typical shape
// (functions, loops, tables, calls, string building). Baseline in the same
// run: scanning the same text with the lexer alone.
#include <benchmark/benchmark.h>

#include <string>

#include "script/lang/lexer.h"
#include "script/lang/lua.h"
#include "script/lang/parser.h"

namespace
{

std::string MakeScript(int functions)
{
    std::string s;
    for (int i = 0; i < functions; i++)
    {
        std::string n = std::to_string(i);
        s += "local function f" + n + "(a, b, ...)\n";
        s += "  local t = {&4 &8 1, 2, 3, x = a, y = \"s" + n + "\", z = L\"w" + n + "\"}\n";
        s += "  for i = 1, 10 do\n";
        s += "    if i == 3 then continue end\n";
        s += "    t[i] = (a * i & 0xFF) + (b or 0) << 2\n";
        s += "  end\n";
        s += "  for k, v in pairs(t) do print(k, v .. \"!\") end\n";
        s += "  while a > 0 and not b do a = a - 1 if a == 5 then break end end\n";
        s += "  return function() return t, a, b end\n";
        s += "end\n";
    }
    return s;
}

const std::string& Script()
{
    static const std::string s = MakeScript(200);  // about 2,000 lines
    return s;
}

struct Input
{
    const std::string* text;
    size_t pos;
    static int Next(void* ud)
    {
        auto* in = static_cast<Input*>(ud);
        if (in->pos >= in->text->size()) return -1;
        return static_cast<unsigned char>((*in->text)[in->pos++]);
    }
};

void BM_LexOnly(benchmark::State& state)
{
    const std::string& src = Script();
    for (auto _ : state)
    {
        Input in{&src, 0};
        LexState ls;
        LexSetInput(&ls, LexInput{Input::Next, &in}, false, "=bench");
        int n = 0;
        for (LexNext(&ls); ls.t.token != TK_EOS; LexNext(&ls)) n++;
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * src.size()));
}
BENCHMARK(BM_LexOnly)->Unit(benchmark::kMillisecond);

void BM_Compile(benchmark::State& state)
{
    const std::string& src = Script();
    for (auto _ : state)
    {
        auto f = CompileString(src, "=bench");
        benchmark::DoNotOptimize(f.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * src.size()));
}
BENCHMARK(BM_Compile)->Unit(benchmark::kMillisecond);

struct Reader
{
    const std::string* text;
    bool done;
    static const char* Read(lua_State*, void* ud, size_t* size)
    {
        auto* r = static_cast<Reader*>(ud);
        if (r->done)
        {
            *size = 0;
            return nullptr;
        }
        r->done = true;
        *size = r->text->size();
        return r->text->data();
    }
};

// The whole load: compile plus engine prototypes with interned strings.
void BM_Load(benchmark::State& state)
{
    const std::string& src = Script();
    lua_State* L = lua_open();
    for (auto _ : state)
    {
        Reader r{&src, false};
        if (lua_load(L, Reader::Read, &r, "=bench") != 0)
        {
            state.SkipWithError("load failed");
            break;
        }
        lua_settop(L, 0);
    }
    lua_close(L);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * src.size()));
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

int AppendChunk(lua_State*, const void* p, size_t size, void* ud)
{
    static_cast<std::string*>(ud)->append(static_cast<const char*>(p), size);
    return 0;
}

// Loading the same script's precompiled chunk: reading, every size checked
// against the bytes left, and the bytecode checker on every function.
void BM_LoadChunk(benchmark::State& state)
{
    lua_State* L = lua_open();
    Reader src{&Script(), false};
    std::string chunk;
    if (lua_load(L, Reader::Read, &src, "=bench") != 0 || lua_dump(L, AppendChunk, &chunk) != 1)
    {
        state.SkipWithError("dump failed");
        lua_close(L);
        return;
    }
    lua_settop(L, 0);
    for (auto _ : state)
    {
        Reader r{&chunk, false};
        if (lua_load(L, Reader::Read, &r, "=bench") != 0)
        {
            state.SkipWithError("load failed");
            break;
        }
        lua_settop(L, 0);
    }
    lua_close(L);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Script().size()));
}
BENCHMARK(BM_LoadChunk)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
