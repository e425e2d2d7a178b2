// The portal handler and the process-wide portal state behind it.
#include "services/MsnZylomHandler.h"

#include <algorithm>
#include <cstring>

#include "core/Clock.h"
#include "core/host/App.h"
#include "core/host/AppHost.h"
#include "platform/Time.h"
#include "sound/SoundManager.h"

namespace
{

struct TPortalState
{
    bool msn = false;
    bool zylom = false;
    bool sessionReadySent = false;
    bool running = false;
    bool gamePaused = false;
    bool held = false;
    uint32_t holdStart = 0;
    uint32_t totalHeld = 0;
    bool scriptMute = false;
    bool hostMute = false;
    bool portalMuted = false;
    float savedVolume = 0.0f;
    bool jumpToMenu = false;
    bool restart = false;
    bool cameFromMenu = false;
    int breaks = 0;
    uint32_t lastBroadcast = 0;
    int level = 0;
    int sublevel = 0;
    bool scoreSubmitted = false;
    int commercialInterval = -1;
    TClock clock;
};

TPortalState g_portal;
TPortalChannel* g_channel = nullptr;
TPortalHooks g_hooks;

uint32_t Ticks()
{
    return g_hooks.ticks ? g_hooks.ticks() : platform::GetTickMs();
}

float MasterVolume()
{
    if (g_hooks.getVolume) return g_hooks.getVolume();
    TSoundManager* sound = TSoundManager::Current();
    return sound ? sound->GetGroupVolume(-1) : 0.0f;
}

void SetMasterVolume(float volume)
{
    if (g_hooks.setMasterVolume) return g_hooks.setMasterVolume(volume);
    if (TSoundManager* sound = TSoundManager::Current()) sound->SetMasterVolume(volume);
}

void ShowSystemCursor(bool visible)
{
    if (g_hooks.showSystemCursor) return g_hooks.showSystemCursor(visible);
    if (TApp* app = GetApp()) app->ShowSystemCursor(visible);
}

void SetArrowCursor()
{
    if (g_hooks.setArrowCursor) g_hooks.setArrowCursor();
    // The platform's pointer is its arrow once the game's is hidden.
}

void RestoreCursor()
{
    if (g_hooks.restoreCursor) return g_hooks.restoreCursor();
    if (TApp* app = GetApp()) app->GetHost()->ReapplyCursors();
}

bool IsMouseCaptured()
{
    return g_hooks.isMouseCaptured && g_hooks.isMouseCaptured();
}

void ReleaseMouseCapture()
{
    if (g_hooks.releaseMouseCapture) g_hooks.releaseMouseCapture();
}

TString CommandLine()
{
    if (g_hooks.commandLine) return g_hooks.commandLine();
    TApp* app = GetApp();
    return app ? app->GetHost()->GetCommandLine() : TString();
}

bool CommandLineHas(const char* text)
{
    return CommandLine().Find(text) >= 0;
}

bool InPortalMode()
{
    return g_portal.msn || g_portal.zylom;
}

int Seconds()
{
    return g_portal.clock.GetTime() / 1000;
}

void ApplyMute()
{
    TPortalState& p = g_portal;
    bool wanted = p.hostMute || p.gamePaused || p.held || p.scriptMute || (!p.zylom && !p.running);
    if (wanted && !p.portalMuted)
    {
        p.portalMuted = true;
        p.savedVolume = MasterVolume();
        SetMasterVolume(0.0f);
    }
    else if (!wanted && p.portalMuted)
    {
        p.portalMuted = false;
        SetMasterVolume(p.savedVolume);
        p.savedVolume = 0.0f;
    }
}

void BeginHold()
{
    TPortalState& p = g_portal;
    if (p.held) return;
    p.held = true;
    p.holdStart = Ticks();
    if (p.gamePaused) return;  // the clock is already stopped
    p.clock.Stop();
    ShowSystemCursor(false);
    SetArrowCursor();
}

void ReleaseHold()
{
    TPortalState& p = g_portal;
    if (!p.held) return;
    p.held = false;
    p.totalHeld += Ticks() - p.holdStart;
    p.holdStart = 0;
    if (p.gamePaused) return;
    p.clock.Start();
    RestoreCursor();
    ShowSystemCursor(true);
}

void Send(const TString& text, bool hold)
{
    if (CommandLineHas("-pq="))
    {
        g_portal.running = true;
        return;
    }
    if (g_portal.zylom) hold = false;
    if (g_channel)
        for (const TPortalPiece& piece : SplitPortalCommand(text.CStr()))
            g_channel->Post(piece.wParam, piece.lParam);
    if (hold) BeginHold();
    ApplyMute();
}

void ScoreSubmit(int score)
{
    TPortalState& p = g_portal;
    if (p.zylom)
    {
        Send(TString::Format(
                 "ScoreSubmit(\"<game><score>%ld</score><time>%ld</time><level>%d</level>"
                 "<sublevel>%d</sublevel></game>\")",
                 static_cast<long>(score), static_cast<long>(Seconds()), p.level, p.sublevel),
             false);
        p.scoreSubmitted = true;
    }
    else if (p.msn)
        Send(TString::Format("ScoreSubmit(\"<game><score>%ld</score><time>%ld</time></game>\")",
                             static_cast<long>(score), static_cast<long>(Seconds())),
             false);
}

void GameEnd()
{
    if (!InPortalMode()) return;
    g_portal.running = false;
    Send("GameEnd(\"<gamedata></gamedata>\")", true);
}

void ScoreBroadcast(int score)
{
    TPortalState& p = g_portal;
    if (!InPortalMode() || !p.running) return;
    uint32_t now = Ticks();
    if (now - p.lastBroadcast < 5000) return;
    p.lastBroadcast = now;
    Send(TString::Format("ScoreBroadcast(\"<game><score>%ld</score><time>%ld</time></game>\")",
                         static_cast<long>(score), static_cast<long>(Seconds())),
         false);
}

void GameBreak()
{
    if (!InPortalMode()) return;
    ++g_portal.breaks;
    Send(
        TString::Format("GameBreak(\"<data><breakpoint>%d</breakpoint></data>\")", g_portal.breaks),
        true);
}

// The command once went through a 256-byte buffer; a longer mode text is
// cut on a character boundary so the command still closes.
void GameReady(const TString& mode)
{
    if (!InPortalMode()) return;
    int length = mode.Length();
    if (length > kPortalModeTextMax)
    {
        length = kPortalModeTextMax;
        while (length > 0 && (static_cast<unsigned char>(mode.CharAt(length)) & 0xC0) == 0x80)
            --length;
    }
    Send("GameReady(\"<data><mode>" + mode.Substring(0, length) + "</mode></data>\")", true);
}

void LoadBroadcast(int percent)
{
    if (!g_portal.msn || g_portal.zylom || g_portal.sessionReadySent) return;
    percent = std::clamp(percent, 0, 100);
    Send(TString::Format("LoadBroadcast(\"<data><percentcomplete>%d</percentcomplete></data>\")",
                         percent),
         true);
}

void SessionReady()
{
    if (!InPortalMode() || g_portal.sessionReadySent) return;
    g_portal.sessionReadySent = true;
    Send("SessionReady(\"<data></data>\")", true);
}

void SetPaused(bool paused)
{
    TPortalState& p = g_portal;
    if (!InPortalMode() || paused == p.gamePaused) return;
    p.gamePaused = paused;
    if (!p.held)
    {
        if (paused)
            p.clock.Stop();
        else
            p.clock.Start();
        if (p.zylom)
            Send(paused ? "GamePause(\"<data>true</data>\")" : "GamePause(\"<data>false</data>\")",
                 false);
    }
    ApplyMute();
}

void SetMuted(bool muted)
{
    if (!InPortalMode()) return;
    g_portal.scriptMute = muted;
    ApplyMute();
}

bool IsCommercialDue()
{
    return g_portal.commercialInterval >= 0 && Seconds() > g_portal.commercialInterval;
}

void RestartButton()
{
    if (g_portal.zylom && IsCommercialDue() && g_portal.scoreSubmitted) Send("Restart", false);
}

void HostMessage(int kind)
{
    TPortalState& p = g_portal;
    if (!InPortalMode()) return;
    switch (kind)
    {
        case 1:
            p.jumpToMenu = true;
            break;
        case 2:
            p.hostMute = true;
            break;
        case 3:
            p.hostMute = false;
            break;
        case 4:
            if (CommandLineHas("-pq=") && IsMouseCaptured()) ReleaseMouseCapture();
            BeginHold();
            break;
        case 5:
        case 6:
        case 9:
        case 10:
            ReleaseHold();
            break;
        case 7:
            p.running = true;
            p.lastBroadcast = 0;
            p.gamePaused = false;
            ReleaseHold();
            p.clock.Reset();
            p.clock.Start();
            p.breaks = 0;
            if (p.cameFromMenu)
                p.cameFromMenu = false;
            else
                p.restart = true;
            break;
        case 8:
            p.restart = true;
            break;
        default:
            break;
    }
    ApplyMute();
}

// Hands out a pending request of the page once; taking it sets the
// running flag as given.
bool TakeRequest(bool& request, bool runningAfter)
{
    if (!InPortalMode() || !request) return false;
    request = false;
    g_portal.running = runningAfter;
    ApplyMute();
    return true;
}

int BoardInt(const char* key)
{
    TGameState* board = TGameState::Peek();
    return board ? board->GetState(key).ToInt() : 0;
}

void AddHandler()
{
    TGameState::Get();
    TGameState::AddHandler(new TMsnZylomHandler());
}

}  // namespace

