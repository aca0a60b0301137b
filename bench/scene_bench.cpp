// The cost of one tick of each scene, as composed by the running program (frames restored
// piecewise) and by the reference path (the whole grid copied every frame). The "budget" column
// is the tick's share of the 24 ms tick interval, in percent.
#include <benchmark/benchmark.h>

#include <memory>

#include "scene/animation.h"
#include "scene/atlas.h"

namespace {

const marulex::Surface& Atlas() {
  static const marulex::Surface atlas = marulex::LoadAtlas();
  return atlas;
}

// Corinth starts empty and fills; it is measured once its 400 slots are busy and the board has
// frozen balls, which is how it runs for most of an hour.
constexpr int kCorinthWarmUpTicks = 4000;

void Tick(benchmark::State& state, std::int32_t mode, marulex::Composition composition) {
  const auto width = static_cast<std::int32_t>(state.range(0));
  const auto height = static_cast<std::int32_t>(state.range(1));
  const auto balls = static_cast<std::int32_t>(state.range(2));
  auto animation = std::make_unique<marulex::Animation>(width, height, mode, balls, 12345u, Atlas(),
                                                        composition);
  const int warm_up = mode == 3 ? kCorinthWarmUpTicks : 50;
  for (int tick = 0; tick < warm_up; ++tick)
    animation->Timer1Timer();
  if (mode == 3) {
    int busy = 0;
    for (std::size_t slot = 0; slot < 400; ++slot)
      busy += animation->State().Balls.BallState[slot] != 0;
    state.counters["busy_slots"] = busy;
  }
  for (auto _ : state) {
    animation->Timer1Timer();
    benchmark::DoNotOptimize(animation->Image1().pixels.data());
  }
  state.counters["budget_pct"] = benchmark::Counter(
      0.024 / 100.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  std::int64_t changed = 0;
  for (const marulex::Rect& r : animation->Changed())
    changed += std::int64_t{r.width} * r.height;
  state.counters["changed_px"] = static_cast<double>(changed);
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (const auto& [w, h] : {std::pair{1920, 1080}, std::pair{3840, 2160}}) {
    for (const int balls : {180, 9999})
      b->Args({w, h, balls});
  }
  b->ArgNames({"w", "h", "balls"})->Unit(benchmark::kMicrosecond)->UseRealTime();
}

void BM_BoundBalls(benchmark::State& s) {
  Tick(s, 2, marulex::Composition::kDirty);
}
void BM_Corinth(benchmark::State& s) {
  Tick(s, 3, marulex::Composition::kDirty);
}
void BM_TurnBalls(benchmark::State& s) {
  Tick(s, 4, marulex::Composition::kDirty);
}
void BM_BoundBallsWhole(benchmark::State& s) {
  Tick(s, 2, marulex::Composition::kFull);
}
void BM_CorinthWhole(benchmark::State& s) {
  Tick(s, 3, marulex::Composition::kFull);
}
void BM_TurnBallsWhole(benchmark::State& s) {
  Tick(s, 4, marulex::Composition::kFull);
}

BENCHMARK(BM_BoundBalls)->Apply(Sizes);
BENCHMARK(BM_Corinth)->Apply(Sizes);
BENCHMARK(BM_TurnBalls)->Apply(Sizes);
BENCHMARK(BM_BoundBallsWhole)->Apply(Sizes);
BENCHMARK(BM_CorinthWhole)->Apply(Sizes);
BENCHMARK(BM_TurnBallsWhole)->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
