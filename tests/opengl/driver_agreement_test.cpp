// The same frame drawn by the frame-buffer driver and by the OpenGL driver,
// each in its own process, agrees pixel for pixel within the rounding of the
// 16-bit frame buffer, except where the frame buffer shows the pure black
// that OpenGL leaves transparent.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/opengl/test_images.h"
#include "tests/opengl/xvfb_server.h"

namespace vxtest {
namespace {

// One 5-bit step of red and blue (8) and one 6-bit step of green (4) for
// the colour's reduction to 16 bits, the same again for blending done on
// the reduced values.
constexpr int kTolerance[3] = {15, 7, 15};

int RunPainter(const std::string& driver, const std::string& picture, const std::string& videoDriver) {
  const std::string command = "SDL_VIDEODRIVER=" + videoDriver + " SDL_AUDIODRIVER=dummy '" +
                              VEXMOOR_FRAME_PAINTER + "' " + driver + " '" + picture + "'";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(DriverAgreement, OpenGLFrameMatchesTheFrameBufferFrame) {
  if (!XvfbInstalled()) GTEST_SKIP() << "Xvfb is not installed";
  CXvfbServer server;
  ASSERT_TRUE(server.Running()) << server.Error();
  const std::string base = testing::TempDir() + "vexmoor-agreement-" + std::to_string(getpid());
  const std::string fbPath = base + "-fb.ppm";
  const std::string glPath = base + "-gl.ppm";
  ASSERT_EQ(RunPainter("fb", fbPath, "dummy"), 0);
  ASSERT_EQ(RunPainter("gl", glPath, "x11"), 0);
  TPicture fb, gl;
  ASSERT_TRUE(ReadPpm(fbPath, fb));
  ASSERT_TRUE(ReadPpm(glPath, gl));
  std::remove(fbPath.c_str());
  std::remove(glPath.c_str());
  ASSERT_EQ(fb.Width, gl.Width);
  ASSERT_EQ(fb.Height, gl.Height);

  int largest[3] = {0, 0, 0};
  int blackInFrameBuffer = 0, shownThroughInOpenGL = 0, beyondTolerance = 0;
  for (int y = 0; y < fb.Height; ++y) {
    for (int x = 0; x < fb.Width; ++x) {
      const TRgb a = fb.At(x, y), b = gl.At(x, y);
      if (a == TRgb{0, 0, 0}) {
        ++blackInFrameBuffer;
        if (!(b == TRgb{0, 0, 0})) ++shownThroughInOpenGL;
        continue;
      }
      const int diff[3] = {std::abs(a.R - b.R), std::abs(a.G - b.G), std::abs(a.B - b.B)};
      bool beyond = false;
      for (int c = 0; c < 3; ++c) {
        largest[c] = std::max(largest[c], diff[c]);
        beyond = beyond || diff[c] > kTolerance[c];
      }
      if (beyond && ++beyondTolerance <= 5) {
        ADD_FAILURE() << "pixel " << x << "," << y << ": frame buffer (" << int(a.R) << "," << int(a.G)
                      << "," << int(a.B) << "), OpenGL (" << int(b.R) << "," << int(b.G) << ","
                      << int(b.B) << ")";
      }
    }
  }
  std::printf("largest difference R %d G %d B %d; %d black frame-buffer pixels, %d of them shown through\n",
              largest[0], largest[1], largest[2], blackInFrameBuffer, shownThroughInOpenGL);
  EXPECT_EQ(beyondTolerance, 0);
  // The scene's plain Draw of a sprite with black squares is the one place
  // the two drivers differ on purpose.
  EXPECT_GT(shownThroughInOpenGL, 0);
}

}  // namespace
}  // namespace vxtest