std::vector<TPortalPiece> SplitPortalCommand(const char* text)
{
    std::vector<TPortalPiece> pieces;
    const size_t size = std::strlen(text ? text : "") + 1;  // with the zero
    for (size_t at = 0; at < size; at += 8)
    {
        unsigned char bytes[8] = {};
        std::memcpy(bytes, (text ? text : "") + at, std::min<size_t>(8, size - at));
        TPortalPiece piece;
        for (int i = 0; i < 4; ++i)
        {
            piece.wParam |= static_cast<uint32_t>(bytes[i]) << (8 * i);
            piece.lParam |= static_cast<uint32_t>(bytes[4 + i]) << (8 * i);
        }
        pieces.push_back(piece);
    }
    return pieces;
}

TMsnZylomHandler::TMsnZylomHandler() : m_aol(!g_portal.zylom && CommandLineHas("-aol")) {}

bool TMsnZylomHandler::OnSetState(const TString& key, const TString& value)
{
    TPortalState& p = g_portal;
    const char* k = key.CStr();
    if (std::strcmp(k, "windowmessage") == 0)
    {
        HostMessage(value.ToInt());
        return true;
    }
    if (std::strcmp(k, "loadbroadcast") == 0)
    {
        LoadBroadcast(100);
        return true;
    }
    if (std::strcmp(k, "sessionready") == 0)
    {
        SessionReady();
        return true;
    }
    if (std::strcmp(k, "mute") == 0)
    {
        SetMuted(value.ToInt() != 0);
        return true;
    }
    if (std::strcmp(k, "cmdline") == 0)
    {
        if (p.zylom)
        {
            int at = value.Find("-com_interval");
            // The switch, one separator, then the number; a short line gives 0.
            p.commercialInterval = at < 0 ? -1 : value.Substring(at + 14).ToInt();
        }
        else if (value.Find("-aol") >= 0)
            m_aol = true;
    }
    else if (std::strcmp(k, "level") == 0)
    {
        p.level = value.ToInt();
        p.sublevel = BoardInt("sublevel");
    }
    else if (std::strcmp(k, "sublevel") == 0)
    {
        p.level = BoardInt("level");
        p.sublevel = value.ToInt();
    }
    else if (std::strcmp(k, "pause") == 0)
        SetPaused(value.ToInt() != 0);
    else if (std::strcmp(k, "breaknow") == 0)
        GameBreak();
    else if (std::strcmp(k, "score") == 0)
        ScoreBroadcast(value.ToInt());
    else if (std::strcmp(k, "gamemode") == 0)
        GameReady(value);
    else if (std::strcmp(k, "gameover") == 0)
    {
        ScoreSubmit(BoardInt("score"));
        GameEnd();
    }
    else if (std::strcmp(k, "restartbutton") == 0)
        RestartButton();
    return false;
}

