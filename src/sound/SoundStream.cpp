// Sound streams: buffer creation, the two-half refill step, play, pause,
// suspend, volume and stop.
#include "sound/SoundStream.h"

#include <algorithm>
#include <cmath>

#include "platform/audio/AudioDevice.h"
#include "sound/SoundManager.h"

namespace
{

constexpr const char* kStreamFile = ".\\soundstream";
constexpr uint32_t kMaxBufferBytes = 0x0FFFFFFF;

void Check(TAudioResult result, int line)
{
    if (result != kAudioOk) TSoundManager::ReportDeviceError(result, kStreamFile, line);
}

}  // namespace

std::shared_ptr<TSoundStream> TSoundStream::Create(TStreamSpooler* spooler, bool loop,
                                                   int32_t group,
                                                   std::weak_ptr<TStreamNotify> owner)
{
    std::shared_ptr<TSoundStream> stream(new TSoundStream(spooler, loop, group, std::move(owner)));
    if (TSoundManager* manager = TSoundManager::Current()) manager->AddStream(stream);
    return stream;
}

TSoundStream::TSoundStream(TStreamSpooler* spooler, bool loop, int32_t group,
                           std::weak_ptr<TStreamNotify> owner)
    : spooler_(spooler), owner_(std::move(owner)), group_(group), loop_(loop)
{
}

TSoundStream::~TSoundStream()
{
    TSoundLockGuard guard;
    if (spooler_) spooler_->Release();
    spooler_ = nullptr;
    if (auto target = pendingNotify_.lock()) target->OnStreamNotify(this);
    if (queued_) queued_->Release();
    queued_ = nullptr;
    if (spent_) spent_->Release();
    spent_ = nullptr;
    if (auto instance = playing_.lock()) instance->SetStream(nullptr);
    if (buffer_) Check(buffer_->Stop(), 83);
    buffer_.reset();
}

void TSoundStream::Dispose(TStreamSpooler* spooler)
{
    if (spooler == nullptr) return;
    TSoundManager* manager = TSoundManager::Current();
    if (manager && manager->IsServiceThread())
    {
        manager->DeferRelease(
            std::shared_ptr<TStreamSpooler>(spooler, [](TStreamSpooler* s) { s->Release(); }));
        return;
    }
    spooler->Release();
}

bool TSoundStream::CreateBuffer(int32_t sampleRate, int32_t channels, int32_t bitsPerSample,
                                float seconds)
{
    TSoundLockGuard guard;
    TSoundManager* manager = TSoundManager::Current();
    if (manager == nullptr || !manager->IsInitialised() || manager->GetDevice() == nullptr)
        return false;

    TAudioFormat format;
    format.channels = channels;
    format.rate = sampleRate;
    format.bits = bitsPerSample;
    const int64_t bytesPerSecond = static_cast<int64_t>(format.rate) * format.BlockAlign();
    if (bytesPerSecond <= 0 || !format.IsValid())
    {
        TSoundManager::ReportDeviceError(kAudioErrInvalidParam, kStreamFile, 233);
        return false;
    }
    const double wanted = static_cast<double>(bytesPerSecond) * seconds;
    uint64_t size = kMaxBufferBytes;
    if (!std::isnan(wanted) && wanted >= 0.5)
    {
        if (wanted < static_cast<double>(UINT32_MAX))
        {
            const uint64_t rounded = static_cast<uint64_t>(std::llround(wanted));
            size = (rounded + 7) & ~static_cast<uint64_t>(7);
            if (size > UINT32_MAX) size = 4;  // rounding up overflowed 32 bits
        }
    }
    else
    {
        size = 4;
    }
    size = std::min<uint64_t>(size, kMaxBufferBytes);

    std::shared_ptr<TAudioBuffer> buffer;
    const TAudioResult result =
        manager->GetDevice()->CreateBuffer(format, static_cast<uint32_t>(size), &buffer);
    if (result != kAudioOk || !buffer)
    {
        Check(result != kAudioOk ? result : kAudioErrGeneric, 233);
        return false;
    }
    buffer_ = std::move(buffer);
    bufferBytes_ = static_cast<uint32_t>(size);
    bufferSeconds_ =
        static_cast<float>(static_cast<double>(size) / static_cast<double>(bytesPerSecond));
    bytesLeft_ = static_cast<int32_t>(size);
    sourceEnded_ = false;
    lastFilledHalf_ = 0;
    Service(true);
    return true;
}

