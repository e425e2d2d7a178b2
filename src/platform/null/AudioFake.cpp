// The fake audio device and its hand-driven buffers.
#include "platform/null/AudioFake.h"

// Outside the anonymous namespace: TFakeAudio names it as a friend.
class TFakeAudioDevice : public TAudioDevice
{
public:
    explicit TFakeAudioDevice(std::shared_ptr<TFakeAudio> owner) : owner_(std::move(owner)) {}

    TAudioResult SetPrimaryFormat(const TAudioFormat& format) override
    {
        return format.IsValid() ? kAudioOk : kAudioErrInvalidParam;
    }

    TAudioResult CreateBuffer(const TAudioFormat& format, uint32_t bytes,
                              std::shared_ptr<TAudioBuffer>* buffer) override
    {
        if (buffer == nullptr) return kAudioErrInvalidParam;
        buffer->reset();
        TAudioResult error;
        {
            std::lock_guard<std::mutex> guard(owner_->lock);
            error = owner_->createBufferError;
        }
        if (error != kAudioOk) return error;
        if (!format.IsValid() || bytes < static_cast<uint32_t>(format.BlockAlign()))
            return kAudioErrInvalidParam;
        auto made = std::make_shared<TFakeAudioBuffer>(owner_, format, bytes);
        {
            std::lock_guard<std::mutex> guard(owner_->lock);
            owner_->buffers_.push_back(made);
        }
        *buffer = std::move(made);
        return kAudioOk;
    }

private:
    std::shared_ptr<TFakeAudio> owner_;
};

namespace
{
std::mutex gInstalledLock;
std::weak_ptr<TFakeAudio> gInstalled;

}  // namespace

TFakeAudioBuffer::TFakeAudioBuffer(std::shared_ptr<TFakeAudio> owner, const TAudioFormat& format,
                                   uint32_t bytes)
    : TPcmAudioBuffer(format, bytes, &owner->lock, owner->latencyBytes), owner_(std::move(owner))
{
}

TAudioResult TFakeAudioBuffer::Lock(uint32_t offset, uint32_t bytes, void** data, uint32_t* length)
{
    TAudioResult error;
    {
        std::lock_guard<std::mutex> guard(owner_->lock);
        error = owner_->lockError;
    }
    if (error != kAudioOk) return error;
    return TPcmAudioBuffer::Lock(offset, bytes, data, length);
}

TAudioResult TFakeAudioBuffer::SetVolume(int32_t hundredthsOfDb)
{
    const TAudioResult result = TPcmAudioBuffer::SetVolume(hundredthsOfDb);
    std::lock_guard<std::mutex> guard(owner_->lock);
    volumes_.push_back(hundredthsOfDb);
    return result;
}

void TFakeAudioBuffer::Advance(uint32_t bytes)
{
    std::lock_guard<std::mutex> guard(owner_->lock);
    AdvanceLocked(bytes);
}

std::vector<uint8_t> TFakeAudioBuffer::Snapshot()
{
    void* data = nullptr;
    uint32_t length = 0;
    if (TPcmAudioBuffer::Lock(0, GetSize(), &data, &length) != kAudioOk) return {};
    std::vector<uint8_t> copy(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + length);
    TPcmAudioBuffer::Unlock(data, length);
    return copy;
}

std::vector<int32_t> TFakeAudioBuffer::VolumeHistory()
{
    std::lock_guard<std::mutex> guard(owner_->lock);
    return volumes_;
}

bool TFakeAudioBuffer::IsPlaying()
{
    uint32_t status = 0;
    GetStatus(&status);
    return (status & kAudioStatusPlaying) != 0;
}

std::shared_ptr<TFakeAudio> TFakeAudio::Install()
{
    auto fake = std::make_shared<TFakeAudio>();
    {
        std::lock_guard<std::mutex> guard(gInstalledLock);
        gInstalled = fake;
    }
    SetAudioDeviceFactory(
        [](std::unique_ptr<TAudioDevice>* device) -> TAudioResult
        {
            std::shared_ptr<TFakeAudio> owner;
            {
                std::lock_guard<std::mutex> guard(gInstalledLock);
                owner = gInstalled.lock();
            }
            if (!owner) return kAudioErrNoDevice;
            TAudioResult error;
            {
                std::lock_guard<std::mutex> guard(owner->lock);
                ++owner->openCount_;
                error = owner->openError;
            }
            if (error != kAudioOk) return error;
            *device = std::make_unique<TFakeAudioDevice>(owner);
            return kAudioOk;
        });
    return fake;
}

void TFakeAudio::Uninstall()
{
    SetAudioDeviceFactory(nullptr);
    std::lock_guard<std::mutex> guard(gInstalledLock);
    gInstalled.reset();
}

int TFakeAudio::OpenCount()
{
    std::lock_guard<std::mutex> guard(lock);
    return openCount_;
}

std::vector<std::shared_ptr<TFakeAudioBuffer>> TFakeAudio::LiveBuffers()
{
    std::lock_guard<std::mutex> guard(lock);
    std::vector<std::shared_ptr<TFakeAudioBuffer>> live;
    for (auto& weak : buffers_)
        if (auto buffer = weak.lock()) live.push_back(buffer);
    return live;
}

std::shared_ptr<TFakeAudioBuffer> TFakeAudio::LastBuffer()
{
    auto live = LiveBuffers();
    return live.empty() ? nullptr : live.back();
}

void TFakeAudio::AdvanceAll(double seconds)
{
    for (auto& buffer : LiveBuffers())
    {
        const TAudioFormat format = buffer->GetFormat();
        const auto bytes = static_cast<uint32_t>(seconds * format.rate) *
                           static_cast<uint32_t>(format.BlockAlign());
        buffer->Advance(bytes);
    }
}
