// TAssetManager: the registry of loaded assets by cache key. It holds weak
// references only, so it never keeps an asset alive; through it the display
// code tells every live asset to drop and rebuild its device data.
#pragma once

#include <map>
#include <memory>

#include "core/Asset.h"
#include "core/String.h"

class TAssetManager
{
public:
    TAssetManager() = default;
    virtual ~TAssetManager();
    TAssetManager(const TAssetManager&) = delete;
    TAssetManager& operator=(const TAssetManager&) = delete;

    // Stores a weak reference under key, replacing what was there.
    void Register(const TString& key, const std::shared_ptr<TAsset>& asset);
    // The live asset under key, or empty when there is none or it has
    // expired. A key without an entry gets an empty one.
    std::shared_ptr<TAsset> Find(const TString& key);
    // Erases the entry under key.
    void Forget(const TString& key);
    // Entries, empty and expired ones included.
    int GetCount() const { return static_cast<int>(entries_.size()); }
    // Sweeps expired and empty entries, then ReleaseDeviceData on every live
    // asset in key order. Safe when an asset's callback registers or forgets
    // entries, or when an asset dies during the walk.
    void ReleaseAll();
    // RestoreDeviceData on every live asset in key order; nothing is erased.
    void RestoreAll();

private:
    std::map<TString, std::weak_ptr<TAsset>> entries_;
};

// The application's asset manager; null while none is installed. The
// platform host installs the one it owns at start-up and removes it (null)
// before destroying it.
TAssetManager* GetGlobalAssetManager();
void SetGlobalAssetManager(TAssetManager* manager);
