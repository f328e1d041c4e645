#include "tests/game/game_run.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "engine/game.h"
#include "main/game_vars.h"
#include "tests/game/test_paths.h"
#include "tests/support/process.h"
#include "tools/replay/frame_dump.h"
#include "tools/replay/replay_run.h"

namespace vxtest {

namespace {

GameRun* CurrentRun = nullptr;

}  // namespace

TSnapshot TakeSnapshot(uint32_t frame) {
  using namespace shell;
  TSnapshot s;
  s.frame = frame;
  s.state = GameState;
  s.level = Level;
  s.lives = Lives;
  s.score = Score;
  s.health = Health;
  s.ammo = Ammo;
  s.skill = Skill;
  s.timer = StateTimer;
  s.countdownStep = CountdownStep;
  s.blinkStep = BlinkStep;
  s.viewX = ViewX;
  s.viewY = ViewY;
  s.scrollX = ScrollX;
  s.scrollY = ScrollY;
  s.direction = Direction;
  s.moving = Moving;
  s.inventory = Inventory;
  return s;
}

int GameRun::Run(const std::string& installDir, uint32_t maxFrames, uint32_t seed) {
  if (CurrentRun) throw std::logic_error("one game run per process");
  CurrentRun = this;
  shell::TLoopHooks hooks;
  hooks.fixedSeed = true;
  hooks.seed = seed;
  hooks.beforePass = [this](uint32_t frame) {
    if (!replay::ApplyKeys(keys ? keys(frame) : 0)) ADD_FAILURE() << "a pad event was dropped before frame " << frame;
  };
  hooks.afterFrame = [this, maxFrames](uint32_t frame) {
    const replay::TFrameEvents events = replay::TakeEvents();
    for (uint16_t sound : events.sounds) sounds_.emplace_back(frame, sound);
    dumpLines_.push_back(replay::DumpLine(frame, events));
    frames_.push_back(TakeSnapshot(frame));
    if (frame >= maxFrames || (goOn && !goOn(frames_.back()))) game::RequestQuit();
  };
  replay::TRunSetup setup;
  setup.dir = installDir;
  replay::StartEventLog();
  const int status = replay::RunGame(setup, hooks);
  replay::StopEventLog();
  return status;
}

const TSnapshot& GameRun::After(uint32_t n) const {
  if (n == 0 || n > frames_.size())
    throw std::out_of_range("frame " + std::to_string(n) + " was not reached (the run has " +
                            std::to_string(frames_.size()) + ")");
  return frames_[n - 1];
}

std::vector<uint32_t> GameRun::FramesWithSound(uint16_t sound) const {
  std::vector<uint32_t> result;
  for (const auto& [frame, id] : sounds_)
    if (id == sound) result.push_back(frame);
  return result;
}

namespace {

replay::TKeySet MoveKey(char move, TWalkBy by) {
  const std::string prefix = by == TWalkBy::DPad ? "pad-" : by == TWalkBy::Stick ? "stick-" : "";
  switch (move) {
    case 'U': return replay::KeyBit(prefix + "up");
    case 'D': return replay::KeyBit(prefix + "down");
    case 'L': return replay::KeyBit(prefix + "left");
    case 'R': return replay::KeyBit(prefix + "right");
  }
  throw std::invalid_argument(std::string("not a move: ") + move);
}

}  // namespace

replay::TKeySet TRouteWalker::Keys() {
  using namespace shell;
  held = false;
  if (GameState != gsPlaying || Moving || next >= route.size()) return 0;
  held = true;
  return MoveKey(route[next], by);
}

void TRouteWalker::After(const TSnapshot& after) {
  // The held arrow was taken when a step began in this frame.
  if (held && after.moving) ++next;
}

uint32_t GameRun::FirstFrame(uint32_t from, const std::function<bool(const TSnapshot&)>& test) const {
  for (uint32_t n = from + 1; n <= frames_.size(); ++n)
    if (test(frames_[n - 1])) return n;
  return 0;
}

constexpr int ShippedLevels = 4;

std::map<uint16_t, std::string> ShippedRoutes() {
  std::vector<std::string> command = {std::string(BinDir) + "/vexmoor-levelcheck"};
  for (int n = 1; n <= ShippedLevels; ++n)
    command.push_back(std::string(InstallDir) + "/Maps/level" + std::to_string(n) + ".map");
  const TProcessResult result = RunProgram(command, InstallDir);
  EXPECT_EQ(result.status, 0) << result.err;
  std::map<uint16_t, std::string> routes;
  std::istringstream lines(result.out);
  for (std::string line; std::getline(lines, line);) {
    const size_t at = line.find(": route ");
    if (at == std::string::npos) continue;
    const std::string path = line.substr(0, at);
    const size_t digit = path.rfind("level") + 5;
    routes[static_cast<uint16_t>(std::stoi(path.substr(digit)))] = line.substr(at + 8);
  }
  return routes;
}

}  // namespace vxtest
