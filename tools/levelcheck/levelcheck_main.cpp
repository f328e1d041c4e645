// vexmoor-levelcheck: checks map files the way the game will use them.
//
//   vexmoor-levelcheck MAP...
//
// The first map stands for "level1": its name list serves every map. For
// each map that has a way through, two lines go to stdout:
//   <path>: route <moves>        (U, R, D, L: arrow keys, shortest first)
//   <path>: collects <items>     ("key 1, medkit, ammo" or "nothing")
// Every fault goes to stderr as "<path>: <fault>"; the exit status is then 1.
#include <cstdio>
#include <string>

#include "resources/binary_io.h"
#include "tools/levelcheck/level_check.h"
#include "world/maps.h"

namespace {

constexpr int ExitOk = 0;
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

// Reads and checks one map; returns whether it passed.
bool CheckFile(const std::string& path, bool first, size_t& firstNameCount) {
  maps::TMapFile map;
  try {
    if (!maps::ReadMapFile(path, map)) {
      std::fprintf(stderr, "%s: not a map file (the header is not \"DD\" \"MAP \" 1 2)\n", path.c_str());
      return false;
    }
  } catch (const resources::IoError& error) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), error.Reason().c_str());
    return false;
  }
  if (first) firstNameCount = map.Names.size();
  levelcheck::TCheck check = levelcheck::CheckMap(map, firstNameCount);
  if (map.TrailingBytes != 0) {
    check.Problems.push_back("file is " + std::to_string(map.TrailingBytes) + " bytes longer than its header says");
  }
  if (check.Route.Found) {
    std::printf("%s: route %s\n", path.c_str(), check.Route.Moves.c_str());
    std::printf("%s: collects %s\n", path.c_str(), levelcheck::CollectedText(check.Route).c_str());
  }
  for (const std::string& problem : check.Problems) std::fprintf(stderr, "%s: %s\n", path.c_str(), problem.c_str());
  return check.Problems.empty();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: vexmoor-levelcheck MAP...   (the first map is level 1)\n");
    return ExitUsage;
  }
  bool passed = true;
  size_t firstNameCount = 0;
  for (int i = 1; i < argc; ++i) passed = CheckFile(argv[i], i == 1, firstNameCount) && passed;
  std::fflush(stdout);
  return passed ? ExitOk : ExitFailure;
}
