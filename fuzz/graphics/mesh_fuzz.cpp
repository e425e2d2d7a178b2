// Fuzz target for the mesh reader: any bytes must load or fail without
// reading past the file, and an accepted mesh never indexes past its vertices.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/FileNames.h"
#include "graphics/Model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    std::vector<uint8_t> bytes(data, data + size);
    RegisterMemoryFileByName("fuzz.mesh", bytes.data(), bytes.size());
    TModel model;
    if (model.Init("fuzz.mesh"))
    {
        const TMeshData* mesh = model.GetMesh();
        if (!mesh || mesh->indices.size() % 3 != 0) std::abort();
        for (uint16_t i : mesh->indices)
            if (i >= mesh->vertices.size()) std::abort();
    }
    RegisterMemoryFileByName("fuzz.mesh", bytes.data(), 0);
    return 0;
}
