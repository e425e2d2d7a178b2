// TModel: the asset of a triangle mesh read from a ".mesh" file (magic
// "TRIS", vertex and triangle counts, 16-byte fixed-point vertices, 16-bit
// indices). Meshes are loaded and kept; nothing draws them.
//
// Failure: Init returns false (short files, bad magic and indices at or past
// the vertex count included); Get returns an empty pointer.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/Asset.h"
#include "core/String.h"
#include "core/ValueTypes.h"

// One vertex: two three-float vectors and a point, in file order.
struct TModelVertex
{
    TFloatVector3 a;
    TFloatVector3 b;
    TFloatPoint uv;
};
static_assert(sizeof(TModelVertex) == 32, "mesh vertices are 8 floats");

struct TMeshData
{
    std::vector<TModelVertex> vertices;
    std::vector<uint16_t> indices;  // three per triangle
    TString name;                   // the file the mesh was loaded from
};

class TModel : public TAsset
{
public:
    TModel() = default;
    ~TModel() override;

    static TClassId ClassId();
    const char* GetClassName() const override { return "TModel"; }
    bool IsKindOf(TClassId id) const override { return id == ClassId() || TAsset::IsKindOf(id); }
    static std::shared_ptr<TModel> FromAsset(TAsset* asset) { return AssetCast<TModel>(asset); }

    void ReleaseDeviceData() override {}
    // Reads the stored file again (when mesh data exists); when that fails the
    // mesh already loaded stays.
    void RestoreDeviceData() override;

    // The mesh cached under name, else a newly loaded and registered one;
    // empty when loading fails.
    static std::shared_ptr<TModel> Get(const TString& name);
    bool Init(const TString& fileName);

    // Null when no mesh data is attached.
    const TMeshData* GetMesh() const { return mesh_.get(); }

private:
    std::unique_ptr<TMeshData> mesh_;
};

// Installs TModel as the asset map's ".mesh" loader.
void RegisterModelAssetLoader();
