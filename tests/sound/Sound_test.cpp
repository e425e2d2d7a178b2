// TSound: lookup by name and group through the asset cache, play, stop,
// pause, notifications, and loading through the asset map.
#include <gtest/gtest.h>

#include "core/AssetManager.h"
#include "core/AssetMap.h"
#include "sound/OggDataSource.h"
#include "sound/Sound.h"
#include "sound/support/SoundFixture.h"

namespace
{

class SoundTest : public SoundFixture
{
protected:
    void SetUp() override
    {
        SoundFixture::SetUp();
        RegisterOggDataSourceBuilder();
        SetGlobalAssetManager(&assets_);
        shortName_ = folder_.Write("blip.ogg", MakeOggTone(2, 44100, 0.5));
        longName_ = folder_.Write("music/theme.ogg", MakeOggTone(1, 22050, 3.0));
    }
    void TearDown() override
    {
        SoundFixture::TearDown();
        SetGlobalAssetManager(nullptr);
    }

    TFakeAudioBuffer* BufferOf(const std::shared_ptr<TSoundInstance>& instance)
    {
        return static_cast<TFakeAudioBuffer*>(instance->GetStream()->GetBuffer());
    }

    TAssetManager assets_;
    TTempFolder folder_;
    std::string shortName_;
    std::string longName_;
};

}  // namespace

TEST(MakeSoundKey, Cases)
{
    struct Case
    {
        const char* name;
        const char* query;
        const char* key;
    } cases[] = {
        {"sfx/click", "", "sfx/click;0;0"},
        {"music/theme?group=1001", "?group=1001", "music/theme?group=1001;0;1001"},
        {"a", "?volume=3", "a;0;0"},
        {"a", "?x=1&group=-5", "a;0;-5"},
    };
    for (const auto& c : cases) EXPECT_STREQ(MakeSoundKey(c.name, c.query).CStr(), c.key);
}

TEST_F(SoundTest, GetCutsTheQueryAndKeysByGroup)
{
    const TString base = folder_.Name("blip").c_str();
    auto plain = TSound::Get(base, true, 0);
    auto grouped = TSound::Get(base + "?group=1000", true, 0);
    auto other = TSound::Get(base + "?loud", true, 0);
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(grouped, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_NE(plain, grouped) << "two keys, two sounds";
    EXPECT_EQ(plain, other) << "a query without group= keeps the default group";
    EXPECT_EQ(grouped->GetData()->group, 1000);
    EXPECT_EQ(plain->GetData()->group, 0);
    EXPECT_STREQ(grouped->GetData()->name.CStr(), base.CStr());
    EXPECT_EQ(TSound::Get(base + "?group=1000", true, 7), grouped);
    EXPECT_NE(TSound::Get(base, false, 0), plain) << "streaming and preloading are cached apart";
    EXPECT_EQ(assets_.Find(base + ";1;1000").get(), grouped.get());
    EXPECT_STREQ(plain->GetClassName(), "TSound");
    EXPECT_TRUE(plain->IsKindOf(TAsset::ClassId()));
    EXPECT_EQ(TSound::Get("", true, 0), nullptr);

    // Only the query picks the group, not a folder named like one.
    folder_.Write("group=5/pop.ogg", MakeOggTone(1, 22050, 0.2));
    const TString folderName = folder_.Name("group=5/pop").c_str();
    EXPECT_EQ(TSound::Get(folderName + "?loud", true, 3)->GetData()->group, 3);
    EXPECT_EQ(TSound::Get(folderName + "?group=1001", true, 3)->GetData()->group, 1001);
}

TEST_F(SoundTest, MissingFileIsLoggedAndTriedAgainLater)
{
    const TString name = folder_.Name("late").c_str();
    EXPECT_EQ(TSound::Get(name, true, 0), nullptr);
    EXPECT_TRUE(
        log_.Contains("TSound::Get: No valid sound file found: " + std::string(name.CStr())));
    folder_.Write("late.ogg", MakeOggTone(1, 22050, 0.2));
    EXPECT_NE(TSound::Get(name, true, 0), nullptr);
}

TEST_F(SoundTest, PlayNeedsASourceAndAManager)
{
    TSound empty;
    EXPECT_EQ(empty.Play(false), nullptr);
    EXPECT_TRUE(log_.Contains("Play of uninitialized sound"));

    auto sound = TSound::Get(shortName_.c_str(), true, 0);
    ASSERT_NE(sound, nullptr);
    manager_.reset();
    EXPECT_EQ(sound->Play(false), nullptr);
    EXPECT_TRUE(log_.Contains("No Sound Manager"));
}

TEST_F(SoundTest, PlayChoosesOnceOrRing)
{
    auto blip = TSound::Get(shortName_.c_str(), true, 0);      // 0.5 s
    auto theme = TSound::Get(longName_.c_str(), false, 1000);  // 3 s, streamed
    struct Case
    {
        TSound* sound;
        bool loop;
        bool once;
        uint32_t status;
    } cases[] = {
        {blip.get(), false, true, kAudioStatusPlaying},
        {blip.get(), true, false, kAudioStatusPlaying | kAudioStatusLooping},
        {theme.get(), false, false, kAudioStatusPlaying | kAudioStatusLooping},
    };
    for (const auto& c : cases)
    {
        auto instance = c.sound->Play(c.loop);
        ASSERT_NE(instance, nullptr);
        TSoundStream* stream = instance->GetStream();
        ASSERT_NE(stream, nullptr);
        EXPECT_EQ(stream->IsPlayOnce(), c.once);
        EXPECT_EQ(stream->IsLooping(), c.loop);
        EXPECT_EQ(stream->GetPlaying().lock(), instance);
        EXPECT_EQ(instance->currentSound.lock().get(), c.sound);
        uint32_t status = 0;
        stream->GetBuffer()->GetStatus(&status);
        EXPECT_EQ(status, c.status);
    }
    EXPECT_EQ(BufferOf(theme->Play(false))->GetFormat().rate, 22050);
    EXPECT_EQ(theme->GetData()->instances.size(), 2u);
    EXPECT_EQ(manager_->GetActiveCount(), 4);
}

TEST_F(SoundTest, StopEndsEveryPlayingAtOnce)
{
    auto sound = TSound::Get(longName_.c_str(), true, 0);
    EXPECT_FALSE(sound->Stop()) << "nothing playing";
    auto first = sound->Play(true);
    auto second = sound->Play(false);
    EXPECT_EQ(manager_->GetActiveCount(), 2);
    EXPECT_TRUE(sound->Stop());
    EXPECT_EQ(manager_->GetActiveCount(), 0);
    EXPECT_EQ(manager_->GetRetiredCount(), 0);
    EXPECT_EQ(first->GetStream(), nullptr);
    EXPECT_EQ(second->GetStream(), nullptr);
    EXPECT_TRUE(sound->GetData()->instances.empty());
    EXPECT_FALSE(sound->Stop());
}

TEST_F(SoundTest, PauseAndResumeKeepThePlace)
{
    auto sound = TSound::Get(longName_.c_str(), false, 0);
    EXPECT_FALSE(sound->Pause(true));
    auto instance = sound->Play(true);
    TFakeAudioBuffer* buffer = BufferOf(instance);
    buffer->Advance(30000);
    EXPECT_TRUE(sound->Pause(true));
    EXPECT_FALSE(buffer->IsPlaying());
    EXPECT_TRUE(sound->Pause(false));
    EXPECT_TRUE(buffer->IsPlaying());
    uint32_t play = 0;
    buffer->GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 30000u);
}

