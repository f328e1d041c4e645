// The play screen as pixels: every sprite of the game is a small square of
// its own colour, so what lands where on the back buffer names the sprite.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "engine/game.h"
#include "main/game_vars.h"
#include "main/loading.h"
#include "main/play_screen.h"
#include "main/resource_ids.h"
#include "main/states.h"
#include "tests/shell/shell_fixture.h"

namespace shelltest {
namespace {

using namespace shell;

constexpr int SpriteSize = 8;
constexpr uint16_t FirstTile = 45;

// A colour per id that survives the 16-bit screen: 32 steps in red and
// green, blue always high.
TRgb ColourOf(uint16_t id) { return {(id % 8) * 32 + 16, (id / 8) * 32 + 16, 200}; }

class PlayScreenTest : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    std::filesystem::create_directories(ProgramDir + "Sprites");
    for (uint16_t id = 1; id <= FirstTile; ++id) {
      const std::string name = "sprite" + std::to_string(id);
      WriteBmp(ProgramDir + "Sprites/" + name + ".bmp", SpriteSize, ColourOf(id));
      ASSERT_EQ(game::LoadSprite(name, game::RGB(0, 0, 0)), id);
    }
    Clear();
  }

  static void Clear() { game::FillRect(0, 0, 800, 600, game::RGB(0, 0, 0)); }

  // The sprite whose colour is at (x, y) exactly as drawn opaque, or 0.
  static uint16_t SpriteAt(int x, int y) {
    std::vector<uint8_t> rgb;
    int width = 0, height = 0;
    if (!game::ReadScreen(rgb, width, height)) return 0;
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    for (uint16_t id = 1; id <= FirstTile; ++id) {
      const TRgb c = ColourOf(id);
      if (std::abs(p[0] - c.r) < 8 && std::abs(p[1] - c.g) < 8 && std::abs(p[2] - c.b) < 8) return id;
    }
    return 0;
  }

  static bool Black(int x, int y) {
    std::vector<uint8_t> rgb;
    int width = 0, height = 0;
    game::ReadScreen(rgb, width, height);
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return p[0] == 0 && p[1] == 0 && p[2] == 0;
  }
};

TEST_F(PlayScreenTest, WorldAndObjectsAreDrawnAtTheirViewPositionsWithTheScroll) {
  BuildMap({"########", "#......#", "#......#", "#......#", "#..@...#", "#......#", "########"});
  Cell(PlayerX() + 2, PlayerY() - 1)->Tile = FirstTile;
  Cell(PlayerX() - 1, PlayerY() + 1)->Content = 13;
  Cell(PlayerX() + 1, PlayerY())->Content = maps::ctMineActive;
  Cell(PlayerX(), PlayerY() + 1)->Content = maps::ctExit;
  ScrollX = 40;
  ScrollY = 0;
  DrawWorld();
  DrawObjects();
  // View column 6, row 2; column 3, row 4; column 5, row 3.
  EXPECT_EQ(SpriteAt(6 * 96 - 96 + 40, 2 * 96 - 96), FirstTile);
  EXPECT_EQ(SpriteAt(3 * 96 - 96 + 40 + 7, 4 * 96 - 96 + 7), 14);
  EXPECT_EQ(SpriteAt(5 * 96 - 96 + 40, 3 * 96 - 96), maps::ctMineActive + 1);
  EXPECT_TRUE(Black(4 * 96 - 96 + 40, 4 * 96 - 96));  // an exit adds nothing
  EXPECT_TRUE(Black(6 * 96 - 96 + 39, 2 * 96 - 96));
}

TEST_F(PlayScreenTest, PlayerPictureFollowsTheWalkTableAndTheFlashGoesOnTop) {
  BuildMap({"@"});
  const uint16_t expected[4][6] = {
      {16, 17, 16, 18, 19, 16}, {20, 21, 20, 22, 23, 20}, {24, 25, 24, 26, 27, 24}, {28, 29, 28, 30, 31, 28}};
  for (uint8_t direction = 1; direction <= 4; ++direction) {
    for (uint16_t frame = 0; frame < 6; ++frame) {
      SCOPED_TRACE(testing::Message() << int{direction} << "/" << frame);
      Direction = direction;
      Moving = true;
      WalkFrame = frame;
      WalkTick = 0;  // this call only counts the tick
      Clear();
      DrawPlayer();
      EXPECT_EQ(SpriteAt(288, 192), expected[direction - 1][frame]);
      EXPECT_EQ(WalkTick, 1);
    }
    Moving = false;
    WalkFrame = 4;
    Firing = true;
    FireFlash = 5;
    Clear();
    DrawPlayer();
    EXPECT_EQ(SpriteAt(295, 199), sprFireUp + direction - 1);
    EXPECT_EQ(WalkFrame, 4);
    Firing = false;
    Clear();
    DrawPlayer();
    EXPECT_EQ(SpriteAt(295, 199), expected[direction - 1][0]) << "at rest: the middle picture";
  }
}

