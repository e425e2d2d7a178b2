// The three image loaders over framework files (PNG, JPEG, JPEG-2000) and
// what they share: every loader reads a logical file name and delivers an
// S x S block of 32-bit pixels (bytes blue, green, red, alpha; rows S * 4
// bytes apart; the image in the top-left corner), S being the smallest power
// of two not less than the larger side.
//
// Failure: every loader returns false with *pixels null and nothing left
// allocated; bad files are logged, missing files are not.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/String.h"

class TTextureData;

// --- shared limits -------------------------------------------------------

// Largest image side a loader accepts (default 8192). Headers claiming more
// are refused before anything is allocated. Fuzzers and tests lower it.
int GetMaxImageSide();
void SetMaxImageSide(int side);

// The smallest power of two (1, 2, 4, ...) not less than max(width, height);
// 0 when a side is below 1 or above GetMaxImageSide().
int ImageSquareSide(int width, int height);

// S * S * 4 in size_t, for an S from ImageSquareSide.
inline size_t ImageBlockBytes(int side)
{
    return size_t(side) * size_t(side) * 4u;
}

// Pixel blocks of the loaders, from the plain heap allocator. One released
// block of up to 1024 x 1024 pixels is kept for the next load of a similar
// size: textures load one after another, and a fresh block each time costs
// more in page faults than a JPEG decode. Safe from any thread.
// AllocateImageBlock returns null when memory runs out; its contents are
// undefined.
uint8_t* AllocateImageBlock(size_t bytes);
// Any block from the plain heap allocator (null is ignored).
void ReleaseImageBlock(uint8_t* block);
// Zeroes what lies right of and below a width x height image in its block.
void ClearImagePadding(uint8_t* block, int side, int width, int height);

// --- PNG -----------------------------------------------------------------

// data and option are not used. A non-null *pixels passed in is released
// (FreePngImage) once the header is accepted. *colorKey is always 0.
// *hasAlpha: 1 when the file's colour type carries alpha, or for a palette
// image with a transparency chunk; else 0.
bool LoadPngImage(TTextureData* data, int option, const TString& name, uint8_t** pixels, int* width,
                  int* height, int* side, uint32_t* colorKey, int* hasAlpha);
void FreePngImage(uint8_t* pixels);

// --- JPEG ----------------------------------------------------------------

// Alpha is always 255. A truncated stream ends the image early; a corrupt
// one fails with a log line.
bool LoadJpegImage(const TString& name, uint8_t** pixels, int* width, int* height, int* side);
void FreeJpegImage(uint8_t* pixels);

// --- JPEG-2000 -----------------------------------------------------------

// Accepts JP2 files and bare codestreams. *hasAlpha becomes 1 when the image
// has an opacity component, 0 for a colour image without one, and is left
// alone for a grey image without one. Padding repeats the last column and row.
bool LoadJp2Image(const TString& name, uint8_t** pixels, int* width, int* height, int* side,
                  int* hasAlpha);
void FreeJp2Image(uint8_t* pixels);
