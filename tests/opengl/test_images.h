// Pictures the OpenGL tests load through the engine: 24-bit BMP sprites and
// a bitmap font written into a scratch installation directory.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vxtest {

struct TRgb {
  uint8_t R, G, B;
  bool operator==(const TRgb&) const = default;
};

// The colour of pixel (x, y) of a picture.
using TPainter = std::function<TRgb(int x, int y)>;

// Writes dir + "Sprites/" + name + ".bmp", a 24-bit w x h image.
void WriteSprite(const std::string& dir, const std::string& name, int w, int h,
                 const TPainter& paint);

// The same as an 8-bit BMP with a palette of the picture's colours (at most
// 256 of them).
void WritePalettedSprite(const std::string& dir, const std::string& name, int w, int h,
                         const TPainter& paint);

// The test font: glyph cells of kGlyphWidth x kGlyphHeight side by side in
// one row of a 24-bit image; character code c uses cell c % kGlyphCells.
// Every glyph has a black surround and coloured strokes.
constexpr int kGlyphWidth = 10;
constexpr int kGlyphHeight = 14;
constexpr int kGlyphCells = 6;
TRgb FontPixel(int x, int y);
// Writes dir + "Fonts/" + name + ".fnt": the image followed by its glyph table.
void WriteFont(const std::string& dir, const std::string& name);

// A fresh empty directory with Sprites/ and Fonts/ inside; returns it with
// its final "/".
std::string MakeScratchInstall(const std::string& tag);
// Removes what MakeScratchInstall made.
void RemoveScratchInstall(const std::string& dir);

// An RGB picture, rows top to bottom.
struct TPicture {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Rgb;
  TRgb At(int x, int y) const {
    const size_t i = (size_t(y) * Width + x) * 3;
    return {Rgb[i], Rgb[i + 1], Rgb[i + 2]};
  }
};
// How far an OpenGL picture is from the frame buffer's picture of the same
// frame. Pixels the frame buffer shows pure black are left out of the
// differences: OpenGL draws black transparent, so something else may show
// through there.
struct TComparison {
  int Largest[3] = {0, 0, 0};       // largest difference per channel, R G B
  int BeyondTolerance = 0;          // pixels with a channel beyond it
  int FirstBeyondX = -1, FirstBeyondY = -1;
  int BlackInFrameBuffer = 0;
  int ShownThrough = 0;             // of those, pixels OpenGL shows not black
};
// The rounding a 16-bit frame buffer allows: one 5-bit step of red and blue
// (8) and one 6-bit step of green (4) for reducing a colour to 16 bits, and
// the same again for blending done on the reduced values.
constexpr int kFrameBufferTolerance[3] = {15, 7, 15};
TComparison ComparePictures(const TPicture& frameBuffer, const TPicture& openGL);
std::string Describe(const TComparison& comparison);

// Binary PPM (P6) files, 8 bits per channel.
bool WritePpm(const std::string& path, const TPicture& picture);
bool ReadPpm(const std::string& path, TPicture& picture);

}  // namespace vxtest
