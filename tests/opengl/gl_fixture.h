// A clean engine in the OpenGL driver on a private X server, with a scratch
// installation directory in development mode for the pictures a test loads.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/game.h"
#include "tests/opengl/test_images.h"
#include "tests/support/xvfb_server.h"

namespace vxtest {

// The engine's clock for tests: every reading is a frame later than the last.
uint32_t SteppingClock();

// Opens the engine on `driver` at width x height in development mode with
// ProgramDir at `dir`, and presents once so that the next frame is drawn
// with the driver's per-frame set-up. Returns false with a reason when the
// window does not open.
bool OpenEngine(game::TVideoDriver driver, const std::string& dir, int width, int height,
                std::string& error);
// Shuts the engine down and restores the real clock.
void CloseEngine();

// The picture drawn since the last present, from the driver in use.
TPicture ReadPicture(game::TVideoDriver driver);

class OpenGLTest : public testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Reopens the window at another size.
  void Reopen(int width, int height);

  static std::unique_ptr<CXvfbServer> Server;
  std::string Dir;
  bool Open = false;
};

}  // namespace vxtest
