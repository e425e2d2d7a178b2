// The main function and the event loop.
#include "game/app/GameMain.h"

#include "core/Folders.h"
#include "core/Log.h"
#include "core/Settings.h"
#include "core/StringTable.h"
#include "game/app/AppEvents.h"
#include "game/app/FrameworkServices.h"
#include "game/app/GameHelper.h"
#include "game/app/Log.h"
#include "game/app/MyCursor.h"
#include "game/app/MySoundManager.h"
#include "game/app/Player.h"
#include "game/app/RunningLevel.h"
#include "game/app/Singleton.h"
#include "game/app/StartupSettings.h"
#include "graphics/DrawContext.h"
#include "graphics/Texture.h"
#include "host/App.h"
#include "script/Binding.h"
#include "script/Script.h"
#include "services/HostHttp.h"
#include "ui/Screen.h"
#include "ui/WindowManager.h"

namespace
{

constexpr int kTextureMemoryMax = 419430400;  // 400 MiB
constexpr const char* kMainLoopScript = "scripts/mainloop.lua";

// What StartGame hands the main function (a plain function pointer).
const TGameSetup* gSetup = nullptr;

// The framework's data folders before the game's log moved them: its own
// files (the play metrics, the system report) are written there at shutdown.
struct SFrameworkFolders
{
    TString user, common, desktop;
};
SFrameworkFolders gFrameworkFolders;

}  // namespace

int StartGame(const TString& commandLine, const TGameSetup& setup)
{
    ApplyStartupSettings();
    RegisterFrameworkServices();
    SetRunningLevel(setup.level);
    SetGameHelper(setup.helper);
    gSetup = &setup;
    const int exitCode =
        StartFramework(commandLine, setup.mainFunction != nullptr ? setup.mainFunction : &GameMain,
                       setup.allowMultiple);
    gSetup = nullptr;
    ShutdownHostHttp();
    SetRunningLevel(nullptr);
    SetGameHelper(nullptr);
    return exitCode;
}

void GameMain(TApp& app, const TString&)
{
    SetSetting("texturememorymax", TString::Format("%d", kTextureMemoryMax));
    if (TDrawContext* dc = TDrawContext::Instance())
    {
        dc->OnSettingChanged("new_subtractive", "1");
        dc->OnSettingChanged("new_render_blend", "1");
        dc->OnSettingChanged("texture_rectangle", "1");
    }
    if (TStringTable* strings = app.GetStringTable())
        app.SetWindowTitle(strings->GetString("game_name", "", "", "", "", ""));
    app.SetDisplayMode(800, 600, false);
    app.SetCursor(TTexture::Get("images/kursor", 0), 7, 6, true);

    // The cursor trail first: the profile's cursor setting reaches it. The
    // folders move before the profile opens its store: read and written in
    // the same place. The profile applies its volumes to the sound manager
    // (made then, if not before).
    TMyCursor::GetInstance();
    gFrameworkFolders = {GetUserDataFolder(), GetCommonDataFolder(), GetDesktopFolder()};
    TLog::GetInstance();
    TPlayer::GetInstance();
    TMySoundManager::GetInstance();
    RegisterWindowTypes(gSetup != nullptr ? gSetup->windowTypes : GetAppWindowTypes());

    IRunningLevel& level = GetRunningLevel();
    level.ClearRunningFlags();
    GetGameHelper().SetClock(level.GetMainClock());

    TScript* script = GetWindowManagerScript();
    if (script != nullptr && script->GetState() != nullptr)
    {
        LuaBindFunction(script->GetState(), "MyCloseNon", &MyCloseNon);
        LuaBindFunction(script->GetState(), "PlaySoundFromLUA", &PlaySoundFromLua);
    }
    if (script == nullptr || !script->RunScript(kMainLoopScript))
        LogPrintf("ERROR: %s did not run: the game has no screen", kMainLoopScript);

    RunEventLoop(app);
    EndGame();
}

void RunEventLoop(TApp& app)
{
    TEvent ev;
    for (;;)
    {
        app.GetNextEvent(ev);
        if (ev.type == kEventQuit) break;
        HandleGameEvent(ev);
    }
}

void HandleGameEvent(const TEvent& ev)
{
    switch (ev.type)
    {
        case kEventClose:
            OnQuitRequest(ev.data == kCloseFromOutside);
            break;
        case kEventFullScreenToggle:
            OnDisplayModeChange();
            break;
        case kEventActivate:
            OnAppActivate(ev.data != 0);
            break;
        default:
            break;
    }
    // Every event, those above included, steps the music fade and reaches
    // the window manager.
    if (TMySoundManager* sounds = TMySoundManager::GetIfMade()) sounds->UpdateFade();
    if (TWindowManager* wm = GetWindowManager()) wm->HandleEvent(ev);
}

void EndGame()
{
    if (TWindowManager* wm = GetWindowManager())
    {
        while (wm->GetModalCount() > 0 &&
               wm->GetTopModal() != static_cast<TWindow*>(wm->GetScreen()))
            wm->PopTopModal();
        // Popped windows are deleted at the start of the next event.
        TEvent redraw;
        redraw.Set(kEventRedraw, 0, 0, 0, 0);
        wm->HandleEvent(redraw);
    }
    if (TPlayer* player = TPlayer::GetIfMade()) player->ClosePlayerData();
    DestroySingletons();
    SetUserDataFolder(gFrameworkFolders.user);
    SetCommonDataFolder(gFrameworkFolders.common);
    SetDesktopFolder(gFrameworkFolders.desktop);
}
