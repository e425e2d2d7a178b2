// Memory-backed secondary buffers and their mixing into the device output.
#include "platform/audio/AudioPcmBuffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

bool TAudioFormat::IsValid() const
{
    return (channels == 1 || channels == 2) && (bits == 8 || bits == 16) && rate >= 100 &&
           rate <= 384000;
}

float AudioVolumeToGain(int32_t hundredthsOfDb)
{
    if (hundredthsOfDb <= kAudioVolumeMin) return 0.0f;
    if (hundredthsOfDb >= kAudioVolumeMax) return 1.0f;
    return static_cast<float>(std::pow(10.0, hundredthsOfDb / 2000.0));
}

TPcmAudioBuffer::TPcmAudioBuffer(const TAudioFormat& format, uint32_t bytes, std::mutex* lock,
                                 uint32_t latencyBytes)
    : lock_(lock), format_(format), data_(bytes, format.bits == 8 ? 0x80 : 0)
{
    const uint32_t block = static_cast<uint32_t>(format_.BlockAlign());
    frameCount_ = bytes / block;
    // A latency that reaches a whole half would make every refill decision
    // wrong; keep it well inside.
    latencyBytes_ = std::min(latencyBytes, bytes / 8) / block * block;
    committed_.resize(latencyBytes_);
}

TAudioResult TPcmAudioBuffer::Lock(uint32_t offset, uint32_t bytes, void** data, uint32_t* length)
{
    std::lock_guard<std::mutex> guard(*lock_);
    if (data == nullptr || length == nullptr) return kAudioErrInvalidParam;
    *data = nullptr;
    *length = 0;
    if (locked_) return kAudioErrAlreadyLocked;
    if (offset > data_.size() || bytes > data_.size() - offset || bytes == 0)
        return kAudioErrInvalidParam;
    if (staging_.size() < bytes)
    {
        // Streams lock the same half every time: this grows once.
        try
        {
            staging_.resize(bytes);
        }
        catch (const std::bad_alloc&)
        {
            return kAudioErrOutOfMemory;
        }
    }
    std::memcpy(staging_.data(), data_.data() + offset, bytes);
    locked_ = true;
    lockedOffset_ = offset;
    lockedBytes_ = bytes;
    *data = staging_.data();
    *length = bytes;
    return kAudioOk;
}

TAudioResult TPcmAudioBuffer::Unlock(void* data, uint32_t length)
{
    (void)data;
    (void)length;
    std::lock_guard<std::mutex> guard(*lock_);
    if (!locked_) return kAudioErrInvalidParam;
    std::memcpy(data_.data() + lockedOffset_, staging_.data(), lockedBytes_);
    locked_ = false;
    return kAudioOk;
}

TAudioResult TPcmAudioBuffer::Play(bool loop)
{
    std::lock_guard<std::mutex> guard(*lock_);
    if (frameCount_ == 0) return kAudioErrInvalidParam;
    const bool wasPlaying = playing_;
    playing_ = true;
    looping_ = loop;
    // Already playing: what the mixer has taken stays taken.
    if (!wasPlaying) CommitLocked();
    return kAudioOk;
}

TAudioResult TPcmAudioBuffer::Stop()
{
    std::lock_guard<std::mutex> guard(*lock_);
    playing_ = false;
    commitFrames_ = 0;
    return kAudioOk;
}

TAudioResult TPcmAudioBuffer::GetCurrentPosition(uint32_t* play, uint32_t* write)
{
    std::lock_guard<std::mutex> guard(*lock_);
    const uint32_t block = static_cast<uint32_t>(format_.BlockAlign());
    const uint32_t size = frameCount_ * block;
    const uint32_t playByte = playFrame_ * block;
    uint32_t writeByte = playByte;
    if (playing_ && size > 0) writeByte = (playByte + latencyBytes_) % size;
    if (play) *play = playByte;
    if (write) *write = writeByte;
    return kAudioOk;
}

TAudioResult TPcmAudioBuffer::SetCurrentPosition(uint32_t play)
{
    std::lock_guard<std::mutex> guard(*lock_);
    const uint32_t frame = play / static_cast<uint32_t>(format_.BlockAlign());
    if (frame >= frameCount_ && frameCount_ > 0) return kAudioErrInvalidParam;
    playFrame_ = frame;
    fraction_ = 0.0;
    CommitLocked();
    return kAudioOk;
}

