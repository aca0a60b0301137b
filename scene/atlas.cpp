#include "scene/atlas.h"

#include <optional>
#include <stdexcept>
#include <utility>

#include "scene/bmp.h"

namespace marulex {

Surface LoadAtlas() {
  std::optional<Surface> atlas = DecodeBmp(AtlasBmpBytes());
  if (!atlas || atlas->width != kAtlasWidth || atlas->height != kAtlasHeight) {
    throw std::runtime_error("The built-in sprite atlas is not a 129 x 124 bitmap");
  }
  return std::move(*atlas);
}

}  // namespace marulex
