// TAsset: the base of every loaded resource (textures, animations, sounds,
// compiled scripts, meshes), held by shared pointers and able to hand itself
// out as one again.
#pragma once

#include <memory>

// A class identity: the address of a per-class object, unique per class.
using TClassId = const void*;

class TAsset : public std::enable_shared_from_this<TAsset>
{
public:
    TAsset() = default;
    TAsset(const TAsset&) = delete;
    TAsset& operator=(const TAsset&) = delete;

    // "TAsset" for the base.
    virtual const char* GetClassName() const;
    // True for TAsset::ClassId(); a subclass answers true for its own
    // identity and then asks its base.
    virtual bool IsKindOf(TClassId id) const;
    virtual ~TAsset();
    // Drop / rebuild what lives on the display device (the base has none).
    virtual void ReleaseDeviceData();
    virtual void RestoreDeviceData();

    static TClassId ClassId();
};

// A subclass follows this pattern:
//
//   class TModel : public TAsset {
//   public:
//       static TClassId ClassId();            // { static const char id = 0; return &id; }
//       const char* GetClassName() const override { return "TModel"; }
//       bool IsKindOf(TClassId id) const override { return id == ClassId() || TAsset::IsKindOf(id);
//       } static std::shared_ptr<TModel> FromAsset(TAsset* a) { return AssetCast<TModel>(a); }
//   };

// The typed shared pointer for asset: empty when asset is null, is not a T
// (IsKindOf(T::ClassId()) is false) or is not owned by a shared pointer;
// otherwise it shares ownership with the asset's own owner.
template <class T>
std::shared_ptr<T> AssetCast(TAsset* asset)
{
    if (asset == nullptr || !asset->IsKindOf(T::ClassId())) return nullptr;
    std::shared_ptr<TAsset> owner = asset->weak_from_this().lock();
    if (!owner) return nullptr;
    return std::shared_ptr<T>(owner, static_cast<T*>(asset));
}
