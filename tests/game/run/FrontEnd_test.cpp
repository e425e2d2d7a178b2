// The front end from an empty user folder, headless and in-process: the
// closed picture of the run's first menu, the profile screen opened for the
// first player, a name typed and chosen, the opening flash, the open menu
// with its hud and its greeting clear of the pictures, the help pages, mute set in the options, and
// the profile file the run leaves.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/Folders.h"
#include "core/Prefs.h"
#include "core/Settings.h"
#include "game/app/MySprite.h"
#include "game/app/Player.h"
#include "game/app/StartupSettings.h"
#include "game/app/MySoundManager.h"
#include "game/app/screens/HelpScreen.h"
#include "game/app/screens/MainMenuScreen.h"
#include "game/run/support/GameRun.h"
#include "platform/Keys.h"
#include "sound/SoundManager.h"
#include "ui/Button.h"
#include "ui/Text.h"
#include "ui/WindowManager.h"

using gametest::TGameRun;

// The display driver's own allocations are not this program's.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

TMainMenuScreen* Menu()
{
    return static_cast<TMainMenuScreen*>(TGameRun::FindWindowOfClass(TMainMenuScreen::ClassId()));
}

// The text of the named window below the top modal; "" when it is not a text.
std::string TextOf(const char* name)
{
    TWindow* w = TGameRun::FindBelowTop(name);
    return w != nullptr && w->IsKindOf(TText::ClassId()) ? static_cast<TText*>(w)->GetText().CStr()
                                                         : "";
}

bool Shown(TWindow* w)
{
    return w != nullptr && w->IsVisible();
}

// Where a menu sprite lies on the screen: its origin on its position when
// it has one, else its centre.
TRect SpriteRect(TMySprite* sprite)
{
    if (sprite == nullptr) return TRect();
    int32_t w = 0, h = 0;
    sprite->GetSize(&w, &h);
    const TPoint origin = sprite->IsOriginEnabled() ? sprite->GetOrigin() : TPoint(w / 2, h / 2);
    const int32_t left = int32_t(sprite->GetPosition().x) - origin.x;
    const int32_t top = int32_t(sprite->GetPosition().y) - origin.y;
    return TRect(left, top, left + w, top + h);
}

bool Overlap(const TRect& a, const TRect& b)
{
    TRect both;
    both.Intersect(a, b);
    return both.right > both.left && both.bottom > both.top;
}

// Colours the pictures keep flat for this (art/README.md).
constexpr uint32_t kNightBlue = 0x27345C;
constexpr uint32_t kHudGold = 0xF2B33D;

