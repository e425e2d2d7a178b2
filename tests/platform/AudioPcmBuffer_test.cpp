// The memory-backed audio buffers: cursors, lock bounds, play modes, volume,
// and mixing into the stereo device output; plus the fake device.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/audio/AudioPcmBuffer.h"
#include "platform/null/AudioFake.h"

namespace
{

TAudioFormat Format(int channels, int rate, int bits = 16)
{
    TAudioFormat format;
    format.channels = channels;
    format.rate = rate;
    format.bits = bits;
    return format;
}

void WriteSamples(TAudioBuffer& buffer, const std::vector<int16_t>& samples)
{
    void* data = nullptr;
    uint32_t length = 0;
    ASSERT_EQ(buffer.Lock(0, static_cast<uint32_t>(samples.size() * 2), &data, &length), kAudioOk);
    std::memcpy(data, samples.data(), length);
    ASSERT_EQ(buffer.Unlock(data, length), kAudioOk);
}

}  // namespace

TEST(AudioBuffer, FormatValidity)
{
    struct Case
    {
        TAudioFormat format;
        bool valid;
    } cases[] = {
        {Format(2, 44100), true},      {Format(1, 22050), true},  {Format(1, 8000, 8), true},
        {Format(0, 44100), false},     {Format(3, 44100), false}, {Format(2, 0), false},
        {Format(2, 44100, 24), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.format.IsValid(), c.valid) << c.format.channels << "/" << c.format.rate;
}

TEST(AudioBuffer, VolumeToGain)
{
    EXPECT_EQ(AudioVolumeToGain(0), 1.0f);
    EXPECT_EQ(AudioVolumeToGain(-10000), 0.0f);
    EXPECT_EQ(AudioVolumeToGain(-20000), 0.0f);
    EXPECT_NEAR(AudioVolumeToGain(-2000), 0.1f, 1e-6);
    EXPECT_NEAR(AudioVolumeToGain(-600), std::pow(10.0, -0.3), 1e-6);
}

TEST(AudioBuffer, LockRegionsAreChecked)
{
    std::mutex lock;
    TPcmAudioBuffer buffer(Format(2, 44100), 64, &lock, 8);
    void* data = nullptr;
    uint32_t length = 0;
    EXPECT_EQ(buffer.Lock(60, 8, &data, &length), kAudioErrInvalidParam);
    EXPECT_EQ(buffer.Lock(0, 0, &data, &length), kAudioErrInvalidParam);
    EXPECT_EQ(buffer.Lock(UINT32_MAX, 2, &data, &length), kAudioErrInvalidParam);
    EXPECT_EQ(buffer.Unlock(nullptr, 0), kAudioErrInvalidParam);
    ASSERT_EQ(buffer.Lock(32, 32, &data, &length), kAudioOk);
    EXPECT_EQ(length, 32u);
    void* again = nullptr;
    EXPECT_EQ(buffer.Lock(0, 8, &again, &length), kAudioErrAlreadyLocked);
    EXPECT_EQ(buffer.Unlock(data, 32), kAudioOk);
}

TEST(AudioBuffer, CursorsWhilePlayingStoppedAndWrapping)
{
    std::mutex lock;
    TPcmAudioBuffer buffer(Format(2, 44100), 400, &lock, 16);
    uint32_t play = 1;
    uint32_t write = 1;
    buffer.GetCurrentPosition(&play, &write);
    EXPECT_EQ(play, 0u);
    EXPECT_EQ(write, 0u);

    ASSERT_EQ(buffer.Play(true), kAudioOk);
    buffer.GetCurrentPosition(&play, &write);
    EXPECT_EQ(write, 16u);
    {
        std::lock_guard<std::mutex> guard(lock);
        buffer.AdvanceLocked(392);
    }
    buffer.GetCurrentPosition(&play, &write);
    EXPECT_EQ(play, 392u);
    EXPECT_EQ(write, 8u) << "the write cursor wraps";
    uint32_t status = 0;
    buffer.GetStatus(&status);
    EXPECT_EQ(status, kAudioStatusPlaying | kAudioStatusLooping);

    {
        std::lock_guard<std::mutex> guard(lock);
        buffer.AdvanceLocked(1000);  // loops twice and a half
    }
    buffer.GetCurrentPosition(&play, &write);
    EXPECT_EQ(play, (392u + 1000u) % 400u);

    buffer.Stop();
    buffer.GetCurrentPosition(&play, &write);
    EXPECT_EQ(play, write);
    EXPECT_EQ(play, (392u + 1000u) % 400u) << "stop keeps the position";
}

TEST(AudioBuffer, PlayedOnceStopsAtTheEndWithCursorsAtZero)
{
    std::mutex lock;
    TPcmAudioBuffer buffer(Format(1, 22050), 200, &lock, 8);
    buffer.Play(false);
    {
        std::lock_guard<std::mutex> guard(lock);
        buffer.AdvanceLocked(150);
    }
    uint32_t status = 0;
    buffer.GetStatus(&status);
    EXPECT_EQ(status, kAudioStatusPlaying);
    {
        std::lock_guard<std::mutex> guard(lock);
        buffer.AdvanceLocked(150);
    }
    buffer.GetStatus(&status);
    EXPECT_EQ(status, 0u);
    uint32_t play = 1;
    uint32_t write = 1;
    buffer.GetCurrentPosition(&play, &write);
    EXPECT_EQ(play, 0u);
    EXPECT_EQ(write, 0u);
}

TEST(AudioBuffer, BytesUpToTheWriteCursorAreAlreadyTaken)
{
    // 100 stereo frames, each sample its frame number times 10; the write
    // cursor leads by 4 frames.
    std::mutex lock;
    TPcmAudioBuffer buffer(Format(2, 44100), 400, &lock, 16);
    std::vector<int16_t> ramp(200);
    for (int i = 0; i < 200; ++i) ramp[i] = static_cast<int16_t>(i / 2 * 10);
    WriteSamples(buffer, ramp);
    ASSERT_EQ(buffer.Play(true), kAudioOk);
    std::vector<int32_t> out(2 * 8, 0);
    {
        std::lock_guard<std::mutex> guard(lock);
        buffer.MixLocked(out.data(), 2, 44100);
    }
    uint32_t play = 0;
    uint32_t write = 0;
    buffer.GetCurrentPosition(&play, &write);
    EXPECT_EQ(play, 8u);
    EXPECT_EQ(write, 24u);

    // Overwrite everything, including the frames the mixer has taken, and
    // play on across the write cursor. A second Play changes nothing taken.
    WriteSamples(buffer, std::vector<int16_t>(200, -1));
    ASSERT_EQ(buffer.Play(true), kAudioOk);
    std::fill(out.begin(), out.end(), 0);
    {
        std::lock_guard<std::mutex> guard(lock);
        buffer.MixLocked(out.data(), 6, 44100);
    }
    const std::vector<int32_t> expected = {20, 20, 30, 30, 40, 40, 50, 50,
                                           -1, -1, -1, -1, 0,  0,  0,  0};
    EXPECT_EQ(out, expected);

    // A stopped buffer has taken nothing: a restart plays what is there now.
    buffer.Stop();
    WriteSamples(buffer, std::vector<int16_t>(200, 7));
    buffer.Play(true);
    std::fill(out.begin(), out.end(), 0);
    {
        std::lock_guard<std::mutex> guard(lock);
        buffer.MixLocked(out.data(), 1, 44100);
    }
    EXPECT_EQ(out[0], 7);
}

TEST(AudioBuffer, LockHandsOutTheCurrentBytes)
{
    std::mutex lock;
    TPcmAudioBuffer buffer(Format(1, 22050), 16, &lock, 0);
    WriteSamples(buffer, {1, 2, 3, 4, 5, 6, 7, 8});
    void* data = nullptr;
    uint32_t length = 0;
    ASSERT_EQ(buffer.Lock(4, 8, &data, &length), kAudioOk);
    std::vector<int16_t> seen(4);
    std::memcpy(seen.data(), data, 8);
    EXPECT_EQ(seen, (std::vector<int16_t>{3, 4, 5, 6}));
    static_cast<int16_t*>(data)[0] = 30;
    ASSERT_EQ(buffer.Unlock(data, length), kAudioOk);
    ASSERT_EQ(buffer.Lock(0, 16, &data, &length), kAudioOk);
    std::vector<int16_t> all(8);
    std::memcpy(all.data(), data, 16);
    EXPECT_EQ(all, (std::vector<int16_t>{1, 2, 30, 4, 5, 6, 7, 8}));
    ASSERT_EQ(buffer.Unlock(data, length), kAudioOk);
}

TEST(AudioBuffer, MixesMonoToBothChannelsWithVolume)
{
    std::mutex lock;
    TPcmAudioBuffer buffer(Format(1, 44100), 8, &lock, 0);
    WriteSamples(buffer, {1000, -2000, 3000, 4000});
    buffer.SetVolume(-2000);  // a tenth
    buffer.Play(false);
    std::vector<int32_t> out(2 * 6, 0);
    {
        std::lock_guard<std::mutex> guard(lock);
        buffer.MixLocked(out.data(), 6, 44100);
    }
    const std::vector<int32_t> expected = {100, 100, -200, -200, 300, 300, 400, 400, 0, 0, 0, 0};
    EXPECT_EQ(out, expected) << "the buffer stops after its last frame";
    uint32_t status = 1;
    buffer.GetStatus(&status);
    EXPECT_EQ(status, 0u);
}

TEST(AudioBuffer, StereoAddsIntoWhatIsAlreadyMixed)
{
    std::mutex lock;
    TPcmAudioBuffer buffer(Format(2, 44100), 8, &lock, 0);
    WriteSamples(buffer, {100, -100, 200, -200});
    buffer.Play(true);
    std::vector<int32_t> out = {1, 1, 1, 1, 1, 1};
    {
        std::lock_guard<std::mutex> guard(lock);
        buffer.MixLocked(out.data(), 3, 44100);
    }
    const std::vector<int32_t> expected = {101, -99, 201, -199, 101, -99};
    EXPECT_EQ(out, expected) << "a looping buffer wraps";
}

TEST(AudioBuffer, ResamplesToTheOutputRate)
{
    // One second at 22050 Hz takes 44100 output frames and interpolates
    // between its samples.
    std::mutex lock;
    const int frames = 22050;
    TPcmAudioBuffer buffer(Format(1, 22050), frames * 2, &lock, 0);
    std::vector<int16_t> ramp(frames);
    for (int i = 0; i < frames; ++i) ramp[i] = static_cast<int16_t>(i % 2 == 0 ? 0 : 1000);
    WriteSamples(buffer, ramp);
    buffer.Play(false);
    std::vector<int32_t> out(2 * 50000, 0);
    {
        std::lock_guard<std::mutex> guard(lock);
        buffer.MixLocked(out.data(), 50000, 44100);
    }
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[2], 500) << "halfway between 0 and 1000";
    EXPECT_EQ(out[4], 1000);
    int last = 0;
    for (int i = 0; i < 50000; ++i)
        if (out[2 * i] != 0) last = i;
    EXPECT_GE(last, 44090);
    EXPECT_LT(last, 44100);
    uint32_t status = 1;
    buffer.GetStatus(&status);
    EXPECT_EQ(status, 0u);
}

