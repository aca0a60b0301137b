#include "scene/canvas.h"

namespace marulex {

Canvas::Canvas(std::int32_t width, std::int32_t height, const Surface& atlas,
               Composition composition)
    : image1_(width, height),
      image3_(width, height),
      atlas_(atlas),
      composition_(composition),
      damage_(width, height) {}

void Canvas::FillImage1Black() {
  FillBlack(image1_, image1_.Bounds());
}

void Canvas::PaintBackground(const Rect& sprite, std::int32_t dx, std::int32_t dy) {
  Copy(atlas_, sprite.x, sprite.y, sprite.width, sprite.height, image3_, dx, dy);
  // After the set-up, the next frame's wipe brings the new background to the screen.
  if (!first_frame_) damage_.Add(Intersect({dx, dy, sprite.width, sprite.height}, grid_));
}

void Canvas::BeginFrame(std::int32_t grid_width, std::int32_t grid_height) {
  grid_ = Intersect({0, 0, grid_width, grid_height}, image1_.Bounds());
  const bool whole = first_frame_ || composition_ == Composition::kFull;
  if (whole) {
    // Nothing has been shown yet on the first frame (not even the black fill), and the reference
    // path does not track what it draws: either way the whole window is new.
    damage_.AddAll();
    first_frame_ = false;
  }
  // Outside what the previous frame drew, the grid area already shows the background, so wiping
  // any tiles that cover its drawing gives the same frame as copying the whole grid. When the
  // pieces cost more, one block copy is the cheaper way.
  if (whole || damage_.PreviousCost() > std::int64_t{grid_.width} * grid_.height) {
    Copy(image3_, 0, 0, grid_.width, grid_.height, image1_, 0, 0);
    return;
  }
  damage_.ForEachPreviousRun([&](const Rect& run) {
    const Rect wipe = Intersect(run, grid_);
    Copy(image3_, wipe.x, wipe.y, wipe.width, wipe.height, image1_, wipe.x, wipe.y);
  });
}

void Canvas::DrawSprite(const Rect& sprite, std::int32_t dx, std::int32_t dy) {
  Copy(atlas_, sprite.x, sprite.y, sprite.width, sprite.height, image1_, dx, dy);
  if (composition_ == Composition::kFull) return;  // every frame is new everywhere
  damage_.Add({dx, dy, sprite.width, sprite.height});
}

void Canvas::EndFrame() {
  damage_.Finish();
}

}  // namespace marulex
