#include "scene/animation.h"

#include "scene/scenes.h"

namespace marulex {

Animation::Animation(std::int32_t width, std::int32_t height, std::int32_t mode_setting,
                     std::int32_t ball_count, std::uint32_t seed, const Surface& atlas,
                     Composition composition)
    : ModeSetting(mode_setting),
      BallCount(ball_count),
      random_(seed),
      canvas_(width, height, atlas, composition) {
  Shoki();
}

void Animation::Shoki() {
  canvas_.FillImage1Black();
  for (std::size_t i = 0; i < 400; ++i)
    state_.Balls.BallState[i] = 0;
  state_.Flashes.FlashState.fill(0);

  if (ModeSetting == 1) {
    state_.SceneKind = random_.Draw() % 3;
  } else if (ModeSetting >= 2 && ModeSetting <= 4) {
    state_.SceneKind = ModeSetting - 2;
  } else {
    state_.SceneKind = kNoScene;  // no scene: the window stays black
  }

  switch (state_.SceneKind) {
    case kBoundBalls:
      SetUpBoundBalls(state_, random_, canvas_, BallCount);
      break;
    case kCorinth:
      SetUpCorinth(state_, random_, canvas_);
      break;
    case kTurnBalls:
      SetUpTurnBalls(state_, random_, canvas_, BallCount);
      break;
    default:
      break;
  }
}

void Animation::Timer1Timer() {
  switch (state_.SceneKind) {
    case kBoundBalls:
      TickBoundBalls(state_, canvas_);
      break;
    case kCorinth:
      TickCorinth(state_, canvas_);
      break;
    case kTurnBalls:
      TickTurnBalls(state_, random_, canvas_);
      break;
    default:
      canvas_.BeginFrame(0, 0);
      break;  // nothing moves: nothing changes
  }
  canvas_.EndFrame();
}

bool Animation::ck(std::int32_t x, std::int32_t y) const {
  // Any cell may be asked about; only the board and its extra row can hold a ball.
  if (state_.SceneKind != kCorinth || x < 0 || x >= state_.GridCols || y < 0 ||
      y > state_.GridRows) {
    return false;
  }
  return marulex::ck(state_, x, y);
}

}  // namespace marulex
