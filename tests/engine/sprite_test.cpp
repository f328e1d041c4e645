// Sprites and filled rectangles in the frame-buffer driver, read back from
// the screen. Most cases run twice: with the converted copies the engine
// draws from, and the literal way (the loaded surface, flags set on every
// draw), which must give the same pixels.
#include <random>

#include "engine/game.h"
#include "resources/binary_io.h"
#include "resources/datafile.h"
#include "tests/engine/engine_fixture.h"

namespace enginetest {
namespace {

// A 4 x 2 picture: red, black (the key), near-black, white; then green,
// blue, black, red.
TPicture KeyPicture() {
  TPicture p(4, 2);
  p.at(0, 0) = Red;
  p.at(1, 0) = Black;
  p.at(2, 0) = NearBlack;
  p.at(3, 0) = White;
  p.at(0, 1) = Green;
  p.at(1, 1) = Blue;
  p.at(2, 1) = Black;
  p.at(3, 1) = Red;
  return p;
}

// What a 16-bit screen shows for each pixel of KeyPicture drawn opaque.
const TRgb KeyPictureOpaque[2][4] = {{Red, Black, Black, White}, {Green, Blue, Black, Red}};

class SpriteDrawTest : public EngineTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    game::SetLiteralDrawing(GetParam());
  }
  // The screen area x0..x0+3, y0..y0+1 against KeyPicture's layout, where
  // keyed pixels are expected to show the background.
  void ExpectKeyPicture(int x0, int y0, bool keyed, TRgb background) {
    const TShot shot = Shot();
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 4; ++x) {
        const bool isKey = KeyPicture().at(x, y) == Black;
        const TRgb expected = keyed && isKey ? background : KeyPictureOpaque[y][x];
        EXPECT_EQ(shot.at(x0 + x, y0 + y), expected) << "picture pixel " << x << "," << y;
      }
    }
  }
};

INSTANTIATE_TEST_SUITE_P(BothWays, SpriteDrawTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Literal" : "Converted"; });

TEST_P(SpriteDrawTest, OpaqueDrawsEveryPixelKeyedLeavesOutOnlyTrueBlack) {
  const uint16_t id = LoadPicture("keys", KeyPicture());
  ASSERT_EQ(id, 1);
  Paint(White);
  game::Draw(10, 10, id);
  game::DrawKeyed(10, 20, id);
  ExpectKeyPicture(10, 10, false, White);
  // The near-black pixel is drawn (as black), not left out with the key.
  ExpectKeyPicture(10, 20, true, White);
}

TEST_P(SpriteDrawTest, EveryDrawSetsItsOwnBlendingState) {
  const uint16_t id = LoadPicture("keys", KeyPicture());
  Paint(White);
  game::DrawAlpha(10, 10, id, 128);
  game::Draw(10, 10, id);
  ExpectKeyPicture(10, 10, false, White);

  game::DrawAlpha(20, 10, id, 128);
  game::FillRect(20, 10, 4, 2, game::RGB(255, 255, 255));
  game::DrawKeyed(20, 10, id);
  ExpectKeyPicture(20, 10, true, White);

  game::DrawKeyed(30, 10, id);
  game::Draw(30, 10, id);
  ExpectKeyPicture(30, 10, false, White);
}

TEST_P(SpriteDrawTest, AlphaBlendsKeyedPixelsOnly) {
  const uint16_t id = LoadPicture("keys", KeyPicture());
  Paint(White);
  game::DrawAlpha(10, 10, id, 128);
  const TShot shot = Shot();
  const TRgb halfRed = shot.at(10, 10);
  EXPECT_EQ(halfRed.r, 255);
  EXPECT_NEAR(halfRed.g, 128, 8);
  EXPECT_NEAR(halfRed.b, 128, 8);
  EXPECT_EQ(shot.at(11, 10), White);  // the key
  const TRgb halfNearBlack = shot.at(12, 10);
  EXPECT_NEAR(halfNearBlack.r, 128, 8);
  EXPECT_NEAR(halfNearBlack.g, 128, 8);
}

TEST_P(SpriteDrawTest, AlphaZeroLeavesTheScreenAsItWas) {
  const uint16_t id = LoadPicture("keys", KeyPicture());
  Paint(TRgb{Exact5(9), Exact6(40), Exact5(20)});
  game::Draw(100, 100, id);
  const TShot before = Shot();
  game::DrawAlpha(100, 100, id, 0);
  game::DrawAlpha(0, 0, id, 0);
  game::FillRect(50, 50, 300, 200, game::RGBA(255, 0, 0, 0));
  EXPECT_TRUE(Shot() == before);
}

TEST_P(SpriteDrawTest, FillRectBlendsItsColourOverTheRectangleOnly) {
  Paint(Black);
  game::FillRect(10, 20, 30, 5, game::RGB(0, 255, 0));
  game::FillRect(10, 40, 30, 5, game::RGBA(255, 255, 255, 128));
  game::FillRect(10, 60, 0, 5, game::RGB(255, 255, 255));
  const TShot shot = Shot();
  EXPECT_EQ(shot.at(10, 20), Green);
  EXPECT_EQ(shot.at(39, 24), Green);
  EXPECT_EQ(shot.at(40, 24), Black);
  EXPECT_EQ(shot.at(39, 25), Black);
  EXPECT_NEAR(shot.at(20, 42).r, 128, 8);
  EXPECT_EQ(shot.at(10, 60), Black);  // width 0 draws nothing
}

// A picture whose every pixel has its own colour, exact on a 16-bit screen.
TPicture Gradient(int w, int h) {
  TPicture p(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) p.at(x, y) = TRgb{Exact5(x + 1), Exact6(y + 1), Exact5((x + y) % 31 + 1)};
  }
  return p;
}

