// Conversion between the framework's UTF-8 text and UTF-16, done here rather
// than by the C library so the result never depends on the process locale.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/String.h"

// UTF-8 of the zero-terminated UTF-16 text. Lone surrogates become U+FFFD.
// A null or empty text gives the empty string.
TString WideToUtf8(const char16_t* text);

// Zero-terminated UTF-16 of text in one process-wide buffer that the next
// call overwrites: callers copy or use the result before converting again.
// Invalid UTF-8 bytes become U+FFFD. Empty input frees the buffer and returns
// a constant empty text. Never returns null.
const char16_t* Utf8ToWide(const TString& text);

// Frees the conversion buffer (host shutdown).
void FreeWideConversionBuffer();

// Capacity of the conversion buffer in UTF-16 units (diagnostics and tests).
int GetWideConversionCapacity();

// Decodes one UTF-8 sequence at p (avail bytes readable). Returns its code
// point and stores its length in used, or returns -1 with used = 1 for a
// malformed, overlong, truncated or out-of-range sequence. Surrogate code
// points spelt as three bytes are refused unless allowSurrogates is set.
int32_t DecodeUtf8Sequence(const unsigned char* p, size_t avail, size_t& used,
                           bool allowSurrogates);
