// The sound manager: the one audio device of the application, the list of
// playing streams, master and group volumes, and the service thread that
// refills and reaps the streams under one re-entrant lock.
#pragma once

#include <cstdint>
#include <memory>

#include "core/Clock.h"

class TSoundStream;
class TAudioDevice;
struct TSoundManagerState;

class TSoundManager
{
public:
    // The device error behind the application's out-of-memory handling.
    using TOutOfMemoryHandler = void (*)();

    // Becomes the current manager (Current()) unless one exists already.
    TSoundManager();
    // Stops and joins the service thread (when it was started), drops the
    // retired and active streams, then the device.
    virtual ~TSoundManager();
    TSoundManager(const TSoundManager&) = delete;
    TSoundManager& operator=(const TSoundManager&) = delete;

    // The manager TSoundLockGuard and the sound classes use: the one
    // constructed first that still exists; null when there is none.
    static TSoundManager* Current();

    // Starts the service thread and opens the audio device. True at once when
    // already initialised. False (with a "DX Error" log line) when the device
    // cannot be opened; the thread still runs and streams then time
    // themselves by their clocks.
    bool Init();
    bool IsInitialised() const { return initialised_; }

    // How many times the lock is held right now (0 when free). The lock is
    // taken only through TSoundLockGuard.
    int GetLockDepth() const;

    // Main thread, idle pass: drops retired streams and delivers pending stream
    // notifications.
    void Update();
    // The service pass (the thread calls it with true under the lock): at most
    // every 500 ms, services every active stream, retiring (from the thread) or
    // removing finished ones. Returns true.
    bool Service(bool fromThread);

    void AddStream(const std::shared_ptr<TSoundStream>& stream);
    void RetireStream(TSoundStream* stream);
    void RemoveStream(TSoundStream* stream);
    // Number of streams in the active and retired lists.
    int GetActiveCount();
    int GetRetiredCount();

    // Master volume times the group's, or the master alone for an unknown group.
    float GetGroupVolume(int32_t group);
    void ApplyVolume(TSoundStream* stream);
    void ApplyAllVolumes();
    void SetMasterVolume(float volume);
    void SetGroupVolume(int32_t group, float volume);
    // Suspends (off) or resumes (on) every active stream; on re-applies volumes.
    void Enable(bool on);
    bool IsEnabled() const { return enabled_; }

    // The device, null without one. Use only under the lock.
    TAudioDevice* GetDevice();

    // Keeps a reference taken on the service thread until the next Update, so
    // that the object it holds is never destroyed on the service thread.
    void DeferRelease(std::shared_ptr<void> reference);
    // True on the service thread.
    bool IsServiceThread() const;

    // Reports a device error the way every sound module does; runs the
    // out-of-memory handler once for kAudioErrOutOfMemory.
    static void ReportDeviceError(int32_t code, const char* file, int line);
    static void SetOutOfMemoryHandler(TOutOfMemoryHandler handler);

private:
    friend class TSoundLockGuard;

    // Re-entrant for the owning thread; never times out.
    void Lock();
    void Unlock();
    void ThreadMain();

    std::unique_ptr<TSoundManagerState> state_;
    TClock reapClock_;
    bool initialised_ = false;
    bool shuttingDown_ = false;
    bool enabled_ = true;
};

// Holds the current manager's lock, or the given manager's, for a scope
// (nothing without a manager).
class TSoundLockGuard
{
public:
    TSoundLockGuard() : TSoundLockGuard(TSoundManager::Current()) {}
    explicit TSoundLockGuard(TSoundManager* manager) : manager_(manager)
    {
        if (manager_) manager_->Lock();
    }
    ~TSoundLockGuard()
    {
        if (manager_) manager_->Unlock();
    }
    TSoundLockGuard(const TSoundLockGuard&) = delete;
    TSoundLockGuard& operator=(const TSoundLockGuard&) = delete;

private:
    TSoundManager* manager_;
};
