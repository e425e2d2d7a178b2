// The application facade: construction, destruction and forwarding.
#include "core/host/App.h"

#include <cstdlib>

#include "core/AssetIndex.h"
#include "core/Clock.h"
#include "core/FileNames.h"
#include "core/Log.h"
#include "core/Settings.h"
#include "core/host/AppHost.h"
#include "core/host/CommandLine.h"
#include "core/host/ExitStats.h"
#include "core/host/GetNextEvent.h"
#include "core/host/SystemCursor.h"

namespace
{

TApp* g_app = nullptr;

uint32_t AppTime()
{
    // The facade is published before it holds its host.
    return g_app && g_app->GetHost() ? g_app->GetTime() : HostTickMs();
}

// The settings change hook reaches the host only once the facade holds it.
bool HostSettingHook(const TString& key, const TString& value)
{
    if (!g_app || !g_app->GetHost()) return false;
    g_app->GetHost()->OnSettingChanged(key, value);
    // "vsync" waits until there is a display to take it.
    return !(key == "vsync" && !g_app->GetHost()->GetDisplay());
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
    return g_app;
}

TApp::TApp(TAppHost* host)
    : m_hostAndSettings(this,
                        [](TApp& app)
                        {
                            app.m_host->DestroyStringTable();
                            app.m_host->DestroyAssetManager();
                            delete app.m_host;
                            app.m_host = nullptr;
                            if (GetSettingBool("postmetrics")) SaveExitStats();
                            ClearSettings();
                        }),
      m_gameState(this,
                  [](TApp& app)
                  {
                      delete app.m_host->GetGameState();
                      app.m_host->SetGameState(nullptr);
                  }),
      m_unpublish(this,
                  [](TApp&)
                  {
                      // From here on nothing reaches the facade, and no
                      // setting the exit code stores reaches the host.
                      SetSettingChangeHook(nullptr);
                      g_app = nullptr;
                      SetClockTimeSource(nullptr);
                  }),
      m_display(this,
                [](TApp& app)
                {
                    if (!app.m_host->GetDisplay()) return;
                    if (auto& destroy = GetFrameworkServices().destroyDisplay) destroy();
                    app.m_host->SetDisplay(nullptr);
                }),
      m_sound(this,
              [](TApp& app)
              {
                  delete app.m_host->GetSoundManager();
                  app.m_host->SetSoundManager(nullptr);
              }),
      m_hostTasks(this, [](TApp& app) { app.m_host->GetTaskList().DeleteAll(); }),
      m_windowManager(this,
                      [](TApp& app)
                      {
                          delete app.m_host->GetWindowManager();
                          app.m_host->SetWindowManager(nullptr);
                      })
{
    // The image codec needs no global initialisation.
    g_app = this;
    SetClockTimeSource(&AppTime);
    // Settings defaults and the command line's own settings.
    const TString& cmd = host->GetCommandLine();
    SetSetting("memorymax", "100000000");
    SetSetting("texturememorymax", "100000000");
    if (host->HasSwitch("-url=")) SetSetting("downloadurl", WordAfterSwitch(cmd, "-url="));
    if (host->HasSwitch("--stringtest")) SetSetting("stringtest", "1");
    SetSetting("utf8modeinit", GetSetting("utf8mode", ""));
    // The host, then the generator re-seeded from rand.
    m_host = host;
    uint32_t key[4];
    for (uint32_t& word : key) word = SeedWordFromRand();
    m_host->GetRandom().SeedByArray(key, 4);
    SetSettingChangeHook(&HostSettingHook);
    // The window script.
    if (THostWindowManager* wm = m_host->GetWindowManager()) wm->CreateWindowScript();
    SetSetting("computerid", GetComputerId());
    ApplySettingsFile();
    // The data folders are already where the logical names look.
    if (GetSettingBool("firstpeek")) SetFirstPeekMode(true);
    BuildAssetIndex([this] { RegisterSystemCursor(); });
    if (m_host->GetStringTable()->LoadStartupFiles())
    {
        if (THostWindowManager* wm = m_host->GetWindowManager()) wm->SetTranslateLabels(true);
    }
    SetSetting("buildtag", m_host->GetInternalName());
    LogPrintf("%s, version %s.", m_host->GetProductName().CStr(), m_host->GetVersion().CStr());
    SetSetting("gamename", m_host->GetProductName());
    SetSetting("version", m_host->GetVersion());
    auto& services = GetFrameworkServices();
    if (services.registerOggDataSourceBuilder) services.registerOggDataSourceBuilder();
    if (!m_host->GetGameState() && services.makeGameState)
        m_host->SetGameState(services.makeGameState());
    if (THostGameState* gs = m_host->GetGameState())
    {
        if (GetSettingBool("firstpeek"))
            gs->AddFirstPeekHandler();
        else if (GetSettingBool("postmetrics"))
            gs->AddPostMetricsHandler();
    }
}

// The teardown runs in the members' destructors (see App.h).
TApp::~TApp() = default;

TString TApp::GetProductName() const
{
    return m_host->GetProductName();
}
TString TApp::GetVersion() const
{
    return m_host->GetVersion();
}
void TApp::SetWindowTitle(const TString& title)
{
    m_host->SetWindowTitle(title);
}
bool TApp::CreateMainWindow()
{
    return m_host->CreateMainWindow();
}
bool TApp::IsForeground() const
{
    return m_host->IsForeground();
}
bool TApp::SetFullScreen(bool fullScreen)
{
    return m_host->SetFullScreen(fullScreen);
}
bool TApp::IsFullScreen() const
{
    return m_host->IsFullScreen();
}

void TApp::GetDisplaySize(int& width, int& height, bool& fullScreen) const
{
    m_host->GetDisplaySize(width, height, fullScreen);
}

void TApp::GetNextEvent(TEvent& ev)
{
    ::GetNextEvent(*m_host, ev);
}
uint32_t TApp::GetTime() const
{
    return m_host->GetTime();
}
void TApp::Sleep(uint32_t ms) const
{
    m_host->Sleep(ms);
}
void TApp::OpenURL(const TString& url)
{
    m_host->OpenURL(url);
}

bool TApp::StartSound()
{
    if (!m_host->GetSoundManager())
    {
        auto& make = GetFrameworkServices().makeSoundManager;
        if (!make) return false;
        m_host->SetSoundManager(make());
    }
    THostSoundManager* sound = m_host->GetSoundManager();
    return sound && sound->Init();
}

THostSoundManager* TApp::GetSoundManager() const
{
    return m_host->GetSoundManager();
}
void TApp::Quit(int exitCode)
{
    m_host->PostQuit(exitCode);
}

void TApp::ReportOutOfVideoMemory()
{
    if (THostDisplay* display = m_host->GetDisplay()) display->ReportOutOfVideoMemory();
}

THostWindowManager* TApp::GetWindowManager() const
{
    return m_host->GetWindowManager();
}
TStringTable* TApp::GetStringTable() const
{
    return m_host->GetStringTable();
}
TAssetManager* TApp::GetAssetManager() const
{
    return m_host->GetAssetManager();
}
void TApp::AddTask(TTask* task)
{
    m_host->GetTaskList().Add(task);
}
bool TApp::RemoveTask(TTask* task)
{
    return m_host->GetTaskList().Remove(task);
}
TTaskList& TApp::GetTaskList()
{
    return m_host->GetTaskList();
}
void TApp::AddAppTask(TTask* task)
{
    m_appTasks.Add(task);
}
void TApp::RunAppTasks()
{
    m_appTasks.RunTasks(TaskPhaseIdle);
}
int TApp::GetMouseMode() const
{
    return m_host->mouseMode;
}
void TApp::SetMousePosition(int x, int y)
{
    m_host->SetMousePosition(x, y);
}
void TApp::ShowSystemCursor(bool visible)
{
    m_host->ShowSystemCursor(visible);
}

bool TApp::IsFlipDone() const
{
    THostDisplay* display = m_host->GetDisplay();
    // With nothing drawn there is no frame in flight.
    return !display || display->IsFlipDone();
}

TString TApp::GetClipboardText() const
{
    return m_host->GetClipboardText();
}

void TApp::SetDisplayMode(int width, int height, bool fullScreen)
{
    THostWindowManager* wm = m_host->GetWindowManager();
    if (wm && !wm->HasRootWindow()) wm->CreateRootScreen(width, height);
    m_host->SetDisplayMode(width, height, fullScreen);
}

void TApp::SetCursor(const std::shared_ptr<TTexture>& image, int hotX, int hotY, bool overlay)
{
    m_host->SetCursor(image, hotX, hotY, overlay);
}

void TApp::RegisterSystemCursor()
{
    if (!FileExists(kSystemCursorName))
        RegisterMemoryFileByName(kSystemCursorName, kSystemCursorPng, kSystemCursorPngSize);
}

uint32_t TApp::Random()
{
    return m_host->GetRandom().Next();
}

bool StringToClipboard(const TString& text)
{
    TApp* app = GetApp();
    return app && app->GetHost() && app->GetHost()->SetClipboardText(text);
}