TEST_P(SpriteDrawTest, ClippedAtEveryEdgeNeverWrapped) {
  constexpr int W = 12;
  constexpr int H = 10;
  const TPicture picture = Gradient(W, H);
  const uint16_t id = LoadPicture("gradient", picture);
  struct TCase {
    int16_t x, y;
  };
  const TCase cases[] = {{-5, 100}, {795, 100}, {100, -7}, {100, 595}, {-3, -4}, {794, 596}, {-12, 50}, {-300, -300}};
  for (const TCase& c : cases) {
    Paint(Black);
    game::Draw(c.x, c.y, id);
    const TShot shot = Shot();
    for (int y = 0; y < ScreenHeight; ++y) {
      for (int x = 0; x < ScreenWidth; ++x) {
        const int px = x - c.x;
        const int py = y - c.y;
        const bool inside = px >= 0 && px < W && py >= 0 && py < H;
        const TRgb expected = inside ? picture.at(px, py) : Black;
        if (shot.at(x, y) != expected) {
          ADD_FAILURE() << "draw at " << c.x << "," << c.y << ": screen " << x << "," << y;
          return;
        }
      }
    }
  }
}

TEST_P(SpriteDrawTest, IdZeroAndIdsPastTheBankDrawNothing) {
  const uint16_t id = LoadPicture("keys", KeyPicture());
  Paint(White);
  const TShot before = Shot();
  for (uint16_t bad : {uint16_t{0}, uint16_t(id + 1), uint16_t{65535}}) {
    game::Draw(10, 10, bad);
    game::DrawKeyed(10, 10, bad);
    game::DrawAlpha(10, 10, bad, 200);
  }
  EXPECT_TRUE(Shot() == before);
}

using SpriteLoadTest = EngineTest;

TEST_F(SpriteLoadTest, SameNameTwiceGivesTwoIdsOfTheSamePicture) {
  WriteSprite("grass", KeyPicture());
  const uint16_t first = game::LoadSprite("grass", game::RGB(0, 0, 0));
  const uint16_t second = game::LoadSprite("grass", game::RGB(0, 0, 0));
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 2);
  EXPECT_EQ(game::SpriteCount(), 2);
  Paint(White);
  game::Draw(0, 0, first);
  game::Draw(10, 0, second);
  const TShot shot = Shot();
  for (int x = 0; x < 4; ++x) EXPECT_EQ(shot.at(x, 1), shot.at(10 + x, 1));
}

TEST_F(SpriteLoadTest, FailedLoadTakesNoIdAndNoTextureNumber) {
  const uint16_t before = game::PeekNextTexture();
  EXPECT_EQ(before, 1);
  testmedia::WriteFile(dir.Slash() + "Sprites/broken.bmp", {'B', 'M', 1, 2, 3});
  EXPECT_EQ(game::LoadSprite("missing", game::RGB(0, 0, 0)), 0);
  EXPECT_EQ(game::LoadSprite("broken", game::RGB(0, 0, 0)), 0);
  EXPECT_EQ(game::PeekNextTexture(), before);
  EXPECT_EQ(game::SpriteCount(), 0);
  EXPECT_EQ(LoadPicture("keys", KeyPicture()), 1);
  EXPECT_EQ(game::PeekNextTexture(), before + 1);
  // Outside the OpenGL driver a sprite carries no texture.
  EXPECT_EQ(game::GetSprite(1)->Texture, 0);
}

