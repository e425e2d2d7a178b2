// TAnimTask: due times, repeat intervals and catching up on a time base.
#include "core/AnimTask.h"

#include "core/Clock.h"

namespace
{

int32_t Add(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
int32_t Sub(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

}  // namespace

TAnimTask::TAnimTask(TClock* clock) : clock_(clock)
{
    dueTime_ = GetTime();
}

TAnimTask::~TAnimTask() = default;

int32_t TAnimTask::GetTime() const
{
    return clock_ != nullptr ? clock_->GetTime() : static_cast<int32_t>(GetPassTime());
}

bool TAnimTask::IsReady(int phase)
{
    if (phase == TaskPhaseDraw) return drawPass_;
    if (dueTime_ == -1) return false;
    // On the application time a task that is provably early needs no reading.
    if (clock_ == nullptr) return !PassTimeBefore(static_cast<uint32_t>(dueTime_));
    return Sub(clock_->GetTime(), dueTime_) >= 0;
}

bool TAnimTask::Run()
{
    int32_t now = GetTime();
    // Never try to make up for more than a second (a pause, a slow load).
    if (dueTime_ != -1 && Sub(now, dueTime_) > 1000) dueTime_ = now;
    bool keep;
    for (;;)
    {
        if (dueTime_ == -1)
        {
            // Stepped by the draw pass with no timer: there is nothing to advance.
        }
        else if (repeat_)
        {
            dueTime_ = Add(restart_ ? now : dueTime_, interval_);
            if (dueTime_ == -1) dueTime_ = 0;
        }
        else
        {
            // Fired once: the step may set a new timer of its own.
            dueTime_ = -1;
        }
        keep = DoTask();
        // Without an interval the due time never moves past now, so catching up
        // would never end.
        if (!keep || !catchUp_ || !repeat_ || interval_ <= 0 || dueTime_ == -1) break;
        if (!(static_cast<uint32_t>(dueTime_) < static_cast<uint32_t>(now))) break;
    }
    return keep;
}

void TAnimTask::SetTimer(int32_t delay, bool repeat, bool restart, bool catchUp)
{
    restart_ = restart;
    catchUp_ = catchUp;
    repeat_ = repeat;
    int32_t base = (restart || dueTime_ == -1) ? GetTime() : dueTime_;
    dueTime_ = Add(base, delay);
    // A due time that lands on -1 would read as "no timer".
    if (dueTime_ == -1) dueTime_ = 0;
    interval_ = repeat ? delay : 0;
}

int32_t TAnimTask::GetOverdue() const
{
    if (dueTime_ == -1) return -1;
    return Sub(GetTime(), dueTime_);
}

void TAnimTask::StopTimer()
{
    dueTime_ = -1;
    drawPass_ = false;
}

void TAnimTask::SetClock(TClock* clock)
{
    if (dueTime_ == -1)
    {
        clock_ = clock;
        return;
    }
    int32_t remaining = Sub(dueTime_, GetTime());
    clock_ = clock;
    dueTime_ = Add(GetTime(), remaining);
    if (dueTime_ == -1) dueTime_ = 0;
}
