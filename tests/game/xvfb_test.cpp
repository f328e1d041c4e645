// The shipped program as a player uses it: a real X display (a private
// Xvfb), real key presses through xdotool, screenshots of the whole display.
#include <gtest/gtest.h>


#include <array>
#include <memory>
#include <sstream>

#include "tests/game/support.h"
#include "tests/game/test_paths.h"
#include "tests/support/xvfb_server.h"
#include "tools/replay/png_file.h"

namespace vxtest {
namespace {

constexpr double StartSeconds = 60;

// An RGB picture read from a PNG file.
struct TPicture {
  std::vector<uint8_t> rgb;
  int width = 0, height = 0;

  // Mean red, green and blue over a rectangle.
  std::array<double, 3> Mean(int x, int y, int w, int h) const {
    std::array<double, 3> sum = {0, 0, 0};
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i)
        for (int c = 0; c < 3; ++c) sum[c] += rgb[(static_cast<size_t>(j) * width + i) * 3 + c];
    for (double& s : sum) s /= static_cast<double>(w) * h;
    return sum;
  }
  // Share of pixels of a rectangle that differ from another picture.
  double Difference(const TPicture& other, int x, int y, int w, int h) const {
    size_t differing = 0;
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i) {
        const size_t at = (static_cast<size_t>(j) * width + i) * 3;
        differing += rgb[at] != other.rgb[at] || rgb[at + 1] != other.rgb[at + 1] || rgb[at + 2] != other.rgb[at + 2];
      }
    return static_cast<double>(differing) / (static_cast<double>(w) * h);
  }
};

class PlayerAtTheDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    xdotool_ = OnPath("xdotool");
    import_ = OnPath("import");
    if (!XvfbInstalled() || xdotool_.empty() || import_.empty()) GTEST_SKIP() << "needs Xvfb, xdotool and import";
    server_ = std::make_unique<CXvfbServer>();
    ASSERT_TRUE(server_->Running()) << server_->Error();
    display_ = server_->Display();
  }

  std::vector<std::string> Environment() const {
    return {"DISPLAY=" + display_, "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy"};
  }
  // Runs xdotool with these arguments and returns its output.
  std::string XDoTool(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), xdotool_);
    const TProcessResult result = RunProgram(arguments, work_.Path(), Environment(), 20);
    EXPECT_TRUE(result.exited && result.status == 0) << arguments[1] << ": " << result.err;
    return result.out;
  }
  // Holds a key for longer than a frame.
  void Press(const std::string& key) {
    XDoTool({"keydown", key});
    Pause(0.2);
    XDoTool({"keyup", key});
  }
  // The whole display, cut to the window at (x, y).
  TPicture Screenshot(const std::string& name, int x, int y) {
    const fs::path file = work_.Path() / (name + ".png");
    const TProcessResult result =
        RunProgram({import_, "-display", display_, "-window", "root", file.string()}, work_.Path(), Environment(), 30);
    EXPECT_EQ(result.status, 0) << result.err;
    TPicture screen;
    EXPECT_EQ(replay::ReadPng(file.string(), screen.rgb, screen.width, screen.height), "");
    TPicture window;
    window.width = 800;
    window.height = 600;
    window.rgb.assign(800 * 600 * 3, 0);
    if (screen.width < x + 800 || screen.height < y + 600) {
      ADD_FAILURE() << "the window is not inside the display";
      return window;
    }
    for (int j = 0; j < 600; ++j)
      std::copy_n(&screen.rgb[(static_cast<size_t>(j + y) * screen.width + x) * 3], 800 * 3, &window.rgb[j * 800 * 3]);
    return window;
  }

  std::string xdotool_, import_, display_;
  TempDir install_;
  TempDir work_;
  std::unique_ptr<CXvfbServer> server_;
};

