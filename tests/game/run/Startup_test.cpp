// The game from start to quit, headless and in-process: the loading screen
// of the first start, the first screen, the quit question asked and
// answered, the pause on a lost focus, and the profile file the run leaves
// for the next one.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/Folders.h"
#include "core/Prefs.h"
#include "core/Settings.h"
#include "game/app/AppEvents.h"
#include "game/app/MyCursor.h"
#include "game/app/MySoundManager.h"
#include "game/app/MySprite.h"
#include "game/app/Player.h"
#include "game/app/Res.h"
#include "game/app/StartupSettings.h"
#include "game/app/screens/LoadScreen.h"
#include "game/app/screens/MainMenuScreen.h"
#include "game/run/support/GameRun.h"
#include "graphics/Texture.h"
#include "platform/Keys.h"
#include "script/Script.h"
#include "sound/SoundManager.h"
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

int CountModalsNamed(const char* name)
{
    TWindowManager* wm = GetWindowManager();
    int n = 0;
    for (int d = 0; wm != nullptr && d < wm->GetModalCount(); ++d)
        if (wm->GetModal(d)->GetName() == TString(name)) ++n;
    return n;
}

// The run's first menu shows the closed picture: its flat night sky where
// the profile screen opened for a first player leaves it uncovered.
bool FrameShowsTheClosedPicture()
{
    return TGameRun::FramePixel(400, 40) == 0x27345C;
}

// The modal on top when the first screen is reached (the profile screen's
// name entry when there is no profile yet).
std::string gFirstTop;

// Queues the first screen: the loading screen (held until one of its frames
// is drawn) then the menu's closed picture under the profile screen.
void ReachTheFirstScreen(TGameRun& run, uint32_t& loadingPixel)
{
    auto load = std::make_shared<TLoadScreen*>(nullptr);
    run.Step(
           "the loading screen",
           [load]
           {
               *load =
                   static_cast<TLoadScreen*>(TGameRun::FindWindowOfClass(TLoadScreen::ClassId()));
               return *load != nullptr;
           },
           [load]
           {
               EXPECT_TRUE(TGameRun::IsTop("load")) << TGameRun::TopModalName().CStr();
               TRes* res = TRes::GetIfMade();
               ASSERT_NE(res, nullptr);
               EXPECT_TRUE(res->IsFirstLoad());
               ASSERT_NE((*load)->GetBackground(), nullptr);
               EXPECT_EQ((*load)->GetBackground()->GetTexture(),
                         TTexture::Get("images/core/main_menu/fon_close", 0));
               // Held until the frame shows it: the shipped groups load in
               // a few ticks.
               (*load)->SetPaused(true);
           })
        .Step(
            "a frame of the loading screen", [] { return TGameRun::FramePixel(400, 300) != 0; },
            [load, &loadingPixel]
            {
                loadingPixel = TGameRun::FramePixel(400, 300);
                (*load)->SetPaused(false);
            })
        .Step(
            "the first screen",
            []
            {
                TMainMenuScreen* menu = Menu();
                return menu != nullptr && !menu->IsFirstFrame() &&
                       TGameRun::IsTop("profile_name") && FrameShowsTheClosedPicture();
            },
            []
            {
                EXPECT_EQ(TGameRun::FindWindowOfClass(TLoadScreen::ClassId()), nullptr);
                EXPECT_TRUE(Menu()->IsFlashOn());
                gFirstTop = TGameRun::TopModalName().CStr();
            });
}

// After the first loading: the shipped sounds are in the game sound
// manager, the first start's volumes in the framework's groups, the trail
// shown; "PlaySoundFromLUA" plays an effect, and the event loop steps a
// music fade to its end.
void CheckSoundsAndTrail(TGameRun& run)
{
    // The menu's music fades in first.
    run.Step("the menu's fade-in", [] { return !TMySoundManager::GetIfMade()->IsFading(); });
    run.Do("the sounds and the trail",
           []
           {
               TMyCursor* cursor = TMyCursor::GetIfMade();
               ASSERT_NE(cursor, nullptr);
               EXPECT_FALSE(cursor->IsSystemCursor());
               TMySoundManager* sounds = TMySoundManager::GetIfMade();
               ASSERT_NE(sounds, nullptr);
               auto names = [](const std::vector<TMySoundManager::SSoundEntry>& list)
               {
                   std::vector<std::string> out;
                   for (const auto& e : list) out.push_back(e.name.CStr());
                   std::sort(out.begin(), out.end());
                   return out;
               };
               // Among them, the menu's and the buttons' (screens add their own).
               const std::vector<std::string> music = names(sounds->GetMusic());
               const std::vector<std::string> effects = names(sounds->GetEffects());
               for (const char* name : {"core_audio:audio/music/main_menu?group=1001",
                                        "core_audio:audio/music/main_menu_intro?group=1001"})
                   EXPECT_NE(std::find(music.begin(), music.end(), name), music.end()) << name;
               for (const char* name :
                    {"core_audio:audio/sound/core/main_menu_intro_flash?group=1000",
                     "window_audio:audio/sound/core/click?group=1000"})
                   EXPECT_NE(std::find(effects.begin(), effects.end(), name), effects.end())
                       << name;
               TSoundManager* framework = TSoundManager::Current();
               ASSERT_NE(framework, nullptr);
               EXPECT_FLOAT_EQ(framework->GetGroupVolume(1000), 0.8f);
               EXPECT_FLOAT_EQ(framework->GetGroupVolume(0), 0.8f);
               EXPECT_FLOAT_EQ(framework->GetGroupVolume(1001), 0.64f);

               TScript* script = GetWindowManagerScript();
               ASSERT_NE(script, nullptr);
               script->DoLuaString("PlaySoundFromLUA('window_audio:audio/sound/core/click')");
               for (const auto& e : sounds->GetEffects())
               {
                   if (e.name == TString("window_audio:audio/sound/core/click?group=1000"))
                   {
                       EXPECT_EQ(e.playCount, 1);
                   }
               }
               sounds->StopSound("window_audio:audio/sound/core/click");

               sounds->StartMusicFadeIn(100);
               EXPECT_FLOAT_EQ(framework->GetGroupVolume(1001), 0.0f);
           })
        .Step(
            "the fade steps with the events",
            [] { return !TMySoundManager::GetIfMade()->IsFading(); },
            [] { EXPECT_FLOAT_EQ(TSoundManager::Current()->GetGroupVolume(1001), 0.64f); });
}

