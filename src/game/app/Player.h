// TPlayer: the player profiles (settings, progress in the three level modes,
// comics and map effects seen, the saved level) kept in the enciphered
// preferences store, one value set per user slot plus the shared slot (-1)
// that holds "curuser"; and the values screens hand each other (level to
// play, map mode, comics, return script, the screen stack, the held clock).
//
// Every operation that writes saves the store once, atomically, when it has
// written all of its keys. Reads of missing keys give the documented
// defaults and report nothing. After ClosePlayerData the store is gone:
// reads give their defaults and writes do nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "core/String.h"
#include "game/app/CompleteLevel.h"
#include "game/app/LevelSnapshot.h"
#include "game/app/Singleton.h"
#include "script/ScriptFunctions.h"
#include "script/ScriptObject.h"

class TClock;
class TPrefs;
class TWindow;

class TPlayer : public Singleton<TPlayer>, public TScriptObject
{
public:
    // Opens the store ("user:prefs.dat"), publishes the script functions
    // "IsNameInUse", "GetNumUsers", "NoNeededLoad", "CreateNewUser",
    // "IsPlayerNameLost" and
    // "SetCurrentUser" into the window manager's script (when there is
    // one), selects the stored current user (or, with no users, writes the
    // five settings' defaults into the shared slot and applies them) and
    // takes the map mode from "last_played_level".
    TPlayer();
    // Closes the store. The published functions outlive it as calls that do
    // nothing.
    ~TPlayer() override;

    // Level modes.
    enum : int32_t
    {
        kModeStory = 0,
        kModeSandbox = 1,
        kModeDefender = 2
    };

    // --- users ---
    // "name" of the current slot ("curuser" read with default 0).
    TString GetName() const;
    // "" when the slot has no name.
    TString GetUserName(int slot) const;
    // Only for an existing slot (logged otherwise).
    void SetUserName(int slot, const TString& name);
    int GetNumUsers() const;
    // Erases the slot; later slots move down by one. A current slot above it
    // moves down with it; deleting the current slot leaves no current user
    // (-1) and clears the held snapshot. Out-of-range slots change nothing.
    void DeleteUser(int slot);
    bool IsNameInUse(const TString& name) const;
    // First slot with that name; -1 when none.
    int FindUser(const TString& name) const;
    // Appends a slot with the name and a new user's values (the shared
    // settings instead, for the first user of an empty store). Does not make
    // it current.
    void CreateNewUser(const TString& name);
    // Ignored for a slot at or above the number of users. A negative slot
    // leaves no current user; otherwise the user's display and cursor
    // settings are applied and the saved level is read.
    void SetCurrentUser(int slot);
    // The current slot: "curuser" when it names an existing slot, else -1.
    int GetCurrentUser() const;
    // True from a start whose damaged file left no named player (the current
    // one's name lost) until a new player is made: the game asks for a name
    // as at the first start.
    bool IsPlayerNameLost() const { return nameLost_; }

    // --- settings of the current user (the shared slot when none) ---
    bool GetSoundOff() const;
    void SetSoundOff(bool off);
    int GetSoundLevel() const;
    void SetSoundLevel(float level);  // truncated
    int GetMusicLevel() const;
    void SetMusicLevel(float level);  // truncated
    bool GetFullScreen() const;
    void SetFullScreen(bool fullScreen);
    bool GetGameCursor() const;
    void SetGameCursor(bool gameCursor);
    // Writes "fullscreen" back as 1 or 0 and switches the display when its
    // state differs. Without a facade only the write happens.
    void ApplyFullScreen();
    // The profile's effect and music volumes (thousandths) and mute to the
    // game sound manager.
    void ApplySound();
    // The game's cursor image ("images/kursor", hot spot 7, 6) with the
    // cursor trail, or the system-style one ("images/kursor_sys", 1, 1)
    // without it. Without a facade only the trail is told.
    void ApplyCursor();

