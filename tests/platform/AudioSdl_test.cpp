// The SDL audio device under SDL's dummy driver: opening, buffer creation
// checks, and a buffer that plays out by itself through the mixer callback.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/audio/AudioDevice.h"

TEST(AudioSdl, BuffersPlayThroughTheCallback)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SetAudioDeviceFactory(nullptr);
    std::unique_ptr<TAudioDevice> device;
    ASSERT_EQ(OpenAudioDevice(&device), kAudioOk);
    TAudioFormat primary;
    EXPECT_EQ(device->SetPrimaryFormat(primary), kAudioOk);

    std::shared_ptr<TAudioBuffer> buffer;
    TAudioFormat bad;
    bad.channels = 6;
    EXPECT_EQ(device->CreateBuffer(bad, 4096, &buffer), kAudioErrInvalidParam);
    EXPECT_EQ(device->CreateBuffer(primary, 0, &buffer), kAudioErrInvalidParam);
    EXPECT_EQ(buffer, nullptr);

    TAudioFormat mono;
    mono.channels = 1;
    mono.rate = 22050;
    ASSERT_EQ(device->CreateBuffer(mono, 22050 / 5 * 2, &buffer), kAudioOk);  // 0.2 s
    EXPECT_EQ(buffer->GetSize(), 22050u / 5 * 2);
    ASSERT_EQ(buffer->Play(false), kAudioOk);
    uint32_t status = kAudioStatusPlaying;
    for (int i = 0; i < 1000 && (status & kAudioStatusPlaying) != 0; ++i)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        buffer->GetStatus(&status);
    }
    EXPECT_EQ(status, 0u) << "a buffer played once stops at its end";

    // A buffer may outlive its device.
    ASSERT_EQ(buffer->Play(true), kAudioOk);
    device.reset();
    EXPECT_EQ(buffer->Stop(), kAudioOk);
}