TEST_F(SpriteLoadTest, ColourKeyIsTheGivenColour) {
  TPicture p(3, 1);
  p.at(0, 0) = Red;
  p.at(1, 0) = Black;
  p.at(2, 0) = Green;
  WriteSprite("redkey", p);
  const uint16_t id = game::LoadSprite("redkey", game::RGB(255, 0, 0));
  for (bool literal : {false, true}) {
    game::SetLiteralDrawing(literal);
    Paint(White);
    game::DrawKeyed(0, 0, id);
    const TShot shot = Shot();
    EXPECT_EQ(shot.at(0, 0), White);
    EXPECT_EQ(shot.at(1, 0), Black);
    EXPECT_EQ(shot.at(2, 0), Green);
  }
}

TEST_F(SpriteLoadTest, PackedModeLoadsThroughTheScratchFile) {
  Pack("keys.bmp", testmedia::Bmp24(KeyPicture()), "Sprites");
  resources::DevelopMode = false;
  const uint16_t id = game::LoadSprite("keys", game::RGB(0, 0, 0));
  ASSERT_EQ(id, 1);
  Paint(White);
  game::DrawKeyed(0, 0, id);
  EXPECT_EQ(At(0, 0), Red);
  EXPECT_EQ(At(1, 0), White);
  EXPECT_EQ(testmedia::Bmp24(KeyPicture()), resources::ReadWholeFile(resources::ScratchFilePath()));
  // A missing packed file is an input/output failure, and takes no id.
  EXPECT_THROW(game::LoadSprite("absent", game::RGB(0, 0, 0)), resources::IoError);
  EXPECT_EQ(game::SpriteCount(), 1);
}

TEST_F(SpriteLoadTest, CopiesFollowANewVideoMode) {
  const uint16_t id = LoadPicture("keys", KeyPicture());
  // A new mode makes earlier copies stale; drawing must still be right.
  ASSERT_TRUE(game::SetVideoMode(320, 200, false));
  game::FillRect(0, 0, 320, 200, game::RGB(255, 255, 255));
  game::DrawKeyed(0, 0, id);
  EXPECT_EQ(At(1, 0), White);
  EXPECT_EQ(At(2, 0), Black);
}

// A picture that uses every 16-bit value leaves no value free to stand for
// the key: its keyed draws go the plain way and still leave out only black.
TEST_F(SpriteLoadTest, PictureUsingEveryScreenValueIsStillKeyedRight) {
  TPicture p(256, 257);
  for (int v = 0; v < 65536; ++v) {
    // 16-bit value v, and for 0 a near-black that is stored as 0 too.
    p.pixels[v] = v == 0 ? NearBlack
                         : TRgb{static_cast<uint8_t>((v >> 11) << 3), static_cast<uint8_t>(((v >> 5) & 63) << 2),
                                static_cast<uint8_t>((v & 31) << 3)};
  }
  p.Fill(0, 256, 128, 1, Black);
  p.Fill(128, 256, 128, 1, Red);
  const uint16_t id = LoadPicture("everything", p);
  TShot shots[2];
  for (bool literal : {false, true}) {
    game::SetLiteralDrawing(literal);
    Paint(White);
    game::DrawKeyed(0, 0, id);
    game::DrawAlpha(300, 0, id, 100);
    shots[literal] = Shot();
  }
  EXPECT_EQ(shots[0].at(0, 0), Black);  // the near-black pixel is drawn
  EXPECT_EQ(shots[0].at(0, 256), White);
  EXPECT_EQ(shots[0].at(200, 256), Red);
  EXPECT_TRUE(shots[0] == shots[1]);
}

