// The game sound manager over the fake audio device: the lists by name
// suffix, the play counts and their stop and pause rules, the volume groups
// and the music fade on a hand-driven clock.
#include "game/app/MySoundManager.h"

#include <gtest/gtest.h>

#include "core/AssetManager.h"
#include "game/app/support/SoundPlaying.h"
#include "sound/OggDataSource.h"
#include "sound/Sound.h"
#include "sound/support/SoundFixture.h"

namespace
{

class MySoundManagerTest : public SoundFixture
{
protected:
    void SetUp() override
    {
        SoundFixture::SetUp();
        RegisterOggDataSourceBuilder();
        SetGlobalAssetManager(&assets_);
        folder_.Write("click.ogg", MakeOggTone(1, 22050, 0.5));
        folder_.Write("pop.ogg", MakeOggTone(1, 22050, 0.5));
        folder_.Write("theme.ogg", MakeOggTone(1, 22050, 2.0));
    }
    void TearDown() override
    {
        sounds_.reset();
        SoundFixture::TearDown();
        SetGlobalAssetManager(nullptr);
    }

    // Registers file (of the temp folder) under "group:file?query" as the
    // resource groups do; returns the sound.
    std::shared_ptr<TSound> Register(const char* group, const char* file, const char* query)
    {
        auto sound = TSound::Get((folder_.Name(file) + query).c_str(), true, 0);
        EXPECT_NE(sound, nullptr);
        sounds_->AddSound(TString(group) + ":" + file + query, sound);
        return sound;
    }
    static size_t Playings(const std::shared_ptr<TSound>& sound)
    {
        return sound->GetData()->instances.size();
    }
    static bool Playing(const std::shared_ptr<TSound>& sound)
    {
        return gameapptest::IsPlaying(sound);
    }
    int Count(const char* name)
    {
        for (const auto& e : sounds_->GetEffects())
            if (e.name == TString(name)) return e.playCount;
        ADD_FAILURE() << name << " is no effect";
        return 0;
    }

