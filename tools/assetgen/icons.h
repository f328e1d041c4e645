// The game's emblem for menus and launchers: the gold "V" of the window icon
// on a rounded tile, drawn afresh at every size of the hicolor icon theme and
// once more as a scalable SVG by the same drawing code.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

// The pixel sizes of the theme's icons, smallest first.
const std::vector<int>& IconSizes();

// The edge of the SVG document in pixels; it carries the details of the
// largest size.
inline constexpr int kScalableIconSize = 256;

// Paints the emblem over size x size units of `cr`, leaving what lies
// outside its rounded tile untouched. The smallest sizes keep to whole
// pixels and plain shapes; from 48 up the tile shows the title's maze.
void PaintEmblem(cairo_t* cr, int size);

// The emblem as the bytes of a size x size PNG file with an alpha channel;
// throws std::runtime_error when cairo cannot encode it.
std::vector<uint8_t> EmblemPng(int size);

// The emblem as the bytes of an SVG document of kScalableIconSize pixels
// square; throws std::runtime_error when cairo cannot write it.
std::vector<uint8_t> EmblemSvg();

// Writes the theme's files under `themeDir`: "NxN/apps/<name>.png" for every
// size and "scalable/apps/<name>.svg", creating the folders. Throws on a
// failure to write.
void WriteIconTheme(const std::string& themeDir, const std::string& name);

}  // namespace assetgen
