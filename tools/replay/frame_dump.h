// One line of JSON per frame with the game variables, for comparing a
// replay frame by frame against an independent reading of the rules.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace replay {

// What the rules asked the engine for during one frame, in call order.
struct TFrameEvents {
  // The id of every PlaySound call (also one no free channel plays).
  std::vector<uint16_t> sounds;
  // The centre (x, y) of every StartBurst call.
  std::vector<std::pair<int16_t, int16_t>> bursts;
};

// Starts recording PlaySound and StartBurst calls through the engine's
// observers (replacing any other observer of theirs).
void StartEventLog();
// The calls recorded since the previous TakeEvents (or StartEventLog);
// the log starts empty again.
TFrameEvents TakeEvents();
// Removes the observers.
void StopEventLog();

// The game variables and the engine's brightness after `frame`, as one
// JSON object without a line end: frame, GameState, Level, ViewX, ViewY,
// ScrollX, ScrollY, Direction, Moving, Firing, ShotPending, FireFlash,
// FireLatch, HitCounter, WalkFrame, WalkTick, Skill, Score, Ammo, Health,
// Inventory (a list of character codes 0..255), Lives, StateTimer,
// CountdownStep, BlinkStep, BlockedLeft, BlockedRight, BlockedUp,
// BlockedDown, Brightness; bools as true/false. Then the frame's events:
// "sounds", a list of sound ids, and "bursts", a list of [x, y] pairs.
std::string DumpLine(uint32_t frame, const TFrameEvents& events);

}  // namespace replay
