// The particle-system file (".psi"): its parameter block followed by tagged
// records, read from bytes or from a logical file name. The block's layout
// is in ParticleParams.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/String.h"
#include "game/app/ParticleParams.h"

struct SParticlePoint
{
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const SParticlePoint&) const = default;
};

// What a particle file holds. The point lists and the path values are kept
// as read; nothing in the game gives them a meaning.
struct SParticleFile
{
    SParticleParams params;
    bool hasPosition = false;  // a position record was read
    float positionX = 0;
    float positionY = 0;
    std::vector<SParticlePoint> extraPoints;
    std::vector<SParticlePoint> pathPoints;
    bool hasPathValues = false;  // a path-values record was read
    int32_t pathValues[2] = {0, 0};
    bool blend = false;  // drawn with the additive blend, one batch a particle
};

// Reads size bytes: the block, then, when readRecords, records until tag 0
// or until one cannot be read whole (an unknown tag is one byte; a pair cut
// short is not appended; a count past the end stops at the end). False,
// with one log line naming name and out reset, when the block is shorter
// than 128 bytes. Non-finite floats in the block read as 0, with one log
// line.
bool ParseParticleFile(const uint8_t* data, size_t size, bool readRecords, const char* name,
                       SParticleFile& out);

// Reads the file of a logical name (FileNames.h) as ParseParticleFile does.
// False, with one log line and out reset, when it cannot be opened or its
// block is short.
bool ReadParticleFile(const TString& name, bool readRecords, SParticleFile& out);
