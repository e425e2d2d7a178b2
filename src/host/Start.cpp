// The start function: the start-up steps in order, the game's main function,
// then shutdown.
#include "host/Start.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/AssetIndex.h"
#include "core/FileNames.h"
#include "core/Folders.h"
#include "core/Log.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "host/App.h"
#include "host/AppHost.h"
#include "host/CommandLine.h"
#include "platform/Library.h"
#include "platform/Process.h"

namespace
{

std::function<void(const char*)> gTrace;

void Trace(const char* step)
{
    if (gTrace) gTrace(step);
}

THostGameState* EnsureGameState(TAppHost& host)
{
    if (!host.GetGameState())
    {
        auto& make = GetFrameworkServices().makeGameState;
        if (make) host.SetGameState(make());
    }
    return host.GetGameState();
}

// The harness entry may hand back a new command line; the harness owns the
// text it returns there.
using THarnessHook = intptr_t (*)(const char** commandLine);

void RunTestHarnessHook(platform::Library& harness, TString& commandLine)
{
    // Start-up has not entered the program folder yet; it is taken from the
    // program's own path.
    std::string program = platform::GetProgramPath();
    std::string folder =
        program.substr(0, program.rfind('/') == std::string::npos ? 0 : program.rfind('/'));
    if (folder.empty()) return;
    std::string path = folder + "/" + kHarnessLibrary;
    // Only the program's own folder is searched, never the library path or
    // a folder other users can write.
    if (!harness.Open(path, {folder})) return;
    auto hook = reinterpret_cast<THarnessHook>(harness.Symbol("TestHook"));
    if (!hook) return;
    const char* text = commandLine.CStr();
    TString keep = commandLine;
    hook(&text);
    if (text && text != keep.CStr()) commandLine = TString(text);
}

void LoadGameStateModules(THostGameState* gameState)
{
    TString name;
    while (FindNextAssetName("", name, false))
    {
        if (name.Find(".qvmod") < 0 || name == "firstpeek.qvmod") continue;
        // Modules are native code: only files shipped in the program's own
        // folders qualify.
        TResolvedName resolved = ResolveFileNameTagged(name, true);
        if (resolved.kind != TFileKind::kDisk || !IsNativeCodeNameAllowed(name))
        {
            LogPrintf("Game-state module %s refused: not in the program's folders", name.CStr());
            continue;
        }
        if (!gameState || !gameState->LoadModule(name))
            LogPrintf("Game-state module %s not loaded", name.CStr());
    }
}

}  // namespace

void SetStartTrace(std::function<void(const char* step)> trace)
{
    gTrace = std::move(trace);
}

int StartFramework(const TString& commandLineIn, TGameMain gameMain, bool allowMultiple)
{
    TString commandLine = commandLineIn;
    Trace("harness");
    platform::Library harness;
    RunTestHarnessHook(harness, commandLine);
    bool wnd = HasSwitch(commandLine, "-wnd=");
    if (wnd || HasSwitch(commandLine, "--multiple")) allowMultiple = true;
    Trace("host");
    TAppHost* host = CreateAppHost(commandLine, allowMultiple);
    // A parent window of a portal page cannot be had on this platform.
    if (wnd)
    {
        std::fprintf(stderr, "Error: mExternalWindowParent is lost, exiting!\n");
        LogPrintf("Error: mExternalWindowParent is lost, exiting!");
        std::exit(-1);
    }
    Trace("portal");
    if (HasSwitch(commandLine, "-msn"))
    {
        if (THostGameState* gs = EnsureGameState(*host)) gs->EnableMsnMode();
    }
    if (HasSwitch(commandLine, "-zylom"))
    {
        if (THostGameState* gs = EnsureGameState(*host)) gs->EnableZylomMode();
    }
    if (HasSwitch(commandLine, "-aol"))
    {
        if (THostGameState* gs = EnsureGameState(*host)) gs->EnablePortalHandler();
    }
    if (HasSwitch(commandLine, "--axtest"))
    {
        host->embedded = true;
        host->activeXTest = true;
        SetSetting("activex", "1");
    }
    bool embeddedWithoutPq = host->embedded && !HasSwitch(commandLine, "-pq=");
    Trace("folders");
    SetDataFolders(host->GetProductName(), commandLine, embeddedWithoutPq);
    Trace("log");
    if (!embeddedWithoutPq) SetLogFolder(GetUserDataFolder().CStr());
    Trace("app");
    TApp* app = new TApp(host);
    // Without a window nothing could ever end the game loop.
    Trace("window");
    if (!app->CreateMainWindow())
    {
        LogPrintf("ERROR: the main window could not be created, exiting");
        if (THostGameState* gs = host->GetGameState())
        {
            host->SetGameState(nullptr);
            delete gs;
        }
        delete app;
        return -1;
    }
    if (host->activeXTest) SetSetting("activex", "1");
    Trace("sound");
    app->StartSound();
    Trace("draw");
    if (auto& make = GetFrameworkServices().makeDisplay)
    {
        host->SetDisplay(make(*host));
        ReplayPendingSettingChanges();
    }
    Trace("settings");
    char shortPath[260];
    std::snprintf(shortPath, sizeof shortPath, "%s", host->GetProgramFolder().CStr());
    ToShortPath(shortPath, sizeof shortPath);
    SetSetting(kSettingInstallKey, shortPath);
    SetSetting("startupdir", host->GetStartFolder());
    if (HasSwitch(commandLine, "--cheat")) SetSetting(kSettingCheatCode, CheatCodeOf(commandLine));
    for (const auto& [key, value] : ParseOptions(commandLine)) SetSetting(key, value);
    if (HasSwitch(commandLine, "-pq="))
    {
        if (THostGameState* gs = EnsureGameState(*host)) gs->EnableMsnMode();
    }
    Trace("modules");
    THostGameState* gameState = EnsureGameState(*host);
    LoadGameStateModules(gameState);
    if (gameState)
    {
        gameState->SetState("cmdline", commandLine);
        gameState->SetState("commondatadir", GetCommonDataFolder());
        gameState->SetState("userdatadir", GetUserDataFolder());
    }
    Trace("main");
    if (gameMain) gameMain(*app, commandLine);
    int exitCode = host->quitCode;

    // Shutdown. There is no harness window to post a quit to; the harness
    // library stays loaded until the process ends.
    Trace("shutdown");
    if (THostGameState* gs = host->GetGameState())
    {
        host->SetGameState(nullptr);
        delete gs;
    }
    delete app;
    Trace("done");
    return exitCode;
}
