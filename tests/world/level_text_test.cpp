#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/mapc/level_text.h"
#include "world/maps.h"

using leveltext::FormatLevel;
using leveltext::ParseError;
using leveltext::ParseLevel;

namespace {

void ExpectSameMap(const maps::TMapFile& a, const maps::TMapFile& b) {
  EXPECT_EQ(a.Width, b.Width);
  EXPECT_EQ(a.Height, b.Height);
  EXPECT_EQ(a.TileSize, b.TileSize);
  EXPECT_EQ(a.Names, b.Names);
  EXPECT_EQ(a.Tiles, b.Tiles);
  EXPECT_EQ(a.Content, b.Content);
  EXPECT_EQ(a.Reserved, b.Reserved);
  EXPECT_EQ(a.KeyCodes, b.KeyCodes);
}

const char* const Fixture = R"(; a 4 x 3 level
level 4 3   ; width height
name floor
name "wall 2"
name floor

tiles
. = floor
# = "wall 2"
~ = 3        ; the second "floor" by number
- = 0
##~#
#.-#  ; a row comment
####

content
? = 13
#SK#
#*?#
#xE#

keys
g = 17
.1g.
..F.
....

reserved hex
00 01 02 FF
0 0 0 0
; comments between rows are fine
0 0 0 A0
)";

}  // namespace

TEST(LevelText, ReadsEveryPlane) {
  const maps::TMapFile map = ParseLevel(Fixture);
  EXPECT_EQ(map.Width, 4);
  EXPECT_EQ(map.Height, 3);
  EXPECT_EQ(map.TileSize, 64);
  EXPECT_EQ(map.Names, (std::vector<std::string>{"floor", "wall 2", "floor"}));
  EXPECT_EQ(map.Tiles, (std::vector<uint16_t>{2, 2, 3, 2, 2, 1, 0, 2, 2, 2, 2, 2}));
  EXPECT_EQ(map.Content, (std::vector<uint8_t>{3, 1, 6, 3, 3, 11, 13, 3, 3, 12, 2, 3}));
  EXPECT_EQ(map.KeyCodes, (std::vector<uint8_t>{0, 1, 17, 0, 0, 0, 15, 0, 0, 0, 0, 0}));
  EXPECT_EQ(map.Reserved, (std::vector<uint8_t>{0, 1, 2, 255, 0, 0, 0, 0, 0, 0, 0, 0xA0}));
}

TEST(LevelText, FormatThenParseGivesTheSameMap) {
  ExpectSameMap(ParseLevel(FormatLevel(ParseLevel(Fixture))), ParseLevel(Fixture));
}

// Maps no author would write: every kind of name, values past every alias
// pool, empty grids, an odd tile size.
TEST(LevelText, OddMapsSurviveTheRoundTrip) {
  std::mt19937 random(7);
  struct TShape {
    uint16_t Width, Height;
    int TileValues, ContentValues, KeyValues, ReservedValues;
  };
  const TShape shapes[] = {
      {5, 4, 3, 13, 16, 1},          // only fixed characters and digits
      {9, 7, 40, 20, 40, 3},         // aliases in every plane
      {20, 15, 300, 256, 256, 256},  // too many values: hexadecimal rows
      {0, 6, 1, 1, 1, 1},
      {6, 0, 1, 1, 1, 1},
  };
  for (const TShape& shape : shapes) {
    maps::TMapFile map;
    map.Width = shape.Width;
    map.Height = shape.Height;
    map.TileSize = -5;
    map.Names = {"floor", "", "12", "a b", "quote\"back\\slash", "semi;colon", std::string("\x01\xff", 2),
                 "floor", std::string(31, 'x')};
    const size_t cells = static_cast<size_t>(shape.Width) * shape.Height;
    for (size_t i = 0; i < cells; ++i) {
      map.Tiles.push_back(static_cast<uint16_t>(random() % shape.TileValues * 211 % 65536));
      map.Content.push_back(static_cast<uint8_t>(random() % shape.ContentValues));
      map.KeyCodes.push_back(static_cast<uint8_t>(random() % shape.KeyValues));
      map.Reserved.push_back(static_cast<uint8_t>(random() % shape.ReservedValues));
    }
    const std::string text = FormatLevel(map);
    SCOPED_TRACE(text);
    ExpectSameMap(ParseLevel(text), map);
  }
}

