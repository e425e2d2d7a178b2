// A secondary buffer kept in memory: the byte store, cursors, play mode and
// volume shared by the SDL device and the fake device, plus the mixer that
// resamples and converts it into the device's stereo output.
#pragma once

#include <mutex>
#include <vector>

#include "platform/audio/AudioDevice.h"

class TPcmAudioBuffer : public TAudioBuffer
{
public:
    // lock guards every field; it is the device's own lock (shared by all of
    // its buffers and its mixer), never the sound manager's. latencyBytes is how
    // far the write cursor leads the play cursor while playing.
    // The bytes between the play and the write cursor count as already taken
    // by the mixer (its next callback reads them from a copy made when the
    // play cursor last moved), so a write there is not heard, as on hardware.
    // Lock hands out a copy of the region and Unlock stores it back under the
    // device lock: the mixer never reads bytes that another thread is writing.
    TPcmAudioBuffer(const TAudioFormat& format, uint32_t bytes, std::mutex* lock,
                    uint32_t latencyBytes);
    ~TPcmAudioBuffer() override = default;

    TAudioResult Lock(uint32_t offset, uint32_t bytes, void** data, uint32_t* length) override;
    TAudioResult Unlock(void* data, uint32_t length) override;
    TAudioResult Play(bool loop) override;
    TAudioResult Stop() override;
    TAudioResult GetCurrentPosition(uint32_t* play, uint32_t* write) override;
    TAudioResult SetCurrentPosition(uint32_t play) override;
    TAudioResult SetVolume(int32_t hundredthsOfDb) override;
    TAudioResult GetVolume(int32_t* hundredthsOfDb) override;
    TAudioResult GetStatus(uint32_t* status) override;
    TAudioResult Restore() override;
    uint32_t GetSize() const override { return static_cast<uint32_t>(data_.size()); }
    TAudioFormat GetFormat() const override { return format_; }

    // With the lock held: moves the play cursor on by bytes (whole frames) as
    // playback would, wrapping when looping, stopping at the end when not.
    void AdvanceLocked(uint32_t bytes);

    // With the lock held: adds frames frames of this buffer, resampled to
    // outputRate and scaled by its volume, to out (interleaved stereo, 32-bit
    // accumulators), and moves the play cursor accordingly. Does nothing when
    // stopped.
    void MixLocked(int32_t* out, int frames, int outputRate);

    // Whole frames of the buffer.
    uint32_t FrameCount() const { return frameCount_; }

private:
    int32_t SampleAt(uint32_t frame, int channel) const;
    // Steps one frame; false when a buffer played once has reached its end.
    bool StepFrameLocked();
    // Takes the copy of the frames between the play and the write cursor.
    void CommitLocked();

    std::mutex* lock_;
    TAudioFormat format_;
    std::vector<uint8_t> data_;
    // What Lock hands out, stored back by Unlock.
    std::vector<uint8_t> staging_;
    uint32_t lockedOffset_ = 0;
    uint32_t lockedBytes_ = 0;
    // The frames the mixer has taken: commitFrames_ frames from commitFrame_
    // on (wrapping).
    std::vector<uint8_t> committed_;
    uint32_t commitFrame_ = 0;
    uint32_t commitFrames_ = 0;
    uint32_t frameCount_;
    uint32_t latencyBytes_;
    uint32_t playFrame_ = 0;
    double fraction_ = 0.0;  // position between playFrame_ and the next frame
    bool playing_ = false;
    bool looping_ = false;
    bool locked_ = false;
    int32_t volume_ = kAudioVolumeMax;
    float gain_ = 1.0f;
};