TEST(StartupRun, FirstStartAsksBeforeQuittingAndLeavesTheProfileFile)
{
    TGameRun run;
    uint32_t loadingPixel = 0;
    ReachTheFirstScreen(run, loadingPixel);
    CheckSoundsAndTrail(run);
    auto quit = std::make_shared<TWindow*>(nullptr);
    run.Do("close the window", &TGameRun::CloseWindow)
        .Step(
            "the question", [] { return TGameRun::IsTop("quit"); },
            [quit]
            {
                *quit = GetWindowManager()->GetTopModal();
                TGameRun::CloseWindow();
            })
        .Idle(20)
        .Step(
            "a second close changes nothing",
            [quit] { return GetWindowManager()->GetTopModal() == *quit; },
            []
            {
                EXPECT_EQ(CountModalsNamed("quit"), 1);
                EXPECT_TRUE(TGameRun::Click("no"));
            })
        .Step(
            "No goes back to the first screen", [] { return TGameRun::IsTop(gFirstTop.c_str()); },
            [] { TGameRun::SetFocus(false); })
        .Step(
            "focus lost pauses", [] { return TGameRun::IsTop("pause"); },
            [] { TGameRun::SetFocus(true), TGameRun::SetFocus(false); })
        .Idle(20)
        .Step(
            "the pause opens once",
            [] { return TGameRun::IsTop("pause") && CountModalsNamed("pause") == 1; },
            [] { TGameRun::SetFocus(true); })
        .Step(
            "focus gained closes the pause", [] { return TGameRun::IsTop(gFirstTop.c_str()); },
            [] { TGameRun::CloseWindow(); })
        .Step(
            "the question again", [] { return TGameRun::IsTop("quit"); },
            [] { EXPECT_TRUE(TGameRun::Click("yes")); });

    EXPECT_EQ(run.Run(), 0);
    EXPECT_TRUE(run.Failures().empty()) << run.FailureText() << run.Log();
    EXPECT_NE(loadingPixel, 0u);
    const std::string log = run.Log();
    EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
    EXPECT_EQ(log.find("LoadRes"), std::string::npos) << log;
    EXPECT_EQ(log.find("Missing string"), std::string::npos) << log;

    // The first start's shared values, in the game's own folder.
    const std::filesystem::path prefsFile = run.UserData() / "users" / "prefs.dat";
    ASSERT_TRUE(std::filesystem::exists(prefsFile)) << prefsFile;
    EXPECT_FALSE(std::filesystem::exists(run.UserData() / "users" / "prefs.dat.bad"));
    EXPECT_FALSE(std::filesystem::exists(run.UserData() / "prefs.dat"));
    SetUserDataFolder(TString((run.UserData() / "users").c_str()));
    SetSetting("encryptionkey", kGameEncryptionKey);
    // The profiles are filed under the program's folder: this test program's.
    SetSetting("installkey",
               TString(std::filesystem::read_symlink("/proc/self/exe").parent_path().c_str()));
    {
        TPrefs prefs(false);
        EXPECT_EQ(prefs.GetUserCount(), 0);
        for (auto [key, value] : {std::pair{"fullscreen", 1},
                                  {"soundoff", 0},
                                  {"musiclevel", 640},
                                  {"soundlevel", 800},
                                  {"gamecursor", 1}})
            EXPECT_EQ(prefs.GetInt(key, -7), value) << key;
    }

    // A second start reads the same file, and a termination from outside
    // ends it without a question.
    const auto before = std::filesystem::last_write_time(prefsFile);
    ReachTheFirstScreen(run, loadingPixel);
    run.Do("check the profile, then terminate",
           []
           {
               TPlayer* player = TPlayer::GetIfMade();
               ASSERT_NE(player, nullptr);
               EXPECT_TRUE(player->IsOpen());
               EXPECT_EQ(player->GetNumUsers(), 0);
               EXPECT_TRUE(player->GetFullScreen());
               TGameRun::TerminateFromOutside();
           });
    EXPECT_EQ(run.Run(), 0);
    EXPECT_TRUE(run.Failures().empty()) << run.FailureText() << run.Log();
    EXPECT_FALSE(std::filesystem::exists(run.UserData() / "users" / "prefs.dat.bad"));
    EXPECT_GE(std::filesystem::last_write_time(prefsFile), before);
    ClearSettings();
}

}  // namespace
