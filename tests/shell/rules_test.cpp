// Firing, pickups, doors, mines, the exit and the counters, run through the
// play state's frame.
#include <gtest/gtest.h>

#include "engine/game.h"
#include "main/game_vars.h"
#include "main/resource_ids.h"
#include "main/rules.h"
#include "main/states.h"
#include "tests/shell/shell_fixture.h"

namespace shelltest {
namespace {

using namespace shell;

class RulesTest : public ShellFixture {
 protected:
  // Presses Space for one frame, then waits with it released until the
  // muzzle flash is over, so that the next press fires again.
  static void FireOnce() {
    Hold(game::keySpace);
    Frames(1);
    Release(game::keySpace);
    while (Firing) Frames(1);
  }
  static char KeyChar(int keyCode) { return static_cast<char>((keyCode * 16 + 6) & 0xFF); }
};

// ------------------------------------------------------------------ doors

TEST_F(RulesTest, DoorOpensAndTheStepIntoItStartsInTheSameFrame) {
  BuildMap({"#####", "#@D.#", "#####"});
  Near(1, 0)->KeyCode = 3;
  Inventory = std::string(1, KeyChar(3));
  Hold(game::keyRight);
  Frames(1);
  EXPECT_EQ(Near(0, 0)->Content, maps::ctOpenDoor);  // the view has moved onto the door
  EXPECT_EQ(Skill, 3);
  EXPECT_TRUE(Moving);
  EXPECT_EQ(Sounds, (std::vector<uint16_t>{sndDoor, sndStep}));
}

TEST_F(RulesTest, KeyMatchesByTheLowFourBitsOfItsCode) {
  struct Case {
    int cardCode, doorCode;
    bool opens;
  };
  const Case cases[] = {{1, 1, true}, {17, 1, true}, {1, 17, true}, {0, 16, true}, {2, 1, false}, {15, 14, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "card " << c.cardCode << " door " << c.doorCode);
    BuildMap({"#####", "#@D.#", "#####"});
    Near(0, 0)->Content = maps::ctKeycard;
    Near(0, 0)->KeyCode = static_cast<uint8_t>(c.cardCode);
    Near(1, 0)->KeyCode = static_cast<uint8_t>(c.doorCode);
    Inventory.clear();
    Frames(1);  // takes the card; the door blocks in this frame
    EXPECT_EQ(Near(1, 0)->Content, maps::ctClosedDoor);
    Frames(1);
    EXPECT_EQ(Near(1, 0)->Content, c.opens ? maps::ctOpenDoor : maps::ctClosedDoor);
    EXPECT_EQ(BlockedRight, !c.opens);
  }
}

TEST_F(RulesTest, KeycardUnderThePlayerBesideItsDoorBlocksFirstThenOpens) {
  BuildMap({"#####", "#@d.#", "#####"});
  Near(0, 0)->Content = maps::ctKeycard;
  Near(0, 0)->KeyCode = 5;
  Near(1, 0)->KeyCode = 5;
  Hold(game::keyRight);
  Frames(1);
  EXPECT_TRUE(BlockedRight);
  EXPECT_FALSE(Moving);
  EXPECT_EQ(Inventory, std::string(1, KeyChar(5)));
  EXPECT_EQ(Score, 100);
  EXPECT_EQ(Sounds, std::vector<uint16_t>{sndKeys});
  Frames(1);
  EXPECT_EQ(Cell(2, 1)->Content, maps::ctOpenDoor);  // a second door becomes the first kind
  EXPECT_TRUE(Moving);
  EXPECT_EQ(Sounds, (std::vector<uint16_t>{sndKeys, sndDoor, sndStep}));
}

TEST_F(RulesTest, TwoDoorsOneKeyOneOpensTheOtherBlocks) {
  BuildMap({"#######", "#.D@D.#", "#######"});
  Near(-1, 0)->KeyCode = 1;
  Near(1, 0)->KeyCode = 2;
  Inventory = std::string(1, KeyChar(2));
  TouchSectors();
  EXPECT_EQ(Near(1, 0)->Content, maps::ctOpenDoor);
  EXPECT_EQ(Near(-1, 0)->Content, maps::ctClosedDoor);
  EXPECT_FALSE(BlockedRight);
  EXPECT_TRUE(BlockedLeft);
  EXPECT_EQ(Skill, 3);
}

TEST_F(RulesTest, DoorsOnAllFourSidesAndUnderfootWithoutKeys) {
  BuildMap({"###", "#D#", "DDD", "#D#", "###"});
  PlacePlayer(1, 2);
  TouchSectors();
  EXPECT_TRUE(BlockedLeft && BlockedRight && BlockedUp && BlockedDown);
  // With every key, all five open, in the order right, left, up, down, own.
  Inventory = std::string(1, KeyChar(0));
  TouchSectors();
  EXPECT_FALSE(BlockedLeft || BlockedRight || BlockedUp || BlockedDown);
  EXPECT_EQ(Sounds, std::vector<uint16_t>(5, sndDoor));
  EXPECT_EQ(Skill, 11);
}

// ---------------------------------------------------------------- pickups

TEST_F(RulesTest, PickupsActOnTheOwnCellOnly) {
  struct Case {
    char item;
    uint16_t sound;
    int score, health, ammo;
  };
  const Case cases[] = {
      {'M', sndHealth, 50, 60, 1},
      {'A', sndAmmo, 50, 50, 6},
      {'K', sndKeys, 100, 50, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    BuildMap({"#####", "#.@" + std::string(1, c.item) + "#", "#####"});
    NewGame();
    Health = 50;
    Sounds.clear();
    Frames(1);  // beside it: nothing
    EXPECT_EQ(Near(1, 0)->Content, LegendContent(c.item));
    EXPECT_TRUE(Sounds.empty());
    Hold(game::keyRight);
    Frames(12);  // the step onto it
    Release(game::keyRight);
    EXPECT_EQ(Near(0, 0)->Content, LegendContent(c.item)) << "taken only at rest after the step";
    Frames(1);
    EXPECT_EQ(Near(0, 0)->Content, maps::ctEmpty);
    EXPECT_EQ(Score, c.score);
    EXPECT_EQ(Health, c.health);
    EXPECT_EQ(Ammo, c.ammo);
    EXPECT_EQ(Sounds, (std::vector<uint16_t>{sndStep, c.sound}));
  }
}

TEST_F(RulesTest, KeycardAddsItsEightBitCharacterAndKeysAreNeverRemoved) {
  BuildMap({"#####", "#@.D#", "#####"});
  const int codes[] = {2, 15, 16, 255};
  std::string expected;
  for (int code : codes) {
    Near(0, 0)->Content = maps::ctKeycard;
    Near(0, 0)->KeyCode = static_cast<uint8_t>(code);
    TouchSectors();
    expected += static_cast<char>((code * 16 + 6) & 0xFF);
  }
  EXPECT_EQ(Inventory, expected);
  EXPECT_EQ(static_cast<uint8_t>(Inventory[1]), 0xF6);
  EXPECT_EQ(static_cast<uint8_t>(Inventory[2]), 0x06);
  EXPECT_EQ(Score, 400);
}

// -------------------------------------------------------------- counters

TEST_F(RulesTest, CountersAboveOneHundredSpillIntoTheScoreAtTheEndOfAPlayFrame) {
  struct Case {
    int health, ammo, skill, score;
    int expectedScore;
  };
  const Case cases[] = {
      {130, 1, 1, 200, 230},
      {100, 100, 100, 0, 0},
      {101, 150, 104, 10, 10 + 1 + 50 + 4},
      {-5, 0, 0, 7, 7},
  };
  BuildMap({"#####", "#.@.#", "#####"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.score);
    Health = c.health;
    Ammo = c.ammo;
    Skill = c.skill;
    Score = c.score;
    Frames(1);
    EXPECT_EQ(Health, std::min(c.health, 100));
    EXPECT_EQ(Ammo, std::min(c.ammo, 100));
    EXPECT_EQ(Skill, std::min(c.skill, 100));
    EXPECT_EQ(Score, c.expectedScore);
    EXPECT_EQ(GameState, gsPlaying);
  }
}

TEST_F(RulesTest, MedkitAtNinetyFiveEndsTheFrameAtOneHundredWithFiftyFivePoints) {
  BuildMap({"#####", "#.@.#", "#####"});
  Near(0, 0)->Content = maps::ctMedkit;
  Health = 95;
  Score = 1000;
  HandlePlayInput();
  EXPECT_EQ(Health, 105);
  CapCounters();
  EXPECT_EQ(Health, 100);
  EXPECT_EQ(Score, 1055);
}

// ------------------------------------------------------------ mines, exit

TEST_F(RulesTest, SteppingOnAMine) {
  struct Case {
    int health;
    uint16_t lives;
    int healthAfter;
    uint16_t livesAfter;
    uint16_t state;
  };
  const Case cases[] = {
      {30, 3, 5, 3, gsPlaying},
      {26, 2, 1, 2, gsPlaying},
      {25, 3, 100, 2, gsDying},
      {10, 1, 100, 0, gsDying},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.health);
    BuildMap({"#####", "#.@.#", "#####"});
    Near(0, 0)->Content = maps::ctMineActive;
    game::ResetParticles();
    Health = c.health;
    Lives = c.lives;
    BlinkStep = 7;
    Sounds.clear();
    HandlePlayInput();
    EXPECT_EQ(Near(0, 0)->Content, maps::ctMineInactive);
    EXPECT_EQ(Health, c.healthAfter);
    EXPECT_EQ(Lives, c.livesAfter);
    EXPECT_EQ(GameState, c.state);
    EXPECT_EQ(BlinkStep, c.state == gsDying ? 0 : 7);
    EXPECT_EQ(Sounds, std::vector<uint16_t>{sndMine});
    EXPECT_TRUE(game::ParticleSystems[0].Active);
    EXPECT_EQ(game::ParticleSystems[0].Sprite, sprPixel);
    GameState = gsPlaying;
  }
}

TEST_F(RulesTest, SpentMineDoesNothing) {
  BuildMap({"######", "#@x.x#", "######"});
  Direction = 2;
  Near(0, 0)->Content = maps::ctMineInactive;
  Ammo = 3;
  Hold(game::keySpace);
  Frames(1);
  EXPECT_EQ(Health, 100);
  EXPECT_EQ(HitCounter, -1);
  EXPECT_EQ(Sounds, std::vector<uint16_t>{sndGun});
}

TEST_F(RulesTest, ExitRefillsHealthEmptiesAmmoAndEndsTheLevel) {
  BuildMap({"#####", "#.@.#", "#####"});
  Near(0, 0)->Content = maps::ctExit;
  Health = 40;
  Ammo = 7;
  Score = 10;
  HandlePlayInput();
  EXPECT_EQ(Health, 100);
  EXPECT_EQ(Ammo, 0);
  EXPECT_EQ(Score, 260);
  EXPECT_EQ(GameState, gsLevelDone);
  EXPECT_EQ(StateTimer, 45);
  EXPECT_EQ(Sounds, std::vector<uint16_t>{sndEnd});
}

TEST_F(RulesTest, ExitBesideThePlayerDoesNothing) {
  BuildMap({"#####", "#E@E#", "#####"});
  Frames(1);
  EXPECT_EQ(GameState, gsPlaying);
  EXPECT_EQ(Health, 100);
}

// ---------------------------------------------------------------- firing

TEST_F(RulesTest, SpaceHeldFiresOnceAndTheNextPressAfterTheFlashFiresAgain) {
  BuildMap({"#####", "#.@.#", "#####"});
  Ammo = 5;
  Hold(game::keySpace);
  Frames(1);
  EXPECT_TRUE(Firing);
  EXPECT_EQ(FireFlash, 4);  // drawn once already
  Frames(20);
  EXPECT_EQ(Ammo, 4);
  EXPECT_FALSE(Firing);
  Release(game::keySpace);
  Frames(1);
  Hold(game::keySpace);
  Frames(1);
  EXPECT_EQ(Ammo, 3);
  EXPECT_EQ(Sounds, (std::vector<uint16_t>{sndGun, sndGun}));
}

TEST_F(RulesTest, FlashShowsSixFramesAndNoShotStartsBeforeItIsOver) {
  BuildMap({"#####", "#.@.#", "#####"});
  Ammo = 5;
  // Space pressed in every odd frame: the latch is released in between, so
  // only the flash keeps the presses of frames 3 and 5 from firing.
  std::string firing;
  std::vector<int> ammo;
  for (int frame = 1; frame <= 7; ++frame) {
    game::SetKey(game::keySpace, frame % 2 == 1);
    Frames(1);
    firing += Firing ? 'F' : '-';
    ammo.push_back(Ammo);
  }
  EXPECT_EQ(firing, "FFFFF-F");
  EXPECT_EQ(ammo, (std::vector<int>{4, 4, 4, 4, 4, 4, 3}));
  EXPECT_EQ(Sounds, (std::vector<uint16_t>{sndGun, sndGun}));
}

TEST_F(RulesTest, DryClickOncePerPress) {
  BuildMap({"#####", "#.@.#", "#####"});
  Ammo = 0;
  Hold(game::keySpace);
  Frames(10);
  EXPECT_EQ(Sounds, std::vector<uint16_t>{sndAmmo});
  Release(game::keySpace);
  Frames(1);
  Hold(game::keySpace);
  Frames(3);
  EXPECT_EQ(Sounds, (std::vector<uint16_t>{sndAmmo, sndAmmo}));
  EXPECT_EQ(Ammo, 0);
  EXPECT_FALSE(Firing);
  EXPECT_FALSE(ShotPending);
}

TEST_F(RulesTest, ShotScansThreeCellsWallsStopItMinesAndDoorsDoNot) {
  struct Case {
    const char* line;  // the player, then the cells to the right
    int minesTested;
  };
  const Case cases[] = {
      {"@*#*", 1}, {"@*.*", 2}, {"@***", 3}, {"@#**", 0}, {"@D.*", 1},
      {"@KMA", 0}, {"@..*", 1}, {"@...*", 0}, {"@x.*", 1}, {"@Od*", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    BuildMap({"#" + std::string(c.line) + "#"});
    Direction = 2;
    Ammo = 1;
    Firing = FireLatch = false;
    HitCounter = -1;
    Skill = 1;  // positions 0 to 2 all miss
    Hold(game::keySpace);
    Frames(1);
    Release(game::keySpace);
    EXPECT_EQ(HitCounter, c.minesTested - 1);
    EXPECT_FALSE(ShotPending);
    EXPECT_EQ(Ammo, 0);
  }
}

TEST_F(RulesTest, ShotFollowsTheFacing) {
  BuildMap({"#####", "#.*.#", "#*@*#", "#.*.#", "#####"});
  Skill = 100;  // every position but 9 hits
  const struct {
    uint8_t direction;
    int dx, dy;
  } cases[] = {{1, 0, -1}, {2, 1, 0}, {3, 0, 1}, {4, -1, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.direction));
    Direction = c.direction;
    Ammo = 1;
    FireOnce();
    EXPECT_EQ(Near(c.dx, c.dy)->Content, maps::ctMineInactive);
  }
  EXPECT_EQ(Skill, 100);  // 108 capped every frame
  EXPECT_EQ(Score, 2 + 2 + 2 + 2);
}

TEST_F(RulesTest, HitPatternFromStartUpFourthMineTestedIsTheFirstHit) {
  BuildMap({"###", "#*#", "#@#", "###"});
  std::vector<bool> hits;
  for (int shot = 0; shot < 5; ++shot) {
    Near(0, -1)->Content = maps::ctMineActive;
    Ammo = 1;
    Sounds.clear();
    game::ResetParticles();
    FireOnce();
    const bool hit = Near(0, -1)->Content == maps::ctMineInactive;
    hits.push_back(hit);
    EXPECT_EQ(Sounds, hit ? (std::vector<uint16_t>{sndGun, sndMine}) : std::vector<uint16_t>{sndGun});
    EXPECT_EQ(game::ParticleSystems[0].Active, hit);
    if (hit) {
      EXPECT_EQ(game::ParticleSystems[0].X, 336);
      EXPECT_EQ(game::ParticleSystems[0].Y, 240 - 96);
    }
  }
  EXPECT_EQ(hits, (std::vector<bool>{false, false, false, true, false}));
  EXPECT_EQ(Skill, 3);
  EXPECT_EQ(HitCounter, 4);
}

TEST_F(RulesTest, ShotHitsBySkillClassAndWrapsAfterSixteen) {
  struct Case {
    int skill;
    const char* pattern;  // positions 0 to 15, then 0 again
  };
  const Case cases[] = {
      {0, "00010100001010010"},   {25, "00010100001010010"},  {26, "01010100101010010"},
      {51, "01010100101010010"},  {52, "11010101101111011"},  {78, "11111111101111111"},
      {103, "11111111101111111"}, {104, "11111111101111111"}, {1000, "11111111101111111"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.skill);
    Skill = c.skill;
    HitCounter = -1;
    std::string got;
    for (size_t i = 0; i < std::string(c.pattern).size(); ++i) got += ShotHits() ? '1' : '0';
    EXPECT_EQ(got, c.pattern);
    EXPECT_EQ(HitCounter, 0);
  }
}

TEST_F(RulesTest, ShotFiredDuringAStepIsResolvedAtRestAlongTheStep) {
  BuildMap({"#######", "#@...*#", "#######"});
  Skill = 100;
  Ammo = 2;
  Hold(game::keyRight);
  Frames(1);
  Release(game::keyRight);
  Frames(2);
  Hold(game::keySpace);
  Frames(1);  // the step's fourth frame
  Release(game::keySpace);
  EXPECT_EQ(Ammo, 1);
  EXPECT_TRUE(Firing);
  EXPECT_TRUE(ShotPending);
  Frames(8);  // through the step's twelfth frame
  EXPECT_FALSE(Moving);
  EXPECT_TRUE(ShotPending);
  EXPECT_EQ(HitCounter, -1);
  Frames(1);  // first frame at rest: the mine is three cells away now
  EXPECT_FALSE(ShotPending);
  EXPECT_EQ(HitCounter, 0);
  EXPECT_EQ(Near(3, 0)->Content, maps::ctMineInactive);
}

}  // namespace
}  // namespace shelltest
