// The monotonic millisecond counter over the time stamp counter.
#include "core/MonotonicMs.h"

#include <time.h>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define ORVELLE_MONOTONIC_MS_TSC 1
#endif

namespace monotonic_ms_detail
{

void Calibration::Observe(uint64_t tscBefore, uint64_t ns, uint64_t tscAfter)
{
    uint32_t state = state_.load(std::memory_order_acquire);
    if (state == 0)
    {
        if (state_.compare_exchange_strong(state, 1, std::memory_order_relaxed))
        {
            startTsc_ = tscAfter;
            startNs_ = ns;
            state_.store(2, std::memory_order_release);
        }
        return;
    }
    // A reading from before the start (another thread's, published late) or
    // a counter behind the start's (another processor's) proves nothing.
    if (state != 2 || ns < startNs_ || ns - startNs_ < kCalibrationNs || tscBefore <= startTsc_)
        return;
    // At most 2^64 counts over at least kCalibrationNs: the windows made
    // from it stay far inside 64 bits.
    const double rate = static_cast<double>(tscBefore - startTsc_) /
                        static_cast<double>(ns - startNs_) * kRateSafety;
    minCyclesPerNs_.store(rate, std::memory_order_relaxed);
}

uint32_t Reanchor(Anchor& anchor, uint64_t tsc, uint64_t ns, double minCyclesPerNs)
{
    // Fewer counts than the slowest rate gives in the time left, less the
    // margin, cannot bring the clock to its next millisecond, even on a
    // processor whose counter lags this one's by up to the margin.
    const uint64_t toNextMs = kNsPerMs - ns % kNsPerMs;
    anchor.tsc = tsc;
    anchor.window = 0;
    if (toNextMs > kSkewMarginNs && minCyclesPerNs > 0)
        anchor.window =
            static_cast<uint64_t>(static_cast<double>(toNextMs - kSkewMarginNs) * minCyclesPerNs);
    anchor.ms = MsOf(ns);
    return anchor.ms;
}

}  // namespace monotonic_ms_detail

namespace
{

using namespace monotonic_ms_detail;

uint64_t ClockNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000000000u + static_cast<uint64_t>(ts.tv_nsec);
}

#ifdef ORVELLE_MONOTONIC_MS_TSC

constinit Calibration gCalibration;
constinit thread_local Anchor t_anchor;

// The plain read may run early, which only makes the answer older. The
// clock reading that follows it waits for it (the kernel orders its own
// counter read), so an anchor's count always comes before its reading.
struct TscSource
{
    static uint64_t Tsc() { return __rdtsc(); }
    static uint64_t OrderedTsc()
    {
        _mm_lfence();
        return __rdtsc();
    }
    static uint64_t Ns() { return ClockNs(); }
};

bool HasInvariantTsc()
{
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid(0x80000007u, &eax, &ebx, &ecx, &edx) != 0 && (edx & (1u << 8)) != 0;
}

// Set before main; a reading during static initialisation finds it false
// and reads the clock.
bool gUseTsc = HasInvariantTsc();

#endif

}  // namespace

uint32_t MonotonicMs()
{
#ifdef ORVELLE_MONOTONIC_MS_TSC
    if (gUseTsc) return Read<TscSource>(t_anchor, gCalibration);
#endif
    return MsOf(ClockNs());
}

double monotonic_ms_detail::CalibratedCyclesPerNs()
{
#ifdef ORVELLE_MONOTONIC_MS_TSC
    if (gUseTsc) return gCalibration.MinCyclesPerNs();
#endif
    return 0.0;
}