TEST(AudioBuffer, SilentVolumeStillAdvances)
{
    std::mutex lock;
    TPcmAudioBuffer buffer(Format(2, 44100), 4000, &lock, 0);
    WriteSamples(buffer, std::vector<int16_t>(2000, 5000));
    buffer.SetVolume(-10000);
    int32_t volume = 0;
    buffer.GetVolume(&volume);
    EXPECT_EQ(volume, -10000);
    buffer.Play(true);
    std::vector<int32_t> out(2 * 100, 0);
    {
        std::lock_guard<std::mutex> guard(lock);
        buffer.MixLocked(out.data(), 100, 44100);
    }
    for (int32_t v : out) EXPECT_EQ(v, 0);
    uint32_t play = 0;
    buffer.GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 400u);
}

TEST(FakeAudio, OpensThroughTheFactoryAndInjectsErrors)
{
    auto fake = TFakeAudio::Install();
    std::unique_ptr<TAudioDevice> device;
    ASSERT_EQ(OpenAudioDevice(&device), kAudioOk);
    EXPECT_EQ(fake->OpenCount(), 1);

    std::shared_ptr<TAudioBuffer> buffer;
    ASSERT_EQ(device->CreateBuffer(Format(2, 44100), 1024, &buffer), kAudioOk);
    EXPECT_EQ(fake->LastBuffer().get(), buffer.get());
    EXPECT_EQ(device->CreateBuffer(Format(5, 44100), 1024, &buffer), kAudioErrInvalidParam);
    EXPECT_EQ(buffer, nullptr);
    EXPECT_TRUE(fake->LiveBuffers().empty()) << "the failed create replaced the only reference";

    fake->createBufferError = kAudioErrOutOfMemory;
    EXPECT_EQ(device->CreateBuffer(Format(2, 44100), 1024, &buffer), kAudioErrOutOfMemory);
    fake->createBufferError = kAudioOk;

    fake->openError = kAudioErrNoDevice;
    std::unique_ptr<TAudioDevice> second;
    EXPECT_EQ(OpenAudioDevice(&second), kAudioErrNoDevice);
    EXPECT_EQ(second, nullptr);
    TFakeAudio::Uninstall();
}
