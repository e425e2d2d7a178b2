// Ogg Vorbis encoding of float PCM with libvorbisenc, shared by the sound
// synthesiser and the tests that need Ogg files.
#pragma once

#include <cstdint>
#include <vector>

struct TOggEncoding
{
    // Variable bit-rate quality, -0.1 (smallest) to 1.0 (best).
    float quality = 0.3f;
    // The Ogg stream's serial number. A fixed serial and quality make the
    // same samples give the same bytes with the same library.
    int serial = 1234;
};

// Encodes interleaved samples (frames x channels values, nominally within
// [-1, 1]) as one Ogg Vorbis stream. The decoded length is exactly the
// number of frames given; no frames give a stream with headers and no audio.
// False, with out empty, when the encoder refuses the channel count, the
// rate or the quality, or when the sample count is not a whole number of
// frames.
bool EncodeOggVorbis(const std::vector<float>& interleaved, int channels, int rate,
                     const TOggEncoding& encoding, std::vector<uint8_t>& out);
