// Bitmap fonts: a 24-bit BMP of glyphs followed by a 2048-byte table of
// where each of the 128 character codes lies in it.
#include <SDL.h>

#include <memory>

#include "engine/engine_state.h"
#include "engine/game.h"
#include "engine/presenter.h"
#include "resources/binary_io.h"
#include "resources/datafile.h"
#include "resources/startup.h"

namespace game {

using namespace state;

namespace {

constexpr int GlyphCount = 128;
// 128 records of four 4-byte values at the very end of the file.
constexpr uint64_t GlyphTableSize = 2048;

// Reads the table from the end of the font file; only the low 16 bits of
// each value count. Throws IoError for a file shorter than the table.
void ReadGlyphTable(const std::string& file, TGlyph (&glyphs)[GlyphCount]) {
  resources::LeReader reader(file);
  if (reader.Size() < GlyphTableSize) throw resources::IoError(file, "shorter than its 2048-byte glyph table");
  reader.Seek(reader.Size() - GlyphTableSize);
  for (TGlyph& glyph : glyphs) {
    glyph.x = static_cast<int16_t>(reader.ReadU32() & 0xFFFF);
    glyph.y = static_cast<int16_t>(reader.ReadU32() & 0xFFFF);
    glyph.w = static_cast<uint16_t>(reader.ReadU32() & 0xFFFF);
    glyph.h = static_cast<uint16_t>(reader.ReadU32() & 0xFFFF);
  }
}

}  // namespace

uint16_t LoadFont(const std::string& name) {
  if (FontBank.Full()) return 0;  // another id would wrap to 0
  const std::string file = resources::ResourceFile("Fonts/", name, ".fnt");
  SDL_Surface* surface = LoadPicture(file);
  if (surface == nullptr) return 0;
  auto font = std::make_unique<CFont>();
  font->Image.Surface = surface;
  // The main build gives every font its texture name, whichever driver
  // draws; a sprite's is the OpenGL driver's alone.
  if (OpenGLBuild) font->Image.Texture = NextTexture;
  // Text is keyed on pixel value 0 (black); Image.ColorKey stays 0.
  SelectedPresenter->PreparePicture(font->Image, NextTexture, TPictureUse::FontImage);
  try {
    ReadGlyphTable(file, font->Glyphs);
  } catch (const resources::IoError& error) {
    ReleasePicture(font->Image);
    if (resources::DevelopMode) throw;
    // Named by the packed file, which a player can find; the scratch file
    // is gone by the time the report is read.
    throw resources::IoError(resources::ResourcePath("Fonts/", name, ".fnt"), error.Reason());
  } catch (...) {
    ReleasePicture(font->Image);
    throw;
  }
  ++NextTexture;
  return FontBank.Add(font.release());
}

uint16_t FontCount() { return FontBank.GetWidth(); }
CFont* GetFont(uint16_t id) { return FontBank.Get(id); }

void ReleaseFonts() {
  for (uint32_t id = 1; id <= FontBank.GetWidth(); ++id) {
    CFont* font = FontBank.Get(static_cast<uint16_t>(id));
    ReleasePicture(font->Image);
    delete font;
  }
  FontBank.SetSize(0, 0);
}

void DrawText(int16_t x, int16_t y, uint16_t fontId, uint8_t alpha, const char* text) {
  CFont* font = FontBank.Get(fontId);
  if (font == nullptr || text == nullptr || font->Image.Surface == nullptr) return;
  Presenter->BeginText(*font, alpha);
  int penX = x;
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c != 0; ++c) {
    if (*c >= GlyphCount) continue;  // not in the font: no glyph, no advance
    const TGlyph& glyph = font->Glyphs[*c];
    Presenter->DrawGlyph(*font, glyph, penX, y, alpha);
    penX += glyph.w;
  }
}

}  // namespace game
