// The game against damaged and hostile files: the real second program,
// headless, from a private installation with one file replaced. Each case
// must end with one line on stderr, a non-zero status, no signal, no
// sanitizer report, and nothing left behind.
#include <gtest/gtest.h>

#include <functional>

#include "resources/datafile.h"
#include "tests/game/support.h"
#include "tests/engine/test_media.h"
#include "tests/game/test_paths.h"

namespace vxtest {
namespace {

constexpr double LoadSeconds = 90;
using TBytes = std::vector<uint8_t>;

// The packed form of `loose` as the game's packer writes it.
TBytes Packed(const TBytes& loose, const std::string& extension) {
  TempDir work;
  const fs::path source = work.Path() / ("x." + extension);
  WriteFile(source, loose);
  resources::PackDataFile(source, work.Slash());
  return ReadFile(work.Path() / "x.dat");
}

void Put16(TBytes& bytes, uint16_t value) { testmedia::PutLe(bytes, value, 2); }

// A map file header ("DD" "MAP " 1 2, W, H, tile size 64, N) with N name
// records and, when asked, the planes of W x H cells.
TBytes MapFile(uint16_t width, uint16_t height, uint16_t names, bool planes) {
  TBytes bytes = {'D', 'D', 'M', 'A', 'P', ' ', 1, 2};
  Put16(bytes, width);
  Put16(bytes, height);
  Put16(bytes, 64);
  Put16(bytes, names);
  for (uint16_t i = 0; i < names; ++i) {
    TBytes record(32, 0);
    record[0] = 'n';
    bytes.insert(bytes.end(), record.begin(), record.end());
  }
  if (planes) bytes.resize(bytes.size() + size_t{5} * width * height, 0);
  return bytes;
}

fs::path Shipped(const std::string& file) { return fs::path(InstallDir) / file; }

// A 2 x 2 24-bit picture: a loadable image, too short to hold a glyph table.
TBytes TinyBmp() { return testmedia::Bmp24(testmedia::TPicture(2, 2, {0x80, 0x80, 0x80})); }

TBytes Corrupted(TBytes packed) {
  // The body's first bytes: the picture's own header.
  for (size_t i = 12; i < 28 && i < packed.size(); ++i) packed[i] ^= 0xFF;
  return packed;
}

const char* const FontFile = "Fonts/courier new 10.dat";

struct THostileCase {
  const char* name;
  // The installation file replaced (relative to it).
  std::string file;
  // Puts the hostile file in place.
  std::function<void(const fs::path& target)> make;
  // What the one line must say besides the file.
  std::string says;
  bool develop = false;
  // Files the case itself put into Data/, which stay.
  std::vector<std::string> ownDataFiles = {};
};

// gtest names a case by its name instead of dumping its bytes.
void PrintTo(const THostileCase& c, std::ostream* out) { *out << c.name; }

void PutPacked(const fs::path& target, const TBytes& loose, const std::string& extension) {
  WriteFile(target, Packed(loose, extension));
}

std::vector<THostileCase> Cases() {
  const uint64_t sparseLoose = 16 + uint64_t{5} * 65535 * 65535;  // 21 GB, all of it a hole
  return {
      {"TruncatedMap", "Maps/level1.dat",
       [](const fs::path& t) {
         TBytes map = ReadFile(Shipped("Maps/level1.map"));
         map.resize(map.size() / 2);
         PutPacked(t, map, "map");
       },
       "shorter than its header promises"},
      {"OversizedMapHeader", "Maps/level1.dat",
       [](const fs::path& t) { PutPacked(t, MapFile(65535, 65535, 0, false), "map"); },
       "map is 65535 x 65535 cells, more than the 1048576 a map may have"},
      {"WrongMapMagic", "Maps/level1.dat",
       [](const fs::path& t) {
         TBytes map = ReadFile(Shipped("Maps/level1.map"));
         map[0] = 'X';
         PutPacked(t, map, "map");
       },
       "not a map file"},
      {"MoreThan256Names", "Maps/level1.dat",
       [](const fs::path& t) { PutPacked(t, MapFile(4, 4, 257, true), "map"); }, "257 picture names, more than 256"},
      {"SparseHugePackedMap", "Maps/level1.dat",
       [](const fs::path& t) {
         PutPacked(t, MapFile(2048, 2048, 0, false), "map");
         fs::resize_file(t, 12 + 16 + uint64_t{5} * 2048 * 2048);
       },
       "map is 2048 x 2048 cells"},
      {"SparseHugeLooseMap", "Maps/level1.map",
       [sparseLoose](const fs::path& t) {
         WriteFile(t, MapFile(65535, 65535, 0, false));
         fs::resize_file(t, sparseLoose);
       },
       "map is 65535 x 65535 cells", true},
      {"CorruptPackedSprite", "Sprites/medkit.dat",
       [](const fs::path& t) { WriteFile(t, Corrupted(ReadFile(Shipped("Sprites/medkit.dat")))); },
       "picture cannot be loaded"},
      {"SpriteWithANonsenseFormat", "Sprites/medkit.dat",
       [](const fs::path& t) {
         TBytes bmp = ReadFile(Shipped("Sprites/medkit.bmp"));
         bmp[28] = 0x73;  // 6259 bits per pixel
         bmp[29] = 0x18;
         PutPacked(t, bmp, "bmp");
       },
       "picture cannot be loaded"},
      {"CorruptPackedFont", FontFile,
       [](const fs::path& t) { WriteFile(t, Corrupted(ReadFile(Shipped(FontFile)))); }, "font cannot be loaded"},
      {"FontWithoutGlyphTable", FontFile, [](const fs::path& t) { PutPacked(t, TinyBmp(), "fnt"); },
       "2048-byte glyph table"},
      {"SoundThatIsNoWave", "Sounds/step.dat", [](const fs::path& t) { PutPacked(t, {'n', 'o', 'p', 'e'}, "wav"); },
       "sound cannot be loaded"},
      {"EmptyPackedMap", "Maps/level1.dat", [](const fs::path& t) { WriteFile(t, {}); }, "12-byte header"},
      {"EmptyPackedSprite", "Sprites/medkit.dat", [](const fs::path& t) { WriteFile(t, {}); }, "12-byte header"},
      {"EmptyPackedFont", FontFile, [](const fs::path& t) { WriteFile(t, {}); }, "12-byte header"},
      {"EmptyPackedSound", "Sounds/step.dat", [](const fs::path& t) { WriteFile(t, {}); }, "12-byte header"},
      {"EmptyLooseMap", "Maps/level1.map", [](const fs::path& t) { WriteFile(t, {}); }, "shorter than a map header",
       true},
      // Later levels are checked at start-up, not when a player reaches them.
      {"RandomBytesForLevel2", "Maps/level2.dat",
       [](const fs::path& t) {
         TBytes noise = ReadFile(Shipped("Maps/level2.dat"));
         uint32_t state = 12345;
         for (uint8_t& byte : noise) byte = static_cast<uint8_t>((state = state * 1103515245u + 12345u) >> 16);
         WriteFile(t, noise);
       },
       "not a map file"},
      {"TruncatedLevel3", "Maps/level3.dat",
       [](const fs::path& t) {
         TBytes map = ReadFile(Shipped("Maps/level3.map"));
         map.resize(map.size() - 1);
         PutPacked(t, map, "map");
       },
       "shorter than its header promises"},
      {"MissingLevel4", "Maps/level4.dat", [](const fs::path&) {}, "No such file"},
      {"MissingLooseLevel2", "Maps/level2.map", [](const fs::path&) {}, "No such file", true},
      {"DirectoryForPackedMap", "Maps/level1.dat", [](const fs::path& t) { fs::create_directory(t); }, ""},
      {"DirectoryForPackedSprite", "Sprites/medkit.dat", [](const fs::path& t) { fs::create_directory(t); }, ""},
      {"DirectoryForScratchFile", "Data/data.dat", [](const fs::path& t) { fs::create_directories(t); }, "",
       false, {"data.dat"}},
      // A plain file named Data is no failure: the game unpacks into a
      // private directory instead (the installation tests cover it).
  };
}

class HostileInput : public ::testing::TestWithParam<THostileCase> {
 protected:
  TempDir install_;
  TempDir work_;  // the working directory, which must stay empty
};

TEST_P(HostileInput, EndsWithOneLineAndLeavesNothing) {
  const THostileCase& c = GetParam();
  const std::string folder = fs::path(c.file).begin()->string();
  MakeInstallCopy(install_.Path(), TInstallCopy::WithPrograms({folder}));
  const fs::path target = install_.Path() / c.file;
  if (fs::exists(target)) fs::remove(target);
  c.make(target);

  std::vector<std::string> argv = {(install_.Path() / "vexmoor-sw").string(), "-windowed"};
  if (c.develop) argv.push_back("-develop");
  const TProcessResult result = RunProgram(argv, work_.Path(), DummyDrivers(), LoadSeconds);
  ASSERT_TRUE(result.exited) << "signal " << result.signal << (result.timedOut ? ", timed out" : "") << "\n"
                             << result.err;
  EXPECT_NE(result.status, 0);
  const auto lines = Lines(result.err);
  ASSERT_EQ(lines.size(), 1u) << result.err;
  RecordProperty("stderr", lines[0]);
  EXPECT_EQ(lines[0].rfind("vexmoor: ", 0), 0u) << lines[0];
  const std::string file = fs::path(c.file).filename().string();
  EXPECT_NE(lines[0].find(file), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find(c.says), std::string::npos) << lines[0];

  // Nothing left: no scratch file, no partial file anywhere, nothing in the
  // working directory.
  EXPECT_EQ(ScratchFiles(install_.Path()), c.ownDataFiles);
  for (const auto& entry : fs::recursive_directory_iterator(install_.Path())) {
    EXPECT_EQ(entry.path().filename().string().find(".part"), std::string::npos) << entry.path();
  }
  EXPECT_TRUE(fs::is_empty(work_.Path()));
}

INSTANTIATE_TEST_SUITE_P(Files, HostileInput, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vxtest
