// The real game run in this test process on the controlled clock, with
// the game variables and the sounds of every frame recorded.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tools/replay/key_script.h"

namespace vxtest {

// The game variables after one frame.
struct TSnapshot {
  uint32_t frame = 0;
  uint16_t state = 0;
  uint16_t level = 0;
  uint16_t lives = 0;
  int32_t score = 0, health = 0, ammo = 0, skill = 0;
  int32_t timer = 0, countdownStep = 0, blinkStep = 0;
  int32_t viewX = 0, viewY = 0, scrollX = 0, scrollY = 0;
  uint8_t direction = 0;
  bool moving = false;
  std::string inventory;
};

// One run of the whole program, start-up to shutdown. The program keeps
// module state, so a test process makes one run (ctest starts every test in
// a process of its own).
class GameRun {
 public:
  // The keys to hold in `frame`, chosen from the state after the previous
  // frame (all zero before frame 1). Default: none.
  std::function<replay::TKeySet(uint32_t frame)> keys;
  // Called after each frame with its snapshot; return false to end the run
  // through the game's own quit (after this frame).
  std::function<bool(const TSnapshot& after)> goOn;

  // Runs from `installDir` for at most `maxFrames` frames; returns the exit
  // status.
  int Run(const std::string& installDir, uint32_t maxFrames, uint32_t seed = 1);

  // The snapshot after frame n (1-based); throws when it was not reached.
  const TSnapshot& After(uint32_t n) const;
  const std::vector<TSnapshot>& Frames() const { return frames_; }
  // Sounds asked for, with the frame in which each was played.
  const std::vector<std::pair<uint32_t, uint16_t>>& Sounds() const { return sounds_; }
  // The replay tool's dump line of every frame, in order.
  const std::vector<std::string>& DumpLines() const { return dumpLines_; }
  // Frames in which `sound` was played.
  std::vector<uint32_t> FramesWithSound(uint16_t sound) const;
  // The first frame after `from` whose snapshot satisfies `test`; 0 if none.
  uint32_t FirstFrame(uint32_t from, const std::function<bool(const TSnapshot&)>& test) const;

 private:
  std::vector<TSnapshot> frames_;
  std::vector<std::pair<uint32_t, uint16_t>> sounds_;
  std::vector<std::string> dumpLines_;
};

// The state of the game variables right now.
TSnapshot TakeSnapshot(uint32_t frame);

// Walks a route (letters U, D, L, R, as vexmoor-levelcheck prints them) the
// way a player does: the next move's arrow is held only in play and at rest.
// The routes vexmoor-levelcheck prints for the shipped maps, by level
// number: the arrow moves from the start to an exit.
std::map<uint16_t, std::string> ShippedRoutes();

// How a route walker walks: with the arrow keys, the pad's D-pad or its
// left stick.
enum class TWalkBy { Arrows, DPad, Stick };

struct TRouteWalker {
  std::string route;
  TWalkBy by = TWalkBy::Arrows;
  size_t next = 0;    // moves made so far
  bool held = false;  // an arrow is held in the coming frame

  // The keys for the coming frame, from the game variables as they are.
  replay::TKeySet Keys();
  // Counts the move that the held arrow began in the frame just run.
  void After(const TSnapshot& after);
};

}  // namespace vxtest
