// Both programs as they are started: headless, from another working
// directory, ended by the system's termination signal, and with a resource
// missing.
#include <gtest/gtest.h>

#include <algorithm>

#include <signal.h>

#include "tests/game/support.h"
#include "tests/game/test_paths.h"

namespace vxtest {
namespace {

// Seconds a program may take to load (the sanitizer build is slow).
constexpr double LoadSeconds = 90;
constexpr double EndSeconds = 30;

class Programs : public ::testing::TestWithParam<const char*> {
 protected:
  std::string Program() const { return (install_.Path() / GetParam()).string(); }
  TempDir install_;
  TempDir work_;  // the working directory, which must stay empty
};

TEST_P(Programs, EndOnTerminationWithStatusZeroAndNoScratchFiles) {
  MakeInstallCopy(install_.Path(), TInstallCopy::WithPrograms());
  Child game({Program(), "-windowed"}, work_.Path(), DummyDrivers());
  // The music is the last thing loaded before the main loop: its file in
  // Data/ shows the loop is about to run.
  const fs::path music = install_.Path() / "Data" / "temp.dat";
  ASSERT_TRUE(WaitFor([&] { return fs::exists(music) || !game.Running(); }, LoadSeconds));
  ASSERT_TRUE(game.Running()) << game.Wait(0).err;
  Pause(0.5);
  game.Signal(SIGTERM);
  const TProcessResult result = game.Wait(EndSeconds);
  EXPECT_TRUE(result.exited) << "signal " << result.signal << (result.timedOut ? ", timed out" : "");
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(ScratchFiles(install_.Path()).empty());
  EXPECT_TRUE(fs::is_empty(work_.Path()));
}

TEST_P(Programs, MissingPackedSpriteEndsWithOneLineNamingIt) {
  MakeInstallCopy(install_.Path(), TInstallCopy::WithPrograms({"Sprites"}));
  const fs::path missing = install_.Path() / "Sprites" / "medkit.dat";
  ASSERT_TRUE(fs::remove(missing));
  const TProcessResult result = RunProgram({Program(), "-windowed"}, work_.Path(), DummyDrivers(), LoadSeconds);
  ASSERT_TRUE(result.exited) << "signal " << result.signal;
  EXPECT_NE(result.status, 0);
  const auto lines = Lines(result.err);
  ASSERT_EQ(lines.size(), 1u) << result.err;
  EXPECT_NE(lines[0].find("Sprites/medkit.dat"), std::string::npos) << lines[0];
  EXPECT_TRUE(ScratchFiles(install_.Path()).empty());
  EXPECT_TRUE(fs::is_empty(work_.Path()));
}

TEST_P(Programs, MissingLooseSpriteInDevelopModeEndsWithOneLineNamingIt) {
  MakeInstallCopy(install_.Path(), TInstallCopy::WithPrograms({"Sprites"}));
  const fs::path missing = install_.Path() / "Sprites" / "ammo.bmp";
  if (!fs::exists(missing)) GTEST_SKIP() << "the installation has no loose sprites";
  ASSERT_TRUE(fs::remove(missing));
  const TProcessResult result =
      RunProgram({Program(), "-windowed", "-develop"}, work_.Path(), DummyDrivers(), LoadSeconds);
  ASSERT_TRUE(result.exited) << "signal " << result.signal;
  EXPECT_NE(result.status, 0);
  const auto lines = Lines(result.err);
  ASSERT_EQ(lines.size(), 1u) << result.err;
  EXPECT_NE(lines[0].find("Sprites/ammo.bmp"), std::string::npos) << lines[0];
  EXPECT_TRUE(fs::is_empty(work_.Path()));
}

// Without a display and without a chosen driver both programs stop before
// SDL starts, with one line saying how to choose a driver, rather than
// falling through to a text-mode driver that draws over the terminal. A
// driver named in SDL_VIDEODRIVER is still used.
TEST_P(Programs, WithoutADisplayEndAtOnceUnlessADriverIsChosen) {
  const std::string expected = "vexmoor: no display found (DISPLAY and WAYLAND_DISPLAY are unset); set SDL_VIDEODRIVER"
                               " to choose a video driver, e.g. SDL_VIDEODRIVER=dummy";
  struct {
    const char* name;
    std::vector<std::string> environment;
    bool starts;
  } const cases[] = {
      {"nothing set", {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}, false},
      {"all three empty", {"DISPLAY=", "WAYLAND_DISPLAY=", "SDL_VIDEODRIVER="}, false},
      {"the dummy driver chosen", {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER=dummy"}, true},
  };
  MakeInstallCopy(install_.Path(), TInstallCopy::WithPrograms());
  const fs::path music = install_.Path() / "Data" / "temp.dat";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> environment = c.environment;
    environment.push_back("SDL_AUDIODRIVER=dummy");
    Child game({Program(), "-windowed"}, work_.Path(), environment);
    if (c.starts) {
      ASSERT_TRUE(WaitFor([&] { return fs::exists(music) || !game.Running(); }, LoadSeconds));
      ASSERT_TRUE(game.Running()) << game.Wait(0).err;
      game.Signal(SIGTERM);
    }
    const TProcessResult result = game.Wait(c.starts ? EndSeconds : 10);
    ASSERT_TRUE(result.exited) << "signal " << result.signal << (result.timedOut ? ", timed out" : "");
    EXPECT_EQ(result.status, c.starts ? 0 : 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, c.starts ? "" : expected + "\n");
    EXPECT_TRUE(ScratchFiles(install_.Path()).empty());
    EXPECT_TRUE(fs::is_empty(work_.Path()));
  }
}

// A display that is named but refuses the connection (a server gone, a
// display number that was never there): one line saying so, not a crash.
TEST_P(Programs, ADisplayThatCannotBeOpenedEndsWithOneLine) {
  MakeInstallCopy(install_.Path(), TInstallCopy::WithPrograms());
  for (const char* display : {":987", "127.0.0.1:987"}) {
    SCOPED_TRACE(display);
    // SDL 2 (under sdl12-compat) leaves the D-Bus buffers of its failed
    // start behind: the library's blocks, not the game's, so the sanitizer
    // build does not count leaks here.
    Child game({Program(), "-windowed"}, work_.Path(),
               {std::string("DISPLAY=") + display, "WAYLAND_DISPLAY", "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy",
                "ASAN_OPTIONS=detect_leaks=0"});
    const TProcessResult result = game.Wait(EndSeconds);
    ASSERT_TRUE(result.exited) << "signal " << result.signal << (result.timedOut ? ", timed out" : "");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind("vexmoor: ", 0), 0u) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_TRUE(ScratchFiles(install_.Path()).empty());
    EXPECT_TRUE(fs::is_empty(work_.Path()));
  }
}

INSTANTIATE_TEST_SUITE_P(BothBuilds, Programs, ::testing::Values("vexmoor", "vexmoor-sw"),
                         [](const auto& info) { return std::string(info.param) == "vexmoor" ? "Main" : "Second"; });

}  // namespace
}  // namespace vxtest
