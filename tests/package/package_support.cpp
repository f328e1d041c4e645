#include "tests/package/package_support.h"

namespace vxtest {

fs::path BuildInstallDir() { return VEXMOOR_TEST_INSTALL_DIR; }
fs::path BuildDir() { return VEXMOOR_TEST_BUILD_DIR; }

std::vector<fs::path> FindFiles(const fs::path& dir, const std::string& name) {
  std::vector<fs::path> found;
  std::error_code error;
  for (fs::recursive_directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
    if (it->path().filename() == name) found.push_back(it->path());
  }
  return found;
}

bool WaitForTitle(Child& game, const fs::path& scratchRoot, double seconds) {
  WaitFor([&] { return !FindFiles(scratchRoot, "temp.dat").empty() || !game.Running(); }, seconds);
  return game.Running() && !FindFiles(scratchRoot, "temp.dat").empty();
}

}  // namespace vxtest
