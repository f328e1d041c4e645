#include "world/maps.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "resources/binary_io.h"
#include "resources/datafile.h"
#include "resources/startup.h"

namespace maps {

namespace {

constexpr char FileId[2] = {'D', 'D'};
constexpr char FileType[4] = {'M', 'A', 'P', ' '};
constexpr uint8_t VersionMajor = 1;
constexpr uint8_t VersionMinor = 2;
constexpr int16_t DefaultTileSize = 64;

// The one sector handed out for every query outside the grid. It is made a
// wall again at every such query, so a rule that writes to it changes
// nothing that a later query sees.
CSector OutsideSector;

CSector* WallOutside() {
  OutsideSector.Tile = 0;
  OutsideSector.Content = ctWall;
  OutsideSector.Reserved = 0;
  OutsideSector.KeyCode = 0;
  return &OutsideSector;
}

void ReleaseSectors(CMap& map) {
  for (uint16_t y = 0; y < map.Height; ++y) {
    for (uint16_t x = 0; x < map.Width; ++x) {
      delete map.Sectors.GetSector(x, y);
      map.Sectors.SetSector(x, y, nullptr);
    }
  }
}

CMap* CreateStartupMap() {
  SpriteBase = 0;
  Map = new CMap();
  ResetMap(0, 0);
  return Map;
}

// Module shutdown: releases Map when the process ends.
struct TModuleShutdown {
  ~TModuleShutdown() {
    delete Map;
    Map = nullptr;
  }
} ModuleShutdown;

std::string NameFromRecord(const char (&record)[NameRecordSize]) {
  const void* nul = std::memchr(record, 0, NameRecordSize);
  const size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - record) : NameRecordSize;
  return std::string(record, length);
}

void CheckWritable(const TMapFile& map) {
  if (map.Names.size() > MaxSpriteNames) {
    throw std::invalid_argument("a map holds at most 256 picture names, not " + std::to_string(map.Names.size()));
  }
  for (const std::string& name : map.Names) CheckPictureName(name);
  const size_t cells = static_cast<size_t>(map.Width) * map.Height;
  if (cells > MaxMapCells) throw std::invalid_argument(MapSizeProblem(map.Width, map.Height));
  if (map.Tiles.size() != cells || map.Content.size() != cells || map.Reserved.size() != cells ||
      map.KeyCodes.size() != cells) {
    throw std::invalid_argument("a plane does not hold width x height values");
  }
}

// The fixed 16-byte start of a map file.
struct TMapHeader {
  uint16_t Width = 0;
  uint16_t Height = 0;
  int16_t TileSize = 0;
  uint16_t NameCount = 0;
};

uint16_t Le16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)); }

// Reads a map file's header from its first `available` bytes (all 16 of
// them, or the whole file when it is shorter) and checks it against the
// file's length. False when the first eight bytes are not "DD" "MAP " 1 2;
// throws IoError naming `path` when the file is shorter than a header or
// than the header promises, or announces more names or cells than a map may
// have.
bool ReadMapHeader(const uint8_t* start, size_t available, uint64_t fileSize, const std::string& path,
                   TMapHeader& header) {
  if (fileSize < 8 || available < 8) throw resources::IoError(path, "file shorter than a map header");
  if (std::memcmp(start, FileId, sizeof FileId) != 0 ||
      std::memcmp(start + sizeof FileId, FileType, sizeof FileType) != 0 || start[6] != VersionMajor ||
      start[7] != VersionMinor) {
    return false;
  }
  if (fileSize < MapHeaderSize || available < MapHeaderSize) {
    throw resources::IoError(path, "file shorter than a map header");
  }
  header.Width = Le16(start + 8);
  header.Height = Le16(start + 10);
  header.TileSize = static_cast<int16_t>(Le16(start + 12));
  header.NameCount = Le16(start + 14);
  if (header.NameCount > MaxSpriteNames) {
    throw resources::IoError(path, "header announces " + std::to_string(header.NameCount) +
                                       " picture names, more than 256");
  }
  if (static_cast<uint64_t>(header.Width) * header.Height > MaxMapCells) {
    throw resources::IoError(path, MapSizeProblem(header.Width, header.Height));
  }
  const uint64_t promised = MapFileLength(header.Width, header.Height, header.NameCount);
  if (fileSize < promised) {
    throw resources::IoError(path, "file shorter than its header promises (" + std::to_string(fileSize) + " of " +
                                       std::to_string(promised) + " bytes)");
  }
  return true;
}

