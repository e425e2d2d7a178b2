// The SDL audio device: every playing buffer is mixed in one SDL callback,
// resampled and converted to the primary format (44100 Hz 16-bit stereo by
// default). The callback takes only the device's own lock.
#include <SDL.h>

#include <algorithm>
#include <vector>

#include "platform/audio/AudioPcmBuffer.h"

namespace
{

// State shared by the device, its buffers and the callback; buffers keep it
// alive so that they may outlive the device object.
struct TSdlAudioCore
{
    std::mutex lock;
    std::vector<TPcmAudioBuffer*> buffers;
    std::vector<int32_t> accumulator;
    int outputRate = 44100;
    int outputFrames = 1024;
};

class TSdlAudioBuffer : public TPcmAudioBuffer
{
public:
    TSdlAudioBuffer(std::shared_ptr<TSdlAudioCore> core, const TAudioFormat& format, uint32_t bytes,
                    uint32_t latencyBytes)
        : TPcmAudioBuffer(format, bytes, &core->lock, latencyBytes), core_(std::move(core))
    {
        std::lock_guard<std::mutex> guard(core_->lock);
        core_->buffers.push_back(this);
    }
    ~TSdlAudioBuffer() override
    {
        std::lock_guard<std::mutex> guard(core_->lock);
        auto& list = core_->buffers;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }

private:
    std::shared_ptr<TSdlAudioCore> core_;
};

void MixCallback(void* user, Uint8* stream, int length)
{
    auto* core = static_cast<TSdlAudioCore*>(user);
    const int frames = length / 4;
    std::lock_guard<std::mutex> guard(core->lock);
    auto& acc = core->accumulator;
    if (acc.size() < static_cast<size_t>(frames) * 2) acc.resize(static_cast<size_t>(frames) * 2);
    std::fill(acc.begin(), acc.begin() + frames * 2, 0);
    for (TPcmAudioBuffer* buffer : core->buffers)
        buffer->MixLocked(acc.data(), frames, core->outputRate);
    auto* out = reinterpret_cast<int16_t*>(stream);
    for (int i = 0; i < frames * 2; ++i)
        out[i] = static_cast<int16_t>(std::clamp(acc[i], -32768, 32767));
}

class TSdlAudioDevice : public TAudioDevice
{
public:
    ~TSdlAudioDevice() override
    {
        Close();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    TAudioResult Start(const TAudioFormat& format)
    {
        if (!format.IsValid() || format.channels != 2 || format.bits != 16)
            return kAudioErrInvalidParam;
        Close();
        SDL_AudioSpec want;
        SDL_zero(want);
        want.freq = format.rate;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = 1024;
        want.callback = MixCallback;
        want.userdata = core_.get();
        SDL_AudioSpec have;
        // No changes allowed: SDL converts from exactly this format, so the
        // mixer always writes 16-bit stereo at the primary rate.
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_ == 0) return kAudioErrNoDevice;
        {
            std::lock_guard<std::mutex> guard(core_->lock);
            core_->outputRate = have.freq;
            core_->outputFrames = have.samples;
        }
        format_ = format;
        SDL_PauseAudioDevice(device_, 0);
        return kAudioOk;
    }

    TAudioResult SetPrimaryFormat(const TAudioFormat& format) override
    {
        if (device_ != 0 && format.rate == format_.rate && format.channels == format_.channels &&
            format.bits == format_.bits)
            return kAudioOk;
        return Start(format);
    }

    TAudioResult CreateBuffer(const TAudioFormat& format, uint32_t bytes,
                              std::shared_ptr<TAudioBuffer>* buffer) override
    {
        if (buffer == nullptr) return kAudioErrInvalidParam;
        buffer->reset();
        if (!format.IsValid() || bytes == 0 || bytes < static_cast<uint32_t>(format.BlockAlign()))
            return kAudioErrInvalidParam;
        int deviceFrames;
        int deviceRate;
        {
            std::lock_guard<std::mutex> guard(core_->lock);
            deviceFrames = core_->outputFrames;
            deviceRate = core_->outputRate;
        }
        // The write cursor leads by what one callback may consume, in this
        // buffer's bytes, plus the frames that resampling reads beyond it.
        const uint64_t latency =
            (static_cast<uint64_t>(deviceFrames) * format.rate / std::max(deviceRate, 1) + 2) *
            format.BlockAlign();
        try
        {
            *buffer = std::make_shared<TSdlAudioBuffer>(core_, format, bytes,
                                                        static_cast<uint32_t>(latency));
        }
        catch (const std::bad_alloc&)
        {
            return kAudioErrOutOfMemory;
        }
        return kAudioOk;
    }

private:
    void Close()
    {
        if (device_ != 0) SDL_CloseAudioDevice(device_);
        device_ = 0;
    }

    std::shared_ptr<TSdlAudioCore> core_ = std::make_shared<TSdlAudioCore>();
    SDL_AudioDeviceID device_ = 0;
    TAudioFormat format_;
};

}  // namespace

TAudioResult OpenSdlAudioDevice(std::unique_ptr<TAudioDevice>* device)
{
    if (device == nullptr) return kAudioErrInvalidParam;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return kAudioErrNoDevice;
    auto sdl = std::make_unique<TSdlAudioDevice>();
    const TAudioResult result = sdl->Start(TAudioFormat{});
    if (result != kAudioOk) return result;  // the destructor quits the subsystem again
    *device = std::move(sdl);
    return kAudioOk;
}
