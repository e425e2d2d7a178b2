// TClock and the application time source it reads.
#include "core/Clock.h"

#include <time.h>

#include <atomic>

#include "core/MonotonicMs.h"

namespace
{

uint64_t CoarseNanoseconds()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000000000u + static_cast<uint64_t>(ts.tv_nsec);
}

// The coarse clock's tick in whole milliseconds, 0 when there is none (or
// one so long that the shortcut would never apply).
uint32_t CoarseTickMs()
{
    timespec res{};
    if (clock_getres(CLOCK_MONOTONIC_COARSE, &res) != 0 || res.tv_sec != 0) return 0;
    return static_cast<uint32_t>((res.tv_nsec + 999999) / 1000000);
}

std::atomic<TClockTimeSource> gSource{&MonotonicMs};
std::atomic<bool> gSourceRealTime{true};
std::atomic<TCoarseClock> gCoarse{nullptr};  // null: CoarseNanoseconds
std::atomic<uint32_t> gCoarseTickMs{0};      // of an installed coarse clock

// Nonzero while the installed source follows real time and a coarse clock
// is there; a new value with every change of either, so readings remembered
// under an earlier pair are never trusted. Set last when installing.
std::atomic<uint32_t> gEpoch{1};
uint32_t gLastEpoch = 1;  // the counter behind gEpoch (installers only)

// This thread's last reading made by a due check of a real-time source,
// with the coarse clock's value read just before it.
struct LastReading
{
    uint32_t epoch = 0;  // 0: none
    uint32_t time = 0;
    uint32_t margin = 0;  // how far time may be past it while coarse holds
    uint64_t coarse = 0;
};
thread_local LastReading t_last;

// Modular 32-bit sums: the readings wrap like the millisecond counter does.
int32_t Wrap(uint32_t v)
{
    return static_cast<int32_t>(v);
}

uint32_t DefaultCoarseTickMs()
{
    static const uint32_t tick = CoarseTickMs();
    return tick;
}

void Reinstall(TClockTimeSource source, bool realTime, TCoarseClock coarse, uint32_t tickMs)
{
    gEpoch.store(0);
    gSource.store(source);
    gSourceRealTime.store(realTime);
    gCoarse.store(coarse);
    gCoarseTickMs.store(tickMs);
    const uint32_t tick = coarse != nullptr ? tickMs : DefaultCoarseTickMs();
    if (realTime && tick != 0)
    {
        if (++gLastEpoch == 0) gLastEpoch = 1;
        gEpoch.store(gLastEpoch);
    }
}

// A reading of the source that later due checks of this thread can build
// on: with the coarse clock's value read just before it.
uint32_t ReadAndRemember()
{
    const uint32_t epoch = gEpoch.load();
    if (epoch == 0) return gSource.load()();
    TCoarseClock coarse = gCoarse.load();
    const uint32_t tick = coarse != nullptr ? gCoarseTickMs.load() : DefaultCoarseTickMs();
    if (tick == 0) return gSource.load()();
    LastReading& last = t_last;
    last.epoch = 0;
    last.coarse = coarse != nullptr ? coarse() : CoarseNanoseconds();
    // The fine reading comes after the coarse one: while the coarse value
    // stays, less than a tick (and the update's lateness) has passed since.
    last.time = gSource.load()();
    last.margin = 2 * tick + 1;
    last.epoch = epoch;
    return last.time;
}

}  // namespace

constinit thread_local clock_detail::PassTime clock_detail::t_pass;
using clock_detail::PassTime;
using clock_detail::t_pass;

namespace
{

// The pass's reading, made through read when the pass holds none; outside a
// pass every call reads.
uint32_t PassReading(uint32_t (*read)())
{
    PassTime& pass = t_pass;
    if (pass.depth == 0) return read();
    if (!pass.read)
    {
        pass.time = read();
        pass.read = true;
    }
    return pass.time;
}

}  // namespace

void SetClockTimeSource(TClockTimeSource source, bool followsRealTime)
{
    if (source == nullptr)
    {
        source = &MonotonicMs;
        followsRealTime = true;
    }
    Reinstall(source, followsRealTime, gCoarse.load(), gCoarseTickMs.load());
    t_pass.read = false;
}

void SetCoarseClock(TCoarseClock clock, uint32_t tickMs)
{
    if (tickMs == 0) clock = nullptr;
    Reinstall(gSource.load(), gSourceRealTime.load(), clock, clock != nullptr ? tickMs : 0);
}

// Plain: only the due checks' own readings are remembered, so a reading
// elsewhere (a script's every wait) costs no coarse reading on top.
uint32_t GetClockSourceTime()
{
    return gSource.load()();
}

uint32_t GetPassTime()
{
    return PassReading(&GetClockSourceTime);
}

bool clock_detail::PassTimeWithinUnread(uint32_t start, uint32_t length, uint32_t* reading)
{
    // The current time lies in [last.time, last.time + margin] while the
    // coarse clock holds: enough when that whole span is in the window.
    const LastReading& last = t_last;
    const uint32_t epoch = gEpoch.load();
    if (epoch != 0 && last.epoch == epoch &&
        static_cast<uint64_t>(last.time - start) + last.margin < length)
    {
        TCoarseClock coarse = gCoarse.load();
        if ((coarse != nullptr ? coarse() : CoarseNanoseconds()) == last.coarse) return true;
    }
    // Read where the shortcut failed: the next checks can build on this.
    const uint32_t now = PassReading(&ReadAndRemember);
    if (reading != nullptr) *reading = now;
    return now - start < length;
}

void ForgetPassTime()
{
    t_pass.read = false;
}

int32_t TClock::RunningTime() const
{
    uint32_t elapsed = GetClockSourceTime() - base_;
    return Wrap(static_cast<uint32_t>(offset_) + elapsed - static_cast<uint32_t>(pauseTotal_));
}

int32_t TClock::GetTime() const
{
    return paused_ ? pausedAt_ : RunningTime();
}

void TClock::SetTime(int32_t ms)
{
    base_ = GetClockSourceTime();
    offset_ = ms;
    pausedAt_ = ms;
    pauseTotal_ = 0;
}

void TClock::Start()
{
    if (!paused_) return;
    if (!started_)
    {
        paused_ = false;
        started_ = true;
        SetTime(0);
        return;
    }
    pauseTotal_ = Wrap(static_cast<uint32_t>(pauseTotal_) + static_cast<uint32_t>(RunningTime()) -
                       static_cast<uint32_t>(pausedAt_));
    paused_ = false;
}

bool TClock::Stop()
{
    if (paused_) return true;
    pausedAt_ = RunningTime();
    paused_ = true;
    return false;
}

void TClock::Reset()
{
    SetTime(0);
    paused_ = true;
}
