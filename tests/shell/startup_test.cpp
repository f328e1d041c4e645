// The whole program in-process: start-up with its loading screen, the main
// loop with its hooks, and the one-line failures when a resource is
// missing. Resources are tiny generated files in a scratch program
// directory, read in development mode.
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>
#include <string.h>

#include <SDL.h>

#include <filesystem>
#include <map>
#include <set>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>

#include "engine/game.h"
#include "main/game_vars.h"
#include "main/shell.h"
#include "resources/datafile.h"
#include "resources/startup.h"
#include "tests/shell/shell_fixture.h"
#include "tests/support/temp_dir.h"
#include "world/maps.h"

namespace shelltest {
namespace {

const char* const SpriteFiles[] = {
    "grass", "cdoor", "keycard", "medkit", "ammo", "odoor", "mine_active", "mine_inactive",
    "player_shadow", "player_u_m", "player_u_l1", "player_u_r1", "player_u_r2", "player_r_m",
    "player_r_l1", "player_r_r1", "player_r_r2", "player_d_m", "player_d_l1", "player_d_r1",
    "player_d_r2", "player_l_m", "player_l_l1", "player_l_r1", "player_l_r2", "start", "lives",
    "pixel", "go", "1", "2", "3", "next_level", "game_over", "player_u_fire", "player_r_fire",
    "player_d_fire", "player_l_fire", "ground",
};
const char* const SoundFiles[] = {"step", "health", "keys", "ammo", "door", "end", "mine", "enter", "gun3r"};

// A clock that moves on by one millisecond at every reading, so frames fall
// due after a fixed number of passes whatever the machine's speed.
uint32_t FakeNow = 0;
uint32_t FakeTicks() { return ++FakeNow; }

class StartUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    temp = std::make_unique<vxtest::TempDir>();
    dir = temp->Slash();
    for (const char* sub : {"Sprites", "Fonts", "Sounds", "Music", "Maps", "maps"}) {
      std::filesystem::create_directories(dir + sub);
    }
    resources::ProgramDir = dir;
    resources::SetArguments({"vexmoor", "-develop", "-windowed"});
    maps::ResetModule();
    FakeNow = 0;
    game::SetTickSource(FakeTicks);
  }
  void TearDown() override {
    game::SetTickSource(nullptr);
    game::SetSleeper(nullptr);
    game::SetFrameWaiting(true);
    maps::ResetModule();
    shell::ResetGameVariables();
    resources::SetArguments({"vexmoor"});
    resources::ProgramDir.clear();
    temp.reset();
  }

  void WriteFont() { WriteBmp(dir + "Fonts/courier new 10.fnt", 16, {255, 255, 255}, 2048); }
  void WriteSprites(const std::string& leaveOut = "") {
    for (const char* name : SpriteFiles) {
      if (name != leaveOut) WriteBmp(dir + "Sprites/" + name + ".bmp", 4, {200, 100, 50});
    }
  }
  void WriteSounds(const std::string& leaveOut = "") {
    for (const char* name : SoundFiles) {
      if (name != leaveOut) WriteWav(dir + "Sounds/" + name + ".wav");
    }
  }
  // level1 with one ground picture, "ground", and its start cell; the other
  // three levels the same, since every level is checked at start.
  void WriteLevelOne() {
    maps::ResetMap(12, 10);
    maps::Map->SpriteCount = 1;
    maps::Map->SpriteNames[0] = "ground";
    maps::GetSector(6, 5)->Content = maps::ctStart;
    for (const char* name : {"level1", "level2", "level3", "level4"}) {
      maps::SaveMap(name);
      std::filesystem::rename(dir + "maps/" + name + ".map", dir + "Maps/" + name + ".map");
    }
    maps::ResetMap(0, 0);
  }