// Reads the map called name: the loose file in development mode, otherwise
// the scratch file restored from its packed form. A failure to read the
// scratch file is reported against the packed file, the one a player can
// find and replace (the scratch file is gone by the time the report is read).
bool ReadNamedMap(const std::string& name, TMapFile& file) {
  const std::string path = resources::ResourceFile("Maps/", name, ".map");
  try {
    return ReadMapFile(path, file);
  } catch (const resources::IoError& error) {
    if (resources::DevelopMode) throw;
    throw resources::IoError(resources::ResourcePath("Maps/", name, ".map"), error.Reason());
  }
}

}  // namespace

std::string MapSizeProblem(uint16_t width, uint16_t height) {
  return "map is " + std::to_string(width) + " x " + std::to_string(height) + " cells, more than the " +
         std::to_string(MaxMapCells) + " a map may have";
}

void CheckPictureName(const std::string& name) {
  if (name.size() > static_cast<size_t>(MaxNameLength)) {
    throw std::invalid_argument("picture name \"" + name + "\" is longer than 31 characters");
  }
  if (name.find('\0') != std::string::npos) throw std::invalid_argument("picture name holds a NUL byte");
}

CMap* Map = nullptr;
uint16_t SpriteBase = 0;

// Dynamic initialisation of this file creates the empty start-up map.
static CMap* const StartupMap = CreateStartupMap();

CSector* CSectorArray::GetSector(int x, int y) {
  if (x < 0 || y < 0 || x >= GetWidth() || y >= GetHeight()) return WallOutside();
  return static_cast<CSector*>(GetItem(static_cast<uint16_t>(x), static_cast<uint16_t>(y)));
}

void CSectorArray::SetSector(int x, int y, CSector* sector) {
  if (x < 0 || y < 0 || x >= GetWidth() || y >= GetHeight()) return;
  SetItem(static_cast<uint16_t>(x), static_cast<uint16_t>(y), sector);
}

CMap::CMap() = default;

CMap::~CMap() { ReleaseSectors(*this); }

void ResetMap(uint16_t width, uint16_t height) {
  ReleaseSectors(*Map);
  Map->TileSize = DefaultTileSize;
  Map->SpriteCount = 0;
  try {
    Map->Sectors.SetSize(width, height);
    Map->Width = width;
    Map->Height = height;
    for (uint16_t y = 0; y < height; ++y) {
      for (uint16_t x = 0; x < width; ++x) {
        CSector* sector = new CSector();
        Map->Sectors.SetSector(x, y, sector);
        sector->Tile = 0;
        sector->Content = 0;
        sector->Reserved = 0;
        sector->KeyCode = 0;
      }
    }
  } catch (const std::bad_alloc&) {
    // Out of memory part of the way: an empty map rather than one whose
    // size claims sectors it does not have.
    ReleaseSectors(*Map);
    Map->Sectors.SetSize(0, 0);
    Map->Width = 0;
    Map->Height = 0;
    throw;
  }
}

void SetSpriteBase(uint16_t base) { SpriteBase = base; }

CSector* GetSector(int x, int y) { return Map->Sectors.GetSector(x, y); }

uint64_t MapFileLength(uint16_t width, uint16_t height, uint16_t nameCount) {
  return MapHeaderSize + uint64_t{NameRecordSize} * nameCount + uint64_t{5} * width * height;
}

bool ReadMapFile(const std::string& path, TMapFile& map) {
  resources::LeReader reader(path);
  uint8_t start[MapHeaderSize];
  const size_t available = static_cast<size_t>(std::min<uint64_t>(reader.Size(), MapHeaderSize));
  reader.ReadBytes(start, available);
  TMapHeader header;
  if (!ReadMapHeader(start, available, reader.Size(), path, header)) return false;
  TMapFile read;
  read.Width = header.Width;
  read.Height = header.Height;
  read.TileSize = header.TileSize;
  const uint16_t nameCount = header.NameCount;
  read.TrailingBytes = reader.Size() - MapFileLength(header.Width, header.Height, nameCount);
  for (uint16_t i = 0; i < nameCount; ++i) {
    char record[NameRecordSize];
    reader.ReadBytes(record, sizeof record);
    read.Names.push_back(NameFromRecord(record));
  }
  const size_t cells = static_cast<size_t>(read.Width) * read.Height;
  read.Tiles.resize(cells);
  for (uint16_t& tile : read.Tiles) tile = reader.ReadU16();
  read.Content = reader.ReadVector(cells);
  read.Reserved = reader.ReadVector(cells);
  read.KeyCodes = reader.ReadVector(cells);
  map = std::move(read);
  return true;
}

