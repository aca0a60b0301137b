// Any bytes as an .ico file: a surface whose pixels fill its size, or nothing.
#include <cstdlib>
#include <span>

#include "platform/icon.h"
#include "tests/fuzz/decoded_size.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto surface = marulex::DecodeIcon(std::span<const std::uint8_t>(data, size));
  if (surface) {
    const bool sized = FillsItsSize(*surface);
    // A pixel is either fully transparent black or carries some alpha.
    bool clear = true;
    for (const marulex::Pixel pixel : surface->pixels)
      clear = clear && (pixel >> 24 != 0 || pixel == 0);
    if (!sized || !clear) std::abort();
  }
  return 0;
}
