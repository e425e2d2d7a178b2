// TPlayer: profile keys, users, settings, level results and the saved level
// in the preferences store; the screen stack and hand-over values.
#include "game/app/Player.h"

#include "core/Clock.h"
#include "core/Log.h"
#include "core/Prefs.h"
#include "game/app/MyCursor.h"
#include "game/app/MySoundManager.h"
#include "graphics/Texture.h"
#include "host/App.h"
#include "script/Binding.h"
#include "script/Script.h"
#include "ui/Window.h"
#include "ui/WindowManager.h"
#include "ui/WindowScriptLink.h"

namespace
{

constexpr int kShared = -1;

// Story levels are indices 0-49, sandbox 50-54, defender 55-59.
constexpr int kFirstSandboxIndex = 50;
constexpr int kFirstDefenderIndex = 55;

// State of an open-mode level that was never finished.
constexpr int kNeverFinished = -10;

// A new user's settings, in the order the first user takes them over from
// the shared slot.
struct SettingDefault
{
    const char* key;
    int newUser;
    int sharedReadDefault;
};
constexpr SettingDefault kNewUserSettings[] = {
    {"soundlevel", 800, 800}, {"musiclevel", 640, 640}, {"soundoff", 0, 1},
    {"fullscreen", 1, 1},     {"gamecursor", 1, 1},
};
constexpr const char* kNewUserCounters[] = {
    "cnt_complete_level",
    "cnt_complete_sandbox_level",
    "cnt_complete_defender_level",
    "total_money",
    "look_comics",
    "look_map_effect",
};

// Every key a saved level writes.
constexpr const char* kSavedLevelKeys[] = {
    "last_played_level",
    "is_save_level",
    "save_level_num",
    "save_level_time",
    "save_level_money",
    "save_level_mana",
    "save_level_worker",
    "save_level_slot_info",
    "save_level_game_object_info",
    "save_level_pay_draft_info",
    "save_level_monster_info",
    "save_level_attr_task_info",
    "save_level_trade_task_info",
    "save_level_bonus_task_info",
    "save_level_sold_good",
    "save_level_buy_slot",
    "save_level_monster_kill",
};

// Marks a key that is not stored; a stored value never holds a NUL.
const TString kMissing("\x01missing");

TString StateKey(int index)
{
    return TString::Format("%d_state", index);
}

TString MoneyKey(int index)
{
    return TString::Format("%d_money", index);
}

}  // namespace

TPlayer::TPlayer()
{
    prefs_ = std::make_unique<TPrefs>(true);
    BindScriptFunctions();
    if (GetNumUsers() > 0)
    {
        SetCurrentUser(ReadInt("curuser", -1, kShared));
    }
    else
    {
        // Settings changed before the first profile exists (the options
        // screen) live in the shared slot until that profile takes them.
        sharedDefaultsPending_ = true;
        WriteInt("fullscreen", 1, kShared);
        WriteInt("soundoff", 0, kShared);
        WriteInt("musiclevel", 640, kShared);
        WriteInt("soundlevel", 800, kShared);
        WriteInt("gamecursor", 1, kShared);
        Save();
        ApplySound();
        ApplyFullScreen();
        ApplyCursor();
    }
    const int last = ReadInt("last_played_level", 0, GetCurrentUser());
    if (last > 50) mode_ = kModeSandbox;
    if (last > 55) mode_ = kModeDefender;
    if (last > 60) mode_ = kModeStory;
}

TPlayer::~TPlayer()
{
    ClosePlayerData();
}

void TPlayer::BindScriptFunctions()
{
    scriptFunctions_.Member("IsNameInUse", this, &TPlayer::IsNameInUse);
    scriptFunctions_.Member("GetNumUsers", this, &TPlayer::GetNumUsers);
    scriptFunctions_.Member("NoNeededLoad", this, &TPlayer::ForgetSavedLevel);
    scriptFunctions_.Member("CreateNewUser", this, &TPlayer::CreateNewUser);
    scriptFunctions_.Member("SetCurrentUser", this, &TPlayer::SetCurrentUser);
}

