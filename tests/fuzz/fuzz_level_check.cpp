// The level tools on an arbitrary map file: the reader, the checker with its
// route search (vexmoor-levelcheck), and the text form of vexmoor-mapc
// decompile, which must compile back to the same map.
#include <stdexcept>
#include <string>

#include "resources/binary_io.h"
#include "tests/fuzz/fuzz_support.h"
#include "tools/levelcheck/level_check.h"
#include "tools/mapc/level_text.h"
#include "world/maps.h"

namespace {

// A found route walks from the start through enterable cells to an exit.
void CheckRoute(const maps::TMapFile& map, const levelcheck::TCheck& check) {
  if (!check.Route.Found) return;
  int x = -1, y = -1;
  for (size_t cell = 0; cell < map.Content.size(); ++cell) {
    if (map.Content[cell] == maps::ctStart) {
      x = static_cast<int>(cell % map.Width);
      y = static_cast<int>(cell / map.Width);
      break;
    }
  }
  if (x < 0) fuzz::Broken("a route without a start");
  for (char move : check.Route.Moves) {
    x += move == 'R' ? 1 : move == 'L' ? -1 : 0;
    y += move == 'D' ? 1 : move == 'U' ? -1 : 0;
    if (x < 0 || y < 0 || x >= map.Width || y >= map.Height) fuzz::Broken("a route leaves the map");
    const uint8_t content = map.Content[static_cast<size_t>(y) * map.Width + x];
    if (content == maps::ctWall || content == maps::ctMineActive) fuzz::Broken("a route through a wall or mine");
  }
  if (map.Content[static_cast<size_t>(y) * map.Width + x] != maps::ctExit) fuzz::Broken("a route not ending on an exit");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::WorkDir() + "check.map";
  fuzz::WriteFile(path, data, size);
  maps::TMapFile map;
  try {
    if (!maps::ReadMapFile(path, map)) return 0;
  } catch (const resources::IoError&) {
    return 0;
  }
  const levelcheck::TCheck check = levelcheck::CheckMap(map, map.Names.size());
  CheckRoute(map, check);
  levelcheck::CollectedText(check.Route);

  std::string text;
  try {
    text = leveltext::FormatLevel(map);
  } catch (const std::invalid_argument&) {
    // Only a 32-character name record has no text form.
    for (const std::string& name : map.Names) {
      if (name.size() > static_cast<size_t>(maps::MaxNameLength)) return 0;
    }
    fuzz::Broken("a map without long names has no text form");
  }
  maps::TMapFile again;
  try {
    again = leveltext::ParseLevel(text);
  } catch (const leveltext::ParseError& error) {
    fuzz::Broken(std::string("a decompiled map does not compile: ") + error.what());
  }
  if (!fuzz::SameMap(map, again)) fuzz::Broken("a decompiled map compiles to another map");
  return 0;
}
