// The same frame drawn by the frame-buffer driver and by the OpenGL driver,
// each in its own process, agrees pixel for pixel within the rounding of the
// 16-bit frame buffer, except where the frame buffer shows the pure black
// that OpenGL leaves transparent.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "tests/support/process.h"
#include "tests/opengl/test_images.h"
#include "tests/support/xvfb_server.h"

namespace vxtest {
namespace {

TEST(DriverAgreement, OpenGLFrameMatchesTheFrameBufferFrame) {
  if (!XvfbInstalled()) GTEST_SKIP() << "Xvfb is not installed";
  CXvfbServer server;
  ASSERT_TRUE(server.Running()) << server.Error();
  const std::string base = testing::TempDir() + "vexmoor-agreement-" + std::to_string(getpid());
  const std::string fbPath = base + "-fb.ppm";
  const std::string glPath = base + "-gl.ppm";
  const TProcessResult fbRun =
      RunProgram({VEXMOOR_FRAME_PAINTER, "fb", fbPath}, ".", {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"});
  ASSERT_EQ(fbRun.status, 0) << fbRun.err;
  const TProcessResult glRun =
      RunProgram({VEXMOOR_FRAME_PAINTER, "gl", glPath}, ".", {"SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy"});
  ASSERT_EQ(glRun.status, 0) << glRun.err;
  TPicture fb, gl;
  ASSERT_TRUE(ReadPpm(fbPath, fb));
  ASSERT_TRUE(ReadPpm(glPath, gl));
  std::remove(fbPath.c_str());
  std::remove(glPath.c_str());

  const TComparison comparison = ComparePictures(fb, gl);
  std::printf("%s\n", Describe(comparison).c_str());
  EXPECT_EQ(comparison.BeyondTolerance, 0) << Describe(comparison);
  // The scene's plain Draw of a sprite with black squares over a fill is
  // where the two drivers differ on purpose.
  EXPECT_GT(comparison.ShownThrough, 0);
}

}  // namespace
}  // namespace vxtest
