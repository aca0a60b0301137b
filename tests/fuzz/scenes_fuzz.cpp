// Any window from 0 x 0 to 400 x 300, any ModeSetting and BallCount the settings file can yield,
// any seed, up to 200 ticks (fewer for thousands of balls). The scene runs twice, once restoring
// only what the last frame drew and once copying the whole background each frame; after every tick
// both must show the same frame, the changed-area report must cover every pixel that changed, and
// the scene's balls must be where its rules keep them.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "scene/animation.h"
#include "scene/atlas.h"

namespace {

using marulex::Animation;
using marulex::SceneState;

void Check(bool condition) {
  if (!condition) std::abort();
}

// Reads little-endian values from the input; bytes past its end read as 0.
class Input {
 public:
  explicit Input(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint32_t Take(int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
      const std::uint32_t byte = at_ < bytes_.size() ? bytes_[at_] : 0;
      ++at_;
      value |= byte << (8 * i);
    }
    return value;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

struct Run {
  std::int32_t width;
  std::int32_t height;
  std::int32_t mode;
  std::int32_t count;
  std::uint32_t seed;
  std::int32_t ticks;
};

// The playable modes and small counts are the interesting ones, so one bit of each picks them;
// the other half of the inputs covers the whole range a settings file can give.
Run ReadRun(std::span<const std::uint8_t> bytes) {
  Input in(bytes);
  Run run{};
  run.width = static_cast<std::int32_t>(in.Take(2) % 401);
  run.height = static_cast<std::int32_t>(in.Take(2) % 301);
  const std::uint32_t mode = in.Take(2);
  run.mode = (mode & 0x8000) != 0 ? static_cast<std::int32_t>(mode % 257) - 49
                                  : static_cast<std::int32_t>(1 + mode % 4);
  const std::uint32_t count = in.Take(3);
  run.count = (count & 0x800000) != 0 ? static_cast<std::int32_t>(count % 65793) - 257
                                      : static_cast<std::int32_t>(count % 72) - 8;
  run.seed = in.Take(4);
  run.ticks = static_cast<std::int32_t>(in.Take(1) % 201);
  // Thousands of balls get fewer ticks (9999 balls still get a whole hop with its key flash), so
  // that no input runs for seconds under the sanitizers.
  constexpr std::int32_t kBallTicks = 100'000;
  const std::int32_t balls = run.mode == 3 ? 400 : std::clamp(run.count, 1, marulex::kBallCapacity);
  run.ticks = std::min(run.ticks, std::max(kBallTicks / balls, 1));
  return run;
}

void CheckBoundBalls(const SceneState& s) {
  const auto& b = s.Balls;
  for (std::size_t i = 0; i < static_cast<std::size_t>(s.BallsInPlay); ++i) {
    // Below one key on an axis every position on it collapses to 0 or the limit -4.
    if (s.GridCols >= 1) {
      Check(b.BallX[i] >= 0 && b.BallX[i] <= s.SceneA);
    } else {
      Check(b.BallX[i] == 0 || b.BallX[i] == -4);
    }
    if (s.GridRows >= 1) {
      Check(b.BallY[i] >= 0 && b.BallY[i] <= s.SceneB);
    } else {
      Check(b.BallY[i] == 0 || b.BallY[i] == -4);
    }
    Check(b.BallDX[i] >= -8 && b.BallDX[i] <= 8);
    Check(b.BallDY[i] >= -4 && b.BallDY[i] <= 4);
  }
  const auto& f = s.Flashes;
  for (std::size_t k = 0; k < f.FlashState.size(); ++k) {
    Check(f.FlashState[k] >= 0 && f.FlashState[k] <= 6);
    if (f.FlashState[k] == 0) continue;
    Check(f.FlashX[k] % 32 == 0 && f.FlashX[k] >= 0 && f.FlashX[k] < s.GridCols * 32);
    Check(f.FlashY[k] % 32 == 0 && f.FlashY[k] >= 0 && f.FlashY[k] < s.GridRows * 32);
  }
}

void CheckCorinth(const Animation& animation) {
  const SceneState& s = animation.State();
  const auto& b = s.Balls;
  const auto cols = static_cast<std::size_t>(s.GridCols);
  const auto rows = static_cast<std::size_t>(s.GridRows);
  // Balls on each cell, counted the slow way for the occupancy test.
  std::vector<int> standing(cols * (rows + 1), 0);
  for (std::size_t slot = 0; slot < 400; ++slot) {
    if (b.BallState[slot] == 0) continue;
    const std::int32_t x = b.BallX[slot];
    const std::int32_t y = b.BallY[slot];
    Check(b.BallState[slot] >= 1 && b.BallState[slot] < 64);
    Check(b.BallDX[slot] == 1 || b.BallDX[slot] == -1);
    Check(x >= 1 && x <= s.GridCols - 2 && y >= 0 && y < s.GridRows);
    const std::size_t cell = static_cast<std::size_t>(y) * cols + static_cast<std::size_t>(x);
    // Balls are dropped even onto a drop cell that has frozen.
    Check(y == 0 || s.CellGrid[cell] == 0);
    ++standing[cell];
  }
  for (std::size_t slot = 400; slot < b.BallState.size(); ++slot)
    Check(b.BallState[slot] == 0);
  for (std::size_t y = 0; y <= rows; ++y) {
    for (std::size_t x = 0; x < cols; ++x) {
      Check(animation.ck(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)) ==
            (standing[y * cols + x] != 0));
    }
  }
  Check(!animation.ck(-1, 0) && !animation.ck(s.GridCols, 0) && !animation.ck(0, s.GridRows + 1));
}

void CheckTurnBalls(const SceneState& s) {
  const auto& b = s.Balls;
  const auto cols = static_cast<std::size_t>(s.GridCols);
  for (std::size_t i = 0; i < static_cast<std::size_t>(s.BallsInPlay); ++i) {
    const std::int32_t x = b.BallX[i];
    const std::int32_t y = b.BallY[i];
    Check(x >= 1 && x <= s.GridCols - 2 && y >= 1 && y <= s.GridRows - 2);
    Check(s.CellGrid[static_cast<std::size_t>(y) * cols + static_cast<std::size_t>(x)] == 0);
    Check(b.BallAux[i] >= 0 && b.BallAux[i] <= 3);
  }
}

// Every pixel that differs from the previous frame lies in a rectangle the tick reported.
void CheckChanged(const Animation& animation, const marulex::Surface& previous) {
  const marulex::Surface& now = animation.Image1();
  const auto width = static_cast<std::size_t>(now.width);
  std::vector<std::uint8_t> reported(now.pixels.size(), 0);
  for (const marulex::Rect& rect : animation.Changed()) {
    Check(!rect.Empty() && rect.x >= 0 && rect.y >= 0 && rect.x + rect.width <= now.width &&
          rect.y + rect.height <= now.height);
    for (std::int32_t y = rect.y; y < rect.y + rect.height; ++y) {
      std::memset(&reported[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(rect.x)],
                  1, static_cast<std::size_t>(rect.width));
    }
  }
  for (std::size_t i = 0; i < now.pixels.size(); ++i) {
    Check(reported[i] != 0 || now.pixels[i] == previous.pixels[i]);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const marulex::Surface atlas = marulex::LoadAtlas();
  const Run run = ReadRun(std::span<const std::uint8_t>(data, size));
  const auto dirty = std::make_unique<Animation>(run.width, run.height, run.mode, run.count,
                                                 run.seed, atlas, marulex::Composition::kDirty);
  const auto full = std::make_unique<Animation>(run.width, run.height, run.mode, run.count,
                                                run.seed, atlas, marulex::Composition::kFull);
  const SceneState& s = dirty->State();
  if (run.mode < 1 || run.mode > 4) Check(s.SceneKind == marulex::kNoScene);
  if (s.SceneKind == marulex::kBoundBalls || s.SceneKind == marulex::kTurnBalls) {
    Check(s.BallsInPlay <= std::clamp(run.count, 0, marulex::kBallCapacity));
  }

  marulex::Surface previous = dirty->Image1();
  for (std::int32_t tick = 0; tick < run.ticks; ++tick) {
    dirty->Timer1Timer();
    full->Timer1Timer();
    Check(dirty->Image1() == full->Image1());
    CheckChanged(*dirty, previous);
    previous = dirty->Image1();
    switch (s.SceneKind) {
      case marulex::kBoundBalls:
        CheckBoundBalls(s);
        break;
      case marulex::kCorinth:
        CheckCorinth(*dirty);
        break;
      case marulex::kTurnBalls:
        CheckTurnBalls(s);
        break;
      default:
        Check(std::all_of(previous.pixels.begin(), previous.pixels.end(),
                          [](marulex::Pixel pixel) { return pixel == marulex::kBlack; }));
        break;
    }
  }
  return 0;
}
