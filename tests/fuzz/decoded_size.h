// What every decoded image must be, whatever bytes it came from: a positive size within the
// decoders' pixel limit, and exactly that many pixels.
#pragma once

#include <cstdint>

#include "scene/bmp.h"
#include "scene/surface.h"

inline bool FillsItsSize(const marulex::Surface& surface) {
  return surface.width > 0 && surface.height > 0 &&
         static_cast<std::int64_t>(surface.width) * surface.height <= marulex::kMaxDecodedPixels &&
         surface.pixels.size() ==
             static_cast<std::size_t>(surface.width) * static_cast<std::size_t>(surface.height);
}
