// Drawing helpers shared by every picture: the palette, shapes lit from the
// top-left, outlines and lettering. All pictures share one light: it falls
// from the top-left, so highlights sit up-left and shade down-right.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>

#include "tools/assetgen/rng.h"

namespace assetgen {

// A colour with channels 0..255.
struct Rgb {
  double r, g, b;
};

// The game's palette.
namespace palette {
inline constexpr Rgb kOutline{24, 24, 34};
inline constexpr Rgb kSlate{74, 84, 102};
inline constexpr Rgb kSlateDark{46, 52, 66};
inline constexpr Rgb kSteel{126, 138, 156};
inline constexpr Rgb kSteelLight{184, 196, 212};
inline constexpr Rgb kStone{96, 88, 78};
inline constexpr Rgb kMoss{78, 120, 58};
inline constexpr Rgb kGrass{84, 128, 62};
inline constexpr Rgb kHeather{136, 84, 140};
inline constexpr Rgb kTeal{52, 196, 190};
inline constexpr Rgb kAmber{240, 176, 48};
inline constexpr Rgb kRed{214, 54, 48};
inline constexpr Rgb kGreen{88, 214, 104};
inline constexpr Rgb kWhite{236, 238, 240};
inline constexpr Rgb kRust{206, 112, 52};
inline constexpr Rgb kBrass{214, 170, 84};
inline constexpr Rgb kOlive{96, 110, 62};
inline constexpr Rgb kNight{18, 22, 44};
inline constexpr Rgb kHelmet{92, 110, 70};
inline constexpr Rgb kVisor{96, 226, 244};
}  // namespace palette

// Blends a toward b by t (0 gives a, 1 gives b).
Rgb Mix(Rgb a, Rgb b, double t);
// Scales a colour's channels by f, clamped to 0..255.
Rgb Scale(Rgb c, double f);

void SetColor(cairo_t* cr, Rgb c, double alpha = 1.0);

// Fills the current path (kept) with a flat colour.
void FillFlat(cairo_t* cr, Rgb c);
// Fills the current path (kept) with the colour graded from lit (top-left)
// to shaded (bottom-right) across the path's extent on the page; contrast
// is the fraction lighter and darker at the two ends.
void FillLit(cairo_t* cr, Rgb c, double contrast = 0.3);
// Fills the current path (kept) as a rounded body: a highlight placed
// towards the top-left of the path's extent on the page, fading to shade.
void FillRound(cairo_t* cr, Rgb c, double contrast = 0.45);
// Strokes the current path (kept) in the outline colour, width in page pixels.
void Outline(cairo_t* cr, double width = 2.0, Rgb c = palette::kOutline);
// Ends the current path.
void Done(cairo_t* cr);

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);
// Adds an axis-aligned ellipse centred on (cx, cy) to the path.
void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry);
// Fills the current path (kept) with a linear gradient from `from` at
// (x0, y0) to `to` at (x1, y1), in user coordinates.
void FillLinear(cairo_t* cr, double x0, double y0, double x1, double y1, Rgb from, Rgb to);
// The player's helmet seen from above, the visor towards the top of the
// page; shared by the figure and the life icon.
void Helmet(cairo_t* cr, double cx, double cy, double radius);

// Fills the current path as gold lettering, then ends the path: a vertical
// gold gradient from `top` to `bottom` (user coordinates) inside a dark
// outline reaching `outline` units beyond the letters.
void GoldLetters(cairo_t* cr, double top, double bottom, double outline);
// Adds the walls of a binary-tree maze over width x height to the path, moved
// by (dx, dy): square cells of `cell` units, walls `wall` units thick, each
// cell open to the north or the east as the seed decides.
void BinaryTreeMaze(cairo_t* cr, double width, double height, double cell, double wall, double dx, double dy,
                    uint32_t seed);

// Selects the bold sans face of the game's lettering at the given size.
void SelectTitleFace(cairo_t* cr, double size);
// Adds the text's outline to the path, centred on (cx, cy) by its ink.
void CenteredTextPath(cairo_t* cr, const std::string& text, double cx, double cy);
// Selects the title face at `size`, smaller if needed so that the text's ink
// fits maxWidth x maxHeight, and adds the text centred on (cx, cy).
void FittedTextPath(cairo_t* cr, const std::string& text, double size, double cx, double cy, double maxWidth,
                    double maxHeight);

// Directory of the Liberation fonts; set once before drawing.
void SetFontDirectory(const std::string& directory);
const std::string& FontDirectory();
// Releases the loaded font faces.
void ReleaseFaces();


}  // namespace assetgen

namespace assetgen {

// A transparent ARGB32 drawing surface with its cairo context.
class Canvas {
 public:
  Canvas(int width, int height);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  cairo_t* cr() const { return cr_; }
  cairo_surface_t* surface() const { return surface_; }

 private:
  cairo_surface_t* surface_;
  cairo_t* cr_;
};

}  // namespace assetgen
