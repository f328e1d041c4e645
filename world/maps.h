// The module `maps`: the one level map the game plays on, and its file
// format ("DD", "MAP ", version 1.2).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "containers/object_array.h"

namespace maps {

// Content codes of a sector.
enum TContent : uint8_t {
  ctEmpty = 0,
  ctStart = 1,
  ctExit = 2,
  ctWall = 3,
  ctClosedDoor = 4,
  ctClosedDoor2 = 5,
  ctKeycard = 6,
  ctMedkit = 7,
  ctAmmo = 8,
  ctOpenDoor = 9,
  ctOpenDoor2 = 10,
  ctMineActive = 11,
  ctMineInactive = 12,
};

// One cell of the map.
class CSector : public Arrays::CObject {
 public:
  uint16_t Tile = 0;      // ground sprite id, 0 = none
  uint8_t Content = 0;    // TContent
  uint8_t Reserved = 0;   // kept, never interpreted
  uint8_t KeyCode = 0;    // pairs keycards and doors; low four bits count
};

// The Width x Height grid of sectors, row by row.
class CSectorArray : public Arrays::CObjectArray {
 public:
  // The sector at column x, row y. Outside the grid: one fixed sector that
  // reads as a wall and is restored to a wall at every such query, so
  // nothing written to it sticks and nothing outside the grid is touched.
  CSector* GetSector(int x, int y);
  // Stores a sector reference; ignored outside the grid.
  void SetSector(int x, int y, CSector* sector);
};

class CMap : public Arrays::CObject {
 public:
  CMap();
  // Releases the sectors and the grid.
  ~CMap() override;

  uint16_t Width = 0;
  uint16_t Height = 0;
  int16_t TileSize = 64;
  CSectorArray Sectors;
  uint16_t SpriteCount = 0;
  std::array<std::string, 256> SpriteNames;
};

// The single map, created when the module starts.
extern CMap* Map;
// Added to every nonzero tile value while a map is loaded.
extern uint16_t SpriteBase;

// Releases every sector, then makes a width x height grid of fresh zero
// sectors; TileSize 64, SpriteCount 0 (the names keep their text).
void ResetMap(uint16_t width, uint16_t height);
void SetSpriteBase(uint16_t base);
// Shorthand for Map->Sectors.GetSector(x, y).
CSector* GetSector(int x, int y);

// Loads Maps/<name>.map (development mode) or its packed form into Map.
// Returns false, leaving Map as it was, when the header is not "DD" "MAP "
// 1 2. A file shorter than its header promises, or with more than 256
// names, throws IoError before Map is touched.
bool LoadMap(const std::string& name);
// Writes Map to ProgramDir + "maps/" + name + ".map". Throws IoError.
void SaveMap(const std::string& name);

// Back to the start-up state: an empty 0 x 0 map, SpriteBase 0.
void ResetModule();

}  // namespace maps
