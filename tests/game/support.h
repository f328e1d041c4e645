// Test support for whole-game and program-level tests: private copies of
// the installation directory and child processes.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vxtest {

namespace fs = std::filesystem;

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

// The resource folders of an installation.
const std::vector<std::string>& ResourceFolders();

// How a private installation is put together from the shipped one.
struct TInstallCopy {
  // Folders copied file by file (so files can be deleted from the copy);
  // the other resource folders are linked.
  std::vector<std::string> copiedFolders;
  // Copy the two programs too (they find their files beside their real
  // path, so they cannot be linked).
  bool programs = false;
  // When set, Maps/ holds these files instead of the shipped maps.
  fs::path mapsFrom;

  static TInstallCopy WithPrograms(std::vector<std::string> copied = {}) {
    TInstallCopy how;
    how.copiedFolders = std::move(copied);
    how.programs = true;
    return how;
  }
};

// Builds a private installation in `target` (an existing empty directory)
// from the shipped one: the icon, the resource folders and, as asked, the
// programs. Each test gets its own Data/ this way, so tests running at the
// same time never share a scratch file.
void MakeInstallCopy(const fs::path& target, const TInstallCopy& how);

// The scratch files an installation's Data/ holds right now.
std::vector<std::string> ScratchFiles(const fs::path& installDir);

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
  // Starts argv[0] (a path) in `workingDir` with extra environment entries
  // ("NAME=value") on top of this process's environment.
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

// The dummy SDL drivers as environment entries.
std::vector<std::string> DummyDrivers();

// Text of a whole file; empty when it cannot be read.
std::string ReadText(const fs::path& path);

// Sleeps `seconds`.
void Pause(double seconds);

template <typename Condition>
bool WaitFor(Condition condition, double seconds) {
  for (double waited = 0; waited < seconds; waited += 0.02) {
    if (condition()) return true;
    Pause(0.02);
  }
  return condition();
}

}  // namespace vxtest
