// orvelle-psi's work: a particle description (text) in, a particle-system
// file (".psi") out.
//
// One "name = value" line per field of the parameter block, each named
// exactly once, with the names of ParticleParams.h's field table:
//
//   rate = 40                   particles born per second (integer)
//   duration = -1               seconds of emission; -1 endless
//   relative = 0                0 or 1 (a byte)
//   life_min = 0.3              every other field is a number
//   ...
//
// and the records:
//
//   blend = 1                   required: 1 draws additively, one batch a
//                               particle
//   position = 10 20            optional: the emitter's starting point
//   extra_points = 1 2 3 4      optional: x y pairs, kept by the reader
//   path_points = 0 0 5 5       optional: the same
//   path_values = 3 7           optional: two integers
//
// A '#' starts a comment; blank lines are ignored. The file is the block,
// then the optional records in the order above, then tag 0 with the blend
// byte.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "game/app/ParticleFile.h"

struct TPsiError
{
    int line = 0;  // the line past the last for a missing name
    std::string message;
};

// Parses a description. False with the first faulty line and what is wrong
// with it (an unknown, repeated or missing name, a value that is not a
// number of the field's kind, a wrong count of values).
bool ParseParticleDescription(const std::string& text, SParticleFile& file, TPsiError& error);

// The bytes of file: block, records, end tag.
std::vector<uint8_t> BuildParticleFile(const SParticleFile& file);

// Reads the description at input and writes its file to output atomically
// (creating missing folders). 0 on success; 1 with one line on err
// ("input:line: what is wrong") and output untouched on failure.
int RunPsi(const std::string& input, const std::string& output, std::ostream& err);
