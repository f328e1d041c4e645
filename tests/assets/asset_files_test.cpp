// The pictures and the font: every name of the game's tables present, loose
// and packed, with sizes that fit where the game draws them and colours that
// survive its transparency rule.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "asset_test_support.h"
#include "resources/datafile.h"
#include "tests/support/temp_dir.h"

namespace assettest {
namespace {

enum class Kind { Ground, Keyed, Opaque };

struct SpriteCase {
  std::string name;
  Kind kind;
  int minW, maxW, minH, maxH;
};

constexpr int kCell = 96;

std::vector<SpriteCase> SpriteCases() {
  std::vector<SpriteCase> cases;
  auto cell = [&](const std::string& name, Kind kind) { cases.push_back({name, kind, kCell, kCell, kCell, kCell}); };
  cell("grass", Kind::Ground);
  for (const char* name : {"cdoor", "keycard", "medkit", "ammo", "odoor", "mine_active", "mine_inactive",
                           "player_shadow"}) {
    cell(name, Kind::Keyed);
  }
  for (const char* facing : {"u", "r", "d", "l"}) {
    for (const char* frame : {"m", "l1", "r1", "r2", "fire"}) {
      cell(std::string("player_") + facing + "_" + frame, Kind::Keyed);
    }
  }
  cases.push_back({"start", Kind::Opaque, 800, 800, 600, 600});
  // Life icons stand 35 pixels apart; the particle is a small dot.
  cases.push_back({"lives", Kind::Keyed, 16, 35, 16, 35});
  cases.push_back({"pixel", Kind::Keyed, 5, 8, 5, 8});
  // Countdown pictures are drawn at (390, 300), banners at (350, 300): both
  // must stay on the 800 x 600 screen.
  for (const char* name : {"go", "1", "2", "3"}) cases.push_back({name, Kind::Keyed, 60, 160, 60, 200});
  for (const char* name : {"next_level", "game_over"}) cases.push_back({name, Kind::Keyed, 200, 450, 50, 150});
  for (const std::string& name : kGroundNames) cell(name, Kind::Ground);
  return cases;
}

Bmp LoadSprite(const std::string& name) {
  return ParseBmp(resources::ReadWholeFile(kInstallDir + "Sprites/" + name + ".bmp"));
}

TEST(AssetSprites, EveryNameHasA24BitPictureOfAFittingSize) {
  for (const SpriteCase& c : SpriteCases()) {
    SCOPED_TRACE(c.name);
    const Bmp bmp = LoadSprite(c.name);
    ASSERT_EQ(bmp.error, "");
    EXPECT_GE(bmp.width, c.minW);
    EXPECT_LE(bmp.width, c.maxW);
    EXPECT_GE(bmp.height, c.minH);
    EXPECT_LE(bmp.height, c.maxH);
  }
}

TEST(AssetSprites, SdlReadsEveryPictureAs24Bit) {
  for (const SpriteCase& c : SpriteCases()) {
    SCOPED_TRACE(c.name);
    SDL_Surface* surface = SDL_LoadBMP((kInstallDir + "Sprites/" + c.name + ".bmp").c_str());
    ASSERT_NE(surface, nullptr) << SDL_GetError();
    EXPECT_EQ(surface->format->BitsPerPixel, 24);
    EXPECT_GE(surface->w, c.minW);
    SDL_FreeSurface(surface);
  }
  SDL_Surface* icon = SDL_LoadBMP((kInstallDir + "vexmoor.bmp").c_str());
  ASSERT_NE(icon, nullptr) << SDL_GetError();
  EXPECT_EQ(icon->w, 32);
  EXPECT_EQ(icon->h, 32);
  EXPECT_EQ(icon->format->BitsPerPixel, 24);
  SDL_FreeSurface(icon);
}

// Pure black is see-through; anything that a 16-bit screen would round to
// black would turn into holes. Ground is drawn opaque and must hold no black
// at all; keyed pictures must show something.
TEST(AssetSprites, ColoursSurviveTheTransparencyRule) {
  for (const SpriteCase& c : SpriteCases()) {
    SCOPED_TRACE(c.name);
    const Bmp bmp = LoadSprite(c.name);
    ASSERT_EQ(bmp.error, "");
    int nearBlack = 0, black = 0;
    for (int y = 0; y < bmp.height; ++y) {
      for (int x = 0; x < bmp.width; ++x) {
        nearBlack += NearBlack(bmp.At(x, y));
        black += PureBlack(bmp.At(x, y));
      }
    }
    EXPECT_EQ(nearBlack, 0);
    if (c.kind == Kind::Ground) {
      EXPECT_EQ(black, 0);
    }
    if (c.kind == Kind::Keyed) {
      EXPECT_GT(black, 0) << "a keyed picture needs a see-through background";
      EXPECT_LT(black, bmp.width * bmp.height) << "nothing to see";
    }
  }
}

struct Box {
  int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;  // inclusive ink bounds
  double cx() const { return (x0 + x1) / 2.0; }
  double cy() const { return (y0 + y1) / 2.0; }
};

Box InkBox(const Bmp& bmp) {
  Box box;
  for (int y = 0; y < bmp.height; ++y) {
    for (int x = 0; x < bmp.width; ++x) {
      if (PureBlack(bmp.At(x, y))) continue;
      box.x0 = std::min(box.x0, x), box.x1 = std::max(box.x1, x);
      box.y0 = std::min(box.y0, y), box.y1 = std::max(box.y1, y);
    }
  }
  return box;
}

// The inventory draws the 96-pixel key picture centred on a 48 x 48 slot.
TEST(AssetSprites, KeycardFitsItsInventorySlot) {
  const Box box = InkBox(LoadSprite("keycard"));
  EXPECT_GE(box.x0, 24);
  EXPECT_LE(box.x1, 71);
  EXPECT_GE(box.y0, 24);
  EXPECT_LE(box.y1, 71);
}

// Each muzzle flash sits ahead of the figure in its facing, touching the
// weapon in every walk frame of that facing.
TEST(AssetSprites, MuzzleFlashesLineUpWithTheWeapon) {
  const struct {
    const char* facing;
    int dx, dy;
  } facings[] = {{"u", 0, -1}, {"r", 1, 0}, {"d", 0, 1}, {"l", -1, 0}};
  for (const auto& f : facings) {
    SCOPED_TRACE(f.facing);
    const Box flash = InkBox(LoadSprite(std::string("player_") + f.facing + "_fire"));
    ASSERT_GE(flash.x1, 0);
    const double ahead = (flash.cx() - kCell / 2.0) * f.dx + (flash.cy() - kCell / 2.0) * f.dy;
    EXPECT_GT(ahead, 24) << "the flash is not in front of the figure";
    for (const char* frame : {"m", "l1", "r1", "r2"}) {
      SCOPED_TRACE(frame);
      const Bmp figure = LoadSprite(std::string("player_") + f.facing + "_" + frame);
      bool touches = false;
      for (int y = flash.y0 - 3; y <= flash.y1 + 3 && !touches; ++y) {
        for (int x = flash.x0 - 3; x <= flash.x1 + 3 && !touches; ++x) {
          if (x >= 0 && y >= 0 && x < kCell && y < kCell) touches = !PureBlack(figure.At(x, y));
        }
      }
      EXPECT_TRUE(touches) << "no weapon next to the flash";
    }
  }
}

// A walk cycle needs four different pictures per facing, and the facings
// must differ.
TEST(AssetSprites, WalkFramesAndFacingsAllDiffer) {
  std::vector<std::vector<uint8_t>> seen;
  for (const char* facing : {"u", "r", "d", "l"}) {
    for (const char* frame : {"m", "l1", "r1", "r2"}) {
      const Bmp bmp = LoadSprite(std::string("player_") + facing + "_" + frame);
      for (const auto& other : seen) EXPECT_NE(bmp.rgb, other) << facing << " " << frame;
      seen.push_back(bmp.rgb);
    }
  }
}

int CountReddish(const Bmp& bmp) {
  int count = 0;
  for (int y = 0; y < bmp.height; ++y) {
    for (int x = 0; x < bmp.width; ++x) {
      const uint8_t* p = bmp.At(x, y);
      count += p[0] > 170 && p[1] < 100 && p[2] < 100;
    }
  }
  return count;
}

// An open door shows the floor through its middle; a closed one covers it.
// An armed mine shows a red warning; a spent one none.
TEST(AssetSprites, DoorsAndMinesTellTheirStateApart) {
  const Bmp closed = LoadSprite("cdoor"), open = LoadSprite("odoor");
  EXPECT_FALSE(PureBlack(closed.At(kCell / 2 - 10, kCell / 2 - 10)));
  EXPECT_TRUE(PureBlack(open.At(kCell / 2 - 10, kCell / 2 - 10)));
  EXPECT_GT(CountReddish(LoadSprite("mine_active")), 40);
  EXPECT_EQ(CountReddish(LoadSprite("mine_inactive")), 0);
}

// Every loose file the game can ask for, sprites, font, sounds and music.
std::vector<std::string> LooseFiles() {
  std::vector<std::string> files;
  for (const SpriteCase& c : SpriteCases()) files.push_back(kInstallDir + "Sprites/" + c.name + ".bmp");
  files.push_back(kInstallDir + "Fonts/courier new 10.fnt");
  for (const std::string& name : kSoundNames) files.push_back(kInstallDir + "Sounds/" + name + ".wav");
  files.push_back(kInstallDir + "Music/maze.ogg");
  return files;
}

TEST(AssetPacking, EveryLooseFileHasAPackedTwinThatUnpacksToIt) {
  vxtest::TempDir temp;
  for (const std::string& loose : LooseFiles()) {
    SCOPED_TRACE(loose);
    const std::string packed = loose.substr(0, loose.size() - 4) + ".dat";
    ASSERT_TRUE(std::filesystem::exists(packed));
    const std::vector<uint8_t> header = resources::ReadWholeFile(packed);
    ASSERT_GE(header.size(), 12u);
    EXPECT_EQ(std::string(header.begin(), header.begin() + 3), "DDD");
    const std::string restored = temp / "restored";
    EXPECT_TRUE(resources::UnpackDataFileTo(packed, restored)) << "checksum mismatch";
    EXPECT_EQ(resources::ReadWholeFile(restored), resources::ReadWholeFile(loose));
  }
}

struct Glyph {
  uint32_t x, y, w, h;
};

TEST(AssetFont, GlyphTableCoversPrintableAsciiInsideTheImage) {
  const std::vector<uint8_t> file = resources::ReadWholeFile(kInstallDir + "Fonts/courier new 10.fnt");
  ASSERT_GT(file.size(), 2048u);
  const Bmp bmp = ParseBmp(file);
  ASSERT_EQ(bmp.error, "");
  const size_t table = file.size() - 2048;
  ASSERT_GE(table, 54u + static_cast<size_t>((bmp.width * 3 + 3) / 4 * 4) * bmp.height);
  std::vector<Glyph> glyphs;
  for (int c = 0; c < 128; ++c) {
    const size_t at = table + c * 16;
    glyphs.push_back({Le32(file, at), Le32(file, at + 4), Le32(file, at + 8), Le32(file, at + 12)});
  }
  for (int c = 0; c < 128; ++c) {
    SCOPED_TRACE(c);
    const Glyph& g = glyphs[c];
    if (c < 32 || c > 126) {
      EXPECT_EQ(g.x | g.y | g.w | g.h, 0u);
      continue;
    }
    EXPECT_EQ(g.w, glyphs[' '].w) << "advance is not fixed";
    EXPECT_GE(g.w, 6u);
    EXPECT_LE(g.w, 9u);
    EXPECT_GE(g.h, 12u);
    EXPECT_LE(g.h, 16u);
    EXPECT_LE(g.x + g.w, static_cast<uint32_t>(bmp.width));
    EXPECT_LE(g.y + g.h, static_cast<uint32_t>(bmp.height));
    int ink = 0, nearBlack = 0;
    for (uint32_t y = g.y; y < g.y + g.h && y < static_cast<uint32_t>(bmp.height); ++y) {
      for (uint32_t x = g.x; x < g.x + g.w && x < static_cast<uint32_t>(bmp.width); ++x) {
        ink += !PureBlack(bmp.At(x, y));
        nearBlack += NearBlack(bmp.At(x, y));
      }
    }
    EXPECT_EQ(nearBlack, 0);
    if (c == ' ') {
      EXPECT_EQ(ink, 0);
    } else {
      EXPECT_GT(ink, 0);
    }
  }
}

}  // namespace
}  // namespace assettest
