// The saver window's animation: its surfaces, the scene state and the random source, the set-up
// `Shoki` and the frame driver `Timer1Timer`. It holds no global state, so any number of
// animations can run side by side; the window owns one and presents Image1 after every tick.
#pragma once

#include <cstdint>

#include "scene/canvas.h"
#include "scene/random_source.h"
#include "scene/scene_state.h"

namespace marulex {

class Animation {
 public:
  // The tail of the saver window's creation: sizes Image1 and Image3 to the window's width x
  // height, seeds the random source and runs the set-up. `atlas` must outlive the animation.
  Animation(std::int32_t width, std::int32_t height, std::int32_t mode_setting,
            std::int32_t ball_count, std::uint32_t seed, const Surface& atlas,
            Composition composition = Composition::kDirty);

  Animation(const Animation&) = delete;
  Animation& operator=(const Animation&) = delete;

  // One tick: the current scene's frame step. The window then presents Changed().
  void Timer1Timer();

  // Whether an active corinth ball stands on cell (x, y).
  bool ck(std::int32_t x, std::int32_t y) const;

  const Surface& Image1() const { return canvas_.Image1(); }
  const Surface& Image3() const { return canvas_.Image3(); }
  // The rectangles of Image1 that the last tick changed.
  const std::vector<Rect>& Changed() const { return canvas_.Changed().Rects(); }
  const SceneState& State() const { return state_; }
  const RandomSource& Random() const { return random_; }

 private:
  void Shoki();

  std::int32_t ModeSetting;
  std::int32_t BallCount;
  SceneState state_;
  RandomSource random_;
  Canvas canvas_;
};

}  // namespace marulex
