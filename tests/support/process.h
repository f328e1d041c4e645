// Child processes for the tests that drive whole programs: run a program to
// its end, or keep one running while the test drives it from outside.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace vxtest {

// A child process's outcome.
struct TProcessResult {
  bool exited = false;  // ended by exit (not by a signal or the time limit)
  int status = -1;      // exit status when exited
  int signal = 0;       // the signal that ended it otherwise
  bool timedOut = false;
  std::string out;      // its standard output
  std::string err;      // its standard error
};

// A running child with its output going to files.
class Child {
 public:
  // Starts argv[0] (a path, or a name looked up on PATH) in `workingDir` with extra environment entries
  // ("NAME=value") on top of this process's environment; an entry "NAME" without "=" leaves NAME out.
  Child(const std::vector<std::string>& argv, const fs::path& workingDir,
        const std::vector<std::string>& environment = {});
  ~Child();  // kills a child still running
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t Pid() const { return pid_; }
  bool Running();
  void Signal(int signal);
  // Waits up to `seconds` for the end; SIGKILLs it after that.
  TProcessResult Wait(double seconds);

 private:
  TempDir outputs_;
  pid_t pid_ = -1;
  bool reaped_ = false;
  int rawStatus_ = 0;
};

// Runs a program to its end (at most `seconds`).
TProcessResult RunProgram(const std::vector<std::string>& argv, const fs::path& workingDir,
                   const std::vector<std::string>& environment = {}, double seconds = 120);

// Waits until `condition` holds, polling every 20 ms, for at most `seconds`.
template <typename Condition>
bool WaitFor(Condition condition, double seconds);

// Text of a whole file; empty when it cannot be read.
std::string ReadText(const fs::path& path);

// Sleeps `seconds`.
void Pause(double seconds);

// The first program of that name on PATH, or empty.
std::string OnPath(const std::string& name);

// How a child ended, in words, for failure messages.
std::string Describe(const TProcessResult& result);

// The lines of a text (a program's output), without empty ones.
std::vector<std::string> Lines(const std::string& text);

// `command` run as the user with this uid and gid, through setpriv, with no
// supplementary groups.
std::vector<std::string> AsUser(uid_t uid, gid_t gid, const std::vector<std::string>& command);

// The resource folders of an installation.
const std::vector<std::string>& ResourceFolders();

// One line per entry under each root (the roots included): path, type,
// mode, owner, size, modification time and link target, sorted. Missing
// roots give a line saying so. Two equal listings mean nothing there
// changed.
std::string ListTrees(const std::vector<fs::path>& roots);

template <typename Condition>
bool WaitFor(Condition condition, double seconds) {
  // Measured on the clock: a condition that takes its time (a screenshot, a
  // helper program) must not stretch the limit.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    Pause(0.02);
  }
  return condition();
}

}  // namespace vxtest