TEST(FrontEndRun, FirstPlayerFlashHelpAndTheProfileFile)
{
    TGameRun run;
    run.Step(
           "the profile screen over the closed picture",
           []
           {
               TMainMenuScreen* menu = Menu();
               return menu != nullptr && !menu->IsFirstFrame() &&
                      (TGameRun::IsTop("profile") || TGameRun::IsTop("profile_name"));
           },
           []
           {
               TMainMenuScreen* menu = Menu();
               EXPECT_TRUE(menu->IsFlashOn());
               EXPECT_EQ(menu->GetFlash().GetFirstPhase(), -1);
           })
        .Step("the closed picture drawn",
              [] { return TGameRun::FramePixel(400, 40) == kNightBlue; })
        .Step(
            "with no profile \"new\" is pressed at once",
            [] { return TGameRun::IsTop("profile_name"); }, [] { TGameRun::TypeText("Ann"); })
        .Step(
            "the typed name", [] { return TextOf("name_field") == "Ann"; },
            [] { TGameRun::PressKey(platform::kVkReturn); })
        .Step(
            "the name is in the list", [] { return TGameRun::IsTop("profile"); },
            []
            {
                TPlayer* player = TPlayer::GetIfMade();
                ASSERT_NE(player, nullptr);
                EXPECT_EQ(player->GetNumUsers(), 1);
                TGameRun::PressKey(platform::kVkReturn);
            })
        .Step(
            "Enter on the list chooses it", [] { return TGameRun::IsTop("main_menu"); },
            []
            {
                TPlayer* player = TPlayer::GetIfMade();
                EXPECT_EQ(player->GetCurrentUser(), 0);
                EXPECT_STREQ(player->GetName().CStr(), "Ann");
                EXPECT_EQ(TextOf("player_name"), "Welcome, Ann!");
                // Still waiting for its key: the shell is hidden.
                EXPECT_FALSE(Shown(TGameRun::FindBelowTop("shell")));
                TGameRun::PressKey('A');
            })
        .Step(
            "a key plays the flash, then the menu opens and the button slides in",
            []
            {
                TMainMenuScreen* menu = Menu();
                return menu != nullptr && !menu->IsFlashOn() && !menu->IsScrolling();
            },
            []
            {
                EXPECT_TRUE(Shown(TGameRun::FindBelowTop("shell")));
                TWindow* button = TGameRun::FindBelowTop("profile_button");
                ASSERT_NE(button, nullptr);
                EXPECT_EQ(button->GetRect().left, 20);
                EXPECT_EQ(button->GetRect().top, 20);
                // The greeting clear of the button, of the picture it rests
                // on and of the hud, on the screen.
                TWindow* label = TGameRun::FindBelowTop("player_name");
                ASSERT_NE(label, nullptr);
                const TRect greeting = label->GetScreenRect();
                const TRect picture = SpriteRect(Menu()->GetLocationPicture());
                const TRect hud = SpriteRect(Menu()->GetHud());
                ASSERT_GT(picture.right - picture.left, 0);
                ASSERT_GT(hud.right - hud.left, 0);
                EXPECT_FALSE(Overlap(greeting, button->GetScreenRect()));
                EXPECT_FALSE(Overlap(greeting, picture));
                EXPECT_FALSE(Overlap(greeting, hud));
                EXPECT_TRUE(greeting.left >= 0 && greeting.top >= 0 && greeting.right <= 800 &&
                            greeting.bottom <= 600);
            })
        .Idle(3)
        .Step(
            "the hud in the top-right corner",
            [] { return TGameRun::FramePixel(797, 2) == kHudGold; },
            [] { EXPECT_TRUE(TGameRun::Click("help")); })
        .Step(
            "the help on its first page", [] { return TGameRun::IsTop("help"); },
            [] { EXPECT_TRUE(TGameRun::Click("right")); })
        .Step(
            "the second page",
            []
            {
                auto* help =
                    static_cast<THelpScreen*>(TGameRun::FindWindowOfClass(THelpScreen::ClassId()));
                return help != nullptr && help->GetCurrentPage() == 1;
            },
            [] { EXPECT_TRUE(TGameRun::Click("right")); })
        .Step(
            "the last page hides the right arrow",
            []
            {
                auto* help =
                    static_cast<THelpScreen*>(TGameRun::FindWindowOfClass(THelpScreen::ClassId()));
                return help != nullptr && help->GetCurrentPage() == 2;
            },
            []
            {
                EXPECT_FALSE(Shown(TGameRun::FindBelowTop("right")));
                EXPECT_TRUE(Shown(TGameRun::FindBelowTop("left")));
                TGameRun::PressKey(platform::kVkEscape);
            })
        .Step(
            "Escape leaves the help", [] { return TGameRun::IsTop("main_menu"); },
            [] { EXPECT_TRUE(TGameRun::Click("options")); })
        .Step(
            "the options", [] { return TGameRun::IsTop("options"); },
            [] { EXPECT_TRUE(TGameRun::Click("mute_sound")); })
        .Step(
            "mute reaches the profile", [] { return TPlayer::GetIfMade()->GetSoundOff(); },
            [] { EXPECT_TRUE(TGameRun::Click("ok_button")); })
        .Step(
            "OK leaves the options", [] { return TGameRun::IsTop("main_menu"); },
            [] { TGameRun::CloseWindow(); })
        .Step(
            "the quit question", [] { return TGameRun::IsTop("quit"); },
            [] { EXPECT_TRUE(TGameRun::Click("yes")); });

    EXPECT_EQ(run.Run(), 0);
    EXPECT_TRUE(run.Failures().empty()) << run.FailureText() << run.Log();
    const std::string log = run.Log();
    EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
    EXPECT_EQ(log.find("LoadRes"), std::string::npos) << log;
    EXPECT_EQ(log.find("#####"), std::string::npos) << log;
    EXPECT_EQ(log.find("not found"), std::string::npos) << log;

    // The new player in the game's own profile file.
    const std::filesystem::path prefsFile = run.UserData() / "users" / "prefs.dat";
    ASSERT_TRUE(std::filesystem::exists(prefsFile)) << prefsFile;
    SetUserDataFolder(TString((run.UserData() / "users").c_str()));
    SetSetting("encryptionkey", kGameEncryptionKey);
    SetSetting("installkey",
               TString(std::filesystem::read_symlink("/proc/self/exe").parent_path().c_str()));
    {
        TPrefs prefs(false);
        EXPECT_EQ(prefs.GetUserCount(), 1);
        EXPECT_EQ(prefs.GetInt("curuser", -7), 0);
        EXPECT_EQ(prefs.GetInt("soundoff", -7, 0), 1);
    }
    ClearSettings();
}

