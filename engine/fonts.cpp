// Bitmap fonts: a 24-bit BMP of glyphs followed by a 2048-byte table of
// where each of the 128 character codes lies in it.
#include <SDL.h>

#include <algorithm>

#include "engine/engine_state.h"
#include "engine/game.h"
#include "resources/binary_io.h"
#include "resources/datafile.h"
#include "resources/startup.h"
#ifdef VEXMOOR_OPENGL
#include "engine/gl_driver.h"
#endif

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

// The part of a glyph's rectangle that lies inside the font image, and where
// that part lands when the whole rectangle is drawn at (penX, y): a table
// entry reaching outside the image never makes a blit read past it.
bool ClipToImage(const TGlyph& glyph, const SDL_Surface* image, int penX, int y, SDL_Rect& source,
                 SDL_Rect& destination) {
  int left = glyph.x;
  int top = glyph.y;
  int right = left + glyph.w;
  int bottom = top + glyph.h;
  const int shiftX = left < 0 ? -left : 0;
  const int shiftY = top < 0 ? -top : 0;
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, image->w);
  bottom = std::min(bottom, image->h);
  const int drawX = penX + shiftX;
  const int drawY = y + shiftY;
  if (right <= left || bottom <= top || drawX > INT16_MAX || drawY > INT16_MAX) return false;
  source = SDL_Rect{static_cast<Sint16>(left), static_cast<Sint16>(top), static_cast<Uint16>(right - left),
                    static_cast<Uint16>(bottom - top)};
  destination = SDL_Rect{static_cast<Sint16>(drawX), static_cast<Sint16>(drawY), source.w, source.h};
  return true;
}

}  // namespace

uint16_t LoadFont(const std::string& name) {
  if (FontBank.Full()) return 0;  // another id would wrap to 0
  const std::string file = resources::ResourceFile("Fonts/", name, ".fnt");
  SDL_Surface* surface = LoadPicture(file);
  if (surface == nullptr) return 0;
  uint16_t texWidth = 0;
  uint16_t texHeight = 0;
#ifdef VEXMOOR_OPENGL
  if (VideoDriver == vdOpenGL && OpenGLReady()) gl::UploadTexture(surface, NextTexture, texWidth, texHeight);
#endif
  TGlyph glyphs[GlyphCount];
  try {
    ReadGlyphTable(file, glyphs);
  } catch (const resources::IoError& error) {
    SDL_FreeSurface(surface);
    if (resources::DevelopMode) throw;
    // Named by the packed file, which a player can find; the scratch file
    // is gone by the time the report is read.
    throw resources::IoError(resources::ResourcePath("Fonts/", name, ".fnt"), error.Reason());
  } catch (...) {
    SDL_FreeSurface(surface);
    throw;
  }
  auto* font = new CFont;
  font->Image.Surface = surface;
  if (OpenGLBuild) {
    // A font records its texture's size in pixels, not the covered fraction.
    font->Image.TexU = texWidth;
    font->Image.TexV = texHeight;
    font->Image.Texture = NextTexture;
  }
  std::copy(std::begin(glyphs), std::end(glyphs), font->Glyphs);
  ++NextTexture;
  // Text is keyed on pixel value 0 (black); Image.ColorKey stays 0.
  PrepareScreenCopies(font->Image);
  return FontBank.Add(font);
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
  SDL_Surface* image = FrameBufferReady() ? font->Image.Surface : nullptr;
#ifdef VEXMOOR_OPENGL
  const bool openGL = OpenGLReady();
  if (openGL) gl::BeginText(*font, alpha);
#endif
  int penX = x;
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c != 0; ++c) {
    if (*c >= GlyphCount) continue;  // not in the font: no glyph, no advance
    const TGlyph& glyph = font->Glyphs[*c];
    SDL_Rect source;
    SDL_Rect destination;
    if (image != nullptr && ClipToImage(glyph, image, penX, y, source, destination)) {
      // Keyed on black and blended, as every glyph of the text.
      DrawPicture(font->Image, source, destination.x, destination.y, TDrawKind::Blended, alpha);
    }
#ifdef VEXMOOR_OPENGL
    if (openGL && penX <= INT16_MAX) gl::DrawGlyph(*font, glyph, static_cast<int16_t>(penX), y);
#endif
    penX += glyph.w;
  }
}

}  // namespace game
