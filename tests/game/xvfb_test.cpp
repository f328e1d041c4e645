// The shipped program as a player uses it: a real X display (a private
// Xvfb), real key presses through xdotool, screenshots of the whole display.
// In a window on a bare display, and full screen under a window manager
// (openbox), as on a desktop.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>

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

// Where the game's 800 x 600 picture lies on the display, and how large it
// is shown there.
struct TPlacement {
  int x = 0, y = 0, width = 800, height = 600;
};

// The bounding box of everything not black on the display: a full-screen
// game's picture, centred or scaled by the SDL runtime in use.
TPlacement LitArea(const TPicture& screen) {
  int left = screen.width, top = screen.height, right = -1, bottom = -1;
  for (int j = 0; j < screen.height; ++j)
    for (int i = 0; i < screen.width; ++i) {
      const uint8_t* p = &screen.rgb[(static_cast<size_t>(j) * screen.width + i) * 3];
      if (std::max({p[0], p[1], p[2]}) < 8) continue;
      left = std::min(left, i);
      right = std::max(right, i);
      top = std::min(top, j);
      bottom = std::max(bottom, j);
    }
  if (right < 0) return TPlacement{0, 0, 0, 0};
  return TPlacement{left, top, right - left + 1, bottom - top + 1};
}

enum class TMode { Windowed, FullScreen };

class PlayerAtTheDisplay : public ::testing::TestWithParam<TMode> {
 protected:
  void SetUp() override {
    xdotool_ = OnPath("xdotool");
    import_ = OnPath("import");
    if (!XvfbInstalled() || xdotool_.empty() || import_.empty()) GTEST_SKIP() << "needs Xvfb, xdotool and import";
    if (FullScreen() && !WindowManagerInstalled()) GTEST_SKIP() << "needs openbox";
    server_ = std::make_unique<CXvfbServer>();
    ASSERT_TRUE(server_->Running()) << server_->Error();
    display_ = server_->Display();
    if (FullScreen()) {
      ASSERT_TRUE(server_->StartWindowManager(work_.Path().string())) << server_->Error();
    }
  }

  static bool FullScreen() { return GetParam() == TMode::FullScreen; }

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
  // The whole display.
  TPicture Display(const std::string& name) {
    const fs::path file = work_.Path() / (name + ".png");
    const TProcessResult result =
        RunProgram({import_, "-display", display_, "-window", "root", file.string()}, work_.Path(), Environment(), 30);
    EXPECT_EQ(result.status, 0) << result.err;
    TPicture screen;
    EXPECT_EQ(replay::ReadPng(file.string(), screen.rgb, screen.width, screen.height), "");
    return screen;
  }
  // The game's picture as 800 x 600 pixels: the display cut to where the
  // picture lies, and brought back to the game's size when it is shown
  // larger.
  TPicture Screenshot(const std::string& name) {
    const TPicture screen = Display(name);
    TPicture picture;
    picture.width = 800;
    picture.height = 600;
    picture.rgb.assign(800 * 600 * 3, 0);
    const TPlacement& at = placement_;
    if (at.width < 800 || at.height < 600 || screen.width < at.x + at.width || screen.height < at.y + at.height) {
      ADD_FAILURE() << "the picture is not inside the display";
      return picture;
    }
    for (int j = 0; j < 600; ++j)
      for (int i = 0; i < 800; ++i) {
        const int sx = at.x + i * at.width / 800, sy = at.y + j * at.height / 600;
        std::copy_n(&screen.rgb[(static_cast<size_t>(sy) * screen.width + sx) * 3], 3,
                    &picture.rgb[(static_cast<size_t>(j) * 800 + i) * 3]);
      }
    return picture;
  }

  std::string xdotool_, import_, display_;
  TPlacement placement_;
  TempDir install_;
  TempDir work_;
  std::unique_ptr<CXvfbServer> server_;
};

