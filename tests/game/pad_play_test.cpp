// The shipped levels played with a gamepad: joystick events pushed into
// SDL's own queue while the real game runs, frame by frame as the replay
// tool pushes them, must give the very dump the same inputs give on the
// keyboard. The pad run walks the routes in this process; the keyboard run
// is the replay tool on the script of what the pad held.
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "engine/game.h"
#include "main/game_vars.h"
#include "tests/game/game_run.h"
#include "tests/game/support.h"
#include "tests/game/test_paths.h"

namespace vxtest {
namespace {

using namespace shell;
using replay::KeyBit;

constexpr uint16_t LevelCount = 4;

// One way of playing by pad: the layout it is read with, what walks, and
// the button that starts the game and fires.
struct TPadWay {
  const char* name;
  game::TPadLayout layout;
  TWalkBy by;
  const char* fire;
};

// The keyboard's version of a set of keys and pad controls.
replay::TKeySet OnTheKeyboard(replay::TKeySet keys) {
  const std::pair<const char*, const char*> pairs[] = {
      {"pad-up", "up"},         {"pad-down", "down"},       {"pad-left", "left"},     {"pad-right", "right"},
      {"stick-up", "up"},       {"stick-down", "down"},     {"stick-left", "left"},   {"stick-right", "right"},
      {"pad-a", "space"},       {"pad-b", "space"},         {"pad-x", "space"},       {"pad-y", "space"},
      {"pad-start", "space"},   {"pad-lb", "pageup"},       {"pad-rb", "pagedown"},
  };
  replay::TKeySet keyboard = keys & ((replay::TKeySet{1} << replay::KeyboardKeyCount) - 1);
  for (const auto& [pad, key] : pairs)
    if (keys & KeyBit(pad)) keyboard |= KeyBit(key);
  return keyboard;
}

// A key script holding `held[i]` in frame i + 1.
std::string Script(const std::vector<replay::TKeySet>& held) {
  std::string script;
  for (size_t i = 0; i < held.size(); ++i) {
    if (i > 0 && held[i] == held[i - 1]) continue;
    script += std::to_string(i + 1);
    for (size_t bit = 0; bit < replay::KeyNames().size(); ++bit)
      if ((held[i] >> bit) & 1u) script += " " + replay::KeyNames()[bit];
    script += "\n";
  }
  return script;
}

void PrintTo(const TPadWay& way, std::ostream* os) { *os << way.name; }

class PadPlay : public ::testing::TestWithParam<TPadWay> {};

TEST_P(PadPlay, TheShippedRoutesByPadDumpExactlyAsByTheKeyboard) {
  const TPadWay& way = GetParam();
  const auto routes = ShippedRoutes();
  ASSERT_EQ(routes.size(), LevelCount) << "a level without a route";
  TempDir install, work;
  MakeInstallCopy(install.Path(), {});
  game::SetVirtualPadLayout(way.layout);

  TRouteWalker walker;
  walker.by = way.by;
  uint16_t levelsDone = 0, currentLevel = 0;
  bool exitSeen = false, wrapped = false;
  std::vector<replay::TKeySet> held;
  GameRun run;
  run.keys = [&](uint32_t frame) -> replay::TKeySet {
    replay::TKeySet keys = 0;
    // The shoulders in the countdown dim and brighten the picture.
    if (frame >= 3 && frame < 12) keys |= KeyBit("pad-rb");
    if (frame >= 12 && frame < 16) keys |= KeyBit("pad-lb");
    if (frame == 1) {
      keys |= KeyBit(way.fire);
    } else {
      walker.route = routes.at(Level);
      keys |= walker.Keys();
      // A shot now and then, while walking too.
      if (GameState == gsPlaying && frame % 40 < 2) keys |= KeyBit(way.fire);
    }
    held.push_back(keys);
    return keys;
  };
  run.goOn = [&](const TSnapshot& after) {
    walker.After(after);
    if (after.state == gsLevelDone && !exitSeen) {
      exitSeen = true;
      ++levelsDone;
    }
    if (after.level != currentLevel) {
      currentLevel = after.level;
      walker.next = 0;
      exitSeen = false;
      if (levelsDone == LevelCount) {
        wrapped = true;
        return false;
      }
    }
    return after.state != gsDying && after.state != gsGameOver;
  };
  ASSERT_EQ(run.Run(install.Path().string(), 20000), 0);
  ASSERT_TRUE(wrapped) << "the pad did not walk all four levels; last state " << run.Frames().back().state
                       << " on level " << run.Frames().back().level;
  const std::vector<std::string>& byPad = run.DumpLines();
  // The pass that found the quit asked for the keys of a frame that never ran.
  ASSERT_EQ(held.size(), byPad.size() + 1);
  held.pop_back();

  std::vector<replay::TKeySet> keyboard;
  for (replay::TKeySet keys : held) keyboard.push_back(OnTheKeyboard(keys));
  std::ofstream(work.Path() / "keyboard.keys") << Script(keyboard);
  const TProcessResult replayed = RunProgram(
      {std::string(BinDir) + "/vexmoor-replay", "--dir", install.Path().string(), "--seed", "1", "--keys",
       (work.Path() / "keyboard.keys").string(), "--frames", std::to_string(held.size()), "--dump",
       (work.Path() / "keyboard.json").string()},
      work.Path());
  ASSERT_EQ(replayed.status, 0) << replayed.err;
  const std::vector<std::string> byKeyboard = Lines(ReadText(work.Path() / "keyboard.json"));
  ASSERT_EQ(byKeyboard.size(), byPad.size());
  size_t differing = 0;
  for (size_t i = 0; i < byPad.size(); ++i) {
    if (byPad[i] == byKeyboard[i] || differing++ >= 3) continue;
    ADD_FAILURE() << "frame " << i + 1 << ":\n  by pad:      " << byPad[i] << "\n  by keyboard: " << byKeyboard[i];
  }
  EXPECT_EQ(differing, 0u) << "of " << byPad.size() << " frames";
  std::printf("%s: %zu frames alike\n", way.name, byPad.size());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, PadPlay,
    ::testing::Values(TPadWay{"DPadHatOfAnXboxPad", game::plXbox, TWalkBy::DPad, "pad-a"},
                      TPadWay{"DPadButtonsOfTheStandardGamepad", game::plStandard, TWalkBy::DPad, "pad-start"},
                      TPadWay{"StickOfAPlayStationPad", game::plPlayStation, TWalkBy::Stick, "pad-y"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vxtest
