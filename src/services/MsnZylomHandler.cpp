// The portal handler and the process-wide portal state behind it.
#include "services/MsnZylomHandler.h"

#include <algorithm>
#include <cstring>

#include "core/Clock.h"
#include "host/App.h"
#include "host/AppHost.h"
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

TPortalState gPortal;
TPortalChannel* gChannel = nullptr;
TPortalHooks gHooks;

uint32_t Ticks()
{
    return gHooks.ticks ? gHooks.ticks() : platform::GetTickMs();
}

float MasterVolume()
{
    if (gHooks.getVolume) return gHooks.getVolume();
    TSoundManager* sound = TSoundManager::Current();
    return sound ? sound->GetGroupVolume(-1) : 0.0f;
}

void SetMasterVolume(float volume)
{
    if (gHooks.setMasterVolume) return gHooks.setMasterVolume(volume);
    if (TSoundManager* sound = TSoundManager::Current()) sound->SetMasterVolume(volume);
}

void ShowSystemCursor(bool visible)
{
    if (gHooks.showSystemCursor) return gHooks.showSystemCursor(visible);
    if (TApp* app = GetApp()) app->ShowSystemCursor(visible);
}

void SetArrowCursor()
{
    if (gHooks.setArrowCursor) gHooks.setArrowCursor();
    // The platform's pointer is its arrow once the game's is hidden.
}

void RestoreCursor()
{
    if (gHooks.restoreCursor) return gHooks.restoreCursor();
    if (TApp* app = GetApp()) app->GetHost()->ReapplyCursors();
}

bool IsMouseCaptured()
{
    return gHooks.isMouseCaptured && gHooks.isMouseCaptured();
}

void ReleaseMouseCapture()
{
    if (gHooks.releaseMouseCapture) gHooks.releaseMouseCapture();
}

TString CommandLine()
{
    if (gHooks.commandLine) return gHooks.commandLine();
    TApp* app = GetApp();
    return app ? app->GetHost()->GetCommandLine() : TString();
}

bool CommandLineHas(const char* text)
{
    return CommandLine().Find(text) >= 0;
}

bool InPortalMode()
{
    return gPortal.msn || gPortal.zylom;
}

int Seconds()
{
    return gPortal.clock.GetTime() / 1000;
}

void ApplyMute()
{
    TPortalState& p = gPortal;
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
    TPortalState& p = gPortal;
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
    TPortalState& p = gPortal;
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
        gPortal.running = true;
        return;
    }
    if (gPortal.zylom) hold = false;
    if (gChannel)
        for (const TPortalPiece& piece : SplitPortalCommand(text.CStr()))
            gChannel->Post(piece.wParam, piece.lParam);
    if (hold) BeginHold();
    ApplyMute();
}

void ScoreSubmit(int score)
{
    TPortalState& p = gPortal;
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
    gPortal.running = false;
    Send("GameEnd(\"<gamedata></gamedata>\")", true);
}

void ScoreBroadcast(int score)
{
    TPortalState& p = gPortal;
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
    ++gPortal.breaks;
    Send(
        TString::Format("GameBreak(\"<data><breakpoint>%d</breakpoint></data>\")", gPortal.breaks),
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
    if (!gPortal.msn || gPortal.zylom || gPortal.sessionReadySent) return;
    percent = std::clamp(percent, 0, 100);
    Send(TString::Format("LoadBroadcast(\"<data><percentcomplete>%d</percentcomplete></data>\")",
                         percent),
         true);
}

void SessionReady()
{
    if (!InPortalMode() || gPortal.sessionReadySent) return;
    gPortal.sessionReadySent = true;
    Send("SessionReady(\"<data></data>\")", true);
}

void SetPaused(bool paused)
{
    TPortalState& p = gPortal;
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
    gPortal.scriptMute = muted;
    ApplyMute();
}

bool IsCommercialDue()
{
    return gPortal.commercialInterval >= 0 && Seconds() > gPortal.commercialInterval;
}

void RestartButton()
{
    if (gPortal.zylom && IsCommercialDue() && gPortal.scoreSubmitted) Send("Restart", false);
}

void HostMessage(int kind)
{
    TPortalState& p = gPortal;
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
    gPortal.running = runningAfter;
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

TMsnZylomHandler::TMsnZylomHandler() : aol_(!gPortal.zylom && CommandLineHas("-aol")) {}

bool TMsnZylomHandler::OnSetState(const TString& key, const TString& value)
{
    TPortalState& p = gPortal;
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
            aol_ = true;
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
        if (gPortal.zylom) reply = "zylom";
        if (gPortal.msn) reply = "msn";
        if (aol_) reply = "aol";
    }
    else if (key == TString("restartbutton"))
        reply = TString::Format("%d", IsCommercialDue() ? 1 : 0);
    return reply;
}

bool TMsnZylomHandler::QueryRestartMode()
{
    return TakeRequest(gPortal.restart, true);
}

bool TMsnZylomHandler::QueryJumpToMenu()
{
    if (!TakeRequest(gPortal.jumpToMenu, false)) return false;
    gPortal.cameFromMenu = true;
    return true;
}

bool TMsnZylomHandler::QueryMuteGame()
{
    return gPortal.portalMuted;
}

bool TMsnZylomHandler::IsHoldingGame()
{
    return InPortalMode() && gPortal.held;
}

void SetPortalChannel(TPortalChannel* channel)
{
    gChannel = channel;
}

void SetPortalHooks(const TPortalHooks& hooks)
{
    gHooks = hooks;
}

void ResetPortalState()
{
    gPortal = TPortalState();
}

bool EnableMsnMode()
{
    if (!gChannel && !CommandLineHas("-pq=")) return false;
    gPortal.msn = true;
    AddHandler();
    return true;
}

bool EnableZylomMode()
{
    if (!gChannel) return false;
    gPortal.zylom = true;
    AddHandler();
    return true;
}

void EnablePortalHandler()
{
    AddHandler();
}

bool IsMsnMode()
{
    return gPortal.msn;
}

bool IsZylomMode()
{
    return gPortal.zylom;
}

uint32_t GetHostPausedTime()
{
    return InPortalMode() ? gPortal.totalHeld : 0;
}
