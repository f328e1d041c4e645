// Runs the whole game in-process from an installation directory, in the
// driver named on the command line, presses Space on the title picture and
// saves four frames as PPM files:
//   opengl_play_painter fb|gl <installation dir/> <prefix>
// writes <prefix>-title.ppm, -countdown.ppm (the "3"), -play.ppm (the
// tenth frame of play) and -play-later.ppm (thirty frames after that), then
// quits. Exit status 0 when all four were saved.
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "engine/game.h"
#include "main/game_vars.h"
#include "main/shell.h"
#include "resources/startup.h"
#include "tests/opengl/gl_fixture.h"
#include "tests/opengl/test_images.h"

namespace {

using namespace vxtest;

constexpr uint32_t kSpaceFirstFrame = 3;
constexpr uint32_t kSpaceLastFrame = 5;
constexpr uint32_t kPlayShot = 10;
constexpr uint32_t kLaterShot = 40;
// Far more frames than title, banner and countdown take together.
constexpr uint32_t kGiveUpFrame = 1500;

struct TShots {
  game::TVideoDriver driver;
  std::string prefix;
  std::set<std::string> saved;
  uint32_t playFrames = 0;
  uint32_t countdownFrames = 0;

  void Save(const std::string& name) {
    if (saved.count(name) != 0) return;
    if (WritePpm(prefix + "-" + name + ".ppm", ReadPicture(driver))) saved.insert(name);
  }

  void AfterFrame(uint32_t frame) {
    if (frame == 1 && shell::GameState == shell::gsTitle) Save("title");
    // The frame that moves to a step still draws the step before it.
    if (shell::GameState == shell::gsCountdown && shell::CountdownStep == 1 && ++countdownFrames == 2) {
      Save("countdown");
    }
    if (shell::GameState == shell::gsPlaying) {
      ++playFrames;
      if (playFrames == kPlayShot) Save("play");
      if (playFrames == kLaterShot) Save("play-later");
    }
    if (saved.size() == 4 || frame >= kGiveUpFrame) game::RequestQuit();
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 || (std::strcmp(argv[1], "fb") != 0 && std::strcmp(argv[1], "gl") != 0)) {
    std::fprintf(stderr, "usage: opengl_play_painter fb|gl <installation dir/> <prefix>\n");
    return 2;
  }
  const bool openGL = std::strcmp(argv[1], "gl") == 0;
  resources::StartUp(1, argv, true);
  resources::ProgramDir = argv[2];
  std::vector<std::string> arguments = {"vexmoor", "-windowed"};
  if (openGL) arguments.push_back("-opengl");
  resources::SetArguments(arguments);

  TShots shots{openGL ? game::vdOpenGL : game::vdFrameBuffer, argv[3], {}, 0, 0};
  shell::TLoopHooks hooks;
  hooks.fixedSeed = true;
  hooks.seed = 1;
  hooks.beforePass = [](uint32_t frame) {
    game::SetKey(game::keySpace, frame >= kSpaceFirstFrame && frame <= kSpaceLastFrame);
  };
  hooks.afterFrame = [&shots](uint32_t frame) { shots.AfterFrame(frame); };
  const int status = shell::RunGame(&hooks);
  if (status != 0) return status;
  if (shots.saved.size() != 4) {
    std::fprintf(stderr, "saved %zu of 4 frames\n", shots.saved.size());
    return 1;
  }
  return 0;
}
