// Base64 with the standard alphabet and "=" padding, over raw byte buffers.
// Callers size their buffers with the two length helpers first.
#pragma once

#include <cstddef>

// Size of the text that encoding len bytes produces: 4 * ceil(len / 3).
size_t Base64EncodedLength(size_t len);
// Size of the buffer that decoding len characters needs: 3 * ceil(len / 4).
size_t Base64DecodedLength(size_t len);

// Writes the encoded text of in[0..len) to out (no terminator) and returns
// the number of characters written. Never fails.
size_t Base64Encode(char* out, const unsigned char* in, size_t len);

// Decodes len characters of in to out and returns the number of bytes
// written. A trailing partial group counts as if padded with "=". Characters
// outside the alphabet decode as zero bits; they never fail the call.
size_t Base64Decode(unsigned char* out, const char* in, size_t len);