TEST_F(PlayScreenTest, LifeIconsSitThirtyFivePixelsApart) {
  for (uint16_t lives : {0, 1, 3}) {
    SCOPED_TRACE(lives);
    Lives = lives;
    Clear();
    DrawHud();
    for (int k = 0; k < 4; ++k) EXPECT_EQ(!Black(647 + 35 * k + 4, 174), k < lives) << k;
  }
}

TEST_F(PlayScreenTest, BarsAreAsWideAsTheirValues) {
  Health = 100;
  Ammo = 0;
  Skill = 37;
  Clear();
  DrawHud();
  std::vector<uint8_t> rgb;
  int width = 0, height = 0;
  ASSERT_TRUE(game::ReadScreen(rgb, width, height));
  auto pixel = [&](int x, int y) { return std::vector<uint8_t>(&rgb[(y * width + x) * 3], &rgb[(y * width + x) * 3 + 3]); };
  EXPECT_EQ(pixel(650, 60), pixel(749, 60)) << "Health 100 fills its box";
  EXPECT_NE(pixel(749, 60), pixel(751, 60));
  EXPECT_EQ(pixel(650, 90), pixel(749, 90)) << "Ammo 0: the red box shows empty";
  EXPECT_NE(pixel(686, 120), pixel(687, 120)) << "Skill 37: the bar ends after 37 pixels";
  EXPECT_EQ(pixel(687, 120), pixel(749, 120));
}

TEST_F(PlayScreenTest, KeycardsAreCentredOnTheirSlotsAndOtherCharactersTakeAPlace) {
  Inventory = std::string("\x06\x16", 2) + "A" + std::string("\xF6\x26", 2);
  DrawInventory();
  EXPECT_EQ(SpriteAt(0, 476), sprKeycard);    // slot 1, from x -4
  EXPECT_EQ(SpriteAt(56, 476), sprKeycard);   // slot 2
  EXPECT_TRUE(Black(116 + 4, 476 + 4));       // "A": low bits 1
  EXPECT_EQ(SpriteAt(176, 476), sprKeycard);  // slot 4
  EXPECT_EQ(SpriteAt(236, 476), sprKeycard);  // a fifth key right of the boxes
}

TEST_F(PlayScreenTest, DyingHidesThePlayerOnOddBlinkPhasesAndHoldsTheFlash) {
  BuildMap({"@"});
  GameState = gsDying;
  Direction = 1;
  Firing = true;
  FireFlash = 3;
  Lives = 2;
  for (int blink : {1, 2}) {
    BlinkStep = blink;
    StateTimer = 5;
    Clear();
    RunStateHandlers();
    EXPECT_EQ(SpriteAt(295, 199) != 0, blink % 2 == 0) << blink;
  }
  EXPECT_EQ(FireFlash, 2);
}

TEST_F(PlayScreenTest, LoadingBarFillsLoadDoneOfLoadTotal) {
  struct Case {
    int done, total, width;
  };
  // 53 of 54: the fixed items' bar stops short; then the ground pictures'
  // own total fills it exactly.
  const Case cases[] = {{53, 54, 588}, {1, 54, 11}, {0, 54, 0}, {1, 1, 600}, {1, 3, 200}, {2, 3, 400}, {0, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.done << "/" << c.total);
    LoadDone = c.done;
    LoadTotal = c.total;
    Clear();
    DrawLoadingProgress();
    std::vector<uint8_t> rgb;
    int width = 0, height = 0;
    ASSERT_TRUE(game::ReadScreen(rgb, width, height));
    int filled = 0;
    for (int x = 100; x < 700; ++x) {
      if (rgb[(310 * width + x) * 3 + 2] > 200) ++filled;
    }
    EXPECT_EQ(filled, c.width);
    EXPECT_GT(rgb[(310 * width + 699) * 3 + 2], 100) << "the ground reaches the bar's end";
    EXPECT_EQ(rgb[(310 * width + 700) * 3 + 2], 0);
  }
}

TEST_F(PlayScreenTest, TitleDrawsOnlyTheStartPicture) {
  GameState = gsTitle;
  RunStateHandlers();
  EXPECT_EQ(SpriteAt(0, 0), sprStart);
  EXPECT_TRUE(Black(SpriteSize, 0));
}

}  // namespace
}  // namespace shelltest
