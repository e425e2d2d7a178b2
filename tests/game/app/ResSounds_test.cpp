// The resource groups and the game sound manager: every sound of an
// "_audio" group is registered as "group:name" as it loads, and leaves with
// its group. Real Ogg files over the fake audio device.
#include <gtest/gtest.h>

#include "game/app/MySoundManager.h"
#include "game/app/support/LoadingFixture.h"
#include "platform/null/AudioFake.h"
#include "sound/OggDataSource.h"
#include "sound/Sound.h"
#include "sound/SoundManager.h"
#include "sound/support/OggFixtures.h"

extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

const char kResources[] =
    "music_audio = { 'sounds/theme?group=1001', 'sounds/click?group=1000' }\n"
    "music_audio_more_audio = { 'sounds/click?group=1000' }\n"
    "pics = { 'img/one' }\n";

std::string Ogg(double seconds)
{
    const std::vector<uint8_t> bytes = MakeOggTone(1, 22050, seconds);
    return std::string(bytes.begin(), bytes.end());
}

class ResSoundsTest : public gameapptest::LoadingTest
{
protected:
    void SetUp() override
    {
        fake_ = TFakeAudio::Install();
        framework_ = std::make_unique<TSoundManager>();
        ASSERT_TRUE(framework_->Init());
        RegisterOggDataSourceBuilder();
        RegisterSoundAssetLoader();
        SetUpLoading(kResources,
                     {{"sounds/theme.ogg", Ogg(1.0)},
                      {"sounds/click.ogg", Ogg(0.2)},
                      {"img/one.png", imagefx::PngFromArgb(2, 2, std::vector<uint32_t>(4, 0))}});
        sounds_ = TMySoundManager::GetInstance();
    }
    void TearDown() override
    {
        // The game sound manager stops its music while the framework's
        // still exists.
        gameapptest::LoadingTest::TearDown();
        framework_.reset();
        TFakeAudio::Uninstall();
    }
    std::vector<std::string> Names(const std::vector<TMySoundManager::SSoundEntry>& list)
    {
        std::vector<std::string> out;
        for (const auto& e : list) out.push_back(e.name.CStr());
        return out;
    }

    std::shared_ptr<TFakeAudio> fake_;
    std::unique_ptr<TSoundManager> framework_;
    TMySoundManager* sounds_ = nullptr;
};

TEST_F(ResSoundsTest, SoundsComeAndGoWithTheirGroup)
{
    Request({"music_audio", "music_audio_more_audio"});
    LoadAll();
    ASSERT_EQ(done_, 1);
    EXPECT_EQ(Names(sounds_->GetMusic()),
              (std::vector<std::string>{"music_audio:sounds/theme?group=1001"}));
    EXPECT_EQ(Names(sounds_->GetEffects()),
              (std::vector<std::string>{"music_audio:sounds/click?group=1000",
                                        "music_audio_more_audio:sounds/click?group=1000"}));

    // Played by the name without its query, in the music group.
    sounds_->PlayMusic("music_audio:sounds/theme", true);
    const auto& theme = sounds_->GetMusic()[0].sound;
    ASSERT_NE(theme, nullptr);
    EXPECT_EQ(theme->GetData()->group, 1001);
    EXPECT_EQ(theme->GetData()->instances.size(), 1u);

    // A request without the group unloads it: its sounds leave, those of a
    // group whose name only begins like it stay.
    Request({"pics", "music_audio_more_audio"});
    LoadAll();
    EXPECT_TRUE(sounds_->GetMusic().empty());
    EXPECT_EQ(Names(sounds_->GetEffects()),
              (std::vector<std::string>{"music_audio_more_audio:sounds/click?group=1000"}));

    // Loading at once registers nothing; unloading still removes.
    res_->LoadGroupNow("music_audio");
    EXPECT_TRUE(sounds_->GetMusic().empty());
    res_->UnloadGroup("music_audio_more_audio");
    EXPECT_TRUE(sounds_->GetEffects().empty());
}

}  // namespace
