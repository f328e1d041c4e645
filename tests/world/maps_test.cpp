#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "resources/binary_io.h"
#include "resources/datafile.h"
#include "resources/startup.h"
#include "tests/support/temp_dir.h"
#include "world/maps.h"

using namespace maps;
using vxtest::ReadFile;
using vxtest::TempDir;
using vxtest::WriteFile;

namespace {

// A map file built byte by byte, independently of the module's writer.
struct TRawMap {
  std::vector<uint8_t> Header = {'D', 'D', 'M', 'A', 'P', ' ', 1, 2};
  uint16_t Width = 0;
  uint16_t Height = 0;
  uint16_t TileSize = 64;
  std::vector<std::vector<uint8_t>> NameRecords;  // 32 bytes each
  std::vector<uint16_t> Tiles;
  std::vector<uint8_t> Content, Reserved, Keys;

  void AddName(const std::string& name, uint8_t fill = 0) {
    std::vector<uint8_t> record(NameRecordSize, fill);
    std::copy(name.begin(), name.end(), record.begin());
    if (name.size() < record.size()) record[name.size()] = 0;
    NameRecords.push_back(record);
  }
  static void Put16(std::vector<uint8_t>& bytes, uint16_t value) {
    bytes.push_back(static_cast<uint8_t>(value));
    bytes.push_back(static_cast<uint8_t>(value >> 8));
  }
  std::vector<uint8_t> Bytes(uint16_t nameCount) const {
    std::vector<uint8_t> bytes = Header;
    Put16(bytes, Width);
    Put16(bytes, Height);
    Put16(bytes, TileSize);
    Put16(bytes, nameCount);
    for (const auto& record : NameRecords) bytes.insert(bytes.end(), record.begin(), record.end());
    for (uint16_t tile : Tiles) Put16(bytes, tile);
    for (const auto* plane : {&Content, &Reserved, &Keys}) bytes.insert(bytes.end(), plane->begin(), plane->end());
    return bytes;
  }
  std::vector<uint8_t> Bytes() const { return Bytes(static_cast<uint16_t>(NameRecords.size())); }
};

// A 3 x 2 map with two names and distinct values in every plane.
TRawMap SmallMap() {
  TRawMap map;
  map.Width = 3;
  map.Height = 2;
  map.AddName("grass");
  map.AddName("wall");
  map.Tiles = {1, 2, 0, 3, 1, 65535};
  map.Content = {ctStart, ctWall, ctKeycard, ctClosedDoor, ctExit, 13};
  map.Reserved = {0, 7, 0, 0, 9, 0};
  map.Keys = {0, 0, 17, 1, 0, 255};
  return map;
}

class MapsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModule();
    resources::ProgramDir = dir.Slash();
    resources::DevelopMode = true;
    std::filesystem::create_directory(dir / "Maps");
    std::filesystem::create_directory(dir / "maps");
  }
  void TearDown() override {
    resources::ProgramDir.clear();
    resources::DevelopMode = false;
    ResetModule();
  }
  void WriteMap(const std::string& name, const std::vector<uint8_t>& bytes) {
    WriteFile(dir / ("Maps/" + name + ".map"), bytes);
  }
  // Loads SmallMap as "small" with SpriteBase 0.
  void LoadSmall() {
    WriteMap("small", SmallMap().Bytes());
    ASSERT_TRUE(LoadMap("small"));
  }
  void ExpectSmallLoaded() {
    ASSERT_EQ(Map->Width, 3);
    ASSERT_EQ(Map->Height, 2);
    EXPECT_EQ(Map->SpriteCount, 2);
    EXPECT_EQ(Map->SpriteNames[0], "grass");
    EXPECT_EQ(Map->SpriteNames[1], "wall");
    EXPECT_EQ(GetSector(2, 0)->Content, ctKeycard);
    EXPECT_EQ(GetSector(2, 0)->KeyCode, 17);
    EXPECT_EQ(GetSector(1, 1)->Reserved, 9);
  }
  TempDir dir;
};

}  // namespace