  // Every resource packed, and the program started without "-develop".
  void WritePackedInstallation() {
    WriteFont();
    WriteSprites();
    WriteSounds();
    WriteLevelOne();
    for (const char* sub : {"Sprites/", "Fonts/", "Sounds/", "Maps/"}) {
      for (const auto& entry : std::filesystem::directory_iterator(dir + sub)) {
        resources::PackDataFile(entry.path().string(), dir + sub);
        std::filesystem::remove(entry.path());
      }
    }
    resources::SetArguments({"vexmoor", "-windowed"});
  }
  // What Data/ holds (nothing when it does not exist).
  std::vector<std::string> DataFiles() const {
    std::vector<std::string> names;
    std::error_code missing;
    for (const auto& entry : std::filesystem::directory_iterator(dir + "Data", missing))
      names.push_back(entry.path().filename());
    return names;
  }

  // Runs the program; returns its status and what it printed on stderr.
  static std::pair<int, std::string> Run(const shell::TLoopHooks* hooks = nullptr) {
    testing::internal::CaptureStderr();
    const int status = shell::RunGame(hooks);
    return {status, testing::internal::GetCapturedStderr()};
  }

  std::unique_ptr<vxtest::TempDir> temp;
  std::string dir;  // temp's, with its final "/"
};

TEST_F(StartUpTest, MissingResourceStopsBeforeTheTitleNamingItsFile) {
  struct Case {
    const char* name;
    bool font;
    const char* missingSprite;
    const char* missingSound;
    std::string file;
    const char* missingLevel = "";
  };
  const Case cases[] = {
      {"font", false, "", "", "Fonts/courier new 10.fnt"},
      {"sprite", true, "medkit", "", "Sprites/medkit.bmp"},
      {"ground sprite", true, "ground", "", "Sprites/ground.bmp"},
      {"sound", true, "", "mine", "Sounds/mine.wav"},
      {"a later level", true, "", "", "Maps/level3.map", "level3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(dir + "Sprites");
    std::filesystem::remove_all(dir + "Sounds");
    std::filesystem::remove_all(dir + "Fonts");
    for (const char* sub : {"Sprites", "Sounds", "Fonts"}) std::filesystem::create_directories(dir + sub);
    if (c.font) WriteFont();
    WriteSprites(c.missingSprite);
    WriteSounds(c.missingSound);
    WriteLevelOne();
    if (c.missingLevel[0] != '\0') std::filesystem::remove(dir + "Maps/" + c.missingLevel + ".map");
    shell::ResetGameVariables();
    int frames = 0;
    shell::TLoopHooks hooks;
    hooks.afterFrame = [&](uint32_t) { ++frames; };
    const auto [status, message] = Run(&hooks);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(frames, 0);
    const std::string reason = message.substr(message.rfind(": ") + 2);
    EXPECT_EQ(message, "vexmoor: " + dir + c.file + ": " + reason);
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);
  }
}

TEST_F(StartUpTest, SpaceHeldWhenLoadingEndsStartsTheGameInTheFirstFrameAndEscapeEndsIt) {
  WriteFont();
  WriteSprites();
  WriteSounds();
  WriteLevelOne();
  std::vector<uint32_t> passes;
  std::vector<std::tuple<uint32_t, int, int>> frames;  // frame, state, level
  uint16_t spritesLoaded = 0;
  shell::TLoopHooks hooks;
  hooks.fixedSeed = true;
  hooks.seed = 7;
  hooks.beforePass = [&](uint32_t next) {
    if (passes.empty()) game::SetKey(game::keySpace, true);
    passes.push_back(next);
  };
  hooks.afterFrame = [&](uint32_t frame) {
    frames.emplace_back(frame, shell::GameState, shell::Level);
    spritesLoaded = game::SpriteCount();
    if (frame == 1) game::SetKey(game::keySpace, false);
    if (frame == 3) game::SetKey(game::keyEscape, true);
  };
  const auto [status, message] = Run(&hooks);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(message, "");
  const std::vector<std::tuple<uint32_t, int, int>> expected = {
      {1, shell::gsCountdown, 1}, {2, shell::gsCountdown, 1}, {3, shell::gsCountdown, 1}};
  EXPECT_EQ(frames, expected);
  EXPECT_EQ(spritesLoaded, 45);
  ASSERT_FALSE(passes.empty());
  EXPECT_EQ(passes.front(), 1u);
  EXPECT_EQ(passes.back(), 4u);
  EXPECT_TRUE(std::is_sorted(passes.begin(), passes.end()));
  EXPECT_EQ(shell::HitCounter, -1);
  EXPECT_EQ(shell::ViewX + 4, 6);
}