// --- store access ---

int TPlayer::ReadInt(const char* key, int def, int slot) const
{
    return prefs_ ? prefs_->GetInt(key, def, slot) : def;
}

TString TPlayer::ReadText(const char* key, const TString& def, int slot) const
{
    return prefs_ ? prefs_->GetValue(key, def, slot) : def;
}

void TPlayer::WriteInt(const char* key, int value, int slot)
{
    if (prefs_) prefs_->SetInt(key, value, slot);
}

void TPlayer::WriteText(const char* key, const TString& value, int slot)
{
    if (prefs_) prefs_->SetValue(key, value, slot);
}

void TPlayer::Save()
{
    if (prefs_) prefs_->Save();
}

void TPlayer::ClosePlayerData()
{
    prefs_.reset();
}

// --- users ---

int TPlayer::GetCurrentUser() const
{
    const int slot = ReadInt("curuser", -1, kShared);
    // A damaged file may name a slot that does not exist; writing into it
    // would make a ghost user.
    return slot >= 0 && slot < GetNumUsers() ? slot : kShared;
}

TString TPlayer::GetName() const
{
    const int slot = ReadInt("curuser", 0, kShared);
    return ReadText("name", "", slot < kShared ? kShared : slot);
}

TString TPlayer::GetUserName(int slot) const
{
    return ReadText("name", "", slot);
}

void TPlayer::SetUserName(int slot, const TString& name)
{
    // Naming a slot past the last would pad the store with empty users.
    if (slot < 0 || slot >= GetNumUsers())
    {
        if (prefs_) LogPrintf("TPlayer: no user slot %d to name", slot);
        return;
    }
    WriteText("name", name, slot);
    Save();
}

int TPlayer::GetNumUsers() const
{
    return prefs_ ? prefs_->GetUserCount() : 0;
}

void TPlayer::DeleteUser(int slot)
{
    if (!prefs_ || slot < 0 || slot >= GetNumUsers()) return;
    const int current = GetCurrentUser();
    prefs_->DeleteUser(slot);
    if (current == slot)
    {
        WriteInt("curuser", kShared, kShared);
        saved_.Clear();
    }
    else if (current > slot)
    {
        WriteInt("curuser", current - 1, kShared);
    }
    Save();
}

bool TPlayer::IsNameInUse(const TString& name) const
{
    return FindUser(name) >= 0;
}

int TPlayer::FindUser(const TString& name) const
{
    const int count = GetNumUsers();
    for (int slot = 0; slot < count; ++slot)
        if (GetUserName(slot) == name) return slot;
    return -1;
}

void TPlayer::CreateNewUser(const TString& name)
{
    if (!prefs_) return;
    const int slot = GetNumUsers();
    WriteText("name", name, slot);
    for (const SettingDefault& setting : kNewUserSettings)
    {
        const int value = sharedDefaultsPending_
                              ? ReadInt(setting.key, setting.sharedReadDefault, kShared)
                              : setting.newUser;
        WriteInt(setting.key, value, slot);
    }
    sharedDefaultsPending_ = false;
    for (const char* key : kNewUserCounters) WriteInt(key, 0, slot);
    Save();
}

void TPlayer::SetCurrentUser(int slot)
{
    if (!prefs_ || slot >= GetNumUsers()) return;
    WriteInt("curuser", slot < 0 ? kShared : slot, kShared);
    Save();
    if (slot < 0) return;
    ApplySound();
    ApplyFullScreen();
    ApplyCursor();
    LoadLevelState();
}

// --- settings ---

bool TPlayer::GetSoundOff() const
{
    return ReadInt("soundoff", 0, GetCurrentUser()) != 0;
}

void TPlayer::SetSoundOff(bool off)
{
    WriteInt("soundoff", off ? 1 : 0, GetCurrentUser());
    Save();
}

int TPlayer::GetSoundLevel() const
{
    return ReadInt("soundlevel", 500, GetCurrentUser());
}

void TPlayer::SetSoundLevel(float level)
{
    WriteInt("soundlevel", static_cast<int>(level), GetCurrentUser());
    Save();
}

