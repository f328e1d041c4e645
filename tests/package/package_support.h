// What the installation tests share: where the build keeps things and the
// signs that the game has reached its title.
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

// Waits until the game has loaded everything, shown by the music's scratch
// file "temp.dat" appearing under `scratchRoot` (the music is the last
// thing loaded before the main loop), or until the game ends. Returns
// whether it got there with the game still running.
bool WaitForTitle(Child& game, const fs::path& scratchRoot, double seconds);

}  // namespace vxtest
