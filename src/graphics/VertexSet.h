// The vertex list handed to the device: 32-byte vertices of one of four kinds.
#pragma once

#include <cstdint>

// Pre-transformed layout (kind 3); kinds 1 and 2 read the fourth float as
// padding, kind 0 reads the middle words as a normal.
struct TDrawVertex
{
    float x, y, z, rhw;
    uint32_t diffuse, specular;
    float u, v;
};
static_assert(sizeof(TDrawVertex) == 32, "vertices are 32 bytes");

struct TVertexSet
{
    int kind = 2;  // 0 lit, 1 and 2 coloured, 3 pre-transformed
    TDrawVertex* vertices = nullptr;
    int count = 0;
};
