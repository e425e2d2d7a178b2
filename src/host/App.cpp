// The application facade: construction, destruction and forwarding.
#include "host/App.h"

#include <cstdlib>

#include "core/AssetIndex.h"
#include "core/Clock.h"
#include "core/FileNames.h"
#include "core/Log.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "host/AppHost.h"
#include "host/CommandLine.h"
#include "host/ExitStats.h"
#include "host/GetNextEvent.h"
#include "host/SystemCursor.h"

namespace
{

TApp* gApp = nullptr;

uint32_t AppTime()
{
    // The facade is published before it holds its host.
    return gApp && gApp->GetHost() ? gApp->GetTime() : HostTickMs();
}

// The settings change hook reaches the host only once the facade holds it.
bool HostSettingHook(const TString& key, const TString& value)
{
    if (!gApp || !gApp->GetHost()) return false;
    gApp->GetHost()->OnSettingChanged(key, value);
    // "vsync" waits until there is a display to take it.
    return !(key == "vsync" && !gApp->GetHost()->GetDisplay());
}

uint32_t SeedWordFromRand()
{
    uint32_t r1 = static_cast<uint32_t>(std::rand());
    uint32_t r2 = static_cast<uint32_t>(std::rand());
    uint32_t r3 = static_cast<uint32_t>(std::rand());
    return r1 * 8u * r2 + (r3 >> 3);
}

}  // namespace

TApp* GetApp()
{
    return gApp;
}

TApp::TApp(TAppHost* host)
    : hostAndSettings_(this,
                       [](TApp& app)
                       {
                           app.host_->DestroyStringTable();
                           app.host_->DestroyAssetManager();
                           delete app.host_;
                           app.host_ = nullptr;
                           if (GetSettingBool(kSettingPostMetrics)) SaveExitStats();
                           ClearSettings();
                       }),
      gameState_(this,
                 [](TApp& app)
                 {
                     delete app.host_->GetGameState();
                     app.host_->SetGameState(nullptr);
                 }),
      unpublish_(this,
                 [](TApp&)
                 {
                     // From here on nothing reaches the facade, and no
                     // setting the exit code stores reaches the host.
                     SetSettingChangeHook(nullptr);
                     gApp = nullptr;
                     SetClockTimeSource(nullptr);
                 }),
      display_(this,
               [](TApp& app)
               {
                   if (!app.host_->GetDisplay()) return;
                   if (auto& destroy = GetFrameworkServices().destroyDisplay) destroy();
                   app.host_->SetDisplay(nullptr);
               }),
      sound_(this,
             [](TApp& app)
             {
                 delete app.host_->GetSoundManager();
                 app.host_->SetSoundManager(nullptr);
             }),
      hostTasks_(this, [](TApp& app) { app.host_->GetTaskList().DeleteAll(); }),
      windowManager_(this,
                     [](TApp& app)
                     {
                         delete app.host_->GetWindowManager();
                         app.host_->SetWindowManager(nullptr);
                     })
{
    // The image codec needs no global initialisation.
    gApp = this;
    // The host's tick follows real time unless a tick source stands in for it.
    SetClockTimeSource(&AppTime, !GetFrameworkServices().tickSource);
    // Settings defaults and the command line's own settings.
    const TString& cmd = host->GetCommandLine();
    SetSetting(kSettingMemoryMax, "100000000");
    SetSetting("texturememorymax", "100000000");
    if (host->HasSwitch("-url=")) SetSetting(kSettingDownloadUrl, WordAfterSwitch(cmd, "-url="));
    if (host->HasSwitch("--stringtest")) SetSetting(kSettingStringTest, "1");
    SetSetting("utf8modeinit", GetSetting(kSettingUtf8Mode, ""));
    // The host, then the generator re-seeded from rand.
    host_ = host;
    uint32_t key[4];
    for (uint32_t& word : key) word = SeedWordFromRand();
    host_->GetRandom().SeedByArray(key, 4);
    SetSettingChangeHook(&HostSettingHook);
    // The window script.
    if (THostWindowManager* wm = host_->GetWindowManager()) wm->CreateWindowScript();
    SetSetting(kSettingComputerId, GetComputerId());
    ApplySettingsFile();
    // The data folders are already where the logical names look.
    if (GetSettingBool(kSettingFirstPeek)) SetFirstPeekMode(true);
    BuildAssetIndex([this] { RegisterSystemCursor(); });
    if (host_->GetStringTable()->LoadStartupFiles())
    {
        if (THostWindowManager* wm = host_->GetWindowManager()) wm->SetTranslateLabels(true);
    }
    SetSetting(kSettingBuildTag, host_->GetInternalName());
    LogPrintf("%s, version %s.", host_->GetProductName().CStr(), host_->GetVersion().CStr());
    SetSetting(kSettingGameName, host_->GetProductName());
    SetSetting(kSettingVersion, host_->GetVersion());
    auto& services = GetFrameworkServices();
    if (services.registerOggDataSourceBuilder) services.registerOggDataSourceBuilder();
    if (!host_->GetGameState() && services.makeGameState)
        host_->SetGameState(services.makeGameState());
    if (THostGameState* gs = host_->GetGameState())
    {
        if (GetSettingBool(kSettingFirstPeek))
            gs->AddFirstPeekHandler();
        else if (GetSettingBool(kSettingPostMetrics))
            gs->AddPostMetricsHandler();
    }
}

