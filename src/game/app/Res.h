// TRes: the game's resource groups. "resources.lua" (run once in TRes's own
// script environment) defines each group as a global table of file names; a
// screen asks for the set of groups it needs, TRes unloads the groups no
// longer wanted and loads the missing files one per tick of the loading
// screen, then calls the screen back. Loaded assets are named
// "group:path" (a group name, a colon, the name inside the group).
//
// Failure: a queued file that does not exist is reported once per name with a
// "LoadRes" message box (the name as the table writes it) and still tried;
// the asset map then logs its own failure. A group "resources.lua" does not
// define has no files. Lookups in a group that is not loaded give an empty
// reference. A missing or broken "resources.lua" leaves every group empty.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "core/AssetMap.h"
#include "core/String.h"
#include "game/app/Singleton.h"
#include "graphics/AnimatedTexture.h"
#include "graphics/Texture.h"

class TLoadScreen;
class TScript;
class TWindow;

// Main thread only.
class TRes : public Singleton<TRes>
{
public:
    using Callback = std::function<void()>;

    // Empty maps, not loading, first load pending; then runs "resources.lua".
    TRes();
    // Empties every loaded group, then lets go of the callback and the script.
    ~TRes() override;

    // The requester's part before LoadGroups: the window the loading script
    // runs for, and what to call when the request is satisfied (replacing,
    // and releasing, the previous callback).
    void SetRequester(TWindow* window, Callback callback);
    // A requester being destroyed gives back its window and callback, when
    // they are still its own, so that the end of loading calls nothing dead.
    void ForgetRequester(TWindow* window);

    // Unloads the loaded groups that are not asked for. When groups are still
    // missing, queues their files, hides the system cursor and runs the
    // loading script ("scripts/core/screen/load.lua") for the requester
    // (unless a loading screen is up already); otherwise calls the callback
    // at once. When no loading screen comes up, the modals the script pushed
    // are popped and every file is loaded at once (logged as an error).
    void LoadGroups(const std::vector<TString>& groups);
    // Queues the files of one group for the current request and returns their
    // count; 0 for a group already queued in this request. Every name is
    // checked against the files: an "_audio" group's name up to its first '?'
    // plus ".ogg", any other group's name plus ".png", ".jpg" or ".xml".
    int QueueGroup(const TString& group);
    // Loads one queued file; the last one ends the request: the cursor is
    // shown, the loading screen's modal is popped, the callback called.
    // Nothing while no request is loading.
    void LoadNextFile();
    // Loads a whole group at once (reloading it when loaded): no existence
    // check, no loading screen.
    void LoadGroupNow(const TString& group);
    // Forgets a loaded group and releases its assets; nothing for a group
    // that is not loaded.
    void UnloadGroup(const TString& group);

    // Lookups by "group:path"; empty when the group is not loaded or holds no
    // such asset of that kind.
    TTextureRef GetAsset(const TString& name);
    TAnimatedTextureRef GetAnimation(const TString& name);
    // "group:path" of every asset of a loaded group, in the map's name order;
    // empty for a group that is not loaded.
    std::vector<TString> ListGroupAssets(const TString& group);
    // The loaded group's map, made (empty, and counted as loaded) when absent.
    TAssetMap& GetGroupMap(const TString& group);
    bool IsGroupLoaded(const TString& group) const;

    // The registered loading screen's pause flag; nothing without one.
    void SetLoadingPaused(bool paused);
    // The loading screen registers itself while it exists.
    void RegisterLoadScreen(TLoadScreen* screen);
    // Clears the registration when it is still screen's.
    void UnregisterLoadScreen(TLoadScreen* screen);
    TLoadScreen* GetLoadScreen() const { return loadScreen_; }

    bool IsLoading() const { return loading_; }
    // True until the first request with files has finished loading.
    bool IsFirstLoad() const { return firstLoad_; }
    int32_t GetTotalFiles() const { return totalFiles_; }
    int32_t GetLoadedFiles() const { return loadedFiles_; }
    TScript* GetScript() const { return script_.get(); }

private:
    // The file names of a group's table, entries 1 to its size.
    std::vector<TString> GroupFiles(const TString& group);
    void FinishRequest();

    std::unique_ptr<TScript> script_;
    std::map<TString, std::unique_ptr<TAssetMap>> loaded_;
    std::vector<TString> wanted_;
    TString current_;
    int32_t fileIndex_ = 0;
    TLoadScreen* loadScreen_ = nullptr;
    std::map<TString, std::vector<TString>> pending_;
    int32_t totalFiles_ = 0;
    int32_t loadedFiles_ = 0;
    TWindow* requestWindow_ = nullptr;
    Callback callback_;
    bool loading_ = false;
    bool firstLoad_ = true;
};

// True when a group's name marks it as a sound group ("..._audio").
bool IsAudioGroup(const TString& group);
