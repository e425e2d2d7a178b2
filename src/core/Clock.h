// TClock: a pausable millisecond stopwatch over the application time.
#pragma once

#include <cstdint>

// Source of the application time in milliseconds (32-bit, wraps).
using TClockTimeSource = uint32_t (*)();

// Replaces the time source of every clock (the application facade installs
// its own; tests install a fake). Null restores the default, a monotonic
// millisecond counter. followsRealTime says that the source never runs
// faster than the monotonic clock (it may run slower or stand still), which
// lets due checks prove "not yet" from the coarse clock alone (see
// PassTimeWithin); a source that may run ahead (a test's fake) must leave it
// false. The default source follows real time whatever the flag says.
void SetClockTimeSource(TClockTimeSource source, bool followsRealTime = false);
// The current application time through the installed source.
uint32_t GetClockSourceTime();

// A cheap clock that moves once per tick (any unit: only "has it changed"
// counts), and its tick length in milliseconds.
using TCoarseClock = uint64_t (*)();
// Replaces the coarse clock (tests install a fake). Null, or a tick of 0,
// restores the default: the kernel's coarse monotonic clock, whose tick the
// system reports (without one the shortcut is off).
void SetCoarseClock(TCoarseClock clock, uint32_t tickMs);

namespace clock_detail
{
// The pass state of each thread (passes are the main thread's in practice).
struct PassTime
{
    int depth = 0;
    bool read = false;
    uint32_t time = 0;
};
// Constant-initialised: reaching it costs no initialisation check, so
// opening and closing a pass, and a check on the pass's reading, are a few
// instructions inline.
extern constinit thread_local PassTime t_pass;
// PassTimeWithin when the pass holds no reading (or there is no pass).
bool PassTimeWithinUnread(uint32_t start, uint32_t length, uint32_t* reading);
}  // namespace clock_detail

// One reading per pass: a pass of the host loop (a task-list pass, the
// window manager's handling of an event) reads the application time at most
// once while a TClockPass lives on this thread, and every due check, timer
// and frame check in it shares that reading. Script code may run for long
// inside a pass, so resuming or calling a script drops the reading (the next
// GetPassTime reads again). Outside a pass GetPassTime reads every time.
uint32_t GetPassTime();
// The next GetPassTime of this thread's pass reads the source again.
void ForgetPassTime();

// Whether the pass time lies in [start, start + length), counted modulo
// 2^32: GetPassTime() - start < length. Same answer as that expression, but
// when the pass holds no reading yet it may answer true without reading the
// source: with a source that follows real time, each reading this check
// makes on this thread remembers the coarse clock's value read just before;
// while the coarse clock still shows that value, at most one tick (plus the
// kernel's update jitter, another tick, plus the millisecond truncation) has
// passed since, so a window that holds the last such reading and that much
// more holds the current time too. Otherwise it reads as GetPassTime does
// (and keeps the reading for the pass), storing it in *reading when given.
// Limits, both bounded by the coarse clock: a source that jumps (the
// application time when its pause total changes or its offset is set) or a
// coarse clock the kernel updates late can keep a check answering "not yet"
// for as long as the coarse value stays, under one tick in practice.
inline bool PassTimeWithin(uint32_t start, uint32_t length, uint32_t* reading = nullptr)
{
    const clock_detail::PassTime& pass = clock_detail::t_pass;
    if (pass.depth == 0 || !pass.read)
        return clock_detail::PassTimeWithinUnread(start, length, reading);
    if (reading != nullptr) *reading = pass.time;
    return pass.time - start < length;
}
// "Not yet": the pass time is before due, (int32_t)(GetPassTime() - due) < 0.
inline bool PassTimeBefore(uint32_t due)
{
    return PassTimeWithin(due - 0x80000000u, 0x80000000u);
}

// Passes nest; the reading goes when the outermost one ends.
class TClockPass
{
public:
    TClockPass() { ++clock_detail::t_pass.depth; }
    ~TClockPass()
    {
        if (--clock_detail::t_pass.depth == 0) clock_detail::t_pass.read = false;
    }
    TClockPass(const TClockPass&) = delete;
    TClockPass& operator=(const TClockPass&) = delete;
};

// All arithmetic is 32-bit and wraps. Never fails.
class TClock
{
public:
    // Paused, not started, reading 0.
    TClock() = default;
    virtual ~TClock() = default;

    // While paused, the frozen reading; while running, the elapsed time.
    int32_t GetTime() const;
    // The reading becomes ms; the paused state is kept.
    void SetTime(int32_t ms);
    // Runs the clock: from 0 on the very first start, else continuing from the
    // paused reading. Nothing when already running.
    void Start();
    // Freezes the reading. Returns true when the clock was already paused.
    bool Stop();
    // Paused at 0; a started clock stays started.
    void Reset();

    bool IsPaused() const { return paused_; }
    bool IsStarted() const { return started_; }

private:
    int32_t RunningTime() const;

    bool paused_ = true;
    bool started_ = false;
    uint32_t base_ = 0;
    int32_t offset_ = 0;
    int32_t pausedAt_ = 0;
    int32_t pauseTotal_ = 0;
};
