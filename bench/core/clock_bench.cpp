// The monotonic millisecond counter against reading the clock it follows,
// measured in the same run.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdint>

#include "core/MonotonicMs.h"

namespace
{

void BM_MonotonicMs(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(MonotonicMs());
    state.counters["calibrated_cycles_per_ns"] = monotonic_ms_detail::CalibratedCyclesPerNs();
}
BENCHMARK(BM_MonotonicMs);

void BM_ClockGettimeMs(benchmark::State& state)
{
    for (auto _ : state)
    {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        benchmark::DoNotOptimize(static_cast<uint32_t>(
            (static_cast<uint64_t>(ts.tv_sec) * 1000000000u + static_cast<uint64_t>(ts.tv_nsec)) /
            1000000u));
    }
}
BENCHMARK(BM_ClockGettimeMs);

}  // namespace

BENCHMARK_MAIN();
