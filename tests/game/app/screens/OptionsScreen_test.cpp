// The options dialog: its controls from the profile, the music slider's 0.8
// travel, changes stored and applied to the sound volumes, the effects
// slider's release sound, the toggles, Enter and Escape, and its script
// functions taken back when it goes.
#include <gtest/gtest.h>

#include <memory>

#include "game/app/MySoundManager.h"
#include "game/app/screens/OptionsScreen.h"
#include "game/app/screens/support/ScreenTest.h"
#include "graphics/support/ImageAssets.h"
#include "platform/null/AudioFake.h"
#include "sound/SoundManager.h"
#include "ui/Button.h"
#include "ui/Image.h"
#include "ui/Slider.h"

// The GL driver of the headless display keeps allocations past exit.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

std::string Png(int w, int h, uint32_t argb)
{
    return imagefx::PngFromArgb(w, h, std::vector<uint32_t>(size_t(w) * size_t(h), argb), false);
}

// The dialog as the game's options script builds it, without its pictures'
// looks: toggles, two sliders with a thumb to drag, the OK button.
const char* const kOptionsDialog = R"(
PushModal('options')
okPressed = 0
MakeDialog{ name = 'options',
    OptionsScreen{ name = 'options_screen', x = 0, y = 0, w = 800, h = 600,
        Button{ name = 'full_screen', x = 10, y = 10, w = 30, h = 30, type = 1,
                command = function() fullScreenResult = ToggleFullScreen() end },
        Button{ name = 'mute_sound', x = 10, y = 50, w = 30, h = 30, type = 1,
                command = function() ToggleSoundMute() end },
        Button{ name = 'game_cursor', x = 10, y = 90, w = 30, h = 30, type = 1,
                command = function() ToggleGameCursor() end },
        CustomSlider{ name = 'sfx_slider', x = 100, y = 10, w = 200, h = 16,
                      sliderimage = 'thumb.png' },
        CustomSlider{ name = 'music_slider', x = 100, y = 50, w = 200, h = 16,
                      sliderimage = 'thumb.png' },
        Button{ name = 'ok_button', x = 100, y = 100, w = 60, h = 30,
                command = function() okPressed = okPressed + 1 end },
    },
}
)";

