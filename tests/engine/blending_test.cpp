// Translucent drawing against the SDL library the tests run on: the
// engine's own blending must give SDL's pixels for every alpha, every
// picture channel value and every screen channel value, whichever SDL 1.2
// is loaded (the suite runs on the classic library and on sdl12-compat).
#include <string>

#include "engine/game.h"
#include "tests/engine/engine_fixture.h"

namespace enginetest {
namespace {

// Tiles of one alpha each, three to a row of the screen and nine rows deep.
constexpr int TileW = 261;  // 32 groups of eight pixels and five more
constexpr int TileH = 64;
constexpr int TilesAcross = 3;
constexpr int TilesDown = ScreenHeight / TileH;
// The third tile of a row reaches 6 pixels past the screen's right edge, so
// its rows end at the edge.
constexpr int TileX[TilesAcross] = {0, 270, ScreenWidth - TileW + 6};

// Row y shows screen channel value y in green and y cut to 5 bits in red
// and blue.
TPicture ScreenValues() {
  TPicture p(TileW, TileH);
  for (int y = 0; y < TileH; ++y) {
    for (int x = 0; x < TileW; ++x) p.at(x, y) = TRgb{Exact5(y & 31), Exact6(y), Exact5(y & 31)};
  }
  return p;
}

// Along each row every channel takes each of its 256 values (3 and 7 are
// odd), with different values in the three channels. Black, at (0, 0), is
// the key.
TPicture PictureValues() {
  TPicture p(TileW, TileH);
  for (int y = 0; y < TileH; ++y) {
    for (int x = 0; x < TileW; ++x) {
      p.at(x, y) = TRgb{static_cast<uint8_t>(x), static_cast<uint8_t>(3 * x + y), static_cast<uint8_t>(7 * x + 2 * y)};
    }
  }
  return p;
}

// Every 16-bit screen value once, in a 256 x 256 square.
TPicture EveryScreenValue() {
  TPicture p(256, 256);
  for (int v = 0; v < 65536; ++v) p.at(v % 256, v / 256) = TRgb{Exact5(v >> 11), Exact6((v >> 5) & 63), Exact5(v & 31)};
  return p;
}

class BlendingTest : public EngineTest {
 protected:
  // The screen after `draw`, drawn the literal way and the engine's way;
  // the number of pixels in which they differ.
  template <typename TDraw>
  int Differences(const TDraw& draw, const std::string& what) {
    TShot shots[2];
    for (bool literal : {true, false}) {
      game::SetLiteralDrawing(literal);
      Paint(Black);
      draw();
      shots[literal] = Shot();
    }
    game::SetLiteralDrawing(false);
    return DifferingPixels(shots[false], shots[true], what);
  }
};

TEST_F(BlendingTest, TheLoadedLibrarysArithmeticIsRecognised) {
  // Unrecognised blending is still exact (SDL draws), only slow: this says
  // which library needs its arithmetic added.
  const std::string rule = game::BlendingRule();
  EXPECT_NE(rule.find("pictures in"), std::string::npos) << "SDL " << game::LinkedSdlVersion() << ": " << rule;
  EXPECT_NE(rule.find("rectangles in"), std::string::npos) << "SDL " << game::LinkedSdlVersion() << ": " << rule;
}

// One tile per alpha from `first` on, as many as fit on the screen, each
// handed to draw with its place and its alpha.
template <typename TDrawTile>
void ForEachTile(int first, const TDrawTile& draw) {
  for (int alpha = first; alpha < std::min(256, first + TilesAcross * TilesDown); ++alpha) {
    const int tile = alpha - first;
    draw(static_cast<int16_t>(TileX[tile % TilesAcross]), static_cast<int16_t>(tile / TilesAcross * TileH),
         static_cast<uint8_t>(alpha));
  }
}

TEST_F(BlendingTest, PicturesBlendLikeSdlAtEveryAlpha) {
  const uint16_t screen = LoadPicture("screen", ScreenValues());
  const uint16_t picture = LoadPicture("picture", PictureValues());
  for (int first = 0; first < 256; first += TilesAcross * TilesDown) {
    const int differing = Differences(
        [&] {
          ForEachTile(first, [&](int16_t x, int16_t y, uint8_t alpha) {
            game::Draw(x, y, screen);
            game::DrawAlpha(x, y, picture, alpha);
          });
        },
        "alphas from " + std::to_string(first));
    EXPECT_EQ(differing, 0) << "alphas from " << first;
  }
}

TEST_F(BlendingTest, RectanglesBlendLikeSdlAtEveryAlpha) {
  const uint16_t screen = LoadPicture("screen", ScreenValues());
  const game::TColor colours[] = {game::RGB(255, 255, 255), game::RGB(0, 0, 0), game::RGB(200, 100, 37),
                                  game::RGB(13, 250, 180)};
  for (const game::TColor& colour : colours) {
    for (int first = 0; first < 256; first += TilesAcross * TilesDown) {
      const std::string what = "colour " + std::to_string(colour.R) + "," + std::to_string(colour.G) + "," +
                                std::to_string(colour.B) + ", alphas from " + std::to_string(first);
      const int differing = Differences(
          [&] {
            ForEachTile(first, [&](int16_t x, int16_t y, uint8_t alpha) {
              game::Draw(x, y, screen);
              game::FillRect(x, y, TileW, TileH, game::RGBA(colour.R, colour.G, colour.B, alpha));
            });
          },
          what);
      EXPECT_EQ(differing, 0) << what;
    }
  }
}

// Over every 16-bit value at once, at alphas on either side of the steps
// of a 5-bit alpha and of the average at 128.
TEST_F(BlendingTest, EveryScreenValueBlendsLikeSdl) {
  const uint16_t screen = LoadPicture("every", EveryScreenValue());
  const uint16_t picture = LoadPicture("picture", PictureValues());
  for (uint8_t alpha : {1, 63, 64, 127, 128, 129, 200, 254}) {
    const int differing = Differences(
        [&] {
          game::Draw(0, 0, screen);
          game::Draw(300, 0, screen);
          for (int y = 0; y < 256; y += TileH) game::DrawAlpha(0, static_cast<int16_t>(y), picture, alpha);
          game::FillRect(300, 0, 256, 256, game::RGBA(200, 100, 37, alpha));
        },
        "alpha " + std::to_string(alpha));
    EXPECT_EQ(differing, 0) << "alpha " << int(alpha);
  }
}

}  // namespace
}  // namespace enginetest
