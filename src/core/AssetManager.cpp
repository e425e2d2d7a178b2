// The weak-reference asset registry and the device release / restore walks.
#include "core/AssetManager.h"

#include <vector>

namespace
{
TAssetManager* gAssetManager = nullptr;
}

TAssetManager::~TAssetManager()
{
    entries_.clear();
}

void TAssetManager::Register(const TString& key, const std::shared_ptr<TAsset>& asset)
{
    entries_[key] = asset;
}

std::shared_ptr<TAsset> TAssetManager::Find(const TString& key)
{
    return entries_[key].lock();
}

void TAssetManager::Forget(const TString& key)
{
    entries_.erase(key);
}

void TAssetManager::ReleaseAll()
{
    // The assets are locked first and called afterwards: a callback, or the
    // destructor of an asset whose last owner lets go here, may change the
    // map while it is walked.
    std::vector<std::shared_ptr<TAsset>> live;
    for (auto it = entries_.begin(); it != entries_.end();)
    {
        std::shared_ptr<TAsset> asset = it->second.lock();
        if (!asset)
            it = entries_.erase(it);
        else
        {
            live.push_back(std::move(asset));
            ++it;
        }
    }
    for (const std::shared_ptr<TAsset>& asset : live) asset->ReleaseDeviceData();
}

void TAssetManager::RestoreAll()
{
    std::vector<std::shared_ptr<TAsset>> live;
    for (const auto& entry : entries_)
    {
        if (std::shared_ptr<TAsset> asset = entry.second.lock()) live.push_back(std::move(asset));
    }
    for (const std::shared_ptr<TAsset>& asset : live) asset->RestoreDeviceData();
}

TAssetManager* GetGlobalAssetManager()
{
    return gAssetManager;
}

void SetGlobalAssetManager(TAssetManager* manager)
{
    gAssetManager = manager;
}
