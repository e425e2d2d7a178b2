// TAssetMap: a named collection of loaded assets with auto-load, and the
// table of loader functions through which each asset kind plugs in.
#pragma once

#include <functional>
#include <map>
#include <memory>

#include "core/Asset.h"
#include "core/AssetManager.h"
#include "core/String.h"

class TTexture;
class TAnimatedTexture;
class TSound;

// The asset kinds that the standard extensions lead to.
enum class TAssetKind : int
{
    kAnimatedTexture,  // ".xml", ".anm"
    kTexture,          // ".jpg", ".jp2", ".png"
    kSound,            // ".spx", ".ogg"
    kMesh,             // ".mesh"
    kScript,           // ".lua"
};

// How one kind is cached and loaded.
//   classId: the kind's class identity (what its FromAsset accepts).
//   makeKey(name, params): the asset-manager cache key of an entry named
//     name (with its parameter text, '/' separators) whose parameter text
//     (from '?' on, or empty) is params. Textures use
//     MakeTextureKey(name + params, false, false, false), animated textures
//     MakeAnimationKey(name + params, "", ""), sounds MakeSoundKey(name,
//     params); scripts and meshes leave it empty (the key is then name).
//   load(fileName): loads the file found (its parameter text appended), e.g.
//     TTexture::Get(fileName, 0); an empty pointer means failure.
struct TAssetLoader
{
    TClassId classId = nullptr;
    std::function<TString(const TString& name, const TString& params)> makeKey;
    std::function<std::shared_ptr<TAsset>(const TString& fileName)> load;
};

// Installs (or, with an empty load function, removes) the loader of a kind.
// The texture, sound, script and mesh code each call this once at start-up:
//
//   RegisterAssetLoader(TAssetKind::kTexture, {TTexture::ClassId(),
//       [](const TString& n, const TString& p) { return MakeTextureKey(n + p, false, false, false);
//       },
//       [](const TString& f) { return std::shared_ptr<TAsset>(TTexture::Get(f, 0)); }});
//
// A kind without a loader fails its loads with the "Error loading" message.
void RegisterAssetLoader(TAssetKind kind, TAssetLoader loader);
// Removes every loader (tests).
void ClearAssetLoaders();

// The standard extensions in the order they are tried, and their kinds.
struct TAssetExtension
{
    const char* extension;  // with the dot
    TAssetKind kind;
};
extern const TAssetExtension kStandardAssetExtensions[9];

class TAssetMap
{
public:
    TAssetMap() = default;
    virtual ~TAssetMap();
    TAssetMap(const TAssetMap&) = delete;
    TAssetMap& operator=(const TAssetMap&) = delete;

    // With an asset: stores it under name ('\' becomes '/'). Without: finds
    // the file (trying the standard extensions when name does not exist),
    // loads it through its kind's loader with the asset manager's cache in
    // front, and stores it under name. Failures log
    // "TAssetMap::AddAsset: Failed to find asset ..." or
    // "TAssetMap::AddAsset: Error loading %s" unless quiet, and store nothing.
    // Extensions are matched without regard to case.
    void AddAsset(const TString& name, const std::shared_ptr<TAsset>& asset = nullptr,
                  bool quiet = false);

    // Typed lookups. Each returns the asset stored under name when it is of
    // the type; an asset of another type gives an empty pointer silently.
    // With nothing stored and auto-load on, the name is added first. Empty
    // results otherwise log "Texture asset not found: %s (auto load set to
    // %s)", "Animated texture asset not found: ..." or "Sound asset not found:
    // %s". A name looked up and not found keeps an empty entry. The type
    // defaults to the real asset class; callers include its header.
    template <class T = TTexture>
    std::shared_ptr<T> GetTexture(const TString& name)
    {
        return AssetCast<T>(Lookup(name, TAssetKind::kTexture).get());
    }
    template <class T = TAnimatedTexture>
    std::shared_ptr<T> GetAnimatedTexture(const TString& name)
    {
        return AssetCast<T>(Lookup(name, TAssetKind::kAnimatedTexture).get());
    }
    template <class T = TSound>
    std::shared_ptr<T> GetSound(const TString& name)
    {
        return AssetCast<T>(Lookup(name, TAssetKind::kSound).get());
    }

    // The asset stored under name (any type), loading it when auto-load is
    // on; null (with the lookup's log line for kind) when there is none.
    std::shared_ptr<TAsset> Lookup(const TString& name, TAssetKind kind);

    void Clear();
    int GetAssetCount() const { return static_cast<int>(assets_.size()); }
    // Name of the entry at index in name order; "" past the end.
    TString GetAssetName(int index) const;

    // Set by the owner: typed lookups load missing names.
    bool autoLoad = false;

private:
    std::map<TString, std::shared_ptr<TAsset>> assets_;
};
