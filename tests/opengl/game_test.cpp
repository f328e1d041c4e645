// The shipped game on the OpenGL path: the play screen drawn by both drivers
// agrees, and the real programs under Xvfb show the title and the play
// screen, answer the brightness keys only on the OpenGL path and end with
// status 0 on Escape, in a window and full screen under a window manager.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/process.h"
#include "tests/opengl/test_images.h"
#include "tests/support/xvfb_server.h"

namespace vxtest {
namespace {

namespace fs = std::filesystem;

const char* const kFrames[] = {"title", "countdown", "play", "play-later"};
constexpr double kAppearSeconds = 40;
constexpr double kQuitSeconds = 15;

// After Escape: the game ends by itself, with status 0.
void ExpectEndsWithStatusZero(Child& game) {
  const TProcessResult ended = game.Wait(kQuitSeconds);
  ASSERT_FALSE(ended.timedOut) << "still running after Escape";
  EXPECT_TRUE(ended.exited) << "ended by signal " << ended.signal;
  EXPECT_EQ(ended.status, 0) << ended.err;
}

// The countdown lasts 130 frames, a little over four seconds.
constexpr double kCountdownSeconds = 5;

// A private copy of the installation directory, so that the scratch files
// of these runs meet no other run's.
std::string CopyInstallation(const std::string& tag) {
  const fs::path target = fs::temp_directory_path() / ("vexmoor-" + tag + "-" + std::to_string(getpid()));
  fs::remove_all(target);
  fs::create_directories(target);
  for (const fs::directory_entry& entry : fs::directory_iterator(VEXMOOR_INSTALL_DIR)) {
    if (entry.path().filename() == "Data") continue;
    fs::copy(entry.path(), target / entry.path().filename(), fs::copy_options::recursive);
  }
  fs::create_directories(target / "Data");
  return target.string() + "/";
}

TPicture LoadFrame(const std::string& prefix, const std::string& name) {
  TPicture picture;
  EXPECT_TRUE(ReadPpm(prefix + "-" + name + ".ppm", picture)) << prefix << "-" << name;
  return picture;
}

double MeanIntensity(const TPicture& picture) {
  double sum = 0;
  for (uint8_t value : picture.Rgb) sum += value;
  return picture.Rgb.empty() ? 0 : sum / picture.Rgb.size();
}

// Holds a key on the display for `seconds`, the pointer over the game.
void PressKey(const std::string& display, const std::string& key, double seconds, const std::string& workingDir) {
  RunProgram({"xdotool", "mousemove", "400", "300"}, workingDir, {"DISPLAY=" + display});
  RunProgram({"xdotool", "keydown", key}, workingDir, {"DISPLAY=" + display});
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  RunProgram({"xdotool", "keyup", key}, workingDir, {"DISPLAY=" + display});
}

class ShippedGame : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!XvfbInstalled()) return;
    Server = std::make_unique<CXvfbServer>();
    Install = CopyInstallation("opengl-game");
    Prefix = Install + "shot";
    // The frame buffer's rendition of the frames the shipped game must show.
    ReferenceStatus = RunProgram({VEXMOOR_PLAY_PAINTER, "fb", Install, Prefix + "-fb"}, Install,
                                 {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"})
                          .status;
  }
  static void TearDownTestSuite() {
    Server.reset();
    if (!Install.empty()) fs::remove_all(Install);
  }
  void SetUp() override {
    if (!XvfbInstalled()) GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(Server->Running()) << Server->Error();
    ASSERT_EQ(ReferenceStatus, 0) << "the frame-buffer run of the game failed";
  }

  static std::vector<std::string> GameEnvironment() {
    return {"SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy", "SDL_VIDEO_WINDOW_POS=0,0",
            "DISPLAY=" + Server->Display()};
  }

  // The game window's 800 x 600 picture from the X server.
  static bool Screenshot(TPicture& picture) {
    const std::string path = Prefix + "-screen.ppm";
    if (RunProgram({"import", "-display", Server->Display(), "-window", "root", "-crop",
                    "800x600+0+0", "+repage", "-depth", "8", "ppm:" + path},
                   Install)
            .status != 0) {
      return false;
    }
    return ReadPpm(path, picture);
  }

  // Waits until the screen shows `expected` within the frame buffer's
  // rounding; returns the last comparison.
  static TComparison WaitForPicture(const TPicture& expected, Child& game) {
    TComparison last;
    last.BeyondTolerance = -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(kAppearSeconds);
    while (std::chrono::steady_clock::now() < deadline && game.Running()) {
      TPicture shot;
      if (Screenshot(shot)) {
        last = ComparePictures(expected, shot);
        if (last.BeyondTolerance == 0) return last;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    return last;
  }

  static void Key(const std::string& key, double seconds = 0.3) { PressKey(Server->Display(), key, seconds, Install); }

  static std::unique_ptr<CXvfbServer> Server;
  static std::string Install;
  static std::string Prefix;
  static int ReferenceStatus;
};

std::unique_ptr<CXvfbServer> ShippedGame::Server;
std::string ShippedGame::Install;
std::string ShippedGame::Prefix;
int ShippedGame::ReferenceStatus = -1;

TEST_F(ShippedGame, PlayScreenDrawnByBothDriversAgrees) {
  const TProcessResult glRun = RunProgram({VEXMOOR_PLAY_PAINTER, "gl", Install, Prefix + "-gl"}, Install,
                                          {"SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy"});
  ASSERT_EQ(glRun.status, 0) << glRun.err;
  for (const char* frame : kFrames) {
    const TComparison comparison = ComparePictures(LoadFrame(Prefix + "-fb", frame), LoadFrame(Prefix + "-gl", frame));
    std::printf("%s: %s\n", frame, Describe(comparison).c_str());
    EXPECT_EQ(comparison.BeyondTolerance, 0) << frame << ": " << Describe(comparison);
  }
}

TEST_F(ShippedGame, OpenGLProgramShowsTitleAndPlayScreenAndEndsOnEscape) {
  Child game({Install + "vexmoor", "-windowed", "-opengl"}, Install, GameEnvironment());
  const TComparison title = WaitForPicture(LoadFrame(Prefix + "-fb", "title"), game);
  ASSERT_EQ(title.BeyondTolerance, 0) << "title: " << Describe(title);
  std::printf("title: %s\n", Describe(title).c_str());

  Key("space");
  const TComparison three = WaitForPicture(LoadFrame(Prefix + "-fb", "countdown"), game);
  ASSERT_EQ(three.BeyondTolerance, 0) << "countdown: " << Describe(three);
  // The countdown's empty steps show the bare play screen too: wait until
  // it has surely ended before looking at the play screen.
  std::this_thread::sleep_for(std::chrono::duration<double>(kCountdownSeconds));
  const TComparison play = WaitForPicture(LoadFrame(Prefix + "-fb", "play"), game);
  ASSERT_EQ(play.BeyondTolerance, 0) << "play screen: " << Describe(play);
  std::printf("play: %s\n", Describe(play).c_str());

  // About thirty frames of PageDown darken the OpenGL picture.
  TPicture before, after;
  ASSERT_TRUE(Screenshot(before));
  Key("Next", 1.0);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  ASSERT_TRUE(Screenshot(after));
  std::printf("mean intensity %.1f before PageDown, %.1f after\n", MeanIntensity(before), MeanIntensity(after));
  EXPECT_LT(MeanIntensity(after), 0.95 * MeanIntensity(before));

  Key("Escape");
  ExpectEndsWithStatusZero(game);
}

TEST_F(ShippedGame, SecondBuildPresentsThroughTheFrameBufferDespiteTheOption) {
  Child game({Install + "vexmoor-sw", "-windowed", "-opengl"}, Install, GameEnvironment());
  const TPicture title = LoadFrame(Prefix + "-fb", "title");
  const TComparison shown = WaitForPicture(title, game);
  ASSERT_EQ(shown.BeyondTolerance, 0) << "title: " << Describe(shown);

  // The brightness keys change nothing in the frame buffer.
  Key("Next", 1.0);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  TPicture after;
  ASSERT_TRUE(Screenshot(after));
  const TComparison unchanged = ComparePictures(title, after);
  EXPECT_EQ(unchanged.BeyondTolerance, 0) << Describe(unchanged);

  Key("Escape");
  ExpectEndsWithStatusZero(game);
}

// A libGL.so.1 without the OpenGL functions found first: the main build
// refuses "-opengl" with one line naming what is missing.
TEST_F(ShippedGame, OpenGLProgramWithoutUsableLibGLEndsWithOneLine) {
  const fs::path libraries = fs::path(Install) / "fake-gl";
  fs::create_directories(libraries);
  fs::create_symlink(VEXMOOR_FAKE_GL, libraries / "libGL.so.1");
  const TProcessResult run = RunProgram({Install + "vexmoor", "-windowed", "-opengl"}, Install,
                                        {"LD_LIBRARY_PATH=" + libraries.string(), "SDL_AUDIODRIVER=dummy",
                                         "SDL_VIDEODRIVER=x11", "DISPLAY=" + Server->Display()});
  fs::remove_all(libraries);
  EXPECT_TRUE(run.exited);
  EXPECT_NE(run.status, 0);
  std::istringstream in(run.err);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    // The sound library's complaints about a missing sound card are not ours.
    if (line.rfind("ALSA lib", 0) != 0) lines.push_back(line);
  }
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("libGL.so.1 has no glClearColor"), std::string::npos) << lines[0];
}

// Full screen on a display where openbox manages the windows, as on a
// desktop. The runtime in use decides whether the picture is centred at its
// own size or scaled to the screen, so these checks look at the whole
// screen: the title stands, Space starts the game, PageDown darkens it,
// Escape ends it.
class FullScreenGame : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!XvfbInstalled() || !WindowManagerInstalled()) return;
    Server = std::make_unique<CXvfbServer>();
    Install = CopyInstallation("opengl-full-screen");
    if (Server->Running()) WindowManagerUp = Server->StartWindowManager(Install);
  }
  static void TearDownTestSuite() {
    Server.reset();
    if (!Install.empty()) fs::remove_all(Install);
  }
  void SetUp() override {
    if (!XvfbInstalled() || !WindowManagerInstalled()) GTEST_SKIP() << "needs Xvfb and openbox";
    ASSERT_TRUE(Server->Running()) << Server->Error();
    ASSERT_TRUE(WindowManagerUp) << Server->Error();
  }

  static bool Screen(TPicture& picture) {
    const std::string path = Install + "full-screen.ppm";
    if (RunProgram({"import", "-display", Server->Display(), "-window", "root", "-depth", "8", "ppm:" + path},
                   Install)
            .status != 0) {
      return false;
    }
    return ReadPpm(path, picture);
  }
  // Share of pixels that differ between two screens.
  static double Difference(const TPicture& a, const TPicture& b) {
    if (a.Rgb.size() != b.Rgb.size() || a.Rgb.empty()) return 1;
    size_t differing = 0;
    for (size_t i = 0; i < a.Rgb.size(); i += 3)
      differing += a.Rgb[i] != b.Rgb[i] || a.Rgb[i + 1] != b.Rgb[i + 1] || a.Rgb[i + 2] != b.Rgb[i + 2];
    return static_cast<double>(differing) / (a.Rgb.size() / 3);
  }
  // Waits until the screen shows something that stands still for a moment.
  static bool WaitForSteadyPicture(TPicture& picture, Child& game) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(kAppearSeconds);
    TPicture last;
    while (std::chrono::steady_clock::now() < deadline && game.Running()) {
      if (Screen(picture) && MeanIntensity(picture) > 10 && Difference(picture, last) == 0) return true;
      last = picture;
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    return false;
  }

  static std::unique_ptr<CXvfbServer> Server;
  static std::string Install;
  static bool WindowManagerUp;
};

