// One line of JSON per frame with the game variables, for comparing a
// replay frame by frame against an independent reading of the rules.
#pragma once

#include <cstdint>
#include <string>

namespace replay {

// The game variables and the engine's brightness after `frame`, as one
// JSON object without a line end: frame, GameState, Level, ViewX, ViewY,
// ScrollX, ScrollY, Direction, Moving, Firing, ShotPending, FireFlash,
// FireLatch, HitCounter, WalkFrame, WalkTick, Skill, Score, Ammo, Health,
// Inventory (a list of character codes 0..255), Lives, StateTimer,
// CountdownStep, BlinkStep, BlockedLeft, BlockedRight, BlockedUp,
// BlockedDown, Brightness; bools as true/false.
std::string DumpLine(uint32_t frame);

}  // namespace replay
