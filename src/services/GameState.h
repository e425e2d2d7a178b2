// The game-state board: a process-wide map of named text values whose every
// write is offered to a chain of handlers, which also answer the game's four
// questions (restart, jump to menu, muted, held).
// Main thread only: nothing here is locked.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "core/String.h"

// The interface of every handler. The board owns the handlers it lists: it
// calls Shutdown once and then deletes each when it is destroyed.
class TGameStateHandler
{
public:
    TGameStateHandler() = default;
    virtual ~TGameStateHandler() = default;
    TGameStateHandler(const TGameStateHandler&) = delete;
    TGameStateHandler& operator=(const TGameStateHandler&) = delete;

    // True when the change is consumed: later handlers are not offered it,
    // and the board applies no rule of its own.
    virtual bool OnSetState(const TString& key, const TString& value) = 0;
    // The text to report in place of value (the value itself by default).
    virtual TString OnGetState(const TString& key, const TString& value);
    virtual bool QueryRestartMode() { return false; }
    virtual bool QueryJumpToMenu() { return false; }
    virtual bool QueryMuteGame() { return false; }
    virtual bool IsHoldingGame() { return false; }
    // Called once, right before deletion.
    virtual void Shutdown() { closed_ = true; }

    bool IsClosed() const { return closed_; }

private:
    bool closed_ = false;
};

class TGameState
{
public:
    // The board; made by the first call once the application facade exists.
    // Null before that (nothing is made then).
    static TGameState* GetInstance();
    // The board when it exists; never makes one.
    static TGameState* GetIfMade();
    // Shuts down and deletes every listed handler (in list order), empties
    // the list, then deletes the board. Runs the handler part even when no
    // board was ever made.
    static void Destroy();
    // Appends to the process-wide list. Null is ignored. Handlers may be
    // listed before the board exists.
    static void AddHandler(std::unique_ptr<TGameStateHandler> handler);
    static const std::vector<std::unique_ptr<TGameStateHandler>>& GetHandlers();

    // "++name" raises name by one (the value given is dropped); the value is
    // stored, then offered to the handlers in order until one consumes it.
    // Unconsumed "mute" changes mute or unmute the sound manager.
    void SetState(const TString& key, const TString& value);
    void SetStateInt(const TString& key, int value);
    // The stored value (an unknown key is stored empty) passed through every
    // handler's OnGetState in order.
    TString GetState(const TString& key);
    // True at the first handler answering true (later ones are not asked).
    bool QueryRestartMode();
    bool QueryJumpToMenu();
    bool IsHeld();
    // As above; when no handler answers true, whether "mute" holds a
    // non-zero number.
    bool QueryMuteGame();

    // The stored map, for tests and diagnostics (no handler is consulted).
    const std::map<TString, TString>& GetStoredStates() const { return states_; }

    // Test seam: replaces the "facade exists" test Get makes (null restores
    // it).
    using TFacadeTest = bool (*)();
    static void SetFacadeTestForTest(TFacadeTest test);

private:
    TGameState();
    ~TGameState() = default;
    void ApplyMute(const TString& previous, const TString& value);
    // True at the first handler whose answer is true.
    static bool AnyHandler(bool (TGameStateHandler::*ask)());

    std::map<TString, TString> states_;
    float savedVolume_ = 0.0f;
    // Only a volume this board took away is given back: a mute that a
    // handler consumed saved nothing.
    bool volumeSaved_ = false;
};