int TPlayer::GetMusicLevel() const
{
    return ReadInt("musiclevel", 500, GetCurrentUser());
}

void TPlayer::SetMusicLevel(float level)
{
    WriteInt("musiclevel", static_cast<int>(level), GetCurrentUser());
    Save();
}

bool TPlayer::GetFullScreen() const
{
    return ReadInt("fullscreen", 1, GetCurrentUser()) == 1;
}

void TPlayer::SetFullScreen(bool fullScreen)
{
    WriteInt("fullscreen", fullScreen ? 1 : 0, GetCurrentUser());
    Save();
}

bool TPlayer::GetGameCursor() const
{
    return ReadInt("gamecursor", 1, GetCurrentUser()) == 1;
}

void TPlayer::SetGameCursor(bool gameCursor)
{
    WriteInt("gamecursor", gameCursor ? 1 : 0, GetCurrentUser());
    Save();
}

void TPlayer::ApplyFullScreen()
{
    const int slot = GetCurrentUser();
    const bool fullScreen = ReadInt("fullscreen", 1, slot) != 0;
    WriteInt("fullscreen", fullScreen ? 1 : 0, slot);
    Save();
    TApp* app = GetApp();
    if (app && app->IsFullScreen() != fullScreen) app->SetFullScreen(fullScreen);
}

void TPlayer::ApplySound()
{
    const int slot = GetCurrentUser();
    TMySoundManager* sounds = TMySoundManager::GetInstance();
    if (!sounds) return;
    sounds->SetSoundVolume(float(ReadInt("soundlevel", 500, slot)) / 1000.0f);
    sounds->SetMusicVolume(float(ReadInt("musiclevel", 500, slot)) / 1000.0f);
    sounds->SetMute(ReadInt("soundoff", 0, slot) != 0);
}

void TPlayer::ApplyCursor()
{
    const bool gameCursor = ReadInt("gamecursor", 1, GetCurrentUser()) != 0;
    // The trail goes with the game's own pointer image only.
    if (TMyCursor* cursor = TMyCursor::GetIfMade()) cursor->SetSystemCursor(!gameCursor);
    TApp* app = GetApp();
    if (!app) return;
    if (gameCursor)
        app->SetCursor(TTexture::Get("images/kursor", 0), 7, 6, true);
    else
        app->SetCursor(TTexture::Get("images/kursor_sys", 0), 1, 1, true);
}

// --- progress ---

void TPlayer::SetLevelResult(int index, const SCompleteLevel& record)
{
    const int slot = GetCurrentUser();
    // The level's number, as a saved level stores it, so the map mode read
    // from it at start-up is right for every level.
    WriteInt("last_played_level", index + 1, slot);
    if (record.result == -1)
    {
        lastResult_ = record;
        Save();
        return;
    }
    if (index >= kFirstSandboxIndex)
    {
        const bool defender = index >= kFirstDefenderIndex;
        RecordOpenModeResult(
            index, record, defender ? "cnt_complete_defender_level" : "cnt_complete_sandbox_level",
            defender);
        Save();
        return;
    }

    SCompleteLevel kept = record;
    const int completed = ReadInt("cnt_complete_level", 0, slot);
    if (index < completed)
    {
        if (record.result == 1) WriteInt(StateKey(index).CStr(), 1, slot);
        const int old = ReadInt(MoneyKey(index).CStr(), -1, slot);
        if (old < record.money)
        {
            const int total = ReadInt("total_money", -1, slot) - old + record.money;
            WriteInt(MoneyKey(index).CStr(), record.money, slot);
            WriteInt("total_money", total, slot);
            kept.totalMoney = total;
        }
    }
    else if (index == completed)
    {
        const int total = ReadInt("total_money", -1, slot) + record.money;
        kept.totalMoney = total;
        WriteInt("cnt_complete_level", completed + 1, slot);
        WriteInt(StateKey(index).CStr(), record.result, slot);
        WriteInt(MoneyKey(index).CStr(), record.money, slot);
        WriteInt("total_money", total, slot);
    }
    lastResult_ = kept;
    Save();
}

