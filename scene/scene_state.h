// The state that the three scenes share. Each scene gives the fields its own meaning;
// see the scene's unit for what it keeps where.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace marulex {

inline constexpr std::int32_t kBallCapacity = 9999;
inline constexpr std::int32_t kFlashSlots = 256;

// Atlas x of the key frame shown by each flash state (state 0 is never drawn).
inline constexpr std::array<std::int32_t, 7> FlashFrameX = {0, 32, 64, 96, 64, 32, 0};

enum SceneKindValue : std::int32_t {
  kBoundBalls = 0,
  kCorinth = 1,
  kTurnBalls = 2,
  kNoScene = -1,  // a mode outside 1 to 4, or a window too small for the chosen scene
};

struct BallTable {
  std::array<std::int32_t, kBallCapacity> BallState{};
  std::array<std::int32_t, kBallCapacity> BallX{};
  std::array<std::int32_t, kBallCapacity> BallY{};
  std::array<std::int32_t, kBallCapacity> BallDX{};
  std::array<std::int32_t, kBallCapacity> BallDY{};
  std::array<std::int32_t, kBallCapacity> BallAux{};
};

struct FlashTable {
  std::array<std::int32_t, kFlashSlots> FlashState{};
  std::array<std::int32_t, kFlashSlots> FlashX{};
  std::array<std::int32_t, kFlashSlots> FlashY{};
};

struct SceneState {
  std::int32_t SceneKind = 0;
  std::int32_t ColourSet = 0;
  BallTable Balls;
  FlashTable Flashes;
  std::int32_t GridCols = 0;
  std::int32_t GridRows = 0;
  std::int32_t SceneA = 0;
  std::int32_t SceneB = 0;
  std::array<std::int32_t, 4> HeadingStep{};
  std::vector<std::uint8_t> CellGrid;

  // Balls that the bound-balls and turn-balls ticks walk: the ball count setting held to the
  // table's capacity (0 for a count of 0 or less, or for a maze with no free interior cell).
  std::int32_t BallsInPlay = 0;
  // Corinth only: how many active balls stand on each cell, kept in step with the ball table,
  // so that the occupancy test is one read instead of a scan of the 400 slots.
  std::vector<std::uint16_t> CellBalls;
};

}  // namespace marulex
