#include "tests/game/test_levels.h"

#include <fstream>

#include "tests/game/test_paths.h"

namespace vxtest {

std::string MakeLevelInstall(const fs::path& installDir, const std::map<std::string, std::string>& levels) {
  const fs::path sources = installDir / "level-sources";
  const fs::path maps = sources / "packed";
  fs::create_directories(sources);
  fs::create_directories(maps);
  for (const auto& [name, text] : levels) {
    const fs::path source = sources / (name + ".txt");
    const fs::path compiled = sources / (name + ".map");
    std::ofstream(source) << text;
    TProcessResult result = RunProgram({std::string(BinDir) + "/vexmoor-mapc", "compile", source, compiled}, sources);
    if (!result.exited || result.status != 0) return "vexmoor-mapc: " + result.err;
    result = RunProgram({std::string(BinDir) + "/vexmoor-pack", "pack", compiled, maps.string() + "/"}, sources);
    if (!result.exited || result.status != 0) return "vexmoor-pack: " + result.err;
  }
  // Every level must be there to start: the ones not given are the shipped ones.
  for (int level = 1; level <= 4; ++level) {
    const std::string name = "level" + std::to_string(level);
    if (levels.count(name) == 0) fs::copy_file(fs::path(InstallDir) / "Maps" / (name + ".dat"), maps / (name + ".dat"));
  }
  TInstallCopy how;
  how.mapsFrom = maps;
  MakeInstallCopy(installDir, how);
  return "";
}

}  // namespace vxtest