TEST_F(SoundTest, FinishedPlayingsArePrunedByTheNextPlay)
{
    auto sound = TSound::Get(shortName_.c_str(), true, 0);
    for (int round = 0; round < 5; ++round)
    {
        auto instance = sound->Play(false);
        ReapNow(true);                         // refills while playing
        BufferOf(instance)->Advance(1 << 20);  // plays out and stops
        ReapNow(true);
        manager_->Update();
        EXPECT_EQ(instance->GetStream(), nullptr);
    }
    sound->Play(false);
    EXPECT_EQ(sound->GetData()->instances.size(), 1u);
}

TEST_F(SoundTest, NotificationDropsThePlayingUnlessAFollowUpIsQueued)
{
    auto sound = TSound::Get(shortName_.c_str(), true, 0);
    auto next = TSound::Get(longName_.c_str(), true, 0);
    auto kept = sound->Play(true);
    auto dropped = sound->Play(true);
    kept->queuedSound = next;
    sound->GetData()->OnStreamNotify(kept->GetStream());
    sound->GetData()->OnStreamNotify(dropped->GetStream());
    EXPECT_EQ(sound->GetData()->instances.count(kept), 1u);
    EXPECT_EQ(sound->GetData()->instances.count(dropped), 0u);
    EXPECT_TRUE(kept->queuedSound.expired());
}

TEST_F(SoundTest, DestroyingTheSoundStopsItsPlayings)
{
    auto sound = TSound::Get(longName_.c_str(), true, 0);
    auto instance = sound->Play(true);
    sound.reset();
    EXPECT_EQ(instance->GetStream(), nullptr);
    EXPECT_EQ(manager_->GetActiveCount(), 0);
}

TEST_F(SoundTest, WithoutADeviceASoundRunsForItsDuration)
{
    manager_.reset();
    TFakeAudio::Uninstall();
    StartManager(false);
    auto sound = TSound::Get(longName_.c_str(), true, 0);  // 3 s
    auto instance = sound->Play(false);
    ASSERT_NE(instance, nullptr);
    EXPECT_FALSE(instance->GetStream()->HasBuffer());
    for (int reap = 0; reap < 5; ++reap) ReapNow(true);  // 2.5 s
    EXPECT_EQ(manager_->GetActiveCount(), 1);
    ReapNow(true);
    EXPECT_EQ(manager_->GetRetiredCount(), 1);
    manager_->Update();
    EXPECT_EQ(instance->GetStream(), nullptr);
}

TEST_F(SoundTest, AssetMapLoadsSoundsWithTheirGroup)
{
    RegisterSoundAssetLoader();
    TAssetMap map;
    const std::string entry = folder_.Name("music/theme") + "?group=1001";
    map.AddAsset(entry.c_str());
    auto sound = map.GetSound(entry.c_str());
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->GetData()->group, 1001);
    EXPECT_STREQ(sound->GetData()->name.CStr(), (folder_.Name("music/theme") + ".ogg").c_str());
    ClearAssetLoaders();
}
