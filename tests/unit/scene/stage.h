// A scene on a canvas of its own, for driving one scene's steps by hand.
#pragma once

#include "scene/atlas.h"
#include "scene/canvas.h"
#include "scene/random_source.h"
#include "scene/scene_state.h"
#include "scene/scenes.h"

namespace marulex::testing {

inline const Surface& TestAtlas() {
  static const Surface atlas = LoadAtlas();
  return atlas;
}

struct Stage {
  Stage(std::int32_t width, std::int32_t height, std::uint32_t seed = 1)
      : random(seed), canvas(width, height, TestAtlas(), Composition::kDirty) {}

  SceneState state;
  RandomSource random;
  Canvas canvas;
};

// The atlas pixel at (x, y) of a sprite rectangle.
inline Pixel SpritePixel(const Rect& sprite, std::int32_t x, std::int32_t y) {
  return TestAtlas().At(sprite.x + x, sprite.y + y);
}

// Whether the w x h block of `image` at (x, y) shows the sprite exactly.
inline bool Shows(const Surface& image, std::int32_t x, std::int32_t y, const Rect& sprite) {
  for (std::int32_t row = 0; row < sprite.height; ++row) {
    for (std::int32_t col = 0; col < sprite.width; ++col) {
      if (image.At(x + col, y + row) != SpritePixel(sprite, col, row)) return false;
    }
  }
  return true;
}

}  // namespace marulex::testing
