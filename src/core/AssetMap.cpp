// TAssetMap: finding an asset's file by the standard extensions, loading it
// through the registered loader of its kind behind the asset manager's
// cache, and the typed lookups with auto-load.
#include "core/AssetMap.h"

#include "core/FileNames.h"
#include "core/Log.h"

const TAssetExtension kStandardAssetExtensions[9] = {
    {".xml", TAssetKind::kAnimatedTexture}, {".anm", TAssetKind::kAnimatedTexture},
    {".jpg", TAssetKind::kTexture},         {".jp2", TAssetKind::kTexture},
    {".png", TAssetKind::kTexture},         {".spx", TAssetKind::kSound},
    {".ogg", TAssetKind::kSound},           {".mesh", TAssetKind::kMesh},
    {".lua", TAssetKind::kScript},
};

namespace
{
std::map<TAssetKind, TAssetLoader>& Loaders()
{
    static std::map<TAssetKind, TAssetLoader> loaders;
    return loaders;
}

TString WithSlashes(const TString& name)
{
    TString out = name;
    out.Replace("\\", "/", kReplaceAll);
    return out;
}

bool KindOfExtension(const TString& extension, TAssetKind& kind)
{
    TString lower = TString(".") + extension;
    lower.ToLower();
    for (const TAssetExtension& entry : kStandardAssetExtensions)
    {
        if (lower == TString(entry.extension))
        {
            kind = entry.kind;
            return true;
        }
    }
    return false;
}
}  // namespace

void RegisterAssetLoader(TAssetKind kind, TAssetLoader loader)
{
    if (!loader.load)
        Loaders().erase(kind);
    else
        Loaders()[kind] = std::move(loader);
}

void ClearAssetLoaders()
{
    Loaders().clear();
}

TAssetMap::~TAssetMap()
{
    assets_.clear();
}

void TAssetMap::AddAsset(const TString& name, const std::shared_ptr<TAsset>& asset, bool quiet)
{
    TString n = WithSlashes(name);
    if (asset)
    {
        assets_[n] = asset;
        return;
    }

    int question = n.FindChar('?');
    TString params = question < 0 ? TString() : n.Substring(question);
    TString base = question < 0 ? n : n.Substring(0, question);

    TString found;
    if (FileExists(base))
        found = base;
    else
    {
        for (const TAssetExtension& entry : kStandardAssetExtensions)
        {
            TString candidate = base + entry.extension;
            if (FileExists(candidate))
            {
                found = candidate;
                break;
            }
        }
    }
    if (found.IsEmpty())
    {
        if (!quiet)
            LogPrintf(
                "TAssetMap::AddAsset: Failed to find asset %s with any standard extension "
                "(jpg/jp2/png/anm/xml/ogg/mesh)",
                n.CStr());
        return;
    }

    int dot = found.FindChar('.', kFindBackwards);
    TString extension = dot < 0 ? TString() : found.Substring(dot + 1);
    TString loaderName = found + params;

    TAssetKind kind;
    std::shared_ptr<TAsset> loaded;
    auto loader = Loaders().end();
    if (KindOfExtension(extension, kind)) loader = Loaders().find(kind);
    if (loader != Loaders().end())
    {
        const TAssetLoader& entry = loader->second;
        TString key = entry.makeKey ? entry.makeKey(n, params) : n;
        TAssetManager* manager = GetGlobalAssetManager();
        if (manager != nullptr)
        {
            std::shared_ptr<TAsset> cached = manager->Find(key);
            if (cached && cached->IsKindOf(entry.classId)) loaded = cached;
        }
        if (!loaded) loaded = entry.load(loaderName);
        if (loaded)
        {
            if (manager != nullptr) manager->Register(key, loaded);
            assets_[n] = loaded;
            return;
        }
    }
    if (!quiet) LogPrintf("TAssetMap::AddAsset: Error loading %s", loaderName.CStr());
}

std::shared_ptr<TAsset> TAssetMap::Lookup(const TString& name, TAssetKind kind)
{
    TString n = WithSlashes(name);
    std::shared_ptr<TAsset>& entry = assets_[n];
    if (entry) return entry;
    if (autoLoad)
    {
        AddAsset(n, nullptr, false);
        auto again = assets_.find(n);
        if (again != assets_.end() && again->second) return again->second;
    }
    const char* flag = autoLoad ? "true" : "false";
    switch (kind)
    {
        case TAssetKind::kTexture:
            LogPrintf("Texture asset not found: %s (auto load set to %s)", n.CStr(), flag);
            break;
        case TAssetKind::kAnimatedTexture:
            LogPrintf("Animated texture asset not found: %s (auto load set to %s)", n.CStr(), flag);
            break;
        case TAssetKind::kSound:
            LogPrintf("Sound asset not found: %s", n.CStr());
            break;
        default:
            LogPrintf("Asset not found: %s", n.CStr());
            break;
    }
    return nullptr;
}

void TAssetMap::Clear()
{
    assets_.clear();
}

TString TAssetMap::GetAssetName(int index) const
{
    if (index < 0 || index >= static_cast<int>(assets_.size())) return TString();
    auto it = assets_.begin();
    std::advance(it, index);
    return it->first;
}