std::unique_ptr<CXvfbServer> FullScreenGame::Server;
std::string FullScreenGame::Install;
bool FullScreenGame::WindowManagerUp = false;

TEST_F(FullScreenGame, OpenGLProgramAnswersTheKeysAndEndsOnEscape) {
  Child game({Install + "vexmoor", "-opengl"}, Install,
             {"SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy", "DISPLAY=" + Server->Display()});
  TPicture title;
  ASSERT_TRUE(WaitForSteadyPicture(title, game)) << "no title picture";

  PressKey(Server->Display(), "space", 0.3, Install);
  std::this_thread::sleep_for(std::chrono::duration<double>(kCountdownSeconds + 1));
  TPicture play;
  ASSERT_TRUE(WaitForSteadyPicture(play, game)) << "no play screen";
  EXPECT_GT(Difference(title, play), 0.5) << "Space did not leave the title";

  PressKey(Server->Display(), "Next", 1.0, Install);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  TPicture darker;
  ASSERT_TRUE(Screen(darker));
  std::printf("full screen: mean intensity %.1f before PageDown, %.1f after\n", MeanIntensity(play),
              MeanIntensity(darker));
  EXPECT_LT(MeanIntensity(darker), 0.95 * MeanIntensity(play));

  PressKey(Server->Display(), "Escape", 0.3, Install);
  ExpectEndsWithStatusZero(game);
}

}  // namespace
}  // namespace vxtest