TEST(LevelText, ANameRecordWithoutItsNulCannotBeFormatted) {
  // The map reader keeps all 32 characters of such a record; a text that
  // ParseLevel would refuse must not be written.
  maps::TMapFile map;
  map.Names = {"floor", std::string(32, 'q')};
  EXPECT_THROW(FormatLevel(map), std::invalid_argument);
}

TEST(LevelText, FaultsNameLineAndColumn) {
  const std::string head = "level 3 2\nname floor\n";
  const std::string tiles = "tiles\n. = floor\n...\n...\n";
  struct TCase {
    std::string Text;
    int Line, Column;
    std::string Says;
  };
  const TCase cases[] = {
      {"name floor\n", 1, 1, "begins with"},
      {"level 3\n", 1, 8, "level WIDTH HEIGHT"},
      {"level 3 x\n", 1, 9, "must be a number"},
      {"level 3 70000\n", 1, 9, "outside"},
      {"level 65535 65535\n", 1, 7, "more than the 1048576 a map may have"},
      {"level 2048 513\n", 1, 7, "2048 x 513 cells"},
      {"level 3 2\nname " + std::string(32, 'n') + "\n", 2, 6, "longer than 31"},
      {"level 3 2\nname \"abc\n", 2, 6, "unterminated"},
      {head + "tiles\n. = stone\n", 4, 5, "no picture named \"stone\""},
      {head + "tiles\n. = floor\n..\n", 5, 3, "row has 2 cells, 3 expected"},
      {head + "tiles\n. = floor\n....\n", 5, 4, "row has 4 cells"},
      {head + "tiles\n. = floor\n.Q.\n", 5, 2, "tile alias 'Q'"},
      {head + "tiles\n. = floor\n...\ncontent\n", 6, 1, "ends after 1 of 2 rows"},
      {head + "tiles\n. = floor\n...\n", 5, 1, "ends after 1 of 2 rows"},
      {head + tiles + "content\n#S#\n#Q#\n", 9, 2, "content character 'Q'"},
      {head + tiles + "content\n# = 3\n", 8, 1, "fixed meaning"},
      {head + tiles + "content\n? = 300\n", 8, 5, "outside"},
      {head + tiles + "tiles\n", 7, 1, "second \"tiles\""},
      {head + tiles + "name wall\n", 7, 1, "before the grids"},
      {head + tiles + "content\n...\n. . x\n", 9, 3, "unexpected text"},
      {head + tiles + "content\n...\n...\nkeys\n.1.\n.z.\n", 12, 2, "'z' is not a hexadecimal digit"},
      {head + tiles + "content\n...\n...\nkeys hex\n0 1 2\n0 100 0\n", 12, 3, "hexadecimal value"},
      {head + tiles + "content\n...\n...\nkeys hex\n0 1 2\n0 123456789ABCDEF 0\n", 12, 3, "hexadecimal value"},
      {head + tiles + "content\n...\n...\nkeys hex\n0 1\n", 11, 4, "row has 2 values"},
      {head + tiles + "content\n...\n...\nwalls\n", 10, 1, "unknown line \"walls\""},
      {head + tiles, 6, 1, "no \"content\" section"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text);
    try {
      ParseLevel(c.Text);
      ADD_FAILURE() << "accepted";
    } catch (const ParseError& error) {
      EXPECT_EQ(error.Line(), c.Line);
      EXPECT_EQ(error.Column(), c.Column);
      EXPECT_NE(error.Message().find(c.Says), std::string::npos) << error.what();
      EXPECT_EQ(std::string(error.what()).rfind(std::to_string(c.Line) + ":" + std::to_string(c.Column) + ": ", 0),
                0u);
    }
  }
}