TEST_F(MapsTest, StartsEmpty) {
  EXPECT_EQ(Map->Width, 0);
  EXPECT_EQ(Map->Height, 0);
  EXPECT_EQ(Map->SpriteCount, 0);
  EXPECT_EQ(Map->TileSize, 64);
  EXPECT_EQ(SpriteBase, 0);
}

TEST_F(MapsTest, ResetMapMakesFreshZeroSectorsAndKeepsNameText) {
  LoadSmall();
  Map->TileSize = 12;
  ResetMap(3, 2);
  EXPECT_EQ(Map->TileSize, 64);
  EXPECT_EQ(Map->SpriteCount, 0);
  EXPECT_EQ(Map->SpriteNames[1], "wall");
  std::set<CSector*> sectors;
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      CSector* sector = GetSector(x, y);
      ASSERT_NE(sector, nullptr);
      sectors.insert(sector);
      EXPECT_EQ(sector->Tile, 0);
      EXPECT_EQ(sector->Content, 0);
      EXPECT_EQ(sector->Reserved, 0);
      EXPECT_EQ(sector->KeyCode, 0);
    }
  }
  EXPECT_EQ(sectors.size(), 6u);
}

TEST_F(MapsTest, QueriesOutsideTheGridGiveAWallThatNothingSticksTo) {
  ResetMap(4, 3);
  GetSector(0, 0)->Content = ctMedkit;
  const int outside[][2] = {{-1, 0}, {0, -1}, {4, 0}, {0, 3}, {4, 3}, {-5, -7}, {INT_MIN, 1}, {1, INT_MAX}, {65536, 0}};
  for (const auto& cell : outside) {
    CSector* sector = GetSector(cell[0], cell[1]);
    ASSERT_NE(sector, nullptr);
    EXPECT_EQ(sector->Content, ctWall) << cell[0] << "," << cell[1];
    sector->Content = ctEmpty;
    sector->KeyCode = 3;
    sector->Tile = 99;
  }
  const CSector* again = GetSector(-1, -1);
  EXPECT_EQ(again->Content, ctWall);
  EXPECT_EQ(again->KeyCode, 0);
  EXPECT_EQ(again->Tile, 0);
  EXPECT_EQ(GetSector(0, 0)->Content, ctMedkit);
  Map->Sectors.SetSector(-1, 0, nullptr);  // ignored
  Map->Sectors.SetSector(4, 0, nullptr);
  EXPECT_EQ(GetSector(3, 0)->Content, ctEmpty);

  ResetModule();
  EXPECT_EQ(GetSector(0, 0)->Content, ctWall);  // a 0 x 0 map has no inside
}

TEST_F(MapsTest, LoadReadsEveryPlaneAndShiftsTilesBySpriteBase) {
  SetSpriteBase(44);
  LoadSmall();
  ExpectSmallLoaded();
  const uint16_t expected[] = {45, 46, 0, 47, 45, 43};  // 65535 + 44 wraps to 43
  for (int i = 0; i < 6; ++i) EXPECT_EQ(GetSector(i % 3, i / 3)->Tile, expected[i]) << i;
  EXPECT_EQ(GetSector(2, 1)->Content, 13);
  EXPECT_EQ(GetSector(2, 1)->KeyCode, 255);
}

TEST_F(MapsTest, RejectedHeadersLeaveThePreviousMap) {
  const std::vector<std::vector<uint8_t>> headers = {
      {'D', 'D', 'M', 'A', 'P', ' ', 1, 3}, {'D', 'D', 'M', 'A', 'P', 0, 1, 2}, {'D', 'D', 'm', 'a', 'p', ' ', 1, 2},
      {'D', 'X', 'M', 'A', 'P', ' ', 1, 2}, {'D', 'D', 'M', 'A', 'P', ' ', 2, 2},
  };
  LoadSmall();
  for (const auto& header : headers) {
    TRawMap other = SmallMap();
    other.Header = header;
    other.Width = 1;
    other.Height = 1;
    other.Tiles = {1};
    other.Content = other.Reserved = other.Keys = {0};
    other.NameRecords.clear();
    other.AddName("other");
    WriteMap("bad", other.Bytes());
    EXPECT_FALSE(LoadMap("bad"));
    ExpectSmallLoaded();
  }
}

