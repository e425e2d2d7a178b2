// A deterministic audio device for unit tests: nothing plays by itself; the
// test moves each buffer's play cursor by hand and can make calls fail.
// Implements every TAudioDevice/TAudioBuffer call; produces no output.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio/AudioPcmBuffer.h"

class TFakeAudioBuffer : public TPcmAudioBuffer
{
public:
    TFakeAudioBuffer(std::shared_ptr<class TFakeAudio> owner, const TAudioFormat& format,
                     uint32_t bytes);

    TAudioResult Lock(uint32_t offset, uint32_t bytes, void** data, uint32_t* length) override;
    TAudioResult SetVolume(int32_t hundredthsOfDb) override;

    // Moves the play cursor on as playback of bytes would.
    void Advance(uint32_t bytes);
    // A copy of the buffer's bytes.
    std::vector<uint8_t> Snapshot();
    // Every volume set on the buffer, in order.
    std::vector<int32_t> VolumeHistory();
    bool IsPlaying();

private:
    std::shared_ptr<TFakeAudio> owner_;
    std::vector<int32_t> volumes_;
};

class TFakeAudio : public std::enable_shared_from_this<TFakeAudio>
{
public:
    // Makes a controller and installs it as the device factory; every device
    // opened from now on is a fake one reporting to it. Uninstall() (or the
    // destructor of the last holder) does not restore the factory by itself:
    // call Uninstall() when done.
    static std::shared_ptr<TFakeAudio> Install();
    static void Uninstall();

    // Errors to return from the next calls (0 = succeed).
    TAudioResult openError = kAudioOk;
    TAudioResult createBufferError = kAudioOk;
    TAudioResult lockError = kAudioOk;
    // How far the write cursor leads the play cursor while playing.
    uint32_t latencyBytes = 64;

    int OpenCount();
    // Buffers created so far that are still alive, oldest first.
    std::vector<std::shared_ptr<TFakeAudioBuffer>> LiveBuffers();
    std::shared_ptr<TFakeAudioBuffer> LastBuffer();
    // Advances every live, playing buffer by seconds of its own format.
    void AdvanceAll(double seconds);

    std::mutex lock;  // the device lock shared by its buffers

private:
    friend class TFakeAudioDevice;
    friend class TFakeAudioBuffer;
    int openCount_ = 0;
    std::vector<std::weak_ptr<TFakeAudioBuffer>> buffers_;
};
