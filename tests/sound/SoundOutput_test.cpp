// End to end through the SDL device: a tone played through the sound manager
// is written by SDL's disk driver, and its level and length are measured in
// the file.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/audio/AudioDevice.h"
#include "sound/OggDataSource.h"
#include "sound/Sound.h"
#include "sound/SoundManager.h"
#include "sound/SoundStream.h"
#include "sound/support/OggFixtures.h"

namespace
{

struct TMeasured
{
    double seconds = 0.0;  // from the first to the last loud frame
    double rms = 0.0;      // of the left channel over that span
};

TMeasured Measure(const std::vector<int16_t>& samples, int threshold)
{
    TMeasured m;
    long first = -1;
    long last = -1;
    const long frames = static_cast<long>(samples.size() / 2);
    for (long i = 0; i < frames; ++i)
    {
        if (std::abs(samples[2 * i]) > threshold)
        {
            if (first < 0) first = i;
            last = i;
        }
    }
    if (first < 0) return m;
    double sum = 0.0;
    for (long i = first; i <= last; ++i)
        sum += static_cast<double>(samples[2 * i]) * samples[2 * i];
    m.seconds = static_cast<double>(last - first + 1) / 44100.0;
    m.rms = std::sqrt(sum / static_cast<double>(last - first + 1));
    return m;
}

}  // namespace

TEST(SoundOutput, ToneLevelAndLengthInTheDeviceOutput)
{
    struct Case
    {
        int channels;
        int rate;
        float master;
        double gain;  // 0.5 is -2500 hundredths of a decibel
    } cases[] = {
        {2, 44100, 1.0f, 1.0},
        {1, 22050, 1.0f, 1.0},
        {2, 44100, 0.5f, std::pow(10.0, -2500.0 / 2000.0)},
    };
    TTempFolder folder;
    RegisterOggDataSourceBuilder();
    SetAudioDeviceFactory(nullptr);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.channels) + " channels at " + std::to_string(c.rate) +
                     ", master " + std::to_string(c.master));
        const std::string output = folder.Path() + "/out.raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        const std::string name =
            folder.Write("tone.ogg", MakeOggTone(c.channels, c.rate, 0.5, 440.0, 0.5f));
        {
            TSoundManager manager;
            ASSERT_TRUE(manager.Init());
            manager.SetMasterVolume(c.master);
            auto sound = TSound::Get(name.c_str(), true, 0);
            ASSERT_NE(sound, nullptr);
            auto instance = sound->Play(false);
            ASSERT_NE(instance, nullptr);
            ASSERT_TRUE(instance->GetStream()->HasBuffer());
            for (int i = 0; i < 1000 && instance->GetStream() != nullptr; ++i)
            {
                manager.Update();
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            EXPECT_EQ(instance->GetStream(), nullptr) << "the playing finished by itself";
        }
        std::ifstream file(output, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                         std::istreambuf_iterator<char>());
        const double peak = 0.5 * 32767.0 * c.gain;
        const TMeasured m = Measure(ToSamples(bytes), static_cast<int>(peak * 0.1));
        EXPECT_NEAR(m.seconds, 0.5, 0.02);
        EXPECT_NEAR(m.rms, peak / std::sqrt(2.0), peak * 0.1);
    }
    unsetenv("SDL_DISKAUDIOFILE");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

TEST(SoundOutput, MixerRunsWhileTheSoundLockIsHeld)
{
    // The mixer takes only the device's own lock: holding the sound lock (as
    // a long refill does) never stalls the output.
    TTempFolder folder;
    RegisterOggDataSourceBuilder();
    SetAudioDeviceFactory(nullptr);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const std::string name = folder.Write("hum.ogg", MakeOggTone(2, 44100, 3.0));
    TSoundManager manager;
    ASSERT_TRUE(manager.Init());
    auto sound = TSound::Get(name.c_str(), false, 0);
    ASSERT_NE(sound, nullptr);
    auto instance = sound->Play(true);
    ASSERT_NE(instance, nullptr);
    uint32_t start = 0;
    uint32_t play = 0;
    {
        TSoundLockGuard hold(&manager);
        TAudioBuffer* buffer = instance->GetStream()->GetBuffer();
        ASSERT_NE(buffer, nullptr);
        buffer->GetCurrentPosition(&start, nullptr);
        play = start;
        for (int i = 0; i < 500 && play == start; ++i)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            buffer->GetCurrentPosition(&play, nullptr);
        }
    }
    EXPECT_NE(play, start) << "the play cursor moved while the sound lock was held";
    sound->Stop();
}
