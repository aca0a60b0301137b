// Any bytes as a .bmp file: a surface whose pixels fill its size, or nothing.
#include <cstdlib>
#include <span>

#include "scene/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto surface = marulex::DecodeBmp(std::span<const std::uint8_t>(data, size));
  if (surface) {
    const bool sized =
        surface->width > 0 && surface->height > 0 &&
        static_cast<std::int64_t>(surface->width) * surface->height <= marulex::kMaxDecodedPixels &&
        surface->pixels.size() ==
            static_cast<std::size_t>(surface->width) * static_cast<std::size_t>(surface->height);
    // Every pixel comes out opaque.
    bool opaque = true;
    for (const marulex::Pixel pixel : surface->pixels)
      opaque = opaque && (pixel >> 24) == 0xFF;
    if (!sized || !opaque) std::abort();
  }
  return 0;
}