TEST_F(MapsTest, EmptyGridsLoad) {
  for (const auto& size : {std::pair<uint16_t, uint16_t>{0, 5}, {5, 0}, {0, 0}}) {
    TRawMap map;
    map.Width = size.first;
    map.Height = size.second;
    map.AddName("grass");
    WriteMap("empty", map.Bytes());
    ASSERT_TRUE(LoadMap("empty"));
    EXPECT_EQ(Map->Width, size.first);
    EXPECT_EQ(Map->Height, size.second);
    EXPECT_EQ(Map->SpriteCount, 1);
    EXPECT_EQ(GetSector(0, 0)->Content, ctWall);
  }
}

TEST_F(MapsTest, NameRecords) {
  TRawMap map;
  map.AddName("grass", 'z');                                    // NUL, then junk
  map.AddName(std::string(32, 'q'));                            // no NUL at all
  map.AddName("");                                              // empty
  WriteMap("names", map.Bytes());
  ASSERT_TRUE(LoadMap("names"));
  EXPECT_EQ(Map->SpriteNames[0], "grass");
  EXPECT_EQ(Map->SpriteNames[1], std::string(32, 'q'));
  EXPECT_EQ(Map->SpriteNames[2], "");
}

TEST_F(MapsTest, ShortFilesAndOverlargeHeadersThrowBeforeTouchingTheMap) {
  LoadSmall();
  const std::vector<uint8_t> whole = SmallMap().Bytes();
  for (size_t length : {size_t{0}, size_t{5}, size_t{8}, size_t{15}, size_t{16}, size_t{80}, whole.size() - 1}) {
    WriteMap("short", std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<long>(length)));
    try {
      LoadMap("short");
      ADD_FAILURE() << "length " << length << " loaded";
    } catch (const resources::IoError& error) {
      EXPECT_EQ(error.Path(), dir / "Maps/short.map");
    }
    ExpectSmallLoaded();
  }
  struct TPromise {
    uint16_t Width, Height, Names;
  };
  for (const TPromise& promise : {TPromise{65535, 65535, 0}, TPromise{3, 2, 3}, TPromise{3, 2, 257},
                                  TPromise{3, 2, 65535}}) {
    TRawMap map = SmallMap();
    map.Width = promise.Width;
    map.Height = promise.Height;
    WriteMap("liar", map.Bytes(promise.Names));
    EXPECT_THROW(LoadMap("liar"), resources::IoError) << promise.Width << "x" << promise.Height;
    ExpectSmallLoaded();
  }
  EXPECT_THROW(LoadMap("missing"), resources::IoError);
}

TEST_F(MapsTest, SaveWritesTheLayoutByteForByte) {
  LoadSmall();
  SaveMap("copy");
  EXPECT_EQ(ReadFile(dir / "maps/copy.map"), SmallMap().Bytes());

  // N = 2, W = 20, H = 15: 16 + 64 + 1500 bytes; and it loads back as saved.
  ResetMap(20, 15);
  Map->SpriteCount = 2;
  for (int i = 0; i < 300; ++i) {
    CSector* sector = GetSector(i % 20, i / 20);
    sector->Tile = static_cast<uint16_t>(i * 7);
    sector->Content = static_cast<uint8_t>(i % 13);
    sector->Reserved = static_cast<uint8_t>(i);
    sector->KeyCode = static_cast<uint8_t>(i * 3);
  }
  SaveMap("big");
  EXPECT_EQ(std::filesystem::file_size(dir / "maps/big.map"), 1580u);
  EXPECT_EQ(MapFileLength(20, 15, 2), 1580u);
  std::filesystem::rename(dir / "maps/big.map", dir / "Maps/big.map");
  ResetMap(1, 1);
  ASSERT_TRUE(LoadMap("big"));
  ASSERT_EQ(Map->Width, 20);
  EXPECT_EQ(Map->SpriteNames[1], "wall");
  for (int i = 0; i < 300; ++i) {
    const CSector* sector = GetSector(i % 20, i / 20);
    ASSERT_EQ(sector->Tile, static_cast<uint16_t>(i * 7));
    ASSERT_EQ(sector->Content, i % 13);
    ASSERT_EQ(sector->Reserved, static_cast<uint8_t>(i));
    ASSERT_EQ(sector->KeyCode, static_cast<uint8_t>(i * 3));
  }
}

