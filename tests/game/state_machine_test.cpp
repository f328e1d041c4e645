// The game-state machine over a whole game, on two small levels: the title,
// the countdown, play, an exit and the next level, three deaths on mines
// with the level restarted from its file, game over and the title again.
#include <gtest/gtest.h>

#include <array>

#include "main/game_vars.h"
#include "main/resource_ids.h"
#include "tests/game/game_run.h"
#include "tests/game/test_levels.h"
#include "world/maps.h"

namespace vxtest {
namespace {

using namespace shell;

// Level 1: the exit right of the start. Level 2: four armed mines right of
// the start and a wall behind them, so that holding the right arrow walks
// over all four (25 health each) and then stops.
const char* const ExitLevel =
    "level 5 3\n"
    "name grass\n"
    "tiles\n"
    "g = grass\n"
    "ggggg\nggggg\nggggg\n"
    "content\n"
    "#####\n#SE##\n#####\n";
const char* const MineLevel =
    "level 8 3\n"
    "name grass\n"
    "tiles\n"
    "g = grass\n"
    "gggggggg\ngggggggg\ngggggggg\n"
    "content\n"
    "########\n#S****##\n########\n";

constexpr int MineStartX = 1, MineRow = 1;

// Frame counts that follow from the state handlers' timers.
// A countdown entered from the level-complete state shows its empty first
// step for one frame (the timer is already below 0), so its step 1 begins
// in the entering frame; each sprite step then lasts 21 frames, each empty
// one 11, and play begins in the frame after the ninth step is reached.
constexpr uint32_t StepsOneToEight = 21 + 11 + 21 + 11 + 21 + 11 + 21 + 11;
// From the dying state the first, empty step lasts 21 frames and starts in
// the frame after the one that left the dying state.
constexpr uint32_t FirstStepAfterDying = 21;
// A step from cell to cell.
constexpr uint32_t StepFrames = 12;
// Dying: the first phase lasts 11 frames (the countdown left the timer at
// 10), then six hidden phases of 11 and five visible ones of 21; the
// handler leaves in the last frame of the last phase.
constexpr uint32_t DyingFrames = 11 + 6 * 11 + 5 * 21;
// Level complete: the banner for 45 frames, the next level in the 46th.
constexpr uint32_t LevelDoneFrames = 46;
// Game over: 181 frames, the title in the frame after.
constexpr uint32_t GameOverFrames = 181;

// The frame in which Space started a game: level 1's countdown with the
// counters of a new game.
void ExpectNewGame(const TSnapshot& s) {
  SCOPED_TRACE("new game in frame " + std::to_string(s.frame));
  EXPECT_EQ(s.state, gsCountdown);
  EXPECT_EQ(s.level, 1);
  EXPECT_EQ(s.lives, 3);
  EXPECT_EQ(s.score, 0);
  EXPECT_EQ(s.health, 100);
  EXPECT_EQ(s.ammo, 1);
  EXPECT_EQ(s.skill, 1);
}

TEST(StateMachine, FromTitleThroughExitDeathsAndGameOverBackToTitle) {
  TempDir install;
  ASSERT_EQ(MakeLevelInstall(install.Path(), {{"level1", ExitLevel}, {"level2", MineLevel}}), "");

  // The contents of level 2's four mine cells after every frame.
  std::vector<std::array<uint8_t, 4>> mines;
  GameRun run;
  const uint32_t spaceAgain = 1500;
  run.keys = [&](uint32_t frame) -> replay::TKeySet {
    if (frame == 1 || frame == spaceAgain) return replay::KeyBit("space");
    return frame < spaceAgain ? replay::KeyBit("right") : 0;
  };
  run.goOn = [&](const TSnapshot&) {
    std::array<uint8_t, 4> cells{};
    for (int i = 0; i < 4; ++i) cells[i] = maps::GetSector(MineStartX + 1 + i, MineRow)->Content;
    mines.push_back(cells);
    return true;
  };
  ASSERT_EQ(run.Run(install.Path().string(), spaceAgain + 5), 0);
  auto minesAfter = [&](uint32_t frame) { return mines.at(frame - 1); };
  auto expectCountdownSteps = [&](uint32_t stepOneFrame) {
    uint32_t frame = stepOneFrame;
    for (int step = 1; step <= 8; ++step) {
      if (step > 1 || (frame > 1 && run.After(frame - 1).state == gsCountdown)) {
        EXPECT_EQ(run.After(frame - 1).countdownStep, step - 1) << "countdown step " << step << " came early";
      }
      EXPECT_EQ(run.After(frame).countdownStep, step) << "countdown step " << step << " at frame " << frame;
      frame += step % 2 ? 21 : 11;
    }
    EXPECT_EQ(run.After(frame - 1).state, gsCountdown);
    EXPECT_EQ(run.After(frame).state, gsPlaying) << "frame " << frame;
    return frame;  // the frame that switched to play
  };

  // Space in frame 1: title, level complete and countdown all run in that
  // frame, and level 1 is loaded.
  const TSnapshot& first = run.After(1);
  ExpectNewGame(first);
  EXPECT_EQ(first.countdownStep, 1);
  EXPECT_EQ(first.timer, 20);
  EXPECT_EQ(first.viewX, 1 - 4);
  EXPECT_EQ(first.viewY, 1 - 3);

  const uint32_t play1 = expectCountdownSteps(1);
  EXPECT_EQ(play1, 1 + StepsOneToEight);

  // The right arrow, held all along, starts a step in the first play
  // frame; the frame after the step the exit is met.
  EXPECT_EQ(run.After(play1 + 1).viewX, first.viewX + 1);
  EXPECT_TRUE(run.After(play1 + 1).moving);
  const uint32_t exitFrame = play1 + 1 + StepFrames;
  EXPECT_EQ(run.After(exitFrame - 1).state, gsPlaying);
  const TSnapshot& atExit = run.After(exitFrame);
  EXPECT_EQ(atExit.state, gsLevelDone);
  EXPECT_EQ(atExit.timer, 44);
  EXPECT_EQ(atExit.score, 250);
  EXPECT_EQ(atExit.ammo, 0);
  EXPECT_EQ(atExit.health, 100);
  const uint32_t level2 = exitFrame + LevelDoneFrames - 1;
  EXPECT_EQ(run.After(level2 - 1).state, gsLevelDone);
  EXPECT_EQ(run.After(level2 - 1).level, 1);
  EXPECT_EQ(run.After(level2).state, gsCountdown);
  EXPECT_EQ(run.After(level2).level, 2);
  EXPECT_EQ(run.After(level2).countdownStep, 1);
  const TSnapshot& level2Start = run.After(level2);
  EXPECT_EQ(level2Start.viewX, MineStartX - 4);

  // Three lives lost on the four mines of level 2, each followed by the
  // restart of level 2 from its file.
  uint32_t play = expectCountdownSteps(level2);
  std::vector<uint32_t> deaths;
  for (int life = 0; life < 3; ++life) {
    SCOPED_TRACE("life " + std::to_string(life + 1));
    for (int mine = 1; mine <= 4; ++mine) {
      const uint32_t onMine = play + static_cast<uint32_t>(mine) * StepFrames + 1;
      EXPECT_EQ(minesAfter(onMine)[mine - 1], maps::ctMineInactive) << "mine " << mine;
      if (mine < 4) {
        EXPECT_EQ(run.After(onMine).health, 100 - 25 * mine);
        EXPECT_EQ(run.After(onMine).state, gsPlaying);
      }
    }
    const uint32_t death = play + 4 * StepFrames + 1;
    deaths.push_back(death);
    const TSnapshot& dead = run.After(death);
    EXPECT_EQ(dead.state, gsDying);
    EXPECT_EQ(dead.lives, 2 - life);
    EXPECT_EQ(dead.health, 100);
    EXPECT_EQ(dead.blinkStep, 0);
    EXPECT_EQ(dead.timer, 9);
    EXPECT_EQ(dead.score, 250);
    const uint32_t leave = death + DyingFrames - 1;
    EXPECT_EQ(run.After(leave - 1).state, gsDying);
    EXPECT_EQ(run.After(leave - 1).blinkStep, 11);
    if (life < 2) {
      const TSnapshot& restart = run.After(leave);
      EXPECT_EQ(restart.state, gsCountdown);
      EXPECT_EQ(restart.level, 2);
      EXPECT_EQ(restart.countdownStep, 0);
      EXPECT_EQ(restart.viewX, level2Start.viewX);
      EXPECT_EQ(restart.viewY, level2Start.viewY);
      const std::array<uint8_t, 4> armed = {maps::ctMineActive, maps::ctMineActive, maps::ctMineActive,
                                            maps::ctMineActive};
      const std::array<uint8_t, 4> spent = {maps::ctMineInactive, maps::ctMineInactive, maps::ctMineInactive,
                                            maps::ctMineInactive};
      EXPECT_EQ(minesAfter(leave - 1), spent);
      EXPECT_EQ(minesAfter(leave), armed) << "the level was not reloaded from its file";
      play = expectCountdownSteps(leave + FirstStepAfterDying);
    } else {
      const TSnapshot& over = run.After(leave);
      EXPECT_EQ(over.state, gsGameOver);
      EXPECT_EQ(over.timer, 180);
      EXPECT_EQ(over.lives, 0);
      const uint32_t title = leave + GameOverFrames;
      EXPECT_EQ(run.FirstFrame(leave, [](const TSnapshot& s) { return s.state != gsGameOver; }), title);
      // The title keeps the counters until Space starts a new game.
      for (uint32_t frame = title; frame < spaceAgain; ++frame) {
        EXPECT_EQ(run.After(frame).state, gsTitle) << frame;
        EXPECT_EQ(run.After(frame).lives, 0) << frame;
        EXPECT_EQ(run.After(frame).score, 250) << frame;
      }
    }
  }

  ExpectNewGame(run.After(spaceAgain));

  // "enter" opens every countdown: the first level, the exit, the two
  // restarts and the new game; the third death goes to game over without it.
  const std::vector<uint32_t> enter = {1, level2, deaths[0] + DyingFrames - 1, deaths[1] + DyingFrames - 1, spaceAgain};
  EXPECT_EQ(run.FramesWithSound(sndEnter), enter);
  EXPECT_EQ(run.FramesWithSound(sndEnd), std::vector<uint32_t>{exitFrame});
  EXPECT_EQ(run.FramesWithSound(sndMine).size(), 12u);
}

}  // namespace
}  // namespace vxtest
