// The game shell: the program's start-up, its main loop and shutdown, shared
// by both programs' entry points and by the replay tool.
#pragma once

#include <cstdint>
#include <functional>

namespace shell {

// Observation points of the main loop, for the replay tool and tests.
struct TLoopHooks {
  // Before each pass of the main loop, with the number the next presented
  // frame will get (1 is the first frame of the main loop, after loading).
  std::function<void(uint32_t frame)> beforePass;
  // After the frame's handler, the particle update and the brightness keys.
  std::function<void(uint32_t frame)> afterFrame;
  // When set, the random generator gets this seed instead of the clock's.
  bool fixedSeed = false;
  uint32_t seed = 0;
};

// Runs the whole program: start-up (seed, driver, Init, frame rate, video
// mode, font, resources, music), the main loop until a quit, Shutdown.
// Returns the process exit status: 0 after a normal quit (a termination
// signal is one, and one during loading ends the loading); on any failure
// during start-up or play (an input/output failure, a missing resource, a
// video mode that cannot be opened, running out of memory or any other
// exception) it restores the display, removes the scratch files outside
// development mode, prints one line on stderr and returns 1.
// argc/argv must already have been handed to resources::StartUp.
int RunGame(const TLoopHooks* hooks = nullptr);

}  // namespace shell
