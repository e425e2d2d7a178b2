// TClock: a pausable millisecond stopwatch over the application time.
#pragma once

#include <cstdint>

// Source of the application time in milliseconds (32-bit, wraps).
using TClockTimeSource = uint32_t (*)();

// Replaces the time source of every clock (the application facade installs
// its own; tests install a fake). Null restores the default, a monotonic
// millisecond counter.
void SetClockTimeSource(TClockTimeSource source);
// The current application time through the installed source.
uint32_t GetClockSourceTime();

// One reading per pass: a pass of the host loop (a task-list pass, the
// window manager's handling of an event) reads the application time at most
// once while a TClockPass lives on this thread, and every due check, timer
// and frame check in it shares that reading. Script code may run for long
// inside a pass, so resuming or calling a script drops the reading (the next
// GetPassTime reads again). Outside a pass GetPassTime reads every time.
uint32_t GetPassTime();
// The next GetPassTime of this thread's pass reads the source again.
void ForgetPassTime();

// Passes nest; the reading goes when the outermost one ends.
class TClockPass
{
public:
    TClockPass();
    ~TClockPass();
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
