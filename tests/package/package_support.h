// What the installation tests share: where the build keeps things, the
// signs that the game has reached its title, and listings of directories
// to compare before and after a run.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/process.h"

namespace vxtest {

// The build's own installation directory and its tree (filled in by CMake).
fs::path BuildInstallDir();
fs::path BuildDir();

// The paths of the files called `name` anywhere under `dir`.
std::vector<fs::path> FindFiles(const fs::path& dir, const std::string& name);

// One line per entry under each root (the roots included): path, type,
// mode, owner, size, modification time and link target, sorted. Missing
// roots give a line saying so. Two equal listings mean nothing there
// changed.
std::string ListTrees(const std::vector<fs::path>& roots);

// Waits until the game has loaded everything, shown by the music's scratch
// file "temp.dat" appearing under `scratchRoot` (the music is the last
// thing loaded before the main loop), or until the game ends. Returns
// whether it got there with the game still running.
bool WaitForTitle(Child& game, const fs::path& scratchRoot, double seconds);

// How a child ended, in words, for failure messages.
std::string Describe(const TProcessResult& result);

}  // namespace vxtest