// The steps of a first start up to the open menu: the first player named
// and chosen, then the opening flash.
void ToTheOpenMenu(TGameRun& run)
{
    run.Step("the name dialog of the first start", [] { return TGameRun::IsTop("profile_name"); },
             [] { TGameRun::TypeText("Ann"); })
        .Step("the typed name", [] { return TextOf("name_field") == "Ann"; },
              [] { TGameRun::PressKey(platform::kVkReturn); })
        .Step("the name in the list", [] { return TGameRun::IsTop("profile"); },
              [] { TGameRun::PressKey(platform::kVkReturn); })
        .Step("the closed menu", [] { return TGameRun::IsTop("main_menu"); },
              [] { TGameRun::PressKey('A'); })
        .Step("the open menu",
              []
              {
                  TMainMenuScreen* menu = Menu();
                  return menu != nullptr && !menu->IsFlashOn() && !menu->IsScrolling();
              });
}

bool BoxTicked(const char* name)
{
    TWindow* w = TGameRun::FindBelowTop(name);
    return w != nullptr && w->IsKindOf(TButton::ClassId()) && static_cast<TButton*>(w)->IsOn();
}

// The keys after the pause, Escape on the menu, the full-screen box of a
// game kept in its window, and the volumes a first start plays at.
TEST(FrontEndRun, KeysAfterThePauseEscapeOnTheMenuAndTheDisplaysRealMode)
{
    TGameRun run;
    float music = -1.0f, effects = -1.0f;
    ToTheOpenMenu(run);
    run.Idle(3)
        .Step(
            "the menu music faded in",
            []
            {
                TSoundManager* sound = TSoundManager::Current();
                return sound != nullptr &&
                       sound->GetGroupVolume(TMySoundManager::kMusicGroup) >= 0.64f - 1e-4f;
            },
            [&]
            {
                TSoundManager* sound = TSoundManager::Current();
                music = sound->GetGroupVolume(TMySoundManager::kMusicGroup);
                effects = sound->GetGroupVolume(TMySoundManager::kEffectGroup);
                TGameRun::PressKey(platform::kVkEscape);
            })
        .Step("Escape on the menu asks to quit", [] { return TGameRun::IsTop("quit"); },
              [] { EXPECT_TRUE(TGameRun::Click("no")); })
        .Step("No goes back to the menu", [] { return TGameRun::IsTop("main_menu"); },
              [] { TGameRun::SetFocus(false); })
        .Step("the pause over the menu", [] { return TGameRun::IsTop("pause"); },
              [] { EXPECT_TRUE(TGameRun::Click("resume")); })
        .Step("resumed", [] { return TGameRun::IsTop("main_menu"); },
              [] { TGameRun::SetFocus(true); })
        .Idle(3)
        .Step("the focus back changes nothing more", [] { return TGameRun::IsTop("main_menu"); },
              [] { TGameRun::PressKey(platform::kVkEscape); })
        .Step("Escape after the pause asks to quit", [] { return TGameRun::IsTop("quit"); },
              [] { TGameRun::PressKey(platform::kVkEscape); })
        .Step("Escape answers No", [] { return TGameRun::IsTop("main_menu"); },
              [] { EXPECT_TRUE(TGameRun::Click("options")); })
        .Step(
            "the options show the window the game runs in",
            [] { return TGameRun::IsTop("options"); },
            []
            {
                EXPECT_FALSE(BoxTicked("full_screen"));
                EXPECT_TRUE(TPlayer::GetIfMade()->GetFullScreen()) << "the profile's wish";
                EXPECT_TRUE(TGameRun::Click("full_screen"));
            })
        .Step(
            "a refused switch leaves the box as the display is",
            [] { return TGameRun::IsTop("options") && !BoxTicked("full_screen"); },
            [] { TGameRun::SetFocus(false); }, 5000)
        .Step("the pause over the options", [] { return TGameRun::IsTop("pause"); },
              [] { TGameRun::SetFocus(true); })
        .Step("the focus back closes the pause", [] { return TGameRun::IsTop("options"); },
              [] { TGameRun::PressKey(platform::kVkEscape); })
        .Step("Escape closes the options", [] { return TGameRun::IsTop("main_menu"); },
              [] { TGameRun::CloseWindow(); })
        .Step("the quit question", [] { return TGameRun::IsTop("quit"); },
              [] { EXPECT_TRUE(TGameRun::Click("yes")); });

    EXPECT_EQ(run.Run(), 0);
    EXPECT_TRUE(run.Failures().empty()) << run.FailureText() << run.Log();
    // A new player's volumes as the game applies them: effects 800 and music
    // 640 thousandths.
    EXPECT_NEAR(music, 0.64f, 1e-4f);
    EXPECT_NEAR(effects, 0.8f, 1e-4f);
    const std::string log = run.Log();
    EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
}

}  // namespace