TString TMsnZylomHandler::OnGetState(const TString& key, const TString& value)
{
    TString reply = value;
    if (key == TString("systemmode"))
    {
        if (g_portal.zylom) reply = "zylom";
        if (g_portal.msn) reply = "msn";
        if (m_aol) reply = "aol";
    }
    else if (key == TString("restartbutton"))
        reply = TString::Format("%d", IsCommercialDue() ? 1 : 0);
    return reply;
}

bool TMsnZylomHandler::QueryRestartMode()
{
    return TakeRequest(g_portal.restart, true);
}

bool TMsnZylomHandler::QueryJumpToMenu()
{
    if (!TakeRequest(g_portal.jumpToMenu, false)) return false;
    g_portal.cameFromMenu = true;
    return true;
}

bool TMsnZylomHandler::QueryMuteGame()
{
    return g_portal.portalMuted;
}

bool TMsnZylomHandler::IsHoldingGame()
{
    return InPortalMode() && g_portal.held;
}

void SetPortalChannel(TPortalChannel* channel)
{
    g_channel = channel;
}

void SetPortalHooks(const TPortalHooks& hooks)
{
    g_hooks = hooks;
}

void ResetPortalState()
{
    g_portal = TPortalState();
}

bool EnableMsnMode()
{
    if (!g_channel && !CommandLineHas("-pq=")) return false;
    g_portal.msn = true;
    AddHandler();
    return true;
}

bool EnableZylomMode()
{
    if (!g_channel) return false;
    g_portal.zylom = true;
    AddHandler();
    return true;
}

void EnablePortalHandler()
{
    AddHandler();
}

bool IsMsnMode()
{
    return g_portal.msn;
}

bool IsZylomMode()
{
    return g_portal.zylom;
}

uint32_t GetHostPausedTime()
{
    return InPortalMode() ? g_portal.totalHeld : 0;
}
