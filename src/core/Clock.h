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
