// TSpinLock: a lock for a few instructions' worth of work that is taken very
// often and almost never contended (the live set of script objects, the
// small-block free lists). Taking it free costs one atomic exchange and
// releasing it one store, where a mutex costs two atomic operations and two
// calls. A waiter spins with the processor's pause hint and, after a while,
// yields its time slice, so a holder that lost its processor on a busy
// machine gets it back instead of being starved by spinners.
//
// Usable in constant initialisation and trivially destructible, so a lock
// with static storage works before and after every other static.
#pragma once

#include <atomic>
#include <thread>

class TSpinLock
{
public:
    constexpr TSpinLock() = default;
    TSpinLock(const TSpinLock&) = delete;
    TSpinLock& operator=(const TSpinLock&) = delete;

    void lock()
    {
        if (!held_.exchange(true, std::memory_order_acquire)) return;
        LockContended();
    }

    bool try_lock()
    {
        return !held_.load(std::memory_order_relaxed) &&
               !held_.exchange(true, std::memory_order_acquire);
    }

    void unlock() { held_.store(false, std::memory_order_release); }

private:
    static void Pause()
    {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#elif defined(__aarch64__)
        asm volatile("yield");
#endif
    }

    [[gnu::noinline]] void LockContended()
    {
        for (unsigned spins = 0;; ++spins)
        {
            // Read until it looks free, so waiters do not bounce the line.
            while (held_.load(std::memory_order_relaxed))
            {
                if (spins < 64)
                {
                    Pause();
                    ++spins;
                }
                else
                {
                    std::this_thread::yield();
                }
            }
            if (!held_.exchange(true, std::memory_order_acquire)) return;
        }
    }

    std::atomic<bool> held_{false};
};
