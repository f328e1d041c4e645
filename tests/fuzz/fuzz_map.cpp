// The map reader as the game uses it: LoadMap on a loose map file in
// development mode, then, for a map that loaded, SaveMap and a read of what
// it wrote.
#include <filesystem>
#include <stdexcept>

#include "resources/binary_io.h"
#include "resources/startup.h"
#include "tests/fuzz/fuzz_support.h"
#include "world/maps.h"

namespace {

struct TSnapshot {
  uint16_t Width, Height, SpriteCount;
  std::string FirstName;
};

TSnapshot Snapshot() { return {maps::Map->Width, maps::Map->Height, maps::Map->SpriteCount, maps::Map->SpriteNames[0]}; }

bool Same(const TSnapshot& a, const TSnapshot& b) {
  return a.Width == b.Width && a.Height == b.Height && a.SpriteCount == b.SpriteCount && a.FirstName == b.FirstName;
}

// Every cell of a loaded map is its own sector.
void CheckGrid() {
  const maps::CMap& map = *maps::Map;
  if (map.Sectors.GetWidth() != map.Width || map.Sectors.GetHeight() != map.Height) fuzz::Broken("grid size");
  if (uint32_t{map.Width} * map.Height > maps::MaxMapCells) fuzz::Broken("a map above the cell limit loaded");
  if (map.SpriteCount > maps::MaxSpriteNames) fuzz::Broken("more than 256 names");
  for (uint16_t y = 0; y < map.Height; ++y) {
    for (uint16_t x = 0; x < map.Width; ++x) {
      if (map.Sectors.GetItem(x, y) == nullptr) fuzz::Broken("a cell without a sector");
    }
  }
}

// SaveMap writes what LoadMap read (with SpriteBase 0), names cut at their
// NUL; the tile size is not loaded, so it is written as ResetMap's 64.
void CheckSaved(const maps::TMapFile& read) {
  try {
    maps::SaveMap("fuzz");
  } catch (const std::invalid_argument&) {
    return;  // a 32-character name, which a map file can hold but not be given
  }
  maps::TMapFile saved;
  if (!maps::ReadMapFile(resources::ProgramDir + "maps/fuzz.map", saved)) fuzz::Broken("SaveMap wrote no map");
  // The tile size is not loaded into the game's map, so it saves as 64.
  maps::TMapFile expected = read;
  expected.TileSize = 64;
  if (!fuzz::SameMap(saved, expected) || saved.TrailingBytes != 0) {
    fuzz::Broken("SaveMap did not write back what LoadMap read");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  resources::ProgramDir = fuzz::WorkDir();
  resources::DevelopMode = true;
  std::filesystem::create_directories(resources::ProgramDir + "Maps");
  std::filesystem::create_directories(resources::ProgramDir + "maps");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = resources::ProgramDir + "Maps/fuzz.map";
  fuzz::WriteFile(path, data, size);
  maps::SetSpriteBase(0);
  const TSnapshot before = Snapshot();
  bool loaded = false;
  try {
    loaded = maps::LoadMap("fuzz");
  } catch (const resources::IoError&) {
  }
  if (!loaded) {
    if (!Same(before, Snapshot())) fuzz::Broken("a refused map changed Map");
    return 0;
  }
  CheckGrid();
  maps::TMapFile read;
  if (!maps::ReadMapFile(path, read)) fuzz::Broken("ReadMapFile refused what LoadMap took");
  CheckSaved(read);
  return 0;
}
