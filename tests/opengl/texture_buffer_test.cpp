// The texture layout of the OpenGL driver, checked without a GL context.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/gl_api.h"

namespace {

using game::gl::BuildTextureBuffer;
using game::gl::TextureEdge;

TEST(TextureEdge, SmallestPowerOfTwoNotBelowTheImage) {
  const struct {
    uint32_t image;
    uint16_t texture;
  } cases[] = {{0, 1},   {1, 1},   {2, 2},     {3, 4},     {7, 8},         {96, 128},
               {128, 128}, {129, 256}, {600, 1024}, {32768, 32768}, {32769, 0}, {70000, 0}};
  for (const auto& c : cases) EXPECT_EQ(TextureEdge(c.image), c.texture) << "image edge " << c.image;
}

// A w x h image in the 24-bit layout, each row padded to a multiple of four
// bytes and the padding filled with a marker that must not reach the texture.
struct TSourceImage {
  uint16_t w, h;
  uint32_t pitch;
  std::vector<uint8_t> bytes;
  TSourceImage(uint16_t width, uint16_t height) : w(width), h(height), pitch((width * 3u + 3) & ~3u) {
    bytes.assign(size_t(pitch) * h, 0xEE);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        uint8_t* p = &bytes[size_t(y) * pitch + x * 3];
        // Distinct per pixel; every third pixel pure black.
        const bool black = (x + y) % 3 == 0;
        p[0] = black ? 0 : uint8_t(10 + x);  // blue
        p[1] = black ? 0 : uint8_t(100 + y);  // green
        p[2] = black ? 0 : uint8_t(200 + x + y);  // red
      }
    }
  }
};

TEST(TextureBuffer, CopiesEachRowAtThePitchAndMarksBlackAndPaddingTransparent) {
  // Widths 7 and 5 pad their rows (by 3 and 1 bytes); 4 and 8 do not.
  const struct {
    uint16_t w, h;
  } sizes[] = {{7, 5}, {5, 3}, {4, 4}, {8, 2}, {1, 1}, {96, 3}};
  for (const auto& size : sizes) {
    const TSourceImage image(size.w, size.h);
    const uint16_t texW = TextureEdge(size.w);
    const uint16_t texH = TextureEdge(size.h);
    const std::vector<uint8_t> buffer =
        BuildTextureBuffer(image.bytes.data(), image.w, image.h, image.pitch, texW, texH);
    ASSERT_EQ(buffer.size(), size_t(texW) * texH * 4);
    for (int y = 0; y < texH; ++y) {
      for (int x = 0; x < texW; ++x) {
        const uint8_t* t = &buffer[(size_t(y) * texW + x) * 4];
        SCOPED_TRACE(testing::Message() << size.w << "x" << size.h << " pixel " << x << "," << y);
        if (x >= size.w || y >= size.h) {
          EXPECT_EQ(t[0] | t[1] | t[2] | t[3], 0) << "padding stays zero";
          continue;
        }
        const uint8_t* s = &image.bytes[size_t(y) * image.pitch + x * 3];
        EXPECT_EQ(t[0], s[0]);
        EXPECT_EQ(t[1], s[1]);
        EXPECT_EQ(t[2], s[2]);
        EXPECT_EQ(t[3], (x + y) % 3 == 0 ? 0 : 255);
      }
    }
  }
}

TEST(TextureBuffer, OnlyPureBlackIsTransparent) {
  // One row of four pixels: black, and black with one channel raised by one.
  const uint8_t row[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};
  const std::vector<uint8_t> buffer = BuildTextureBuffer(row, 4, 1, 12, 4, 1);
  EXPECT_EQ(buffer[3], 0);
  EXPECT_EQ(buffer[7], 255);
  EXPECT_EQ(buffer[11], 255);
  EXPECT_EQ(buffer[15], 255);
}

}  // namespace
