// The audio device layer: one output device that mixes any number of PCM
// buffers, each with its own format, cursor, volume and play mode.
// Implementations: sdl/AudioSdl.cpp (real output), null/AudioFake.cpp (tests).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

// Results are 0 on success, else a negative error code that callers log as
// hexadecimal.
using TAudioResult = int32_t;
constexpr TAudioResult kAudioOk = 0;
constexpr TAudioResult kAudioErrGeneric = static_cast<int32_t>(0x80004005u);
constexpr TAudioResult kAudioErrInvalidParam = static_cast<int32_t>(0x80070057u);
constexpr TAudioResult kAudioErrOutOfMemory = static_cast<int32_t>(0x8007000Eu);
constexpr TAudioResult kAudioErrNoDevice = static_cast<int32_t>(0x88780078u);
constexpr TAudioResult kAudioErrAlreadyLocked = static_cast<int32_t>(0x8878000Au);
constexpr TAudioResult kAudioErrBufferLost = static_cast<int32_t>(0x88780096u);

// Status bits returned by TAudioBuffer::GetStatus.
constexpr uint32_t kAudioStatusPlaying = 1;
constexpr uint32_t kAudioStatusLost = 2;
constexpr uint32_t kAudioStatusLooping = 4;

// Volumes are hundredths of a decibel: 0 is full level, -10000 is silence.
constexpr int32_t kAudioVolumeMax = 0;
constexpr int32_t kAudioVolumeMin = -10000;

// Interleaved PCM; 8-bit samples are unsigned, 16-bit signed little-endian.
struct TAudioFormat
{
    int32_t channels = 2;
    int32_t rate = 44100;
    int32_t bits = 16;

    int32_t BlockAlign() const { return channels * (bits / 8); }
    int32_t BytesPerSecond() const { return rate * BlockAlign(); }
    // Channels 1 or 2, 8 or 16 bits, a rate from 100 to 384000.
    bool IsValid() const;
};

// One secondary buffer. Every call is safe from any thread.
class TAudioBuffer
{
public:
    virtual ~TAudioBuffer() = default;

    // Grants access to bytes [offset, offset + bytes) until Unlock stores what
    // was written there. Bytes between the play and the write cursor have
    // already been taken for output: writing them changes nothing audible.
    // Fails with kAudioErrInvalidParam when the region is outside the buffer,
    // kAudioErrAlreadyLocked while a region is locked, kAudioErrOutOfMemory,
    // or the injected error.
    virtual TAudioResult Lock(uint32_t offset, uint32_t bytes, void** data, uint32_t* length) = 0;
    // kAudioErrInvalidParam when nothing is locked.
    virtual TAudioResult Unlock(void* data, uint32_t length) = 0;
    // Plays from the current play cursor, wrapping when looping; a buffer
    // played once stops at its end with both cursors back at 0.
    virtual TAudioResult Play(bool loop) = 0;
    // Stops and keeps the play cursor where it is.
    virtual TAudioResult Stop() = 0;
    // While playing the write cursor runs a small latency ahead of the play
    // cursor (wrapping); while stopped both are equal.
    virtual TAudioResult GetCurrentPosition(uint32_t* play, uint32_t* write) = 0;
    virtual TAudioResult SetCurrentPosition(uint32_t play) = 0;
    // Clamped into [kAudioVolumeMin, kAudioVolumeMax].
    virtual TAudioResult SetVolume(int32_t hundredthsOfDb) = 0;
    virtual TAudioResult GetVolume(int32_t* hundredthsOfDb) = 0;
    virtual TAudioResult GetStatus(uint32_t* status) = 0;
    virtual TAudioResult Restore() = 0;
    virtual uint32_t GetSize() const = 0;
    virtual TAudioFormat GetFormat() const = 0;
};

class TAudioDevice
{
public:
    virtual ~TAudioDevice() = default;
    // The format the device mixes into (44100 Hz, 16-bit stereo by default).
    virtual TAudioResult SetPrimaryFormat(const TAudioFormat& format) = 0;
    // A silent, stopped buffer of bytes bytes at full volume. Fails with
    // kAudioErrInvalidParam for an invalid format or a size of 0.
    virtual TAudioResult CreateBuffer(const TAudioFormat& format, uint32_t bytes,
                                      std::shared_ptr<TAudioBuffer>* buffer) = 0;
};

// Opens the default output device through the installed factory (the SDL
// device when none is installed). On failure *device stays empty and the
// error code is returned.
TAudioResult OpenAudioDevice(std::unique_ptr<TAudioDevice>* device);

// Replaces the way OpenAudioDevice makes devices; an empty function restores
// the SDL device. Used by tests to install the fake device.
using TAudioDeviceFactory = std::function<TAudioResult(std::unique_ptr<TAudioDevice>*)>;
void SetAudioDeviceFactory(TAudioDeviceFactory factory);

// Linear gain of a volume: 10^(v/2000); exactly 0 at kAudioVolumeMin or below.
float AudioVolumeToGain(int32_t hundredthsOfDb);

// The SDL implementation (sdl/AudioSdl.cpp).
TAudioResult OpenSdlAudioDevice(std::unique_ptr<TAudioDevice>* device);
