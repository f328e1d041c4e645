// vexmoor-pacing: the real game, started afresh, headless (SDL's dummy
// drivers) on the real clock from the built installation directory, for
// the benchmark (which starts it and reads what it prints). Not shipped.
//
// It notes the moment the first title picture is presented, holds Space to
// start a game, and once the level is loaded times 600 presents of the play
// screen: blocks of 50 with the loop polling between frames as it used to,
// alternating with blocks of 50 sleeping through WaitForFrame, so both ways
// see the same machine load. For every interval between two presents it
// takes the wall time and the process's CPU time (all threads: the loop and
// SDL's audio mixing). It prints, on stdout:
//   title-frame-ns N        CLOCK_MONOTONIC at the first title present
//   pacing MODE COUNT MEAN P99 WORST CPU
// for MODE spin and sleep: intervals in ms (mean, 99th percentile, longest)
// and the CPU time as a percentage of one core.
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/game.h"
#include "main/shell.h"
#include "resources/startup.h"

namespace {

// The title picture is drawn in frame 1 and presented by frame 2's Flip;
// Space held in frame 2 starts the game.
constexpr uint32_t TitleFrame = 2;
// After the level's map load (a late frame) and some settling.
constexpr uint32_t FirstTimedFrame = 45;
constexpr uint32_t BlockIntervals = 50;
constexpr uint32_t IntervalsPerMode = 300;

double ClockMs(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

struct TInterval {
  double wallMs;
  double cpuMs;
};

struct TTimer {
  std::vector<TInterval> polling, sleeping;
  bool waiting = false;
  double lastWall = 0;
  double lastCpu = 0;

  // At the present of `frame`; false once enough has been timed.
  bool Present(uint32_t frame) {
    if (frame < FirstTimedFrame) return true;
    const double wall = ClockMs(CLOCK_MONOTONIC);
    const double cpu = ClockMs(CLOCK_PROCESS_CPUTIME_ID);
    // The interval that ends here was waited for in the mode set at its start.
    if (frame > FirstTimedFrame) (waiting ? sleeping : polling).push_back({wall - lastWall, cpu - lastCpu});
    lastWall = wall;
    lastCpu = cpu;
    const uint32_t done = frame - FirstTimedFrame;
    if (done % BlockIntervals == 0) {
      waiting = done / BlockIntervals % 2 == 1;
      game::SetFrameWaiting(waiting);
    }
    return done < 2 * IntervalsPerMode;
  }
};

void PrintMode(const char* mode, const std::vector<TInterval>& intervals) {
  std::vector<double> wall;
  double wallSum = 0;
  double cpuSum = 0;
  for (const TInterval& i : intervals) {
    wall.push_back(i.wallMs);
    wallSum += i.wallMs;
    cpuSum += i.cpuMs;
  }
  std::sort(wall.begin(), wall.end());
  // Nearest rank.
  const size_t p99 = static_cast<size_t>(std::ceil(0.99 * wall.size())) - 1;
  std::printf("pacing %s %zu %.3f %.3f %.3f %.1f\n", mode, wall.size(), wallSum / wall.size(), wall[p99], wall.back(),
              100.0 * cpuSum / wallSum);
}

}  // namespace

int main() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  resources::SetArguments({"vexmoor", "-windowed"});
  resources::ProgramDir = VEXMOOR_GAME_DIR;

  TTimer timer;
  shell::TLoopHooks hooks;
  hooks.beforePass = [](uint32_t next) { game::SetKey(game::keySpace, next == TitleFrame); };
  hooks.afterPresent = [&timer](uint32_t frame) {
    if (frame == TitleFrame) {
      timespec now{};
      clock_gettime(CLOCK_MONOTONIC, &now);
      std::printf("title-frame-ns %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    }
    if (!timer.Present(frame)) game::RequestQuit();
  };
  const int status = shell::RunGame(&hooks);
  if (status != 0) return status;
  if (timer.polling.size() < IntervalsPerMode || timer.sleeping.size() < IntervalsPerMode) {
    std::fprintf(stderr, "vexmoor-pacing: the game ended after %zu timed frames\n",
                 timer.polling.size() + timer.sleeping.size());
    return 1;
  }
  std::printf("pacing-blocks %u\n", BlockIntervals);
  PrintMode("spin", timer.polling);
  PrintMode("sleep", timer.sleeping);
  return 0;
}
