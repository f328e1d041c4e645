#include "tools/bench/pacing.h"

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>

extern char** environ;

namespace bench {

namespace {

// The game's frame interval: 1000 div 30 ms.
constexpr double FrameIntervalMs = 1000 / 30;

struct TMode {
  bool seen = false;
  size_t count = 0;
  double mean = 0, p99 = 0, worst = 0, cpu = 0;
};

struct TChildRun {
  std::string out;
  int status = 0;
  rusage usage{};
  long long spawnNs = 0;
  std::string error;
};

long long MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Runs `program` with its stdout in a pipe; collects what it printed, its
// exit status and its resource use.
TChildRun RunChild(const char* program) {
  TChildRun run;
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) {
    run.error = std::string("pipe: ") + std::strerror(errno);
    return run;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
  char* const argv[] = {const_cast<char*>(program), nullptr};
  pid_t pid = 0;
  run.spawnNs = MonotonicNs();
  const int spawned = posix_spawn(&pid, program, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (spawned != 0) {
    close(pipeEnds[0]);
    run.error = std::string(program) + ": " + std::strerror(spawned);
    return run;
  }
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(pipeEnds[0], buffer, sizeof buffer);
    if (n > 0) {
      run.out.append(buffer, static_cast<size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      break;
    }
  }
  close(pipeEnds[0]);
  while (wait4(pid, &run.status, 0, &run.usage) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(run.status) || WEXITSTATUS(run.status) != 0) {
    run.error = std::string(program) + " failed";
  }
  return run;
}

}  // namespace

bool ReportPacing() {
  TChildRun run = RunChild(VEXMOOR_PACING_PROGRAM);
  TMode spin, sleep;
  long long titleNs = 0;
  unsigned blocks = 0;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string key, mode;
    words >> key;
    if (key == "title-frame-ns") words >> titleNs;
    if (key == "pacing-blocks") words >> blocks;
    if (key != "pacing") continue;
    words >> mode;
    TMode& m = mode == "spin" ? spin : sleep;
    m.seen = static_cast<bool>(words >> m.count >> m.mean >> m.p99 >> m.worst >> m.cpu);
  }
  if (run.error.empty() && (!spin.seen || !sleep.seen || titleNs == 0 || blocks == 0)) run.error = "unexpected output from the pacing run";
  if (!run.error.empty()) {
    std::fprintf(stderr, "vexmoor-bench: %s\n", run.error.c_str());
    std::printf("pacing: not measured\nstart-up: not measured\n");
    return false;
  }
  std::printf("pacing run: real game, dummy drivers, real clock, play screen; %zu + %zu presents in alternating blocks "
              "of %u; worst lateness (longest interval beyond %.0f ms): spin %.3f ms, sleep %.3f ms\n",
              spin.count, sleep.count, blocks, FrameIntervalMs, spin.worst - FrameIntervalMs, sleep.worst - FrameIntervalMs);
  std::printf("pacing: spin mean %.3f ms p99 %.3f ms; sleep mean %.3f ms p99 %.3f ms; cpu spin %.1f%% sleep %.1f%%\n",
              spin.mean, spin.p99, sleep.mean, sleep.p99, spin.cpu, sleep.cpu);
  std::printf("start-up: %.0f ms to the first title frame; peak memory %.1f MB\n", (titleNs - run.spawnNs) / 1e6,
              run.usage.ru_maxrss / 1024.0);
  return true;
}

}  // namespace bench