// A key pressed and released again before the loop pumps the queue, as a
// quick tap falls between two passes: PageDown right after frame 2 dims
// frame 3 by one step and no more, Space right after frame 5 starts the
// game in frame 6, Escape right after frame 9 ends the run in that pass.
TEST_F(StartUpTest, KeysTappedBetweenTwoPassesAreSeenByTheNextFrameOnce) {
  WriteFont();
  WriteSprites();
  WriteSounds();
  WriteLevelOne();
  const std::map<uint32_t, uint16_t> taps = {{3, game::keyPageDown}, {6, game::keySpace}, {10, game::keyEscape}};
  std::set<uint32_t> tapped;
  std::vector<std::pair<int, int>> frames;  // brightness, state
  shell::TLoopHooks hooks;
  hooks.beforePass = [&](uint32_t next) {
    const auto tap = taps.find(next);
    if (tap == taps.end() || !tapped.insert(next).second) return;
    for (Uint8 type : {SDL_KEYDOWN, SDL_KEYUP}) {
      SDL_Event event{};
      event.type = type;
      event.key.keysym.sym = static_cast<SDLKey>(tap->second);
      ASSERT_EQ(SDL_PushEvent(&event), 0);
    }
  };
  hooks.afterFrame = [&](uint32_t frame) {
    frames.emplace_back(game::GetBrightness(), shell::GameState);
    if (frame == 30) game::RequestQuit();
  };
  const auto [status, message] = Run(&hooks);
  EXPECT_EQ(status, 0) << message;
  const std::vector<std::pair<int, int>> expected = {
      {255, shell::gsTitle}, {255, shell::gsTitle},     {254, shell::gsTitle},
      {254, shell::gsTitle}, {254, shell::gsTitle},     {254, shell::gsCountdown},
      {254, shell::gsCountdown}, {254, shell::gsCountdown}, {254, shell::gsCountdown},
  };
  EXPECT_EQ(frames, expected);
}

TEST_F(StartUpTest, PackedFilesWithoutMusicRunSilentAndLeaveNoScratchFiles) {
  WritePackedInstallation();
  int frames = 0;
  shell::TLoopHooks hooks;
  hooks.afterFrame = [&](uint32_t frame) {
    frames = static_cast<int>(frame);
    if (frame == 2) game::SetKey(game::keyEscape, true);
  };
  const auto [status, message] = Run(&hooks);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(message, "");
  EXPECT_EQ(frames, 2);
  EXPECT_EQ(shell::GameState, shell::gsTitle);
  EXPECT_FALSE(std::filesystem::exists(dir + "Data/data.dat"));
  EXPECT_FALSE(std::filesystem::exists(dir + "Data/temp.dat"));
}

// The clock of the runs below, with something done at one reading of it:
// loading waits some 33 readings for each item's frame.
uint32_t ActAtReading = 0;
std::function<void()> Act;
uint32_t ActingTicks() {
  if (++FakeNow == ActAtReading && Act) Act();
  return FakeNow;
}

TEST_F(StartUpTest, TerminationSignalWhileLoadingEndsTheLoadingAndTheRunWithStatusZero) {
  WritePackedInstallation();
  game::SetTickSource(ActingTicks);
  for (int signal : {SIGHUP, SIGTERM, SIGINT, SIGQUIT}) {
    SCOPED_TRACE(strsignal(signal));
    FakeNow = 0;
    ActAtReading = 10 * 33;
    Act = [signal] { raise(signal); };
    int frames = 0;
    shell::TLoopHooks hooks;
    hooks.afterFrame = [&](uint32_t) { ++frames; };
    const auto [status, message] = Run(&hooks);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(message, "");
    EXPECT_EQ(frames, 0) << "the main loop ran";
    // Stopped some ten items into the first phase (53 items, bar total 54).
    EXPECT_EQ(shell::LoadTotal, 54) << "loading went on after the signal";
    EXPECT_GT(shell::LoadDone, 5);
    EXPECT_LT(shell::LoadDone, 20) << "loading went on after the signal";
    EXPECT_EQ(DataFiles(), std::vector<std::string>{});
  }
  Act = nullptr;
}

