#include "scene/canvas.h"

namespace marulex {

namespace {

// Enough for the busiest frame any scene draws (every flash slot, and a shadow and a ball for
// each of the 9999 balls), so that a tick never allocates.
constexpr std::size_t kCoveredCapacity = 256 + 2 * 9999 + 2 * 400;

}  // namespace

Canvas::Canvas(std::int32_t width, std::int32_t height, const Surface& atlas,
               Composition composition)
    : image1_(width, height),
      image3_(width, height),
      atlas_(atlas),
      composition_(composition),
      damage_(width, height) {
  covered_now_.reserve(kCoveredCapacity);
  covered_last_.reserve(kCoveredCapacity);
}

void Canvas::FillImage1Black() { FillBlack(image1_, image1_.Bounds()); }

void Canvas::PaintBackground(const Rect& sprite, std::int32_t dx, std::int32_t dy) {
  Copy(atlas_, sprite.x, sprite.y, sprite.width, sprite.height, image3_, dx, dy);
  if (!first_frame_) {
    const Rect changed = Intersect({dx, dy, sprite.width, sprite.height}, grid_);
    if (!changed.Empty()) covered_now_.push_back(changed);
  }
}

void Canvas::BeginFrame(std::int32_t grid_width, std::int32_t grid_height) {
  damage_.Clear();
  grid_ = Intersect({0, 0, grid_width, grid_height}, image1_.Bounds());
  if (first_frame_ || composition_ == Composition::kFull) {
    Copy(image3_, 0, 0, grid_.width, grid_.height, image1_, 0, 0);
    // Nothing has been shown yet on the first frame (not even the black fill), and the reference
    // path does not track what it draws: either way the whole window is new.
    damage_.AddAll();
    first_frame_ = false;
    covered_now_.clear();
    return;
  }
  covered_last_.swap(covered_now_);
  covered_now_.clear();
  for (const Rect& area : covered_last_) {
    Copy(image3_, area.x, area.y, area.width, area.height, image1_, area.x, area.y);
    damage_.Add(area);
  }
}

void Canvas::DrawSprite(const Rect& sprite, std::int32_t dx, std::int32_t dy) {
  Copy(atlas_, sprite.x, sprite.y, sprite.width, sprite.height, image1_, dx, dy);
  if (composition_ == Composition::kFull) return;
  const Rect drawn{dx, dy, sprite.width, sprite.height};
  damage_.Add(drawn);
  // Only the grid area is ever wiped; what a sprite leaves outside it stays, as it would if the
  // whole grid were copied each frame.
  const Rect in_grid = Intersect(drawn, grid_);
  if (!in_grid.Empty()) covered_now_.push_back(in_grid);
}

void Canvas::EndFrame() { damage_.Finish(); }

}  // namespace marulex
