// Bitmap fonts: the glyph table at the end of the file, pen advance, skipped
// codes, clipping of table entries to the image, and font ids.
#include "engine/game.h"
#include "resources/binary_io.h"
#include "resources/datafile.h"
#include "tests/engine/engine_fixture.h"

namespace enginetest {
namespace {

constexpr int ImageW = 40;
constexpr int ImageH = 8;

// Glyphs of the test font: 'A' red 4 wide, 'B' green 6 wide, 'C' 0 wide,
// 'D' blue 5 wide with every value carrying bit 16, 'E' reaching 6 columns
// and 4 rows past the image, 'F' wholly outside it. Each glyph's first
// column is white so that its position shows; black is the key.
TPicture FontPicture() {
  TPicture p(ImageW, ImageH);
  p.Fill(0, 0, 4, ImageH, Red);
  p.Fill(4, 0, 6, ImageH, Green);
  p.Fill(10, 0, 5, ImageH, Blue);
  p.Fill(36, 0, 4, ImageH, Red);
  for (int x : {0, 4, 10, 36}) p.Fill(x, 0, 1, ImageH, White);
  p.at(2, 3) = Black;  // a hole in 'A'
  return p;
}

testmedia::TGlyphTable FontTable() {
  testmedia::TGlyphTable table{};
  table['A'] = {0, 0, 4, ImageH};
  table['B'] = {4, 0, 6, ImageH};
  table['C'] = {20, 0, 0, ImageH};
  table['D'] = {65536 + 10, 65536, 65536 + 5, 65536 + ImageH};
  table['E'] = {36, 4, 10, ImageH};
  table['F'] = {1000, 1000, 30000, 30000};
  table[127] = {0xFFFFFFFFu, 0, 65535, 65535};
  return table;
}

class FontTest : public EngineTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    game::SetLiteralDrawing(GetParam());
  }
  void WriteFont(const std::string& name, size_t gap = 0) {
    testmedia::WriteFile(dir.Slash() + "Fonts/" + name + ".fnt", testmedia::FontFile(FontPicture(), FontTable(), gap));
  }
  uint16_t LoadTestFont() {
    WriteFont("test");
    return game::LoadFont("test");
  }
  // The screen after drawing text at (10, 20) onto black.
  TShot TextShot(uint16_t font, const char* text, uint8_t alpha = 255) {
    Paint(Black);
    game::DrawText(10, 20, font, alpha, text);
    return Shot();
  }
};

