#include "tools/assetgen/font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <stdexcept>

namespace assetgen {

namespace {

constexpr int kFirstCode = 32, kLastCode = 126, kCodes = 128;
constexpr int kColumns = 16;
// Coverage below this is dropped to black (the font's transparent colour);
// what remains is a grey well clear of black.
constexpr int kInkThreshold = 72;
// A one-pixel shadow down-right of every stroke (the light comes from the
// top-left), so the text reads over light ground too. Dark, but well clear
// of what a 16-bit screen rounds to black.
constexpr uint8_t kShadow[3] = {22, 22, 30};

struct Glyph {
  uint32_t x = 0, y = 0, w = 0, h = 0;
};

class Face {
 public:
  Face(const std::string& path, int pixelSize) {
    if (FT_Init_FreeType(&library_) != 0) throw std::runtime_error("FreeType did not start");
    if (FT_New_Face(library_, path.c_str(), 0, &face_) != 0) {
      FT_Done_FreeType(library_);
      throw std::runtime_error(path + ": cannot load the font");
    }
    FT_Set_Pixel_Sizes(face_, 0, pixelSize);
  }
  ~Face() {
    FT_Done_Face(face_);
    FT_Done_FreeType(library_);
  }
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;
  FT_Face get() const { return face_; }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back((v >> (8 * i)) & 0xFF);
}

// Copies the rendered glyph into its cell, the baseline `ascent` pixels
// below the cell's top.
void Blit(Image& image, const FT_GlyphSlot slot, int cellX, int cellY, int cellW, int cellH, int ascent) {
  const FT_Bitmap& bitmap = slot->bitmap;
  for (unsigned row = 0; row < bitmap.rows; ++row) {
    const int y = cellY + ascent - slot->bitmap_top + static_cast<int>(row);
    if (y < cellY || y >= cellY + cellH) continue;
    for (unsigned col = 0; col < bitmap.width; ++col) {
      const int x = cellX + slot->bitmap_left + static_cast<int>(col);
      if (x < cellX || x >= cellX + cellW) continue;
      const int coverage = bitmap.buffer[row * bitmap.pitch + col];
      if (coverage < kInkThreshold) continue;
      uint8_t* p = image.At(x, y);
      p[0] = p[1] = p[2] = static_cast<uint8_t>(std::min(255, coverage + 24));
    }
  }
}

bool IsInk(const Image& image, int x, int y) {
  const uint8_t* p = image.At(x, y);
  return p[0] > kShadow[0] || p[1] > kShadow[1] || p[2] > kShadow[2];
}

// Puts the shadow to the right of and below each ink pixel of the cell,
// wherever there is no ink already.
void Shade(Image& image, int cellX, int cellY, int cellW, int cellH) {
  for (int y = cellY + cellH - 1; y >= cellY; --y) {
    for (int x = cellX + cellW - 1; x >= cellX; --x) {
      if (IsInk(image, x, y)) continue;
      const bool left = x > cellX && IsInk(image, x - 1, y);
      const bool above = y > cellY && IsInk(image, x, y - 1);
      const bool diagonal = x > cellX && y > cellY && IsInk(image, x - 1, y - 1);
      if (left || above || diagonal) std::copy(kShadow, kShadow + 3, image.At(x, y));
    }
  }
}

}  // namespace

std::vector<uint8_t> BuildFont(const std::string& ttfPath, int pixelSize) {
  Face face(ttfPath, pixelSize);
  const FT_Size_Metrics& metrics = face.get()->size->metrics;
  const int ascent = static_cast<int>((metrics.ascender + 63) >> 6);
  const int descent = static_cast<int>((-metrics.descender + 63) >> 6);
  const int cellW = static_cast<int>((metrics.max_advance + 32) >> 6);
  const int cellH = ascent + descent;
  const int glyphCount = kLastCode - kFirstCode + 1;
  const int rows = (glyphCount + kColumns - 1) / kColumns;

  Image image;
  image.width = kColumns * cellW;
  image.height = rows * cellH;
  image.rgb.assign(static_cast<size_t>(image.width) * image.height * 3, 0);
  Glyph glyphs[kCodes];
  for (int code = kFirstCode; code <= kLastCode; ++code) {
    const int index = code - kFirstCode;
    const int cellX = (index % kColumns) * cellW, cellY = (index / kColumns) * cellH;
    glyphs[code] = {static_cast<uint32_t>(cellX), static_cast<uint32_t>(cellY), static_cast<uint32_t>(cellW),
                    static_cast<uint32_t>(cellH)};
    if (FT_Load_Char(face.get(), code, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0) {
      throw std::runtime_error(ttfPath + ": cannot render character " + std::to_string(code));
    }
    Blit(image, face.get()->glyph, cellX, cellY, cellW, cellH, ascent);
    Shade(image, cellX, cellY, cellW, cellH);
  }

  std::vector<uint8_t> file = EncodeBmp(image);
  for (const Glyph& g : glyphs) {
    PutU32(file, g.x);
    PutU32(file, g.y);
    PutU32(file, g.w);
    PutU32(file, g.h);
  }
  return file;
}

}  // namespace assetgen
