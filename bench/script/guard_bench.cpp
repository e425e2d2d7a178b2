// Cost of the runaway guard: each script of bench/scripts run in a fresh
// state with the standard libraries, once plainly and once under the guard
// (its loop-counting hook reading the clock every kRunawayGuardSteps jumps
// and calls), alternately in every round. Reports the best CPU time of each
// and their ratio. For counting instructions (callgrind), the environment
// variable GUARD_BENCH_ONLY=plain or =guarded runs one round of that kind
// only.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "script/RunawayGuard.h"
#include "script/lang/lua.h"
#include "script/lib/auxlib.h"
#include "script/lib/lualib.h"

namespace
{

constexpr int kRounds = 7;

double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

int Quiet(lua_State*)
{
    return 0;
}

// CPU seconds of one run of text; negative when it fails.
double RunOnce(const std::string& text, const std::string& name, bool guarded)
{
    lua_State* L = lua_open();
    luaopen_stdlibs(L);
    lua_register(L, "print", Quiet);
    double spent = -1;
    if (luaL_loadbuffer(L, text.data(), text.size(), name.c_str()) == 0)
    {
        const double start = CpuSeconds();
        int status;
        if (guarded)
        {
            TRunawayGuard guard(L);
            status = lua_pcall(L, 0, 0, 0);
        }
        else
        {
            status = lua_pcall(L, 0, 0, 0);
        }
        if (status == 0) spent = CpuSeconds() - start;
    }
    lua_close(L);
    return spent;
}

void BM_Guard(benchmark::State& state, const std::string& text, const std::string& name)
{
    const char* only = std::getenv("GUARD_BENCH_ONLY");
    const bool runPlain = only == nullptr || std::strcmp(only, "plain") == 0;
    const bool runGuarded = only == nullptr || std::strcmp(only, "guarded") == 0;
    const int rounds = only == nullptr ? kRounds : 1;
    double plain = 1e9, guarded = 1e9;
    for (auto _ : state)
    {
        for (int round = 0; round < rounds; ++round)
        {
            const double a = runPlain ? RunOnce(text, name, false) : 1;
            const double b = runGuarded ? RunOnce(text, name, true) : 1;
            if (a < 0 || b < 0)
            {
                state.SkipWithError("the script failed");
                return;
            }
            plain = std::min(plain, a);
            guarded = std::min(guarded, b);
        }
    }
    state.counters["plain_ms"] = plain * 1000;
    state.counters["guarded_ms"] = guarded * 1000;
    state.counters["ratio"] = guarded / plain;
}

}  // namespace

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    std::vector<fs::path> scripts;
    for (const auto& entry : fs::directory_iterator(fs::path(ORVELLE_SOURCE_DIR) / "bench/scripts"))
        if (entry.path().extension() == ".lua") scripts.push_back(entry.path());
    std::sort(scripts.begin(), scripts.end());
    for (const fs::path& path : scripts)
    {
        std::ifstream in(path, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string name = "@" + path.filename().string();
        benchmark::RegisterBenchmark(("BM_Guard/" + path.stem().string()).c_str(), BM_Guard, text,
                                     name)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    // Under an instruction counter the scripts run for long: the budget
    // must not stop them (its size costs nothing).
    SetSetting(kSettingScriptTimeBudget, "1000000");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
