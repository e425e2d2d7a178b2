// Fuzz target for the PNG loader: any bytes, read through a registered
// memory file, must load or fail without touching memory outside the block
// it reports, and every accepted block must be the full S x S square.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/FileNames.h"
#include "graphics/ImageDecoder.h"

namespace {
const char* const kName = "fuzz.png";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Big headers are refused early; the limit keeps each run small.
  static const bool limited = (SetMaxImageSide(1024), true);
  (void)limited;
  if (size == 0) return 0;
  std::vector<uint8_t> bytes(data, data + size);
  RegisterMemoryFileByName(kName, bytes.data(), bytes.size());
  uint8_t* pixels = nullptr;
  int w = 0, h = 0, side = 0;
  bool ok = false;
  uint32_t key = 0;
  int alpha = 0;
  ok = LoadPngImage(nullptr, 0, kName, &pixels, &w, &h, &side, &key, &alpha);
  if (ok) {
    if (!pixels || w < 1 || h < 1 || side < w || side < h || side > 1024) std::abort();
    // Touch the last byte: the block must really be S x S x 4.
    volatile uint8_t last = pixels[size_t(side) * size_t(side) * 4u - 1u];
    (void)last;
  } else if (pixels) {
    std::abort();
  }
  FreePngImage(pixels);
  RegisterMemoryFileByName(kName, bytes.data(), 0);
  return 0;
}
