// The three scenes, each a set-up and a frame step over the shared scene state.
// A set-up draws the scene's background into Image3; a frame step composes one frame on Image1.
#pragma once

#include <cstdint>

#include "scene/canvas.h"
#include "scene/random_source.h"
#include "scene/scene_state.h"

namespace marulex {

// The ball count setting held to what the ball table can take.
std::int32_t BallsToPlay(std::int32_t ball_count);

void SetUpBoundBalls(SceneState& state, RandomSource& random, Canvas& canvas,
                     std::int32_t ball_count);
void TickBoundBalls(SceneState& state, Canvas& canvas);

// Leaves state.SceneKind at kNoScene, drawing nothing, when the window is too small for the board.
void SetUpCorinth(SceneState& state, RandomSource& random, Canvas& canvas);
void TickCorinth(SceneState& state, Canvas& canvas);
// Whether an active corinth ball stands on cell (x, y).
bool ck(const SceneState& state, std::int32_t x, std::int32_t y);

// Leaves state.SceneKind at kNoScene, drawing nothing, when the window is too small for the maze.
void SetUpTurnBalls(SceneState& state, RandomSource& random, Canvas& canvas,
                    std::int32_t ball_count);
void TickTurnBalls(SceneState& state, RandomSource& random, Canvas& canvas);

}  // namespace marulex