// The teardown runs in the members' destructors (see App.h).
TApp::~TApp() = default;

TString TApp::GetProductName() const
{
    return host_->GetProductName();
}
TString TApp::GetVersion() const
{
    return host_->GetVersion();
}
void TApp::SetWindowTitle(const TString& title)
{
    host_->SetWindowTitle(title);
}
bool TApp::CreateMainWindow()
{
    return host_->CreateMainWindow();
}
bool TApp::IsForeground() const
{
    return host_->IsForeground();
}
bool TApp::SetFullScreen(bool fullScreen)
{
    return host_->SetFullScreen(fullScreen);
}
bool TApp::IsFullScreen() const
{
    return host_->IsFullScreen();
}

void TApp::GetDisplaySize(int& width, int& height, bool& fullScreen) const
{
    host_->GetDisplaySize(width, height, fullScreen);
}

void TApp::GetNextEvent(TEvent& ev)
{
    ::GetNextEvent(*host_, ev);
}
uint32_t TApp::GetTime() const
{
    return host_->GetTime();
}
void TApp::Sleep(uint32_t ms) const
{
    host_->Sleep(ms);
}
void TApp::OpenURL(const TString& url)
{
    host_->OpenURL(url);
}

bool TApp::StartSound()
{
    if (!host_->GetSoundManager())
    {
        auto& make = GetFrameworkServices().makeSoundManager;
        if (!make) return false;
        host_->SetSoundManager(make());
    }
    THostSoundManager* sound = host_->GetSoundManager();
    return sound && sound->Init();
}

THostSoundManager* TApp::GetSoundManager() const
{
    return host_->GetSoundManager();
}
void TApp::Quit(int exitCode)
{
    host_->PostQuit(exitCode);
}

void TApp::ReportOutOfVideoMemory()
{
    if (THostDisplay* display = host_->GetDisplay()) display->ReportOutOfVideoMemory();
}

THostWindowManager* TApp::GetWindowManager() const
{
    return host_->GetWindowManager();
}
TStringTable* TApp::GetStringTable() const
{
    return host_->GetStringTable();
}
TAssetManager* TApp::GetAssetManager() const
{
    return host_->GetAssetManager();
}
void TApp::AddTask(TTask* task)
{
    host_->GetTaskList().Add(task);
}
bool TApp::RemoveTask(TTask* task)
{
    return host_->GetTaskList().Remove(task);
}
TTaskList& TApp::GetTaskList()
{
    return host_->GetTaskList();
}
void TApp::AddAppTask(TTask* task)
{
    appTasks_.Add(task);
}
void TApp::RunAppTasks()
{
    appTasks_.RunTasks(TaskPhaseIdle);
}
int TApp::GetMouseMode() const
{
    return host_->mouseMode;
}
void TApp::SetMousePosition(int x, int y)
{
    host_->SetMousePosition(x, y);
}
void TApp::GetMousePosition(int& x, int& y) const
{
    x = 0;
    y = 0;
    if (THostDisplay* display = host_->GetDisplay()) display->GetMouseImagePos(x, y);
}

void TApp::ShowSystemCursor(bool visible)
{
    host_->ShowSystemCursor(visible);
}

bool TApp::IsFlipDone() const
{
    THostDisplay* display = host_->GetDisplay();
    // With nothing drawn there is no frame in flight.
    return !display || display->IsFlipDone();
}

TString TApp::GetClipboardText() const
{
    return host_->GetClipboardText();
}

void TApp::SetDisplayMode(int width, int height, bool fullScreen)
{
    THostWindowManager* wm = host_->GetWindowManager();
    if (wm && !wm->HasRootWindow()) wm->CreateRootScreen(width, height);
    host_->SetDisplayMode(width, height, fullScreen);
}

void TApp::SetCursor(const std::shared_ptr<TTexture>& image, int hotX, int hotY, bool overlay)
{
    host_->SetCursor(image, hotX, hotY, overlay);
}

void TApp::RegisterSystemCursor()
{
    if (!FileExists(kSystemCursorName))
        RegisterMemoryFileByName(kSystemCursorName, kSystemCursorPng, kSystemCursorPngSize);
}

uint32_t TApp::Random()
{
    return host_->GetRandom().Next();
}

bool StringToClipboard(const TString& text)
{
    TApp* app = GetApp();
    return app && app->GetHost() && app->GetHost()->SetClipboardText(text);
}
