// The resource groups: requests, the file queue the loading screen works
// through, and lookups by "group:path".
#include "game/app/Res.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/FileNames.h"
#include "core/Log.h"
#include "game/app/LoadScreen.h"
#include "game/app/MySoundManager.h"
#include "host/App.h"
#include "platform/MessageBox.h"
#include "script/LuaTable.h"
#include "script/Script.h"
#include "sound/Sound.h"
#include "ui/ModalWindow.h"
#include "ui/Window.h"
#include "ui/WindowManager.h"

namespace
{

const char kResourcesScript[] = "resources.lua";
const char kLoadScript[] = "DoModal(\"scripts/core/screen/load.lua\")";
const char kAudioSuffix[] = "_audio";

void ShowCursor(bool visible)
{
    if (TApp* app = GetApp()) app->ShowSystemCursor(visible);
}

// Whether the file a queued name stands for is there.
bool QueuedFileExists(const TString& group, const TString& name)
{
    if (IsAudioGroup(group))
    {
        const int query = name.FindChar('?');
        return FileExists((query < 0 ? name : name.Substring(0, query)) + ".ogg");
    }
    for (const char* extension : {".png", ".jpg", ".xml"})
        if (FileExists(name + extension)) return true;
    return false;
}

// "group:path" split at its first colon; false without one.
bool SplitAssetName(const TString& name, TString* group, TString* path)
{
    const int colon = name.FindChar(':');
    if (colon < 0) return false;
    *group = name.Substring(0, colon);
    *path = name.Substring(colon + 1);
    return true;
}

// The largest index holding a value. A table's "n" may claim more entries
// than it holds: the missing ones are no files, and a wild "n" must not
// queue millions of empty names.
int LastIndex(const TLuaTable& table)
{
    lua_State* L = table.GetThread();
    table.Push();
    int last = 0;
    lua_pushnil(L);
    while (lua_next(L, -2) != 0)
    {
        if (lua_type(L, -2) == LUA_TNUMBER)
        {
            const lua_Number key = lua_tonumber(L, -2);
            if (key >= 1 && key <= lua_Number(INT32_MAX) && key == std::floor(key) &&
                int(key) > last)
                last = int(key);
        }
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
    return last;
}

}  // namespace

bool IsAudioGroup(const TString& group)
{
    const int length = group.Length(), suffix = int(sizeof kAudioSuffix) - 1;
    return length >= suffix && group.Substring(length - suffix) == TString(kAudioSuffix);
}

TRes::TRes() : script_(std::make_unique<TScript>())
{
    if (!script_->RunScript(kResourcesScript))
        LogPrintf("ERROR: TRes: \"%s\" did not run; every resource group is empty",
                  kResourcesScript);
}

TRes::~TRes()
{
    for (auto& [name, map] : loaded_) map->Clear();
    loaded_.clear();
    callback_ = nullptr;
    script_.reset();
}

void TRes::SetRequester(TWindow* window, Callback callback)
{
    requestWindow_ = window;
    callback_ = std::move(callback);
}

void TRes::ForgetRequester(TWindow* window)
{
    if (window == nullptr || requestWindow_ != window) return;
    requestWindow_ = nullptr;
    callback_ = nullptr;
}

std::vector<TString> TRes::GroupFiles(const TString& group)
{
    std::vector<TString> files;
    std::unique_ptr<TLuaTable> table(script_->GetGlobalTable(group.CStr()));
    if (!table) return files;
    const int count = std::min(table->GetCount(), LastIndex(*table));
    files.reserve(size_t(std::max(count, 0)));
    for (int i = 1; i <= count; ++i) files.push_back(table->GetStringAt(i));
    return files;
}

void TRes::LoadGroups(const std::vector<TString>& groups)
{
    // A group asked for twice is loaded once.
    wanted_.clear();
    for (const TString& group : groups)
        if (std::find(wanted_.begin(), wanted_.end(), group) == wanted_.end())
            wanted_.push_back(group);

    std::vector<TString> unwanted;
    for (const auto& [name, map] : loaded_)
    {
        auto it = std::find(wanted_.begin(), wanted_.end(), name);
        if (it != wanted_.end())
            wanted_.erase(it);
        else
            unwanted.push_back(name);
    }
    for (const TString& name : unwanted) UnloadGroup(name);

    if (wanted_.empty())
    {
        loading_ = false;
        requestWindow_ = nullptr;
        // Taken out first: the callback may well make the next request.
        Callback done = std::move(callback_);
        callback_ = nullptr;
        if (done) done();
        return;
    }

    loadedFiles_ = 0;
    totalFiles_ = 0;
    pending_.clear();
    for (const TString& group : wanted_) totalFiles_ += QueueGroup(group);
    current_ = wanted_.front();
    fileIndex_ = 0;
    ShowCursor(false);
    loading_ = true;

    // A request made while another loads goes on behind the loading screen
    // already up: a second one would leave the first behind, covering the
    // game once the queue it was made for is gone.
    if (loadScreen_ != nullptr) return;
    TWindowManager* wm = GetWindowManager();
    const int modals = wm != nullptr ? wm->GetModalCount() : 0;
    if (wm != nullptr) wm->RunScriptForWindow(requestWindow_, kLoadScript);
    if (loadScreen_ == nullptr && loading_)
    {
        // Nothing would ever drive the queue: load it all now rather than
        // leave the game behind a dead loading modal.
        LogPrintf("ERROR: TRes: no loading screen came up; loading %d files at once",
                  totalFiles_ - loadedFiles_);
        while (wm != nullptr && wm->GetModalCount() > modals) wm->PopTopModal();
        while (loading_) LoadNextFile();
    }
}

int TRes::QueueGroup(const TString& group)
{
    if (pending_.count(group) != 0) return 0;
    std::vector<TString>& queued = pending_[group];
    for (const TString& name : GroupFiles(group))
    {
        if (!QueuedFileExists(group, name)) platform::ShowMessageBox("LoadRes", name.CStr());
        queued.push_back(name);
    }
    return int(queued.size());
}

void TRes::LoadNextFile()
{
    if (!loading_) return;
    const std::vector<TString>& files = pending_[current_];
    TAssetMap& map = GetGroupMap(current_);
    if (size_t(fileIndex_) < files.size())
    {
        const TString& name = files[size_t(fileIndex_)];
        map.AddAsset(name);
        // Sounds are played through the game sound manager, by their
        // resource-group asset name.
        if (IsAudioGroup(current_))
        {
            if (std::shared_ptr<TSound> sound = map.GetSound(name))
                TMySoundManager::GetInstance()->AddSound(current_ + ":" + name, sound);
        }
        ++loadedFiles_;
        ++fileIndex_;
        if (size_t(fileIndex_) < files.size()) return;
    }

    fileIndex_ = 0;
    wanted_.erase(wanted_.begin());
    if (!wanted_.empty())
    {
        current_ = wanted_.front();
        return;
    }
    FinishRequest();
}

void TRes::FinishRequest()
{
    ShowCursor(true);
    loading_ = false;
    // Only the loading screen's own modal goes: whatever else lies on top
    // (a question the player is answering) stays.
    if (loadScreen_ != nullptr)
    {
        TWindowManager* wm = GetWindowManager();
        TWindow* modal = loadScreen_->GetModalParent();
        if (wm != nullptr && modal != nullptr && wm->IsOnModalStack(modal))
            wm->PopModal(modal->GetIdString());
    }
    loadScreen_ = nullptr;
    requestWindow_ = nullptr;
    Callback done = std::move(callback_);
    callback_ = nullptr;
    if (done) done();
    firstLoad_ = false;
}

void TRes::UnloadGroup(const TString& group)
{
    auto it = loaded_.find(group);
    if (it == loaded_.end()) return;
    // With the colon: "music_audio" must not take "music_audio2"'s sounds.
    if (IsAudioGroup(group)) TMySoundManager::GetInstance()->RemoveSounds(group + ":");
    it->second->Clear();
    loaded_.erase(it);
}

void TRes::LoadGroupNow(const TString& group)
{
    UnloadGroup(group);
    auto map = std::make_unique<TAssetMap>();
    for (const TString& name : GroupFiles(group)) map->AddAsset(name);
    loaded_[group] = std::move(map);
}

TAssetMap& TRes::GetGroupMap(const TString& group)
{
    std::unique_ptr<TAssetMap>& map = loaded_[group];
    if (!map) map = std::make_unique<TAssetMap>();
    return *map;
}

bool TRes::IsGroupLoaded(const TString& group) const
{
    return loaded_.count(group) != 0;
}

TTextureRef TRes::GetAsset(const TString& name)
{
    TString group, path;
    if (!SplitAssetName(name, &group, &path)) return nullptr;
    auto it = loaded_.find(group);
    return it == loaded_.end() ? nullptr : it->second->GetTexture(path);
}

TAnimatedTextureRef TRes::GetAnimation(const TString& name)
{
    TString group, path;
    if (!SplitAssetName(name, &group, &path)) return nullptr;
    auto it = loaded_.find(group);
    return it == loaded_.end() ? nullptr : it->second->GetAnimatedTexture(path);
}

std::vector<TString> TRes::ListGroupAssets(const TString& group)
{
    std::vector<TString> names;
    auto it = loaded_.find(group);
    if (it == loaded_.end()) return names;
    const TAssetMap& map = *it->second;
    for (int i = 0; i < map.GetAssetCount(); ++i)
        names.push_back(group + ":" + map.GetAssetName(i));
    return names;
}

void TRes::SetLoadingPaused(bool paused)
{
    if (loadScreen_ != nullptr) loadScreen_->SetPaused(paused);
}

void TRes::RegisterLoadScreen(TLoadScreen* screen)
{
    loadScreen_ = screen;
}

void TRes::UnregisterLoadScreen(TLoadScreen* screen)
{
    if (loadScreen_ == screen) loadScreen_ = nullptr;
}
