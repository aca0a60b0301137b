// The sprite atlas: where each sprite lies, and the atlas surface decoded from the program's
// embedded copy of resources/atlas.bmp.
#pragma once

#include <cstdint>
#include <span>

#include "scene/surface.h"

namespace marulex {

inline constexpr std::int32_t kAtlasWidth = 129;
inline constexpr std::int32_t kAtlasHeight = 124;

// c is the colour set (0 to 2).
constexpr Rect SmallBallSprite(std::int32_t c) {
  return {4 * c, 0, 4, 4};
}
constexpr Rect ShadowSprite() {
  return {12, 0, 4, 3};
}
constexpr Rect KeySprite(std::int32_t atlas_x, std::int32_t c) {
  return {atlas_x, 32 * c + 4, 32, 32};
}
// The tile of a cell whose grid value is v: 0 free, 1 fixed.
constexpr Rect CellSprite(std::int32_t v, std::int32_t c) {
  return {8 * c, 16 * v + 100, 8, 8};
}
constexpr Rect BigBallSprite(std::int32_t c) {
  return {8 * c, 108, 8, 8};
}

// The bytes of resources/atlas.bmp as built into the program.
std::span<const std::uint8_t> AtlasBmpBytes();

// The atlas as a surface. Throws std::runtime_error if the built-in bytes are not a
// 129 x 124 bitmap (a broken build, never a user's doing).
Surface LoadAtlas();

}  // namespace marulex
