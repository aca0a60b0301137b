// Any bytes as a .bmp file: a surface whose pixels fill its size, or nothing.
#include <cstdlib>
#include <span>

#include "scene/bmp.h"
#include "tests/fuzz/decoded_size.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto surface = marulex::DecodeBmp(std::span<const std::uint8_t>(data, size));
  if (surface) {
    const bool sized = FillsItsSize(*surface);
    // Every pixel comes out opaque.
    bool opaque = true;
    for (const marulex::Pixel pixel : surface->pixels)
      opaque = opaque && (pixel >> 24) == 0xFF;
    if (!sized || !opaque) std::abort();
  }
  return 0;
}
