// The monotonic millisecond counter: its anchoring and rate learning over a
// fake counter and clock, and the real counter against the real clock.
#include "core/MonotonicMs.h"

#include <gtest/gtest.h>

#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <random>
#include <thread>
#include <vector>

namespace
{

using namespace monotonic_ms_detail;

constexpr uint64_t kUs = 1000;
constexpr uint64_t kMs = kNsPerMs;

// A clock in ns and a counter that runs at a settable rate from the moment
// the rate is set. skew (in counts) shifts what the counter reads, as a
// thread on another processor would see it.
struct FakeSource
{
    static inline uint64_t now = 0;
    static inline double rate = 3.0;
    static inline uint64_t tscBase = 0;
    static inline uint64_t nsBase = 0;
    static inline int64_t skew = 0;
    static inline int clockReads = 0;

    static uint64_t Unskewed()
    {
        return tscBase + static_cast<uint64_t>(static_cast<double>(now - nsBase) * rate);
    }
    static uint64_t Tsc() { return Unskewed() + static_cast<uint64_t>(skew); }
    static uint64_t OrderedTsc() { return Tsc(); }
    static uint64_t Ns()
    {
        ++clockReads;
        return now;
    }
    static void SetRate(double r)
    {
        tscBase = Unskewed();
        nsBase = now;
        rate = r;
    }
};

// int32 distance, so the checks hold across the 32-bit wrap.
int32_t MsAhead(uint32_t value, uint32_t reference)
{
    return static_cast<int32_t>(value - reference);
}

class MonotonicMsLogic : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FakeSource::now = 5 * kMs;
        FakeSource::rate = 3.0;
        FakeSource::tscBase = 1000000;
        FakeSource::nsBase = FakeSource::now;
        FakeSource::skew = 0;
        FakeSource::clockReads = 0;
    }

    uint32_t ReadAt(uint64_t ns)
    {
        FakeSource::now = ns;
        return Read<FakeSource>(anchor_, calibration_);
    }

    // Learns the rate: a reading at start and one kCalibrationNs later.
    void Calibrate(uint64_t start)
    {
        ReadAt(start);
        ReadAt(start + kCalibrationNs);
        ASSERT_GT(calibration_.MinCyclesPerNs(), 0.0);
        FakeSource::clockReads = 0;
    }

    // A fresh start for one case of a table, with a calibration of its own:
    // the rate learnt from a reading at 1 s and one kCalibrationNs later.
    void StartCase(Calibration& calibration)
    {
        SetUp();
        anchor_ = Anchor{};
        FakeSource::now = 1000 * kMs;
        Read<FakeSource>(anchor_, calibration);
        FakeSource::now += kCalibrationNs;
        Read<FakeSource>(anchor_, calibration);
    }

    Anchor anchor_;
    Calibration calibration_;
};

TEST_F(MonotonicMsLogic, ReadsTheClockEveryTimeUntilTheRateIsKnown)
{
    const uint64_t start = FakeSource::now;
    for (uint64_t t = start; t < start + kCalibrationNs; t += 700 * kUs)
    {
        EXPECT_EQ(ReadAt(t), MsOf(t));
        EXPECT_EQ(ReadAt(t + 1), MsOf(t + 1));  // even right after a reading
    }
    EXPECT_EQ(FakeSource::clockReads, 2 * 15);
    EXPECT_EQ(calibration_.MinCyclesPerNs(), 0.0);

    // The first reading at least kCalibrationNs after the first ever learns
    // the rate, less the safety factor.
    ReadAt(start + kCalibrationNs);
    EXPECT_NEAR(calibration_.MinCyclesPerNs(), 3.0 * kRateSafety, 1e-6);
}

TEST_F(MonotonicMsLogic, CalibrationIgnoresReadingsThatProveNothing)
{
    const uint64_t start = 100 * kMs;
    calibration_.Observe(1000000, start, 1000010);
    struct Case
    {
        const char* what;
        uint64_t tscBefore;
        uint64_t ns;
    };
    const Case cases[] = {
        {"too soon after the start", 1000000 + 30000000, start + kCalibrationNs - 1},
        {"a clock reading from before the start", 900000, start - 1},
        {"a counter behind the start's", 999999, start + 2 * kCalibrationNs},
        {"a counter level with the start's", 1000010, start + 2 * kCalibrationNs},
    };
    for (const Case& c : cases)
    {
        calibration_.Observe(c.tscBefore, c.ns, c.tscBefore + 5);
        EXPECT_EQ(calibration_.MinCyclesPerNs(), 0.0) << c.what;
    }
    // The start's count is the one after its clock reading, the end's the one
    // before its own: (1000010 + 2e7 - 1000010) / 1e7 counts per ns.
    calibration_.Observe(1000010 + 20000000, start + kCalibrationNs, 1000010 + 20000099);
    EXPECT_NEAR(calibration_.MinCyclesPerNs(), 2.0 * kRateSafety, 1e-9);
}

