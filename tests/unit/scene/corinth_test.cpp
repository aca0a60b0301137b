#include <gtest/gtest.h>

#include "stage.h"

namespace marulex {
namespace {

using testing::Shows;
using testing::Stage;

struct Board : Stage {
  Board(std::int32_t w, std::int32_t h, std::uint32_t seed = 3) : Stage(w, h, seed) {
    SetUpCorinth(state, random, canvas);
  }
  std::uint8_t& Cell(std::int32_t x, std::int32_t y) {
    return state.CellGrid[static_cast<std::size_t>(y * state.GridCols + x)];
  }
  // Puts an active ball in a slot, as a drop would.
  void Put(std::size_t slot, std::int32_t x, std::int32_t y, std::int32_t d) {
    state.Balls.BallState[slot] = 1;
    state.Balls.BallX[slot] = x;
    state.Balls.BallY[slot] = y;
    state.Balls.BallDX[slot] = d;
    ++state.CellBalls[static_cast<std::size_t>(y * state.GridCols + x)];
  }
  void Tick() { TickCorinth(state, canvas), canvas.EndFrame(); }
  std::int32_t Active() const {
    std::int32_t n = 0;
    for (std::size_t slot = 0; slot < 400; ++slot)
      n += state.Balls.BallState[slot] != 0;
    return n;
  }
};

// The occupancy test as a scan of the 400 slots, the way a ball learns of another.
bool ScanSlots(const SceneState& s, std::int32_t x, std::int32_t y) {
  for (std::size_t slot = 0; slot < 400; ++slot) {
    if (s.Balls.BallState[slot] != 0 && s.Balls.BallX[slot] == x && s.Balls.BallY[slot] == y) {
      return true;
    }
  }
  return false;
}

TEST(CorinthTest, BoardHasWallsPinsAndFourGaps) {
  Board board(152, 112, 11);
  ASSERT_EQ(board.state.GridCols, 19);
  ASSERT_EQ(board.state.GridRows, 14);
  ASSERT_EQ(board.state.CellGrid.size(), 19u * 15u);
  RandomSource replay(11);
  EXPECT_EQ(board.state.ColourSet, replay.Draw() % 3);
  for (std::int32_t y = 0; y <= 14; ++y) {
    for (std::int32_t x = 0; x < 19; ++x) {
      std::int32_t expected = 0;
      if (y == 14) {
        expected = 0;  // the extra row below the floor
      } else if (y == 13) {
        expected = (x == 16 || x == 13 || x == 10 || x == 7) ? 0 : 1;
      } else if (x == 0 || x == 18) {
        expected = 1;
      } else if (y >= 3) {
        expected = replay.Draw() % 4 == 0 ? 1 : 0;
      }
      ASSERT_EQ(board.Cell(x, y), expected) << x << "," << y;
      if (y < 14) {
        EXPECT_TRUE(Shows(board.canvas.Image3(), 8 * x, 8 * y,
                          CellSprite(expected, board.state.ColourSet)));
      }
    }
  }
  EXPECT_EQ(board.random.State(), replay.State());
  // Gaps for other widths: at cols - q, - 2q, - 3q and - 4q with q = cols / 5; none below 5.
  Board wide(1280, 64);
  for (std::int32_t x : {128, 96, 64, 32})
    EXPECT_EQ(wide.Cell(x, 7), 0);
  Board narrow(32, 64);
  for (std::int32_t x = 0; x < 4; ++x)
    EXPECT_EQ(narrow.Cell(x, 7), 1);
}

TEST(CorinthTest, LauncherSweepsAndDropsTwoMirroredBallsRollingTheSameWay) {
  Board board(40, 200);  // five columns: the launcher runs 1 to 3
  const std::int32_t columns[] = {1, 2, 3, 3, 2, 1, 1, 2, 3, 3};
  for (const std::int32_t column : columns) {
    board.Tick();
    EXPECT_EQ(board.state.SceneA, column);
  }
  Board fresh(40, 200);
  fresh.Tick();
  const BallTable& b = fresh.state.Balls;
  // Dropped at columns 1 and 3 into slots 0 and 1, both rolling right (column 1 is odd), and
  // moved in the same tick: a free cell below is taken at once.
  EXPECT_EQ(b.BallX[0], 1);
  EXPECT_EQ(b.BallX[1], 3);
  EXPECT_EQ(b.BallY[0], 1);
  EXPECT_EQ(b.BallY[1], 1);
  EXPECT_EQ(b.BallDX[0], 1);
  EXPECT_EQ(b.BallDX[1], 1);
  // Column 2, even: both go left. They share the drop cell; the lower slot falls, and the
  // other, finding it below, rolls left.
  fresh.Tick();
  EXPECT_EQ(b.BallX[2], 2);
  EXPECT_EQ(b.BallY[2], 1);
  EXPECT_EQ(b.BallX[3], 1);
  EXPECT_EQ(b.BallY[3], 0);
  EXPECT_EQ(b.BallDX[2], -1);
  EXPECT_EQ(b.BallDX[3], -1);
}

TEST(CorinthTest, TwoBallsInTheMiddleColumnShareTheDropCell) {
  Board board(24, 48);  // three columns: both balls of every drop land on column 1
  board.Tick();
  const BallTable& b = board.state.Balls;
  EXPECT_EQ(b.BallY[0], 1);  // the lower slot falls
  EXPECT_EQ(b.BallY[1], 0);  // the other finds it below, cannot roll, and reverses
  EXPECT_EQ(b.BallState[1], 2);
  EXPECT_EQ(b.BallDX[1], -1);
}

TEST(CorinthTest, ATrappedBallFreezesIntoTheBoardAtItsSixtyThirdReversal) {
  Board board(80, 160);
  for (const auto& [x, y] : {std::pair{4, 7}, {3, 6}, {5, 6}, {4, 5}})
    board.Cell(x, y) = 1;
  board.Cell(4, 6) = 0;
  board.Put(399, 4, 6, 1);
  const Rect ball = BigBallSprite(board.state.ColourSet);
  for (std::int32_t tick = 1; tick <= 62; ++tick) {
    board.Tick();
    ASSERT_EQ(board.state.Balls.BallState[399], tick + 1);
  }
  EXPECT_EQ(board.state.Balls.BallDX[399], 1);  // 62 reversals
  board.Tick();
  EXPECT_EQ(board.state.Balls.BallState[399], 0);
  EXPECT_EQ(board.Cell(4, 6), 1);
  EXPECT_TRUE(Shows(board.canvas.Image3(), 32, 48, ball));
  EXPECT_TRUE(Shows(board.canvas.Image1(), 32, 48, ball));
  board.Tick();
  EXPECT_TRUE(Shows(board.canvas.Image1(), 32, 48, ball));  // now part of the background
  EXPECT_FALSE(ck(board.state, 4, 6));
}

TEST(CorinthTest, ABallRollingBetweenTwoObstaclesNeverFreezes) {
  Board board(80, 160);
  for (const auto& [x, y] : {std::pair{3, 6}, {6, 6}, {4, 7}, {5, 7}, {4, 5}, {5, 5}}) {
    board.Cell(x, y) = 1;
  }
  board.Cell(4, 6) = board.Cell(5, 6) = 0;
  board.Put(399, 4, 6, 1);
  for (std::int32_t tick = 0; tick < 300; ++tick)
    board.Tick();
  EXPECT_NE(board.state.Balls.BallState[399], 0);
  EXPECT_LE(board.state.Balls.BallState[399], 2);
}

TEST(CorinthTest, DropsAreSkippedWhileNoSlotIsFree) {
  Board board(400, 400);
  for (std::size_t slot = 0; slot < 399; ++slot) {
    board.Put(slot, 1 + static_cast<std::int32_t>(slot % 48),
              4 + static_cast<std::int32_t>(slot / 48), 1);
  }
  board.Tick();
  EXPECT_EQ(board.Active(), 400);
  EXPECT_EQ(board.state.Balls.BallX[399], 1);  // only the launcher-column ball found a slot
}

TEST(CorinthTest, LongRunKeepsEveryRule) {
  // A small board freezes its first balls within a few hundred ticks, so the run sees drops,
  // falls, rolls, leaves and freezes.
  Board board(80, 72, 17);
  const BallTable& b = board.state.Balls;
  bool froze = false, left = false;
  for (std::int32_t tick = 0; tick < 2500; ++tick) {
    const auto cells_before = board.state.CellGrid;
    const BallTable before = b;
    board.Tick();
    for (std::size_t slot = 0; slot < 400; ++slot) {
      if (b.BallState[slot] == 0) {
        left |= before.BallState[slot] != 0 && before.BallY[slot] == board.state.GridRows - 1;
        continue;
      }
      ASSERT_GE(b.BallX[slot], 1);
      ASSERT_LE(b.BallX[slot], board.state.GridCols - 2);
      ASSERT_LT(b.BallY[slot], board.state.GridRows);
      ASSERT_LE(b.BallState[slot], 63);
      // Only the drop cells of the top row can hold a ball on a fixed cell (and two balls).
      if (b.BallY[slot] > 0) {
        ASSERT_EQ(board.Cell(b.BallX[slot], b.BallY[slot]), 0);
      }
      if (before.BallState[slot] != 0) {
        ASSERT_GE(b.BallY[slot], before.BallY[slot]);  // balls never move up
      }
    }
    froze |= cells_before != board.state.CellGrid;
    for (std::int32_t y = 0; y <= board.state.GridRows; ++y) {
      for (std::int32_t x = 0; x < board.state.GridCols; ++x) {
        ASSERT_EQ(ck(board.state, x, y), ScanSlots(board.state, x, y))
            << tick << " " << x << "," << y;
      }
    }
  }
  EXPECT_TRUE(froze);
  EXPECT_TRUE(left);
  // The floor's gaps never close.
  for (std::int32_t x : {8, 6, 4, 2})
    EXPECT_EQ(board.Cell(x, 8), 0);
}

}  // namespace
}  // namespace marulex
