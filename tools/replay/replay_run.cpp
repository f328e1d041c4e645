#include "tools/replay/replay_run.h"

#include <cstdlib>

#include "engine/game.h"
#include "resources/startup.h"

namespace replay {

namespace {

uint32_t ControlledTicks() {
  static uint32_t now = 0;
  now += ClockStepMs;
  return now;
}

}  // namespace

void UseDummyDrivers() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
}

std::string WithFinalSlash(const std::string& dir) {
  if (dir.empty()) return dir;
  std::string result = dir;
  while (result.size() > 1 && result.back() == '/') result.pop_back();
  if (result.empty() || result.back() != '/') result += '/';
  return result;
}

int RunGame(const TRunSetup& setup, const shell::TLoopHooks& hooks) {
  UseDummyDrivers();
  std::vector<std::string> arguments = {"vexmoor", "-windowed"};
  if (setup.develop) arguments.push_back("-develop");
  resources::SetArguments(arguments);
  resources::ProgramDir = WithFinalSlash(setup.dir);
  game::SetTickSource(&ControlledTicks);
  int status = shell::RunGame(&hooks);
  game::SetTickSource(nullptr);
  return status;
}

}  // namespace replay