class OptionsScreenTest : public screenstest::ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        assets.Put("thumb.png", Png(20, 16, 0xFFC0C0C0u));
        fake_ = TFakeAudio::Install();
        sound_ = std::make_unique<TSoundManager>();
        ASSERT_TRUE(sound_->Init());
        sounds = TMySoundManager::GetInstance();
        ASSERT_NE(sounds, nullptr);
        sounds->AddSound(TString(TOptionsScreen::kSliderSound) + "?group=1000", nullptr);
    }
    void TearDown() override
    {
        ScreenTest::TearDown();
        sound_.reset();
        TFakeAudio::Uninstall();
    }

    TOptionsScreen* OpenOptions()
    {
        EXPECT_EQ(script->DoLuaString(kOptionsDialog), 0);
        return Find<TOptionsScreen>("options_screen");
    }
    // Clicks the button and lets its command run.
    void Press(const char* name)
    {
        TButton* b = Find<TButton>(name);
        ASSERT_NE(b, nullptr) << name;
        b->Click();
        Tick(1);
    }
    int SliderSoundPlays()
    {
        for (const auto& e : sounds->GetEffects())
            if (std::string(e.name.CStr()).rfind(TOptionsScreen::kSliderSound, 0) == 0)
                return e.playCount;
        return -1;
    }
    // A press on the slider's thumb and its release, with the screen's
    // ticks between them.
    void DragAndRelease(TSlider* slider)
    {
        TImage* thumb = slider->GetThumb();
        ASSERT_NE(thumb, nullptr);
        const TRect r = thumb->GetRect();
        const TPoint at((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        ASSERT_TRUE(slider->OnMouseDown(at));
        ASSERT_TRUE(slider->IsDragging());
        Tick();
        slider->OnMouseUp(at);
        Tick();
        Tick();
    }

    TMySoundManager* sounds = nullptr;
    std::shared_ptr<TFakeAudio> fake_;
    std::unique_ptr<TSoundManager> sound_;
};

TEST_F(OptionsScreenTest, ControlsStartFromTheProfileAndStoreTheirValuesBack)
{
    struct Case
    {
        int soundLevel, musicLevel;
        float sfxShown, musicShown;
        int soundStored, musicStored;
    } cases[] = {
        {800, 640, 0.8f, 0.8f, 800, 640},
        {1000, 800, 1.0f, 1.0f, 1000, 800},
        {0, 0, 0.0f, 0.0f, 0, 0},
        // Beyond the sliders' reach: shown at the end, stored as the end.
        {1500, 1000, 1.0f, 1.0f, 1000, 800},
    };
    for (const Case& c : cases)
    {
        player->SetSoundLevel(float(c.soundLevel));
        player->SetMusicLevel(float(c.musicLevel));
        player->SetFullScreen(c.soundLevel == 800);
        player->SetSoundOff(c.musicLevel == 640);
        player->SetGameCursor(c.soundLevel != 0);
        TOptionsScreen* options = OpenOptions();
        ASSERT_NE(options, nullptr);
        const std::string at = std::to_string(c.soundLevel) + "/" + std::to_string(c.musicLevel);
        EXPECT_NEAR(Find<TSlider>("sfx_slider")->GetValue(), c.sfxShown, 1e-6) << at;
        EXPECT_NEAR(Find<TSlider>("music_slider")->GetValue(), c.musicShown, 1e-6) << at;
        // Truncation may take one thousandth.
        EXPECT_NEAR(player->GetSoundLevel(), c.soundStored, 1) << at;
        EXPECT_NEAR(player->GetMusicLevel(), c.musicStored, 1) << at;
        EXPECT_EQ(Find<TButton>("full_screen")->IsOn(), c.soundLevel == 800) << at;
        EXPECT_EQ(Find<TButton>("mute_sound")->IsOn(), c.musicLevel == 640) << at;
        EXPECT_EQ(Find<TButton>("game_cursor")->IsOn(), c.soundLevel != 0) << at;
        EXPECT_EQ(player->TopScreen(), options);
        EXPECT_EQ(wm->GetFocusWindow(), options);
        wm->PopTopModal();
        Tick();
        EXPECT_EQ(player->TopScreen(), nullptr);
    }
}

TEST_F(OptionsScreenTest, MusicSliderTravelsToEightTenthsOfTheVolume)
{
    player->SetMusicLevel(640);
    player->SetSoundLevel(500);
    ASSERT_NE(OpenOptions(), nullptr);
    struct Case
    {
        const char* slider;
        float value;
        int soundLevel, musicLevel;
        float effectsVolume, musicVolume;
    } cases[] = {
        {"music_slider", 1.0f, 500, 800, 0.5f, 0.8f},
        {"music_slider", 0.5f, 500, 400, 0.5f, 0.4f},
        {"sfx_slider", 0.25f, 250, 400, 0.25f, 0.4f},
        {"sfx_slider", 1.0f, 1000, 400, 1.0f, 0.4f},
    };
    for (const Case& c : cases)
    {
        Find<TSlider>(c.slider)->SetValue(c.value, false);
        const std::string at = std::string(c.slider) + " " + std::to_string(c.value);
        EXPECT_EQ(player->GetSoundLevel(), c.soundLevel) << at;
        EXPECT_EQ(player->GetMusicLevel(), c.musicLevel) << at;
        EXPECT_FLOAT_EQ(sound_->GetGroupVolume(TMySoundManager::kEffectGroup), c.effectsVolume)
            << at;
        EXPECT_FLOAT_EQ(sound_->GetGroupVolume(TMySoundManager::kMusicGroup), c.musicVolume) << at;
    }
}

TEST_F(OptionsScreenTest, ReleasingTheEffectsSliderPlaysOneSample)
{
    ASSERT_NE(OpenOptions(), nullptr);
    Tick();
    EXPECT_EQ(SliderSoundPlays(), 0);
    DragAndRelease(Find<TSlider>("music_slider"));
    EXPECT_EQ(SliderSoundPlays(), 0) << "the music slider plays nothing";
    DragAndRelease(Find<TSlider>("sfx_slider"));
    EXPECT_EQ(SliderSoundPlays(), 1);
    Tick();
    EXPECT_EQ(SliderSoundPlays(), 1);
}

TEST_F(OptionsScreenTest, TogglesStoreAndApplyTheirSettings)
{
    player->SetSoundOff(false);
    player->SetGameCursor(true);
    player->SetFullScreen(false);
    ASSERT_NE(OpenOptions(), nullptr);
    const float music = sound_->GetGroupVolume(TMySoundManager::kMusicGroup);

    Press("mute_sound");
    EXPECT_TRUE(player->GetSoundOff());
    EXPECT_FLOAT_EQ(sound_->GetGroupVolume(TMySoundManager::kMusicGroup), 0.0f);
    Press("mute_sound");
    EXPECT_FALSE(player->GetSoundOff());
    EXPECT_FLOAT_EQ(sound_->GetGroupVolume(TMySoundManager::kMusicGroup), music);

    Press("game_cursor");
    EXPECT_FALSE(player->GetGameCursor());
    Press("game_cursor");
    EXPECT_TRUE(player->GetGameCursor());

    // No display can switch here: refused, the profile keeps its mode and
    // the box, which the click turned over, turns back at the next tick.
    Press("full_screen");
    EXPECT_EQ(Global("fullScreenResult"), "false");
    EXPECT_FALSE(player->GetFullScreen());
    Tick(16);
    EXPECT_FALSE(Find<TButton>("full_screen")->IsOn());
}

TEST_F(OptionsScreenTest, EnterAndEscapePressOk)
{
    TOptionsScreen* options = OpenOptions();
    ASSERT_NE(options, nullptr);
    struct Case
    {
        int8_t key;
        int presses;
    } cases[] = {{13, 1}, {27, 2}, {32, 2}, {'a', 2}};
    for (const Case& c : cases)
    {
        EXPECT_FALSE(options->OnKeyDown(c.key, 0)) << int(c.key);
        Tick(1);
        EXPECT_EQ(Global("okPressed"), std::to_string(c.presses)) << int(c.key);
    }
}

TEST_F(OptionsScreenTest, ScriptFunctionsAreTakenBackWhenTheScreenGoes)
{
    ASSERT_NE(OpenOptions(), nullptr);
    player->SetSoundOff(false);
    wm->PopTopModal();
    Tick();
    ASSERT_EQ(Find<TOptionsScreen>("options_screen"), nullptr);
    EXPECT_EQ(script->DoLuaString("r = ToggleFullScreen() ToggleSoundMute() ToggleGameCursor()"),
              0);
    EXPECT_EQ(Global("r"), "nil");
    EXPECT_FALSE(player->GetSoundOff());
}

}  // namespace
