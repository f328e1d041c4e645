// Pictures as the game stores them: 24-bit RGB rasters, written as BMP files.
// Cairo draws them on transparent surfaces; Capture turns a drawing into the
// raster with the game's transparency rule (pure black is see-through).
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

// A picture of width x height pixels, rows top to bottom, three bytes per
// pixel in the order red, green, blue.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;

  uint8_t* At(int x, int y) { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
  const uint8_t* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// How a drawing becomes pixels.
enum class Backdrop {
  // Drawn opaque (ground, title, icon): every pixel is kept, and any pixel
  // dark enough to become black on a 16-bit screen is lifted.
  Opaque,
  // Drawn with black as the transparent colour (objects, player, banners):
  // uncovered pixels become pure black, faint edge pixels are dropped,
  // nothing visible is left near black.
  Keyed,
};

// Whether a colour would round to black on a 5-6-5 screen without being
// black itself.
bool IsNearBlack(uint8_t r, uint8_t g, uint8_t b);

// Turns a finished ARGB32 cairo surface into a picture by the backdrop's
// rule, dithered for the 16-bit screen.
Image Capture(cairo_surface_t* surface, Backdrop backdrop);

// Adds an ordered (4 x 4 Bayer) bias below one step of a 5-6-5 screen to
// every pixel, so that smooth gradients come out dithered rather than banded
// when the screen drops the low bits. Pure black stays black.
void DitherFor16Bit(Image& image);

// The bytes of a 24-bit uncompressed bottom-up BMP file of the picture.
std::vector<uint8_t> EncodeBmp(const Image& image);

// Reads a 24-bit uncompressed BMP file (bottom-up or top-down); throws
// std::runtime_error naming `what` when the bytes are not one.
Image DecodeBmp(const std::vector<uint8_t>& bytes, const std::string& what);

}  // namespace assetgen
