// The game-state machine frame by frame: title, countdown, play, level
// complete, dying and game over, with level files in a scratch program
// directory.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "engine/game.h"
#include "main/game_vars.h"
#include "main/loading.h"
#include "main/resource_ids.h"
#include "main/states.h"
#include "tests/shell/shell_fixture.h"

namespace shelltest {
namespace {

using namespace shell;

// (state, phase, frames): a run of frames that ended in the same state and
// phase (CountdownStep in the countdown, BlinkStep while dying, else 0).
using PhaseRun = std::tuple<int, int, int>;

class StatesTest : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    // Level n starts in column n + 1, row 2.
    for (int n = 1; n <= 4; ++n) {
      std::string start = "#........#";
      start[n + 1] = 'S';
      BuildMap({"##########", "#........#", start, "#........#", "##########"});
      WriteLevel("level" + std::to_string(n));
    }
    maps::ResetMap(0, 0);
  }

  // Runs frames and groups what each ended in.
  static std::vector<PhaseRun> Record(int frames) {
    std::vector<PhaseRun> runs;
    for (int i = 0; i < frames; ++i) {
      Frames(1);
      int phase = 0;
      if (GameState == gsCountdown) phase = CountdownStep;
      if (GameState == gsDying) phase = BlinkStep;
      if (!runs.empty() && std::get<0>(runs.back()) == GameState && std::get<1>(runs.back()) == phase) {
        ++std::get<2>(runs.back());
      } else {
        runs.emplace_back(GameState, phase, 1);
      }
    }
    return runs;
  }

  // Level n is being played: loaded, at rest on its start cell.
  static void PlayLevel(int n) {
    Level = static_cast<uint16_t>(n - 1);
    StartLevel();
    GameState = gsPlaying;
    StateTimer = 10;  // as the countdown leaves it
  }

  static void StepOnMine() {
    Near(0, 0)->Content = maps::ctMineActive;
    Health = 25;
  }

  // Frames of the blink: the first phase ends 11 frames after the death
  // (one of them the death's own frame), then hidden 11, visible 21, ...
  static std::vector<PhaseRun> BlinkRuns() {
    std::vector<PhaseRun> runs = {{gsDying, 0, 10}};
    for (int step = 1; step <= 11; ++step) runs.emplace_back(gsDying, step, step % 2 ? 11 : 21);
    return runs;
  }
};

TEST_F(StatesTest, SpaceOnTheTitleReachesTheCountdownOfLevelOneInTheSameFrame) {
  GameState = gsTitle;
  Level = 3;
  Score = 999;
  Lives = 0;
  StateTimer = -1;  // as a game over leaves it
  Hold(game::keySpace);
  Frames(1);
  Release(game::keySpace);
  EXPECT_EQ(GameState, gsCountdown);
  EXPECT_EQ(Level, 1);
  EXPECT_EQ(PlayerX(), 2);  // level 1's start
  EXPECT_EQ(CountdownStep, 1);
  EXPECT_EQ(StateTimer, 20);
  EXPECT_EQ(std::tie(Score, Health, Ammo, Skill), std::make_tuple(0, 100, 1, 1));
  EXPECT_EQ(Lives, 3);
  EXPECT_EQ(Sounds, std::vector<uint16_t>{sndEnter});
}

TEST_F(StatesTest, CountdownStepsLastTwentyOneAndElevenFramesThenPlayStarts) {
  GameState = gsTitle;
  Hold(game::keySpace);  // held on: the countdown does not read it
  const std::vector<PhaseRun> expected = {
      {gsCountdown, 1, 21}, {gsCountdown, 2, 11}, {gsCountdown, 3, 21}, {gsCountdown, 4, 11},
      {gsCountdown, 5, 21}, {gsCountdown, 6, 11}, {gsCountdown, 7, 21}, {gsCountdown, 8, 11},
      {gsPlaying, 0, 7},
  };
  EXPECT_EQ(Record(135), expected);
  EXPECT_EQ(StateTimer, 10);
  // One countdown sound; the held Space fires the first play frame's shot.
  EXPECT_EQ(Sounds, (std::vector<uint16_t>{sndEnter, sndGun}));
}

TEST_F(StatesTest, PlayStartsTheFrameAfterTheCountdownEnds) {
  GameState = gsCountdown;
  CountdownStep = 8;
  StateTimer = 0;
  Hold(game::keyRight);  // a step would show if play ran in this frame
  Level = 0;
  StartLevel();
  const int startX = ViewX;
  Frames(1);
  EXPECT_EQ(GameState, gsPlaying);
  EXPECT_EQ(ViewX, startX);
  Frames(1);
  EXPECT_EQ(ViewX, startX + 1);
}

TEST_F(StatesTest, ExitShowsTheBannerFortyFiveFramesThenTheNextLevelCountsDownInTheSameFrame) {
  PlayLevel(1);
  Near(0, 0)->Content = maps::ctExit;
  const std::vector<PhaseRun> expected = {{gsLevelDone, 0, 45}, {gsCountdown, 1, 5}};
  EXPECT_EQ(Record(50), expected);
  EXPECT_EQ(Level, 2);
  EXPECT_EQ(PlayerX(), 3);
  EXPECT_EQ(Sounds, (std::vector<uint16_t>{sndEnd, sndEnter}));
}

