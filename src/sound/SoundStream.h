// One playing of a sound: a 2 s device buffer used as a ring of two halves,
// refilled from a spooler by the service thread, with a clock that keeps time
// when there is no device.
#pragma once

#include <cstdint>
#include <memory>

#include "core/Clock.h"
#include "sound/SoundInstance.h"
#include "sound/StreamNotify.h"
#include "sound/StreamSpooler.h"

class TAudioBuffer;

class TSoundStream : public std::enable_shared_from_this<TSoundStream>
{
public:
    // Makes a stream that owns spooler and registers it with the current sound
    // manager (when there is one).
    static std::shared_ptr<TSoundStream> Create(TStreamSpooler* spooler, bool loop, int32_t group,
                                                std::weak_ptr<TStreamNotify> owner);
    virtual ~TSoundStream();
    TSoundStream(const TSoundStream&) = delete;
    TSoundStream& operator=(const TSoundStream&) = delete;

    // Every operation below takes the sound lock for its whole run.

    // Creates the device buffer (size rounded up to a multiple of 8, from 4
    // to 0x0FFFFFFF bytes) and fills its first half. False without an
    // initialised manager or when a device call fails (logged); the stream then
    // runs on its clock alone.
    bool CreateBuffer(int32_t sampleRate, int32_t channels, int32_t bitsPerSample, float seconds);
    // Starts playing (once: the buffer plays once), or, while the manager is
    // disabled, leaves the stream paused and suspended. Restarts the clock.
    void Play(bool once);
    // v clamped to [0, 1]: 0 is -10000, else -(1 - v) * 5000 hundredths of dB.
    void SetVolume(float volume);
    void SetPaused(bool pause);
    // Window deactivation: pauses unless already paused; resuming only undoes
    // a suspension.
    void Suspend(bool suspend);
    // One refill step; false when the stream has finished.
    bool Service(bool initial);
    // Once only: stops the buffer, drops the queued part and leaves the
    // manager's lists (retired, else removed at once).
    void Stop(bool retire);
    // Makes the queued part current (called by Service when the current one
    // runs out).
    void SwitchToQueued();
    // Queues a follow-up part (owned) with the owner to notify when it starts;
    // replaces a part queued before.
    void Queue(TStreamSpooler* spooler, std::weak_ptr<TStreamNotify> owner);

    void SetPlaying(const std::shared_ptr<TSoundInstance>& instance) { playing_ = instance; }
    std::weak_ptr<TSoundInstance> GetPlaying() const { return playing_; }
    std::weak_ptr<TStreamNotify> GetOwner() const { return owner_; }
    std::weak_ptr<TStreamNotify> GetPendingNotify() const { return pendingNotify_; }
    void ClearPendingNotify() { pendingNotify_.reset(); }

    int32_t GetGroup() const { return group_; }
    bool IsLooping() const { return loop_; }
    bool IsPaused() const { return paused_; }
    bool IsSuspended() const { return suspended_; }
    bool IsStopped() const { return stopped_; }
    bool IsPlayOnce() const { return playOnce_; }
    bool HasBuffer() const { return buffer_ != nullptr; }
    bool HasQueued() const { return queued_ != nullptr; }
    uint32_t GetBufferBytes() const { return bufferBytes_; }
    float GetBufferSeconds() const { return bufferSeconds_; }
    int32_t GetBytesLeft() const { return bytesLeft_; }
    bool HasSourceEnded() const { return sourceEnded_; }
    int32_t GetLastFilledHalf() const { return lastFilledHalf_; }
    TStreamSpooler* GetSpooler() const { return spooler_; }
    // The device buffer; null without one.
    TAudioBuffer* GetBuffer() const { return buffer_.get(); }

private:
    TSoundStream(TStreamSpooler* spooler, bool loop, int32_t group,
                 std::weak_ptr<TStreamNotify> owner);
    // Releases a spooler, on the main thread only: from the service thread the
    // release is handed to the manager's next Update.
    static void Dispose(TStreamSpooler* spooler);

    TStreamSpooler* spooler_;
    TStreamSpooler* queued_ = nullptr;
    // A spooler whose part has finished, kept so that its source is released
    // on the main thread.
    TStreamSpooler* spent_ = nullptr;
    std::weak_ptr<TStreamNotify> owner_;
    std::weak_ptr<TStreamNotify> queuedOwner_;
    std::weak_ptr<TStreamNotify> pendingNotify_;
    std::shared_ptr<TAudioBuffer> buffer_;
    std::weak_ptr<TSoundInstance> playing_;
    bool sourceEnded_ = true;
    bool playOnce_ = false;
    uint32_t bufferBytes_ = 0;
    float bufferSeconds_ = 0.0f;
    int32_t bytesLeft_ = 0;
    int32_t group_;
    bool loop_;
    bool paused_ = false;
    bool suspended_ = false;
    bool stopped_ = false;
    TClock clock_;
    int32_t lastFilledHalf_ = 0;
};
