// Binding libGL by name: the failure reasons and a clean rebind.
#include <gtest/gtest.h>

#include <string>

#include "engine/gl_api.h"
#include "engine/gl_driver.h"

namespace {

using game::gl::BindLibrary;

TEST(BindOpenGL, FailuresNameTheLibraryOrTheMissingFunctionInOneLine) {
  const struct {
    const char* library;
    std::string reasonStart;
  } cases[] = {
      {"libvexmoor-no-such-gl.so.1", "cannot open libvexmoor-no-such-gl.so.1: "},
      // A library that opens but has none of the OpenGL functions.
      {"libz.so.1", "libz.so.1 has no glClearColor"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(BindLibrary(c.library, nullptr, error)) << c.library;
    EXPECT_EQ(error.rfind(c.reasonStart, 0), 0u) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    EXPECT_FALSE(game::gl::Bound());
    EXPECT_EQ(game::gl::Api().glBegin, nullptr);
  }
}

TEST(BindOpenGL, BindsEveryFunctionFromTheSystemLibraryAndRebindsAfterAFailure) {
  std::string error;
  ASSERT_TRUE(game::gl::Bind(error)) << error;
  EXPECT_TRUE(game::gl::Bound());
  // Bind is idempotent.
  EXPECT_TRUE(game::gl::Bind(error));
  const auto& api = game::gl::Api();
  const void* const* entry = reinterpret_cast<const void* const*>(&api);
  for (size_t i = 0; i < sizeof(api) / sizeof(void*); ++i) EXPECT_NE(entry[i], nullptr) << "entry " << i;

  EXPECT_FALSE(BindLibrary("libvexmoor-no-such-gl.so.1", nullptr, error));
  EXPECT_FALSE(game::gl::Bound());
  EXPECT_TRUE(game::gl::Bind(error)) << error;
  game::gl::Unbind();
}

}  // namespace
