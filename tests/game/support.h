// Test support for whole-game and program-level tests: private copies of
// the installation directory and child processes.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/process.h"

namespace vxtest {

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

// The dummy SDL drivers as environment entries.
std::vector<std::string> DummyDrivers();

}  // namespace vxtest