void TPlayer::RecordOpenModeResult(int index, const SCompleteLevel& record, const char* counterKey,
                                   bool storeTotal)
{
    const int slot = GetCurrentUser();
    lastResult_ = record;
    const int state = ReadInt(StateKey(index).CStr(), kNeverFinished, slot);
    if (state == kNeverFinished)
    {
        WriteInt(counterKey, ReadInt(counterKey, 0, slot) + 1, slot);
        const int total = ReadInt("total_money", -1, slot) + record.money;
        WriteInt(StateKey(index).CStr(), record.result, slot);
        WriteInt(MoneyKey(index).CStr(), record.money, slot);
        WriteInt("total_money", total, slot);
        if (storeTotal) lastResult_.totalMoney = total;
        return;
    }
    if (state == 1) return;
    if (state == 0 && record.result % 2 == 0) return;
    const int total =
        ReadInt("total_money", -1, slot) - ReadInt(MoneyKey(index).CStr(), -1, slot) + record.money;
    WriteInt(StateKey(index).CStr(), record.result, slot);
    WriteInt(MoneyKey(index).CStr(), record.money, slot);
    WriteInt("total_money", total, slot);
}

int TPlayer::GetCompletedStory() const
{
    return ReadInt("cnt_complete_level", 0, GetCurrentUser());
}

int TPlayer::GetCompletedSandbox() const
{
    return ReadInt("cnt_complete_sandbox_level", 0, GetCurrentUser());
}

int TPlayer::GetCompletedDefender() const
{
    return ReadInt("cnt_complete_defender_level", 0, GetCurrentUser());
}

TPlayer::SLevelState TPlayer::GetLevelState(int index) const
{
    return {index, ReadInt(StateKey(index).CStr(), -1, GetCurrentUser())};
}

int TPlayer::GetComicsSeen() const
{
    return ReadInt("look_comics", 0, GetCurrentUser());
}

void TPlayer::NoteComicsSeen(int n)
{
    NoteSeen("look_comics", n);
}

void TPlayer::NoteSeen(const char* key, int n)
{
    const int slot = GetCurrentUser();
    // Counted only in order: a comics shown again does not count twice.
    if (ReadInt(key, 0, slot) != n) return;
    WriteInt(key, n + 1, slot);
    Save();
}

int TPlayer::GetMapEffectSeen() const
{
    return ReadInt("look_map_effect", 0, GetCurrentUser());
}

void TPlayer::NoteMapEffectSeen(int n)
{
    NoteSeen("look_map_effect", n);
}

int TPlayer::GetComicDue() const
{
    const int slot = GetCurrentUser();
    const int completed = ReadInt("cnt_complete_level", 0, slot);
    const int seen = ReadInt("look_comics", 0, slot);
    if (completed % 10 == 0 && seen == completed / 10) return completed / 10 + 1;
    return -1;
}

// --- saved level ---

void TPlayer::SaveLevelState(const LevelSnapshot& snapshot)
{
    saved_ = snapshot;
    const int slot = GetCurrentUser();
    WriteInt("last_played_level", snapshot.level, slot);
    if (!snapshot.valid)
    {
        WriteInt("is_save_level", 0, slot);
        Save();
        return;
    }
    // Every key is stored before the one save, so the file on disk holds
    // either the earlier saved level or this one whole, never a valid flag
    // over half-written lists.
    WriteInt("is_save_level", 1, slot);
    WriteInt("save_level_num", snapshot.level, slot);
    WriteInt("save_level_time", snapshot.levelTime, slot);
    WriteInt("save_level_money", snapshot.money, slot);
    WriteInt("save_level_mana", snapshot.mana, slot);
    WriteInt("save_level_worker", snapshot.workers, slot);
    WriteText("save_level_slot_info", SlotListText(snapshot), slot);
    WriteText("save_level_game_object_info", GameObjectListText(snapshot), slot);
    WriteText("save_level_pay_draft_info", PayDraftListText(snapshot), slot);
    WriteText("save_level_monster_info", MonsterListText(snapshot), slot);
    WriteText("save_level_attr_task_info", TaskListText(snapshot.attrTasks), slot);
    WriteText("save_level_trade_task_info", TaskListText(snapshot.tradeTasks), slot);
    WriteText("save_level_bonus_task_info", TaskListText(snapshot.bonusTasks), slot);
    WriteInt("save_level_sold_good", snapshot.goodsSold, slot);
    WriteInt("save_level_buy_slot", snapshot.slotsBought, slot);
    WriteText("save_level_monster_kill", MonsterKillText(snapshot), slot);
    Save();
}

