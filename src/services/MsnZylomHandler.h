// The game inside a web-portal page: game-state writes become command texts
// posted to the page in 8-byte pieces, the page's numbered messages come
// back as "windowmessage" writes, and the game is held, muted and timed on
// a portal clock as the page asks. The mode flags are process-wide.
// Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/String.h"
#include "services/GameState.h"

// One posted piece of a command: bytes 0-3 in wParam and 4-7 in lParam,
// each a little-endian word (byte 0 is wParam's low byte).
struct TPortalPiece
{
    uint32_t wParam = 0;
    uint32_t lParam = 0;
    bool operator==(const TPortalPiece& other) const = default;
};

// The text and its terminating zero cut into 8-byte pieces; the last piece
// holds the zero, and its bytes after it are zero.
std::vector<TPortalPiece> SplitPortalCommand(const char* text);

// Where commands go: the host page's window. One call per piece.
class TPortalChannel
{
public:
    virtual ~TPortalChannel() = default;
    virtual void Post(uint32_t wParam, uint32_t lParam) = 0;
};

// What the portal needs of the program; tests replace them. Empty members
// fall back to the defaults (the monotonic clock, the sound manager, the
// application's cursor; no mouse capture exists).
struct TPortalHooks
{
    std::function<uint32_t()> ticks;
    std::function<float()> getVolume;  // the master group's volume
    std::function<void(float)> setMasterVolume;
    std::function<void(bool)> showSystemCursor;
    std::function<void()> setArrowCursor;  // the platform's own pointer while held
    std::function<void()> restoreCursor;   // the game's pointer again after a hold
    std::function<bool()> isMouseCaptured;
    std::function<void()> releaseMouseCapture;
    std::function<TString()> commandLine;
};

class TMsnZylomHandler final : public TGameStateHandler
{
public:
    TMsnZylomHandler();

    bool OnSetState(const TString& key, const TString& value) override;
    TString OnGetState(const TString& key, const TString& value) override;
    bool QueryRestartMode() override;
    bool QueryJumpToMenu() override;
    bool QueryMuteGame() override;
    bool IsHoldingGame() override;

private:
    bool aol_ = false;
};

// The page's window. Null (the default) means the game is in no page:
// nothing can be posted, and the modes that post refuse to start.
void SetPortalChannel(TPortalChannel* channel);
void SetPortalHooks(const TPortalHooks& hooks);
// Every flag, count and the clock back to the start (tests).
void ResetPortalState();

// Sets the msn flag and adds a handler; false (nothing added) when no
// channel is installed, unless the command line holds "-pq=" (that mode
// never posts).
bool EnableMsnMode();
// Sets the zylom flag and adds a handler; false (nothing added) without a
// channel.
bool EnableZylomMode();
// Adds a handler without a mode flag: it only answers "systemmode".
void EnablePortalHandler();
bool IsMsnMode();
bool IsZylomMode();
// ms the page held the game (finished holds) in msn or zylom mode, else 0.
uint32_t GetHostPausedTime();

// The longest mode text a "GameReady" command carries whole.
inline constexpr int kPortalModeTextMax = 216;
