// orvelle-synth's work: a sound description file in, an Ogg Vorbis file out.
#pragma once

#include <ostream>
#include <string>

#include "synth/OggEncoder.h"

// The encoding of every synthesised file; fixed so that a description
// always gives the same bytes.
extern const TOggEncoding kSynthEncoding;

// Reads the description at input, renders and encodes it, and writes it to
// output (creating missing folders) under a temporary name that is renamed
// into place, so no half-written file is ever left. Returns 0 on success, 1
// with one line on err on failure ("input:line: what is wrong" for a faulty
// line); output is then untouched. A sound that had to be clipped is written
// with a warning on err.
int RunSynth(const std::string& input, const std::string& output, std::ostream& err);

// Writes bytes to path through a temporary file in the same folder and a
// rename. False when anything fails; no temporary file is left behind.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);