TEST_F(StatesTest, LevelsWrapFromFourToOne) {
  PlayLevel(4);
  EXPECT_EQ(PlayerX(), 5);
  Near(0, 0)->Content = maps::ctExit;
  Score = 7;
  Lives = 2;
  Frames(46);
  EXPECT_EQ(GameState, gsCountdown);
  EXPECT_EQ(Level, 1);
  EXPECT_EQ(PlayerX(), 2);
  EXPECT_EQ(Score, 257);
  EXPECT_EQ(Lives, 2);
}

TEST_F(StatesTest, DyingBlinksThenTheSameLevelRestartsFromItsFile) {
  PlayLevel(2);
  Score = 300;
  Ammo = 4;
  Inventory = "&";
  Cell(8, 1)->Content = maps::ctMedkit;  // not in the file
  StepOnMine();
  std::vector<PhaseRun> expected = BlinkRuns();
  expected.emplace_back(gsCountdown, 0, 21);
  expected.emplace_back(gsCountdown, 1, 3);
  EXPECT_EQ(Record(181 + 21 + 3), expected);
  EXPECT_EQ(Level, 2);
  EXPECT_EQ(PlayerX(), 3);
  EXPECT_EQ(Lives, 2);
  EXPECT_EQ(std::tie(Health, Score, Ammo), std::make_tuple(100, 300, 4));
  EXPECT_EQ(Inventory, "");
  EXPECT_EQ(Cell(8, 1)->Content, maps::ctEmpty);
  EXPECT_EQ(Sounds, (std::vector<uint16_t>{sndMine, sndEnter}));
}

TEST_F(StatesTest, ThirdDeathShowsGameOverFor181FramesThenTheTitleUntilSpace) {
  PlayLevel(3);
  Lives = 1;
  Score = 1234;
  StepOnMine();
  std::vector<PhaseRun> expected = BlinkRuns();
  expected.emplace_back(gsGameOver, 0, 181);
  expected.emplace_back(gsTitle, 0, 30);
  EXPECT_EQ(Record(181 + 181 + 30), expected);
  EXPECT_EQ(std::tie(Score, Lives, Level), std::make_tuple(1234, uint16_t{0}, uint16_t{3}));
  EXPECT_EQ(StateTimer, -1);
  Hold(game::keySpace);
  Frames(1);
  EXPECT_EQ(GameState, gsCountdown);
  EXPECT_EQ(std::tie(Score, Lives, Level), std::make_tuple(0, uint16_t{3}, uint16_t{1}));
}

TEST_F(StatesTest, NoLivesLeftInPlayStartsDyingInTheSameFrame) {
  PlayLevel(1);
  Lives = 0;
  StateTimer = 0;
  Frames(1);
  EXPECT_EQ(GameState, gsDying);
  EXPECT_EQ(BlinkStep, 1);  // the dying handler ran in the same frame
}

TEST_F(StatesTest, TransitionStatesHoldThePlayerStill) {
  const uint16_t states[] = {gsLevelDone, gsGameOver, gsCountdown, gsDying};
  for (uint16_t state : states) {
    SCOPED_TRACE(state);
    PlayLevel(1);
    GameState = state;
    StateTimer = 5;
    Moving = true;
    WalkFrame = 3;
    Frames(1);
    EXPECT_FALSE(Moving);
    EXPECT_EQ(WalkFrame, 3);
  }
}

TEST_F(StatesTest, BrightnessKeysOneStepPerFrame) {
  struct Case {
    int start;
    bool up, down;
    int frames, expected;
  };
  const Case cases[] = {
      {255, true, false, 5, 255}, {255, false, true, 30, 225}, {3, false, true, 10, 0},
      {250, true, false, 10, 255}, {255, true, true, 1, 254}, {100, true, true, 3, 100},
      {0, true, true, 1, 0},
  };
  GameState = gsTitle;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << " " << c.up << c.down);
    game::SetBrightness(static_cast<uint8_t>(c.start));
    game::SetKey(game::keyPageUp, c.up);
    game::SetKey(game::keyPageDown, c.down);
    Frames(c.frames);
    EXPECT_EQ(game::GetBrightness(), c.expected);
  }
}

TEST_F(StatesTest, StartLevelPutsThePlayerOnTheLastStartColumnByColumn) {
  struct Case {
    const char* name;
    std::vector<std::string> map;
    int viewX, viewY;
  };
  const Case cases[] = {
      {"no start", {"....", "...."}, 10, 10},
      {"one start", {"....", ".S.."}, 1 - 4, 1 - 3},
      {"greater column wins", {"...S", "S..."}, 3 - 4, 0 - 3},
      {"same column: greater row", {".S..", ".S..", "...."}, 1 - 4, 1 - 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BuildMap(c.map);
    WriteLevel("level2");
    Level = 1;
    ScrollX = 40;
    ScrollY = 8;
    Direction = 3;
    Moving = true;
    WalkFrame = 4;
    WalkTick = 2;
    Inventory = "&&";
    Firing = true;
    Score = 5;
    StartLevel();
    EXPECT_EQ(Level, 2);
    EXPECT_EQ(ViewX, c.viewX);
    EXPECT_EQ(ViewY, c.viewY);
    EXPECT_EQ(std::tie(ScrollX, ScrollY), std::make_tuple(0, 0));
    EXPECT_EQ(Direction, 1);
    EXPECT_FALSE(Moving);
    EXPECT_EQ(std::tie(WalkFrame, WalkTick), std::make_tuple(uint16_t{0}, uint16_t{0}));
    EXPECT_EQ(Inventory, "");
    EXPECT_TRUE(Firing);
    EXPECT_EQ(Score, 5);
    EXPECT_EQ(maps::SpriteBase, FixedSpriteCount);
  }
}

}  // namespace
}  // namespace shelltest
