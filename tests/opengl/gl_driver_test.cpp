// The OpenGL driver through the engine's operations, on Mesa under Xvfb.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>

#include "engine/game.h"
#include "engine/gl_driver.h"
#include "tests/opengl/gl_fixture.h"

namespace vxtest {
namespace {

constexpr TRgb kBackground{40, 60, 90};

void FillBackground() {
  const uint8_t brightness = game::GetBrightness();
  game::SetBrightness(255);
  game::FillRect(0, 0, 800, 600, game::RGB(kBackground.R, kBackground.G, kBackground.B));
  game::SetBrightness(brightness);
}

::testing::AssertionResult Near(TRgb actual, TRgb expected, int tolerance) {
  const bool ok = std::abs(actual.R - expected.R) <= tolerance &&
                  std::abs(actual.G - expected.G) <= tolerance &&
                  std::abs(actual.B - expected.B) <= tolerance;
  if (ok) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "(" << int(actual.R) << "," << int(actual.G) << "," << int(actual.B) << ") instead of ("
         << int(expected.R) << "," << int(expected.G) << "," << int(expected.B) << ") +-" << tolerance;
}

TRgb Distinct(int x, int y) { return {uint8_t(20 + 30 * x), uint8_t(40 + 35 * y), uint8_t(7 + x * y)}; }

using OpenGLDriver = OpenGLTest;

TEST_F(OpenGLDriver, TexturesArePaddedToPowersOfTwo) {
  const struct {
    int w, h;
    float texU, texV;
  } cases[] = {{96, 96, 0.75f, 0.75f}, {1, 1, 1, 1}, {7, 5, 7 / 8.f, 5 / 8.f}, {130, 64, 130 / 256.f, 1}};
  int n = 0;
  for (const auto& c : cases) {
    WriteSprite(Dir, "s" + std::to_string(n++), c.w, c.h, Distinct);
  }
  WriteFont(Dir, "font");
  for (int i = 0; i < n; ++i) {
    const uint16_t id = game::LoadSprite("s" + std::to_string(i), game::RGB(0, 0, 0));
    ASSERT_EQ(id, i + 1);
    const game::CSprite* sprite = game::GetSprite(id);
    EXPECT_FLOAT_EQ(sprite->TexU, cases[i].texU) << cases[i].w << "x" << cases[i].h;
    EXPECT_FLOAT_EQ(sprite->TexV, cases[i].texV) << cases[i].w << "x" << cases[i].h;
    EXPECT_EQ(sprite->Texture, i + 1);
  }
  // A font's image records the texture's size in pixels.
  const uint16_t fontId = game::LoadFont("font");
  ASSERT_EQ(fontId, 1);
  EXPECT_FLOAT_EQ(game::GetFont(fontId)->Image.TexU, 64);
  EXPECT_FLOAT_EQ(game::GetFont(fontId)->Image.TexV, 16);
  EXPECT_EQ(game::GetFont(fontId)->Image.Texture, n + 1);
}

// Rows of a width-7 image are padded by three bytes in memory; reading them
// at the wrong stride shears the picture. An 8-bit image is widened to 24
// bits before it is laid out, not read three bytes a pixel.
TEST_F(OpenGLDriver, OddWidthSpriteShowsPixelForPixel) {
  const int w = 7, h = 5, x0 = 13, y0 = 21;
  WriteSprite(Dir, "odd24", w, h, Distinct);
  WritePalettedSprite(Dir, "odd8", w, h, Distinct);
  for (const char* name : {"odd24", "odd8"}) {
    SCOPED_TRACE(name);
    const uint16_t id = game::LoadSprite(name, game::RGB(0, 0, 0));
    ASSERT_NE(id, 0);
    FillBackground();
    game::Draw(x0, y0, id);
    const TPicture picture = ReadPicture(game::vdOpenGL);
    ASSERT_EQ(picture.Width, 800);
    for (int y = y0 - 1; y <= y0 + h; ++y) {
      for (int x = x0 - 1; x <= x0 + w; ++x) {
        const bool inside = x >= x0 && x < x0 + w && y >= y0 && y < y0 + h;
        EXPECT_EQ(picture.At(x, y), inside ? Distinct(x - x0, y - y0) : kBackground)
            << "screen pixel " << x << "," << y;
      }
    }
    ASSERT_TRUE(game::Flip());
  }
}

// An image taller than the implementation's largest texture gets no texture
// (and no buffer of that size), but still its id and texture number; one
// taller than the largest 16-bit power of two does not send the doubling
// round forever. (SDL's surfaces are under 16384 pixels wide.)
TEST_F(OpenGLDriver, ImageBeyondTheLargestTextureLoadsWithoutATexture) {
  const struct {
    int h;
    float texU, texV;
  } cases[] = {{16385, 1, 16385 / 32768.f},  // Mesa's software renderers take 16384 at most
               // No 16-bit power of two: no texture size, which the sprite
               // loader leaves as 0, 0.
               {40000, 0, 0}};
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].h);
    const std::string name = "tall" + std::to_string(i);
    WriteSprite(Dir, name, 1, cases[i].h, Distinct);
    const uint16_t tall = game::LoadSprite(name, game::RGB(0, 0, 0));
    ASSERT_NE(tall, 0);
    EXPECT_FLOAT_EQ(game::GetSprite(tall)->TexU, cases[i].texU);
    EXPECT_FLOAT_EQ(game::GetSprite(tall)->TexV, cases[i].texV);
    EXPECT_EQ(game::GetSprite(tall)->Texture, 2 * i + 1);
    WriteSprite(Dir, "next", 1, 1, Distinct);
    const uint16_t next = game::LoadSprite("next", game::RGB(0, 0, 0));
    EXPECT_EQ(game::GetSprite(next)->Texture, 2 * i + 2);
    FillBackground();
    game::Draw(0, 0, tall);
    game::Draw(10, 10, next);
    const TPicture picture = ReadPicture(game::vdOpenGL);
    EXPECT_EQ(picture.At(10, 10), Distinct(0, 0));
    ASSERT_TRUE(game::Flip());
  }
}