void TPlayer::LoadLevelState()
{
    const int slot = GetCurrentUser();
    saved_.valid = ReadInt("is_save_level", 0, slot) != 0;
    if (!saved_.valid) return;
    saved_.level = ReadInt("save_level_num", 1, slot);
    saved_.levelTime = ReadInt("save_level_time", 1, slot);
    saved_.money = ReadInt("save_level_money", 1, slot);
    saved_.mana = ReadInt("save_level_mana", 1, slot);
    saved_.workers = ReadInt("save_level_worker", 1, slot);
    ReadSlotList(ReadText("save_level_slot_info", "", slot), saved_);
    ReadGameObjectList(ReadText("save_level_game_object_info", "", slot), saved_);
    ReadPayDraftList(ReadText("save_level_pay_draft_info", "", slot), saved_);
    ReadMonsterList(ReadText("save_level_monster_info", "", slot), saved_);
    ReadTaskList(ReadText("save_level_attr_task_info", "", slot), saved_.attrTasks);
    ReadTaskList(ReadText("save_level_trade_task_info", "", slot), saved_.tradeTasks);
    ReadTaskList(ReadText("save_level_bonus_task_info", "", slot), saved_.bonusTasks);
    saved_.goodsSold = ReadInt("save_level_sold_good", 1, slot);
    saved_.slotsBought = ReadInt("save_level_buy_slot", 1, slot);
    ReadMonsterKills(ReadText("save_level_monster_kill", "", slot), saved_);
}

void TPlayer::ForgetSavedLevel()
{
    saved_.valid = false;
    WriteInt("is_save_level", 0, GetCurrentUser());
    Save();
}

TPlayer::TKeptSavedLevel TPlayer::KeepSavedLevel() const
{
    TKeptSavedLevel kept;
    kept.slot = GetCurrentUser();
    kept.held = saved_;
    for (const char* key : kSavedLevelKeys)
    {
        const TString value = ReadText(key, kMissing, kept.slot);
        if (value == kMissing)
            kept.absent.push_back(key);
        else
            kept.present.emplace_back(key, value);
    }
    return kept;
}

void TPlayer::PutBackSavedLevel(const TKeptSavedLevel& kept)
{
    if (!prefs_ || kept.slot != GetCurrentUser()) return;
    for (const auto& [key, value] : kept.present) prefs_->SetValue(key, value, kept.slot);
    for (const TString& key : kept.absent) prefs_->RemoveValue(key, kept.slot);
    saved_ = kept.held;
    Save();
}

// --- screens and hand-over values ---

void TPlayer::PushScreen(TWindow* window)
{
    if (window) screens_.push_back(window->GetScriptHandle());
}

void TPlayer::RemoveScreen(const TString& name)
{
    for (auto it = screens_.begin(); it != screens_.end(); ++it)
    {
        const TWindow* window = dynamic_cast<TWindow*>(TScriptObject::FromHandle(*it));
        if (window && window->GetName() == name)
        {
            screens_.erase(it);
            return;
        }
    }
}

TWindow* TPlayer::TopScreen() const
{
    // Entries of screens destroyed without leaving the stack resolve to null
    // and are passed over instead of being handed out.
    for (auto it = screens_.rbegin(); it != screens_.rend(); ++it)
        if (TWindow* window = dynamic_cast<TWindow*>(TScriptObject::FromHandle(*it))) return window;
    return nullptr;
}

void TPlayer::SetHeldClock(TClock* clock)
{
    heldClock_ = clock;
    holdsClock_ = clock != nullptr;
}
