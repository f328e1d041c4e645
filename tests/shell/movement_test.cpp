// Player control and movement: steps frame by frame, several arrows, walls
// and doors in the way, the walk animation.
#include <gtest/gtest.h>

#include "engine/game.h"
#include "main/game_vars.h"
#include "main/resource_ids.h"
#include "tests/shell/shell_fixture.h"

namespace shelltest {
namespace {

using namespace shell;

// A room with the player in the middle and free cells all round.
const std::vector<std::string> OpenRoom = {
    "###########",
    "#.........#",
    "#.........#",
    "#.........#",
    "#....@....#",
    "#.........#",
    "#.........#",
    "#.........#",
    "###########",
};

class MovementTest : public ShellFixture {};

struct StepFrame {
  int frame;  // after this many frames
  int viewDx, viewDy, scrollX, scrollY;
  bool moving;
};

struct StepCase {
  const char* name;
  uint16_t key;
  uint8_t direction;
  std::vector<StepFrame> frames;
};

// The arrow is held for the first frame only.
TEST_F(MovementTest, OneStepFrameByFrame) {
  const StepCase cases[] = {
      {"right", game::keyRight, 2, {{1, 1, 0, 88, 0, true}, {11, 1, 0, 8, 0, true}, {12, 1, 0, 0, 0, false}, {13, 1, 0, 0, 0, false}}},
      {"down", game::keyDown, 3, {{1, 0, 1, 0, 88, true}, {11, 0, 1, 0, 8, true}, {12, 0, 1, 0, 0, false}, {13, 0, 1, 0, 0, false}}},
      {"left", game::keyLeft, 4, {{1, 0, 0, 8, 0, true}, {11, 0, 0, 88, 0, true}, {12, -1, 0, 0, 0, false}, {13, -1, 0, 0, 0, false}}},
      {"up", game::keyUp, 1, {{1, 0, 0, 0, 8, true}, {11, 0, 0, 0, 88, true}, {12, 0, -1, 0, 0, false}, {13, 0, -1, 0, 0, false}}},
  };
  for (const StepCase& c : cases) {
    SCOPED_TRACE(c.name);
    BuildMap(OpenRoom);
    Sounds.clear();
    const int startX = ViewX, startY = ViewY;
    Hold(c.key);
    int done = 0;
    for (const StepFrame& expected : c.frames) {
      Frames(expected.frame - done);
      done = expected.frame;
      Release(c.key);
      SCOPED_TRACE(expected.frame);
      EXPECT_EQ(ViewX - startX, expected.viewDx);
      EXPECT_EQ(ViewY - startY, expected.viewDy);
      EXPECT_EQ(ScrollX, expected.scrollX);
      EXPECT_EQ(ScrollY, expected.scrollY);
      EXPECT_EQ(Moving, expected.moving);
    }
    EXPECT_EQ(Direction, c.direction);
    EXPECT_EQ(Sounds, std::vector<uint16_t>{sndStep});
  }
}

TEST_F(MovementTest, ScrollOfARightStepCountsDownEveryFrame) {
  BuildMap(OpenRoom);
  Hold(game::keyRight);
  Frames(1);
  Release(game::keyRight);
  std::vector<int> scroll = {ScrollX};
  for (int i = 0; i < 11; ++i) {
    Frames(1);
    scroll.push_back(ScrollX);
  }
  EXPECT_EQ(scroll, (std::vector<int>{88, 80, 72, 64, 56, 48, 40, 32, 24, 16, 8, 0}));
}

TEST_F(MovementTest, HeldArrowWalksOnStartingTheFrameAfterAStepEnds) {
  BuildMap(OpenRoom);
  const int startX = ViewX;
  Hold(game::keyRight);
  Frames(12);
  EXPECT_EQ(ViewX - startX, 1);
  EXPECT_FALSE(Moving);
  Frames(1);
  EXPECT_EQ(ViewX - startX, 2);
  EXPECT_EQ(ScrollX, 88);
  EXPECT_EQ(Sounds, (std::vector<uint16_t>{sndStep, sndStep}));
}

TEST_F(MovementTest, ArrowPressedDuringAStepIsIgnored) {
  BuildMap(OpenRoom);
  Hold(game::keyRight);
  Frames(1);
  Release(game::keyRight);
  Hold(game::keyDown);
  Frames(10);
  Release(game::keyDown);
  Frames(1);  // the step's twelfth frame
  EXPECT_FALSE(Moving);
  EXPECT_EQ(Direction, 2);
  EXPECT_EQ(ScrollY, 0);
  EXPECT_EQ(Sounds, std::vector<uint16_t>{sndStep});
}

TEST_F(MovementTest, SeveralArrowsHeldTheLastFreeOneInOrderLeftRightUpDownWins) {
  struct Case {
    std::vector<uint16_t> keys;
    uint8_t direction;
    size_t stepSounds;
  };
  const Case cases[] = {
      {{game::keyRight, game::keyDown}, 3, 2},
      {{game::keyLeft, game::keyUp}, 1, 2},
      {{game::keyUp, game::keyRight}, 1, 2},
      {{game::keyLeft, game::keyRight, game::keyUp, game::keyDown}, 3, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.keys));
    BuildMap(OpenRoom);
    Sounds.clear();
    for (uint16_t key : c.keys) Hold(key);
    Frames(1);
    for (uint16_t key : c.keys) Release(key);
    EXPECT_EQ(Direction, c.direction);
    EXPECT_TRUE(Moving);
    EXPECT_EQ(Sounds, std::vector<uint16_t>(c.stepSounds, sndStep));
  }
}

TEST_F(MovementTest, BlockedArrowChangesNothingNotEvenTheFacing) {
  struct Case {
    const char* name;
    std::vector<std::string> map;
    uint16_t key;
  };
  const Case cases[] = {
      {"wall left", {"#####", "#.#@#", "#####"}, game::keyLeft},
      {"wall right", {"#####", "#@#.#", "#####"}, game::keyRight},
      {"wall above", {"###", "#.#", "###", "#@#", "###"}, game::keyUp},
      {"closed door below without its key", {"###", "#@#", "#D#", "#.#", "###"}, game::keyDown},
      {"outside the grid", {"@"}, game::keyLeft},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BuildMap(c.map);
    Direction = 2;
    if (c.key == game::keyRight) Direction = 4;
    const uint8_t facing = Direction;
    const int startX = ViewX, startY = ViewY;
    Sounds.clear();
    Hold(c.key);
    Frames(3);
    Release(c.key);
    EXPECT_FALSE(Moving);
    EXPECT_EQ(Direction, facing);
    EXPECT_EQ(ViewX, startX);
    EXPECT_EQ(ViewY, startY);
    EXPECT_TRUE(Sounds.empty());
  }
}

TEST_F(MovementTest, BlockedArrowLeavesTheOthersFree) {
  BuildMap({"#####", "#.@##", "#####"});
  Hold(game::keyLeft);
  Hold(game::keyRight);
  Frames(1);
  EXPECT_TRUE(Moving);
  EXPECT_EQ(Direction, 4);
  EXPECT_EQ(Sounds, std::vector<uint16_t>{sndStep});
}

TEST_F(MovementTest, WalkAnimationAdvancesEveryThirdDrawnFrameAndRestartsWithEachStep) {
  BuildMap(OpenRoom);
  WalkTick = 1;  // left as it was by a new step
  Hold(game::keyRight);
  std::vector<int> frames;
  for (int i = 0; i < 13; ++i) {
    Frames(1);
    frames.push_back(WalkFrame);
  }
  // The first step: ticks 2, (0 frame 1), 1, 2, (0 frame 2) ...; the second
  // step starts in frame 13 with WalkFrame back to 0 before it is drawn.
  EXPECT_EQ(frames, (std::vector<int>{0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 0}));
  Release(game::keyRight);
}

}  // namespace
}  // namespace shelltest
