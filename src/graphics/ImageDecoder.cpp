// The limits every image loader applies before it allocates a pixel block.
#include "graphics/ImageDecoder.h"

namespace {

int gMaxImageSide = 8192;

}  // namespace

int GetMaxImageSide() { return gMaxImageSide; }

void SetMaxImageSide(int side) { gMaxImageSide = side < 1 ? 1 : (side > 16384 ? 16384 : side); }

int ImageSquareSide(int width, int height) {
  if (width < 1 || height < 1 || width > gMaxImageSide || height > gMaxImageSide) return 0;
  const int larger = width > height ? width : height;
  int side = 1;
  while (side < larger) side <<= 1;
  return side;
}
