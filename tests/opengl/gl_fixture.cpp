#include "tests/opengl/gl_fixture.h"

#include <cstdlib>

#include "engine/gl_driver.h"
#include "resources/startup.h"

namespace vxtest {

namespace {

constexpr uint32_t kClockStep = 100;
uint32_t ClockNow = 0;

}  // namespace

uint32_t SteppingClock() { return ClockNow += kClockStep; }

bool OpenEngine(game::TVideoDriver driver, const std::string& dir, int width, int height,
                std::string& error) {
  resources::ProgramDir = dir;
  resources::DevelopMode = true;
  if (driver == game::vdOpenGL && !game::gl::Bind(error)) return false;
  game::SetVideoDriver(driver);
  game::SetTickSource(SteppingClock);
  game::Init("Vexmoor test", "no-icon");
  if (!game::SetVideoMode(uint16_t(width), uint16_t(height), false)) {
    error = "no window: " + game::LastVideoError();
    return false;
  }
  if (!game::Flip()) {
    error = "the first Flip presented nothing";
    return false;
  }
  return true;
}

void CloseEngine() {
  game::Shutdown();
  game::SetTickSource(nullptr);
}

TPicture ReadPicture(game::TVideoDriver driver) {
  TPicture picture;
  if (driver == game::vdOpenGL) {
    game::gl::ReadFrame(picture.Rgb, picture.Width, picture.Height);
  } else {
    game::ReadScreen(picture.Rgb, picture.Width, picture.Height);
  }
  return picture;
}

std::unique_ptr<CXvfbServer> OpenGLTest::Server;

void OpenGLTest::SetUpTestSuite() {
  if (!XvfbInstalled()) return;
  setenv("SDL_VIDEODRIVER", "x11", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  Server = std::make_unique<CXvfbServer>();
}

void OpenGLTest::TearDownTestSuite() { Server.reset(); }

void OpenGLTest::SetUp() {
  if (!XvfbInstalled()) GTEST_SKIP() << "Xvfb is not installed";
  ASSERT_TRUE(Server && Server->Running()) << Server->Error();
  Dir = MakeScratchInstall("opengl");
  std::string error;
  Open = OpenEngine(game::vdOpenGL, Dir, 800, 600, error);
  ASSERT_TRUE(Open) << error;
}

void OpenGLTest::Reopen(int width, int height) {
  ASSERT_TRUE(game::SetVideoMode(uint16_t(width), uint16_t(height), false)) << game::LastVideoError();
  ASSERT_TRUE(game::Flip());
}

void OpenGLTest::TearDown() {
  if (Open) CloseEngine();
  if (!Dir.empty()) RemoveScratchInstall(Dir);
}

}  // namespace vxtest
