// Screens that are not 16-bit, as a browser gives: the engine draws the same
// 16-bit picture on them, reads it back the same, and each present shows it
// in the screen's own format, every channel widened as ReadScreen widens it.
#include <SDL.h>

#include <string>

#include "engine/game.h"
#include "tests/engine/engine_fixture.h"

namespace enginetest {
namespace {

constexpr int Interval = 33;  // ms between presents at 30 frames a second

// How the picture is drawn: the engine's copies and blending, the same with
// translucent draws handed to SDL, or the literal way.
enum class TWay { Converted, HandedToSdl, Literal };

// Every 16-bit 565 value once, as the 24-bit colour that a 16-bit screen
// stores as that value: value v at (v % 256, v / 256).
TPicture EveryScreenValue() {
  TPicture p(256, 256);
  for (int v = 0; v < 65536; ++v) {
    p.at(v % 256, v / 256) = TRgb{Exact5(v >> 11), Exact6((v >> 5) & 63), Exact5(v & 31)};
  }
  return p;
}

// Colours that a 16-bit screen cannot hold exactly, with black (the key)
// and near-black among them, so that a picture drawn at another depth, or
// blended in other arithmetic, shows.
TPicture Noise(int w, int h, uint32_t seed) {
  TPicture p(w, h);
  for (TRgb& c : p.pixels) {
    seed = seed * 1664525u + 1013904223u;
    const uint32_t n = seed >> 8;
    c = n % 7 == 0 ? Black : n % 11 == 0 ? NearBlack : TRgb{uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16)};
  }
  return p;
}

// Opens the frame-buffer screen again at this depth; the SDL surface must
// really have it, or the test would prove nothing.
void OpenAt(int bitsPerPixel) {
  game::SetFrameBufferDepth(static_cast<uint8_t>(bitsPerPixel));
  ASSERT_TRUE(game::SetVideoMode(ScreenWidth, ScreenHeight, false)) << game::LastVideoError();
  ASSERT_NE(SDL_GetVideoSurface(), nullptr);
  ASSERT_EQ(SDL_GetVideoSurface()->format->BitsPerPixel, bitsPerPixel);
}

class ScreenDepthTest : public EngineTest, public ::testing::WithParamInterface<TWay> {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    game::SetLiteralDrawing(GetParam() == TWay::Literal);
    game::SetOwnBlending(GetParam() != TWay::HandedToSdl);
  }

  // Sprites of every kind at several alphas, partly off the screen,
  // rectangles at several alphas and text, over a painted background.
  static TShot Scene(uint16_t picture, uint16_t small, uint16_t font) {
    Paint(TRgb{90, 140, 200});
    game::Draw(-20, -10, picture);
    game::DrawKeyed(100, 40, picture);
    int x = 0;
    for (const uint8_t alpha : {0, 1, 64, 128, 200, 254, 255}) {
      game::DrawAlpha(static_cast<int16_t>(220 + x), 60, picture, alpha);
      game::DrawAlpha(static_cast<int16_t>(x), 330, small, alpha);
      game::FillRect(static_cast<int16_t>(x), 400, 70, 50, game::RGBA(250, 13, 77, alpha));
      x += 90;
    }
    game::FillRect(760, 560, 100, 100, game::RGBA(7, 250, 131, 100));
    game::DrawText(20, 500, font, 255, "ABAB");
    game::DrawText(20, 520, font, 150, "BABA");
    return Shot();
  }

  uint16_t LoadFont() {
    testmedia::TGlyphTable table{};
    table['A'] = {0, 0, 8, 10};
    table['B'] = {8, 0, 8, 10};
    testmedia::WriteFile(dir.Slash() + "Fonts/noise.fnt", testmedia::FontFile(Noise(16, 10, 5), table));
    return game::LoadFont("noise");
  }
};

INSTANTIATE_TEST_SUITE_P(EachWay, ScreenDepthTest,
                         ::testing::Values(TWay::Converted, TWay::HandedToSdl, TWay::Literal),
                         [](const auto& info) {
                           return info.param == TWay::Converted    ? "Converted"
                                  : info.param == TWay::Literal ? "Literal"
                                                                : "HandedToSdl";
                         });

TEST_P(ScreenDepthTest, TheSameDrawingReadsBackTheSameOnEveryDepth) {
  const uint16_t picture = LoadPicture("noise", Noise(150, 120, 1));
  const uint16_t small = LoadPicture("small", Noise(9, 7, 2));
  const uint16_t font = LoadFont();
  ASSERT_NE(picture, 0);
  ASSERT_NE(small, 0);
  ASSERT_NE(font, 0);
  // The fixture's screen is the game's 16-bit one; the pictures, loaded for
  // it, are drawn on every screen that follows.
  const TShot reference = Scene(picture, small, font);
  for (const int depth : {32, 24, 16}) {
    SCOPED_TRACE("screen of " + std::to_string(depth) + " bits");
    OpenAt(depth);
    if (HasFatalFailure()) return;
    EXPECT_EQ(DifferingPixels(Scene(picture, small, font), reference, "against the 16-bit screen"), 0);
  }
}

// The presented surface is SDL's own, in its own channel order and depth:
// each of its channels must hold the top bits of ReadScreen's widened byte,
// for every 16-bit value.
using PresentedScreenTest = EngineTest;

TEST_F(PresentedScreenTest, ShowsThePictureWidenedInTheScreensFormat) {
  const uint16_t all = LoadPicture("all", EveryScreenValue());
  ASSERT_NE(all, 0);
  for (const int depth : {32, 24}) {
    SCOPED_TRACE("screen of " + std::to_string(depth) + " bits");
    OpenAt(depth);
    if (HasFatalFailure()) return;
    game::Draw(0, 0, all);
    const TShot drawn = Shot();
    Now += Interval;
    ASSERT_TRUE(game::Flip());

    SDL_Surface* shown = SDL_GetVideoSurface();
    ASSERT_EQ(SDL_LockSurface(shown), 0);
    const SDL_PixelFormat* f = shown->format;
    int wrong = 0;
    for (int y = 0; y < 256; ++y) {
      const uint8_t* row = static_cast<const uint8_t*>(shown->pixels) + y * shown->pitch;
      for (int x = 0; x < 256; ++x) {
        uint32_t pixel = 0;
        for (int b = 0; b < f->BytesPerPixel; ++b) pixel |= uint32_t(row[x * f->BytesPerPixel + b]) << (8 * b);
        const TRgb want = drawn.at(x, y);
        const TRgb seen{uint8_t((pixel & f->Rmask) >> f->Rshift), uint8_t((pixel & f->Gmask) >> f->Gshift),
                        uint8_t((pixel & f->Bmask) >> f->Bshift)};
        const TRgb wantTop{uint8_t(want.r >> f->Rloss), uint8_t(want.g >> f->Gloss), uint8_t(want.b >> f->Bloss)};
        if (seen == wantTop || wrong++ >= 5) continue;
        ADD_FAILURE() << "value " << (y * 256 + x) << ": shown " << ::testing::PrintToString(seen) << ", read back "
                      << ::testing::PrintToString(want);
      }
    }
    SDL_UnlockSurface(shown);
    EXPECT_EQ(wrong, 0);
    // The full range survives: the 16-bit maximum shows as the screen's.
    EXPECT_EQ(drawn.at(255, 255), White);
    // The picture drawn on is cleared for the next frame, as on 16 bits.
    const TShot next = Shot();
    EXPECT_EQ(next.at(0, 0), Black);
    EXPECT_EQ(next.at(255, 255), Black);
  }
}

}  // namespace
}  // namespace enginetest