// The title, Space, the countdown and play with both panels, the arrows,
// Escape.
TEST_P(PlayerAtTheDisplay, StartsPlaysAndQuits) {
  MakeInstallCopy(install_.Path(), TInstallCopy::WithPrograms());
  std::vector<std::string> command = {(install_.Path() / "vexmoor").string()};
  if (!FullScreen()) command.push_back("-windowed");
  Child game(command, work_.Path(), Environment());

  std::string window;
  ASSERT_TRUE(WaitFor(
      [&] {
        window = FindWindow(display_, "Vexmoor");
        return !window.empty() || !game.Running();
      },
      StartSeconds));
  ASSERT_TRUE(game.Running()) << game.Wait(0).err;
  const fs::path music = install_.Path() / "Data" / "temp.dat";
  ASSERT_TRUE(WaitFor([&] { return fs::exists(music) || !game.Running(); }, StartSeconds) && fs::exists(music))
      << "loading did not end; Data/ holds " << ScratchFiles(install_.Path()).size() << " files; the game "
      << (game.Running() ? "was still running" : "had ended") << "; its window is "
      << WindowMapState(display_, window)
      << " (IsUnMapped: the window manager never mapped it, and SDL waits for that before the first unpack)"
      << "; its errors: " << game.Wait(0).err;
  Pause(1.0);

  if (FullScreen()) {
    // Centred at its own size or scaled up to fill the screen, keeping its
    // shape: whichever the runtime does, the picture stands in the middle.
    const TPicture screen = Display("full-screen");
    placement_ = LitArea(screen);
    std::printf("full screen: the picture is shown %dx%d at (%d, %d) on a %dx%d display\n", placement_.width,
                placement_.height, placement_.x, placement_.y, screen.width, screen.height);
    EXPECT_EQ(placement_.width * 3, placement_.height * 4) << "the picture lost its shape";
    EXPECT_GE(placement_.width, 800);
    EXPECT_LE(std::abs(2 * placement_.x + placement_.width - screen.width), 1) << "not centred across";
    EXPECT_LE(std::abs(2 * placement_.y + placement_.height - screen.height), 1) << "not centred down";
  } else {
    // Where the window lies on the display.
    const TWindowPlace place = WindowPlace(display_, window);
    placement_ = TPlacement{place.x, place.y, place.width, place.height};
    EXPECT_EQ(placement_.width, 800);
    EXPECT_EQ(placement_.height, 600);
    XDoTool({"windowfocus", "--sync", window});
  }

  const TPicture title = Screenshot("title");
  Pause(0.5);
  const TPicture titleAgain = Screenshot("title2");
  EXPECT_EQ(title.Difference(titleAgain, 0, 0, 800, 600), 0.0) << "the title picture should stand still";

  Press("space");
  // The countdown lasts 129 frames, 4.3 seconds (longer on a busy
  // machine: late frames are not made up); play follows.
  Pause(7.5);
  const TPicture play = Screenshot("play");
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
      const TPicture after = Screenshot(std::string("walk-") + arrow);
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

// Quick taps, as `xdotool key` sends them (the key comes up some
// milliseconds after it went down, far inside one frame): Space on the
// title starts a game and Escape ends it, every time. The game starts
// afresh for each pair of taps. A start that ends before its window shows
// is not a tap's fault: it is started again, and reported.
TEST_P(PlayerAtTheDisplay, TapsAreNeverLost) {
  if (FullScreen()) GTEST_SKIP() << "tapped in a window";
  constexpr int Rounds = 10;
  constexpr int MaxFailedStarts = 5;
  MakeInstallCopy(install_.Path(), TInstallCopy::WithPrograms());
  const fs::path music = install_.Path() / "Data" / "temp.dat";
  int spaceTaken = 0, escapeTaken = 0, failedStarts = 0;
  for (int round = 0; round < Rounds && failedStarts <= MaxFailedStarts; ++round) {
    SCOPED_TRACE("round " + std::to_string(round + 1));
    Child game({(install_.Path() / "vexmoor").string(), "-windowed"}, work_.Path(), Environment());
    std::string window;
    WaitFor(
        [&] {
          window = FindWindow(display_, "Vexmoor");
          return !window.empty() || !game.Running();
        },
        StartSeconds);
    if (!game.Running()) {
      const TProcessResult ended = game.Wait(0);
      std::printf("a start ended before its window showed (%s): started again\n", Describe(ended).c_str());
      ++failedStarts;
      --round;
      continue;
    }
    ASSERT_TRUE(WaitFor([&] { return fs::exists(music) || !game.Running(); }, StartSeconds) && fs::exists(music))
        << "loading did not end";
    const TWindowPlace place = WindowPlace(display_, window);
    placement_ = TPlacement{place.x, place.y, place.width, place.height};
    XDoTool({"windowfocus", "--sync", window});
    Pause(0.3);
    const TPicture title = Screenshot("tap-title");

    XDoTool({"key", "space"});
    const bool started = WaitFor([&] { return title.Difference(Screenshot("tap-after"), 0, 0, 800, 600) > 0.5; }, 3);
    spaceTaken += started;
    EXPECT_TRUE(started) << "Space was tapped on the title and the title stayed";

    XDoTool({"key", "Escape"});
    const TProcessResult result = game.Wait(5);
    const bool ended = result.exited && result.status == 0 && !result.timedOut;
    escapeTaken += ended;
    EXPECT_TRUE(ended) << "Escape was tapped and the game " << Describe(result);
  }
  std::printf("taps taken: Space %d of %d, Escape %d of %d (%d failed starts)\n", spaceTaken, Rounds, escapeTaken,
              Rounds, failedStarts);
  EXPECT_LE(failedStarts, MaxFailedStarts) << "the game kept failing to start at the display";
  EXPECT_TRUE(ScratchFiles(install_.Path()).empty());
}

INSTANTIATE_TEST_SUITE_P(Modes, PlayerAtTheDisplay, ::testing::Values(TMode::Windowed, TMode::FullScreen),
                         [](const auto& info) { return info.param == TMode::Windowed ? "Windowed" : "FullScreen"; });

}  // namespace
}  // namespace vxtest