TEST_F(MapsTest, SaveZeroesAfterTheNulAndRefusesLongNames) {
  TRawMap junk = SmallMap();
  junk.NameRecords.clear();
  junk.AddName("grass", 'z');
  junk.AddName("wall", 0xFF);
  WriteMap("junk", junk.Bytes());
  ASSERT_TRUE(LoadMap("junk"));
  SaveMap("clean");
  EXPECT_EQ(ReadFile(dir / "maps/clean.map"), SmallMap().Bytes());

  Map->SpriteNames[1] = std::string(32, 'n');
  EXPECT_THROW(SaveMap("long"), std::invalid_argument);
  EXPECT_FALSE(std::filesystem::exists(dir / "maps/long.map"));
  Map->SpriteNames[1] = std::string(31, 'n');
  EXPECT_NO_THROW(SaveMap("long"));
}

TEST_F(MapsTest, PackedMapsLoadThroughTheScratchFile) {
  WriteFile(dir / "level9.map", SmallMap().Bytes());
  resources::PackDataFile(dir / "level9.map", dir / "Maps/");
  resources::DevelopMode = false;
  ASSERT_TRUE(LoadMap("level9"));
  ExpectSmallLoaded();
  EXPECT_EQ(ReadFile(resources::ScratchFilePath()), SmallMap().Bytes());
  EXPECT_THROW(LoadMap("nowhere"), resources::IoError);
}

TEST_F(MapsTest, APackedMapThatCannotBeReadIsNamedByItsPackedFile) {
  std::vector<uint8_t> bytes = SmallMap().Bytes();
  bytes.pop_back();
  WriteFile(dir / "short.map", bytes);
  resources::PackDataFile(dir / "short.map", dir / "Maps/");
  resources::DevelopMode = false;
  try {
    LoadMap("short");
    ADD_FAILURE() << "a short map loaded";
  } catch (const resources::IoError& error) {
    EXPECT_EQ(error.Path(), dir / "Maps/short.dat");
    EXPECT_NE(error.Reason().find("shorter than its header promises"), std::string::npos) << error.Reason();
  }
}

TEST_F(MapsTest, MapsAboveTheCellLimitAreRefusedBeforeAnythingIsAllocated) {
  LoadSmall();
  struct TSize {
    uint16_t Width, Height;
  };
  // Each file is as long as its header promises (sparse on disk), so only
  // the limit stands between it and gigabytes of planes and sectors.
  for (const TSize size : {TSize{65535, 65535}, TSize{1025, 1024}, TSize{65535, 17}}) {
    TRawMap map;
    map.Width = size.Width;
    map.Height = size.Height;
    map.AddName("grass");
    WriteMap("huge", map.Bytes());
    std::filesystem::resize_file(dir / "Maps/huge.map", MapFileLength(size.Width, size.Height, 1));
    try {
      LoadMap("huge");
      ADD_FAILURE() << size.Width << " x " << size.Height << " loaded";
    } catch (const resources::IoError& error) {
      EXPECT_EQ(error.Path(), dir / "Maps/huge.map");
      EXPECT_EQ(error.Reason(), "map is " + std::to_string(size.Width) + " x " + std::to_string(size.Height) +
                                    " cells, more than the 1048576 a map may have");
    }
    ExpectSmallLoaded();
  }
}

TEST_F(MapsTest, AMapOfExactlyTheCellLimitReads) {
  TRawMap map;
  map.Width = 4096;
  map.Height = 256;
  WriteMap("limit", map.Bytes());
  std::filesystem::resize_file(dir / "Maps/limit.map", MapFileLength(4096, 256, 0));
  TMapFile read;
  ASSERT_TRUE(ReadMapFile(dir / "Maps/limit.map", read));
  EXPECT_EQ(read.Tiles.size(), MaxMapCells);
  EXPECT_EQ(read.KeyCodes.size(), MaxMapCells);
}