TAudioResult TPcmAudioBuffer::SetVolume(int32_t hundredthsOfDb)
{
    std::lock_guard<std::mutex> guard(*lock_);
    volume_ = std::clamp(hundredthsOfDb, kAudioVolumeMin, kAudioVolumeMax);
    gain_ = AudioVolumeToGain(volume_);
    return kAudioOk;
}

TAudioResult TPcmAudioBuffer::GetVolume(int32_t* hundredthsOfDb)
{
    std::lock_guard<std::mutex> guard(*lock_);
    if (hundredthsOfDb == nullptr) return kAudioErrInvalidParam;
    *hundredthsOfDb = volume_;
    return kAudioOk;
}

TAudioResult TPcmAudioBuffer::GetStatus(uint32_t* status)
{
    std::lock_guard<std::mutex> guard(*lock_);
    if (status == nullptr) return kAudioErrInvalidParam;
    *status =
        (playing_ ? kAudioStatusPlaying : 0u) | (playing_ && looping_ ? kAudioStatusLooping : 0u);
    return kAudioOk;
}

TAudioResult TPcmAudioBuffer::Restore()
{
    // Memory buffers are never lost.
    return kAudioOk;
}

bool TPcmAudioBuffer::StepFrameLocked()
{
    if (++playFrame_ < frameCount_) return true;
    playFrame_ = 0;
    if (looping_) return true;
    playing_ = false;
    fraction_ = 0.0;
    commitFrames_ = 0;
    return false;
}

void TPcmAudioBuffer::CommitLocked()
{
    commitFrame_ = playFrame_;
    commitFrames_ = 0;
    if (!playing_ || frameCount_ == 0) return;
    const uint32_t block = static_cast<uint32_t>(format_.BlockAlign());
    const uint32_t frames = std::min(latencyBytes_ / block, frameCount_);
    if (frames == 0) return;
    const uint32_t first = std::min(frames, frameCount_ - playFrame_);
    std::memcpy(committed_.data(), data_.data() + static_cast<size_t>(playFrame_) * block,
                static_cast<size_t>(first) * block);
    std::memcpy(committed_.data() + static_cast<size_t>(first) * block, data_.data(),
                static_cast<size_t>(frames - first) * block);
    commitFrames_ = frames;
}

void TPcmAudioBuffer::AdvanceLocked(uint32_t bytes)
{
    uint32_t frames = bytes / static_cast<uint32_t>(format_.BlockAlign());
    while (playing_ && frames > 0)
    {
        const uint32_t step = std::min(frames, frameCount_ - playFrame_);
        frames -= step;
        playFrame_ += step - 1;
        if (!StepFrameLocked()) return;
    }
    CommitLocked();
}

int32_t TPcmAudioBuffer::SampleAt(uint32_t frame, int channel) const
{
    const uint32_t block = static_cast<uint32_t>(format_.BlockAlign());
    const uint8_t* bytes = data_.data() + static_cast<size_t>(frame) * block;
    if (commitFrames_ > 0)
    {
        const uint32_t into =
            frame >= commitFrame_ ? frame - commitFrame_ : frame + frameCount_ - commitFrame_;
        if (into < commitFrames_) bytes = committed_.data() + static_cast<size_t>(into) * block;
    }
    if (format_.bits == 8) return (static_cast<int32_t>(bytes[channel]) - 128) << 8;
    const size_t at = static_cast<size_t>(channel) * 2;
    return static_cast<int16_t>(static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8)));
}

void TPcmAudioBuffer::MixLocked(int32_t* out, int frames, int outputRate)
{
    if (!playing_ || frameCount_ == 0 || outputRate <= 0) return;
    const double step = static_cast<double>(format_.rate) / outputRate;
    const bool stereo = format_.channels >= 2;
    const float gain = gain_;
    for (int i = 0; i < frames && playing_; ++i)
    {
        // Linear interpolation towards the next frame; past the end of a buffer
        // played once the next frame is silence.
        uint32_t next = playFrame_ + 1;
        bool haveNext = true;
        if (next >= frameCount_)
        {
            next = 0;
            haveNext = looping_;
        }
        const float t = static_cast<float>(fraction_);
        for (int c = 0; c < 2; ++c)
        {
            const int channel = stereo ? c : 0;
            const float a = static_cast<float>(SampleAt(playFrame_, channel));
            const float b = haveNext ? static_cast<float>(SampleAt(next, channel)) : 0.0f;
            out[2 * i + c] += static_cast<int32_t>(std::lround((a + (b - a) * t) * gain));
        }
        fraction_ += step;
        while (fraction_ >= 1.0 && playing_)
        {
            fraction_ -= 1.0;
            StepFrameLocked();
        }
    }
    CommitLocked();
}
