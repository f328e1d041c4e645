// Running the real game in this process with the dummy SDL drivers and a
// controlled clock, for the replay tool and the whole-game tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "main/shell.h"

namespace replay {

// Milliseconds the controlled clock moves on at every reading. Larger than
// any frame interval, so every Flip is due: every pass of the main loop
// presents exactly one frame and nothing waits.
constexpr uint32_t ClockStepMs = 1000;

struct TRunSetup {
  // The installation directory to run from (its final "/" may be left out).
  std::string dir;
  // Read loose files ("-develop") instead of the packed ones.
  bool develop = false;
};

// Selects the dummy video and audio drivers. Call before anything touches
// SDL (the tool does it first thing in main).
void UseDummyDrivers();

// Runs the whole program (start-up, loading, main loop, shutdown) from
// setup.dir as if started with "-windowed" (and "-develop"), on the
// controlled clock, with the given hooks. Sets ProgramDir and the
// arguments; UseDummyDrivers is applied too. Returns the program's exit
// status. One run per process: the engine and the game variables are not
// brought back to their start-up state afterwards.
int RunGame(const TRunSetup& setup, const shell::TLoopHooks& hooks);

// The directory with exactly one final "/"; empty stays empty (the
// working directory).
std::string WithFinalSlash(const std::string& dir);

}  // namespace replay