TEST_F(MapsTest, WritingRefusesMapsAboveTheCellLimit) {
  TMapFile map;
  map.Width = 2048;
  map.Height = 513;
  const size_t cells = size_t{2048} * 513;
  map.Tiles.assign(cells, 0);
  map.Content = map.Reserved = map.KeyCodes = std::vector<uint8_t>(cells, 0);
  EXPECT_THROW(WriteMapFile(dir / "maps/big.map", map), std::invalid_argument);
  EXPECT_FALSE(std::filesystem::exists(dir / "maps/big.map"));
}

namespace {

void* NoMemory(void*, size_t) { return nullptr; }

}  // namespace

TEST_F(MapsTest, ResetMapOutOfMemoryLeavesAnEmptyMap) {
  LoadSmall();
  Arrays::SetReallocFunction(&NoMemory);
  EXPECT_THROW(ResetMap(40, 30), std::bad_alloc);
  Arrays::SetReallocFunction(nullptr);
  EXPECT_EQ(Map->Width, 0);
  EXPECT_EQ(Map->Height, 0);
  EXPECT_EQ(GetSector(0, 0)->Content, ctWall);
  ResetMap(2, 2);
  EXPECT_EQ(GetSector(1, 1)->Content, ctEmpty);
}

// The start-up check must refuse exactly what loading the level would
// refuse, in the same words, without unpacking anything.
TEST_F(MapsTest, TheHeaderCheckRefusesWhatLoadingRefusesAndUnpacksNothing) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;  // empty with `missing`
    bool missing = false;
  };
  std::vector<uint8_t> wrongVersion = SmallMap().Bytes();
  wrongVersion[7] = 3;
  std::vector<uint8_t> truncated = SmallMap().Bytes();
  truncated.pop_back();
  std::vector<uint8_t> longer = SmallMap().Bytes();
  longer.push_back(0xEE);  // bytes after the key plane are never read
  TRawMap oversized;
  oversized.Width = 2048;
  oversized.Height = 1024;
  std::vector<uint8_t> tooManyNames = SmallMap().Bytes(257);
  std::vector<uint8_t> cutShort = SmallMap().Bytes();
  cutShort.resize(12);
  const Case cases[] = {
      {"sound", SmallMap().Bytes()},
      {"trailing bytes", longer},
      {"empty map", TRawMap().Bytes()},
      {"wrong version", wrongVersion},
      {"seven bytes", {'D', 'D', 'M', 'A', 'P', ' ', 1}},
      {"header cut short", cutShort},
      {"one byte short", truncated},
      {"more cells than a map may have", oversized.Bytes()},
      {"257 names", tooManyNames},
      {"empty file", {}},
      {"missing", {}, true},
  };
  for (const bool develop : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (develop ? ", loose" : ", packed"));
      resources::DevelopMode = true;
      std::filesystem::remove_all(dir / "Maps");
      std::filesystem::create_directory(dir / "Maps");
      if (!c.missing) {
        WriteFile(dir / "case.map", c.bytes);
        if (develop) {
          std::filesystem::rename(dir / "case.map", dir / "Maps/case.map");
        } else {
          resources::PackDataFile(dir / "case.map", dir / "Maps/");
        }
      }
      resources::DevelopMode = develop;
      auto outcome = [](const std::function<bool()>& read) -> std::string {
        try {
          return read() ? "read" : "not a map";
        } catch (const resources::IoError& error) {
          return error.Path() + ": " + error.Reason();
        }
      };
      const std::string checked = outcome([] { return CheckMapFile("case"); });
      EXPECT_FALSE(std::filesystem::exists(dir / "Data")) << "the check unpacked";
      const std::string loaded = outcome([] { return LoadMap("case"); });
      EXPECT_EQ(checked, loaded);
      EXPECT_EQ(checked == "read", std::string(c.name) == "sound" || std::string(c.name) == "trailing bytes" ||
                                       std::string(c.name) == "empty map");
      resources::RemoveScratchFiles();
      std::filesystem::remove_all(dir / "Data");
    }
  }
}