// Sprites and rectangles are tinted by the brightness, text is not, and black
// pixels of a sprite stay transparent at every brightness.
TEST_F(OpenGLDriver, BrightnessTintsSpritesAndRectanglesButNotText) {
  constexpr TRgb kSpriteColor{200, 100, 50};
  // Components whose scaled values lie just under the next integer, so that
  // truncation and rounding differ.
  constexpr game::TColor kRectColor{201, 103, 59, 255};
  WriteSprite(Dir, "patch", 8, 8, [&](int x, int) { return x < 4 ? kSpriteColor : TRgb{0, 0, 0}; });
  WriteFont(Dir, "font");
  const uint16_t sprite = game::LoadSprite("patch", game::RGB(0, 0, 0));
  const uint16_t font = game::LoadFont("font");
  ASSERT_NE(sprite, 0);
  ASSERT_NE(font, 0);
  const struct {
    uint8_t brightness;
    TRgb sprite, rect;
  } cases[] = {
      {255, kSpriteColor, {201, 103, 59}},
      // The sprite through texture modulation (rounded by the GL), the
      // rectangle's colour truncated before it reaches the GL.
      {128, {100, 50, 25}, {100, 51, 29}},
      {0, {0, 0, 0}, {0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "brightness " << int(c.brightness));
    FillBackground();
    game::SetBrightness(c.brightness);
    game::Draw(100, 100, sprite);
    game::FillRect(200, 100, 10, 10, kRectColor);
    game::DrawText(300, 100, font, 255, "\x01");
    const TPicture picture = ReadPicture(game::vdOpenGL);
    EXPECT_TRUE(Near(picture.At(101, 101), c.sprite, 1));
    EXPECT_EQ(picture.At(105, 101), kBackground) << "black stays transparent";
    EXPECT_EQ(picture.At(205, 105), c.rect);
    for (int y = 0; y < kGlyphHeight; ++y) {
      for (int x = 0; x < kGlyphWidth; ++x) {
        const TRgb glyph = FontPixel(kGlyphWidth + x, y);
        const TRgb expected = glyph == TRgb{0, 0, 0} ? kBackground : glyph;
        ASSERT_EQ(picture.At(300 + x, 100 + y), expected) << "glyph pixel " << x << "," << y;
      }
    }
    ASSERT_TRUE(game::Flip());
  }
}

// The picture keeps its 800 x 600 mapping in a larger window: the viewport
// covers the window's lower left 800 x 600 pixels, which ReadFrame reads.
TEST_F(OpenGLDriver, ViewportStaysEightHundredBySixHundred) {
  Reopen(1024, 768);
  WriteSprite(Dir, "dot", 2, 2, [](int, int) { return TRgb{250, 250, 250}; });
  const uint16_t id = game::LoadSprite("dot", game::RGB(0, 0, 0));
  FillBackground();
  game::Draw(0, 0, id);
  game::Draw(798, 598, id);
  const TPicture picture = ReadPicture(game::vdOpenGL);
  EXPECT_EQ(picture.At(0, 0), (TRgb{250, 250, 250}));
  EXPECT_EQ(picture.At(799, 599), (TRgb{250, 250, 250}));
  EXPECT_EQ(picture.At(2, 2), kBackground);
}

}  // namespace
}  // namespace vxtest