// The title, Space, the countdown and play with both panels, the arrows,
// Escape.
TEST_F(PlayerAtTheDisplay, StartsPlaysAndQuits) {
  MakeInstallCopy(install_.Path(), TInstallCopy::WithPrograms());
  Child game({(install_.Path() / "vexmoor").string(), "-windowed"}, work_.Path(), Environment());

  std::string window;
  ASSERT_TRUE(WaitFor(
      [&] {
        const TProcessResult found =
            RunProgram({xdotool_, "search", "--name", "Vexmoor"}, work_.Path(), Environment(), 10);
        window = found.out.substr(0, found.out.find('\n'));
        return !window.empty() || !game.Running();
      },
      StartSeconds));
  ASSERT_TRUE(game.Running()) << game.Wait(0).err;
  const fs::path music = install_.Path() / "Data" / "temp.dat";
  ASSERT_TRUE(WaitFor([&] { return fs::exists(music); }, StartSeconds)) << "loading did not end";
  Pause(1.0);

  // Where the window lies on the display.
  std::istringstream geometry(XDoTool({"getwindowgeometry", "--shell", window}));
  int x = 0, y = 0, width = 0, height = 0;
  for (std::string line; std::getline(geometry, line);) {
    if (line.rfind("X=", 0) == 0) x = std::stoi(line.substr(2));
    if (line.rfind("Y=", 0) == 0) y = std::stoi(line.substr(2));
    if (line.rfind("WIDTH=", 0) == 0) width = std::stoi(line.substr(6));
    if (line.rfind("HEIGHT=", 0) == 0) height = std::stoi(line.substr(7));
  }
  EXPECT_EQ(width, 800);
  EXPECT_EQ(height, 600);
  XDoTool({"windowfocus", "--sync", window});

  const TPicture title = Screenshot("title", x, y);
  Pause(0.5);
  const TPicture titleAgain = Screenshot("title2", x, y);
  EXPECT_EQ(title.Difference(titleAgain, 0, 0, 800, 600), 0.0) << "the title picture should stand still";

  Press("space");
  // The countdown lasts 129 frames, 4.3 seconds (longer on a busy
  // machine: late frames are not made up); play follows.
  Pause(7.5);
  const TPicture play = Screenshot("play", x, y);
  EXPECT_GT(title.Difference(play, 0, 0, 800, 600), 0.5) << "Space did not leave the title";
  // The health bar (100 of 100, blue) and the empty ammunition box (red)
  // and skill box (yellow) of the status panel.
  const auto health = play.Mean(651, 51, 98, 18);
  const auto ammo = play.Mean(660, 81, 88, 18);
  const auto skill = play.Mean(660, 111, 88, 18);
  EXPECT_GT(health[2], health[0] + 40) << "health bar not blue";
  EXPECT_GT(health[2], health[1] + 40) << "health bar not blue";
  EXPECT_GT(ammo[0], ammo[2] + 20) << "ammunition box not red";
  EXPECT_GT(skill[0], skill[2] + 20) << "skill box not yellow";
  EXPECT_GT(skill[1], skill[2] + 20) << "skill box not yellow";
  // The inventory slots: four light boxes over the map.
  const auto slot = play.Mean(22, 502, 44, 44);
  EXPECT_GT(slot[0] + slot[1] + slot[2], 3 * 40.0) << "inventory slot not drawn";

  // Every arrow in turn: at least one of them walks, and the map moves. On
  // a busy machine frames come late and the countdown may still be running,
  // so the round is repeated for a while before giving up.
  TPicture before = play;
  double moved = 0;
  for (int round = 0; round < 6 && moved <= 0.1; ++round) {
    for (const char* arrow : {"Up", "Right", "Down", "Left"}) {
      Press(arrow);
      Pause(0.8);
      const TPicture after = Screenshot(std::string("walk-") + arrow, x, y);
      moved = std::max(moved, before.Difference(after, 0, 0, 560, 460));
      before = after;
    }
  }
  EXPECT_GT(moved, 0.1) << "no arrow moved the map";

  Press("Escape");
  const TProcessResult result = game.Wait(20);
  EXPECT_TRUE(result.exited) << "signal " << result.signal << (result.timedOut ? ", timed out" : "");
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(ScratchFiles(install_.Path()).empty());
  EXPECT_FALSE(fs::exists(work_.Path() / "Data")) << "the working directory got a Data/";
}

}  // namespace
}  // namespace vxtest
