// TClock and the application time source it reads.
#include "core/Clock.h"

#include <atomic>
#include <chrono>

namespace
{

uint32_t MonotonicMilliseconds()
{
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::atomic<TClockTimeSource> g_source{&MonotonicMilliseconds};

// The pass state of each thread (passes are the main thread's in practice).
struct PassTime
{
    int depth = 0;
    bool read = false;
    uint32_t time = 0;
};
thread_local PassTime t_pass;

// Modular 32-bit sums: the readings wrap like the millisecond counter does.
int32_t Wrap(uint32_t v)
{
    return static_cast<int32_t>(v);
}

}  // namespace

void SetClockTimeSource(TClockTimeSource source)
{
    g_source.store(source != nullptr ? source : &MonotonicMilliseconds);
    t_pass.read = false;
}

uint32_t GetClockSourceTime()
{
    return g_source.load()();
}

uint32_t GetPassTime()
{
    PassTime& pass = t_pass;
    if (pass.depth == 0) return GetClockSourceTime();
    if (!pass.read)
    {
        pass.time = GetClockSourceTime();
        pass.read = true;
    }
    return pass.time;
}

void ForgetPassTime()
{
    t_pass.read = false;
}

TClockPass::TClockPass()
{
    ++t_pass.depth;
}

TClockPass::~TClockPass()
{
    if (--t_pass.depth == 0) t_pass.read = false;
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
