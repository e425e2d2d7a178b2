// Play, stop, pause, volume and enable calls in a tight loop on the main
// thread while the service thread refills and reaps the same streams.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "platform/null/AudioFake.h"
#include "sound/OggDataSource.h"
#include "sound/Sound.h"
#include "sound/SoundManager.h"
#include "sound/SoundStream.h"
#include "sound/support/OggFixtures.h"

TEST(SoundStress, MainThreadCallsWhileTheServiceThreadRuns)
{
  TTempFolder folder;
  TLogCapture log;
  TFakeTime time;
  RegisterOggDataSourceBuilder();
  auto fake = TFakeAudio::Install();
  const std::string streamed = folder.Write("long.ogg", MakeOggTone(2, 44100, 4.0));
  const std::string shortOne = folder.Write("short.ogg", MakeOggTone(1, 22050, 0.4));
  {
    TSoundManager manager;
    ASSERT_TRUE(manager.Init());
    auto music = TSound::Get(streamed.c_str(), false, 1000);
    auto effect = TSound::Get(shortOne.c_str(), true, 0);
    ASSERT_NE(music, nullptr);
    ASSERT_NE(effect, nullptr);
    std::mt19937 random(42);
    std::vector<std::shared_ptr<TSoundInstance>> held;
    int played = 0;
    for (int step = 0; step < 3000; ++step) {
      switch (random() % 10) {
        case 0:
        case 1:
          if (auto instance = (random() % 2 ? music : effect)->Play(random() % 3 == 0)) {
            held.push_back(instance);
            ++played;
          }
          break;
        case 2: (random() % 2 ? music : effect)->Stop(); break;
        case 3: music->Pause(random() % 2 == 0); break;
        case 4: manager.SetGroupVolume(1000, static_cast<float>(random() % 100) / 100.0f); break;
        case 5: manager.SetMasterVolume(static_cast<float>(random() % 100) / 100.0f); break;
        case 6: manager.Enable(random() % 3 != 0); break;
        case 7:
          if (!held.empty()) held.erase(held.begin() + static_cast<long>(random() % held.size()));
          break;
        default: break;
      }
      // The device plays on and time passes for the reap walks.
      manager.Lock();
      for (auto& buffer : fake->LiveBuffers()) buffer->Advance(static_cast<uint32_t>(random() % 60000) * 4);
      TFakeTime::Advance(static_cast<uint32_t>(random() % 200));
      manager.Unlock();
      manager.Update();
      if (step % 16 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    manager.Enable(true);
    EXPECT_GT(played, 100);
    music->Stop();
    effect->Stop();
    manager.Update();
    EXPECT_EQ(manager.GetActiveCount(), 0);
  }
  TFakeAudio::Uninstall();
  EXPECT_FALSE(log.Contains("DX Error"));
}
