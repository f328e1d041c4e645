// The level text compiler: ParseLevel on any text; a level that compiles
// must format back to a text that compiles to the same map, and must write
// and read back as the same map file (the compile path of vexmoor-mapc).
#include <stdexcept>
#include <string>

#include "resources/binary_io.h"
#include "tests/fuzz/fuzz_support.h"
#include "tools/mapc/level_text.h"
#include "world/maps.h"

namespace {

void CheckPlanes(const maps::TMapFile& map) {
  const size_t cells = static_cast<size_t>(map.Width) * map.Height;
  if (cells > maps::MaxMapCells) fuzz::Broken("a level above the cell limit compiled");
  if (map.Tiles.size() != cells || map.Content.size() != cells || map.Reserved.size() != cells ||
      map.KeyCodes.size() != cells) {
    fuzz::Broken("a plane is not width x height");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  maps::TMapFile map;
  try {
    map = leveltext::ParseLevel(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const leveltext::ParseError& error) {
    if (error.Line() < 1 || error.Column() < 1) fuzz::Broken(std::string("fault without a place: ") + error.what());
    return 0;
  }
  CheckPlanes(map);
  const std::string text = leveltext::FormatLevel(map);
  maps::TMapFile again;
  try {
    again = leveltext::ParseLevel(text);
  } catch (const leveltext::ParseError& error) {
    fuzz::Broken(std::string("a formatted level does not compile: ") + error.what() + "\n" + text);
  }
  if (!fuzz::SameMap(map, again)) fuzz::Broken("a formatted level compiles to another map:\n" + text);
  if (leveltext::FormatLevel(again) != text) fuzz::Broken("formatting is not stable");

  const std::string path = fuzz::WorkDir() + "level.map";
  maps::WriteMapFile(path, map);
  maps::TMapFile read;
  if (!maps::ReadMapFile(path, read) || !fuzz::SameMap(map, read)) {
    fuzz::Broken("the written map reads back differently");
  }
  return 0;
}