    // --- progress ---
    // Records a finished level (see Player.cpp); writes "last_played_level"
    // as the level's number (index + 1).
    void SetLevelResult(int index, const SCompleteLevel& record);
    const SCompleteLevel& GetLastResult() const { return lastResult_; }
    int GetCompletedStory() const;
    int GetCompletedSandbox() const;
    int GetCompletedDefender() const;
    struct SLevelState
    {
        int level = 0;
        int state = -1;  // -1 or -10: never finished
    };
    SLevelState GetLevelState(int index) const;
    int GetComicsSeen() const;
    // Counts one more only when the stored count equals n.
    void NoteComicsSeen(int n);
    int GetMapEffectSeen() const;
    void NoteMapEffectSeen(int n);
    // The number of the comics due now, or -1.
    int GetComicDue() const;

    // --- saved level ---
    // Held snapshot := snapshot; stores it in the current slot (or only
    // marks the saved level gone when it is not valid). All keys are saved
    // together: a failed save leaves the earlier file whole.
    void SaveLevelState(const LevelSnapshot& snapshot);
    // Reads the current slot's saved level into the held snapshot; when none
    // is stored only the valid flag is cleared.
    void LoadLevelState();
    void ForgetSavedLevel();
    const LevelSnapshot& GetSavedLevel() const { return saved_; }
    // The saved level as it stands (the current slot's "last_played_level",
    // is_save_level and save_level_* keys, and the held snapshot), so that a
    // level stored for a close request that is then cancelled can be taken
    // back: the level goes on and must not be offered for resuming later.
    struct TKeptSavedLevel
    {
        int slot = -1;
        std::vector<std::pair<TString, TString>> present;  // key, stored text
        std::vector<TString> absent;
        LevelSnapshot held;
    };
    TKeptSavedLevel KeepSavedLevel() const;
    // Puts those keys and the held snapshot back (a key that was missing is
    // removed again) and saves once. Nothing when the current slot has
    // changed since.
    void PutBackSavedLevel(const TKeptSavedLevel& kept);

    // --- screens ---
    void PushScreen(TWindow* window);
    // Removes the first entry whose window has that name.
    void RemoveScreen(const TString& name);
    // The newest screen still alive; null when none.
    TWindow* TopScreen() const;

    // --- hand-over values ---
    int32_t GetLevelToPlay() const { return levelToPlay_; }
    void SetLevelToPlay(int32_t level) { levelToPlay_ = level; }
    int32_t GetMode() const { return mode_; }
    void SetMode(int32_t mode) { mode_ = mode; }
    int32_t GetComicsNumber() const { return comicsNumber_; }
    void SetComicsNumber(int32_t n) { comicsNumber_ = n; }
    const TString& GetReturnScript() const { return returnScript_; }
    void SetReturnScript(const TString& script) { returnScript_ = script; }
    bool GetHelpPause() const { return helpPause_; }
    void SetHelpPause(bool on) { helpPause_ = on; }
    // The clock the pause rules stop and start; null clears it.
    void SetHeldClock(TClock* clock);
    bool HoldsClock() const { return holdsClock_; }
    TClock* GetHeldClock() const { return heldClock_; }

    // Destroys the store (it writes itself out). Idempotent.
    void ClosePlayerData();
    bool IsOpen() const { return prefs_ != nullptr; }

private:
    int ReadInt(const char* key, int def, int slot) const;
    TString ReadText(const char* key, const TString& def, int slot) const;
    void WriteInt(const char* key, int value, int slot);
    void WriteText(const char* key, const TString& value, int slot);
    void Save();
    void NoteSeen(const char* key, int n);
    void BindScriptFunctions();
    void RecordOpenModeResult(int index, const SCompleteLevel& record, const char* counterKey,
                              bool storeTotal);

    // Taken back when the profile goes (declared first: it goes last).
    TScriptFunctions scriptFunctions_;
    std::unique_ptr<TPrefs> prefs_;
    bool nameLost_ = false;
    SCompleteLevel lastResult_;
    int32_t levelToPlay_ = 1;
    int32_t mode_ = kModeStory;
    LevelSnapshot saved_;
    bool sharedDefaultsPending_ = false;
    bool holdsClock_ = false;
    TClock* heldClock_ = nullptr;
    int32_t comicsNumber_ = -1;
    std::vector<TScriptHandle> screens_;
    TString returnScript_;
    bool helpPause_ = false;
};