    TAssetManager assets_;
    TTempFolder folder_;
    std::unique_ptr<TMySoundManager> sounds_ = std::make_unique<TMySoundManager>();
};

TEST_F(MySoundManagerTest, ListsByNameSuffixAndRemovalByPrefix)
{
    Register("music_audio", "theme", "?group=1001");
    Register("window_audio", "click", "?group=1000");
    Register("window_audio", "pop", "");
    Register("core_audio", "theme", "?loud1001");  // the suffix decides, not the query
    ASSERT_EQ(sounds_->GetMusic().size(), 2u);
    EXPECT_EQ(sounds_->GetMusic()[0].name, TString("music_audio:theme?group=1001"));
    ASSERT_EQ(sounds_->GetEffects().size(), 2u);
    EXPECT_EQ(sounds_->GetEffects()[1].name, TString("window_audio:pop"));
    EXPECT_EQ(sounds_->GetEffects()[1].playCount, 0);

    sounds_->RemoveSounds("window_audio");
    EXPECT_TRUE(sounds_->GetEffects().empty());
    EXPECT_EQ(sounds_->GetMusic().size(), 2u);
    sounds_->RemoveSounds("core_");
    EXPECT_EQ(sounds_->GetMusic().size(), 1u);
    sounds_->RemoveSounds("nothing");
    EXPECT_EQ(sounds_->GetMusic().size(), 1u);
}

// The play counts: each row is a sequence of calls on the effect "fx:click"
// (p play, s stop, S StopSounds, P PauseSounds, R ResumeSounds, C
// ClearSoundCounts, x the sound played directly) and what it leaves.
TEST_F(MySoundManagerTest, PlayCountsDecideStopsAndPauses)
{
    struct Case
    {
        const char* calls;
        int count;
        bool playing;
        size_t playings;
    };
    const Case cases[] = {
        {"p", 1, true, 1},     {"pp", 2, true, 1},   // the second play restarts: one playing
        {"pps", 1, true, 1},                         // twice played, once stopped: still playing
        {"ppss", 0, false, 0}, {"xs", -1, true, 1},  // a stop without a play stops nothing
        {"xsS", -1, false, 0},                       // ... and StopSounds then stops it
        {"pS", 1, false, 0},                         // StopSounds leaves the count
        {"pP", 1, false, 1},   {"pPR", 1, true, 1},
        {"pCP", 0, true, 1},  // cleared counts: pauses leave it alone
        {"pCS", 0, true, 1},   {"pPCR", 0, false, 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.calls);
        sounds_->RemoveSounds("");
        auto click = Register("fx", "click", "?group=1000");
        click->Stop();
        for (const char* call = c.calls; *call; ++call)
        {
            switch (*call)
            {
                case 'p':
                    sounds_->PlaySound("fx:click", false);
                    break;
                case 's':
                    sounds_->StopSound("fx:click");
                    break;
                case 'S':
                    sounds_->StopSounds();
                    break;
                case 'P':
                    sounds_->PauseSounds();
                    break;
                case 'R':
                    sounds_->ResumeSounds();
                    break;
                case 'C':
                    sounds_->ClearSoundCounts();
                    break;
                case 'x':
                    click->Play(false);
                    break;
            }
        }
        EXPECT_EQ(Count("fx:click?group=1000"), c.count);
        EXPECT_EQ(Playing(click), c.playing);
        EXPECT_EQ(Playings(click), c.playings);
    }
}

TEST_F(MySoundManagerTest, ReplayingAnEffectStartsItFromTheBeginning)
{
    auto click = Register("fx", "click", "?group=1000");
    sounds_->PlaySound("fx:click", true);
    auto first = *click->GetData()->instances.begin();
    static_cast<TFakeAudioBuffer*>(first->GetStream()->GetBuffer())->Advance(4000);
    sounds_->PlaySound("fx:click", false);
    EXPECT_EQ(first->GetStream(), nullptr) << "the earlier playing was stopped";
    ASSERT_EQ(Playings(click), 1u);
    auto second = *click->GetData()->instances.begin();
    uint32_t at = 1;
    second->GetStream()->GetBuffer()->GetCurrentPosition(&at, nullptr);
    EXPECT_EQ(at, 0u);
    EXPECT_FALSE(second->GetStream()->IsLooping());
}

TEST_F(MySoundManagerTest, NamesAreMatchedWithTheirGroupQuery)
{
    auto theme = Register("music_audio", "theme", "?group=1001");
    auto click = Register("fx", "click", "?group=1000");
    auto pop = Register("fx", "pop", "");  // no query: never found by PlaySound
    struct Case
    {
        const char* what;
        void (*call)(TMySoundManager&);
        bool theme, click, pop;
    };
    const Case cases[] = {
        {"music by its name without the query",
         [](TMySoundManager& m) { m.PlayMusic("music_audio:theme", true); }, true, false, false},
        {"music by its full name",
         [](TMySoundManager& m) { m.PlayMusic("music_audio:theme?group=1001", true); }, false,
         false, false},
        {"an effect is no music", [](TMySoundManager& m) { m.PlayMusic("fx:click", true); }, false,
         false, false},
        {"music is no effect", [](TMySoundManager& m) { m.PlaySound("music_audio:theme", true); },
         false, false, false},
        {"effect", [](TMySoundManager& m) { m.PlaySound("fx:click", false); }, false, true, false},
        {"effect without the group query", [](TMySoundManager& m) { m.PlaySound("fx:pop", false); },
         false, false, false},
        {"empty name", [](TMySoundManager& m) { m.PlaySound("", false); }, false, false, false},
        {"case differs", [](TMySoundManager& m) { m.PlaySound("FX:click", false); }, false, false,
         false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        for (auto* s : {&theme, &click, &pop}) (*s)->Stop();
        c.call(*sounds_);
        EXPECT_EQ(Playing(theme), c.theme);
        EXPECT_EQ(Playing(click), c.click);
        EXPECT_EQ(Playing(pop), c.pop);
    }
    sounds_->ClearSoundCounts();
}

TEST_F(MySoundManagerTest, MusicIsPausedButNeverResumedHere)
{
    auto theme = Register("music_audio", "theme", "?group=1001");
    auto menu = Register("music_audio", "pop", "?group=1001");
    auto click = Register("fx", "click", "?group=1000");
    sounds_->PlayMusic("music_audio:theme", true);
    sounds_->PlayMusic("music_audio:pop", true);
    sounds_->PlaySound("fx:click", true);

    sounds_->PauseMusicByName("music_audio:pop");
    EXPECT_TRUE(Playing(theme));
    EXPECT_FALSE(Playing(menu));
    sounds_->PauseAll();
    EXPECT_FALSE(Playing(theme));
    EXPECT_FALSE(Playing(click));
    sounds_->ResumeSounds();
    EXPECT_FALSE(Playing(theme));
    EXPECT_TRUE(Playing(click));
    EXPECT_EQ(Playings(theme), 1u);

    // Playing it again adds a playing; nothing was stopped first.
    sounds_->PlayMusic("music_audio:theme", true);
    EXPECT_TRUE(Playing(theme));
    EXPECT_EQ(Playings(theme), 2u);
    sounds_->StopMusic();
    EXPECT_EQ(Playings(theme) + Playings(menu), 0u);
    EXPECT_TRUE(Playing(click));

    sounds_->PlayMusic("music_audio:theme", true);
    sounds_.reset();
    EXPECT_EQ(Playings(theme), 0u) << "the destructor stops the music";
    EXPECT_TRUE(Playing(click)) << "and leaves the effects";
}

TEST_F(MySoundManagerTest, VolumesGoToTheirGroups)
{
    manager_->SetGroupVolume(0, 0.2f);
    sounds_ = std::make_unique<TMySoundManager>();
    EXPECT_FLOAT_EQ(manager_->GetGroupVolume(0), 1.0f) << "the constructor sets group 0";

    sounds_->SetSoundVolume(0.8f);
    sounds_->SetMusicVolume(0.64f);
    EXPECT_FLOAT_EQ(manager_->GetGroupVolume(1000), 0.8f);
    EXPECT_FLOAT_EQ(manager_->GetGroupVolume(0), 0.8f);
    EXPECT_FLOAT_EQ(manager_->GetGroupVolume(1001), 0.64f);

    sounds_->SetMute(true);
    for (int group : {0, 1000, 1001}) EXPECT_FLOAT_EQ(manager_->GetGroupVolume(group), 0.0f);
    sounds_->SetMute(false);
    EXPECT_FLOAT_EQ(manager_->GetGroupVolume(1000), 0.8f);
    EXPECT_FLOAT_EQ(manager_->GetGroupVolume(1001), 0.64f);
}

// The fade on the hand-driven clock, to the default music level of 500
// (no profile exists here).
TEST_F(MySoundManagerTest, MusicFadesInOverItsDuration)
{
    struct Step
    {
        uint32_t advance;
        float volume;
        bool fading;
    };
    struct Case
    {
        const char* what;
        int32_t duration;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"1000 ms",
         1000,
         {{0, 0.0f, true},
          {250, 0.125f, true},
          {500, 0.375f, true},
          {249, 0.4995f, true},
          {1, 0.5f, false},
          {1000, 0.5f, false}}},
        {"past the end in one go", 100, {{5000, 0.5f, false}}},
        {"duration 0", 0, {{0, 0.5f, false}}},
        {"a negative duration ends at once", -20, {{0, 0.5f, false}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        manager_->SetGroupVolume(1001, 0.9f);
        sounds_->StartMusicFadeIn(c.duration);
        EXPECT_TRUE(sounds_->IsFading());
        EXPECT_FLOAT_EQ(manager_->GetGroupVolume(1001), 0.0f);
        for (const Step& s : c.steps)
        {
            TFakeTime::Advance(s.advance);
            sounds_->UpdateFade();
            EXPECT_NEAR(manager_->GetGroupVolume(1001), s.volume, 1e-6f) << s.advance;
            EXPECT_EQ(sounds_->IsFading(), s.fading);
        }
        EXPECT_EQ(sounds_->GetFadeClock().GetTime(), 0) << "stopped and reset at the end";
    }

    // Without a fade the step leaves the volume alone.
    manager_->SetGroupVolume(1001, 0.3f);
    sounds_->UpdateFade();
    EXPECT_FLOAT_EQ(manager_->GetGroupVolume(1001), 0.3f);

    // A fade begun while one runs starts again from 0.
    sounds_->StartMusicFadeIn(1000);
    TFakeTime::Advance(600);
    sounds_->StartMusicFadeIn(1000);
    TFakeTime::Advance(100);
    sounds_->UpdateFade();
    EXPECT_FLOAT_EQ(manager_->GetGroupVolume(1001), 0.05f);
}

TEST_F(MySoundManagerTest, WithoutTheFrameworkSoundManagerNothingHappens)
{
    auto click = Register("fx", "click", "?group=1000");
    sounds_.reset();
    manager_.reset();
    TMySoundManager lone;
    lone.AddSound("fx:click?group=1000", click);
    EXPECT_TRUE(lone.GetEffects().empty());
    lone.PlaySound("fx:click", false);
    lone.PlayMusic("fx:click", false);
    lone.StopSound("fx:click");
    lone.StopSounds();
    lone.PauseAll();
    lone.ResumeSounds();
    lone.SetMute(true);
    lone.SetSoundVolume(0.5f);
    lone.SetMusicVolume(0.5f);
    lone.StartMusicFadeIn(100);
    lone.UpdateFade();
    EXPECT_FALSE(lone.IsFading());
    EXPECT_EQ(Playings(click), 0u);
}

}  // namespace