TEST_F(MonotonicMsLogic, InsideTheWindowAnswersWithoutTheClock)
{
    Calibrate(FakeSource::now);
    const uint64_t anchorAt = 42 * kMs + 100 * kUs;
    EXPECT_EQ(ReadAt(anchorAt), 42u);
    EXPECT_EQ(FakeSource::clockReads, 1);
    // The window ends kSkewMarginNs before the next millisecond, scaled by
    // how much the safety factor understates the rate.
    const uint64_t windowEnd =
        anchorAt + static_cast<uint64_t>((900 * kUs - kSkewMarginNs) * kRateSafety);
    for (uint64_t t : {anchorAt, anchorAt + 1, anchorAt + 500 * kUs, windowEnd - 1})
    {
        EXPECT_EQ(ReadAt(t), 42u) << t;
    }
    EXPECT_EQ(FakeSource::clockReads, 1);
    // Past the window, still inside the millisecond: a real reading.
    EXPECT_EQ(ReadAt(windowEnd + 1), 42u);
    EXPECT_EQ(FakeSource::clockReads, 2);
    // Across the boundary: a real reading and the next millisecond.
    EXPECT_EQ(ReadAt(43 * kMs), 43u);
    EXPECT_EQ(FakeSource::clockReads, 3);
    // Within the margin of the next boundary there is no window at all.
    EXPECT_EQ(ReadAt(44 * kMs - kSkewMarginNs), 43u);
    EXPECT_EQ(ReadAt(44 * kMs - kSkewMarginNs), 43u);
    EXPECT_EQ(FakeSource::clockReads, 5);
}

TEST_F(MonotonicMsLogic, ACounterBehindTheAnchorReadsTheClock)
{
    Calibrate(FakeSource::now);
    EXPECT_EQ(ReadAt(50 * kMs), 50u);
    EXPECT_EQ(FakeSource::clockReads, 1);
    // One count behind the anchor's, at the anchor's instant.
    FakeSource::skew = -1;
    EXPECT_EQ(ReadAt(50 * kMs), 50u);
    EXPECT_EQ(FakeSource::clockReads, 2);
    // Anchored on that processor now, its counter serves again.
    EXPECT_EQ(ReadAt(50 * kMs + 20 * kUs), 50u);
    EXPECT_EQ(FakeSource::clockReads, 2);
    // Far behind (a counter reset) is no different.
    FakeSource::skew = -static_cast<int64_t>(FakeSource::Unskewed());
    EXPECT_EQ(ReadAt(50 * kMs + 30 * kUs), 50u);
    EXPECT_EQ(FakeSource::clockReads, 3);
}

TEST_F(MonotonicMsLogic, TheMillisecondCountWrapsAt32Bits)
{
    const uint64_t wrapAt = (uint64_t{1} << 32) * kMs;
    Calibrate(wrapAt - 20 * kMs);
    EXPECT_EQ(ReadAt(wrapAt - 900 * kUs), 0xFFFFFFFFu);
    EXPECT_EQ(ReadAt(wrapAt - 400 * kUs), 0xFFFFFFFFu);
    EXPECT_EQ(FakeSource::clockReads, 1);
    EXPECT_EQ(ReadAt(wrapAt), 0u);
    EXPECT_EQ(ReadAt(wrapAt + 300 * kUs), 0u);
    EXPECT_EQ(ReadAt(wrapAt + kMs), 1u);
}

// Time moves in uneven steps for 300 ms after the rate was learnt at 3
// counts per ns, while the counter runs at rate. Each answer is compared with
// the clock's own millisecond at that instant.
struct Drift
{
    uint64_t laggedNs = 0;  // worst real time an answer was behind the clock
    int maxMsBehind = 0;
    int ahead = 0;
};

