// The game's bitmap font: a BMP of white glyphs on black followed by the
// 128-entry glyph table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/assetgen/image.h"

namespace assetgen {

// Size of the glyph table at the end of a font file: 128 records of four
// little-endian 32-bit values x, y, w, h.
inline constexpr size_t kGlyphTableSize = 2048;

// Renders character codes 32 to 126 of the TrueType font at `ttfPath` with
// FreeType, hinted, at `pixelSize` pixels to the em, into a grid of equal
// cells, white with a dark one-pixel shadow down-right; every other code
// gets an empty record. Returns the bytes of the
// ".fnt" file. Throws std::runtime_error when the font cannot be loaded.
std::vector<uint8_t> BuildFont(const std::string& ttfPath, int pixelSize);

}  // namespace assetgen
