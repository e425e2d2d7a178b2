// TAnimTask: a task that runs on a time base (a clock, or the application
// time), once when due, repeating, or in every draw pass.
#pragma once

#include <cstdint>

#include "core/Task.h"

class TClock;

// Times are 32-bit milliseconds that wrap; -1 as a due time means that no
// timer is set. Nothing here fails.
class TAnimTask : public TTask
{
public:
    // Due now, interval 0, all flags clear. The clock is not owned; null
    // runs on the application time.
    explicit TAnimTask(TClock* clock = nullptr);
    ~TAnimTask() override;

    // Phase 1: the draw-pass flag. Other phases: a timer is set and due.
    bool IsReady(int phase) override;
    // Advances the due time and steps DoTask (several times when catching up).
    // Returns the last DoTask result: false lets the list delete the task.
    bool Run() override;
    // The step itself.
    virtual bool DoTask() = 0;

    // The time base's reading: the clock's, or the application time.
    int32_t GetTime() const;
    // Due after delay ms, counted from now (restart) or from the current due
    // time (now when none). With repeat it comes back every delay ms (every
    // pass for 0); without, it fires once and the timer stops.
    void SetTimer(int32_t delay, bool repeat, bool restart, bool catchUp);
    // -1 when no timer is set, else now minus the due time.
    int32_t GetOverdue() const;
    // No timer, and out of the draw pass.
    void StopTimer();
    // Moves the task to another time base keeping the remaining wait.
    void SetClock(TClock* clock);
    TClock* GetClock() const { return clock_; }

    void SetDrawPass(bool on) { drawPass_ = on; }
    bool GetDrawPass() const { return drawPass_; }
    int32_t GetDueTime() const { return dueTime_; }
    int32_t GetInterval() const { return interval_; }

private:
    bool drawPass_ = false;
    int32_t dueTime_ = -1;
    int32_t interval_ = 0;
    bool restart_ = false;
    bool catchUp_ = false;
    TClock* clock_ = nullptr;
    // A one-shot timer stops once it has fired; an interval of 0 cannot tell
    // the two apart.
    bool repeat_ = false;
};
