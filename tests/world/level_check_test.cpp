#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/levelcheck/level_check.h"
#include "tools/mapc/level_text.h"
#include "world/maps.h"

namespace {

constexpr int PadLeft = 3, PadTop = 2, PadRight = 5, PadBottom = 4;

// A map from rows of content characters, with key codes from rows of
// hexadecimal digits ('g' stands for 17). Padded with walls so that a maze
// drawn with its own ring of walls keeps the view margins.
maps::TMapFile Ascii(const std::vector<std::string>& rows, const std::vector<std::string>& keys = {},
                     bool pad = true) {
  const int left = pad ? PadLeft : 0, top = pad ? PadTop : 0;
  maps::TMapFile map;
  map.Width = static_cast<uint16_t>(rows[0].size() + (pad ? PadLeft + PadRight : 0));
  map.Height = static_cast<uint16_t>(rows.size() + (pad ? PadTop + PadBottom : 0));
  const size_t cells = static_cast<size_t>(map.Width) * map.Height;
  map.Tiles.assign(cells, 1);
  map.Content.assign(cells, maps::ctWall);
  map.Reserved.assign(cells, 0);
  map.KeyCodes.assign(cells, 0);
  map.Names = {"floor"};
  for (size_t y = 0; y < rows.size(); ++y) {
    for (size_t x = 0; x < rows[y].size(); ++x) {
      const size_t cell = (y + top) * map.Width + x + left;
      const char c = rows[y][x];
      map.Content[cell] = c == '?' ? 13 : static_cast<uint8_t>(leveltext::ContentOfChar(c));
      if (y < keys.size() && keys[y][x] != '.') {
        map.KeyCodes[cell] = keys[y][x] == 'g' ? 17 : static_cast<uint8_t>(std::stoi(keys[y].substr(x, 1), nullptr, 16));
      }
    }
  }
  return map;
}

struct TRouteCase {
  const char* Name;
  std::vector<std::string> Rows;
  std::vector<std::string> Keys;
  const char* Moves;     // nullptr: no route
  const char* Collects;
};

}  // namespace

TEST(LevelCheck, RoutesFollowTheGameRules) {
  const TRouteCase cases[] = {
      {"straight", {"#####", "#S.E#", "#####"}, {}, "RR", "nothing"},
      {"mine walked round", {"#####", "#S*E#", "#...#", "#####"}, {}, "DRRU", "nothing"},
      {"exit only past a mine", {"#####", "#S*E#", "#####"}, {}, nullptr, ""},
      {"key behind its own door", {"#######", "#S.DKE#", "#######"}, {".......", "...11.."}, nullptr, ""},
      {"key fetched first", {"#######", "#S.D.E#", "#.#####", "#K#####", "#######"},
       {".......", "...1...", ".......", ".1....."}, "DDUURRRR", "key 1"},
      {"door code differing by 16 opens", {"######", "#SKDE#", "######"}, {"......", "..1g.."}, "RRR", "key 1"},
      {"other code stays shut", {"######", "#SKdE#", "######"}, {"......", "..21.."}, nullptr, ""},
      {"second door kind opens", {"######", "#SKdE#", "######"}, {"......", "..33.."}, "RRR", "key 3"},
      {"open doors, spent mines, unknown codes pass", {"########", "#SOox?E#", "########"}, {}, "RRRRR",
       "nothing"},
      {"items in the order taken", {"########", "#SMAKAE#", "########"}, {"........", "....5..."}, "RRRRR",
       "medkit, ammo, key 5, ammo"},
      {"route ends at the first exit", {"######", "#SE.E#", "######"}, {}, "R", "nothing"},
  };
  for (const TRouteCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const levelcheck::TCheck check = levelcheck::CheckMap(Ascii(c.Rows, c.Keys), 1);
    if (c.Moves == nullptr) {
      EXPECT_FALSE(check.Route.Found);
      ASSERT_EQ(check.Problems.size(), 1u);
      EXPECT_NE(check.Problems[0].find("no exit can be reached from the start cell (4, 3)"), std::string::npos)
          << check.Problems[0];
      continue;
    }
    EXPECT_TRUE(check.Problems.empty()) << check.Problems[0];
    EXPECT_EQ(check.Route.Moves, c.Moves);
    EXPECT_EQ(levelcheck::CollectedText(check.Route), c.Collects);
  }
}

TEST(LevelCheck, ReportsWhatTheGameCannotUse) {
  struct TCase {
    const char* Name;
    maps::TMapFile Map;
    size_t NameCount;
    const char* Says;
  };
  maps::TMapFile badTile = Ascii({"#####", "#S.E#", "#####"});
  badTile.Tiles[3] = 9;
  const TCase cases[] = {
      {"no start", Ascii({"#####", "#..E#", "#####"}), 1, "no start cell"},
      {"two starts", Ascii({"#####", "#SSE#", "#####"}), 1, "2 start cells: cell (4, 3), cell (5, 3)"},
      {"no exit", Ascii({"#####", "#S..#", "#####"}), 1, "no exit cell"},
      {"tile past level 1's names", badTile, 1, "cell (3, 0) has tile 9 but the first level names only 1"},
      {"reachable cell in the margin", Ascii({"#####", "#S.E#", "#####"}, {}, false), 1,
       "cell (1, 1) can be reached but lies outside the margins"},
      {"a door does not seal the margin", Ascii({"#######", "#S.E#..", "###D...", "#######"}), 1,
       "cell (9, 3) can be reached"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const levelcheck::TCheck check = levelcheck::CheckMap(c.Map, c.NameCount);
    ASSERT_FALSE(check.Problems.empty());
    EXPECT_NE(check.Problems[0].find(c.Says), std::string::npos) << check.Problems[0];
  }
}

// Eight keycards in an open room and no way to the exit: every order of
// taking them is a position of its own once each code opens some door,
// 256 times the room's cells; keycards that open nothing add no positions.
TEST(LevelCheck, KeycardOrdersAreBoundedAndOnlyDoorKeysCount) {
  const std::vector<std::string> rows = {"############", "#SKKKKKKKK.#", "#..........#", "E###########"};
  const std::vector<std::string> keys = {"............", "..01234567..", "............", "............"};
  const size_t limit = 500;  // far above the room's 30 cells, far below 30 x 256
  const levelcheck::TCheck loose = levelcheck::CheckMap(Ascii(rows, keys), 1, limit);
  EXPECT_FALSE(loose.Route.GaveUp);
  ASSERT_EQ(loose.Problems.size(), 1u);
  EXPECT_NE(loose.Problems[0].find("no exit can be reached"), std::string::npos) << loose.Problems[0];

  // The same room beside a sealed corridor of doors, one for each code.
  std::vector<std::string> doorRows = rows, doorKeys = keys;
  doorRows.push_back("#DDDDDDDD###");
  doorKeys.push_back(".01234567...");
  const levelcheck::TCheck doors = levelcheck::CheckMap(Ascii(doorRows, doorKeys), 1, limit);
  EXPECT_TRUE(doors.Route.GaveUp);
  ASSERT_EQ(doors.Problems.size(), 1u);
  EXPECT_NE(doors.Problems[0].find("the route search gave up after 500 positions"), std::string::npos)
      << doors.Problems[0];
}
