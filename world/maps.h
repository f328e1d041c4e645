// The module `maps`: the one level map the game plays on, and its file
// format ("DD", "MAP ", version 1.2).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

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
// sectors; TileSize 64, SpriteCount 0 (the names keep their text). When
// memory runs out it leaves an empty 0 x 0 map and throws std::bad_alloc.
void ResetMap(uint16_t width, uint16_t height);
void SetSpriteBase(uint16_t base);
// Shorthand for Map->Sectors.GetSector(x, y).
CSector* GetSector(int x, int y);

// Loads Maps/<name>.map (development mode) or its packed form into Map.
// Returns false, leaving Map as it was, when the header is not "DD" "MAP "
// 1 2. A file shorter than its header promises, with more than 256 names or
// more than MaxMapCells cells throws IoError before Map is touched and
// before anything is allocated for the planes.
bool LoadMap(const std::string& name);
// Checks the map called name where LoadMap would read it, reading only the
// first 16 bytes of the map (restored in memory from the packed file outside
// development mode; the scratch file is not touched) and its length. Returns
// false when the header is not "DD" "MAP " 1 2; throws IoError naming the
// loose or packed file when it is missing or unreadable, shorter than its
// header promises, or announces more than 256 names or more than
// MaxMapCells cells: exactly the files LoadMap would refuse. Map is left
// alone.
bool CheckMapFile(const std::string& name);
// Writes Map to ProgramDir + "maps/" + name + ".map" (lower-case folder,
// never packed). Throws IoError when the file cannot be written and
// std::invalid_argument, writing nothing, when a name is longer than 31
// characters or holds a NUL byte.
void SaveMap(const std::string& name);

// The size limits of a map file.
constexpr int MaxSpriteNames = 256;
constexpr int NameRecordSize = 32;
constexpr int MaxNameLength = NameRecordSize - 1;
constexpr int MapHeaderSize = 16;
// The most cells (width x height) a map may have: 1024 x 1024, or any other
// shape of that many cells. The shipped levels have 512; a side of 1024 cells
// takes a walking player about seven minutes. Memory and loading time grow
// with the cell count (a loaded cell costs some 50 bytes), so the limit is
// on cells rather than on a side: at most some 50 MB and a fraction of a
// second, where the format alone would allow 65535 x 65535.
constexpr uint32_t MaxMapCells = 1024 * 1024;
// The words every reader and writer uses for a map over MaxMapCells:
// "map is W x H cells, more than the 1048576 a map may have".
std::string MapSizeProblem(uint16_t width, uint16_t height);
// Throws std::invalid_argument when `name` cannot be written as a picture
// name record: longer than 31 characters, or holding a NUL.
void CheckPictureName(const std::string& name);

// A map file as plain data, without the game's Map or SpriteBase: what the
// tools read and write. Planes hold Width x Height values row by row.
struct TMapFile {
  uint16_t Width = 0;
  uint16_t Height = 0;
  int16_t TileSize = 64;
  std::vector<std::string> Names;  // at most 256
  std::vector<uint16_t> Tiles;
  std::vector<uint8_t> Content;
  std::vector<uint8_t> Reserved;
  std::vector<uint8_t> KeyCodes;
  // Set by ReadMapFile: bytes found after the key plane (never read).
  uint64_t TrailingBytes = 0;
};

// The length of a file with this header: 16 + 32N + 5WH.
uint64_t MapFileLength(uint16_t width, uint16_t height, uint16_t nameCount);

// Reads a map file. Returns false, with `map` unchanged, when the first
// eight bytes are not "DD" "MAP " 1 2. Throws IoError naming the file when it
// is shorter than eight bytes or than its header promises, or when it
// announces more than 256 names or more than MaxMapCells cells; nothing is
// allocated from the header before the limits and the length have been
// checked. A name is the text before its record's first
// NUL, or all 32 characters of a record that has none.
bool ReadMapFile(const std::string& path, TMapFile& map);

// Writes a map file through LeWriter, so it appears whole or not at all; the
// bytes after each name's NUL are zeros. Throws std::invalid_argument,
// writing nothing, when there are more than 256 names, a name is longer than
// 31 characters or holds a NUL, the map has more than MaxMapCells cells, or a
// plane's size is not Width x Height;
// IoError when the file cannot be written.
void WriteMapFile(const std::string& path, const TMapFile& map);

// Back to the start-up state: an empty 0 x 0 map, SpriteBase 0.
void ResetModule();

}  // namespace maps
