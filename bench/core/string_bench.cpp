// TString building and copying against std::string as the baseline measured
// in the same run.
#include <benchmark/benchmark.h>

#include <string>

#include "core/String.h"

namespace
{

// The XML writer's pattern: one byte at a time through WriteAt.
void BM_TStringWriteAtBytes(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state)
    {
        TString s;
        int position = 0;
        for (int i = 0; i < n; ++i)
        {
            char c = static_cast<char>('a' + i % 26);
            position = s.WriteAt(position, &c, 1, true);
        }
        benchmark::DoNotOptimize(s.CStr());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_StdStringPushBack(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state)
    {
        std::string s;
        for (int i = 0; i < n; ++i) s.push_back(static_cast<char>('a' + i % 26));
        benchmark::DoNotOptimize(s.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

// Copies share one body: the cost does not depend on the length.
void BM_TStringCopy(benchmark::State& state)
{
    TString source(std::string(static_cast<size_t>(state.range(0)), 'x').c_str());
    for (auto _ : state)
    {
        TString copy(source);
        benchmark::DoNotOptimize(copy.CStr());
    }
}

void BM_StdStringCopy(benchmark::State& state)
{
    std::string source(static_cast<size_t>(state.range(0)), 'x');
    for (auto _ : state)
    {
        std::string copy(source);
        benchmark::DoNotOptimize(copy.data());
    }
}

void BM_TStringFormatShort(benchmark::State& state)
{
    for (auto _ : state)
    {
        TString s = TString::Format("%s:%d:%.2f", "entry", 42, 1.5);
        benchmark::DoNotOptimize(s.CStr());
    }
}

BENCHMARK(BM_TStringWriteAtBytes)->Arg(64)->Arg(4096)->Arg(65536);
BENCHMARK(BM_StdStringPushBack)->Arg(64)->Arg(4096)->Arg(65536);
BENCHMARK(BM_TStringCopy)->Arg(16)->Arg(4096);
BENCHMARK(BM_StdStringCopy)->Arg(16)->Arg(4096);
BENCHMARK(BM_TStringFormatShort);

}  // namespace

BENCHMARK_MAIN();