INSTANTIATE_TEST_SUITE_P(BothWays, FontTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Literal" : "Converted"; });

TEST_P(FontTest, GlyphsFollowOneAnotherByTheirWidths) {
  const uint16_t font = LoadTestFont();
  ASSERT_EQ(font, 1);
  const TShot shot = TextShot(font, "ABA");
  EXPECT_EQ(shot.at(10, 20), White);  // 'A' at the pen
  EXPECT_EQ(shot.at(11, 27), Red);
  EXPECT_EQ(shot.at(12, 23), Black);  // the hole is keyed out
  EXPECT_EQ(shot.at(14, 20), White);  // 'B' 4 further
  EXPECT_EQ(shot.at(19, 27), Green);
  EXPECT_EQ(shot.at(20, 20), White);  // 'A' again 6 further
  EXPECT_EQ(shot.at(24, 20), Black);
  EXPECT_EQ(shot.at(11, 28), Black);  // every glyph's top edge is at y
}

TEST_P(FontTest, SkippedCodesAndEmptyGlyphsNeitherDrawNorAdvance) {
  const uint16_t font = LoadTestFont();
  const TShot plain = TextShot(font, "AB");
  EXPECT_TRUE(TextShot(font, "A\xE9" "B") == plain);
  EXPECT_TRUE(TextShot(font, "\x80" "A\xFF" "CB\xE9") == plain);
  EXPECT_TRUE(TextShot(font, "ACCB") == plain);
}

TEST_P(FontTest, TableValuesUseTheirLow16Bits) {
  const uint16_t font = LoadTestFont();
  const game::TGlyph& d = game::GetFont(font)->Glyphs['D'];
  EXPECT_EQ(d.x, 10);
  EXPECT_EQ(d.y, 0);
  EXPECT_EQ(d.w, 5);
  EXPECT_EQ(d.h, ImageH);
  const TShot shot = TextShot(font, "DA");
  EXPECT_EQ(shot.at(10, 20), White);
  EXPECT_EQ(shot.at(14, 27), Blue);
  EXPECT_EQ(shot.at(15, 20), White);  // 'A' 5 further
}

TEST_P(FontTest, GlyphsOutsideTheImageAreClippedToIt) {
  const uint16_t font = LoadTestFont();
  const TShot shot = TextShot(font, "EA");
  // 'E' shows image columns 36..39 and rows 4..7 at the pen; the pen still
  // moves by the table's 10.
  EXPECT_EQ(shot.at(10, 20), White);
  EXPECT_EQ(shot.at(13, 23), Red);
  EXPECT_EQ(shot.at(14, 20), Black);
  EXPECT_EQ(shot.at(10, 24), Black);
  EXPECT_EQ(shot.at(20, 20), White);  // 'A'
  // Entries wholly or hugely outside the image draw nothing of it.
  const TShot far = TextShot(font, "F\x7F");
  EXPECT_TRUE(TextShot(font, "") == far);
}

TEST_P(FontTest, AlphaZeroTextIsInvisibleAndBadIdsDrawNothing) {
  const uint16_t font = LoadTestFont();
  const TShot empty = TextShot(font, "");
  EXPECT_TRUE(TextShot(font, "ABBA", 0) == empty);
  EXPECT_TRUE(TextShot(0, "ABBA") == empty);
  EXPECT_TRUE(TextShot(font + 1, "ABBA") == empty);
  const TShot half = TextShot(font, "A", 128);
  EXPECT_NEAR(half.at(11, 27).r, 128, 8);
  EXPECT_EQ(half.at(11, 27).g, 0);
}

TEST_P(FontTest, TheTableIsFoundFromTheEndOfTheFile) {
  WriteFont("gap", 37);
  const uint16_t font = game::LoadFont("gap");
  ASSERT_EQ(font, 1);
  EXPECT_EQ(game::GetFont(font)->Glyphs['B'].x, 4);
  EXPECT_EQ(game::GetFont(font)->Glyphs['B'].w, 6);
}

using FontLoadTest = EngineTest;

TEST_F(FontLoadTest, FontsAndSpritesShareTheTextureCounter) {
  testmedia::WriteFile(dir.Slash() + "Fonts/one.fnt", testmedia::FontFile(FontPicture(), FontTable()));
  EXPECT_EQ(game::LoadFont("missing"), 0);
  EXPECT_EQ(game::LoadFont("one"), 1);
  EXPECT_EQ(game::LoadFont("one"), 2);
  EXPECT_EQ(game::FontCount(), 2);
  EXPECT_EQ(game::PeekNextTexture(), 3);
  // The main build records each font's texture name in every driver.
  EXPECT_EQ(game::GetFont(1)->Image.Texture, game::OpenGLBuild ? 1 : 0);
  EXPECT_EQ(game::GetFont(2)->Image.Texture, game::OpenGLBuild ? 2 : 0);
  EXPECT_EQ(game::GetFont(1)->Image.ColorKey, 0u);
  EXPECT_EQ(LoadPicture("after", TPicture(2, 2)), 1);
  EXPECT_EQ(game::PeekNextTexture(), 4);
}

TEST_F(FontLoadTest, AFileShorterThanTheTableIsAnInputOutputFailure) {
  testmedia::WriteFile(dir.Slash() + "Fonts/short.fnt", testmedia::Bmp24(TPicture(4, 4)));
  EXPECT_THROW(game::LoadFont("short"), resources::IoError);
  EXPECT_EQ(game::FontCount(), 0);
  EXPECT_EQ(game::PeekNextTexture(), 1);
}

TEST_F(FontLoadTest, APackedFontWithoutItsTableIsNamedByItsPackedFile) {
  Pack("short.fnt", testmedia::Bmp24(TPicture(4, 4)), "Fonts");
  resources::DevelopMode = false;
  try {
    game::LoadFont("short");
    ADD_FAILURE() << "a font without a glyph table loaded";
  } catch (const resources::IoError& error) {
    EXPECT_EQ(error.Path(), dir.Slash() + "Fonts/short.dat");
  }
  EXPECT_EQ(game::FontCount(), 0);
}

TEST_F(FontLoadTest, PackedFontIsReadFromTheScratchFile) {
  Pack("packed.fnt", testmedia::FontFile(FontPicture(), FontTable()), "Fonts");
  resources::DevelopMode = false;
  const uint16_t font = game::LoadFont("packed");
  ASSERT_EQ(font, 1);
  EXPECT_EQ(game::GetFont(font)->Glyphs['B'].w, 6);
  Paint(Black);
  game::DrawText(0, 0, font, 255, "B");
  EXPECT_EQ(At(5, 7), Green);
}

TEST_F(FontLoadTest, ReleasingTheFontsEmptiesTheBank) {
  testmedia::WriteFile(dir.Slash() + "Fonts/one.fnt", testmedia::FontFile(FontPicture(), FontTable()));
  ASSERT_EQ(game::LoadFont("one"), 1);
  ASSERT_EQ(game::LoadFont("one"), 2);
  game::DrawText(0, 0, 2, 128, "AB");  // the screen copies exist now
  game::ReleaseFonts();
  EXPECT_EQ(game::FontCount(), 0);
  EXPECT_EQ(game::GetFont(1), nullptr);
  Paint(Black);
  game::DrawText(0, 0, 1, 255, "B");
  EXPECT_EQ(At(5, 7), Black);
  EXPECT_EQ(game::LoadFont("one"), 1);
}

}  // namespace
}  // namespace enginetest
