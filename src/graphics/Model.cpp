// Mesh files: the ".mesh" reader and the model asset's cache entry points.
#include "graphics/Model.h"

#include "core/AssetManager.h"
#include "core/AssetMap.h"
#include "core/FileHandle.h"
#include "core/FileNames.h"
#include "core/Log.h"

namespace
{

bool ReadU16(TFileHandle* file, uint16_t* value)
{
    uint8_t b[2];
    if (ReadFileHandle(file, b, 2) != 2) return false;
    *value = uint16_t(b[0] | (b[1] << 8));
    return true;
}

}  // namespace

TClassId TModel::ClassId()
{
    static const char id = 0;
    return &id;
}

TModel::~TModel() = default;

void TModel::RestoreDeviceData()
{
    if (!mesh_) return;
    // The mesh is not device data: a file that has gone or gone bad since the
    // first load must not take the vertices in memory with it.
    std::unique_ptr<TMeshData> kept = std::move(mesh_);
    if (!Init(kept->name)) mesh_ = std::move(kept);
}

bool TModel::Init(const TString& fileName)
{
    mesh_.reset();
    if (fileName.Find(".mesh") < 0) return false;
    TFileHandle* file = OpenFileByName(fileName, 0);
    if (!file)
    {
        LogPrintf("TModel::Init: Failed to load %s", fileName.CStr());
        return false;
    }
    mesh_ = std::make_unique<TMeshData>();
    char magic[4];
    if (ReadFileHandle(file, magic, 4) != 4 || magic[0] != 'T' || magic[1] != 'R' ||
        magic[2] != 'I' || magic[3] != 'S')
    {
        CloseFileHandle(file);
        return false;
    }
    uint16_t vertexCount = 0, triangleCount = 0;
    bool ok = ReadU16(file, &vertexCount) && ReadU16(file, &triangleCount);
    // The counts must fit the file before anything is sized by them.
    const int64_t needed = 8 + int64_t(vertexCount) * 16 + int64_t(triangleCount) * 6;
    if (ok && needed > file->GetLength()) ok = false;
    if (ok)
    {
        mesh_->vertices.assign(vertexCount, TModelVertex());
        mesh_->indices.assign(size_t(triangleCount) * 3u, 0);
        for (TModelVertex& v : mesh_->vertices)
        {
            uint8_t raw[16];
            if (ReadFileHandle(file, raw, 16) != 16)
            {
                ok = false;
                break;
            }
            float f[8];
            for (int i = 0; i < 8; ++i)
                f[i] = float(int16_t(uint16_t(raw[2 * i] | (raw[2 * i + 1] << 8)))) / 1000.0f;
            v.a = TFloatVector3(f[0], f[1], f[2]);
            v.b = TFloatVector3(f[3], f[4], f[5]);
            v.uv = TFloatPoint(f[6], f[7]);
        }
        for (size_t i = 0; ok && i < mesh_->indices.size(); ++i)
        {
            if (!ReadU16(file, &mesh_->indices[i]) || mesh_->indices[i] >= vertexCount) ok = false;
        }
    }
    CloseFileHandle(file);
    if (!ok)
    {
        LogPrintf("TModel::Init: %s is truncated or has an index past its %d vertices",
                  fileName.CStr(), int(vertexCount));
        mesh_->vertices.clear();
        mesh_->indices.clear();
        return false;
    }
    mesh_->name = fileName;
    return true;
}

std::shared_ptr<TModel> TModel::Get(const TString& name)
{
    TAssetManager* manager = GetGlobalAssetManager();
    if (manager)
    {
        if (std::shared_ptr<TModel> found = FromAsset(manager->Find(name).get())) return found;
    }
    auto model = std::make_shared<TModel>();
    if (!model->Init(name)) return nullptr;
    if (manager) manager->Register(name, model);
    return model;
}

void RegisterModelAssetLoader()
{
    RegisterAssetLoader(TAssetKind::kMesh, {TModel::ClassId(), nullptr, [](const TString& f) {
                                                return std::shared_ptr<TAsset>(TModel::Get(f));
                                            }});
}