bool TSoundStream::Service(bool initial)
{
    TSoundLockGuard guard;
    if (!buffer_)
    {
        if (spooler_ && spooler_->GetDuration() < clock_.GetTime() / 1000.0)
        {
            // A looping sound never ends by itself, device or not.
            if (loop_) return true;
            if (!queued_) return false;
            SwitchToQueued();
            clock_.Reset();
            clock_.Start();
        }
        return true;
    }

    uint32_t play = 0;
    uint32_t write = 0;
    Check(buffer_->GetCurrentPosition(&play, &write), 346);
    const uint32_t half = bufferBytes_ / 2;
    int32_t target = 1;
    uint32_t offset = 0;
    if (!initial)
    {
        target = 2;
        offset = half;
        if (write >= half)
        {
            if (play <= half) return true;
            target = 1;
            offset = 0;
        }
    }

    if (target != lastFilledHalf_)
    {
        lastFilledHalf_ = target;
        if (sourceEnded_)
        {
            bytesLeft_ -= static_cast<int32_t>(half);
            if (bytesLeft_ < 1 && !queued_)
            {
                Check(buffer_->Stop(), 392);
                // The part is over; its source goes with the stream, on the main
                // thread.
                if (spooler_)
                {
                    if (spent_) Dispose(spent_);
                    spent_ = spooler_;
                    spooler_ = nullptr;
                }
                return false;
            }
        }
        void* data = nullptr;
        uint32_t length = 0;
        const TAudioResult locked = buffer_->Lock(offset, half, &data, &length);
        if (locked != kAudioOk)
        {
            Check(locked, 409);
            return false;
        }
        int32_t written = 0;
        bool filled = false;
        if (spooler_)
            filled = spooler_->Fill(static_cast<int32_t>(length), data, &written, loop_);
        else
            std::fill_n(static_cast<uint8_t*>(data), length, 0);
        sourceEnded_ = !filled;
        if (sourceEnded_ && queued_)
        {
            SwitchToQueued();
            if (written < static_cast<int32_t>(length))
            {
                spooler_->Rewind();
                int32_t more = 0;
                sourceEnded_ = !spooler_->Fill(static_cast<int32_t>(length) - written,
                                               static_cast<uint8_t*>(data) + written, &more, loop_);
            }
        }
        Check(buffer_->Unlock(data, length), 439);
    }
    else if (playOnce_ && !paused_ && play >= write)
    {
        // A paused buffer has both cursors equal without having played out.
        return false;
    }
    return true;
}

void TSoundStream::Play(bool once)
{
    TSoundLockGuard guard;
    if (once) playOnce_ = true;
    if (buffer_)
    {
        TSoundManager* manager = TSoundManager::Current();
        if (manager) SetVolume(manager->GetGroupVolume(group_));
        if (manager == nullptr || manager->IsEnabled())
        {
            if (playOnce_)
                Check(buffer_->Play(false), 559);
            else
                Check(buffer_->Play(true), 561);
        }
        else
        {
            suspended_ = true;
            paused_ = true;
        }
    }
    clock_.Reset();
    clock_.Start();
}

void TSoundStream::SetVolume(float volume)
{
    TSoundLockGuard guard;
    // A volume computed as NaN silences rather than reaching an undefined
    // conversion.
    const float v = std::isnan(volume) ? 0.0f : std::clamp(volume, 0.0f, 1.0f);
    if (!buffer_) return;
    uint32_t status = 0;
    const TAudioResult got = buffer_->GetStatus(&status);
    Check(got, 639);
    if (got == kAudioOk && status == kAudioStatusLost) Check(buffer_->Restore(), 643);
    const int32_t hundredths =
        v == 0.0f ? kAudioVolumeMin : static_cast<int32_t>(-(1.0f - v) * 5000.0f);
    Check(buffer_->SetVolume(hundredths), 645);
}

void TSoundStream::SetPaused(bool pause)
{
    TSoundLockGuard guard;
    if (buffer_)
    {
        if (!pause)
        {
            paused_ = false;
            Play(playOnce_);
            clock_.Start();
        }
        else
        {
            paused_ = true;
            Check(buffer_->Stop(), 477);
            suspended_ = false;
            clock_.Stop();
        }
        return;
    }
    // Without a device the flag still matters: a sound the game paused must
    // stay paused across a suspension.
    paused_ = pause;
    if (pause)
    {
        suspended_ = false;
        clock_.Stop();
    }
    else
    {
        clock_.Start();
    }
}

void TSoundStream::Suspend(bool suspend)
{
    TSoundLockGuard guard;
    if (suspend)
    {
        if (!paused_)
        {
            SetPaused(true);
            suspended_ = true;
        }
    }
    else
    {
        if (suspended_) SetPaused(false);
        suspended_ = false;
    }
}

void TSoundStream::Stop(bool retire)
{
    TSoundLockGuard guard;
    if (stopped_) return;
    stopped_ = true;
    // Leaving the manager's lists may drop the last reference but one.
    const std::shared_ptr<TSoundStream> self = weak_from_this().lock();
    if (buffer_) Check(buffer_->Stop(), 591);
    Dispose(queued_);
    queued_ = nullptr;
    queuedOwner_.reset();
    if (TSoundManager* manager = TSoundManager::Current())
    {
        if (retire)
            manager->RetireStream(this);
        else
            manager->RemoveStream(this);
    }
}

void TSoundStream::SwitchToQueued()
{
    TSoundLockGuard guard;
    if (!queued_) return;
    Dispose(spooler_);
    spooler_ = queued_;
    queued_ = nullptr;
    sourceEnded_ = false;
    // The new part gets a countdown of its own: one queued after the old part
    // had ended would otherwise be cut off as soon as its own data ends.
    bytesLeft_ = static_cast<int32_t>(bufferBytes_);
    pendingNotify_ = owner_;
    if (auto instance = playing_.lock())
    {
        instance->currentSound = instance->queuedSound;
        instance->queuedSound.reset();
        instance->SetStream(this);
        TSoundManager* manager = TSoundManager::Current();
        if (manager && manager->IsServiceThread()) manager->DeferRelease(std::move(instance));
    }
    owner_ = queuedOwner_;
    queuedOwner_.reset();
}

void TSoundStream::Queue(TStreamSpooler* spooler, std::weak_ptr<TStreamNotify> owner)
{
    TSoundLockGuard guard;
    Dispose(queued_);
    queued_ = spooler;
    queuedOwner_ = std::move(owner);
}