Drift RunAtRate(Anchor& anchor, Calibration& calibration, double rate, int64_t skewNs)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<uint64_t> step(1, 60 * kUs);
    std::bernoulli_distribution otherProcessor(0.3);
    Drift drift;
    FakeSource::SetRate(rate);
    const uint64_t end = FakeSource::now + 300 * kMs;
    while (FakeSource::now < end)
    {
        FakeSource::now += step(random);
        FakeSource::skew =
            otherProcessor(random) ? static_cast<int64_t>(static_cast<double>(skewNs) * rate) : 0;
        const uint32_t value = Read<FakeSource>(anchor, calibration);
        const int32_t ahead = MsAhead(value, MsOf(FakeSource::now));
        if (ahead > 0) ++drift.ahead;
        if (-ahead > drift.maxMsBehind) drift.maxMsBehind = -ahead;
        if (ahead < 0)
        {
            // Behind since the boundary after value.
            const uint64_t boundary =
                (FakeSource::now / kMs - static_cast<uint64_t>(-ahead) + 1) * kMs;
            drift.laggedNs = std::max(drift.laggedNs, FakeSource::now - boundary);
        }
    }
    return drift;
}

TEST_F(MonotonicMsLogic, ExactWhileTheCounterRunsNoSlowerThanTheBound)
{
    struct Case
    {
        double rate;
        int64_t skewNs;  // of the other processor's counter
    };
    // The bound is 3 * kRateSafety; processors' counters apart by up to the
    // margin change nothing.
    const Case cases[] = {
        {3.0, 0},
        {3.0 * kRateSafety, 0},
        {3.3, 0},
        {3.0, -static_cast<int64_t>(kSkewMarginNs)},
        {3.0 * kRateSafety, -static_cast<int64_t>(kSkewMarginNs)},
        {3.0, static_cast<int64_t>(kSkewMarginNs)},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "rate " << c.rate << " skew " << c.skewNs);
        Calibration calibration;
        StartCase(calibration);
        FakeSource::clockReads = 0;
        const Drift drift = RunAtRate(anchor_, calibration, c.rate, c.skewNs);
        EXPECT_EQ(drift.ahead, 0);
        EXPECT_EQ(drift.maxMsBehind, 0);
        // And the counter did the work: about 10 000 answers, a real reading
        // for roughly each millisecond and each margin's worth of steps.
        EXPECT_LT(FakeSource::clockReads, 1500);
    }
}

TEST_F(MonotonicMsLogic, ACounterSlowerThanTheBoundLagsByNoMoreThanItsShortfall)
{
    // Once the counter runs slower than the bound, a window of w counts lasts
    // w / rate instead of w / bound: up to a millisecond times (bound / rate
    // - 1) longer, less the margin. Never ahead, and under one millisecond
    // behind while the counter keeps above half the bound.
    for (double rate : {2.9, 2.5, 1.6})
    {
        SCOPED_TRACE(testing::Message() << "rate " << rate);
        Calibration calibration;
        StartCase(calibration);
        const double bound = calibration.MinCyclesPerNs();
        const Drift drift = RunAtRate(anchor_, calibration, rate, 0);
        EXPECT_EQ(drift.ahead, 0);
        EXPECT_LE(drift.maxMsBehind, 1);
        EXPECT_GT(drift.laggedNs, 0u);
        EXPECT_LT(static_cast<double>(drift.laggedNs), (kMs - kSkewMarginNs) * (bound / rate - 1));
    }
}

// The real counter against the real clock, on several threads at once (they
// race to learn the rate): each value is the clock's millisecond at some
// instant between a clock reading before and one after, and no thread's
// values go back.
TEST(MonotonicMs, AgreesWithTheClockAndNeverGoesBack)
{
    auto clockMs = []
    {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return MsOf(static_cast<uint64_t>(ts.tv_sec) * 1000000000u +
                    static_cast<uint64_t>(ts.tv_nsec));
    };
    std::atomic<int> outside{0};
    std::atomic<int> backwards{0};
    auto check = [&]
    {
        const uint32_t begin = clockMs();
        uint32_t last = MonotonicMs();
        // The counter's own answers need the rate, which takes 10 ms of real
        // readings to learn; then many answers, most of them from the counter.
        int calls = 0;
        while (calls < 200000)
        {
            const uint32_t before = clockMs();
            const uint32_t value = MonotonicMs();
            const uint32_t after = clockMs();
            if (MsAhead(value, before) < 0 || MsAhead(after, value) < 0) ++outside;
            if (MsAhead(value, last) < 0) ++backwards;
            last = value;
            if (CalibratedCyclesPerNs() != 0 || MsAhead(after, begin) > 200) ++calls;
        }
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < 3; ++i) threads.emplace_back(check);
    check();
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(outside.load(), 0);
    EXPECT_EQ(backwards.load(), 0);
    RecordProperty("calibrated_cycles_per_ns", std::to_string(CalibratedCyclesPerNs()));
}

}  // namespace
