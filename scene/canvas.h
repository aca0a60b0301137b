// The saver window's two surfaces, Image1 (what the window shows) and Image3 (the scene's
// background), with the atlas Image2 they are drawn from, and the bookkeeping that lets a tick
// cost what moves: each frame wipes only what the previous frame drew over, and reports which
// parts of Image1 changed so the window presents only those.
#pragma once

#include <cstdint>
#include <vector>

#include "scene/damage.h"
#include "scene/surface.h"

namespace marulex {

enum class Composition {
  kDirty,  // restore only what the previous frame covered (the running program)
  kFull,   // copy the whole grid area every frame (the plain reference the other must equal)
};

class Canvas {
 public:
  Canvas(std::int32_t width, std::int32_t height, const Surface& atlas, Composition composition);

  std::int32_t Width() const { return image1_.width; }
  std::int32_t Height() const { return image1_.height; }
  const Surface& Image1() const { return image1_; }
  const Surface& Image2() const { return atlas_; }
  const Surface& Image3() const { return image3_; }

  // Black over the whole of Image1 (the set-up's first step).
  void FillImage1Black();

  // Copies an atlas sprite into the background. After the set-up this is how a scene changes
  // its background, and the cell is then brought to the screen by the next frame's restore.
  void PaintBackground(const Rect& sprite, std::int32_t dx, std::int32_t dy);

  // Starts a frame: the grid area (from (0, 0), grid_width x grid_height) of Image1 shows the
  // background again, as if it had been copied whole from Image3.
  void BeginFrame(std::int32_t grid_width, std::int32_t grid_height);

  // Copies an atlas sprite onto Image1, over what the frame has drawn so far.
  void DrawSprite(const Rect& sprite, std::int32_t dx, std::int32_t dy);

  // Ends a frame: works out what changed in it.
  void EndFrame();

  // The parts of Image1 that changed in the last frame, merged for presenting.
  const Damage& Changed() const { return damage_; }

 private:
  Surface image1_;
  Surface image3_;
  const Surface& atlas_;
  Composition composition_;
  Rect grid_;
  bool first_frame_ = true;
  std::vector<Rect> covered_now_;   // what this frame drew inside the grid area
  std::vector<Rect> covered_last_;  // what the previous frame drew there: wiped at the next start
  Damage damage_;
};

}  // namespace marulex
