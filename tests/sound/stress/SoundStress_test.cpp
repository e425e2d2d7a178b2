// Play, stop, pause, volume and enable calls in a tight loop on the main
// thread while the service thread refills and reaps the same streams, over
// the fake device and over the SDL device, whose mixer runs on its own
// thread.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <random>
#include <thread>

#include "platform/null/AudioFake.h"
#include "sound/OggDataSource.h"
#include "sound/Sound.h"
#include "sound/SoundManager.h"
#include "sound/SoundStream.h"
#include "sound/support/OggFixtures.h"

namespace
{

// Plays a streamed and a preloaded sound with random game calls through a
// fresh manager over whatever device OpenAudioDevice makes, for steps steps;
// between() runs after each step (under no lock) to let the device and time
// move on. Returns how many playings were started.
int CallRandomly(int steps, const std::function<void(TSoundManager&, std::mt19937&)>& between)
{
    TTempFolder folder;
    RegisterOggDataSourceBuilder();
    const std::string streamed = folder.Write("long.ogg", MakeOggTone(2, 44100, 4.0));
    const std::string shortOne = folder.Write("short.ogg", MakeOggTone(1, 22050, 0.4));
    TSoundManager manager;
    EXPECT_TRUE(manager.Init());
    auto music = TSound::Get(streamed.c_str(), false, 1000);
    auto effect = TSound::Get(shortOne.c_str(), true, 0);
    if (!music || !effect)
    {
        ADD_FAILURE() << "the sounds did not load";
        return 0;
    }
    std::mt19937 random(42);
    std::vector<std::shared_ptr<TSoundInstance>> held;
    int played = 0;
    for (int step = 0; step < steps; ++step)
    {
        switch (random() % 10)
        {
            case 0:
            case 1:
                if (auto instance = (random() % 2 ? music : effect)->Play(random() % 3 == 0))
                {
                    held.push_back(instance);
                    ++played;
                }
                break;
            case 2:
                (random() % 2 ? music : effect)->Stop();
                break;
            case 3:
                music->Pause(random() % 2 == 0);
                break;
            case 4:
                manager.SetGroupVolume(1000, static_cast<float>(random() % 100) / 100.0f);
                break;
            case 5:
                manager.SetMasterVolume(static_cast<float>(random() % 100) / 100.0f);
                break;
            case 6:
                manager.Enable(random() % 3 != 0);
                break;
            case 7:
                if (!held.empty())
                    held.erase(held.begin() + static_cast<long>(random() % held.size()));
                break;
            default:
                break;
        }
        between(manager, random);
        manager.Update();
    }
    manager.Enable(true);
    music->Stop();
    effect->Stop();
    manager.Update();
    EXPECT_EQ(manager.GetActiveCount(), 0);
    return played;
}

}  // namespace

TEST(SoundStress, MainThreadCallsWhileTheServiceThreadRuns)
{
    TLogCapture log;
    TFakeTime time;
    auto fake = TFakeAudio::Install();
    int step = 0;
    const int played =
        CallRandomly(3000,
                     [&](TSoundManager& manager, std::mt19937& random)
                     {
                         // The device plays on and time passes for the reap walks.
                         {
                             TSoundLockGuard hold(&manager);
                             for (auto& buffer : fake->LiveBuffers())
                                 buffer->Advance(static_cast<uint32_t>(random() % 60000) * 4);
                             TFakeTime::Advance(static_cast<uint32_t>(random() % 200));
                         }
                         if (++step % 16 == 0)
                             std::this_thread::sleep_for(std::chrono::milliseconds(1));
                     });
    EXPECT_GT(played, 100);
    TFakeAudio::Uninstall();
    EXPECT_FALSE(log.Contains("DX Error"));
}

TEST(SoundStress, SdlMixerRunsBesideTheServiceThread)
{
    TLogCapture log;
    TFakeTime time;
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SetAudioDeviceFactory(nullptr);
    // The SDL thread mixes in real time; the reap clock runs faster so that
    // the halves are refilled while it reads them.
    const int played =
        CallRandomly(600,
                     [](TSoundManager& manager, std::mt19937& random)
                     {
                         {
                             TSoundLockGuard hold(&manager);
                             TFakeTime::Advance(static_cast<uint32_t>(random() % 200));
                         }
                         std::this_thread::sleep_for(std::chrono::milliseconds(2));
                     });
    EXPECT_GT(played, 20);
    EXPECT_FALSE(log.Contains("DX Error"));
}
