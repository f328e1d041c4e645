#include "tests/game/support.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tests/game/test_paths.h"

extern char** environ;

namespace vxtest {

void MakeInstallCopy(const fs::path& target, const TInstallCopy& how) {
  const fs::path shipped = InstallDir;
  for (const std::string& folder : ResourceFolders()) {
    fs::path from = shipped / folder;
    if (folder == "Maps" && !how.mapsFrom.empty()) from = how.mapsFrom;
    bool copied = folder == "Maps" && !how.mapsFrom.empty();
    for (const std::string& name : how.copiedFolders) copied = copied || name == folder;
    if (copied)
      fs::copy(from, target / folder, fs::copy_options::recursive);
    else
      fs::create_directory_symlink(from, target / folder);
  }
  if (fs::exists(shipped / "vexmoor.bmp")) fs::copy_file(shipped / "vexmoor.bmp", target / "vexmoor.bmp");
  if (how.programs) {
    for (const char* program : {"vexmoor", "vexmoor-sw"}) fs::copy_file(shipped / program, target / program);
  }
}

std::vector<std::string> ScratchFiles(const fs::path& installDir) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(installDir / "Data", error))
    names.push_back(entry.path().filename().string());
  return names;
}

std::vector<std::string> DummyDrivers() { return {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"}; }

}  // namespace vxtest
