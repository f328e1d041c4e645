// The shipped levels played through the real loop along the routes that
// vexmoor-levelcheck finds, from the first level round to the first again.
#include <gtest/gtest.h>

#include <map>

#include "main/game_vars.h"
#include "tests/game/game_run.h"
#include "tests/game/support.h"
#include "tests/game/test_paths.h"

namespace vxtest {
namespace {

using namespace shell;

constexpr uint16_t LevelCount = 4;

// What happened on one level.
struct TLevelPlay {
  uint32_t firstPlayFrame = 0;
  uint32_t exitFrame = 0;
  size_t movesMade = 0;
  int32_t scoreAtExit = 0;
  uint16_t livesAtExit = 0;
};

TEST(Playthrough, EveryShippedLevelAlongItsRouteThenLevelOneAgain) {
  const auto routes = ShippedRoutes();
  ASSERT_EQ(routes.size(), LevelCount) << "a level without a route";
  TempDir install;
  MakeInstallCopy(install.Path(), {});

  std::map<uint16_t, TLevelPlay> played;
  TRouteWalker walker;
  uint16_t levelsDone = 0;
  uint16_t currentLevel = 0;
  TSnapshot wrapped;  // the state when level 1 came round again

  GameRun run;
  run.keys = [&](uint32_t frame) -> replay::TKeySet {
    if (frame == 1) return replay::KeyBit("space");
    walker.route = routes.at(Level);
    return walker.Keys();
  };
  run.goOn = [&](const TSnapshot& after) {
    TLevelPlay& level = played[after.level];
    if (after.state == gsPlaying && level.firstPlayFrame == 0) level.firstPlayFrame = after.frame;
    walker.After(after);
    if (after.state == gsLevelDone && level.exitFrame == 0 && levelsDone < LevelCount) {
      level.exitFrame = after.frame;
      level.movesMade = walker.next;
      level.scoreAtExit = after.score;
      level.livesAtExit = after.lives;
      ++levelsDone;
    }
    if (after.level != currentLevel) {
      // The next level began (its countdown runs).
      currentLevel = after.level;
      walker.next = 0;
      if (levelsDone == LevelCount) {
        wrapped = after;
        return false;
      }
    }
    return after.state != gsDying && after.state != gsGameOver;
  };
  const int status = run.Run(install.Path().string(), 20000);
  EXPECT_EQ(status, 0);

  for (uint16_t n = 1; n <= LevelCount; ++n) {
    SCOPED_TRACE("level " + std::to_string(n));
    const TLevelPlay& level = played[n];
    ASSERT_NE(level.exitFrame, 0u) << "the exit was not reached; last state " << run.Frames().back().state
                                   << " after " << walker.next << " moves";
    EXPECT_EQ(level.movesMade, routes.at(n).size()) << "the exit came before the route's end";
    EXPECT_EQ(level.livesAtExit, 3);
  }
  EXPECT_EQ(wrapped.level, 1) << "after level 4 comes level 1";
  EXPECT_EQ(wrapped.state, gsCountdown);
  EXPECT_EQ(wrapped.score, played[LevelCount].scoreAtExit);
  EXPECT_EQ(wrapped.lives, played[LevelCount].livesAtExit);
  EXPECT_GT(wrapped.score, 4 * 250);
}

}  // namespace
}  // namespace vxtest