// The converted copies must not change a single pixel: a busy scene with
// pictures full of black, near-black and random colours, and text, drawn
// both ways.
TEST_F(SpriteLoadTest, ConvertedDrawingMatchesLiteralDrawingPixelForPixel) {
  std::mt19937 random(20261209);
  auto channel = [&](void) { return static_cast<uint8_t>(random() % 256); };
  std::vector<uint16_t> ids;
  for (int n = 0; n < 6; ++n) {
    const int w = 1 + static_cast<int>(random() % 100);
    const int h = 1 + static_cast<int>(random() % 100);
    TPicture p(w, h);
    for (TRgb& c : p.pixels) {
      switch (random() % 4) {
        case 0: c = Black; break;
        case 1: c = TRgb{static_cast<uint8_t>(channel() % 8), static_cast<uint8_t>(channel() % 4), static_cast<uint8_t>(channel() % 8)}; break;
        default: c = TRgb{channel(), channel(), channel()}; break;
      }
    }
    ids.push_back(LoadPicture("random" + std::to_string(n), p));
  }
  // A font of random glyphs, some reaching outside its image.
  TPicture glyphs(64, 16);
  for (TRgb& c : glyphs.pixels) c = random() % 3 == 0 ? Black : TRgb{channel(), channel(), channel()};
  testmedia::TGlyphTable table{};
  auto below = [&](uint32_t n) { return static_cast<uint32_t>(random() % n); };
  for (testmedia::TGlyphRecord& g : table) g = {below(70), below(20), below(12), below(20)};
  testmedia::WriteFile(dir.Slash() + "Fonts/random.fnt", testmedia::FontFile(glyphs, table));
  const uint16_t font = game::LoadFont("random");
  ASSERT_EQ(font, 1);
  std::string text;
  for (int n = 0; n < 40; ++n) text.push_back(static_cast<char>(32 + random() % 96));

  struct TStep {
    int kind;
    int16_t x, y;
    uint16_t id, w, h;
    uint8_t alpha;
    TRgb colour;
  };
  std::vector<TStep> steps;
  for (int n = 0; n < 400; ++n) {
    const uint8_t alphas[] = {0, 1, 64, 127, 128, 129, 192, 254, 255, channel()};
    steps.push_back(TStep{static_cast<int>(random() % 5), static_cast<int16_t>(static_cast<int>(random() % 900) - 50),
                          static_cast<int16_t>(static_cast<int>(random() % 700) - 50), ids[random() % ids.size()],
                          static_cast<uint16_t>(random() % 120), static_cast<uint16_t>(random() % 120),
                          alphas[random() % 10], TRgb{channel(), channel(), channel()}});
  }
  auto drawScene = [&](bool literal) {
    game::SetLiteralDrawing(literal);
    Paint(TRgb{40, 90, 200});
    for (const TStep& s : steps) {
      switch (s.kind) {
        case 0: game::Draw(s.x, s.y, s.id); break;
        case 1: game::DrawKeyed(s.x, s.y, s.id); break;
        case 2: game::DrawAlpha(s.x, s.y, s.id, s.alpha); break;
        case 3: game::DrawText(s.x, s.y, font, s.alpha, text.c_str() + s.w % 20); break;
        default: game::FillRect(s.x, s.y, s.w, s.h, game::RGBA(s.colour.r, s.colour.g, s.colour.b, s.alpha)); break;
      }
    }
    return Shot();
  };
  const TShot literal = drawScene(true);
  // The engine's own blending, then translucent draws handed to SDL as on a
  // library whose blending the engine does not know.
  for (bool own : {true, false}) {
    game::SetOwnBlending(own);
    const TShot converted = drawScene(false);
    EXPECT_EQ(DifferingPixels(converted, literal, own ? "own blending" : "blending by SDL"), 0);
  }
}

// Pictures whose bits-per-pixel field is nonsense. SDL 1.2 on sdl12-compat
// loads such files as surfaces with 0 or 15 bytes per pixel, a pitch
// shorter than a row, or 23 bits with a channel lost 255 bits; the classic
// library refuses them. Either way no id.
TEST_F(SpriteLoadTest, PicturesSdlDescribesInconsistentlyAreRefused) {
  for (uint16_t bitsPerPixel : {uint16_t{0x1873}, uint16_t{0x0C00}, uint16_t{0}, uint16_t{23}}) {
    SCOPED_TRACE(bitsPerPixel);
    std::vector<uint8_t> bmp = testmedia::Bmp24(TPicture(16, 8, White));
    bmp[28] = static_cast<uint8_t>(bitsPerPixel);
    bmp[29] = static_cast<uint8_t>(bitsPerPixel >> 8);
    testmedia::WriteFile(dir.Slash() + "Sprites/odd.bmp", bmp);
    std::vector<uint8_t> font = bmp;
    font.resize(font.size() + 2048, 0);
    testmedia::WriteFile(dir.Slash() + "Fonts/odd.fnt", font);
    EXPECT_EQ(game::LoadSprite("odd", game::RGB(0, 0, 0)), 0);
    EXPECT_EQ(game::LoadFont("odd"), 0);
  }
  EXPECT_EQ(game::SpriteCount(), 0);
  EXPECT_EQ(game::FontCount(), 0);
  EXPECT_EQ(game::PeekNextTexture(), 1);
}

}  // namespace
}  // namespace enginetest