TEST_F(StartUpTest, AnyFailureWhileLoadingOrPlayingTakesTheOneFailurePath) {
  WritePackedInstallation();
  game::SetTickSource(ActingTicks);
  struct Case {
    const char* name;
    bool whileLoading;
    std::function<void()> fail;
    const char* line;
  };
  const Case cases[] = {
      {"out of memory while loading", true, [] { throw std::bad_alloc(); }, "vexmoor: out of memory\n"},
      {"out of memory in play", false, [] { throw std::bad_alloc(); }, "vexmoor: out of memory\n"},
      {"another exception in play", false, [] { throw std::length_error("vector too long"); },
       "vexmoor: vector too long\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeNow = 0;
    ActAtReading = c.whileLoading ? 10 * 33 : 0;
    Act = c.fail;
    shell::TLoopHooks hooks;
    hooks.afterFrame = [&](uint32_t frame) {
      if (!c.whileLoading && frame == 3) c.fail();
    };
    const auto [status, message] = Run(&hooks);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(message, c.line);
    EXPECT_EQ(DataFiles(), std::vector<std::string>{});
    std::vector<uint8_t> rgb;
    int width = 0, height = 0;
    EXPECT_FALSE(game::ReadScreen(rgb, width, height)) << "the display was not restored";
  }
  Act = nullptr;
}

// A clock in microseconds that moves on at every reading, as the loop's
// own work would move it, and a sleeper that moves it on by the sleep and
// the system's wake-up delay.
uint64_t MicroNow = 0;
uint32_t Sleeps = 0;
uint32_t SteppingMicroClock() {
  MicroNow += 40;
  return static_cast<uint32_t>(MicroNow / 1000);
}
void FakeSleep(uint32_t microseconds) {
  ++Sleeps;
  MicroNow += microseconds + 90;
}

TEST_F(StartUpTest, TheLoopSleepsBetweenFramesYetPresentsWhenALoopThatNeverSleepsWould) {
  WriteFont();
  WriteSprites();
  WriteSounds();
  WriteLevelOne();
  struct TRun {
    std::vector<uint32_t> presents;
    uint32_t passes = 0;
    uint32_t sleeps = 0;
  };
  // Starts near the top of the 32-bit millisecond clock, which wraps after
  // the loading screen, and starts a game in the first frame; every ninth
  // frame takes 45 ms.
  auto runGame = [&](bool waiting) {
    TRun run;
    shell::ResetGameVariables();
    MicroNow = ((uint64_t{1} << 32) - 2500) * 1000;
    Sleeps = 0;
    game::SetTickSource(SteppingMicroClock);
    game::SetSleeper(FakeSleep);
    game::SetFrameWaiting(waiting);
    shell::TLoopHooks hooks;
    hooks.fixedSeed = true;
    hooks.beforePass = [&](uint32_t next) {
      ++run.passes;
      game::SetKey(game::keySpace, next <= 2);
    };
    hooks.afterPresent = [&](uint32_t) { run.presents.push_back(static_cast<uint32_t>(MicroNow / 1000)); };
    hooks.afterFrame = [&](uint32_t frame) {
      if (frame % 9 == 0) MicroNow += 45000;
      if (frame == 60) game::RequestQuit();
    };
    EXPECT_EQ(Run(&hooks).first, 0);
    run.sleeps = Sleeps;
    return run;
  };
  const TRun polling = runGame(false);
  const TRun sleeping = runGame(true);
  ASSERT_EQ(polling.presents.size(), 60u);
  EXPECT_EQ(sleeping.presents, polling.presents);
  EXPECT_LT(polling.presents.back(), polling.presents.front()) << "the clock did not wrap";
  EXPECT_EQ(polling.sleeps, 0u);
  // Sleeping, the loop polls through the last millisecond or two of a
  // frame (some 50 passes at 40 us a reading); without, through all of it.
  EXPECT_GE(sleeping.sleeps, 60u);
  EXPECT_LT(sleeping.passes * 10, polling.passes);
}

}  // namespace
}  // namespace shelltest