void WriteMapFile(const std::string& path, const TMapFile& map) {
  CheckWritable(map);
  resources::LeWriter writer(path);
  writer.WriteBytes(FileId, sizeof FileId);
  writer.WriteBytes(FileType, sizeof FileType);
  writer.WriteU8(VersionMajor);
  writer.WriteU8(VersionMinor);
  writer.WriteU16(map.Width);
  writer.WriteU16(map.Height);
  writer.WriteU16(static_cast<uint16_t>(map.TileSize));
  writer.WriteU16(static_cast<uint16_t>(map.Names.size()));
  for (const std::string& name : map.Names) {
    char record[NameRecordSize] = {};
    std::memcpy(record, name.data(), name.size());
    writer.WriteBytes(record, sizeof record);
  }
  for (uint16_t tile : map.Tiles) writer.WriteU16(tile);
  writer.WriteBytes(map.Content);
  writer.WriteBytes(map.Reserved);
  writer.WriteBytes(map.KeyCodes);
  writer.Commit();
}

bool CheckMapFile(const std::string& name) {
  const std::string path = resources::ResourcePath("Maps/", name, ".map");
  std::vector<uint8_t> start;
  uint64_t size = 0;
  if (resources::DevelopMode) {
    resources::LeReader reader(path);
    size = reader.Size();
    start = reader.ReadVector(std::min<uint64_t>(size, MapHeaderSize));
  } else {
    // The header alone is restored, in memory: the scratch file is not needed.
    start = resources::ReadPackedStart(path, MapHeaderSize, size);
  }
  TMapHeader header;
  return ReadMapHeader(start.data(), start.size(), size, path, header);
}

bool LoadMap(const std::string& name) {
  TMapFile file;
  if (!ReadNamedMap(name, file)) return false;
  ResetMap(file.Width, file.Height);
  Map->SpriteCount = static_cast<uint16_t>(file.Names.size());
  for (size_t i = 0; i < file.Names.size(); ++i) Map->SpriteNames[i] = file.Names[i];
  size_t cell = 0;
  for (uint16_t y = 0; y < file.Height; ++y) {
    for (uint16_t x = 0; x < file.Width; ++x, ++cell) {
      CSector* sector = Map->Sectors.GetSector(x, y);
      const uint16_t tile = file.Tiles[cell];
      sector->Tile = tile == 0 ? 0 : static_cast<uint16_t>(tile + SpriteBase);
      sector->Content = file.Content[cell];
      sector->Reserved = file.Reserved[cell];
      sector->KeyCode = file.KeyCodes[cell];
    }
  }
  return true;
}

void SaveMap(const std::string& name) {
  TMapFile file;
  file.Width = Map->Width;
  file.Height = Map->Height;
  file.TileSize = Map->TileSize;
  if (Map->SpriteCount > MaxSpriteNames) throw std::invalid_argument("SpriteCount above 256");
  file.Names.assign(Map->SpriteNames.begin(), Map->SpriteNames.begin() + Map->SpriteCount);
  for (uint16_t y = 0; y < Map->Height; ++y) {
    for (uint16_t x = 0; x < Map->Width; ++x) {
      const CSector* sector = Map->Sectors.GetSector(x, y);
      file.Tiles.push_back(sector->Tile);
      file.Content.push_back(sector->Content);
      file.Reserved.push_back(sector->Reserved);
      file.KeyCodes.push_back(sector->KeyCode);
    }
  }
  WriteMapFile(resources::ProgramDir + "maps/" + name + ".map", file);
}

void ResetModule() {
  delete Map;
  Map = nullptr;
  CreateStartupMap();
}

}  // namespace maps
