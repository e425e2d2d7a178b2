// The monotonic clock in whole milliseconds, mostly at the cost of reading
// the processor's time stamp counter instead of the clock.
#pragma once

#include <atomic>
#include <cstdint>

// CLOCK_MONOTONIC in milliseconds (its nanoseconds / 10^6, truncated),
// wrapping at 2^32: the clock's own millisecond count at some instant during
// the call. Never fails.
//
// A script's every wait reads the time, and the clock costs several times
// what the time stamp counter does on a virtual machine. So each thread
// remembers its last real reading and the counter's value just before it;
// while the counter has not advanced far enough for real time to reach the
// next millisecond, that reading's millisecond is still the current one.
// Only where the processor promises a counter that runs at a constant rate
// through every power state (x86 with an invariant counter); elsewhere each
// call reads the clock.
uint32_t MonotonicMs();

namespace monotonic_ms_detail
{

inline constexpr uint64_t kNsPerMs = 1000000;
// Real time kept clear of the next millisecond: a thread that moves to
// another processor may read a counter a little behind the one it anchored
// on.
inline constexpr uint64_t kSkewMarginNs = 20000;
// The counter's rate is learnt over at least this much real time, so that
// the processors' skew is a small part of it ...
inline constexpr uint64_t kCalibrationNs = 10000000;
// ... and then trusted a little less, for the kernel's slewing of the clock
// and the rate's own drift.
inline constexpr double kRateSafety = 0.99;

inline uint32_t MsOf(uint64_t ns)
{
    return static_cast<uint32_t>(ns / kNsPerMs);
}

// A thread's last reading of the clock. Zero: none (every read is real).
struct Anchor
{
    uint64_t tsc = 0;     // the counter read just before the clock
    uint64_t window = 0;  // counts past tsc that cannot reach the next ms
    uint32_t ms = 0;      // the clock's reading
};

// A lower bound of the counter's rate in counts per clock nanosecond, shared
// by every thread: measured between the first real reading ever and the
// first at least kCalibrationNs after it. Threads racing to set it each write
// a valid bound.
class Calibration
{
public:
    constexpr Calibration() = default;
    Calibration(const Calibration&) = delete;
    Calibration& operator=(const Calibration&) = delete;

    // 0 until known.
    double MinCyclesPerNs() const { return minCyclesPerNs_.load(std::memory_order_relaxed); }
    // A real reading: the clock's ns with the counter read before and after
    // it. The start takes the count after its reading and the end the count
    // before its own, so the counts between them all fall inside the two
    // clock readings and their quotient can only understate the rate.
    void Observe(uint64_t tscBefore, uint64_t ns, uint64_t tscAfter);

private:
    std::atomic<uint32_t> state_{0};  // 0: no start, 1: being set, 2: set
    uint64_t startTsc_ = 0;
    uint64_t startNs_ = 0;
    std::atomic<double> minCyclesPerNs_{0.0};
};

// Anchors at a real reading: the counter read before the clock, the clock,
// and the rate bound (0: none, so no window). Returns the reading's ms.
uint32_t Reanchor(Anchor& anchor, uint64_t tsc, uint64_t ns, double minCyclesPerNs);

// A real reading through Source (static Tsc(), OrderedTsc() that waits for
// what comes before it, and Ns() for the clock), where tsc was read first.
template <class Source>
[[gnu::noinline]] uint32_t ReadClock(Anchor& anchor, Calibration& calibration, uint64_t tsc)
{
    const uint64_t ns = Source::Ns();
    double rate = calibration.MinCyclesPerNs();
    if (rate == 0)
    {
        calibration.Observe(tsc, ns, Source::OrderedTsc());
        rate = calibration.MinCyclesPerNs();
    }
    return Reanchor(anchor, tsc, ns, rate);
}

// MonotonicMs over Source. A counter below the anchor (another processor's)
// or past its window reads the clock.
template <class Source>
inline uint32_t Read(Anchor& anchor, Calibration& calibration)
{
    const uint64_t tsc = Source::Tsc();
    if (tsc - anchor.tsc < anchor.window) return anchor.ms;
    return ReadClock<Source>(anchor, calibration, tsc);
}

// The process's rate bound: 0 until learnt, or where the counter is not used.
double CalibratedCyclesPerNs();

}  // namespace monotonic_ms_detail
